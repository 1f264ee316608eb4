#include "engine/operations/copy_steps.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <vector>

namespace dw::copy {

namespace {

constexpr std::size_t kChunk = 8u << 20;

bool writeAll(int fd, const char* data, std::size_t size)
{
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

Placed failure() { return errno == EXDEV ? Placed::CrossDevice : Placed::Failed; }

// Onto a free name: renameat2(RENAME_NOREPLACE), or where a file system
// lacks it, a hard link (which fails on an existing name just the same)
// for a file, a plain rename for a folder (which at worst takes the place
// of an empty folder made since we looked).
Placed placeOnFreeName(int fromFd, const char* from, int toFd, const char* to)
{
    if (::renameat2(fromFd, from, toFd, to, RENAME_NOREPLACE) == 0)
        return Placed::Done;
    if (errno != EINVAL)
        return failure();
    struct stat st {};
    if (::fstatat(fromFd, from, &st, AT_SYMLINK_NOFOLLOW) != 0)
        return Placed::Failed;
    if (S_ISDIR(st.st_mode))
        return ::renameat(fromFd, from, toFd, to) == 0 ? Placed::Done : failure();
    if (::linkat(fromFd, from, toFd, to, 0) != 0)
        return failure();
    (void)::unlinkat(fromFd, from, 0);
    return Placed::Done;
}

// Over the entry `replacing`: the two names are exchanged, and what came
// back is checked; a file that is not the one the user agreed to replace
// is exchanged back and stays.
Placed placeOver(int fromFd, const char* from, int toFd, const char* to,
                 const struct stat& replacing)
{
    if (::renameat2(fromFd, from, toFd, to, RENAME_EXCHANGE) == 0) {
        struct stat old {};
        if (::fstatat(fromFd, from, &old, AT_SYMLINK_NOFOLLOW) == 0 && sameFile(old, replacing) &&
            !S_ISDIR(old.st_mode)) {
            (void)::unlinkat(fromFd, from, 0);
            return Placed::Done;
        }
        (void)::renameat2(fromFd, from, toFd, to, RENAME_EXCHANGE);
        return Placed::Failed;
    }
    if (errno != EINVAL)
        return failure();
    // No exchange on this file system: check as late as we can.
    struct stat now {};
    if (::fstatat(toFd, to, &now, AT_SYMLINK_NOFOLLOW) != 0 || !sameFile(now, replacing))
        return Placed::Failed;
    return ::renameat(fromFd, from, toFd, to) == 0 ? Placed::Done : failure();
}

}  // namespace

Copied copyData(int in, int out, const Progress* progress)
{
    bool kernelCopy = true;
    std::vector<char> buffer;
    for (;;) {
        if (progress && progress->cancelled())
            return Copied::Cancelled;
        if (kernelCopy) {
            ssize_t n = ::copy_file_range(in, nullptr, out, nullptr, kChunk, 0);
            if (n == 0)
                return Copied::Ok;
            if (n > 0 || errno == EINTR)
                continue;
            if (errno != EXDEV && errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)
                return Copied::Failed;
            kernelCopy = false;  // these two file systems need the plain way
            buffer.resize(1u << 20);
            continue;
        }
        ssize_t n = ::read(in, buffer.data(), buffer.size());
        if (n == 0)
            return Copied::Ok;
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 || !writeAll(out, buffer.data(), static_cast<std::size_t>(n)))
            return Copied::Failed;
    }
}

void keepAttributes(int fd, const struct stat& st)
{
    // chown clears set-id bits, so the mode comes after it.
    (void)::fchown(fd, st.st_uid, st.st_gid);
    (void)::fchmod(fd, st.st_mode & 07777);
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    (void)::futimens(fd, times);
}

void keepAttributesAt(int folderFd, const std::string& name, const struct stat& st, bool link)
{
    (void)::fchownat(folderFd, name.c_str(), st.st_uid, st.st_gid, AT_SYMLINK_NOFOLLOW);
    if (!link)
        (void)::fchmodat(folderFd, name.c_str(), st.st_mode & 07777, 0);
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    (void)::utimensat(folderFd, name.c_str(), times, AT_SYMLINK_NOFOLLOW);
}

std::string temporaryName()
{
    static std::atomic<unsigned> counter{0};
    char name[64];
    std::snprintf(name, sizeof name, ".dw-part-%d-%u", static_cast<int>(::getpid()),
                  counter.fetch_add(1));
    return name;
}

bool sameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

Placed placeEntry(int fromFd, const std::string& fromName, int toFd, const std::string& toName,
                  const struct stat* replacing)
{
    if (replacing)
        return placeOver(fromFd, fromName.c_str(), toFd, toName.c_str(), *replacing);
    return placeOnFreeName(fromFd, fromName.c_str(), toFd, toName.c_str());
}

}  // namespace dw::copy
