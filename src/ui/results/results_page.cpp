#include "ui/results/results_page.h"

#include "ui/controls/anchor_layout.h"
#include "ui/controls/dialog_units.h"
#include "ui/controls/ids.h"
#include "ui/controls/ui_texts.h"
#include "ui/controls/widget_ids.h"
#include "ui/results/results_list_ctrl.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>

#include <algorithm>

namespace dw::ui {

namespace {

// Page size and control rectangles in dialog units.
constexpr int kPageWidth = 345;
constexpr int kPageHeight = 182;

struct PageButton {
    int id;
    int command;
    const char* text;
    int top;
};

const PageButton kButtons[] = {
    {id::CopyButton, id::CmdCopy, text::Copy, 0},
    {id::MoveButton, id::CmdMove, text::Move, 13},
    {id::CompressButton, id::CmdCompress, text::Compress, 26},
    {id::DeleteButton, id::CmdDelete, text::Delete, 42},
    {id::MarkAllButton, id::CmdMarkAll, text::MarkAll, 58},
    {id::ClearAllButton, id::CmdClearAll, text::ClearAll, 71},
    {id::MarkButton, id::CmdMark, text::Mark, 84},
    {id::ClearButton, id::CmdClear, text::Clear, 97},
    {id::InvertButton, id::CmdInvert, text::Invert, 110},
    {id::FilterButton, id::CmdFilter, text::FilterButton, 126},
    {id::RemoveFromListButton, id::CmdRemoveFromList, text::RemoveFromList, 139},
    {id::RefreshButton, id::CmdRefresh, text::Refresh, 152},
};

struct PageLabel {
    int id;
    const char* text;  // nullptr: written by the list
    int left;
    int width;
    int height;
};

const PageLabel kLabels[] = {
    {id::TotalLabel, text::TotalObjects, 1, 57, 8}, {id::TotalCount, nullptr, 59, 38, 10},
    {id::TotalSize, nullptr, 99, 76, 10},           {id::CheckedLabel, text::Selected, 191, 33, 8},
    {id::CheckedCount, nullptr, 226, 38, 10},       {id::CheckedSize, nullptr, 266, 76, 10},
};
constexpr int kLabelTop = 168;

}  // namespace

ResultsPage::ResultsPage(ResultKind kind, const ListAppearance& appearance, QWidget* parent)
    : QWidget(parent), anchors_(new AnchorLayout(this))
{
    withId(this, id::ResultsPage);
    const DialogUnits du(font());
    resize(du.size(kPageWidth, kPageHeight));

    list_ = new ResultsListCtrl(kind, appearance, this);
    list_->setGeometry(du.rect(78, 0, 267, 165));

    auto addButton = [this, &du](int id, int command, const char* caption, QRect rect) {
        auto* button = withId(new QPushButton(text::qs(caption), this), id);
        button->setGeometry(du.rect(rect.x(), rect.y(), rect.width(), rect.height()));
        button->setStyleSheet(QStringLiteral("text-align: left; padding-left: 6px;"));
        button->setAutoDefault(false);
        // The button follows its command.
        QAction* action = list_->command(command);
        button->setEnabled(action->isEnabled());
        connect(action, &QAction::changed, button,
                [button, action] { button->setEnabled(action->isEnabled()); });
        connect(button, &QPushButton::clicked, action, &QAction::trigger);
        return button;
    };
    for (const PageButton& entry : kButtons)
        addButton(entry.id, entry.command, entry.text, QRect(0, entry.top, 75, 12));
    // The button column is full, so the duplicates page gives the copies
    // button a row of its own above the list.
    if (kind == ResultKind::Duplicates) {
        // The button offers the same choice of the copy to keep as the menu.
        addButton(id::MarkCopiesButton, id::CmdMarkCopies, text::MarkCopies, QRect(78, 0, 75, 12))
            ->setMenu(list_->markCopiesMenu());
        list_->setGeometry(du.rect(78, 13, 267, 152));
    }

    anchors_->add(list_, AnchorLayout::All);
    // The bottom row keeps its places unless a caption is wider in the
    // desktop's font than the room it was given: then it grows and the
    // labels after it move right, keeping the gaps between them.
    int previousRight = 0;
    int previousPlannedRight = 0;
    for (const PageLabel& entry : kLabels) {
        auto* label = withId(new QLabel(this), entry.id);
        if (entry.text)
            label->setText(text::qs(entry.text));
        QRect rect = du.rect(entry.left, kLabelTop, entry.width, entry.height);
        const int plannedGap = std::max(rect.left() - previousPlannedRight, du.x(3));  // a caption never touches its value
        previousPlannedRight = rect.left() + rect.width();
        rect.moveLeft(std::max(rect.left(), previousRight + plannedGap));
        rect.setWidth(std::max(rect.width(), label->sizeHint().width()));
        previousRight = rect.left() + rect.width();
        label->setGeometry(rect);
        anchors_->add(label, AnchorLayout::Bottom);
    }
    list_->refreshTotals();
    list_->refreshCheckedTotals();
}

void ResultsPage::setSortEnabled(bool enabled) { list_->setSortEnabled(enabled); }

}  // namespace dw::ui
