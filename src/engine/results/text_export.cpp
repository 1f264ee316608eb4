#include "engine/results/text_export.h"

#include "engine/texts.h"

#include <QList>
#include <QString>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>

namespace dw {

namespace {

constexpr std::array<const char*, kColumnCount> kTitles{
    text::ColumnName,     text::ColumnPath, text::ColumnSize, text::ColumnSizeOnDisk,
    text::ColumnAccessed, text::ColumnType};

// Characters, not bytes: a Cyrillic name is twice as long in bytes, and
// padding by bytes would leave its column short on the screen.
std::size_t characterCount(std::string_view text)
{
    if (std::all_of(text.begin(), text.end(),
                    [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        return text.size();
    return static_cast<std::size_t>(
        QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())).toUcs4().size());
}

std::vector<int> validColumns(const std::vector<int>& columns)
{
    std::vector<int> valid;
    std::copy_if(columns.begin(), columns.end(), std::back_inserter(valid),
                 [](int column) { return column >= 0 && column < kColumnCount; });
    return valid;
}

std::vector<std::size_t> columnWidths(const ResultList& list, const std::vector<int>& columns)
{
    std::vector<std::size_t> widths(columns.size(), 0);
    for (std::size_t i = 0; i < list.size(); ++i)
        for (std::size_t c = 0; c < columns.size(); ++c)
            widths[c] = std::max(widths[c], characterCount(list.columnText(i, columns[c])));
    return widths;
}

// Calls `emit` with each finished line.
template <typename Emit>
void forEachLine(const ResultList& list, const std::vector<int>& columns, Emit emit)
{
    const std::vector<std::size_t> widths = columnWidths(list, columns);
    std::string line;
    for (std::size_t i = 0; i < list.size(); ++i) {
        line.clear();
        for (std::size_t c = 0; c < columns.size(); ++c) {
            if (c > 0)
                line += '\t';
            std::string cell = list.columnText(i, columns[c]);
            std::size_t length = characterCount(cell);
            line += cell;
            line.append(widths[c] - length, ' ');
        }
        line += "\r\n";
        emit(line);
    }
}

}  // namespace

std::vector<std::string> columnTitles() { return {kTitles.begin(), kTitles.end()}; }

std::optional<int> columnForTitle(std::string_view title)
{
    const QString wanted = QString::fromUtf8(title.data(), static_cast<qsizetype>(title.size()));
    for (int column = 0; column < kColumnCount; ++column) {
        if (QString::compare(wanted, QString::fromUtf8(kTitles[static_cast<std::size_t>(column)]),
                             Qt::CaseInsensitive) == 0)
            return column;
    }
    return std::nullopt;
}

std::vector<int> columnsForTitles(const std::vector<std::string>& titles)
{
    std::vector<int> columns;
    for (const std::string& title : titles)
        if (auto column = columnForTitle(title))
            columns.push_back(*column);
    return columns;
}

std::string exportText(const ResultList& list, const std::vector<int>& columns)
{
    std::string text;
    const std::vector<int> valid = validColumns(columns);
    if (!valid.empty())
        forEachLine(list, valid, [&](const std::string& line) { text += line; });
    return text;
}

ExportStatus exportToText(const std::string& path, const ResultList& list,
                          const std::vector<int>& columns)
{
    const std::vector<int> valid = validColumns(columns);
    if (valid.empty())
        return ExportStatus::NoColumns;
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        return ExportStatus::CannotCreate;
    std::FILE* file = ::fdopen(fd, "wb");
    if (!file) {
        ::close(fd);
        return ExportStatus::CannotCreate;
    }
    bool ok = true;
    forEachLine(list, valid, [&](const std::string& line) {
        if (ok && std::fwrite(line.data(), 1, line.size(), file) != line.size())
            ok = false;
    });
    ok = std::fclose(file) == 0 && ok;
    return ok ? ExportStatus::Ok : ExportStatus::CannotCreate;
}

}  // namespace dw
