#include "engine/results/result_set.h"

namespace dw {

ResultSet::ResultSet(const ListAppearance& appearance)
    : lists_{ResultList(ResultKind::ByMask, appearance),
             ResultList(ResultKind::BySize, appearance),
             ResultList(ResultKind::Duplicates, appearance),
             ResultList(ResultKind::Old, appearance)}
{
}

void ResultSet::setAppearance(const ListAppearance& appearance)
{
    for (ResultList& list : lists_)
        list.setAppearance(appearance);
}

void ResultSet::clearRows(ResultKind kind) { list(kind).deleteAllRows(); }

void ResultSet::addRow(ResultKind kind, const FileEntry& entry, Colour backColour,
                       Colour textColour, std::uint32_t group)
{
    list(kind).addRow(entry, backColour, textColour, group);
}

std::uint64_t ResultSet::rowCount(ResultKind kind) const { return list(kind).totalCount(); }

std::uint64_t ResultSet::totalSizeOnDisk(ResultKind kind) const
{
    return list(kind).totalSizeOnDisk();
}

}  // namespace dw
