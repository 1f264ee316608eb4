#pragma once

#include "cli/cli_options.h"
#include "cli/cli_output.h"
#include "engine/results/result_set.h"
#include "engine/settings/search_settings.h"

#include <istream>
#include <ostream>

namespace dw::cli {

// Marks rows of the shown lists as --mark-copies or --mark-all asks.
void applyMarks(const CliOptions& options, ResultSet& results, const KindList& kinds);

// Where the action's questions go and its messages come out.
struct ActionConsole {
    std::istream& in;
    bool inputIsTerminal;
    std::ostream& err;
};

// Runs --trash or --delete (or its dry run) on the marked rows of the shown
// lists through the engine's file operations: duplicate groups with every
// copy marked are left whole unless --allow-all-copies, and nothing is
// touched unless --yes is given or the user agrees at a terminal. Rows whose
// files went leave every list. Returns true when every marked row was dealt
// with; each group refused and each path left is named on `console.err`.
bool runRowAction(const CliOptions& options, const SearchSettings& settings, ResultSet& results,
                  const KindList& kinds, const ActionConsole& console);

}  // namespace dw::cli
