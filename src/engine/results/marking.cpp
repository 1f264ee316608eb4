#include "engine/results/marking.h"

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

void markCopies(ResultList& list)
{
    for (std::size_t i = 0; i < list.size(); ++i)
        list.setChecked(i, !startsCopyGroup(list, i));
}

}  // namespace dw
