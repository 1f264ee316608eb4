#include "engine/operations/file_operations_tree.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstring>

namespace dw::tree {

bool readEntries(int folderFd, std::vector<Entry>& entries)
{
    entries.clear();
    // The caller keeps its descriptor for the *at() calls; the listing gets a duplicate.
    int listFd = ::fcntl(folderFd, F_DUPFD_CLOEXEC, 0);
    if (listFd < 0)
        return false;
    DIR* dir = ::fdopendir(listFd);
    if (!dir) {
        ::close(listFd);
        return false;
    }
    ::rewinddir(dir);
    while (dirent* d = ::readdir(dir)) {
        if (std::strcmp(d->d_name, ".") == 0 || std::strcmp(d->d_name, "..") == 0)
            continue;
        Entry entry;
        if (::fstatat(folderFd, d->d_name, &entry.st, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        entry.name = d->d_name;
        entries.push_back(std::move(entry));
    }
    ::closedir(dir);
    return true;
}

std::vector<std::string> readNames(int folderFd)
{
    std::vector<std::string> names;
    int listFd = ::fcntl(folderFd, F_DUPFD_CLOEXEC, 0);
    if (listFd < 0)
        return names;
    DIR* dir = ::fdopendir(listFd);
    if (!dir) {
        ::close(listFd);
        return names;
    }
    ::rewinddir(dir);
    while (dirent* d = ::readdir(dir))
        if (std::strcmp(d->d_name, ".") != 0 && std::strcmp(d->d_name, "..") != 0)
            names.emplace_back(d->d_name);
    ::closedir(dir);
    return names;
}

Fd openFolder(int parentFd, const std::string& name)
{
    return Fd(::openat(parentFd, name.c_str(),
                       O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY));
}

Fd openSameFolder(int parentFd, const std::string& name, const struct stat& st)
{
    Fd fd = openFolder(parentFd, name);
    struct stat now {};
    if (fd.valid() && (::fstat(fd.get(), &now) != 0 || now.st_dev != st.st_dev ||
                       now.st_ino != st.st_ino))
        return {};  // swapped since it was looked at
    return fd;
}

bool mountKeyOf(int folderFd, const std::string& name, MountKey& key)
{
    struct statx sx {};
    int flags = AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT | (name.empty() ? AT_EMPTY_PATH : 0);
    if (::statx(folderFd, name.c_str(), flags, STATX_TYPE | STATX_INO | STATX_MNT_ID, &sx) != 0)
        return false;
    key.device = (static_cast<std::uint64_t>(sx.stx_dev_major) << 32) | sx.stx_dev_minor;
    key.mountId = (sx.stx_mask & STATX_MNT_ID) ? sx.stx_mnt_id : 0;
    key.mountRoot = (sx.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) &&
                    (sx.stx_attributes & STATX_ATTR_MOUNT_ROOT);
    return true;
}

bool crossesMount(const MountKey& outer, const MountKey& inner)
{
    if (inner.mountRoot || inner.device != outer.device)
        return true;
    // A bind mount of the same file system keeps the device; its mount id differs.
    return outer.mountId != 0 && inner.mountId != 0 && outer.mountId != inner.mountId;
}

bool isMountRootAt(int folderFd, const std::string& name)
{
    MountKey self;
    MountKey outer;
    if (!mountKeyOf(folderFd, name, self) || !mountKeyOf(folderFd, "", outer))
        return false;
    return self.mountRoot || crossesMount(outer, self);
}

std::string joinPath(const std::string& folder, const std::string& name)
{
    if (folder.empty() || folder.back() == '/')
        return folder + name;
    return folder + '/' + name;
}

}  // namespace dw::tree
