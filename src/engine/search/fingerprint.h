#pragma once

#include "engine/search/file_entry.h"
#include "engine/search/progress.h"

#include <cstdint>
#include <string>
#include <vector>

namespace dw {

// A file opened for reading without touching it: never through a link, never
// a FIFO or device, O_NOATIME where allowed and the access time put back
// otherwise. Refuses a file that is no longer the inode the walk saw.
class QuietReader {
public:
    QuietReader() = default;
    ~QuietReader();
    QuietReader(const QuietReader&) = delete;
    QuietReader& operator=(const QuietReader&) = delete;
    QuietReader(QuietReader&& other) noexcept;
    QuietReader& operator=(QuietReader&& other) noexcept;

    // Opens `entry.path`; false (and an errno in error()) when it cannot be
    // read or is not the same regular file of the same size any more.
    bool open(const FileEntry& entry);
    // Reads exactly `length` bytes at `offset`; false on an error or a short read.
    bool readAt(std::uint64_t offset, char* buffer, std::size_t length);
    void close();
    bool isOpen() const { return fd_ >= 0; }
    int error() const { return error_; }

private:
    int fd_ = -1;
    int error_ = 0;
    bool restoreAccessTime_ = false;
    struct timespec accessTime_ {};
};

// The standard CRC-32 (IEEE 802.3) of the first min(prefixLength, size)
// bytes. Returns 0 on success (crc set), else an errno. An empty file is a
// failure. The file is left exactly as it was.
int fingerprint(const FileEntry& entry, std::uint32_t prefixLength, std::uint32_t& crc);

// Splits `members` (indices into `entries`, all of one size) into the sets
// whose whole contents are equal, reading every file once, chunk by chunk, and
// separating files at the first chunk where they differ. Files that cannot be
// read drop out (counted in `unreadable`). Only sets of two or more are
// returned, in the order of their first member. Stops early on a cancel.
std::vector<std::vector<std::size_t>> splitByContent(const std::vector<FileEntry*>& entries,
                                                      const std::vector<std::size_t>& members,
                                                      Progress* progress,
                                                      std::uint64_t& unreadable);

}  // namespace dw
