#include "engine/results/marking.h"

#include "platform/file_status.h"


namespace dw {

namespace {

void setAll(ResultList& list, bool checked)
{
    for (std::size_t i = 0; i < list.size(); ++i)
        list.setChecked(i, checked);
}

void setSome(ResultList& list, const std::vector<std::size_t>& indices, bool checked)
{
    for (std::size_t index : indices)
        list.setChecked(index, checked);
}

// Characters, not bytes: a Cyrillic name is no longer than a Latin one of its length.
std::size_t pathLength(const std::string& path)
{
    std::size_t length = 0;
    for (unsigned char byte : path)
        if ((byte & 0xC0) != 0x80)
            ++length;
    return length;
}

// The row of [first, end) that `keep` leaves unchecked. Rows whose file is
// gone take part only when every row's file is: keeping a vanished copy
// would leave every real copy checked for deletion.
std::size_t keeperOf(const ResultList& list, std::size_t first, std::size_t end, KeepRule keep)
{
    struct Candidate {
        std::size_t row;
        std::int64_t modified;
    };
    std::vector<Candidate> candidates;
    for (std::size_t i = first; i < end; ++i)
        if (const auto status = platform::statPath(list.row(i).path))
            candidates.push_back({i, status->modifyNs});
    if (candidates.empty())
        for (std::size_t i = first; i < end; ++i)
            candidates.push_back({i, 0});

    const Candidate* best = &candidates.front();
    for (const Candidate& candidate : candidates) {
        bool better = false;
        switch (keep) {
        case KeepRule::First:
            break;
        case KeepRule::Oldest:
            better = candidate.modified < best->modified;
            break;
        case KeepRule::Newest:
            better = candidate.modified > best->modified;
            break;
        case KeepRule::Shortest:
            better = pathLength(list.row(candidate.row).path) < pathLength(list.row(best->row).path);
            break;
        }
        if (better)
            best = &candidate;
    }
    return best->row;
}

}  // namespace

void markAll(ResultList& list) { setAll(list, true); }

void clearAll(ResultList& list) { setAll(list, false); }

void invertMarks(ResultList& list)
{
    for (std::size_t i = 0; i < list.size(); ++i)
        list.setChecked(i, !list.row(i).checked);
}

void markSelected(ResultList& list, const std::vector<std::size_t>& indices)
{
    setSome(list, indices, true);
}

void clearSelected(ResultList& list, const std::vector<std::size_t>& indices)
{
    setSome(list, indices, false);
}

std::size_t removeChecked(ResultList& list)
{
    return list.removeRows([](const ResultRow& row) { return row.checked; });
}

bool startsCopyGroup(const ResultList& list, std::size_t index)
{
    if (index == 0)
        return index < list.size();
    if (index >= list.size())
        return false;
    const ResultRow& row = list.row(index);
    const ResultRow& previous = list.row(index - 1);
    if (row.group != previous.group)
        return true;
    return row.group == 0 && row.backColour != previous.backColour;
}

void markCopies(ResultList& list, KeepRule keep)
{
    for (std::size_t first = 0; first < list.size();) {
        std::size_t end = first + 1;
        while (end < list.size() && !startsCopyGroup(list, end))
            ++end;
        const std::size_t keeper = keeperOf(list, first, end, keep);
        for (std::size_t i = first; i < end; ++i)
            list.setChecked(i, i != keeper);
        first = end;
    }
}

}  // namespace dw
