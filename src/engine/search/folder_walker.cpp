#include "engine/search/folder_walker.h"

#include "platform/file_status.h"
#include "platform/safe_path.h"
#include "platform/volumes.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace dw {

// One directory entry as fstatat() saw it while its folder was listed.
struct FolderWalker::Item {
    std::string name;
    struct stat st;
};

// One folder on the walk's stack. Its entries are read into memory when it
// is opened; the handle stays open only while the folder is near the top of
// the stack, deeper walks reopen it by name from the nearest open ancestor.
struct FolderWalker::Frame {
    std::string path;  // ends with '/'
    std::shared_ptr<const std::string> shared;  // the same, for the entries of the folder
    std::vector<Item> items;
    std::size_t next = 0;
    platform::UniqueFd fd;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
};

namespace {

// Folder handles held at once by one walk besides its top folder's: enough
// that an ordinary tree never reopens anything, few enough that no tree,
// however deep, runs the process out of descriptors.
constexpr std::size_t kOpenFolderWindow = 64;

bool isKernelInterfacePath(const std::string& folder)
{
    for (const char* prefix : {"/proc/", "/sys/", "/dev/"})
        if (folder.rfind(prefix, 0) == 0)
            return true;
    return false;
}

std::string withSlash(std::string folder)
{
    if (folder.empty() || folder.back() != '/')
        folder.push_back('/');
    return folder;
}

// The folder the user named, with every link, "." and ".." above it
// resolved once, so that rows carry paths later operations reach without
// following a link. A path too long for realpath() is taken as it is when
// it is clean; it is then opened without following any link.
std::string canonicalFolder(const std::string& folder)
{
    if (char* real = ::realpath(folder.c_str(), nullptr)) {
        std::string resolved(real);
        std::free(real);
        return withSlash(std::move(resolved));
    }
    return platform::isCleanAbsolutePath(folder) ? withSlash(folder) : std::string();
}

// Opens the folder `name` in `parentFd` without following a link and, where
// the system allows it (our own folders, or as root), so that reading it
// leaves its access time alone. `noAtime` tells which.
platform::UniqueFd openSubfolder(int parentFd, const char* name, bool& noAtime)
{
    constexpr int flags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK;
    int fd = ::openat(parentFd, name, flags | O_NOATIME);
    noAtime = fd >= 0;
    if (fd < 0 && errno == EPERM)
        fd = ::openat(parentFd, name, flags);
    return platform::UniqueFd(fd);
}

// Opens the clean absolute folder `path` (ending with '/') as above.
platform::UniqueFd openTopFolder(const std::string& path, bool& noAtime)
{
    if (path == "/")
        return openSubfolder(AT_FDCWD, "/", noAtime);
    platform::ParentAndLeaf parent = platform::openParentNoFollow(path);
    if (!parent.parent.valid()) {
        errno = parent.error;
        return {};
    }
    return openSubfolder(parent.parent.get(), parent.leaf.c_str(), noAtime);
}

// The file type a folder listing gives, as st_mode bits; 0 when the file
// system does not say.
mode_t typeFromListing(unsigned char type)
{
    switch (type) {
    case DT_REG: return S_IFREG;
    case DT_DIR: return S_IFDIR;
    case DT_LNK: return S_IFLNK;
    case DT_FIFO: return S_IFIFO;
    case DT_SOCK: return S_IFSOCK;
    case DT_CHR: return S_IFCHR;
    case DT_BLK: return S_IFBLK;
    default: return 0;
    }
}

FileEntry entryFor(const std::shared_ptr<const std::string>& folder, const std::string& name,
                   const struct stat& st, uid_t user)
{
    FileEntry entry;
    entry.size = S_ISDIR(st.st_mode) ? 0 : static_cast<std::uint64_t>(st.st_size);
    entry.lastAccessNs = platform::toNanoseconds(st.st_atim);
    entry.device = st.st_dev;
    entry.inode = st.st_ino;
    entry.attributes = platform::attributesFrom(st, *folder, name, user);
    entry.folder = folder;
    entry.name = name;
    return entry;
}

}  // namespace

