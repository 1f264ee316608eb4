#include "ui/settings/mask_list_editor.h"

#include "ui/controls/ids.h"
#include "ui/controls/ui_texts.h"
#include "ui/controls/widget_ids.h"
#include "ui/settings/mask_dialog.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QMenu>

#include <algorithm>
#include <memory>

namespace dw::ui {

MaskListEditor::MaskListEditor(QWidget* parent) : QTreeWidget(parent)
{
    withId(this, id::MaskList);
    setColumnCount(2);
    setHeaderLabels({text::qs(text::MaskNameColumn), text::qs(text::MaskColumn)});
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setAllColumnsShowFocus(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    fitColumns();
    connect(this, &QTreeWidget::itemDoubleClicked, this, [this] { editSelected(); });
}

void MaskListEditor::setMasks(const std::vector<std::string>& masks)
{
    clear();
    for (const std::string& mask : masks) {
        const QString text = QString::fromStdString(mask);
        const qsizetype tab = text.indexOf(QLatin1Char('\t'));
        auto* row = new QTreeWidgetItem(this);
        row->setText(0, tab < 0 ? QString() : text.left(tab));
        row->setText(1, tab < 0 ? text : text.mid(tab + 1));
    }
    fitColumns();
}

void MaskListEditor::fitColumns()
{
    // Designed 100 and 200 pixels wide, wider where a title or a name needs it.
    setColumnWidth(0, std::max({100, header()->sectionSizeHint(0), sizeHintForColumn(0)}));
    setColumnWidth(1, std::max(200, header()->sectionSizeHint(1)));
}

std::vector<std::string> MaskListEditor::masks() const
{
    std::vector<std::string> result;
    for (int i = 0; i < topLevelItemCount(); ++i) {
        const QTreeWidgetItem* row = topLevelItem(i);
        result.push_back((row->text(0) + QLatin1Char('\t') + row->text(1)).toStdString());
    }
    return result;
}

void MaskListEditor::runCommand(int command)
{
    if (command == id::CmdMaskAdd)
        addMask();
    else if (command == id::CmdMaskEdit)
        editSelected();
    else if (command == id::CmdMaskRemove)
        removeSelected();
}

QMenu* MaskListEditor::buildMenu()
{
    auto* menu = withId(new QMenu(this), id::MaskListMenu);
    const std::pair<int, const char*> entries[] = {
        {id::CmdMaskAdd, text::ListAdd}, {id::CmdMaskEdit, text::ListEdit}, {id::CmdMaskRemove, text::ListRemove}};
    for (const auto& [command, label] : entries) {
        QAction* action = menu->addAction(text::qs(label));
        action->setObjectName(QString::number(command));
        connect(action, &QAction::triggered, this, [this, command] { runCommand(command); });
    }
    return menu;
}

void MaskListEditor::contextMenuEvent(QContextMenuEvent* event)
{
    std::unique_ptr<QMenu> menu(buildMenu());
    menu->exec(event->globalPos());
}

QTreeWidgetItem* MaskListEditor::firstSelected() const
{
    for (int i = 0; i < topLevelItemCount(); ++i)
        if (topLevelItem(i)->isSelected())
            return topLevelItem(i);
    return nullptr;
}

void MaskListEditor::addMask()
{
    MaskDialog dialog(this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    auto* row = new QTreeWidgetItem(this);
    row->setText(0, dialog.name());
    row->setText(1, dialog.patterns());
}

void MaskListEditor::editSelected()
{
    QTreeWidgetItem* row = firstSelected();
    if (!row)
        return;
    MaskDialog dialog(this);
    dialog.setName(row->text(0));
    dialog.setPatterns(row->text(1));
    if (dialog.exec() != QDialog::Accepted)
        return;
    const int at = indexOfTopLevelItem(row);
    delete takeTopLevelItem(at);
    auto* replaced = new QTreeWidgetItem;
    replaced->setText(0, dialog.name());
    replaced->setText(1, dialog.patterns());
    insertTopLevelItem(at, replaced);
    setCurrentItem(replaced);
}

void MaskListEditor::removeSelected()
{
    if (QTreeWidgetItem* row = firstSelected())
        delete row;
}

}  // namespace dw::ui
