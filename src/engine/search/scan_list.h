#pragma once

#include "engine/search/file_entry.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

namespace dw {

// Every entry one search run's walk met, in walk order until a finder sorts it.
// Finders take the entries they report out of the list; what they leave is
// seen by the finders that run after them. Taking out only marks an entry;
// sorting and compact() drop the marked ones, so indices stay valid while a
// finder walks the list.
class ScanList {
public:
    void append(FileEntry entry);
    void clear();

    // Entries including those taken out since the last compact().
    std::size_t slots() const { return entries_.size(); }
    // Entries still in the list.
    std::size_t count() const { return entries_.size() - takenCount_; }

    FileEntry& operator[](std::size_t index) { return entries_[index]; }
    const FileEntry& operator[](std::size_t index) const { return entries_[index]; }
    bool taken(std::size_t index) const { return taken_[index] != 0; }
    void take(std::size_t index);
    // Drops the taken entries, keeping the order of the others.
    void compact();

    // Stable ascending sorts; equal keys keep their current order. Each
    // compacts first.
    void sortBySize();
    void sortByAccessTime();
    // By the name's extension (with its dot; "" first), ignoring letter case.
    void sortByExtension();
    // By the name without the folder, ignoring letter case.
    void sortByName();

private:
    // Sorts an index array with `less(a, b)` on entry indices, then moves the
    // entries into that order in place: no second copy of the list is made.
    template <typename Less>
    void sortIndices(Less less);

    // A deque grows without moving what it holds, so a large walk never needs
    // twice the list's memory at once.
    std::deque<FileEntry> entries_;
    std::vector<std::uint8_t> taken_;
    std::size_t takenCount_ = 0;
};

// A key for comparing names while ignoring letter case (Cyrillic included).
std::string foldCase(std::string_view text);

}  // namespace dw
