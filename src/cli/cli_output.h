#pragma once

#include "engine/results/result_set.h"
#include "engine/search/search_driver.h"

#include <ostream>
#include <vector>

namespace dw::cli {

// The kinds a run asked for, in tab order.
using KindList = std::vector<ResultKind>;

// Each kind's rows in list order under a heading; control characters in
// paths are escaped so that one row stays one line.
void printText(std::ostream& out, const ResultSet& results, const KindList& kinds);
// The duplicate groups: one path a line, a blank line after each group. The
// format is line-based; with `nullSeparated` each path ends with a NUL
// instead and each group with one more NUL, so any name survives.
void printFdupes(std::ostream& out, const ResultSet& results, bool nullSeparated = false);
// Every row with all its fields, its mark and its group id, plus the statistics.
void printJson(std::ostream& out, const ResultSet& results, const KindList& kinds,
               const SearchStatistics& stats);
// The statistics lines as the statistics window shows them.
void printStatistics(std::ostream& out, const SearchStatistics& stats);

// `text` on one line: backslashes and control characters escaped.
std::string escapedLine(std::string_view text);

// A JSON string literal; bytes that are not UTF-8 become \udcXX escapes
// (as Python's surrogateescape), so no path is lost.
std::string jsonString(std::string_view text);

}  // namespace dw::cli
