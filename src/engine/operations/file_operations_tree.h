#pragma once

// Descriptor-based helpers shared by the delete and the copy/move code: every
// step below a top path goes through an open folder, so a name swapped for a
// link while we work is never followed.

#include "platform/safe_path.h"

#include <sys/stat.h>

#include <cstdint>
#include <string>
#include <vector>

namespace dw::tree {

using Fd = platform::UniqueFd;

// One name in a folder as lstat() saw it.
struct Entry {
    std::string name;
    struct stat st;
};

// Reads every entry of the open folder `folderFd` except "." and "..".
// False when the folder cannot be listed; entries that vanish are left out.
bool readEntries(int folderFd, std::vector<Entry>& entries);

// The names in the open folder `folderFd` except "." and ".." (none when it
// cannot be listed), in the order the system returns them. `folderFd` stays open.
std::vector<std::string> readNames(int folderFd);

// Opens the folder `name` in `parentFd` (AT_FDCWD for a path) without following
// a link; invalid when it is not a folder or cannot be opened.
Fd openFolder(int parentFd, const std::string& name);
// Opens the folder `name` in `parentFd` as openFolder does and checks that
// it is the entry `st` described; invalid otherwise.
Fd openSameFolder(int parentFd, const std::string& name, const struct stat& st);

// The mount an entry lives on.
struct MountKey {
    std::uint64_t device = 0;
    std::uint64_t mountId = 0;  // 0 when the kernel does not say
    bool mountRoot = false;
};
// Describes `name` in `folderFd` (the folder itself for ""), not following a link.
bool mountKeyOf(int folderFd, const std::string& name, MountKey& key);
// True when `inner` is a different mount from `outer` or the root of one.
bool crossesMount(const MountKey& outer, const MountKey& inner);
// True when `name` in `folderFd` is the root of a mounted file system or
// lies on another mount than its folder.
bool isMountRootAt(int folderFd, const std::string& name);

// "folder/name", without doubling a '/'; just the name for an empty folder.
std::string joinPath(const std::string& folder, const std::string& name);

}  // namespace dw::tree
