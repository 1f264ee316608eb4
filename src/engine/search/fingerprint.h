#pragma once

#include "engine/search/file_entry.h"
#include "engine/search/folder_cache.h"
#include "engine/search/progress.h"

#include <cstdint>
#include <ctime>
#include <string>

namespace dw {

// A file opened for reading without touching it: never through a link, never
// a FIFO or device, O_NOATIME where allowed and the access time put back
// otherwise. Refuses a file that is no longer the inode the walk saw. Paths
// longer than PATH_MAX are opened from their parent folder's handle.
class QuietReader {
public:
    QuietReader() = default;
    ~QuietReader();
    QuietReader(const QuietReader&) = delete;
    QuietReader& operator=(const QuietReader&) = delete;

    // Opens `entry.path`; false (and an errno in error()) when it cannot be
    // read or is not the same regular file of the same size any more.
    // `sequential` asks the kernel for a larger read-ahead: only worth a
    // system call when more than the first read will follow. `folders`, when
    // given, opens the file relative to its folder's kept handle.
    bool open(const FileEntry& entry, bool sequential = false, FolderCache* folders = nullptr);
    // Reads exactly `length` bytes at `offset`; false on an error or a short read.
    bool readAt(std::uint64_t offset, char* buffer, std::size_t length);
    // The same, but only from the page cache: No when the read would wait
    // for the disk (or the file system cannot tell without waiting).
    enum class Cached { Yes, No, Failed };
    Cached readCachedAt(std::uint64_t offset, char* buffer, std::size_t length);
    void close();
    bool isOpen() const { return fd_ >= 0; }
    int fd() const { return fd_; }
    int error() const { return error_; }

private:
    int fd_ = -1;
    int error_ = 0;
    bool restoreAccessTime_ = false;
    struct timespec accessTime_ {};
};

// Opens `path` read-only without following a link in its last component,
// through the parent folder's handle when the path is longer than PATH_MAX.
// `flags` are added to O_RDONLY|O_NOFOLLOW|O_CLOEXEC|O_NOCTTY|O_NONBLOCK.
// Returns the descriptor, or -1 with errno set.
int openForReading(const std::string& path, int flags);

// The standard CRC-32 (IEEE 802.3) of `length` bytes.
std::uint32_t crc32Of(const char* bytes, std::size_t length);

// The standard CRC-32 (IEEE 802.3) of the first min(prefixLength, size)
// bytes, read into `buffer` (at least that long). Returns 0 on success (crc
// set), else an errno. An empty file is a failure. The file is left exactly
// as it was.
int fingerprint(const FileEntry& entry, std::uint32_t prefixLength, char* buffer, std::uint32_t& crc,
                FolderCache* folders = nullptr);
// The same with a buffer of its own.
int fingerprint(const FileEntry& entry, std::uint32_t prefixLength, std::uint32_t& crc);

// A strong hash of a file's whole contents (XXH3, 128 bits).
struct ContentDigest {
    std::uint64_t low = 0;
    std::uint64_t high = 0;
    bool operator==(const ContentDigest&) const = default;
    auto operator<=>(const ContentDigest&) const = default;
};

// Hashes the whole file, reading it in pieces of `bufferSize` through
// `buffer`; false when it cannot be read whole. Stops early (false) on a cancel.
bool digestContents(const FileEntry& entry, char* buffer, std::size_t bufferSize,
                    FolderCache* folders, const Progress* progress, ContentDigest& digest);

enum class Comparison { Equal, Different, FirstUnreadable, SecondUnreadable, Cancelled };

// Compares each of the `count` files at `others` (all of `first`'s size)
// with `first`, byte by byte with two buffers of `bufferSize`, stopping each
// comparison at the first piece that differs; outcomes[k] tells how others[k]
// fared. At most two files are open at a time; `first` is read once when it
// fits one buffer. Cancelled outcomes follow a cancel.
void compareWithFirst(const FileEntry& first, const FileEntry* const* others, std::size_t count,
                      char* firstBuffer, char* secondBuffer, std::size_t bufferSize,
                      FolderCache* folders, const Progress* progress, Comparison* outcomes);

}  // namespace dw
