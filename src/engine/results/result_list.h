#pragma once

#include "engine/search/file_entry.h"
#include "engine/settings/search_settings.h"

#include <cstdint>
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

// One row of a results list.
struct ResultRow {
    std::string path;          // exactly as given to addRow
    Colour textColour = 0;
    Colour backColour = 0;
    std::uint8_t attributes = 0;
    std::uint64_t size = 0;
    std::uint64_t sizeOnDisk = 0;
    std::int64_t lastAccessNs = 0;
    std::string accessedText;  // "dd.mm.yyyy", local time; "" when unknown
    // The localised type description, looked up on first use (see
    // rowTypeText): a search that never shows the column never loads the
    // MIME database.
    mutable std::string typeText;
    mutable bool typeKnown = false;
    std::uint32_t group = 0;   // duplicate group, from 1; 0 elsewhere
    // The file the search found (st_dev, st_ino); 0 when unknown, as for a
    // row read from a session. The file operations act only on this file.
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    bool checked = false;
    bool hidden() const { return (attributes & attr::Hidden) != 0; }
    bool isFolder() const { return (attributes & attr::Folder) != 0; }
};

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
    const std::vector<ResultRow>& rows() const { return rows_; }

    std::uint64_t totalCount() const { return rows_.size(); }
    std::uint64_t totalSizeOnDisk() const { return totalSizeOnDisk_; }
    std::uint64_t checkedCount() const { return checkedCount_; }
    std::uint64_t checkedSizeOnDisk() const { return checkedSizeOnDisk_; }

    // The text a column shows for a row.
    std::string columnText(std::size_t index, int column) const;

    // Stable sort by a column with the list's comparison rules.
    void sortByColumn(int column, bool ascending);

private:
    ResultRow& appendRow(const std::string& path, std::uint8_t attributes, std::uint64_t size,
                         Colour backColour, Colour textColour, std::uint32_t group,
                         bool compressed, std::uint64_t sizeOnDisk);

    ResultKind kind_;
    ListAppearance appearance_;
    std::vector<ResultRow> rows_;
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
            totalSizeOnDisk_ -= row.sizeOnDisk;
            if (row.checked) {
                --checkedCount_;
                checkedSizeOnDisk_ -= row.sizeOnDisk;
            }
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

// The row's type description, looked up and kept on first use.
const std::string& rowTypeText(const ResultRow& row);

}  // namespace dw
