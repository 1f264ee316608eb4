#include "ui/search/scope_tree.h"

#include "platform/mounts.h"

#include <QDir>
#include <QFile>
#include <QFileIconProvider>
#include <QGuiApplication>
#include <QHeaderView>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace dw::ui {

namespace {

constexpr int PathRole = Qt::UserRole;      // top items: the folder they stand for
constexpr int KindRole = Qt::UserRole + 1;  // ScopeTree::Kind

QString withSlash(QString path)
{
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    return path;
}

struct Subfolder {
    QString name;
    bool link = false;
};

// What a directory entry is, without following it unless it is a link.
enum class EntryType { Other, Folder, LinkToFolder };

EntryType classify(int dirFd, const dirent* entry)
{
    const unsigned char type = entry->d_type;
    if (type == DT_DIR)
        return EntryType::Folder;
    if (type != DT_LNK && type != DT_UNKNOWN)
        return EntryType::Other;
    struct stat st {};
    if (type == DT_UNKNOWN) {
        if (::fstatat(dirFd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0)
            return EntryType::Other;
        if (S_ISDIR(st.st_mode))
            return EntryType::Folder;
        if (!S_ISLNK(st.st_mode))
            return EntryType::Other;
    }
    if (::fstatat(dirFd, entry->d_name, &st, 0) == 0 && S_ISDIR(st.st_mode))
        return EntryType::LinkToFolder;
    return EntryType::Other;
}

// The subfolders and links to folders of `folder`, hidden ones included, in
// directory order; only the first one when `firstOnly`. Empty when the folder
// cannot be read.
std::vector<Subfolder> readSubfolders(const QString& folder, bool firstOnly)
{
    std::vector<Subfolder> found;
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(QFile::encodeName(folder).constData()), ::closedir);
    if (!dir)
        return found;
    while (const dirent* entry = ::readdir(dir.get())) {
        const char* name = entry->d_name;
        if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
            continue;
        const EntryType type = classify(::dirfd(dir.get()), entry);
        if (type == EntryType::Other)
            continue;
        found.push_back({QFile::decodeName(name), type == EntryType::LinkToFolder});
        if (firstOnly)
            break;
    }
    return found;
}

// Case-insensitive order; names that differ only by case keep a fixed order.
bool nameLess(const Subfolder& a, const Subfolder& b)
{
    const int folded = QString::compare(a.name, b.name, Qt::CaseInsensitive);
    return folded != 0 ? folded < 0 : a.name < b.name;
}

// Suspends painting and shows the wait cursor while folders are read.
class BusyScope {
public:
    explicit BusyScope(QWidget* widget) : widget_(widget), wasEnabled_(widget->updatesEnabled())
    {
        widget_->setUpdatesEnabled(false);
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    }
    ~BusyScope()
    {
        QGuiApplication::restoreOverrideCursor();
        widget_->setUpdatesEnabled(wasEnabled_);
    }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    QWidget* widget_;
    bool wasEnabled_;
};

class Counter {
public:
    explicit Counter(int& value) : value_(++value) {}
    ~Counter() { --value_; }
    Counter(const Counter&) = delete;
    Counter& operator=(const Counter&) = delete;

private:
    int& value_;
};

}  // namespace

