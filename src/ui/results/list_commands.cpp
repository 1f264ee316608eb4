// The results list's commands that act on files or ask the user: the file
// operations, the filter, the export, the file manager's views.
#include "ui/results/list_commands.h"

#include "engine/results/list_filter.h"
#include "engine/results/marking.h"
#include "engine/results/text_export.h"
#include "engine/texts.h"
#include "platform/file_status.h"
#include "platform/qsettings_store.h"
#include "ui/controls/column_chooser_dialog.h"
#include "ui/controls/file_dialog_folder.h"
#include "ui/controls/filter_dialog.h"
#include "ui/controls/ids.h"
#include "ui/controls/widget_ids.h"
#include "ui/controls/ui_texts.h"
#include "ui/results/file_manager_link.h"
#include "ui/results/file_properties_dialog.h"
#include "ui/results/results_model.h"

#include <QDesktopServices>
#include <QFile>
#include <QFileDialog>
#include <QItemSelectionModel>
#include <QMenu>
#include <QMessageBox>
#include <QStyle>
#include <QUrl>

#include <unordered_set>

namespace dw::ui {

namespace {

QString askExportFile(QWidget* parent)
{
    QFileDialog dialog(parent, text::qs(text::Export), fileDialogFolder());
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters({text::qs(text::TextFileFilter), text::qs(text::AllFilesFilter)});
    dialog.setDefaultSuffix(QStringLiteral("txt"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    rememberFileDialogChoice(dialog.selectedFiles().constFirst());
    return dialog.selectedFiles().constFirst();
}

}  // namespace

ResultsListCtrl::~ResultsListCtrl()
{
    if (compressJob_) {
        compressJob_->requestCancel();
        compressJob_->worker.join();
    }
}

void ResultsListCtrl::setProgressWindow(ProgressDialog* window) { progressWindow_ = window; }

const SearchSettings& ResultsListCtrl::currentSettings() const
{
    static const SearchSettings defaults;
    return settings_ ? *settings_ : defaults;
}

SettingsStore& ResultsListCtrl::folderStore()
{
    if (folderStore_)
        return *folderStore_;
    if (!userStore_)
        userStore_ = std::make_unique<platform::QSettingsStore>(
            platform::QSettingsStore::forUser(platform::executableBaseName()));
    return *userStore_;
}

std::optional<std::string> ResultsListCtrl::selectedPath() const
{
    const std::optional<std::size_t> row = firstSelectedRow();
    if (!row || *row >= model_->list().size())
        return std::nullopt;
    return model_->list().row(*row).path;
}

void ResultsListCtrl::runOperation(bool ownDeleteStyle, const OperationWork& work)
{
    std::unique_ptr<GuiPrompts> dialogs;
    OperationPrompts* prompts = prompts_;
    if (!prompts) {
        dialogs = std::make_unique<GuiPrompts>(
            window(), folderStore(),
            ownDeleteStyle ? GuiPrompts::DeleteStyle::Own : GuiPrompts::DeleteStyle::Desktop);
        prompts = dialogs.get();
    }
    FileOperations operations(*prompts);
    changeRowsKeepingSelection([&](ResultList& list) { work(operations, *prompts, list); });
}

void ResultsListCtrl::changeRowsKeepingSelection(const std::function<void(ResultList&)>& change)
{
    std::unordered_set<std::string> selected;
    for (std::size_t row : selectedRowIndexes())
        selected.insert(model_->list().row(row).path);
    model_->changeRows(change);
    if (selected.empty())
        return;
    // One range per run of rows, so that a large selection stays cheap.
    const ResultList& list = model_->list();
    QItemSelection selection;
    for (std::size_t first = 0; first < list.size(); ++first) {
        if (!selected.count(list.row(first).path))
            continue;
        std::size_t last = first;
        while (last + 1 < list.size() && selected.count(list.row(last + 1).path))
            ++last;
        selection.select(model_->index(static_cast<int>(first), 0),
                         model_->index(static_cast<int>(last), kColumnCount - 1));
        first = last;
    }
    selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    if (!selection.isEmpty())
        selectionModel()->setCurrentIndex(selection.first().topLeft(),
                                          QItemSelectionModel::NoUpdate);
}

bool ResultsListCtrl::checkedFilesAllGone() const
{
    bool anyChecked = false;
    for (const ResultRow& row : model_->list().rows()) {
        if (!row.checked)
            continue;
        if (platform::statPath(row.path))
            return false;
        anyChecked = true;
    }
    return anyChecked;
}

void ResultsListCtrl::deleteChecked()
{
    // Nothing left to delete is worth saying, and the rows are worth dropping.
    if (checkedFilesAllGone()) {
        QMessageBox::information(window(), QString::fromUtf8(dw::text::DeleteCaption),
                                 text::qs(text::CheckedFilesGone));
        changeRowsKeepingSelection(
            [](ResultList& list) { FileOperations::dropVanishedRows(list, true); });
        return;
    }
    const SearchSettings& settings = currentSettings();
    runOperation(!settings.useSystemDiskOperations,
                 [&](FileOperations& operations, OperationPrompts&, ResultList& list) {
                     operations.deleteChecked(list, settings);
                 });
}

void ResultsListCtrl::deleteFolderContents()
{
    const SearchSettings& settings = currentSettings();
    const std::optional<std::size_t> selected = firstSelectedRow();
    runOperation(!settings.useSystemDiskOperations,
                 [&](FileOperations& operations, OperationPrompts&, ResultList& list) {
                     operations.deleteFolderContents(list, selected, settings);
                 });
}

void ResultsListCtrl::copyChecked()
{
    runOperation(false, [](FileOperations& operations, OperationPrompts&, ResultList& list) {
        operations.copyChecked(list);
    });
}

void ResultsListCtrl::moveChecked()
{
    runOperation(false, [](FileOperations& operations, OperationPrompts&, ResultList& list) {
        operations.moveChecked(list);
    });
}

void ResultsListCtrl::compressChecked()
{
    if (compressJob_)
        return;
    if (progressWindow_) {
        compressOnWorker();
        return;
    }
    std::size_t compressed = 0;
    runOperation(false, [&](FileOperations& operations, OperationPrompts& prompts,
                            ResultList& list) {
        compressed = operations.compressChecked(list, prompts.progress());
    });
    Q_EMIT compressionFinished(compressed);
}

void ResultsListCtrl::compressOnWorker()
{
    const ResultList& list = model_->list();
    if (list.checkedCount() == 0) {
        Q_EMIT compressionFinished(0);
        return;
    }
    auto job = std::make_unique<CompressJob>(this, prompts_);
    std::vector<ResultRow> copies;
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (!list.row(i).checked)
            continue;
        copies.push_back(list.row(i));
        job->origin.push_back(i);
    }
    job->rows = ResultList(list.kind(), list.appearance());
    job->rows.appendRows(std::move(copies));
    compressJob_ = std::move(job);
    progressWindow_->begin(QString::fromUtf8(dw::text::CompressCaption));
    CompressJob* running = compressJob_.get();
    running->worker = std::thread([this, running] {
        running->run();
        QMetaObject::invokeMethod(this, [this] { finishCompression(); }, Qt::QueuedConnection);
    });
}

void ResultsListCtrl::relayProgress(void (Progress::*set)(const std::string&),
                                    const std::string& text)
{
    if (!compressJob_ || !progressWindow_)
        return;
    dw::Progress& shown = progressWindow_->progress();
    shown.setPosition(compressJob_->position.load(std::memory_order_relaxed));
    (shown.*set)(text);
    if (shown.cancelled())
        compressJob_->requestCancel();
}

void ResultsListCtrl::finishCompression()
{
    std::unique_ptr<CompressJob> job = std::move(compressJob_);
    job->worker.join();
    // A row that went or moved meanwhile is left as it is.
    changeRowsKeepingSelection([&job](ResultList& list) {
        for (std::size_t i = 0; i < job->rows.size(); ++i) {
            const ResultRow& done = job->rows.row(i);
            const std::size_t at = job->origin[i];
            if (at >= list.size() || list.row(at).path != done.path)
                continue;
            list.setTextColour(at, done.textColour);
            list.setSizeOnDisk(at, done.sizeOnDisk);
        }
    });
    if (progressWindow_)
        progressWindow_->end();
    Q_EMIT compressionFinished(job->compressed);
}

void ResultsListCtrl::dropVanishedRows()
{
    changeRowsKeepingSelection(
        [](ResultList& list) { FileOperations::dropVanishedRows(list, false); });
}

void ResultsListCtrl::createMarkCopiesMenu()
{
    // Only a duplicates list has copies to mark.
    if (model_->list().kind() != ResultKind::Duplicates)
        return;
    markCopiesMenu_ = new QMenu(text::qs(text::MarkCopies), this);
    QAction* entry =
        addCommand(id::CmdMarkCopies, text::MarkCopies, {"checkbox-mixed", "checkbox-mixed-symbolic"},
                   QStyle::SP_DialogApplyButton);
    entry->setMenu(markCopiesMenu_);
    struct Choice {
        int id;
        const char* text;
        KeepRule keep;
    };
    const Choice choices[] = {
        {id::CmdKeepFirstCopy, text::KeepFirstCopy, KeepRule::First},
        {id::CmdKeepOldestCopy, text::KeepOldestCopy, KeepRule::Oldest},
        {id::CmdKeepNewestCopy, text::KeepNewestCopy, KeepRule::Newest},
        {id::CmdKeepShortestCopy, text::KeepShortestCopy, KeepRule::Shortest},
    };
    for (const Choice& choice : choices) {
        auto* action = withId(markCopiesMenu_->addAction(text::qs(choice.text)), choice.id);
        commands_.insert(choice.id, action);
        connect(action, &QAction::triggered, this, [this, keep = choice.keep] { markCopies(keep); });
    }
}

void ResultsListCtrl::markCopies(KeepRule keep)
{
    model_->changeMarks([keep](ResultList& list) { dw::markCopies(list, keep); });
}

void ResultsListCtrl::runFilter()
{
    if (model_->list().empty())
        return;
    FilterDialog dialog(folderStore(), window());
    dialog.setRequest(filterPrefill(model_->list(), firstSelectedRow()));
    if (dialog.exec() != QDialog::Accepted)
        return;
    const FilterRequest& request = dialog.request();
    auto apply = [&request](ResultList& list) { dw::runFilter(list, request); };
    const bool removes = request.action == FilterAction::Remove ||
                         request.action == FilterAction::RemoveExcept;
    if (removes)
        changeRowsKeepingSelection(apply);
    else
        model_->changeMarks(apply);
}

void ResultsListCtrl::exportToText()
{
    const QString file = askSaveFile_ ? askSaveFile_(window()) : askExportFile(window());
    if (file.isEmpty())
        return;
    // Closed without OK the chooser keeps every column.
    ColumnChooserDialog chooser(columnTitles(), window());
    chooser.exec();
    const ExportStatus status =
        dw::exportToText(QFile::encodeName(file).toStdString(), model_->list(),
                         columnsForTitles(chooser.titles()));
    if (status == ExportStatus::CannotCreate)
        QMessageBox::critical(window(), text::qs(text::ProgramName),
                              QString::fromUtf8(dw::text::CannotCreateFile));
}

void ResultsListCtrl::openSelectedFolder()
{
    const std::optional<std::string> path = selectedPath();
    if (!path)
        return;
    const std::string::size_type slash = path->rfind('/');
    const std::string folder =
        slash == 0 || slash == std::string::npos ? "/" : path->substr(0, slash);
    fileManager_->showItem(*path, [folder] {
        QDesktopServices::openUrl(QUrl::fromLocalFile(QFile::decodeName(folder.c_str())));
    });
}

void ResultsListCtrl::showSelectedProperties()
{
    const std::optional<std::string> path = selectedPath();
    if (!path)
        return;
    fileManager_->showItemProperties(*path, [this, path = *path] {
        auto* dialog = new FilePropertiesDialog(path, window());
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        dialog->show();
    });
}

}  // namespace dw::ui
