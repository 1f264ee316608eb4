#pragma once

#include "engine/results/result_list.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dw {

enum class FilterAction { Mark, Clear, Remove, RemoveExcept };

// What the filter window asks for.
struct FilterRequest {
    FilterAction action = FilterAction::Mark;
    bool byFolder = false;
    std::string folderText;  // matched as a substring of the full path
    bool byMask = false;
    std::string maskText;    // tokens separated by ';'
};

// The filter window's starting values: with a row selected, folderText is
// that row's full path and maskText "*" followed by the extension of its
// name (just "*" without one); otherwise both are empty. Both boxes start
// off, the action starts as Mark.
FilterRequest filterPrefill(const ResultList& list, std::optional<std::size_t> selected);

// Splits a mask text into tokens at ';' outside double quotes; "" inside a
// quoted part is one quote; tokens are trimmed and empty ones dropped.
std::vector<std::string> splitFilterTokens(std::string_view text);

// Whole-name wildcard match, case-sensitive: '*' is any run, '?' one
// character; a name without a dot is matched with one appended.
bool matchesFilterToken(std::string_view name, std::string_view token);

// Marks, clears or removes rows by folder and mask. With byFolder on, a row
// is in the folder when its path contains folderText (case-sensitive); the
// mask then narrows only Mark and Clear, case kept. With only byMask on, the
// names and tokens are compared in upper case, and RemoveExcept keeps only
// rows that match every token. With neither, nothing changes. Files are
// never touched. Returns how many rows changed their mark or went.
std::size_t runFilter(ResultList& list, const FilterRequest& request);

}  // namespace dw