bool FolderWalker::listFolder(Frame& frame, bool noAtime)
{
    frame.items.clear();
    struct stat self {};
    if (::fstat(frame.fd.get(), &self) != 0 || !S_ISDIR(self.st_mode)) {
        ++skipped_;
        return false;
    }
    frame.device = self.st_dev;
    frame.inode = self.st_ino;
    if (isKernelInterfacePath(frame.path) || !visited_.emplace(self.st_dev, self.st_ino).second ||
        platform::volumeOfFd(self.st_dev, frame.fd.get()).pseudo)
        return false;
    // The entries are read straight from the folder's handle: where it
    // stands in the listing does not matter to opening names through it.
    bool failed = false;
    for (;;) {
        const ssize_t got = ::getdents64(frame.fd.get(), listing_.data(), listing_.size());
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            failed = got < 0;
            break;
        }
        for (ssize_t at = 0; at < got;) {
            const auto* d = reinterpret_cast<const struct dirent64*>(listing_.data() + at);
            at += d->d_reclen;
            const char* name = d->d_name;
            if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0)
                continue;
            Item item;
            item.name = name;
            // What is never recorded needs only its type, which the listing
            // gives: folders (unless they are recorded), links, FIFOs,
            // sockets and devices. The rest is looked at.
            const mode_t type = typeFromListing(d->d_type);
            if (type != 0 && type != S_IFREG && (type != S_IFDIR || !statFolders_)) {
                std::memset(&item.st, 0, sizeof item.st);
                item.st.st_mode = type;
            } else if (::fstatat(frame.fd.get(), name, &item.st, AT_SYMLINK_NOFOLLOW) != 0) {
                ++skipped_;  // vanished between listing and stat
                continue;
            }
            frame.items.push_back(std::move(item));
        }
    }
    if (failed)
        ++skipped_;  // what was listed before the error is still walked
    // Where the folder could not be opened without touching its access
    // time, the time it had is put back, so that a search never makes an
    // old folder look recently used.
    struct stat after {};
    if (!noAtime && ::fstat(frame.fd.get(), &after) == 0 &&
        (after.st_atim.tv_sec != self.st_atim.tv_sec || after.st_atim.tv_nsec != self.st_atim.tv_nsec)) {
        const struct timespec times[2] = {self.st_atim, {0, UTIME_OMIT}};
        ::futimens(frame.fd.get(), times);
    }
    return true;
}

int FolderWalker::folderFd(std::vector<Frame>& frames)
{
    const std::size_t top = frames.size() - 1;
    if (frames[top].fd.valid())
        return frames[top].fd.get();
    std::size_t open = top;
    while (!frames[open].fd.valid())
        --open;  // frame 0 stays open for the whole walk
    for (std::size_t i = open + 1; i <= top; ++i) {
        const Frame& parent = frames[i - 1];
        bool noAtime = false;
        const std::string& name = parent.items[parent.next - 1].name;
        platform::UniqueFd fd = openSubfolder(parent.fd.get(), name.c_str(), noAtime);
        struct stat st {};
        // A folder swapped for another one since it was listed is not entered again.
        if (!fd.valid() || ::fstat(fd.get(), &st) != 0 || st.st_dev != frames[i].device ||
            st.st_ino != frames[i].inode)
            return -1;
        frames[i].fd = std::move(fd);
        // Ancestors outside the window close again as the chain is reopened.
        if (i - 1 > 0 && i - 1 + kOpenFolderWindow <= top)
            frames[i - 1].fd.reset();
    }
    return frames[top].fd.get();
}

template <typename Visit>
void FolderWalker::traverse(const std::string& folder, const std::string& openPath,
                            bool showFolders, Visit&& visit)
{
    std::vector<Frame> frames(1);
    frames[0].path = folder;
    if (progress_ && showFolders)
        progress_->setFolder(folder);
    const std::uint64_t skippedBefore = skipped_;
    bool noAtime = false;
    if (!openPath.empty())
        frames[0].fd = openTopFolder(openPath, noAtime);
    if (!frames[0].fd.valid())
        ++skipped_;
    const bool listed = frames[0].fd.valid() && listFolder(frames[0], noAtime);
    topReadable_ = listed || skipped_ == skippedBefore;
    if (!listed)
        return;
    // An explicit stack: depth costs memory for the open levels, never call depth.
    while (!frames.empty()) {
        if (progress_ && progress_->cancelled())
            break;
        Frame& frame = frames.back();
        if (frame.next >= frame.items.size()) {
            frames.pop_back();
            continue;
        }
        const Item& item = frame.items[frame.next++];
        if (!visit(frame, item) || !S_ISDIR(item.st.st_mode))
            continue;
        const int parentFd = folderFd(frames);
        Frame child;
        child.path = frame.path + item.name + '/';
        if (parentFd >= 0)
            child.fd = openSubfolder(parentFd, item.name.c_str(), noAtime);
        if (!child.fd.valid()) {
            ++skipped_;
            continue;
        }
        if (listFolder(child, noAtime)) {
            if (progress_ && showFolders)
                progress_->setFolder(child.path);
            frames.push_back(std::move(child));  // `frame` and `item` are invalid from here
            const std::size_t top = frames.size() - 1;
            if (top > kOpenFolderWindow)
                frames[top - kOpenFolderWindow].fd.reset();
        }
    }
}

