#include "engine/operations/own_delete.h"

#include "engine/operations/file_operations_tree.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

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
    std::string path;
    struct stat st;
};

class TreeDeleter {
public:
    TreeDeleter(const std::string& path, Progress* progress) : path_(path), progress_(progress) {}
    ~TreeDeleter() { restoreModes(); }
    TreeDeleter(const TreeDeleter&) = delete;
    TreeDeleter& operator=(const TreeDeleter&) = delete;

    DeleteOutcome run();

private:
    bool cancelled() const { return progress_ && progress_->cancelled(); }
    void show(const std::string& text)
    {
        if (progress_)
            progress_->setFolder(text);
    }
    // Opens a folder of the tree, lending u+rwx to one of our own that
    // needs it; invalid when it cannot be opened or lies on another mount.
    Fd enter(int parentFd, const std::string& parentPath, const Entry& entry);
    // The top folder as the first frame of a walk; false when it is gone
    // (`exists` tells) or cannot be entered and listed.
    bool openTop(Frame& top, bool& exists);
    DeleteOutcome deleteFiles();
    DeleteOutcome removeFolders();
    void restoreModes();

    std::string path_;
    Progress* progress_;
    Fd parent_;
    std::string name_;
    tree::MountKey mount_;
    std::vector<LentMode> lent_;
};

Fd TreeDeleter::enter(int parentFd, const std::string& parentPath, const Entry& entry)
{
    tree::MountKey key;
    if (!tree::mountKeyOf(parentFd, entry.name, key) || tree::crossesMount(mount_, key))
        return {};
    const uid_t me = ::geteuid();
    if (me != 0 && entry.st.st_uid == me && (entry.st.st_mode & S_IRWXU) != S_IRWXU) {
        mode_t mode = (entry.st.st_mode & 07777) | S_IRWXU;
        if (::fchmodat(parentFd, entry.name.c_str(), mode, AT_SYMLINK_NOFOLLOW) == 0)
            lent_.push_back({tree::joinPath(parentPath, entry.name), entry.st});
    }
    Fd fd = tree::openFolder(parentFd, entry.name);
    struct stat st {};
    if (fd.valid() && (::fstat(fd.get(), &st) != 0 || st.st_dev != entry.st.st_dev ||
                       st.st_ino != entry.st.st_ino))
        return {};  // swapped since it was listed
    return fd;
}

bool TreeDeleter::openTop(Frame& top, bool& exists)
{
    Entry entry{name_, {}};
    exists = ::fstatat(parent_.get(), name_.c_str(), &entry.st, AT_SYMLINK_NOFOLLOW) == 0;
    if (!exists)
        return false;
    top.fd = enter(parent_.get(), path_.substr(0, path_.size() - name_.size()), entry);
    top.path = path_;
    return top.fd.valid() && tree::readEntries(top.fd.get(), top.entries);
}

DeleteOutcome TreeDeleter::deleteFiles()
{
    std::vector<Frame> frames(1);
    bool exists = false;
    if (!openTop(frames[0], exists))
        return exists ? DeleteOutcome::Deleted   // nothing to empty; removing the folder decides
                      : DeleteOutcome::Failed;
    while (!frames.empty()) {
        Frame& frame = frames.back();
        if (frame.next >= frame.entries.size()) {
            frames.pop_back();
            continue;
        }
        const Entry& entry = frame.entries[frame.next++];
        std::string full = tree::joinPath(frame.path, entry.name);
        if (S_ISDIR(entry.st.st_mode)) {
            Frame child;
            child.fd = enter(frame.fd.get(), frame.path, entry);
            child.path = std::move(full);
            // A folder that cannot be listed stays, as removing it will show.
            if (child.fd.valid() && tree::readEntries(child.fd.get(), child.entries))
                frames.push_back(std::move(child));
            continue;
        }
        if (cancelled())
            return DeleteOutcome::Cancelled;
        show(full);
        if (::unlinkat(frame.fd.get(), entry.name.c_str(), 0) != 0 && errno != ENOENT)
            return DeleteOutcome::Failed;
    }
    return DeleteOutcome::Deleted;
}

