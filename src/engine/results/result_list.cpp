#include "engine/results/result_list.h"

#include "engine/results/type_description.h"
#include "platform/file_status.h"
#include "platform/volumes.h"

#include <cstdio>
#include <ctime>

namespace dw {

namespace {

bool acceptable(const std::string& path, std::uint8_t attributes)
{
    const std::uint8_t systemFolder = attr::Folder | attr::System;
    if ((attributes & systemFolder) == systemFolder)
        return false;
    return !fileNameOf(path).empty();
}

// Rounds up to whole blocks, at least one; an unknown block size (0) leaves
// the bytes as they are.
std::uint64_t roundToBlocks(std::uint64_t bytes, std::uint64_t blockSize)
{
    if (blockSize == 0)
        return bytes;
    if (bytes <= blockSize)
        return blockSize;
    std::uint64_t blocks = bytes / blockSize + (bytes % blockSize != 0 ? 1 : 0);
    return blocks * blockSize;
}

// statfs() follows links, so a link (or anything not a file or folder) is
// asked about through its folder: the cache entry for its device must
// describe the device the link lives on, not the one it points to.
std::string volumeProbePath(const std::string& path, bool fileOrFolder)
{
    if (fileOrFolder)
        return path;
    auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

}  // namespace

const std::string& rowTypeText(const ResultRow& row)
{
    if (row.typeId == 0)
        row.typeId = typeDescriptionId(row.path, row.isFolder());
    return typeDescriptionText(row.typeId);
}

std::string rowDateText(const ResultRow& row)
{
    if (row.missing)
        return {};
    std::int64_t seconds = row.lastAccessNs / 1'000'000'000;
    if (row.lastAccessNs % 1'000'000'000 < 0)
        --seconds;
    std::time_t time = static_cast<std::time_t>(seconds);
    std::tm local {};
    if (!::localtime_r(&time, &local))
        return {};
    char text[40];
    std::snprintf(text, sizeof text, "%.2d.%.2d.%d", local.tm_mday, local.tm_mon + 1,
                  local.tm_year + 1900);
    return text;
}

ResultList::ResultList(ResultKind kind, ListAppearance appearance)
    : kind_(kind), appearance_(appearance)
{
}

bool ResultList::addRow(const std::string& path, std::uint8_t attributes, std::uint64_t size,
                        Colour backColour, Colour textColour, std::uint32_t group)
{
    if (!acceptable(path, attributes))
        return false;
    // A file that is gone (a stale session, a file removed after the walk)
    // still gets its row, shown as missing: it takes no room on the disk.
    auto status = platform::statPath(path);
    if (!status) {
        ResultRow row =
            buildRow(path, attributes, size, backColour, textColour, group, false, 0);
        row.missing = true;
        countIn(row);
        rows_.push_back(std::move(row));
        return true;
    }
    platform::VolumeInfo volume = platform::volumeOf(
        status->device, volumeProbePath(path, status->isRegular() || status->isFolder()));
    bool compressed = platform::isCompressed(path, volume);
    std::uint64_t sizeOnDisk =
        size == 0 ? 0 : roundToBlocks(compressed ? status->allocated : size, volume.blockSize);
    ResultRow row =
        buildRow(path, attributes, size, backColour, textColour, group, compressed, sizeOnDisk);
    row.lastAccessNs = status->accessNs;
    countIn(row);
    rows_.push_back(std::move(row));
    return true;
}

bool ResultList::addRow(const FileEntry& entry, Colour backColour, Colour textColour,
                        std::uint32_t group)
{
    std::optional<ResultRow> row = makeRow(entry, backColour, textColour, group);
    if (!row)
        return false;
    countIn(*row);
    rows_.push_back(std::move(*row));
    return true;
}

std::optional<ResultRow> ResultList::makeRow(const FileEntry& entry, Colour backColour,
                                              Colour textColour, std::uint32_t group) const
{
    // Sized exactly: a million rows keep a million of these.
    std::string path;
    path.reserve((entry.folder ? entry.folder->size() : 0) + entry.name.size());
    if (entry.folder)
        path += *entry.folder;
    path += entry.name;
    if (!acceptable(path, entry.attributes))
        return std::nullopt;
    bool fileOrFolder = (entry.attributes & (attr::Folder | attr::Archive)) != 0;
    platform::VolumeInfo volume =
        platform::volumeOf(entry.device, volumeProbePath(path, fileOrFolder));
    bool compressed = platform::isCompressed(path, volume);
    std::uint64_t onDisk = entry.size;
    if (compressed) {
        // Only compressed files need the allocated size the walk did not keep.
        if (auto status = platform::statPath(path))
            onDisk = status->allocated;
    }
    std::uint64_t sizeOnDisk = entry.size == 0 ? 0 : roundToBlocks(onDisk, volume.blockSize);
    ResultRow row = buildRow(std::move(path), entry.attributes, entry.size, backColour,
                            textColour, group, compressed, sizeOnDisk);
    row.lastAccessNs = entry.lastAccessNs;
    row.device = entry.device;
    row.inode = entry.inode;
    return row;
}

ResultRow ResultList::buildRow(std::string path, std::uint8_t attributes, std::uint64_t size,
                               Colour backColour, Colour textColour, std::uint32_t group,
                               bool compressed, std::uint64_t sizeOnDisk) const
{
    ResultRow row;
    row.path = std::move(path);
    row.attributes = attributes;
    row.size = size;
    row.sizeOnDisk = sizeOnDisk;
    row.group = group;
    row.backColour = backColour != 0 ? backColour : appearance_.bkColor;
    row.textColour = textColour != 0 ? textColour : appearance_.defaultColor;
    // The first attribute that has a colour of its own wins.
    if (attributes & attr::System)
        row.textColour = appearance_.sysColor;
    else if (compressed)
        row.textColour = appearance_.compressedColor;
    else if (attributes & attr::ReadOnly)
        row.textColour = appearance_.readOnlyColor;
    else if (attributes & attr::Hidden)
        row.textColour = appearance_.hiddenColor;
    else if (attributes & attr::Archive)
        row.textColour = appearance_.archiveColor;
    return row;
}

void ResultList::countIn(const ResultRow& row)
{
    if (row.missing) {
        ++missingCount_;
        return;
    }
    totalSizeOnDisk_ += row.sizeOnDisk;
    if (row.checked) {
        ++checkedCount_;
        checkedSizeOnDisk_ += row.sizeOnDisk;
    }
}

void ResultList::countOut(const ResultRow& row)
{
    if (row.missing) {
        --missingCount_;
        return;
    }
    totalSizeOnDisk_ -= row.sizeOnDisk;
    if (row.checked) {
        --checkedCount_;
        checkedSizeOnDisk_ -= row.sizeOnDisk;
    }
}

void ResultList::removeRow(std::size_t index)
{
    if (index >= rows_.size())
        return;
    countOut(rows_[index]);
    rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(index));
}

void ResultList::deleteAllRows()
{
    rows_.clear();
    rows_.shrink_to_fit();
    missingCount_ = 0;
    totalSizeOnDisk_ = 0;
    checkedCount_ = 0;
    checkedSizeOnDisk_ = 0;
}

std::vector<ResultRow> ResultList::takeAllRows()
{
    std::vector<ResultRow> rows(std::make_move_iterator(rows_.begin()),
                                std::make_move_iterator(rows_.end()));
    deleteAllRows();
    return rows;
}

void ResultList::appendRows(std::vector<ResultRow> rows)
{
    for (ResultRow& row : rows) {
        countIn(row);
        rows_.push_back(std::move(row));
    }
}

void ResultList::setChecked(std::size_t index, bool checked)
{
    if (index >= rows_.size())
        return;
    ResultRow& row = rows_[index];
    if (row.checked == checked)
        return;
    countOut(row);
    row.checked = checked;
    countIn(row);
}

void ResultList::setSizeOnDisk(std::size_t index, std::uint64_t sizeOnDisk)
{
    ResultRow& row = rows_.at(index);
    countOut(row);
    row.sizeOnDisk = sizeOnDisk;
    countIn(row);
}

std::string ResultList::columnText(std::size_t index, int column) const
{
    const ResultRow& row = rows_.at(index);
    switch (column) {
    case ColName:
        return rowName(row);
    case ColPath:
        return row.path;
    case ColSize:
        return row.isFolder() ? std::string() : FormatSize(row.size, 3);
    case ColSizeOnDisk:
        return row.isFolder() || row.missing ? std::string() : FormatSize(row.sizeOnDisk, 3);
    case ColAccessed:
        return rowDateText(row);
    case ColType:
        return rowTypeText(row);
    default:
        return {};
    }
}

std::string rowName(const ResultRow& row) { return std::string(fileNameOf(row.path)); }

}  // namespace dw
