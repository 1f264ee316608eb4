#include "engine/search/early_fingerprints.h"

#include "engine/search/folder_walker.h"

#include <algorithm>
#include <chrono>
#include <utility>

namespace dw {

namespace {

// Slots of the size table (a power of two): 256 KiB.
constexpr std::size_t kSlots = std::size_t{1} << 15;
// Files waiting for the thread. The walk never waits for it: while this many
// are queued it hands out no more, and the duplicate search reads those.
constexpr std::size_t kMaxQueued = 4096;
// How long the thread, with nothing new to look at, lets the disk work
// before it looks again at the files it is reading.
constexpr auto kDiskPause = std::chrono::microseconds(500);

std::size_t slotOf(std::uint64_t size)
{
    // Fibonacci hashing: sizes that differ by little land far apart.
    return static_cast<std::size_t>((size * 0x9E3779B97F4A7C15ull) >> 49) & (kSlots - 1);
}

}  // namespace

EarlyFingerprinter::EarlyFingerprinter(std::uint32_t prefixLength, std::vector<std::string> excludedFolders)
    : excludedFolders_(std::move(excludedFolders)), slots_(kSlots), buffer_(new char[prefixLength]),
      reader_(prefixLength, buffer_.get(), &folders_, waiting_)
{
    thread_ = std::thread([this] { run(); });
}

EarlyFingerprinter::~EarlyFingerprinter() { finish(); }

void EarlyFingerprinter::fileAdded(ScanList& list, std::size_t index)
{
    FileEntry& entry = list[index];
    if (entry.size == 0 || entry.isFolder() || index >= kQueuedBit - 1)
        return;
    Slot& slot = slots_[slotOf(entry.size)];
    const auto tag = static_cast<std::uint32_t>(entry.size);
    if (slot.index == 0 || slot.sizeTag != tag) {
        slot = {tag, static_cast<std::uint32_t>(index + 1)};
        return;
    }
    if ((slot.index & kQueuedBit) == 0) {
        push(list[slot.index - 1]);
        slot.index |= kQueuedBit;
    }
    push(entry);
}

bool EarlyFingerprinter::excluded(const FileEntry& entry)
{
    if (excludedFolders_.empty() || !entry.folder)
        return false;
    // The entries of one folder share its path: one answer for all of them.
    if (entry.folder.get() != lastFolder_) {
        lastFolder_ = entry.folder.get();
        lastExcluded_ = isInExcludedFolder(excludedFolders_, *entry.folder);
    }
    return lastExcluded_;
}

void EarlyFingerprinter::push(FileEntry& entry)
{
    if (excluded(entry))
        return;
    bool wake = false;
    {
        std::lock_guard lock(mutex_);
        if (stopping_ || jobs_.size() >= kMaxQueued)
            return;
        jobs_.push_back(&entry);
        wake = idle_;
        idle_ = false;
    }
    ++queued_;
    if (wake)
        wake_.notify_one();
}

void EarlyFingerprinter::finish(bool readQueued)
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        readQueued_ = readQueued;
        if (!readQueued)
            jobs_.clear();
    }
    wake_.notify_one();
    if (thread_.joinable())
        thread_.join();
}

void EarlyFingerprinter::run()
{
    bool mayWait = false;
    for (;;) {
        FileEntry* entry = nullptr;
        {
            std::unique_lock lock(mutex_);
            if (jobs_.empty() && !stopping_) {
                idle_ = true;
                if (reader_.waiting() == 0)
                    wake_.wait(lock, [this] { return !jobs_.empty() || stopping_; });
                else
                    wake_.wait_for(lock, kDiskPause, [this] { return !jobs_.empty() || stopping_; });
            }
            mayWait = stopping_ && readQueued_;
            if (stopping_ && jobs_.empty())
                break;
            if (!jobs_.empty()) {
                entry = jobs_.front();
                jobs_.pop_front();
            }
        }
        // While the walk goes on the thread never waits for the disk: it
        // gives up on the oldest file instead, and the duplicate search reads it.
        if (entry)
            reader_.add(*entry, mayWait);
        else
            reader_.collectRead();  // nothing new: collect what the disk has read meanwhile
    }
    reader_.finish(mayWait);
}

}  // namespace dw
