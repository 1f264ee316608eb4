#pragma once

#include "engine/results/result_list.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dw {

// The titles of the six columns, in column order.
std::vector<std::string> columnTitles();

// The column whose title equals `title`, ignoring letter case (Cyrillic too).
std::optional<int> columnForTitle(std::string_view title);
// The columns of the chooser's titles, in their order; unknown titles are
// passed over.
std::vector<int> columnsForTitles(const std::vector<std::string>& titles);

// The export text of `list`: a line per row, the chosen columns' cells each
// padded with blanks to the longest text of its column (counted in
// characters, not bytes), separated by TAB, every line ending in CR LF.
std::string exportText(const ResultList& list, const std::vector<int>& columns);

enum class ExportStatus {
    Ok,
    NoColumns,     // nothing was chosen: no file was created
    CannotCreate,  // the file could not be created or written
};

// Writes the export text of `list` to `path`, truncating an existing file
// (it stays the same file: links and owner are kept). Every write and the
// close are checked, so a full disk is reported, not passed as success. With
// no columns chosen no file is created; a list without rows gives an empty
// file.
ExportStatus exportToText(const std::string& path, const ResultList& list,
                          const std::vector<int>& columns);

}  // namespace dw
