#include "engine/results/result_list.h"

#include "engine/results/type_description.h"

#include <QChar>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <limits>
#include <memory>
#include <numeric>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace dw {

namespace {

// Case-folded copies of the texts that change when folded. Blocks are never
// moved, so the views handed out stay valid until the arena goes; texts
// that fold to themselves (most) are not copied at all.
class FoldArena {
public:
    char* allocate(std::size_t size)
    {
        if (blocks_.empty() || used_ + size > kBlock) {
            blocks_.push_back(std::make_unique<char[]>(std::max(kBlock, size)));
            used_ = 0;
        }
        char* at = blocks_.back().get() + used_;
        used_ += size;
        return at;
    }

private:
    static constexpr std::size_t kBlock = 1 << 20;
    std::vector<std::unique_ptr<char[]>> blocks_;
    std::size_t used_ = kBlock;
};

// One UTF-8 sequence at `i`: its code point and length. A malformed byte
// becomes a code point of its own that no case folding touches.
char32_t decode(std::string_view text, std::size_t i, std::size_t& length)
{
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
    length = 1;
    const char32_t malformed = 0xDC00 + lead;
    if (lead < 0x80)
        return lead;
    if (extra == 0 || i + extra >= text.size())
        return malformed;
    char32_t code = lead & (0x3Fu >> extra);
    for (std::size_t k = 1; k <= extra; ++k) {
        const auto next = static_cast<unsigned char>(text[i + k]);
        if ((next & 0xC0) != 0x80)
            return malformed;
        code = (code << 6) | (next & 0x3F);
    }
    length = extra + 1;
    return code;
}

void encode(char32_t code, std::string& out)
{
    if (code < 0x80) {
        out.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (code >> 6)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (code >> 12)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (code >> 18)));
        out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
}

// The case-folded text: `text` itself when folding changes nothing, else a
// copy in the arena.
std::string_view foldCase(std::string_view text, FoldArena& arena, std::string& scratch)
{
    std::size_t i = 0;
    for (; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x80 || (c >= 'A' && c <= 'Z'))
            break;
    }
    // Non-ASCII text is decoded to see whether any letter folds; small
    // Cyrillic letters and ASCII other than capitals, the bulk of names
    // here, are passed over without asking.
    bool changes = false;
    for (std::size_t j = i, length = 1; j < text.size() && !changes; j += length) {
        const auto lead = static_cast<unsigned char>(text[j]);
        if (lead < 0x80 && !(lead >= 'A' && lead <= 'Z')) {
            length = 1;
            continue;
        }
        if (j + 1 < text.size()) {
            const auto next = static_cast<unsigned char>(text[j + 1]);
            if ((lead == 0xD0 && next >= 0xB0 && next <= 0xBF) ||
                (lead == 0xD1 && next >= 0x80 && next <= 0x9F)) {
                length = 2;
                continue;
            }
        }
        const char32_t code = decode(text, j, length);
        changes = QChar::toCaseFolded(code) != code;
    }
    if (!changes)
        return text;
    scratch.assign(text.substr(0, i));
    for (std::size_t j = i, length = 1; j < text.size(); j += length)
        encode(QChar::toCaseFolded(decode(text, j, length)), scratch);
    char* copy = arena.allocate(scratch.size());
    std::memcpy(copy, scratch.data(), scratch.size());
    return std::string_view(copy, scratch.size());
}

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

// What a text contributes to the comparison by the text rule. Kept small:
// a sort holds one for every row.
struct TextKey {
    // A text with a leading number: the number (as its bits). Otherwise
    // eight bytes of the folded text from where the texts of a sort begin
    // to differ, most significant first: most comparisons end here without
    // reaching for the text itself.
    std::uint64_t head = 0;
    const char* text = nullptr;  // the folded text, when there is no number
    std::uint32_t size = 0;
    bool empty = false;
    bool number = false;
    bool folder = false;

    std::string_view folded() const { return {text, size}; }
    std::int64_t leading() const { return number ? static_cast<std::int64_t>(head) : 0; }
};

// Fills in the heads of `keys` from `skip` bytes on, where `skip` is the
// length of the start all their folded texts share.
template <typename Keys>
void setHeads(Keys& keys)
{
    std::size_t skip = std::string_view::npos;
    std::string_view first;
    for (const TextKey& key : keys) {
        if (key.empty || key.number)
            continue;
        if (skip == std::string_view::npos) {
            first = key.folded();
            skip = first.size();
            continue;
        }
        std::size_t same = 0;
        const std::string_view folded = key.folded();
        const std::size_t most = std::min(skip, folded.size());
        while (same < most && first[same] == folded[same])
            ++same;
        skip = same;
    }
    if (skip == std::string_view::npos)
        return;
    for (TextKey& key : keys) {
        if (key.empty || key.number)
            continue;
        std::uint64_t head = 0;
        for (std::size_t i = 0; i < 8; ++i) {
            const std::size_t at = skip + i;
            const auto byte = at < key.size ? static_cast<unsigned char>(key.text[at]) : 0u;
            head = (head << 8) | byte;
        }
        key.head = head;
    }
}

