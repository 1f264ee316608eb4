#pragma once

#include "engine/search/file_entry.h"
#include "engine/search/fingerprint.h"
#include "engine/search/folder_cache.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace dw {

// A file whose beginning the disk is reading, kept open until it is read.
struct WaitingFile {
    FileEntry* entry = nullptr;
    QuietReader reader;
};

// Fingerprints the beginnings of files from one thread with many reads in
// flight. Each file is looked at without waiting for the disk: when its
// beginning is in memory it is fingerprinted at once; otherwise the look has
// started the disk reading it, and the file stays open in one of the
// caller's slots until a later look finds it read. With many files in
// flight, the I/O scheduler serves them in the order of their places on disk.
//
// A fingerprinted entry gets its `hash` and `prefixRead`; an entry that
// could not be read, or was given up, keeps them as they were.
class PrefixReader {
public:
    // `buffer` holds at least `prefixLength` bytes; `slots` are the files
    // that may wait at once (their descriptors are the reader's).
    PrefixReader(std::uint32_t prefixLength, char* buffer, FolderCache* folders, std::span<WaitingFile> slots);
    ~PrefixReader();
    PrefixReader(const PrefixReader&) = delete;
    PrefixReader& operator=(const PrefixReader&) = delete;

    // Looks at `entry`. When every slot is taken, the file waiting longest
    // is dealt with first: read, waiting for the disk when `mayWait`, else
    // given up.
    void add(FileEntry& entry, bool mayWait);
    // Looks again at the waiting files, oldest first, up to the first one
    // the disk has not read yet; returns how many still wait.
    std::size_t collectRead();
    // Deals with every waiting file as add() does with the oldest.
    void finish(bool mayWait);

    std::size_t waiting() const { return count_; }

private:
    enum class Look { Read, NotYet, Failed };
    // Bytes of the file's beginning that make its fingerprint.
    std::size_t prefixOf(const FileEntry& entry) const;
    // Fingerprints the `length` bytes in the buffer as the entry's.
    void record(FileEntry& entry, std::size_t length);
    Look look(FileEntry& entry, QuietReader& reader);
    // Looks again at the oldest waiting file; drops it unless it is still
    // unread and `keep` is set. True when it was dropped.
    bool settleOldest(bool keep, bool mayWait);

    const std::uint32_t prefixLength_;
    char* const buffer_;
    FolderCache* const folders_;
    const std::span<WaitingFile> slots_;
    std::size_t first_ = 0;
    std::size_t count_ = 0;
};

}  // namespace dw