ScopeTree::ScopeTree(Checks checks, QWidget* parent) : QTreeWidget(parent), checkBoxes_(checks == Checks::Shown)
{
    setColumnCount(1);
    setHeaderHidden(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setUniformRowHeights(true);
    // Long names scroll sideways instead of being cut off.
    header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    header()->setStretchLastSection(false);

    QFileIconProvider provider;
    folderIcon_ = QIcon::fromTheme(QStringLiteral("folder"), provider.icon(QAbstractFileIconProvider::Folder));
    openFolderIcon_ = QIcon::fromTheme(QStringLiteral("folder-open"), folderIcon_);
    diskIcon_ = QIcon::fromTheme(QStringLiteral("drive-harddisk"), provider.icon(QAbstractFileIconProvider::Drive));
    homeIcon_ = QIcon::fromTheme(QStringLiteral("user-home"), folderIcon_);

    connect(this, &QTreeWidget::itemExpanded, this, &ScopeTree::onExpanded);
    connect(this, &QTreeWidget::itemCollapsed, this, &ScopeTree::onCollapsed);
    connect(this, &QTreeWidget::itemChanged, this, &ScopeTree::onItemChanged);
}

bool ScopeTree::fill(const QString& root)
{
    Counter own(ownChanges_);
    BusyScope busy(this);
    clear();
    if (!root.isEmpty()) {
        QTreeWidgetItem* item = addTopItem(withSlash(root), Kind::Folder);
        listChildren(item);
        expandItem(item);
        return true;
    }
    const QString home = withSlash(QDir::homePath());
    addTopItem(home, Kind::Home);
    const auto table = platform::readMountTable();
    const std::vector<std::string> disks = table ? platform::diskMountPoints(*table) : std::vector<std::string>{"/"};
    for (const std::string& disk : disks) {
        const QString path = QFile::decodeName(disk.c_str());
        if (path != home)
            addTopItem(path, Kind::Disk);
    }
    return table.has_value();
}

QTreeWidgetItem* ScopeTree::addTopItem(const QString& path, Kind kind)
{
    auto* item = new QTreeWidgetItem;
    item->setText(0, path.size() > 1 ? path.chopped(1) : path);
    item->setData(0, PathRole, path);
    item->setData(0, KindRole, static_cast<int>(kind));
    item->setIcon(0, kind == Kind::Home ? homeIcon_ : kind == Kind::Disk ? diskIcon_ : folderIcon_);
    item->setFlags(folderFlags());
    if (checkBoxes_)
        item->setCheckState(0, Qt::Unchecked);
    // Disks are not touched until opened: listing them could wake a sleeping drive.
    if (kind != Kind::Folder)
        addPlaceholder(item);
    addTopLevelItem(item);
    return item;
}

QTreeWidgetItem* ScopeTree::addChild(QTreeWidgetItem* parent, const QString& name, Kind kind)
{
    auto* item = new QTreeWidgetItem;
    item->setText(0, name);
    item->setData(0, KindRole, static_cast<int>(kind));
    item->setIcon(0, folderIcon_);
    item->setFlags(folderFlags());
    if (checkBoxes_)
        item->setCheckState(0, parent->checkState(0) == Qt::Checked ? Qt::Checked : Qt::Unchecked);
    if (kind == Kind::Link)
        item->setToolTip(0, QFile::symLinkTarget(itemPath(parent) + name));
    return item;
}

Qt::ItemFlags ScopeTree::folderFlags() const
{
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | (checkBoxes_ ? Qt::ItemIsUserCheckable : Qt::NoItemFlags);
}

void ScopeTree::addPlaceholder(QTreeWidgetItem* parent)
{
    auto* placeholder = new QTreeWidgetItem;
    placeholder->setData(0, KindRole, static_cast<int>(Kind::Placeholder));
    placeholder->setFlags(Qt::NoItemFlags);
    parent->addChild(placeholder);
}

bool ScopeTree::isPlaceholder(const QTreeWidgetItem* item)
{
    return item && item->data(0, KindRole).toInt() == static_cast<int>(Kind::Placeholder);
}

void ScopeTree::listChildren(QTreeWidgetItem* item)
{
    if (item->childCount() > 0 && !isPlaceholder(item->child(0)))
        return;
    Counter own(ownChanges_);
    BusyScope busy(this);
    qDeleteAll(item->takeChildren());
    const QString path = itemPath(item);
    std::vector<Subfolder> subfolders = readSubfolders(path, false);
    std::sort(subfolders.begin(), subfolders.end(), nameLess);
    QList<QTreeWidgetItem*> children;
    children.reserve(static_cast<qsizetype>(subfolders.size()));
    for (const Subfolder& folder : subfolders) {
        QTreeWidgetItem* child = addChild(item, folder.name, folder.link ? Kind::Link : Kind::Folder);
        if (!folder.link && hasSubfolders(path + folder.name + QLatin1Char('/')))
            addPlaceholder(child);
        children.push_back(child);
    }
    item->addChildren(children);
}

void ScopeTree::onExpanded(QTreeWidgetItem* item)
{
    if (isPlaceholder(item->child(0)))
        listChildren(item);
    if (item->data(0, KindRole).toInt() == static_cast<int>(Kind::Folder) && item->parent()) {
        Counter own(ownChanges_);
        item->setIcon(0, openFolderIcon_);
    }
}

void ScopeTree::onCollapsed(QTreeWidgetItem* item)
{
    if (item->data(0, KindRole).toInt() == static_cast<int>(Kind::Folder) && item->parent()) {
        Counter own(ownChanges_);
        item->setIcon(0, folderIcon_);
    }
}

void ScopeTree::onItemChanged(QTreeWidgetItem* item, int column)
{
    if (ownChanges_ > 0 || !checkBoxes_ || column != 0 || isPlaceholder(item))
        return;
    // The user toggled a box: a folder no longer stands for its whole parent,
    // and what is loaded below it follows it so the boxes show what is searched.
    Counter own(ownChanges_);
    for (QTreeWidgetItem* ancestor = item->parent(); ancestor; ancestor = ancestor->parent())
        ancestor->setCheckState(0, Qt::Unchecked);
    setSubtreeState(item, item->checkState(0));
}

void ScopeTree::setSubtreeState(QTreeWidgetItem* item, Qt::CheckState state)
{
    if (isPlaceholder(item))
        return;
    item->setCheckState(0, state);
    for (int i = 0; i < item->childCount(); ++i)
        setSubtreeState(item->child(i), state);
}

QString ScopeTree::itemPath(const QTreeWidgetItem* item) const
{
    if (!item || isPlaceholder(item))
        return {};
    if (!item->parent())
        return item->data(0, PathRole).toString();
    return itemPath(item->parent()) + item->text(0) + QLatin1Char('/');
}

bool ScopeTree::hasSubfolders(const QString& folder)
{
    return !readSubfolders(withSlash(folder), true).empty();
}

QTreeWidgetItem* ScopeTree::topItemHolding(const QString& path) const
{
    QTreeWidgetItem* best = nullptr;
    qsizetype bestLength = -1;
    for (int i = 0; i < topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = topLevelItem(i);
        const QString top = itemPath(item);
        if (path.startsWith(top) && top.size() > bestLength) {
            best = item;
            bestLength = top.size();
        }
    }
    return best;
}

bool ScopeTree::checkPath(const QString& path)
{
    const QString target = withSlash(path);
    QTreeWidgetItem* item = topItemHolding(target);
    if (!item)
        return false;
    const QStringList parts = target.mid(itemPath(item).size()).split(QLatin1Char('/'), Qt::SkipEmptyParts);
    setCurrentItem(item);
    for (const QString& part : parts) {
        expandItem(item);
        QTreeWidgetItem* next = nullptr;
        for (int i = 0; i < item->childCount() && !next; ++i) {
            QTreeWidgetItem* child = item->child(i);
            if (!isPlaceholder(child) && child->text(0) == part)
                next = child;
        }
        if (!next)
            return false;
        item = next;
        setCurrentItem(item);
    }
    if (checkBoxes_) {
        Counter own(ownChanges_);
        setSubtreeState(item, Qt::Checked);
    }
    scrollToItem(item);
    return true;
}

void ScopeTree::checkPaths(const QStringList& paths)
{
    BusyScope busy(this);
    for (const QString& path : paths)
        checkPath(path);
}

QStringList ScopeTree::collectScope() const
{
    QStringList scope;
    for (int i = 0; i < topLevelItemCount(); ++i)
        collect(topLevelItem(i), scope);
    return scope;
}

void ScopeTree::collect(const QTreeWidgetItem* item, QStringList& scope) const
{
    if (isPlaceholder(item))
        return;
    if (checkBoxes_ && item->checkState(0) == Qt::Checked) {
        scope.push_back(itemPath(item));
        return;
    }
    for (int i = 0; i < item->childCount(); ++i)
        collect(item->child(i), scope);
}

QString ScopeTree::selectedPath() const
{
    const QList<QTreeWidgetItem*> selected = selectedItems();
    return selected.isEmpty() ? QString() : itemPath(selected.first());
}

}  // namespace dw::ui
