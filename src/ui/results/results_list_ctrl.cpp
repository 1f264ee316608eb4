#include "ui/results/results_list_ctrl.h"

#include "engine/results/marking.h"
#include "platform/file_status.h"
#include "ui/controls/ids.h"
#include "ui/controls/ui_texts.h"
#include "ui/controls/widget_ids.h"
#include "ui/results/file_manager_link.h"
#include "ui/results/list_commands.h"
#include "ui/results/results_delegate.h"
#include "ui/results/results_model.h"
#include "ui/results/sort_header.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QDesktopServices>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QStyle>
#include <QUrl>

#include <algorithm>
#include <memory>

namespace dw::ui {

namespace {

constexpr int kInitialColumnWidth = 30;


void setLabel(QWidget* page, int labelId, const QString& text)
{
    if (!page)
        return;
    if (auto* label = findById<QLabel>(page, labelId))
        label->setText(text);
}

QString sizeText(std::uint64_t bytes) { return QString::fromStdString(FormatSize(bytes, 3)); }

// The first of `names` the icon theme has, else the style's own picture, so
// that no command goes without an icon.
QIcon themeIcon(const std::array<const char*, 3>& names, QStyle::StandardPixmap fallback,
                const QWidget* widget)
{
    for (const char* name : names) {
        if (!name)
            break;
        const QString themed = QString::fromLatin1(name);
        if (QIcon::hasThemeIcon(themed))
            return QIcon::fromTheme(themed);
    }
    return widget->style()->standardIcon(fallback);
}

}  // namespace

ResultsListCtrl::ResultsListCtrl(ResultKind kind, const ListAppearance& appearance, QWidget* parent)
    : QTableView(parent), model_(new ResultsModel(kind, appearance, this)),
      header_(new SortHeader(this)), appearance_(appearance),
      fileManager_(new FileManagerLink(this))
{
    withId(this, id::ResultsList);
    setShowGrid(false);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setTabKeyNavigation(false);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTextElideMode(Qt::ElideRight);
    setItemDelegate(new ResultsDelegate(this));
    // Every row is as high as a line with a small icon; the view never asks
    // the rows for their height.
    QHeaderView* rows = verticalHeader();
    rows->hide();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setMinimumSectionSize(1);
    rows->setDefaultSectionSize(std::max(fontMetrics().height(), 16) + 6);
    // Fitting a column to its contents measures the rows in view and a few
    // more, not a thousand.
    rows->setResizeContentsPrecision(64);

    header_->setDefaultSectionSize(kInitialColumnWidth);
    header_->setMinimumSectionSize(8);
    header_->setStretchColumn(ColPath);
    setHorizontalHeader(header_);
    setModel(model_);
    // The view's own sorting stays off (it would make the header unclickable
    // too): the list sorts by its own rules.
    header_->setSectionsClickable(true);
    // The header repeats the fitting after the view has sized a column to
    // its contents, with that column kept as the user asked for it.
    connect(header_, &QHeaderView::sectionHandleDoubleClicked, header_,
            [this](int column) { header_->fit(column); });
    connect(header_, &QHeaderView::sectionClicked, this, &ResultsListCtrl::sortBy);
    // The first rows and a new set of rows show the columns' contents.
    connect(model_, &QAbstractItemModel::rowsInserted, this, [this](const QModelIndex&, int first) {
        if (first == 0)
            header_->fit();
    });
    connect(model_, &QAbstractItemModel::modelReset, header_, [this] { header_->fit(); });
    connect(model_, &ResultsModel::totalsChanged, this, [this] {
        refreshTotals();
        refreshCheckedTotals();
    });
    connect(this, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
        if (index.isValid())
            openRow(static_cast<std::size_t>(index.row()));
    });

    // Keep the selection as visible as while the list has the focus.
    QPalette colours = palette();
    colours.setColor(QPalette::Inactive, QPalette::Highlight,
                     colours.color(QPalette::Active, QPalette::Highlight));
    colours.setColor(QPalette::Inactive, QPalette::HighlightedText,
                     colours.color(QPalette::Active, QPalette::HighlightedText));
    setPalette(colours);

    createCommands();
    reloadAppearance(appearance);
}

void ResultsListCtrl::sortBy(int column)
{
    if (!sortEnabled_ || column < 0 || column >= kColumnCount)
        return;
    sortAscending_ = column == sortColumn_ ? !sortAscending_ : true;
    sortColumn_ = column;
    header_->setSortState(column, sortAscending_);
    model_->sortRows(column, sortAscending_);
}

void ResultsListCtrl::reloadAppearance(const ListAppearance& appearance)
{
    appearance_ = appearance;
    model_->setAppearance(appearance);
    QPalette colours = palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        colours.setColor(group, QPalette::Base, toQColor(appearance.bkColor));
        colours.setColor(group, QPalette::Text, toQColor(appearance.defaultColor));
    }
    setPalette(colours);
    header_->setFitColumns(appearance.autoArrange);
    header_->fit();
}

