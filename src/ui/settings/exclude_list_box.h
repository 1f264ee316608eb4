#pragma once

#include "engine/settings/settings_store.h"

#include <QListWidget>

#include <memory>
#include <string>
#include <vector>

class QMenu;

namespace dw::ui {

// A sorted list of excluded folders (each ending with '/'). "Добавить" asks
// the folder chooser and inserts the folder in sorted place unless a listed
// folder begins with it (it is listed, or lies inside it); "Изменить" (also
// a double-click) replaces the selected entry in place; "Удалить" removes it
// without asking. A right-click opens the commands without changing the
// selection.
class ExcludeListBox : public QListWidget {
    Q_OBJECT
public:
    explicit ExcludeListBox(QWidget* parent = nullptr);
    ~ExcludeListBox() override;

    // Where the folder chooser keeps its recent folders; the user's settings by default.
    void setFolderStore(SettingsStore* store) { folderStore_ = store; }

    void setFolders(const std::vector<std::string>& folders);
    // The entries in display order.
    std::vector<std::string> folders() const;

    // Adds `folder` in sorted place; false (and nothing changes) when a listed entry begins with it.
    bool addFolder(const QString& folder);
    // 32768 add, 32771 edit, 32777 remove.
    void runCommand(int command);
    // The context menu with the commands that apply now; the caller owns it.
    QMenu* buildMenu();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    QString askFolder(const QString& initial);
    void addChosen();
    void editSelected();
    void removeSelected();
    SettingsStore& folderStore();

    SettingsStore* folderStore_ = nullptr;
    std::unique_ptr<SettingsStore> userStore_;
};

}  // namespace dw::ui
