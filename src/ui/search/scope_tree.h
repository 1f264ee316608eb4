#pragma once

#include <QIcon>
#include <QString>
#include <QStringList>
#include <QTreeWidget>

namespace dw::ui {

// A tree of the user's disks and folders, read from disk lazily: a folder's
// subfolders are listed the first time it is expanded. With check boxes it
// chooses the folders a search walks; without, it picks one folder.
//
// Folder paths given and returned always end with '/'. Links to folders are
// shown but never expanded, so the tree never leads outside what it lists.
class ScopeTree : public QTreeWidget {
    Q_OBJECT
public:
    enum class Checks { Shown, Hidden };

    explicit ScopeTree(Checks checks = Checks::Shown, QWidget* parent = nullptr);

    // Lists `root` alone with its subfolders, or, when `root` is empty, the
    // home folder followed by the mounted disks ("/" first), each expandable.
    // Returns false when the mount table cannot be read ("/" is still shown).
    bool fill(const QString& root = {});

    // The folder an item stands for, ending with '/'; empty for a placeholder.
    QString itemPath(const QTreeWidgetItem* item) const;
    // True when `folder` holds at least one subfolder or link to a folder.
    // An unreadable folder has none.
    static bool hasSubfolders(const QString& folder);

    // Finds the item of `path` from the top item that holds it, expanding and
    // selecting each item on the way, and checks it. Names match exactly.
    // Returns false when some part of the path is not in the tree.
    bool checkPath(const QString& path);
    void checkPaths(const QStringList& paths);
    // The topmost checked folders in tree order: a checked folder stands for
    // everything below it, so nothing inside it is listed again.
    QStringList collectScope() const;
    // The selected folder, or empty when nothing is selected.
    QString selectedPath() const;

    static bool isPlaceholder(const QTreeWidgetItem* item);

private:
    enum class Kind { Placeholder, Folder, Link, Disk, Home };

    QTreeWidgetItem* addTopItem(const QString& path, Kind kind);
    QTreeWidgetItem* addChild(QTreeWidgetItem* parent, const QString& name, Kind kind);
    void addPlaceholder(QTreeWidgetItem* parent);
    Qt::ItemFlags folderFlags() const;
    // Replaces a placeholder (or nothing) under `item` with its subfolders.
    void listChildren(QTreeWidgetItem* item);
    void onExpanded(QTreeWidgetItem* item);
    void onCollapsed(QTreeWidgetItem* item);
    void onItemChanged(QTreeWidgetItem* item, int column);
    // Gives `item` and every loaded folder below it the same check state.
    void setSubtreeState(QTreeWidgetItem* item, Qt::CheckState state);
    QTreeWidgetItem* topItemHolding(const QString& path) const;
    void collect(const QTreeWidgetItem* item, QStringList& scope) const;

    const bool checkBoxes_;
    // Nonzero while the tree changes check states itself, so only the
    // user's toggles run the check rules.
    int ownChanges_ = 0;
    QIcon folderIcon_;
    QIcon openFolderIcon_;
    QIcon diskIcon_;
    QIcon homeIcon_;
};

}  // namespace dw::ui