TextKey makeTextKey(std::string_view text, FoldArena& arena, std::string& scratch)
{
    TextKey key;
    key.empty = text.empty();
    const std::int64_t leading = leadingInteger(text);
    key.number = leading != 0;
    if (key.number) {
        key.head = static_cast<std::uint64_t>(leading);
    } else if (!key.empty) {
        const std::string_view folded = foldCase(text, arena, scratch);
        key.text = folded.data();
        key.size = static_cast<std::uint32_t>(folded.size());
    }
    return key;
}

template <typename T>
int threeWay(const T& a, const T& b)
{
    return a < b ? -1 : (b < a ? 1 : 0);
}

// The text rule: empty texts stay at the end whichever the direction; a
// leading number on either side compares numbers; else the folded texts.
int compareTexts(const TextKey& a, const TextKey& b, int direction)
{
    if (a.empty || b.empty)
        return threeWay(a.empty, b.empty);
    if (a.number || b.number)
        return direction * threeWay(a.leading(), b.leading());
    if (a.head != b.head)
        return direction * threeWay(a.head, b.head);
    return direction * a.folded().compare(b.folded());
}

int compareNameKeys(const TextKey& a, const TextKey& b, int direction)
{
    if (a.folder != b.folder)
        return direction * (a.folder ? -1 : 1);
    return compareTexts(a, b, direction);
}

// Local calendar dates as yyyymmdd. Every time zone's offset is a whole
// number of quarter hours, so one quarter hour has one date: a list of any
// length asks the time zone once per quarter hour its rows fall in.
class LocalDates {
public:
    // 0 for a missing file or a time the calendar cannot show.
    std::uint32_t of(const ResultRow& row)
    {
        if (row.missing)
            return 0;
        std::int64_t seconds = row.lastAccessNs / 1'000'000'000;
        if (row.lastAccessNs % 1'000'000'000 < 0)
            --seconds;
        std::int64_t quarter = seconds / 900 - (seconds % 900 < 0 ? 1 : 0);
        auto it = byQuarter_.find(quarter);
        if (it != byQuarter_.end())
            return it->second;
        std::time_t time = static_cast<std::time_t>(quarter * 900);
        std::tm local {};
        std::uint32_t date = 0;
        if (::localtime_r(&time, &local) && local.tm_year + 1900 > 0)
            date = static_cast<std::uint32_t>((local.tm_year + 1900) * 10'000 +
                                              (local.tm_mon + 1) * 100 + local.tm_mday);
        byQuarter_.emplace(quarter, date);
        return date;
    }

private:
    std::unordered_map<std::int64_t, std::uint32_t> byQuarter_;
};

int compareDates(std::uint32_t a, std::uint32_t b, int direction)
{
    if (a == 0 || b == 0)
        return threeWay(a == 0, b == 0);
    return direction * threeWay(a, b);
}

// Sorts `order` (positions into the rows) by `compare`; ties keep the
// order the rows had, without the buffer a stable sort would take.
template <typename Compare>
bool sortOrder(std::vector<std::uint32_t>& order, Compare compare)
{
    auto before = [&compare](std::uint32_t a, std::uint32_t b) {
        const int result = compare(a, b);
        return result != 0 ? result < 0 : a < b;
    };
    if (std::is_sorted(order.begin(), order.end(), before))
        return false;
    std::sort(order.begin(), order.end(), before);
    return true;
}

// Type descriptions are few: each is ranked once and rows compare ranks.
// Returns each row's rank; `emptyRank` tells which rank is the empty text.
std::vector<std::uint32_t> typeRanks(const RowStore& rows, std::vector<bool>& emptyRank)
{
    std::vector<std::uint32_t> ids(rows.size());
    std::uint32_t largest = 0;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        rowTypeText(rows[i]);
        ids[i] = rows[i].typeId;
        largest = std::max(largest, ids[i]);
    }
    FoldArena arena;
    std::string scratch;
    std::vector<TextKey> keys(largest + 1);
    std::vector<bool> seen(largest + 1, false);
    std::vector<std::uint32_t> distinct;
    for (std::uint32_t id : ids) {
        if (seen[id])
            continue;
        seen[id] = true;
        distinct.push_back(id);
        keys[id] = makeTextKey(typeDescriptionText(id), arena, scratch);
    }
    setHeads(keys);
    auto compare = [&keys](std::uint32_t a, std::uint32_t b) {
        return compareTexts(keys[a], keys[b], 1);
    };
    std::sort(distinct.begin(), distinct.end(),
              [&compare](std::uint32_t a, std::uint32_t b) { return compare(a, b) < 0; });
    std::vector<std::uint32_t> rankOf(largest + 1, 0);
    emptyRank.clear();
    for (std::size_t i = 0; i < distinct.size(); ++i) {
        if (i > 0 && compare(distinct[i - 1], distinct[i]) != 0)
            emptyRank.push_back(false);
        if (emptyRank.empty())
            emptyRank.push_back(false);
        rankOf[distinct[i]] = static_cast<std::uint32_t>(emptyRank.size() - 1);
        if (keys[distinct[i]].empty)
            emptyRank.back() = true;
    }
    for (std::uint32_t& id : ids)
        id = rankOf[id];
    return ids;
}

