#include "engine/operations/own_delete.h"

#include "engine/operations/file_operations_tree.h"
#include "platform/file_status.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <map>
#include <tuple>

namespace dw {

namespace {

using tree::Entry;
using tree::Fd;

struct Frame {
    Fd fd;
    std::string path;
    std::vector<Entry> entries;
    std::size_t next = 0;
};

// A folder that got u+rwx from us, to get its mode back if it survives.
struct LentMode {
    Fd fd;
    mode_t mode;
};

// The listed items of a folder-contents delete, found by what they were
// when listed: device, inode and name.
class ListedItems {
public:
    explicit ListedItems(const FolderContents& contents) : deleted_(contents.items.size(), false)
    {
        for (std::size_t i = 0; i < contents.items.size(); ++i) {
            const auto& item = contents.items[i];
            index_[keyOf(fileNameOf(item.path), item.st)].push_back(i);
            kept_.push_back(item.kept);
        }
    }
    // The item `entry` still is, or npos when it is none of them.
    std::size_t find(const Entry& entry) const
    {
        auto it = index_.find(keyOf(entry.name, entry.st));
        if (it == index_.end())
            return npos;
        for (std::size_t i : it->second)
            if (!deleted_[i])
                return i;
        return npos;
    }
    bool mayDelete(std::size_t i) const { return i != npos && !kept_[i]; }
    void markDeleted(std::size_t i) { deleted_[i] = true; }
    std::vector<bool> takeDeleted() { return std::move(deleted_); }

    static constexpr std::size_t npos = static_cast<std::size_t>(-1);

private:
    using Key = std::tuple<std::uint64_t, std::uint64_t, std::string>;
    static Key keyOf(std::string_view name, const struct stat& st)
    {
        return {st.st_dev, st.st_ino, std::string(name)};
    }
    std::map<Key, std::vector<std::size_t>> index_;
    std::vector<bool> kept_;
    std::vector<bool> deleted_;
};

// Deletes a folder through handles: the whole of it, or (with `listed`)
// only the listed items inside it.
class TreeDeleter {
public:
    TreeDeleter(const std::string& path, Progress* progress, ListedItems* listed)
        : path_(path), progress_(progress), listed_(listed)
    {
    }
    ~TreeDeleter() { restoreModes(); }
    TreeDeleter(const TreeDeleter&) = delete;
    TreeDeleter& operator=(const TreeDeleter&) = delete;

    // Deletes the entry `entry` found for `path_` (with `listed`: what is in it).
    DeleteOutcome run(SourceEntry& entry);

private:
    bool cancelled() const { return progress_ && progress_->cancelled(); }
    void show(const std::string& text)
    {
        if (progress_)
            progress_->setFolder(text);
    }
    // Whether an entry of the tree is ours to delete (to enter, for a folder).
    std::size_t listedItem(const Entry& entry) const
    {
        return listed_ ? listed_->find(entry) : ListedItems::npos;
    }
    bool mayEnter(const Entry& entry) const
    {
        return !listed_ || listedItem(entry) != ListedItems::npos;
    }
    bool mayDelete(const Entry& entry) const
    {
        return !listed_ || listed_->mayDelete(listedItem(entry));
    }
    // Removes `entry` of the open folder `folderFd`; true when it is gone.
    bool remove(int folderFd, const Entry& entry, bool folder);
    // Opens a folder of the tree, lending u+rwx to one of our own that
    // needs it; invalid when it cannot be opened, is not the entry listed
    // or lies on another mount.
    Fd enter(int parentFd, const Entry& entry);
    // The top folder as the first frame of a walk; false when it is not
    // the folder found at the start or cannot be entered and listed.
    bool openTop(Frame& top);
    DeleteOutcome deleteFiles();
    DeleteOutcome removeFolders();
    void restoreModes();

