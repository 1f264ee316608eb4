#include "engine/search/fingerprint.h"

#include "platform/safe_path.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>
// The state on the stack: the reader threads never call the allocator.
#define XXH_STATIC_LINKING_ONLY
#include <xxhash.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

namespace dw {

int openForReading(const std::string& path, int flags)
{
    flags |= O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY;
    if (path.size() < PATH_MAX)
        return ::open(path.c_str(), flags);
    // Too long for one system call: resolve it a component at a time.
    platform::ParentAndLeaf parent = platform::openParentNoFollow(path);
    if (parent.error != 0) {
        errno = parent.error;
        return -1;
    }
    return ::openat(parent.parent.get(), parent.leaf.c_str(), flags);
}

std::uint32_t crc32Of(const char* bytes, std::size_t length)
{
    return static_cast<std::uint32_t>(
        ::crc32_z(::crc32(0L, Z_NULL, 0), reinterpret_cast<const Bytef*>(bytes), length));
}

QuietReader::~QuietReader() { close(); }

bool QuietReader::open(const FileEntry& entry, bool sequential, FolderCache* folders)
{
    close();
    auto openWith = [&](int flags) {
        return folders ? folders->openFile(entry, flags) : openForReading(entry.path(), flags);
    };
    fd_ = openWith(O_NOATIME);
    restoreAccessTime_ = false;
    if (fd_ < 0 && errno == EPERM) {
        // O_NOATIME needs ownership; read normally and put the time back.
        fd_ = openWith(0);
        restoreAccessTime_ = fd_ >= 0;
    }
    if (fd_ < 0) {
        error_ = errno;
        return false;
    }
    struct stat st {};
    if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode) ||
        static_cast<std::uint64_t>(st.st_dev) != entry.device ||
        static_cast<std::uint64_t>(st.st_ino) != entry.inode ||
        static_cast<std::uint64_t>(st.st_size) != entry.size) {
        error_ = ESTALE;
        restoreAccessTime_ = false;
        close();
        return false;
    }
    accessTime_ = st.st_atim;
    if (sequential)
        ::posix_fadvise(fd_, 0, 0, POSIX_FADV_SEQUENTIAL);
    error_ = 0;
    return true;
}

bool QuietReader::readAt(std::uint64_t offset, char* buffer, std::size_t length)
{
    std::size_t done = 0;
    while (done < length) {
        ssize_t got = ::pread(fd_, buffer + done, length - done, static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            error_ = got < 0 ? errno : EIO;  // 0: the file shrank under us
            return false;
        }
        done += static_cast<std::size_t>(got);
    }
    return true;
}

QuietReader::Cached QuietReader::readCachedAt(std::uint64_t offset, char* buffer, std::size_t length)
{
    struct iovec piece {buffer, length};
    ssize_t got;
    do {
        got = ::preadv2(fd_, &piece, 1, static_cast<off_t>(offset), RWF_NOWAIT);
    } while (got < 0 && errno == EINTR);
    if (got == static_cast<ssize_t>(length))
        return Cached::Yes;
    if (got >= 0 || errno == EAGAIN || errno == EOPNOTSUPP)
        return Cached::No;  // partly cached, or not at all: the ordered pass reads it
    error_ = errno;
    return Cached::Failed;
}

void QuietReader::close()
{
    if (fd_ < 0)
        return;
    if (restoreAccessTime_) {
        struct timespec times[2] = {accessTime_, {0, UTIME_OMIT}};
        ::futimens(fd_, times);
    }
    ::close(fd_);
    fd_ = -1;
}

int fingerprint(const FileEntry& entry, std::uint32_t prefixLength, char* buffer, std::uint32_t& crc,
                FolderCache* folders)
{
    crc = 0;
    if (entry.size == 0)
        return EINVAL;
    QuietReader reader;
    if (!reader.open(entry, false, folders))
        return reader.error();
    std::size_t length = static_cast<std::size_t>(std::min<std::uint64_t>(prefixLength, entry.size));
    if (!reader.readAt(0, buffer, length))
        return reader.error();
    crc = crc32Of(buffer, length);
    return 0;
}

int fingerprint(const FileEntry& entry, std::uint32_t prefixLength, std::uint32_t& crc)
{
    std::size_t length = static_cast<std::size_t>(std::min<std::uint64_t>(prefixLength, entry.size));
    std::unique_ptr<char[]> buffer(new char[std::max<std::size_t>(length, 1)]);
    return fingerprint(entry, prefixLength, buffer.get(), crc);
}

namespace {

bool cancelled(const Progress* progress) { return progress && progress->cancelled(); }

}  // namespace

bool digestContents(const FileEntry& entry, char* buffer, std::size_t bufferSize,
                    FolderCache* folders, const Progress* progress, ContentDigest& digest)
{
    QuietReader reader;
    if (!reader.open(entry, entry.size > bufferSize, folders))
        return false;
    XXH3_state_t state;
    XXH3_INITSTATE(&state);
    if (XXH3_128bits_reset(&state) != XXH_OK)
        return false;
    for (std::uint64_t offset = 0; offset < entry.size; offset += bufferSize) {
        if (cancelled(progress))
            return false;
        std::size_t length = static_cast<std::size_t>(std::min<std::uint64_t>(bufferSize, entry.size - offset));
        if (!reader.readAt(offset, buffer, length))
            return false;
        XXH3_128bits_update(&state, buffer, length);
    }
    XXH128_hash_t hash = XXH3_128bits_digest(&state);
    digest = {hash.low64, hash.high64};
    return true;
}

void compareWithFirst(const FileEntry& first, const FileEntry* const* others, std::size_t count,
                      char* firstBuffer, char* secondBuffer, std::size_t bufferSize,
                      FolderCache* folders, const Progress* progress, Comparison* outcomes)
{
    const std::uint64_t size = first.size;
    const bool sequential = size > bufferSize;
    QuietReader a;
    bool firstReadable = a.open(first, sequential, folders);
    const bool firstHeld = firstReadable && !sequential && a.readAt(0, firstBuffer, size);
    firstReadable = firstReadable && (sequential || firstHeld);
    for (std::size_t k = 0; k < count; ++k) {
        Comparison& outcome = outcomes[k];
        if (cancelled(progress)) {
            outcome = Comparison::Cancelled;
            continue;
        }
        if (!firstReadable) {
            outcome = Comparison::FirstUnreadable;
            continue;
        }
        QuietReader b;
        outcome = b.open(*others[k], sequential, folders) ? Comparison::Equal : Comparison::SecondUnreadable;
        for (std::uint64_t offset = 0; outcome == Comparison::Equal && offset < size; offset += bufferSize) {
            if (cancelled(progress)) {
                outcome = Comparison::Cancelled;
                break;
            }
            const std::size_t length = static_cast<std::size_t>(std::min<std::uint64_t>(bufferSize, size - offset));
            if (!firstHeld && !a.readAt(offset, firstBuffer, length)) {
                outcome = Comparison::FirstUnreadable;
                firstReadable = false;
            } else if (!b.readAt(offset, secondBuffer, length)) {
                outcome = Comparison::SecondUnreadable;
            } else if (std::memcmp(firstBuffer, secondBuffer, length) != 0) {
                outcome = Comparison::Different;
            }
        }
    }
}

}  // namespace dw
