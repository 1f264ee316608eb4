#include "platform/volumes.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <linux/magic.h>
#include <sys/ioctl.h>
#include <sys/statfs.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <mutex>
#include <unordered_map>

namespace dw::platform {

namespace {

std::mutex cacheMutex;
std::unordered_map<std::uint64_t, VolumeInfo>& cache()
{
    static std::unordered_map<std::uint64_t, VolumeInfo> volumes;
    return volumes;
}

VolumeInfo describe(const struct statfs& fs, const struct statvfs& vfs, bool haveVfs)
{
    VolumeInfo info;
    info.fsType = static_cast<std::uint64_t>(fs.f_type);
    info.blockSize = haveVfs ? vfs.f_frsize : 0;
    if (info.blockSize == 0)
        info.blockSize = static_cast<std::uint64_t>(fs.f_bsize);
    info.pseudo = isPseudoFileSystem(info.fsType);
    info.supportsCompression = info.fsType == BTRFS_SUPER_MAGIC;
    return info;
}

template <typename Probe>
VolumeInfo cached(std::uint64_t device, Probe probe)
{
    {
        std::lock_guard lock(cacheMutex);
        auto it = cache().find(device);
        if (it != cache().end())
            return it->second;
    }
    VolumeInfo info;
    if (!probe(info))
        return info;  // not cached: the next call may succeed
    std::lock_guard lock(cacheMutex);
    cache().emplace(device, info);
    return info;
}

}  // namespace

bool isPseudoFileSystem(std::uint64_t fsType)
{
    switch (fsType) {
    case PROC_SUPER_MAGIC:
    case SYSFS_MAGIC:
    case DEVPTS_SUPER_MAGIC:
    case CGROUP_SUPER_MAGIC:
    case CGROUP2_SUPER_MAGIC:
    case DEBUGFS_MAGIC:
    case TRACEFS_MAGIC:
    case SECURITYFS_MAGIC:
    case PSTOREFS_MAGIC:
    case BPF_FS_MAGIC:
    case 0x62656570:  // configfs
    case 0x65735543:  // fusectl
    case 0x19800202:  // mqueue
    case HUGETLBFS_MAGIC:
    case 0x0187:      // autofs
    case BINFMTFS_MAGIC:
    case EFIVARFS_MAGIC:
    case SELINUX_MAGIC:
    case SMACK_MAGIC:
    case NSFS_MAGIC:
        return true;
    default:
        return false;
    }
}

VolumeInfo volumeOf(std::uint64_t device, const std::string& path)
{
    return cached(device, [&](VolumeInfo& info) {
        struct statfs fs {};
        if (::statfs(path.c_str(), &fs) != 0)
            return false;
        struct statvfs vfs {};
        bool haveVfs = ::statvfs(path.c_str(), &vfs) == 0;
        info = describe(fs, vfs, haveVfs);
        return true;
    });
}

VolumeInfo volumeOfFd(std::uint64_t device, int fd)
{
    return cached(device, [&](VolumeInfo& info) {
        struct statfs fs {};
        if (::fstatfs(fd, &fs) != 0)
            return false;
        struct statvfs vfs {};
        bool haveVfs = ::fstatvfs(fd, &vfs) == 0;
        info = describe(fs, vfs, haveVfs);
        return true;
    });
}

bool isCompressed(const std::string& path, const VolumeInfo& volume)
{
    if (!volume.supportsCompression)
        return false;
    int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return false;
    int flags = 0;
    bool compressed = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 && (flags & FS_COMPR_FL) != 0;
    ::close(fd);
    return compressed;
}

}  // namespace dw::platform
