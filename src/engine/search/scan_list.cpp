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
    entries_.shrink_to_fit();  // frees the deque's blocks
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

template <typename Less>
void ScanList::sortIndices(Less less)
{
    std::vector<std::uint32_t> order(entries_.size());
    std::iota(order.begin(), order.end(), 0u);
    std::stable_sort(order.begin(), order.end(), less);
    // Apply the permutation cycle by cycle: position i receives entry order[i].
    for (std::uint32_t i = 0; i < order.size(); ++i) {
        if (order[i] == i)
            continue;
        FileEntry held = std::move(entries_[i]);
        std::uint32_t at = i;
        while (order[at] != i) {
            std::uint32_t from = order[at];
            entries_[at] = std::move(entries_[from]);
            order[at] = at;
            at = from;
        }
        entries_[at] = std::move(held);
        order[at] = at;
    }
}

void ScanList::sortBySize()
{
    compact();
    sortIndices([this](std::uint32_t a, std::uint32_t b) { return entries_[a].size < entries_[b].size; });
}

void ScanList::sortByAccessTime()
{
    compact();
    sortIndices([this](std::uint32_t a, std::uint32_t b) {
        return entries_[a].lastAccessNs < entries_[b].lastAccessNs;
    });
}

void ScanList::sortByExtension()
{
    compact();
    std::vector<std::string> keys;
    keys.reserve(entries_.size());
    for (const FileEntry& entry : entries_)
        keys.push_back(foldCase(extensionOf(entry.name)));
    sortIndices([&keys](std::uint32_t a, std::uint32_t b) { return keys[a] < keys[b]; });
}

void ScanList::sortByName()
{
    compact();
    std::vector<std::string> keys;
    keys.reserve(entries_.size());
    for (const FileEntry& entry : entries_)
        keys.push_back(foldCase(entry.name));
    sortIndices([&keys](std::uint32_t a, std::uint32_t b) { return keys[a] < keys[b]; });
}

}  // namespace dw