std::uint64_t FolderWalker::walk(const std::string& scopeFolder, ScanList& list,
                                 const WalkOptions& options)
{
    std::uint64_t count = 0;
    // Asked once: a system call a file is a noticeable part of a large walk.
    const uid_t user = ::geteuid();
    statFolders_ = options.includeFolders;
    const std::string folder = canonicalFolder(withSlash(scopeFolder));
    traverse(folder.empty() ? withSlash(scopeFolder) : folder, folder, true, [&](Frame& frame, const Item& item) {
        if (item.name.front() == '.')
            return false;
        if (S_ISDIR(item.st.st_mode)) {
            if (options.includeFolders) {
                if (!frame.shared)
                    frame.shared = std::make_shared<const std::string>(frame.path);
                list.append(entryFor(frame.shared, item.name, item.st, user));
                ++count;
            }
            return options.recurse;
        }
        // Links, FIFOs, sockets and devices are never recorded.
        if (!S_ISREG(item.st.st_mode))
            return false;
        if (options.highSecurity &&
            isProtectedFile(frame.path + item.name,
                            platform::attributesFrom(item.st, frame.path, item.name, user))) {
            ++protectedLeftOut_;
            return false;
        }
        if (!frame.shared)
            frame.shared = std::make_shared<const std::string>(frame.path);
        list.append(entryFor(frame.shared, item.name, item.st, user));
        if (options.fingerprinter)
            options.fingerprinter->fileAdded(list, list.slots() - 1);
        ++count;
        return false;
    });
    return count;
}

std::uint64_t FolderWalker::collectPaths(const std::string& scopeFolder, const std::string& pattern,
                                         std::vector<std::string>* paths, bool includeFolders,
                                         bool recurse)
{
    std::uint64_t count = 0;
    // The paths keep the folder as the caller named it; the walk below it
    // follows no link.
    const std::string folder = withSlash(scopeFolder);
    statFolders_ = false;  // only whether an entry is a folder counts here
    traverse(folder, canonicalFolder(folder), false, [&](Frame& frame, const Item& item) {
        if (!matchesMask(item.name, pattern))
            return false;
        const bool folder = S_ISDIR(item.st.st_mode);
        // Everything that is not a folder counts as a file here, links
        // included: a caller deleting a folder removes a link as a link.
        if (!folder || includeFolders) {
            if (paths)
                paths->push_back(frame.path + item.name);
            ++count;
        }
        return folder && recurse;
    });
    return count;
}

std::uint64_t folderSize(const std::string& folder)
{
    std::vector<std::string> paths;
    FolderWalker walker;
    walker.collectPaths(folder, "*", &paths, false, true);
    std::uint64_t total = 0;
    for (const std::string& path : paths) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode))
            total += static_cast<std::uint64_t>(st.st_size);
    }
    return total;
}

bool isInExcludedFolder(const std::vector<std::string>& folders, std::string_view path)
{
    for (const std::string& raw : folders) {
        std::string_view folder(raw);
        while (!folder.empty() && folder.back() == '/')
            folder.remove_suffix(1);
        if (folder.empty())
            continue;  // the root excludes nothing
        if (path.size() < folder.size() || path.compare(0, folder.size(), folder) != 0)
            continue;
        if (path.size() == folder.size() || path[folder.size()] == '/')
            return true;
    }
    return false;
}

bool isProtectedFile(std::string_view path, std::uint8_t attributes)
{
    static constexpr std::array<const char*, 18> kProtectedEndings = {
        "EXE", "DLL", "VXD", "OCX", "DAT", "COM", "BAT", "TLB", "CPL",
        "CPX", "INF", "NLS", "DRV", "MSC", "SYS", "CAT", "CAB", "MSI"};
    if (attributes & attr::System)
        return true;
    if (path.size() >= 3) {
        char tail[4] = {};
        for (int i = 0; i < 3; ++i)
            tail[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(path[path.size() - 3 + i])));
        for (const char* ending : kProtectedEndings)
            if (std::strcmp(tail, ending) == 0)
                return true;
    }
    std::string_view name = fileNameOf(path);
    if (name.size() > 3 && name.substr(name.size() - 3) == ".ko")
        return true;
    // libfoo.so, libfoo.so.6, libfoo.so.1.2.3
    auto so = name.find(".so");
    while (so != std::string_view::npos && so > 0) {
        std::string_view rest = name.substr(so + 3);
        if (rest.empty() || (rest.front() == '.' && rest.size() > 1 &&
                             std::all_of(rest.begin(), rest.end(), [](char c) {
                                 return c == '.' || (c >= '0' && c <= '9');
                             })))
            return true;
        so = name.find(".so", so + 1);
    }
    return false;
}

}  // namespace dw