    std::string path_;
    Progress* progress_;
    ListedItems* listed_;
    Fd parent_;
    Entry top_;
    tree::MountKey mount_;
    std::vector<LentMode> lent_;
};

bool TreeDeleter::remove(int folderFd, const Entry& entry, bool folder)
{
    const std::size_t item = listedItem(entry);
    if (::unlinkat(folderFd, entry.name.c_str(), folder ? AT_REMOVEDIR : 0) != 0 && errno != ENOENT)
        return false;
    if (listed_) {
        listed_->markDeleted(item);
        if (progress_)
            progress_->step();
    }
    return true;
}

Fd TreeDeleter::enter(int parentFd, const Entry& entry)
{
    tree::MountKey key;
    if (!tree::mountKeyOf(parentFd, entry.name, key) || tree::crossesMount(mount_, key))
        return {};
    const uid_t me = ::geteuid();
    const mode_t mode = entry.st.st_mode & 07777;
    bool lend = me != 0 && entry.st.st_uid == me && (mode & S_IRWXU) != S_IRWXU;
    if (lend && ::fchmodat(parentFd, entry.name.c_str(), mode | S_IRWXU, AT_SYMLINK_NOFOLLOW) != 0)
        lend = false;
    Fd fd = tree::openSameFolder(parentFd, entry.name, entry.st);
    if (lend) {
        if (fd.valid())
            lent_.push_back({Fd(::fcntl(fd.get(), F_DUPFD_CLOEXEC, 0)), mode});
        else
            (void)::fchmodat(parentFd, entry.name.c_str(), mode, AT_SYMLINK_NOFOLLOW);
    }
    return fd;
}

bool TreeDeleter::openTop(Frame& top)
{
    // The top folder itself is not lent a mode: it is the user's choice as it is.
    top.fd = tree::openSameFolder(parent_.get(), top_.name, top_.st);
    top.path = path_;
    return top.fd.valid() && tree::readEntries(top.fd.get(), top.entries);
}

DeleteOutcome TreeDeleter::deleteFiles()
{
    std::vector<Frame> frames(1);
    if (!openTop(frames[0]))
        return listed_ ? DeleteOutcome::Failed
                       : DeleteOutcome::Deleted;  // nothing to empty; removing the folder decides
    while (!frames.empty()) {
        Frame& frame = frames.back();
        if (frame.next >= frame.entries.size()) {
            frames.pop_back();
            continue;
        }
        const Entry& entry = frame.entries[frame.next++];
        std::string full = tree::joinPath(frame.path, entry.name);
        if (S_ISDIR(entry.st.st_mode)) {
            if (!mayEnter(entry))
                continue;
            Frame child;
            child.fd = enter(frame.fd.get(), entry);
            child.path = std::move(full);
            // A folder that cannot be listed stays, as removing it will show.
            if (child.fd.valid() && tree::readEntries(child.fd.get(), child.entries))
                frames.push_back(std::move(child));
            continue;
        }
        if (!mayDelete(entry))
            continue;
        if (cancelled())
            return DeleteOutcome::Cancelled;
        show(full);
        // Only the whole-folder delete gives up at a file; the listed items are each on their own.
        if (!remove(frame.fd.get(), entry, false) && !listed_)
            return DeleteOutcome::Failed;
    }
    return DeleteOutcome::Deleted;
}

DeleteOutcome TreeDeleter::removeFolders()
{
    // Depth first again, each folder removed once its own folders are done,
    // so the deepest go first and the top folder last.
    std::vector<Frame> frames(1);
    if (!openTop(frames[0]))
        frames.clear();
    while (!frames.empty()) {
        Frame& frame = frames.back();
        if (frame.next >= frame.entries.size()) {
            frames.pop_back();
            if (!frames.empty()) {
                Frame& parent = frames.back();
                const Entry& done = parent.entries[parent.next - 1];
                if (cancelled())
                    return DeleteOutcome::Cancelled;
                show(tree::joinPath(parent.path, done.name));
                if (mayDelete(done))
                    (void)remove(parent.fd.get(), done, true);
            }
            continue;
        }
        const Entry& entry = frame.entries[frame.next++];
        if (!S_ISDIR(entry.st.st_mode) || !mayEnter(entry))
            continue;
        Frame child;
        child.fd = enter(frame.fd.get(), entry);
        child.path = tree::joinPath(frame.path, entry.name);
        if (child.fd.valid() && tree::readEntries(child.fd.get(), child.entries)) {
            frames.push_back(std::move(child));
            continue;
        }
        // Not listable (or a mount point, which the kernel keeps): an empty one still goes.
        if (cancelled())
            return DeleteOutcome::Cancelled;
        if (mayDelete(entry))
            (void)remove(frame.fd.get(), entry, true);
    }
    if (listed_)
        return DeleteOutcome::Deleted;  // the folder itself stays
    if (cancelled())
        return DeleteOutcome::Cancelled;
    show(path_);
    struct stat now {};
    if (::fstatat(parent_.get(), top_.name.c_str(), &now, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT ? DeleteOutcome::Deleted : DeleteOutcome::Failed;
    if (now.st_dev != top_.st.st_dev || now.st_ino != top_.st.st_ino)
        return DeleteOutcome::Failed;  // another folder took its name meanwhile
    if (::unlinkat(parent_.get(), top_.name.c_str(), AT_REMOVEDIR) != 0 && errno != ENOENT)
        return DeleteOutcome::Failed;
    return DeleteOutcome::Deleted;
}

void TreeDeleter::restoreModes()
{
    // Through the folders' own handles: a path could name something else by now.
    for (auto it = lent_.rbegin(); it != lent_.rend(); ++it)
        if (it->fd.valid())
            (void)::fchmod(it->fd.get(), it->mode);
    lent_.clear();
}

DeleteOutcome TreeDeleter::run(SourceEntry& entry)
{
    parent_ = std::move(entry.folder);
    top_.name = entry.name;
    top_.st = entry.st;
    if (!S_ISDIR(top_.st.st_mode)) {
        if (listed_)
            return DeleteOutcome::Failed;
        if (cancelled())
            return DeleteOutcome::Cancelled;
        show(path_);
        return remove(parent_.get(), top_, false) ? DeleteOutcome::Deleted : DeleteOutcome::Failed;
    }
    if (!tree::mountKeyOf(parent_.get(), top_.name, mount_))
        return DeleteOutcome::Failed;
    if (listed_) {
        mount_.mountRoot = false;  // a mount point's contents may be emptied, not its neighbours
    } else if (tree::isMountRootAt(parent_.get(), top_.name)) {
        // A whole mounted file system is not what deleting a folder means.
        return DeleteOutcome::Failed;
    }
    DeleteOutcome outcome = deleteFiles();
    if (outcome != DeleteOutcome::Deleted)
        return outcome;
    return removeFolders();
}

}  // namespace

std::string withoutTrailingSlash(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

bool isOtherSystemAccount(uid_t uid)
{
    return uid < platform::systemUidLimit() && uid != ::geteuid();
}

DeleteOutcome deletePermanently(const std::string& path, Progress* progress,
                                const SourceIdentity& expected)
{
    SourceEntry entry;
    switch (findSource(path, expected, entry)) {
    case SourceState::Gone:
        return DeleteOutcome::Deleted;
    case SourceState::Refused:
        return DeleteOutcome::Failed;
    case SourceState::Found:
        break;
    }
    TreeDeleter deleter(withoutTrailingSlash(path), progress, nullptr);
    return deleter.run(entry);
}

DeleteOutcome deleteEntryAlone(const std::string& path, Progress* progress)
{
    if (progress && progress->cancelled())
        return DeleteOutcome::Cancelled;
    SourceEntry entry;
    switch (findSource(path, {}, entry)) {
    case SourceState::Gone:
        return DeleteOutcome::Deleted;
    case SourceState::Refused:
        return DeleteOutcome::Failed;
    case SourceState::Found:
        break;
    }
    if (progress)
        progress->setFolder(path);
    // The kernel refuses a folder that is not empty (or is a mount point).
    const int flags = S_ISDIR(entry.st.st_mode) ? AT_REMOVEDIR : 0;
    if (::unlinkat(entry.folder.get(), entry.name.c_str(), flags) != 0 && errno != ENOENT)
        return DeleteOutcome::Failed;
    return DeleteOutcome::Deleted;
}

bool listFolderContents(const std::string& folder, const SourceIdentity& expected,
                        FolderContents& contents)
{
    contents = {};
    SourceEntry top;
    if (findSource(folder, expected, top) != SourceState::Found || !S_ISDIR(top.st.st_mode))
        return false;
    contents.folder = withoutTrailingSlash(folder);
    contents.folderSt = top.st;
    Frame first;
    first.fd = tree::openSameFolder(top.folder.get(), top.name, top.st);
    first.path = contents.folder;
    tree::MountKey mount;
    if (!first.fd.valid() || !tree::mountKeyOf(first.fd.get(), "", mount) ||
        !tree::readEntries(first.fd.get(), first.entries))
        return false;
    mount.mountRoot = false;  // the folder itself may be a mount root; its contents are listed
    // The open folders' items, to keep a folder when something inside it stays.
    std::vector<std::size_t> openItems;
    auto keepUpwards = [&] {
        for (std::size_t item : openItems)
            contents.items[item].kept = true;
    };
    std::vector<Frame> frames;
    frames.push_back(std::move(first));
    while (!frames.empty()) {
        Frame& frame = frames.back();
        if (frame.next >= frame.entries.size()) {
            frames.pop_back();
            if (!openItems.empty())
                openItems.pop_back();
            continue;
        }
        const Entry& entry = frame.entries[frame.next++];
        std::string full = tree::joinPath(frame.path, entry.name);
        if (S_ISDIR(entry.st.st_mode)) {
            tree::MountKey key;
            if (!tree::mountKeyOf(frame.fd.get(), entry.name, key) ||
                tree::crossesMount(mount, key)) {
                keepUpwards();  // a mount point cannot go, nor can what holds it
                continue;
            }
        }
        contents.items.push_back({full, entry.st, isOtherSystemAccount(entry.st.st_uid)});
        if (contents.items.back().kept)
            keepUpwards();
        if (!S_ISDIR(entry.st.st_mode))
            continue;
        Frame child;
        child.fd = tree::openSameFolder(frame.fd.get(), entry.name, entry.st);
        child.path = std::move(full);
        if (child.fd.valid() && tree::readEntries(child.fd.get(), child.entries)) {
            openItems.push_back(contents.items.size() - 1);
            frames.push_back(std::move(child));
        }
    }
    return true;
}

std::vector<std::string> listFolderContents(const std::string& folder)
{
    FolderContents contents;
    std::vector<std::string> paths;
    if (listFolderContents(folder, {}, contents))
        for (const auto& item : contents.items)
            paths.push_back(item.path);
    return paths;
}

ContentsDeleted deleteFolderContentsOf(const FolderContents& contents, Progress* progress)
{
    ListedItems listed(contents);
    ContentsDeleted result;
    SourceEntry top;
    const SourceIdentity folder = SourceIdentity::of(contents.folderSt);
    if (findSource(contents.folder, folder, top) == SourceState::Found) {
        TreeDeleter deleter(contents.folder, progress, &listed);
        result.cancelled = deleter.run(top) == DeleteOutcome::Cancelled;
    }
    result.deleted = listed.takeDeleted();
    return result;
}

}  // namespace dw
