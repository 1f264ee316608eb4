#pragma once

#include <optional>
#include <string>
#include <vector>

namespace dw::platform {

// One line of a mount table (/proc/self/mounts), with the octal escapes
// (\040 for a space and so on) decoded.
struct MountEntry {
    std::string device;
    std::string mountPoint;
    std::string fsType;
};

// Parses mount-table text; malformed lines are skipped.
std::vector<MountEntry> parseMountTable(const std::string& text);

// True for file systems that hold no user data of their own (proc, tmpfs,
// overlay, ...), for network file systems and for read-only package images
// (squashfs). Decided by the type name alone.
bool isExcludedFileSystemType(const std::string& fsType);

// The folders a user would call their disks: the mount points of file
// systems backed by a block device, pseudo and network ones excluded, plus
// "/" always (a container or live system has no block device under it but
// still keeps its files there). Sorted, each once, each ending with '/'.
// Mount points that are not folders (bind-mounted files) are left out.
std::vector<std::string> diskMountPoints(const std::vector<MountEntry>& table);

// The current process's mount table, or nothing when it cannot be read.
std::optional<std::vector<MountEntry>> readMountTable(const std::string& file = "/proc/self/mounts");

}  // namespace dw::platform
