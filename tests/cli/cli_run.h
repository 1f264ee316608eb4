#pragma once

// Runs the diskwright-cli binary the way a user would and captures what it
// printed.

#include "support/temp_tree.h"

#include <string>
#include <vector>

namespace dwtest {

struct CliRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

struct CliEnvironment {
    std::vector<std::string> variables;  // "NAME=value", replacing the inherited ones
    int input = -1;                      // standard input; /dev/null when -1
};

// Runs diskwright-cli with `args`, stdout and stderr captured in files.
CliRun runCli(const TempTree& tree, std::vector<std::string> args, const CliEnvironment& environment = {});
// Runs any program the same way (trash-list).
CliRun runProgram(const TempTree& tree, const std::string& program, std::vector<std::string> args,
                  const CliEnvironment& environment = {});

// `text` split at `separator`; the part after the last separator included.
std::vector<std::string> split(const std::string& text, char separator = '\n');

// A settings file of its own, so that the user's settings never leak in.
inline std::string settingsFile(TempTree& tree, const std::string& content = "")
{
    return tree.write("settings.ini", content);
}

}  // namespace dwtest
