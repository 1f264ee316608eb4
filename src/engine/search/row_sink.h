#pragma once

#include "engine/search/file_entry.h"

#include <cstdint>

namespace dw {

// Where the finders put what they report, one list per ResultKind. The GUI
// batches the rows into its views; the CLI and tests keep them in ResultLists.
class RowSink {
public:
    virtual ~RowSink() = default;

    // Empties the list of `kind` (start of a search run).
    virtual void clearRows(ResultKind kind) = 0;
    // Appends one row. Colours of 0 mean the list's defaults. `group` numbers
    // the duplicate groups from 1; it is 0 for the other kinds.
    virtual void addRow(ResultKind kind, const FileEntry& entry, Colour backColour,
                        Colour textColour, std::uint32_t group) = 0;
    // A finder of `kind` starts: the GUI switches to its tab.
    virtual void finderStarted(ResultKind kind) { (void)kind; }
    // Rows in the list of `kind` and the sum of their sizes on disk.
    virtual std::uint64_t rowCount(ResultKind kind) const = 0;
    virtual std::uint64_t totalSizeOnDisk(ResultKind kind) const = 0;
};

}  // namespace dw
