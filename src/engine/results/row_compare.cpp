#include "engine/results/result_list.h"

#include <QString>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <numeric>
#include <string_view>

namespace dw {

namespace {

// What one row contributes to a comparison by one column, computed once per
// row so that sorting a large list compares without allocating.
struct SortKey {
    std::uint64_t number = 0;  // size, size on disk, or yyyymmdd
    std::int64_t leading = 0;  // the text's leading integer
    std::string folded;        // case-folded text, only when `leading` is 0
    bool empty = false;        // empty text or unknown date
    bool folder = false;
};

// The leading integer as atoi reads it (blanks, a sign, digits; 0 when there
// are none), saturated instead of overflowing.
std::int64_t leadingInteger(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r')))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
    std::int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        int digit = text[i] - '0';
        value = value > (kMax - digit) / 10 ? kMax : value * 10 + digit;
    }
    return negative ? -value : value;
}

std::string foldCase(std::string_view text)
{
    bool ascii = std::all_of(text.begin(), text.end(),
                             [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (!ascii) {
        QString folded = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
        return folded.toCaseFolded().toStdString();
    }
    std::string folded(text);
    for (char& c : folded) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return folded;
}

// "dd.mm.yyyy" as yyyymmdd; false when the text is not such a date.
bool parseDate(std::string_view text, std::uint64_t& key)
{
    std::uint64_t parts[3] = {0, 0, 0};
    int part = 0;
    bool digits = false;
    for (char c : text) {
        if (c == '.' && digits && part < 2) {
            ++part;
            digits = false;
        } else if (c >= '0' && c <= '9' && parts[part] < 100'000'000) {
            parts[part] = parts[part] * 10 + static_cast<std::uint64_t>(c - '0');
            digits = true;
        } else {
            return false;
        }
    }
    if (part != 2 || !digits)
        return false;
    key = parts[2] * 10'000 + parts[1] * 100 + parts[0];
    return true;
}

std::string_view columnString(const ResultRow& row, int column)
{
    switch (column) {
    case ColName:
        return fileNameOf(row.path);
    case ColPath:
        return row.path;
    case ColType:
        return rowTypeText(row);
    default:
        return {};
    }
}

SortKey makeKey(const ResultRow& row, int column)
{
    SortKey key;
    key.folder = row.isFolder();
    switch (column) {
    case ColSize:
        key.number = row.size;
        break;
    case ColSizeOnDisk:
        key.number = row.sizeOnDisk;
        break;
    case ColAccessed:
        key.empty = !parseDate(row.accessedText, key.number);
        break;
    default: {
        std::string_view text = columnString(row, column);
        key.empty = text.empty();
        key.leading = leadingInteger(text);
        if (!key.empty && key.leading == 0)
            key.folded = foldCase(text);
        break;
    }
    }
    return key;
}

template <typename T>
int threeWay(const T& a, const T& b)
{
    return a < b ? -1 : (b < a ? 1 : 0);
}

int compareKeys(const SortKey& a, const SortKey& b, int column, bool ascending)
{
    const int direction = ascending ? 1 : -1;
    switch (column) {
    case ColSize:
    case ColSizeOnDisk:
        return direction * threeWay(a.number, b.number);
    case ColAccessed:
        if (a.empty || b.empty)
            return threeWay(a.empty, b.empty);
        return direction * threeWay(a.number, b.number);
    case ColName:
        if (a.folder != b.folder)
            return direction * (a.folder ? -1 : 1);
        [[fallthrough]];
    case ColPath:
    case ColType:
        // Empty texts stay at the end whichever the direction.
        if (a.empty || b.empty)
            return threeWay(a.empty, b.empty);
        if (a.leading != 0 || b.leading != 0)
            return direction * threeWay(a.leading, b.leading);
        return direction * threeWay(a.folded, b.folded);
    default:
        return 0;
    }
}

}  // namespace

int compareRows(const ResultRow& a, const ResultRow& b, int column, bool ascending)
{
    return compareKeys(makeKey(a, column), makeKey(b, column), column, ascending);
}

void ResultList::sortByColumn(int column, bool ascending)
{
    if (column < 0 || column >= kColumnCount || rows_.size() < 2)
        return;
    std::vector<SortKey> keys;
    keys.reserve(rows_.size());
    for (const ResultRow& row : rows_)
        keys.push_back(makeKey(row, column));
    std::vector<std::size_t> order(rows_.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    auto before = [&](std::size_t a, std::size_t b) {
        return compareKeys(keys[a], keys[b], column, ascending) < 0;
    };
    // An already ordered list (sorted again, or added in order) takes one pass.
    if (std::is_sorted(order.begin(), order.end(), before))
        return;
    std::stable_sort(order.begin(), order.end(), before);
    std::vector<ResultRow> sorted;
    sorted.reserve(rows_.size());
    for (std::size_t index : order)
        sorted.push_back(std::move(rows_[index]));
    rows_ = std::move(sorted);
}

}  // namespace dw