// Puts rows[order[i]] at position i, moving each row once.
void applyOrder(RowStore& rows, std::vector<std::uint32_t>& order)
{
    for (std::size_t start = 0; start < order.size(); ++start) {
        if (order[start] == start)
            continue;
        ResultRow held = std::move(rows[start]);
        std::size_t at = start;
        while (order[at] != start) {
            const std::size_t from = order[at];
            rows[at] = std::move(rows[from]);
            order[at] = static_cast<std::uint32_t>(at);
            at = from;
        }
        rows[at] = std::move(held);
        order[at] = static_cast<std::uint32_t>(at);
    }
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

}  // namespace

int compareRows(const ResultRow& a, const ResultRow& b, int column, bool ascending)
{
    const int direction = ascending ? 1 : -1;
    switch (column) {
    case ColSize:
        return direction * threeWay(a.size, b.size);
    case ColSizeOnDisk:
        return direction * threeWay(a.sizeOnDisk, b.sizeOnDisk);
    case ColAccessed: {
        LocalDates dates;
        return compareDates(dates.of(a), dates.of(b), direction);
    }
    case ColName:
    case ColPath:
    case ColType: {
        FoldArena arena;
        std::string scratch;
        TextKey keyA = makeTextKey(columnString(a, column), arena, scratch);
        TextKey keyB = makeTextKey(columnString(b, column), arena, scratch);
        keyA.folder = a.isFolder();
        keyB.folder = b.isFolder();
        return column == ColName ? compareNameKeys(keyA, keyB, direction)
                                 : compareTexts(keyA, keyB, direction);
    }
    default:
        return 0;
    }
}

void ResultList::sortByColumn(int column, bool ascending, std::vector<std::uint32_t>* movedTo)
{
    if (movedTo)
        movedTo->clear();
    if (column < 0 || column >= kColumnCount || rows_.size() < 2)
        return;
    const int direction = ascending ? 1 : -1;
    // Keys are made once per row (or once per type description), so the
    // comparisons neither allocate nor fold case.
    std::vector<std::uint32_t> order(rows_.size());
    std::iota(order.begin(), order.end(), std::uint32_t{0});
    bool moved = false;
    switch (column) {
    case ColSize:
    case ColSizeOnDisk: {
        std::vector<std::uint64_t> keys(rows_.size());
        for (std::size_t i = 0; i < rows_.size(); ++i)
            keys[i] = column == ColSize ? rows_[i].size : rows_[i].sizeOnDisk;
        moved = sortOrder(order, [&](std::uint32_t a, std::uint32_t b) {
            return direction * threeWay(keys[a], keys[b]);
        });
        break;
    }
    case ColAccessed: {
        LocalDates dates;
        std::vector<std::uint32_t> keys(rows_.size());
        for (std::size_t i = 0; i < rows_.size(); ++i)
            keys[i] = dates.of(rows_[i]);
        moved = sortOrder(order, [&](std::uint32_t a, std::uint32_t b) {
            return compareDates(keys[a], keys[b], direction);
        });
        break;
    }
    case ColType: {
        std::vector<bool> emptyRank;
        const std::vector<std::uint32_t> ranks = typeRanks(rows_, emptyRank);
        moved = sortOrder(order, [&](std::uint32_t a, std::uint32_t b) {
            const bool emptyA = emptyRank[ranks[a]];
            const bool emptyB = emptyRank[ranks[b]];
            if (emptyA || emptyB)
                return threeWay(emptyA, emptyB);
            return direction * threeWay(ranks[a], ranks[b]);
        });
        break;
    }
    default: {
        FoldArena arena;
        std::string scratch;
        std::vector<TextKey> keys(rows_.size());
        for (std::size_t i = 0; i < rows_.size(); ++i) {
            keys[i] = makeTextKey(columnString(rows_[i], column), arena, scratch);
            keys[i].folder = rows_[i].isFolder();
        }
        setHeads(keys);
        if (column == ColName) {
            moved = sortOrder(order, [&](std::uint32_t a, std::uint32_t b) {
                return compareNameKeys(keys[a], keys[b], direction);
            });
        } else {
            moved = sortOrder(order, [&](std::uint32_t a, std::uint32_t b) {
                return compareTexts(keys[a], keys[b], direction);
            });
        }
        break;
    }
    }
    if (!moved)
        return;
    if (movedTo) {
        movedTo->resize(order.size());
        for (std::size_t i = 0; i < order.size(); ++i)
            (*movedTo)[order[i]] = static_cast<std::uint32_t>(i);
    }
    applyOrder(rows_, order);
}

}  // namespace dw
