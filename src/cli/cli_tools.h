#pragma once

#include <string>
#include <vector>

namespace dw::cli {

// The tool options: the pages of the desktop program, in a terminal.
struct ToolOptions {
    bool systemInfo = false;  // --system-info
    bool tempFiles = false;   // --temp-files
    bool cleanTemp = false;   // --clean-temp FOLDER...
    bool programs = false;    // --programs
    bool emptyTrash = false;  // --empty-trash

    bool any() const { return systemInfo || tempFiles || cleanTemp || programs || emptyTrash; }
};

// Sets the tool option `arg` names; false when it names none.
bool parseToolOption(const std::string& arg, ToolOptions& tools);

// The usage lines of the tool options.
std::string toolsUsageText();

// Runs the chosen tools in the order system information, temporary files,
// programs, cleaning, Trash. `folders` are the --clean-temp folders. The
// destructive ones ask one question each on a terminal, and without one
// act only with `yes`. Returns the exit code: 0 done, 1 something failed
// or was refused, 2 a folder that is no temporary-files folder.
int runTools(const ToolOptions& tools, const std::vector<std::string>& folders, bool yes);

}  // namespace dw::cli
