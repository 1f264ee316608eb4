#include "ui/settings/exclude_list_box.h"

#include "platform/qsettings_store.h"
#include "ui/controls/folder_chooser_dialog.h"
#include "ui/controls/ids.h"
#include "ui/controls/ui_texts.h"
#include "ui/controls/widget_ids.h"

#include <QContextMenuEvent>
#include <QFile>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>

namespace dw::ui {

ExcludeListBox::ExcludeListBox(QWidget* parent) : QListWidget(parent)
{
    withId(this, id::ExcludeList);
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QListWidget::itemDoubleClicked, this, [this] { editSelected(); });
}

ExcludeListBox::~ExcludeListBox() = default;

void ExcludeListBox::setFolders(const std::vector<std::string>& folders)
{
    clear();
    for (const std::string& folder : folders) {
        const QString text = QFile::decodeName(folder.c_str());
        int at = 0;
        while (at < count() && QString::compare(item(at)->text(), text, Qt::CaseInsensitive) <= 0)
            ++at;
        insertItem(at, text);
    }
}

std::vector<std::string> ExcludeListBox::folders() const
{
    std::vector<std::string> result;
    for (int i = 0; i < count(); ++i)
        result.push_back(QFile::encodeName(item(i)->text()).toStdString());
    return result;
}

bool ExcludeListBox::addFolder(const QString& folder)
{
    // Folder names are case-sensitive here: "/home/A/" and "/home/a/" differ.
    for (int i = 0; i < count(); ++i) {
        if (item(i)->text().startsWith(folder)) {
            setCurrentRow(i);
            QMessageBox::information(this, text::qs(text::ProgramName),
                                     text::qs(text::ExcludeRefused).arg(folder, item(i)->text()));
            return false;
        }
    }
    int at = 0;
    while (at < count() && QString::compare(item(at)->text(), folder, Qt::CaseInsensitive) <= 0)
        ++at;
    insertItem(at, folder);
    setCurrentRow(at);
    return true;
}

void ExcludeListBox::runCommand(int command)
{
    if (command == id::CmdExcludeAdd)
        addChosen();
    else if (command == id::CmdExcludeEdit)
        editSelected();
    else if (command == id::CmdExcludeRemove)
        removeSelected();
}

QMenu* ExcludeListBox::buildMenu()
{
    auto* menu = withId(new QMenu(this), id::ExcludeListMenu);
    const bool selected = !selectedItems().isEmpty();
    const std::pair<int, const char*> entries[] = {
        {id::CmdExcludeAdd, text::ListAdd}, {id::CmdExcludeEdit, text::ListEdit}, {id::CmdExcludeRemove, text::ListRemove}};
    for (const auto& [command, label] : entries) {
        QAction* action = menu->addAction(text::qs(label));
        action->setObjectName(QString::number(command));
        action->setEnabled(command == id::CmdExcludeAdd || selected);
        connect(action, &QAction::triggered, this, [this, command] { runCommand(command); });
    }
    return menu;
}

void ExcludeListBox::mousePressEvent(QMouseEvent* event)
{
    // The right button only opens the menu; the selection stays.
    if (event->button() == Qt::RightButton) {
        event->accept();
        return;
    }
    QListWidget::mousePressEvent(event);
}

void ExcludeListBox::contextMenuEvent(QContextMenuEvent* event)
{
    std::unique_ptr<QMenu> menu(buildMenu());
    menu->exec(event->globalPos());
}

SettingsStore& ExcludeListBox::folderStore()
{
    if (folderStore_)
        return *folderStore_;
    if (!userStore_)
        userStore_ = std::make_unique<platform::QSettingsStore>(
            platform::QSettingsStore::forUser(platform::executableBaseName()));
    return *userStore_;
}

QString ExcludeListBox::askFolder(const QString& initial)
{
    FolderChooserDialog chooser(folderStore(), this);
    chooser.setInitialPath(initial);
    if (chooser.exec() != QDialog::Accepted)
        return QString();
    return chooser.resultPath();
}

void ExcludeListBox::addChosen()
{
    const QString folder = askFolder(QString());
    if (!folder.isEmpty())
        addFolder(folder);
}

void ExcludeListBox::editSelected()
{
    const QList<QListWidgetItem*> chosen = selectedItems();
    if (chosen.isEmpty())
        return;
    QListWidgetItem* entry = chosen.front();
    const QString folder = askFolder(entry->text());
    // In place: the list is not sorted again after an edit.
    if (!folder.isEmpty())
        entry->setText(folder);
}

void ExcludeListBox::removeSelected()
{
    const QList<QListWidgetItem*> chosen = selectedItems();
    if (!chosen.isEmpty())
        delete chosen.front();
}

}  // namespace dw::ui