void ResultsListCtrl::refreshTotals()
{
    QWidget* page = parentWidget();
    setLabel(page, id::TotalCount, QString::number(model_->list().totalCount()));
    setLabel(page, id::TotalSize, sizeText(model_->list().totalSizeOnDisk()));
}

void ResultsListCtrl::refreshCheckedTotals()
{
    QWidget* page = parentWidget();
    setLabel(page, id::CheckedCount, QString::number(model_->list().checkedCount()));
    setLabel(page, id::CheckedSize, sizeText(model_->list().checkedSizeOnDisk()));
}

QAction* ResultsListCtrl::command(int id) const { return commands_.value(id, nullptr); }

std::vector<std::size_t> ResultsListCtrl::selectedRowIndexes() const
{
    std::vector<std::size_t> rows;
    if (!selectionModel())
        return rows;
    for (const QItemSelectionRange& range : selectionModel()->selection()) {
        for (int row = range.top(); row <= range.bottom(); ++row)
            rows.push_back(static_cast<std::size_t>(row));
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

std::optional<std::size_t> ResultsListCtrl::firstSelectedRow() const
{
    if (!selectionModel())
        return std::nullopt;
    std::optional<std::size_t> first;
    for (const QItemSelectionRange& range : selectionModel()->selection()) {
        const auto top = static_cast<std::size_t>(range.top());
        if (!first || top < *first)
            first = top;
    }
    return first;
}

QAction* ResultsListCtrl::addCommand(int id, const char* text, const IconNames& icons,
                                     int fallbackIcon)
{
    auto* action = withId(new QAction(text::qs(text), this), id);
    action->setIcon(themeIcon(icons, static_cast<QStyle::StandardPixmap>(fallbackIcon), this));
    commands_.insert(id, action);
    return action;
}

void ResultsListCtrl::createCommands()
{
    struct Command {
        int id;
        const char* text;
        IconNames icons;  // theme names, the first one present wins
        QStyle::StandardPixmap fallback;
        void (ResultsListCtrl::*slot)();
    };
    const Command commands[] = {
        {id::CmdOpen, text::Open, {"document-open"}, QStyle::SP_DialogOpenButton,
         &ResultsListCtrl::openSelected},
        {id::CmdOpenFolder, text::OpenFolder, {"folder-open"}, QStyle::SP_DirOpenIcon,
         &ResultsListCtrl::openSelectedFolder},
        {id::CmdCopy, text::Copy, {"edit-copy"}, QStyle::SP_FileIcon,
         &ResultsListCtrl::copyChecked},
        {id::CmdMove, text::Move, {"go-jump", "edit-cut"}, QStyle::SP_ArrowForward,
         &ResultsListCtrl::moveChecked},
        {id::CmdCompress, text::Compress, {"package-x-generic", "archive"}, QStyle::SP_DriveHDIcon,
         &ResultsListCtrl::compressChecked},
        {id::CmdDeleteFolderContents, text::DeleteFolderContents, {"edit-delete"},
         QStyle::SP_TrashIcon, &ResultsListCtrl::deleteFolderContents},
        {id::CmdDelete, text::Delete, {"edit-delete"}, QStyle::SP_TrashIcon,
         &ResultsListCtrl::deleteChecked},
        {id::CmdMarkAll, text::MarkAllCommand, {"edit-select-all"}, QStyle::SP_DialogApplyButton,
         &ResultsListCtrl::markAll},
        {id::CmdClearAll, text::ClearAll, {"edit-clear-all", "edit-clear"},
         QStyle::SP_DialogResetButton, &ResultsListCtrl::clearAll},
        {id::CmdMark, text::Mark, {"checkbox-checked", "checkbox-checked-symbolic"},
         QStyle::SP_DialogYesButton, &ResultsListCtrl::markSelected},
        {id::CmdClear, text::Clear, {"checkbox", "checkbox-symbolic"}, QStyle::SP_DialogNoButton,
         &ResultsListCtrl::clearSelected},
        {id::CmdInvert, text::Invert, {"edit-select-invert", "object-flip-horizontal-symbolic"},
         QStyle::SP_BrowserReload, &ResultsListCtrl::invertMarks},
        {id::CmdFilter, text::FilterCommand, {"view-filter", "edit-find"},
         QStyle::SP_FileDialogContentsView, &ResultsListCtrl::runFilter},
        {id::CmdExport, text::Export, {"document-save-as", "document-save"},
         QStyle::SP_DialogSaveButton, &ResultsListCtrl::exportToText},
        {id::CmdRemoveFromList, text::RemoveFromList, {"list-remove"},
         QStyle::SP_DialogDiscardButton, &ResultsListCtrl::removeChecked},
        {id::CmdRefresh, text::Refresh, {"view-refresh"}, QStyle::SP_BrowserReload,
         &ResultsListCtrl::dropVanishedRows},
        {id::CmdProperties, text::Properties, {"document-properties"},
         QStyle::SP_FileDialogInfoView, &ResultsListCtrl::showSelectedProperties},
    };
    for (const Command& entry : commands) {
        QAction* action = addCommand(entry.id, entry.text, entry.icons, entry.fallback);
        connect(action, &QAction::triggered, this, entry.slot);
    }
    createMarkCopiesMenu();
    QAction* open = command(id::CmdOpen);
    QFont bold = open->font();
    bold.setBold(true);
    open->setFont(bold);
}

QMenu* ResultsListCtrl::createContextMenu(QWidget* parent)
{
    const std::optional<std::size_t> first = firstSelectedRow();
    if (!first || *first >= model_->list().size())
        return nullptr;
    const auto status = platform::statPath(model_->list().row(*first).path);
    const bool folder = status && status->isFolder();

    auto* menu = withId(new QMenu(parent), folder ? id::FolderRowMenu : id::FileRowMenu);
    menu->addAction(command(id::CmdOpen));
    menu->setDefaultAction(command(id::CmdOpen));
    menu->addAction(command(id::CmdOpenFolder));
    menu->addSeparator();
    menu->addAction(command(id::CmdCopy));
    menu->addAction(command(id::CmdMove));
    menu->addAction(command(folder ? id::CmdDeleteFolderContents : id::CmdCompress));
    menu->addAction(command(id::CmdDelete));
    menu->addSeparator();
    QMenu* marks = menu->addMenu(themeIcon({"checkbox-checked", "checkbox-checked-symbolic"},
                                           QStyle::SP_DialogYesButton, this),
                                 text::qs(text::MarkMenu));
    for (int commandId :
         {id::CmdMarkAll, id::CmdClearAll, id::CmdMark, id::CmdClear, id::CmdInvert})
        marks->addAction(command(commandId));
    if (QAction* copies = command(id::CmdMarkCopies))
        marks->addAction(copies);
    marks->addSeparator();
    marks->addAction(command(id::CmdFilter));
    QMenu* list = menu->addMenu(themeIcon({"view-list", "view-list-symbolic", "text-x-generic"},
                                          QStyle::SP_FileDialogListView, this),
                                text::qs(text::ListMenu));
    for (int commandId : {id::CmdExport, id::CmdRemoveFromList, id::CmdRefresh})
        list->addAction(command(commandId));
    menu->addSeparator();
    menu->addAction(command(id::CmdProperties));
    return menu;
}

void ResultsListCtrl::contextMenuEvent(QContextMenuEvent* event)
{
    std::unique_ptr<QMenu> menu(createContextMenu(this));
    if (!menu)
        return;
    menu->exec(event->globalPos());
}

void ResultsListCtrl::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Space && event->modifiers() == Qt::NoModifier) {
        const QModelIndex current = currentIndex();
        if (current.isValid()) {
            const auto row = static_cast<std::size_t>(current.row());
            model_->setChecked(current.row(), !model_->list().row(row).checked);
        }
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

QModelIndex ResultsListCtrl::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers)
{
    if (action == MoveHome || action == MoveEnd)
        modifiers |= Qt::ControlModifier;
    return QTableView::moveCursor(action, modifiers);
}

void ResultsListCtrl::markAll()
{
    model_->changeMarks([](ResultList& list) { dw::markAll(list); });
}

void ResultsListCtrl::clearAll()
{
    model_->changeMarks([](ResultList& list) { dw::clearAll(list); });
}

void ResultsListCtrl::markSelected()
{
    const std::vector<std::size_t> rows = selectedRowIndexes();
    model_->changeMarks([&rows](ResultList& list) { dw::markSelected(list, rows); });
}

void ResultsListCtrl::clearSelected()
{
    const std::vector<std::size_t> rows = selectedRowIndexes();
    model_->changeMarks([&rows](ResultList& list) { dw::clearSelected(list, rows); });
}

void ResultsListCtrl::invertMarks()
{
    model_->changeMarks([](ResultList& list) { dw::invertMarks(list); });
}

void ResultsListCtrl::removeChecked()
{
    model_->changeRows([](ResultList& list) { dw::removeChecked(list); });
}

void ResultsListCtrl::openRow(std::size_t row)
{
    if (row >= model_->list().size())
        return;
    const std::string& path = model_->list().row(row).path;
    QDesktopServices::openUrl(
        QUrl::fromLocalFile(QString::fromUtf8(path.data(), static_cast<qsizetype>(path.size()))));
}

void ResultsListCtrl::openSelected()
{
    if (const std::optional<std::size_t> row = firstSelectedRow())
        openRow(*row);
}

}  // namespace dw::ui
