#pragma once

#include "engine/search/prefix_reader.h"
#include "engine/search/folder_cache.h"
#include "engine/search/scan_list.h"

#include <array>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace dw {

// Fingerprints likely duplicates on a thread of its own while the walk is
// still listing folders. A file becomes likely once the walk has met another
// file of its size. Where its beginning is in the page cache, the thread
// fingerprints it at once; where it is not, the look starts the disk reading
// it, and the thread keeps the file open and looks again a little later. The
// disk thus works during the walk instead of after it, and the duplicate
// search skips what was fingerprinted here.
//
// The thread only reads, as the duplicate search does (QuietReader: no link
// followed, the same inode and size, the access time left alone), and writes
// nothing but the `hash` and `prefixRead` of the entries handed to it. The
// scan list must not be sorted, cleared or compacted before finish().
class EarlyFingerprinter {
public:
    // `prefixLength`: the duplicate search's fingerprint length; files in
    // `excludedFolders` (the duplicate search's) are never read.
    EarlyFingerprinter(std::uint32_t prefixLength, std::vector<std::string> excludedFolders);
    ~EarlyFingerprinter();
    EarlyFingerprinter(const EarlyFingerprinter&) = delete;
    EarlyFingerprinter& operator=(const EarlyFingerprinter&) = delete;

    // Called on the walk's thread for the file just appended at `index`.
    void fileAdded(ScanList& list, std::size_t index);
    // Waits for the thread to stop; from then on the entries are the
    // caller's alone again. What is still queued is dropped (the duplicate
    // search reads it with all its threads) unless `readQueued` is set.
    void finish(bool readQueued = false);

    // Files handed to the thread so far.
    std::uint64_t queued() const { return queued_; }

    // Files kept open while the disk reads them: at most this many.
    static constexpr std::size_t kWaitingFiles = 64;

private:
    // The last file met of each size, by a hash of the size: enough to
    // notice most repeated sizes in a fixed amount of memory.
    struct Slot {
        std::uint32_t sizeTag = 0;  // the size's low bits; a mix-up only costs a wasted read
        std::uint32_t index = 0;    // of the file in the scan list, + 1; 0: none yet
    };
    static constexpr std::uint32_t kQueuedBit = 0x80000000u;

    bool excluded(const FileEntry& entry);
    void push(FileEntry& entry);
    void run();

    const std::vector<std::string> excludedFolders_;
    // The folder last asked about, and the answer.
    const std::string* lastFolder_ = nullptr;
    bool lastExcluded_ = false;
    std::vector<Slot> slots_;
    std::uint64_t queued_ = 0;

    // The thread's own.
    std::unique_ptr<char[]> buffer_;
    FolderCache folders_;
    std::array<WaitingFile, kWaitingFiles> waiting_;
    PrefixReader reader_;

    std::mutex mutex_;
    std::condition_variable wake_;
    // Entries of a deque never move while it grows: the thread may use them
    // while the walk appends more.
    std::deque<FileEntry*> jobs_;
    bool stopping_ = false;
    bool readQueued_ = false;
    bool idle_ = false;
    std::thread thread_;
};

}  // namespace dw
