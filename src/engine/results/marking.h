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

// True when the row at `index` of a duplicates list begins a group of copies:
// its group number differs from the row before it. Searches and session
// loads both number the groups.
bool startsCopyGroup(const ResultList& list, std::size_t index);
// Which copy of each duplicate group stays unchecked.
enum class KeepRule { First, Oldest, Newest, Shortest };
// Checks every row of each group but the one `keep` chooses, which is
// unchecked: one copy of every file stays. First is list order; Oldest and
// Newest compare the modification times read now (lstat, never following a
// link), and a file that is gone is kept only when every copy is gone;
// Shortest compares path lengths. Ties go to the earlier row.
void markCopies(ResultList& list, KeepRule keep);
// markCopies with KeepRule::First.
void markCopies(ResultList& list);

}  // namespace dw
