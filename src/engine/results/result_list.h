#pragma once

#include "engine/search/file_entry.h"
#include "engine/settings/search_settings.h"

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace dw {

// The six columns of a results list.
enum Column : int {
    ColName = 0,
    ColPath = 1,
    ColSize = 2,
    ColSizeOnDisk = 3,
    ColAccessed = 4,
    ColType = 5,
};
inline constexpr int kColumnCount = 6;

// One row of a results list. Rows are kept by the million, so a row holds
// only what cannot be derived: the date and type texts are made when a row
// is shown (rowDateText, rowTypeText), never stored.
struct ResultRow {
    std::string path;          // exactly as given to addRow
    std::uint64_t size = 0;
    std::uint64_t sizeOnDisk = 0;  // 0 for a missing file
    std::int64_t lastAccessNs = 0;
    std::uint64_t device = 0;  // identity of the file the search recorded;
    std::uint64_t inode = 0;   // 0 for rows read from a session file
    Colour textColour = 0;
    Colour backColour = 0;
    std::uint32_t group = 0;   // duplicate group, from 1; 0 elsewhere
    // The type description's number (see typeDescriptionId), looked up on
    // first use: a search that never shows the column never loads the MIME
    // database.
    mutable std::uint32_t typeId = 0;
    std::uint8_t attributes = 0;
    bool checked = false;
    // The file did not exist when the row was added (a stale session): the
    // row has no size on disk and no date and stays out of the totals.
    bool missing = false;
    bool hidden() const { return (attributes & attr::Hidden) != 0; }
    bool isFolder() const { return (attributes & attr::Folder) != 0; }
};

// Rows live in blocks: a list that grows to millions of rows never copies
// them all to a bigger array (which would hold both copies for a moment).
using RowStore = std::deque<ResultRow>;

// The rows of one ResultKind with their four running totals.
class ResultList {
public:
    explicit ResultList(ResultKind kind = ResultKind::ByMask, ListAppearance appearance = {});

    ResultKind kind() const { return kind_; }
    const ListAppearance& appearance() const { return appearance_; }
    // Later rows use the new colours; rows already present keep theirs.
    void setAppearance(const ListAppearance& appearance) { appearance_ = appearance; }

    // Appends a row for `path`, reading its status from the file system.
    // Returns false (and adds nothing) for a system folder or a path without
    // a name. Colours of 0 mean the defaults.
    bool addRow(const std::string& path, std::uint8_t attributes, std::uint64_t size,
                Colour backColour, Colour textColour, std::uint32_t group = 0);
    // The same for an entry the walk has already examined (no extra lstat).
    bool addRow(const FileEntry& entry, Colour backColour, Colour textColour,
                std::uint32_t group = 0);
    // The row addRow(entry, ...) would append, without appending it;
    // nothing for an entry that gets no row.
    std::optional<ResultRow> makeRow(const FileEntry& entry, Colour backColour,
                                     Colour textColour, std::uint32_t group = 0) const;

    void removeRow(std::size_t index);
    // Removes every row for which `remove(row)` is true in one pass, keeping
    // the totals right; returns how many went. Bulk removals use this: one
    // removeRow per row would shift the rest of a large list each time.
    template <typename Predicate>
    std::size_t removeRows(Predicate remove);
    void deleteAllRows();
    // Hands every row over (the list is left empty) / takes rows made by
    // another list, totals included: a worker fills a list of its own and
    // the view's list adopts the rows in batches.
    std::vector<ResultRow> takeAllRows();
    void appendRows(std::vector<ResultRow> rows);
    void setChecked(std::size_t index, bool checked);
    // Operations write these back after touching a row's file.
    void setTextColour(std::size_t index, Colour colour) { rows_.at(index).textColour = colour; }
    void setSizeOnDisk(std::size_t index, std::uint64_t sizeOnDisk);

    std::size_t size() const { return rows_.size(); }
    bool empty() const { return rows_.empty(); }
    const ResultRow& row(std::size_t index) const { return rows_[index]; }
    const RowStore& rows() const { return rows_; }

    // Missing rows count in none of the four totals.
    std::uint64_t totalCount() const { return rows_.size() - missingCount_; }
    std::uint64_t totalSizeOnDisk() const { return totalSizeOnDisk_; }
    std::uint64_t checkedCount() const { return checkedCount_; }
    std::uint64_t checkedSizeOnDisk() const { return checkedSizeOnDisk_; }

    // The text a column shows for a row.
    std::string columnText(std::size_t index, int column) const;

    // Stable sort by a column with the list's comparison rules. With
    // `movedTo`, it receives each row's new position by its old one (left
    // empty when no row moved).
    void sortByColumn(int column, bool ascending, std::vector<std::uint32_t>* movedTo = nullptr);

private:
    ResultRow buildRow(std::string path, std::uint8_t attributes, std::uint64_t size,
                       Colour backColour, Colour textColour, std::uint32_t group,
                       bool compressed, std::uint64_t sizeOnDisk) const;
    // Counts the row into the totals it belongs to / takes it out again.
    void countIn(const ResultRow& row);
    void countOut(const ResultRow& row);

    ResultKind kind_;
    ListAppearance appearance_;
    RowStore rows_;
    std::uint64_t missingCount_ = 0;
    std::uint64_t totalSizeOnDisk_ = 0;
    std::uint64_t checkedCount_ = 0;
    std::uint64_t checkedSizeOnDisk_ = 0;
};

template <typename Predicate>
std::size_t ResultList::removeRows(Predicate remove)
{
    std::size_t kept = 0;
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        ResultRow& row = rows_[i];
        if (remove(static_cast<const ResultRow&>(row))) {
            countOut(row);
            continue;
        }
        if (kept != i)
            rows_[kept] = std::move(row);
        ++kept;
    }
    std::size_t removed = rows_.size() - kept;
    rows_.resize(kept);
    return removed;
}

// Size text: divide by 1024 while above 1000, `decimals` places with trailing
// zeros dropped, then " KB", " MB", " GB", " TB" (up to " PB" beyond).
std::string FormatSize(std::uint64_t bytes, int decimals = 3);

// The list's column comparison: <0 when a comes before b in the given
// direction, 0 when equal, >0 after.
int compareRows(const ResultRow& a, const ResultRow& b, int column, bool ascending);

// The file name column text (name and extension).
std::string rowName(const ResultRow& row);

// The row's type description, looked up on first use and then known by
// its number.
const std::string& rowTypeText(const ResultRow& row);

// The last-access date as "dd.mm.yyyy" in local time; "" for a missing file.
std::string rowDateText(const ResultRow& row);

}  // namespace dw
