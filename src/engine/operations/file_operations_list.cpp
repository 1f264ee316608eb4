#include "engine/operations/file_operations.h"

#include "engine/operations/own_delete.h"
#include "engine/texts.h"
#include "platform/compression.h"
#include "platform/file_status.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

namespace dw {

namespace {

// Whether we may remove the entry found as `entry`: its folder must be
// writable and searchable for us, and if sticky, the file or the folder
// must be ours. Asks the kernel about the open folder only.
bool canRemove(const SourceEntry& entry)
{
    if (::faccessat(entry.folder.get(), ".", W_OK | X_OK, AT_EACCESS) != 0)
        return false;
    struct stat folder {};
    if (::fstat(entry.folder.get(), &folder) != 0)
        return false;
    const uid_t me = ::geteuid();
    if ((folder.st_mode & S_ISVTX) && me != 0 && me != entry.st.st_uid && me != folder.st_uid)
        return false;
    return true;
}

// Appends `refused` to the report's paths left: refused before anything ran.
OperationReport withRefused(OperationReport report, std::vector<std::string> refused)
{
    report.left.insert(report.left.begin(), refused.begin(), refused.end());
    return report;
}

// True when some duplicate group has every one of its rows checked.
bool allCopiesChecked(const ResultList& list)
{
    std::unordered_map<std::uint32_t, std::pair<std::size_t, std::size_t>> groups;  // rows, checked
    for (const ResultRow& row : list.rows()) {
        if (row.group == 0)
            continue;
        auto& counts = groups[row.group];
        ++counts.first;
        if (row.checked)
            ++counts.second;
    }
    for (const auto& [group, counts] : groups)
        if (counts.second == counts.first)
            return true;
    return false;
}

// Drops the rows whose file is gone among the checked rows and the rows lying
// inside `folders` (their files may have gone with a folder without being checked).
std::size_t dropGoneRows(ResultList& list, const std::vector<std::string>& folders)
{
    std::unordered_set<std::string> tops;
    for (const std::string& folder : folders)
        tops.insert(withoutTrailingSlash(folder));
    auto inside = [&](const std::string& path) {
        if (tops.empty())
            return false;
        for (auto slash = path.find('/', 1); slash != std::string::npos;
             slash = path.find('/', slash + 1))
            if (tops.count(path.substr(0, slash)))
                return true;
        return false;
    };
    return list.removeRows([&](const ResultRow& row) {
        return (row.checked || inside(row.path)) && !platform::statPath(row.path);
    });
}

// A cancel reports every source it did not reach as left. Among a folder's
// contents, whose folders come before what they hold, that names items that
// had already gone into the Trash inside a folder moved there whole: they
// went with it and count as done.
void countWhatWentWithItsFolder(OperationReport& report, const std::vector<std::string>& sources)
{
    const std::unordered_set<std::string> taken(sources.begin(), sources.end());
    const std::unordered_set<std::string> left(report.left.begin(), report.left.end());
    auto wentWithAFolder = [&](const std::string& path) {
        for (auto slash = path.rfind('/'); slash != std::string::npos && slash > 0;
             slash = path.rfind('/', slash - 1)) {
            const std::string folder = path.substr(0, slash);
            if (taken.count(folder) && !left.count(folder))
                return true;
        }
        return false;
    };
    const std::size_t before = report.left.size();
    std::erase_if(report.left, wentWithAFolder);
    report.done += before - report.left.size();
}

std::vector<std::string> folderSources(const std::vector<std::string>& sources)
{
    std::vector<std::string> folders;
    for (const std::string& path : sources) {
        auto status = platform::statPath(path);
        if (status && status->isFolder())
            folders.push_back(path);
    }
    return folders;
}

std::uint64_t roundToBlocks(std::uint64_t bytes, std::uint64_t blockSize)
{
    if (blockSize == 0)
        return bytes;
    if (bytes <= blockSize)
        return blockSize;
    return (bytes + blockSize - 1) / blockSize * blockSize;
}

}  // namespace

bool FileOperations::collectCheckedRows(ResultList& list)
{
    clear();
    std::vector<std::size_t> folders;
    for (std::size_t i = 0; i < list.size(); ++i) {
        const ResultRow& row = list.row(i);
        if (!row.checked)
            continue;
        SourceEntry entry;
        SourceState state = findSource(row.path, SourceIdentity::of(row), entry);
        if (state == SourceState::Gone)
            continue;
        if (state == SourceState::Refused) {
            list.setTextColour(i, kUnusableRowColour);
            refused_.push_back(row.path);
            continue;
        }
        if (S_ISDIR(entry.st.st_mode)) {
            if (platform::statusFrom(entry.st, row.path).attributes & attr::System)
                list.setTextColour(i, kUnusableRowColour);
            else
                folders.push_back(i);
            continue;
        }
        if (!canRemove(entry)) {
            list.setTextColour(i, kUnusableRowColour);
            continue;
        }
        addSource(row.path, SourceIdentity::of(row));
    }
    for (std::size_t i : folders)
        addSource(list.row(i).path, SourceIdentity::of(list.row(i)));
    return !sources_.empty();
}

OperationReport FileOperations::deleteChecked(ResultList& list, const SearchSettings& settings)
{
    if (list.kind() == ResultKind::Duplicates && allCopiesChecked(list) &&
        !prompts_.confirmDeleteAllCopies())
        return {};
    if (!collectCheckedRows(list))
        return withRefused({}, std::move(refused_));
    std::vector<std::string> refused = std::move(refused_);
    const std::vector<std::string> folders = folderSources(sources_);
    OperationReport report =
        deletePaths(settings.useSystemDiskOperations, settings.removeToRecycleBin);
    dropGoneRows(list, folders);
    return withRefused(std::move(report), std::move(refused));
}

OperationReport FileOperations::deleteFolderContents(ResultList& list,
                                                     std::optional<std::size_t> selectedRow,
                                                     const SearchSettings& settings)
{
    clear();
    std::vector<FolderContents> listed;
    std::vector<std::string> refused;
    auto listRow = [&](std::size_t index) {
        const ResultRow& row = list.row(index);
        FolderContents contents;
        if (!listFolderContents(row.path, SourceIdentity::of(row), contents)) {
            SourceEntry entry;
            if (findSource(row.path, SourceIdentity::of(row), entry) == SourceState::Refused &&
                std::find(refused.begin(), refused.end(), row.path) == refused.end())
                refused.push_back(row.path);
            return;
        }
        if (!contents.items.empty())
            listed.push_back(std::move(contents));
    };
    for (std::size_t i = 0; i < list.size(); ++i)
        if (list.row(i).checked && list.row(i).isFolder())
            listRow(i);
    if (listed.empty() && selectedRow && *selectedRow < list.size() &&
        list.row(*selectedRow).isFolder())
        listRow(*selectedRow);
    for (const FolderContents& contents : listed)
        for (const auto& item : contents.items)
            if (!item.kept)
                addSource(item.path, SourceIdentity::of(item.st));
    OperationReport report;
    if (!sources_.empty()) {
        const bool trash = settings.useSystemDiskOperations && settings.removeToRecycleBin;
        if (trash) {
            const std::vector<std::string> items = sources_;
            report = deletePaths(true, true);
            if (report.cancelled)
                countWhatWentWithItsFolder(report, items);
        } else {
            report = deleteContentsOwn(listed);
        }
    }
    clear();
    // The folder rows themselves still exist and stay.
    std::vector<std::string> folders;
    for (const FolderContents& contents : listed)
        folders.push_back(contents.folder);
    dropGoneRows(list, folders);
    return withRefused(std::move(report), std::move(refused));
}

OperationReport FileOperations::transferChecked(ResultList& list, OperationPrompts::Transfer kind)
{
    if (!collectCheckedRows(list))
        return withRefused({}, std::move(refused_));
    std::vector<std::string> refused = std::move(refused_);
    std::optional<std::string> folder = prompts_.chooseFolder(kind);
    if (!folder || folder->empty()) {
        clear();
        return withRefused({}, std::move(refused));
    }
    addDestination(*folder);
    const bool move = kind == OperationPrompts::Transfer::Move;
    prepare(move ? FileOperation::Move : FileOperation::Copy, false);
    const std::vector<std::string> folders =
        move ? folderSources(sources_) : std::vector<std::string>{};
    OperationReport report = runSystemOperation();
    clear();
    if (move)
        dropGoneRows(list, folders);
    return withRefused(std::move(report), std::move(refused));
}

OperationReport FileOperations::copyChecked(ResultList& list)
{
    return transferChecked(list, OperationPrompts::Transfer::Copy);
}

OperationReport FileOperations::moveChecked(ResultList& list)
{
    return transferChecked(list, OperationPrompts::Transfer::Move);
}

std::size_t FileOperations::compressChecked(ResultList& list, Progress& progress)
{
    // The collection is a gate that also marks unusable rows red; the work
    // below walks the checked rows themselves.
    const bool any = collectCheckedRows(list);
    clear();
    if (!any)
        return 0;
    progress.cancel.store(false, std::memory_order_relaxed);
    progress.setTitle(text::CompressCaption);
    progress.setPhase(text::CompressFile);
    progress.setRange(0, list.checkedCount());
    progress.show();
    std::size_t compressed = 0;
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (!list.row(i).checked)
            continue;
        progress.setFolder(list.row(i).path);
        SourceEntry entry;
        platform::CompressResult result;
        const SourceIdentity expected = SourceIdentity::of(list.row(i));
        if (findSource(list.row(i).path, expected, entry) == SourceState::Found)
            result = platform::compressFileAt(entry.folder.get(), entry.name, entry.st);
        if (result.status == platform::CompressStatus::Compressed) {
            list.setTextColour(i, kCompressedRowColour);
            list.setSizeOnDisk(i, roundToBlocks(result.allocated, result.blockSize));
            ++compressed;
        }
        progress.step();
        if (progress.cancelled())
            break;
    }
    progress.hide();
    return compressed;
}

std::size_t FileOperations::dropVanishedRows(ResultList& list, bool checkedOnly)
{
    return list.removeRows([checkedOnly](const ResultRow& row) {
        return (!checkedOnly || row.checked) && !platform::statPath(row.path);
    });
}

}  // namespace dw
