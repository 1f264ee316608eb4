#pragma once

#include "cli/cli_tools.h"
#include "engine/results/marking.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace dw::cli {

enum class OutputFormat { Text, Fdupes, Json };
// What becomes of the marked rows.
enum class RowAction { None, Trash, Delete };

// The command line, parsed; optional fields override the settings only when given.
struct CliOptions {
    bool help = false;
    bool version = false;
    std::vector<std::string> folders;
    bool duplicates = false, size = false, mask = false, old = false;  // none given: all four
    bool noSubfolders = false;
    std::optional<int> mode;            // FundDuplicatesMode
    bool empty = false;
    std::optional<std::uint32_t> larger, smaller;  // units of 1000 bytes
    std::optional<int> days, months;
    std::optional<std::string> masks;   // "*.tmp;*.bak"
    std::vector<std::string> excludes;
    std::optional<int> securityLevel;
    std::optional<std::string> settingsFile;
    OutputFormat format = OutputFormat::Text;
    std::optional<std::string> saveSession;  // write the four lists here after the search
    std::optional<std::string> loadSession;  // print this session instead of searching
    bool nullSeparated = false;              // fdupes format: names end with NUL, not a newline
    std::optional<KeepRule> markCopies;      // mark all but one file of each duplicate group
    bool markAll = false;                    // mark every row of the lists shown
    RowAction action = RowAction::None;
    bool dryRun = false;          // only say what the action would do
    bool assumeYes = false;       // act without asking
    bool allowAllCopies = false;  // a group with every copy marked may go whole
    ToolOptions tools;            // a tool instead of a search

    bool anyKind() const { return duplicates || size || mask || old; }
    bool sizeGiven() const { return empty || larger || smaller; }
};

// Parses argv; on bad usage returns nullopt and sets `error` to a Russian message.
std::optional<CliOptions> parseCommandLine(const std::vector<std::string>& args, std::string& error);

std::string usageText();

}  // namespace dw::cli
