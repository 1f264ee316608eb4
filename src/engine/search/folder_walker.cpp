#include "engine/search/folder_walker.h"

#include "platform/file_status.h"
#include "platform/volumes.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>

namespace dw {

// One directory entry as lstat() saw it while its folder was listed.
struct FolderWalker::Item {
    std::string name;
    struct stat st;
};

struct FolderWalker::Frame {
    std::string path;  // ends with '/'
    std::shared_ptr<const std::string> shared;  // the same, for the entries of the folder
    std::vector<Item> items;
    std::size_t next = 0;
};

namespace {

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

FileEntry entryFor(const std::shared_ptr<const std::string>& folder, const std::string& name,
                   const struct stat& st)
{
    FileEntry entry;
    entry.size = S_ISDIR(st.st_mode) ? 0 : static_cast<std::uint64_t>(st.st_size);
    entry.lastAccessNs = platform::toNanoseconds(st.st_atim);
    entry.device = st.st_dev;
    entry.inode = st.st_ino;
    entry.attributes = platform::attributesFrom(st, name);
    entry.folder = folder;
    entry.name = name;
    return entry;
}

}  // namespace

bool FolderWalker::listFolder(const std::string& folder, std::vector<Item>& items, bool top)
{
    items.clear();
    if (isKernelInterfacePath(folder))
        return false;
    // A scope folder the user named may itself be a link; below it nothing is followed.
    int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NONBLOCK;
    std::string openPath = folder;
    if (!top) {
        flags |= O_NOFOLLOW;
        if (openPath.size() > 1)
            openPath.pop_back();  // a trailing '/' would make the kernel follow a link
    }
    int fd = ::open(openPath.c_str(), flags);
    if (fd < 0) {
        ++skipped_;
        return false;
    }
    struct stat self {};
    if (::fstat(fd, &self) != 0 || !S_ISDIR(self.st_mode)) {
        ::close(fd);
        ++skipped_;
        return false;
    }
    if (!visited_.emplace(self.st_dev, self.st_ino).second ||
        platform::volumeOfFd(self.st_dev, fd).pseudo) {
        ::close(fd);
        return false;
    }
    DIR* dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        ++skipped_;
        return false;
    }
    while (dirent* d = ::readdir(dir)) {
        const char* name = d->d_name;
        if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0)
            continue;
        Item item;
        if (::fstatat(::dirfd(dir), name, &item.st, AT_SYMLINK_NOFOLLOW) != 0) {
            ++skipped_;  // vanished between listing and stat
            continue;
        }
        item.name = name;
        items.push_back(std::move(item));
    }
    ::closedir(dir);
    return true;
}

template <typename Visit>
void FolderWalker::traverse(const std::string& folder, bool showFolders, Visit&& visit)
{
    std::vector<Frame> frames(1);
    frames[0].path = folder;
    if (progress_ && showFolders)
        progress_->setFolder(folder);
    std::uint64_t skippedBefore = skipped_;
    bool listed = listFolder(folder, frames[0].items, true);
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
        Frame child;
        child.path = frame.path + item.name + '/';
        if (listFolder(child.path, child.items, false)) {
            if (progress_ && showFolders)
                progress_->setFolder(child.path);
            frames.push_back(std::move(child));  // `frame` and `item` are invalid from here
        }
    }
}

std::uint64_t FolderWalker::walk(const std::string& scopeFolder, ScanList& list,
                                 const WalkOptions& options)
{
    std::uint64_t count = 0;
    traverse(withSlash(scopeFolder), true, [&](Frame& frame, const Item& item) {
        if (item.name.front() == '.')
            return false;
        if (S_ISDIR(item.st.st_mode)) {
            if (options.includeFolders) {
                if (!frame.shared)
                    frame.shared = std::make_shared<const std::string>(frame.path);
                list.append(entryFor(frame.shared, item.name, item.st));
                ++count;
            }
            return options.recurse;
        }
        // Links, FIFOs, sockets and devices are never recorded.
        if (!S_ISREG(item.st.st_mode))
            return false;
        if (options.highSecurity &&
            isProtectedFile(frame.path + item.name, platform::attributesFrom(item.st, item.name)))
            return false;
        if (!frame.shared)
            frame.shared = std::make_shared<const std::string>(frame.path);
        list.append(entryFor(frame.shared, item.name, item.st));
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
    traverse(withSlash(scopeFolder), false, [&](Frame& frame, const Item& item) {
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
