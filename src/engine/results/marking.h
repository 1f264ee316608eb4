#pragma once

#include "engine/results/result_list.h"

#include <cstddef>
#include <vector>

namespace dw {

// The list's mark commands. Every change goes through ResultList::setChecked
// or removeRows, so the checked totals stay right; files are never touched.

// Checks every row.
void markAll(ResultList& list);
// Unchecks every row.
void clearAll(ResultList& list);
// Checks every unchecked row and unchecks every checked one.
void invertMarks(ResultList& list);
// Checks / unchecks the rows at `indices`; indices past the end are ignored.
void markSelected(ResultList& list, const std::vector<std::size_t>& indices);
void clearSelected(ResultList& list, const std::vector<std::size_t>& indices);
// Removes every checked row from the list; returns how many went.
std::size_t removeChecked(ResultList& list);

// True when the row at `index` of a duplicates list begins a group of copies.
// Rows a search added carry their group number; rows read from a session
// carry 0, and there a group is a run of rows with one background colour,
// which is how the list stripes its groups.
bool startsCopyGroup(const ResultList& list, std::size_t index);
// Which copy of each group "Отметить копии" leaves unchecked: the first in
// list order, the one modified longest ago or most recently (lstat), or the
// one with the shortest path. Ties go to the earlier row.
enum class KeepRule { First, Oldest, Newest, Shortest };
// Checks every row of each group but the one `keep` picks, which is
// unchecked: one copy of every file stays. A row whose file is gone is
// picked only when every file of its group is.
void markCopies(ResultList& list, KeepRule keep);

}  // namespace dw
