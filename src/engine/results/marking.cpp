#include "engine/results/marking.h"

#include "platform/file_status.h"

#include <cstdint>
#include <optional>

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
    if (index >= list.size())
        return false;
    return index == 0 || list.row(index).group != list.row(index - 1).group;
}

namespace {

// Modification time in nanoseconds (lstat), or nullopt when the path is gone.
std::optional<std::int64_t> modifiedNs(const std::string& path)
{
    auto status = platform::statPath(path);
    if (!status)
        return std::nullopt;
    return status->modifyNs;
}

// The index of the row to keep among rows [begin, end) of one group.
std::size_t keptRow(const ResultList& list, std::size_t begin, std::size_t end, KeepRule keep)
{
    std::size_t kept = begin;
    switch (keep) {
    case KeepRule::First:
        break;
    case KeepRule::Shortest:
        for (std::size_t i = begin + 1; i < end; ++i)
            if (list.row(i).path.size() < list.row(kept).path.size())
                kept = i;
        break;
    case KeepRule::Oldest:
    case KeepRule::Newest: {
        std::optional<std::int64_t> best = modifiedNs(list.row(begin).path);
        for (std::size_t i = begin + 1; i < end; ++i) {
            std::optional<std::int64_t> time = modifiedNs(list.row(i).path);
            if (!time)
                continue;
            if (!best || (keep == KeepRule::Oldest ? *time < *best : *time > *best)) {
                best = time;
                kept = i;
            }
        }
        break;
    }
    }
    return kept;
}

}  // namespace

void markCopies(ResultList& list, KeepRule keep)
{
    for (std::size_t begin = 0; begin < list.size();) {
        std::size_t end = begin + 1;
        while (end < list.size() && !startsCopyGroup(list, end))
            ++end;
        const std::size_t kept = keptRow(list, begin, end, keep);
        for (std::size_t i = begin; i < end; ++i)
            list.setChecked(i, i != kept);
        begin = end;
    }
}

void markCopies(ResultList& list) { markCopies(list, KeepRule::First); }

}  // namespace dw
