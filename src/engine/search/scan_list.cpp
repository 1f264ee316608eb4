#include "engine/search/scan_list.h"

#include <QString>

#include <algorithm>
#include <numeric>

namespace dw {

std::string foldCase(std::string_view text)
{
    bool ascii = std::all_of(text.begin(), text.end(),
                             [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (ascii) {
        std::string folded(text);
        for (char& c : folded)
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c - 'A' + 'a');
        return folded;
    }
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()))
        .toCaseFolded()
        .toStdString();
}

void ScanList::append(FileEntry entry)
{
    entries_.push_back(std::move(entry));
    taken_.push_back(0);
}

void ScanList::clear()
{
    entries_.clear();
    entries_.shrink_to_fit();
    taken_.clear();
    taken_.shrink_to_fit();
    takenCount_ = 0;
}

void ScanList::take(std::size_t index)
{
    if (taken_[index] == 0) {
        taken_[index] = 1;
        ++takenCount_;
    }
}

void ScanList::compact()
{
    if (takenCount_ == 0)
        return;
    std::size_t out = 0;
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        if (taken_[i] != 0)
            continue;
        if (out != i)
            entries_[out] = std::move(entries_[i]);
        ++out;
    }
    entries_.resize(out);
    taken_.assign(out, 0);
    takenCount_ = 0;
}

template <typename Key, typename Less>
void ScanList::sortByKey(const std::vector<Key>& keys, Less less)
{
    std::vector<std::uint32_t> order(entries_.size());
    std::iota(order.begin(), order.end(), 0u);
    std::stable_sort(order.begin(), order.end(),
                     [&](std::uint32_t a, std::uint32_t b) { return less(keys[a], keys[b]); });
    std::vector<FileEntry> sorted;
    sorted.reserve(entries_.size());
    for (std::uint32_t index : order)
        sorted.push_back(std::move(entries_[index]));
    entries_ = std::move(sorted);
}

void ScanList::sortBySize()
{
    compact();
    std::stable_sort(entries_.begin(), entries_.end(),
                     [](const FileEntry& a, const FileEntry& b) { return a.size < b.size; });
}

void ScanList::sortByAccessTime()
{
    compact();
    std::stable_sort(entries_.begin(), entries_.end(), [](const FileEntry& a, const FileEntry& b) {
        return a.lastAccessNs < b.lastAccessNs;
    });
}

void ScanList::sortByExtension()
{
    compact();
    std::vector<std::string> keys;
    keys.reserve(entries_.size());
    for (const FileEntry& entry : entries_)
        keys.push_back(foldCase(extensionOf(entry.path)));
    sortByKey(keys, std::less<>());
}

void ScanList::sortByName()
{
    compact();
    std::vector<std::string> keys;
    keys.reserve(entries_.size());
    for (const FileEntry& entry : entries_)
        keys.push_back(foldCase(fileNameOf(entry.path)));
    sortByKey(keys, std::less<>());
}

}  // namespace dw
