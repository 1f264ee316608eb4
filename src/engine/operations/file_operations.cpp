#include "engine/operations/file_operations.h"

#include "engine/operations/file_operations_tree.h"
#include "engine/operations/file_transfer.h"
#include "engine/operations/own_delete.h"
#include "engine/texts.h"
#include "platform/trash.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace dw {

void FileOperations::clear()
{
    sources_.clear();
    identities_.clear();
    refused_.clear();
    destinations_.clear();
    operation_ = FileOperation::Delete;
    toRecycleBin_ = false;
    prepared_ = false;
}

void FileOperations::addSource(const std::string& path, const SourceIdentity& expected)
{
    sources_.push_back(path);
    identities_.push_back(expected);
}

void FileOperations::addDestination(const std::string& path) { destinations_.push_back(path); }

void FileOperations::prepare(FileOperation operation, bool toRecycleBin)
{
    operation_ = operation;
    toRecycleBin_ = toRecycleBin;
    prepared_ = true;
}

Progress& FileOperations::startProgress(const char* title, const char* phase)
{
    Progress& progress = prompts_.progress();
    progress.cancel.store(false, std::memory_order_relaxed);
    progress.setTitle(title);
    progress.setPhase(phase);
    progress.setFolder({});
    progress.setRange(0, sources_.size());
    progress.show();
    return progress;
}

OperationReport FileOperations::runSystemOperation()
{
    if (!prepared_ || sources_.empty())
        return {};
    switch (operation_) {
    case FileOperation::Delete:
        return toRecycleBin_ ? deleteToTrash() : deleteOwn();
    case FileOperation::Copy:
    case FileOperation::Move:
        // Each source into one folder; the list of paths names no other shape.
        if (destinations_.size() != 1)
            return {};
        return transfer();
    }
    return {};
}

OperationReport FileOperations::deletePaths(bool useSystem, bool toRecycleBin)
{
    OperationReport report;
    if (sources_.empty())
        return report;
    if (useSystem) {
        prepare(FileOperation::Delete, toRecycleBin);
        report = runSystemOperation();
    } else {
        report = deleteOwn();
    }
    clear();
    return report;
}

namespace {

enum class SourceResult { Done, Left, Cancelled };

// Runs `act` on each source (by its index) in order, stepping the progress:
// what `act` could not do stays in the report's list, and a cancel leaves
// every source from there on untouched.
template <typename Act>
void forEachSource(const std::vector<std::string>& sources, Progress& progress, OperationReport& report,
                   Act act)
{
    for (std::size_t i = 0; i < sources.size(); ++i) {
        SourceResult result = progress.cancelled() ? SourceResult::Cancelled : act(i);
        if (result == SourceResult::Cancelled) {
            report.cancelled = true;
            report.left.insert(report.left.end(), sources.begin() + static_cast<std::ptrdiff_t>(i), sources.end());
            break;
        }
        if (result == SourceResult::Done)
            ++report.done;
        else
            report.left.push_back(sources[i]);
        progress.step();
    }
    progress.hide();
}

SourceResult resultOf(DeleteOutcome outcome)
{
    switch (outcome) {
    case DeleteOutcome::Deleted:
        return SourceResult::Done;
    case DeleteOutcome::Cancelled:
        return SourceResult::Cancelled;
    case DeleteOutcome::Failed:
        break;
    }
    return SourceResult::Left;
}

// A path handed in with nothing known about it is deleted alone: a folder
// there may have gained files since the caller listed what it held.
DeleteOutcome deleteForGood(const std::string& path, const SourceIdentity& expected, Progress& progress)
{
    return expected.known() ? deletePermanently(path, &progress, expected) : deleteEntryAlone(path, &progress);
}

}  // namespace

OperationReport FileOperations::deleteOwn()
{
    OperationReport report;
    if (!prompts_.confirmPermanentDelete(sources_.size()))
        return report;
    report.ran = true;
    Progress& progress = startProgress(text::DeleteCaption, "");
    forEachSource(sources_, progress, report, [&](std::size_t i) {
        return resultOf(deleteForGood(sources_[i], identities_[i], progress));
    });
    return report;
}