DeleteOutcome TreeDeleter::removeFolders()
{
    // Depth first again, each folder removed once its own folders are done,
    // so the deepest go first and the top folder last.
    std::vector<Frame> frames(1);
    bool exists = false;
    if (!openTop(frames[0], exists)) {
        if (!exists)
            return DeleteOutcome::Deleted;
        frames.clear();
    }
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
                (void)::unlinkat(parent.fd.get(), done.name.c_str(), AT_REMOVEDIR);
            }
            continue;
        }
        const Entry& entry = frame.entries[frame.next++];
        if (!S_ISDIR(entry.st.st_mode))
            continue;
        Frame child;
        child.fd = enter(frame.fd.get(), frame.path, entry);
        child.path = tree::joinPath(frame.path, entry.name);
        if (child.fd.valid() && tree::readEntries(child.fd.get(), child.entries)) {
            frames.push_back(std::move(child));
            continue;
        }
        // Not listable (or a mount point, which the kernel keeps): an empty one still goes.
        if (cancelled())
            return DeleteOutcome::Cancelled;
        (void)::unlinkat(frame.fd.get(), entry.name.c_str(), AT_REMOVEDIR);
    }
    if (cancelled())
        return DeleteOutcome::Cancelled;
    show(path_);
    if (::unlinkat(parent_.get(), name_.c_str(), AT_REMOVEDIR) != 0 && errno != ENOENT)
        return DeleteOutcome::Failed;
    return DeleteOutcome::Deleted;
}

void TreeDeleter::restoreModes()
{
    for (auto it = lent_.rbegin(); it != lent_.rend(); ++it) {
        struct stat st {};
        if (::lstat(it->path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) &&
            st.st_ino == it->st.st_ino && st.st_dev == it->st.st_dev)
            (void)::fchmodat(AT_FDCWD, it->path.c_str(), it->st.st_mode & 07777,
                             AT_SYMLINK_NOFOLLOW);
    }
    lent_.clear();
}

DeleteOutcome TreeDeleter::run()
{
    parent_ = tree::openParent(path_, name_);
    if (!parent_.valid())
        return errno == ENOENT ? DeleteOutcome::Deleted : DeleteOutcome::Failed;
    struct stat st {};
    if (::fstatat(parent_.get(), name_.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT ? DeleteOutcome::Deleted : DeleteOutcome::Failed;
    if (!S_ISDIR(st.st_mode)) {
        if (cancelled())
            return DeleteOutcome::Cancelled;
        show(path_);
        if (::unlinkat(parent_.get(), name_.c_str(), 0) != 0 && errno != ENOENT)
            return DeleteOutcome::Failed;
        return DeleteOutcome::Deleted;
    }
    // A whole mounted file system is not what deleting a folder means.
    if (!tree::mountKeyOf(parent_.get(), name_, mount_) || mount_.mountRoot)
        return DeleteOutcome::Failed;
    tree::MountKey parentMount;
    if (tree::mountKeyOf(parent_.get(), "", parentMount) && tree::crossesMount(parentMount, mount_))
        return DeleteOutcome::Failed;
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

DeleteOutcome deletePermanently(const std::string& path, Progress* progress)
{
    std::string clean = withoutTrailingSlash(path);
    if (clean.empty() || clean == "/")
        return DeleteOutcome::Failed;
    TreeDeleter deleter(clean, progress);
    return deleter.run();
}

std::vector<std::string> listFolderContents(const std::string& folder)
{
    std::vector<std::string> paths;
    std::string top = withoutTrailingSlash(folder);
    Frame first;
    first.fd = tree::openFolder(AT_FDCWD, top);
    first.path = top;
    tree::MountKey mount;
    if (!first.fd.valid() || !tree::mountKeyOf(first.fd.get(), "", mount))
        return paths;
    mount.mountRoot = false;  // the folder itself may be a mount root; its contents are listed
    if (!tree::readEntries(first.fd.get(), first.entries))
        return paths;
    std::vector<Frame> frames;
    frames.push_back(std::move(first));
    while (!frames.empty()) {
        Frame& frame = frames.back();
        if (frame.next >= frame.entries.size()) {
            frames.pop_back();
            continue;
        }
        const Entry& entry = frame.entries[frame.next++];
        std::string full = tree::joinPath(frame.path, entry.name);
        if (!S_ISDIR(entry.st.st_mode)) {
            paths.push_back(std::move(full));
            continue;
        }
        tree::MountKey key;
        if (!tree::mountKeyOf(frame.fd.get(), entry.name, key) || tree::crossesMount(mount, key))
            continue;
        paths.push_back(full);
        Frame child;
        child.fd = tree::openFolder(frame.fd.get(), entry.name);
        child.path = std::move(full);
        if (child.fd.valid() && tree::readEntries(child.fd.get(), child.entries))
            frames.push_back(std::move(child));
    }
    return paths;
}

bool isMountRoot(const std::string& path)
{
    std::string clean = withoutTrailingSlash(path);
    if (clean == "/")
        return true;
    std::string name;
    Fd parent = tree::openParent(clean, name);
    tree::MountKey self;
    tree::MountKey outer;
    if (!parent.valid() || !tree::mountKeyOf(parent.get(), name, self) ||
        !tree::mountKeyOf(parent.get(), "", outer))
        return false;
    return self.mountRoot || tree::crossesMount(outer, self);
}

}  // namespace dw
