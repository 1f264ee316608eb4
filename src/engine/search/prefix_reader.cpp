#include "engine/search/prefix_reader.h"

#include <algorithm>

namespace dw {

PrefixReader::PrefixReader(std::uint32_t prefixLength, char* buffer, FolderCache* folders,
                           std::span<WaitingFile> slots)
    : prefixLength_(prefixLength), buffer_(buffer), folders_(folders), slots_(slots)
{
}

PrefixReader::~PrefixReader() { finish(false); }

std::size_t PrefixReader::prefixOf(const FileEntry& entry) const
{
    return static_cast<std::size_t>(std::min<std::uint64_t>(prefixLength_, entry.size));
}

void PrefixReader::record(FileEntry& entry, std::size_t length)
{
    entry.hash = crc32Of(buffer_, length);
    entry.prefixRead = true;
}

PrefixReader::Look PrefixReader::look(FileEntry& entry, QuietReader& reader)
{
    const std::size_t length = prefixOf(entry);
    switch (reader.readCachedAt(0, buffer_, length)) {
    case QuietReader::Cached::Yes:
        record(entry, length);
        return Look::Read;
    case QuietReader::Cached::No:
        return Look::NotYet;
    case QuietReader::Cached::Failed:
        break;
    }
    return Look::Failed;
}

void PrefixReader::add(FileEntry& entry, bool mayWait)
{
    if (entry.size == 0)
        return;  // nothing to fingerprint: never a candidate
    if (count_ == slots_.size())
        settleOldest(false, mayWait);
    WaitingFile& slot = slots_[(first_ + count_) % slots_.size()];
    if (!slot.reader.open(entry, false, folders_) || look(entry, slot.reader) != Look::NotYet) {
        slot.reader.close();
        return;
    }
    slot.entry = &entry;
    ++count_;
}

bool PrefixReader::settleOldest(bool keep, bool mayWait)
{
    WaitingFile& oldest = slots_[first_];
    Look outcome = look(*oldest.entry, oldest.reader);
    if (outcome == Look::NotYet) {
        if (keep)
            return false;
        if (mayWait) {
            // The disk is on it already: this read only waits for the end.
            const std::size_t length = prefixOf(*oldest.entry);
            if (oldest.reader.readAt(0, buffer_, length))
                record(*oldest.entry, length);
        }
    }
    oldest.reader.close();
    oldest.entry = nullptr;
    first_ = (first_ + 1) % slots_.size();
    --count_;
    return true;
}

std::size_t PrefixReader::collectRead()
{
    while (count_ > 0 && settleOldest(true, false)) {
    }
    return count_;
}

void PrefixReader::finish(bool mayWait)
{
    while (count_ > 0)
        settleOldest(false, mayWait);
}

}  // namespace dw