OperationReport FileOperations::deleteToTrash()
{
    OperationReport report;
    if (!prompts_.confirmMoveToTrash(sources_.size()))
        return report;
    report.ran = true;
    Progress& progress = startProgress(text::DeleteCaption, text::TrashPhase);
    std::optional<OperationPrompts::NoTrash> always;  // "delete all" or "skip all"
    forEachSource(sources_, progress, report, [&](std::size_t i) {
        const std::string& path = sources_[i];
        progress.setFolder(path);
        // The Trash takes a path: it is checked right before it is handed over.
        SourceEntry entry;
        switch (findSource(path, identities_[i], entry)) {
        case SourceState::Gone:
            return SourceResult::Done;  // went with a folder listed before it, or before we came
        case SourceState::Refused:
            return SourceResult::Left;
        case SourceState::Found:
            break;
        }
        if (tree::isMountRootAt(entry.folder.get(), entry.name))
            return SourceResult::Left;  // a whole file system is never trashed
        if (!identities_[i].known() && S_ISDIR(entry.st.st_mode)) {
            // An empty folder holds nothing to restore; the kernel keeps one that is not empty.
            if (::unlinkat(entry.folder.get(), entry.name.c_str(), AT_REMOVEDIR) == 0 || errno == ENOENT)
                return SourceResult::Done;
            return SourceResult::Left;
        }
        switch (platform::moveToTrash(path)) {
        case platform::TrashResult::Trashed:
        case platform::TrashResult::Vanished:
            return SourceResult::Done;
        case platform::TrashResult::Failed:
            return SourceResult::Left;
        case platform::TrashResult::NoTrash:
            break;
        }
        OperationPrompts::NoTrash answer = always ? *always : prompts_.askDeleteWithoutTrash(path);
        if (answer == OperationPrompts::NoTrash::DeleteAll)
            always = answer = OperationPrompts::NoTrash::Delete;
        else if (answer == OperationPrompts::NoTrash::SkipAll)
            always = answer = OperationPrompts::NoTrash::Skip;
        if (answer == OperationPrompts::NoTrash::Cancel)
            return SourceResult::Cancelled;
        if (answer == OperationPrompts::NoTrash::Skip)
            return SourceResult::Left;
        return resultOf(deleteForGood(path, identities_[i], progress));
    });
    return report;
}

OperationReport FileOperations::transfer()
{
    OperationReport report;
    report.ran = true;
    const bool move = operation_ == FileOperation::Move;
    const auto kind = move ? OperationPrompts::Transfer::Move : OperationPrompts::Transfer::Copy;
    Progress& progress = startProgress(move ? text::MoveCaption : text::CopyCaption, "");
    ConflictResolver conflicts(prompts_);
    forEachSource(sources_, progress, report, [&](std::size_t i) {
        switch (transferPath(sources_[i], destinations_.front(), kind, conflicts, &progress,
                             identities_[i])) {
        case TransferOutcome::Done:
            return SourceResult::Done;
        case TransferOutcome::Cancelled:
            return SourceResult::Cancelled;
        default:
            return SourceResult::Left;
        }
    });
    return report;
}

OperationReport FileOperations::deleteContentsOwn(const std::vector<FolderContents>& folders)
{
    OperationReport report;
    if (!prompts_.confirmPermanentDelete(sources_.size()))
        return report;
    report.ran = true;
    Progress& progress = startProgress(text::DeleteCaption, "");
    for (const FolderContents& contents : folders) {
        ContentsDeleted result;
        if (!report.cancelled)
            result = deleteFolderContentsOf(contents, &progress);
        report.cancelled = report.cancelled || result.cancelled;
        for (std::size_t i = 0; i < contents.items.size(); ++i) {
            if (contents.items[i].kept)
                continue;
            if (i < result.deleted.size() && result.deleted[i])
                ++report.done;
            else
                report.left.push_back(contents.items[i].path);
        }
    }
    progress.hide();
    return report;
}

}  // namespace dw
