#include "platform/compression.h"

#include <fcntl.h>
#include <linux/btrfs.h>
#include <linux/fs.h>
#include <linux/magic.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cstring>

namespace dw::platform {

namespace {

class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

// Rewrites every extent of the file with compression (zlib unless the
// mount says otherwise) and starts writing it out.
bool rewriteCompressed(int fd)
{
    btrfs_ioctl_defrag_range_args args;
    std::memset(&args, 0, sizeof args);
    args.start = 0;
    args.len = ~0ULL;
    args.flags = BTRFS_DEFRAG_RANGE_COMPRESS | BTRFS_DEFRAG_RANGE_START_IO;
    if (::ioctl(fd, BTRFS_IOC_DEFRAG_RANGE, &args) != 0)
        return false;
    // The allocation read afterwards should describe the written data.
    return ::fsync(fd) == 0;
}

CompressStatus compressOpenFile(int fd, const struct stat& st)
{
    struct statfs fs {};
    if (::fstatfs(fd, &fs) != 0)
        return CompressStatus::Failed;
    if (static_cast<unsigned long>(fs.f_type) != BTRFS_SUPER_MAGIC)
        return CompressStatus::Unsupported;
    int flags = 0;
    if (::ioctl(fd, FS_IOC_GETFLAGS, &flags) != 0)
        return CompressStatus::Failed;
    if (flags & FS_COMPR_FL)
        return CompressStatus::AlreadyCompressed;

    // btrfs rewrites only files the caller may write.
    const bool lentWrite = (st.st_mode & S_IWUSR) == 0 && st.st_uid == ::geteuid();
    if (lentWrite && ::fchmod(fd, (st.st_mode & 07777) | S_IWUSR) != 0)
        return CompressStatus::Failed;
    CompressStatus status = CompressStatus::Failed;
    int compressed = flags | FS_COMPR_FL;
    if (::ioctl(fd, FS_IOC_SETFLAGS, &compressed) == 0) {
        if (rewriteCompressed(fd))
            status = CompressStatus::Compressed;
        else
            (void)::ioctl(fd, FS_IOC_SETFLAGS, &flags);  // a flag without the data would lie
    }
    if (lentWrite)
        (void)::fchmod(fd, st.st_mode & 07777);
    return status;
}

}  // namespace

CompressResult compressFile(const std::string& path)
{
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0)
        return {};
    return compressFileAt(AT_FDCWD, path, st);
}

CompressResult compressFileAt(int folderFd, const std::string& name, const struct stat& expected)
{
    CompressResult result;
    if (!S_ISREG(expected.st_mode)) {
        result.status = CompressStatus::Unsupported;
        return result;
    }
    Descriptor fd(::openat(folderFd, name.c_str(),
                           O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat st {};
    if (fd.get() < 0 || ::fstat(fd.get(), &st) != 0)
        return result;
    if (!S_ISREG(st.st_mode) || st.st_dev != expected.st_dev || st.st_ino != expected.st_ino)
        return result;  // swapped since it was looked at
    result.status = compressOpenFile(fd.get(), st);
    struct stat after {};
    if (::fstat(fd.get(), &after) == 0)
        result.allocated = static_cast<std::uint64_t>(after.st_blocks) * 512;
    struct statvfs vfs {};
    if (::fstatvfs(fd.get(), &vfs) == 0)
        result.blockSize = vfs.f_frsize != 0 ? vfs.f_frsize : vfs.f_bsize;
    return result;
}

}  // namespace dw::platform
