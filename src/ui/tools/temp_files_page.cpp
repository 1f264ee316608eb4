#include "ui/tools/temp_files_page.h"

#include "engine/operations/file_operations.h"
#include "engine/results/result_list.h"
#include "platform/qsettings_store.h"
#include "ui/controls/anchor_layout.h"
#include "ui/controls/dialog_units.h"
#include "ui/controls/ids.h"
#include "ui/controls/ui_texts.h"
#include "ui/controls/widget_ids.h"
#include "ui/results/gui_prompts.h"

#include <QFileIconProvider>
#include <QFileInfo>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>

#include <algorithm>

namespace dw::ui {

namespace {

constexpr int kPageWidth = 345;
constexpr int kPageHeight = 182;
constexpr int kSizeColumn = 1;

}  // namespace

TempFilesPage::TempFilesPage(QWidget* parent) : QWidget(parent), anchors_(new AnchorLayout(this))
{
    withId(this, id::TempFilesPage);
    const DialogUnits du(font());
    resize(du.size(kPageWidth, kPageHeight));

    list_ = withId(new QTreeWidget(this), id::ToolList);
    list_->setRootIsDecorated(false);
    list_->setAllColumnsShowFocus(true);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setHeaderLabels({text::qs(text::ColumnTitle), text::qs(text::ColumnSize), text::qs(text::ColumnDescription)});
    list_->setGeometry(du.rect(0, 0, kPageWidth, 164));
    // The designed widths 100, 100 and 300, scaled to the list.
    list_->header()->setStretchLastSection(true);
    list_->setColumnWidth(0, du.x(100));
    list_->setColumnWidth(1, du.x(60));
    anchors_->add(list_, AnchorLayout::All);

    auto* refreshButton = withId(new QPushButton(text::qs(text::Refresh), this), id::RefreshButton);
    auto* deleteButton = withId(new QPushButton(text::qs(text::DeleteContents), this), id::DeleteContentsButton);
    int right = du.x(kPageWidth);
    for (QPushButton* button : {refreshButton, deleteButton}) {
        button->setAutoDefault(false);
        const int width = std::max(du.x(75), button->sizeHint().width());
        right -= width;
        button->setGeometry(right, du.y(167), width, du.y(14));
        right -= du.x(4);
        anchors_->add(button, AnchorLayout::Right | AnchorLayout::Bottom);
    }
    connect(refreshButton, &QPushButton::clicked, this, &TempFilesPage::refresh);
    connect(deleteButton, &QPushButton::clicked, this, &TempFilesPage::emptyChecked);
}

TempFilesPage::~TempFilesPage() { stopCount(); }

void TempFilesPage::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // Sizing walks whole folders: done when the page is first looked at, not at start-up.
    if (!shown_) {
        shown_ = true;
        refresh();
    }
}

void TempFilesPage::refresh()
{
    shown_ = true;
    stopCount();
    // Listing the rows only looks at their folders; the walk is the count's.
    rows_ = cleanupTargets(environment_ ? *environment_ : CleanupEnvironment::fromProcess(), false);
    list_->clear();
    QFileIconProvider icons;
    for (const CleanupTarget& row : rows_) {
        auto* item = new QTreeWidgetItem(list_);
        item->setText(0, QString::fromStdString(row.name));
        item->setText(kSizeColumn, text::qs(text::TempSizeCounting));
        item->setText(2, QString::fromStdString(row.description));
        item->setToolTip(2, item->text(2));  // the last column is cut in a narrow window
        item->setToolTip(0, QString::fromStdString(row.folders.front()));
        item->setIcon(0, icons.icon(QFileInfo(QString::fromStdString(row.folders.front()))));
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(0, Qt::Unchecked);
    }
    // Names and the counting text are read in full; a wider column the user chose stays.
    for (int column : {0, kSizeColumn}) {
        const int chosen = list_->columnWidth(column);
        list_->resizeColumnToContents(column);
        list_->setColumnWidth(column, std::max(chosen, list_->columnWidth(column)));
    }
    startCount();
}

void TempFilesPage::startCount()
{
    counting_ = true;
    const unsigned generation = generation_;
    countProgress_.cancel.store(false, std::memory_order_relaxed);
    // The worker gets its own copy: the rows belong to the window's thread.
    counter_ = std::thread([this, generation, rows = rows_]() mutable {
        for (std::size_t i = 0; i < rows.size(); ++i) {
            if (!sizeCleanupTarget(rows[i], &countProgress_))
                return;
            QMetaObject::invokeMethod(
                this, [this, generation, i, row = std::move(rows[i])] { showSize(generation, i, row); },
                Qt::QueuedConnection);
        }
        QMetaObject::invokeMethod(this, [this, generation] { finishCount(generation); }, Qt::QueuedConnection);
    });
}

void TempFilesPage::stopCount()
{
    countProgress_.requestCancel();
    if (counter_.joinable())
        counter_.join();
    ++generation_;
    counting_ = false;
}

void TempFilesPage::showSize(unsigned generation, std::size_t row, const CleanupTarget& counted)
{
    if (generation != generation_ || row >= rows_.size())
        return;
    rows_[row].size = counted.size;
    rows_[row].folderSizes = counted.folderSizes;
    if (QTreeWidgetItem* item = list_->topLevelItem(static_cast<int>(row)))
        item->setText(kSizeColumn, QString::fromStdString(FormatSize(counted.size, 3)));
}

void TempFilesPage::finishCount(unsigned generation)
{
    if (generation != generation_)
        return;
    counting_ = false;
    Q_EMIT sizesCounted();
}

void TempFilesPage::emptyChecked()
{
    // What is deleted comes from the rows' folders, never from the sizes;
    // the count stops so that it does not walk what is being emptied.
    stopCount();
    std::vector<std::string> folders;
    for (int i = 0; i < list_->topLevelItemCount() && i < static_cast<int>(rows_.size()); ++i)
        if (list_->topLevelItem(i)->checkState(0) == Qt::Checked)
            folders.insert(folders.end(), rows_[i].folders.begin(), rows_[i].folders.end());
    const std::vector<std::string> paths = collectTargets(folders, CollectRules::forCurrentUser());
    static const SearchSettings defaults;
    const SearchSettings& settings = settings_ ? *settings_ : defaults;
    if (!paths.empty()) {
        std::unique_ptr<GuiPrompts> dialogs;
        OperationPrompts* prompts = prompts_;
        if (!prompts) {
            if (!store_)
                store_ = std::make_unique<platform::QSettingsStore>(
                    platform::QSettingsStore::forUser(platform::executableBaseName()));
            dialogs = std::make_unique<GuiPrompts>(window(), *store_,
                                                   settings.useSystemDiskOperations ? GuiPrompts::DeleteStyle::Desktop
                                                                                    : GuiPrompts::DeleteStyle::Own);
            prompts = dialogs.get();
        }
        FileOperations operations(*prompts);
        for (const std::string& path : paths)
            operations.addSource(path);
        operations.deletePaths(settings.useSystemDiskOperations, settings.removeToRecycleBin);
    }
    refresh();
}

}  // namespace dw::ui
