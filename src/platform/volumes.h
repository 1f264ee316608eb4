#pragma once

#include <cstdint>
#include <string>

namespace dw::platform {

// Facts about the file system holding a path, cached per device.
struct VolumeInfo {
    std::uint64_t blockSize = 0;    // statvfs f_frsize (0 when unknown)
    std::uint64_t fsType = 0;       // statfs f_type
    bool pseudo = false;            // proc, sysfs, devtmpfs, cgroup, ...
    bool supportsCompression = false;  // btrfs
};

// The volume of `path` on device `device` (the caller's st_dev). Thread-safe.
VolumeInfo volumeOf(std::uint64_t device, const std::string& path);
// The same, from an open descriptor.
VolumeInfo volumeOfFd(std::uint64_t device, int fd);

// True for file systems that hold no user files (kernel interfaces).
bool isPseudoFileSystem(std::uint64_t fsType);

// Whether the file's inode carries the compression flag (FS_COMPR_FL). Only
// asked on file systems that support compression; false when unknown.
bool isCompressed(const std::string& path, const VolumeInfo& volume);

}  // namespace dw::platform
