#include "engine/results/file_operations.h"

#include "engine/results/file_transfer.h"
#include "engine/results/own_delete.h"
#include "engine/texts.h"
#include "platform/file_status.h"
#include "platform/trash.h"

namespace dw {

void FileOperations::clear()
{
    sources_.clear();
    destinations_.clear();
    operation_ = FileOperation::Delete;
    toRecycleBin_ = false;
    prepared_ = false;
}

void FileOperations::addSource(const std::string& path) { sources_.push_back(path); }

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

OperationReport FileOperations::deleteOwn()
{
    OperationReport report;
    if (!prompts_.confirmPermanentDelete(sources_.size()))
        return report;
    report.ran = true;
    Progress& progress = startProgress(text::DeleteCaption, "");
    for (std::size_t i = 0; i < sources_.size(); ++i) {
        DeleteOutcome outcome = progress.cancelled() ? DeleteOutcome::Cancelled
                                                     : deletePermanently(sources_[i], &progress);
        if (outcome == DeleteOutcome::Cancelled) {
            report.cancelled = true;
            report.left.insert(report.left.end(), sources_.begin() + static_cast<std::ptrdiff_t>(i),
                               sources_.end());
            break;
        }
        if (outcome == DeleteOutcome::Deleted)
            ++report.done;
        else
            report.left.push_back(sources_[i]);
        progress.step();
    }
    progress.hide();
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
    for (std::size_t i = 0; i < sources_.size(); ++i) {
        const std::string& path = sources_[i];
        if (progress.cancelled()) {
            report.cancelled = true;
            report.left.insert(report.left.end(), sources_.begin() + static_cast<std::ptrdiff_t>(i),
                               sources_.end());
            break;
        }
        progress.setFolder(path);
        bool handled = false;
        if (!platform::statPath(path)) {
            handled = true;  // went with a folder listed before it, or before we came
        } else if (isMountRoot(path)) {
            handled = false;  // a whole file system is never trashed
        } else {
            switch (platform::moveToTrash(path)) {
            case platform::TrashResult::Trashed:
            case platform::TrashResult::Vanished:
                handled = true;
                break;
            case platform::TrashResult::Failed:
                break;
            case platform::TrashResult::NoTrash: {
                OperationPrompts::NoTrash answer =
                    always ? *always : prompts_.askDeleteWithoutTrash(path);
                if (answer == OperationPrompts::NoTrash::DeleteAll)
                    always = answer = OperationPrompts::NoTrash::Delete;
                else if (answer == OperationPrompts::NoTrash::SkipAll)
                    always = answer = OperationPrompts::NoTrash::Skip;
                if (answer == OperationPrompts::NoTrash::Cancel) {
                    report.cancelled = true;
                } else if (answer == OperationPrompts::NoTrash::Delete) {
                    DeleteOutcome outcome = deletePermanently(path, &progress);
                    report.cancelled = outcome == DeleteOutcome::Cancelled;
                    handled = outcome == DeleteOutcome::Deleted;
                }
                break;
            }
            }
        }
        if (report.cancelled) {
            report.left.insert(report.left.end(), sources_.begin() + static_cast<std::ptrdiff_t>(i),
                               sources_.end());
            break;
        }
        if (handled)
            ++report.done;
        else
            report.left.push_back(path);
        progress.step();
    }
    progress.hide();
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
    for (std::size_t i = 0; i < sources_.size(); ++i) {
        TransferOutcome outcome =
            progress.cancelled()
                ? TransferOutcome::Cancelled
                : transferPath(sources_[i], destinations_.front(), kind, conflicts, &progress);
        if (outcome == TransferOutcome::Cancelled) {
            report.cancelled = true;
            report.left.insert(report.left.end(), sources_.begin() + static_cast<std::ptrdiff_t>(i),
                               sources_.end());
            break;
        }
        if (outcome == TransferOutcome::Done)
            ++report.done;
        else
            report.left.push_back(sources_[i]);
        progress.step();
    }
    progress.hide();
    return report;
}

}  // namespace dw
