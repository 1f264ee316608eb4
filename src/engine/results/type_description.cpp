#include "engine/results/type_description.h"

#include "engine/search/file_entry.h"

#include <QLocale>
#include <QMimeDatabase>
#include <QMimeType>

#include <algorithm>
#include <array>
#include <atomic>
#include <deque>
#include <functional>
#include <mutex>
#include <shared_mutex>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace dw {

namespace {

// Asking the MIME database costs about 10 µs a name, too much for a million
// rows. Almost every glob is "*.ext" (at most a few dots long), so the answer
// depends only on the last few dot-separated parts of the name, and those
// parts are the cache key. The few other globs ("makefile", "readme*", "*~",
// "*.so.[0-9]*") are checked first; a name they match is asked for as it is.

char foldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// One pattern position against one character: `?`, a `[...]` class (with
// ranges and `!`/`^` negation) or a literal; ASCII case-insensitive like the
// MIME globs. `next` receives the position after the pattern element.
bool matchOne(std::string_view pattern, std::size_t p, char c, std::size_t& next)
{
    const char lower = foldAscii(c);
    if (pattern[p] == '?') {
        next = p + 1;
        return true;
    }
    if (pattern[p] == '[') {
        std::size_t close = pattern.find(']', p + 2);
        if (close != std::string_view::npos) {
            std::size_t i = p + 1;
            bool negate = pattern[i] == '!' || pattern[i] == '^';
            if (negate)
                ++i;
            bool hit = false;
            for (; i < close; ++i) {
                if (i + 2 < close && pattern[i + 1] == '-') {
                    char from = foldAscii(pattern[i]);
                    char to = foldAscii(pattern[i + 2]);
                    hit = hit || (lower >= from && lower <= to);
                    i += 2;
                } else {
                    hit = hit || lower == foldAscii(pattern[i]);
                }
            }
            next = close + 1;
            return hit != negate;
        }
    }
    next = p + 1;
    return lower == foldAscii(pattern[p]);
}

// How many characters a pattern without '*' matches.
std::size_t fixedLength(std::string_view pattern)
{
    std::size_t length = 0;
    for (std::size_t p = 0; p < pattern.size(); ++length) {
        std::size_t close = pattern[p] == '[' ? pattern.find(']', p + 2) : std::string_view::npos;
        p = close != std::string_view::npos ? close + 1 : p + 1;
    }
    return length;
}

bool globMatch(std::string_view pattern, std::string_view name)
{
    // "*tail" without another '*' can only match the end of the name.
    if (pattern.size() > 1 && pattern[0] == '*' && pattern.find('*', 1) == std::string_view::npos) {
        std::string_view tail = pattern.substr(1);
        std::size_t length = fixedLength(tail);
        return length <= name.size() && globMatch(tail, name.substr(name.size() - length));
    }
    std::size_t p = 0;
    std::size_t n = 0;
    std::size_t starP = std::string_view::npos;
    std::size_t starN = 0;
    while (n < name.size()) {
        if (p < pattern.size()) {
            if (pattern[p] == '*') {
                starP = p++;
                starN = n;
                continue;
            }
            std::size_t next = 0;
            if (matchOne(pattern, p, name[n], next)) {
                p = next;
                ++n;
                continue;
            }
        }
        if (starP == std::string_view::npos)
            return false;
        p = starP + 1;
        n = ++starN;
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

struct StringHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
};
// Key to the description's number.
using DescriptionMap = std::unordered_map<std::string, std::uint32_t, StringHash, std::equal_to<>>;

// Every description text met so far, once, by number (number 1 is index 0).
// Texts are never removed, so a number a row holds stays readable.
class DescriptionTable {
public:
    std::uint32_t intern(const std::string& text)
    {
        std::unique_lock lock(mutex_);
        auto it = ids_.find(text);
        if (it != ids_.end())
            return it->second;
        texts_.push_back(text);
        auto id = static_cast<std::uint32_t>(texts_.size());
        ids_.emplace(text, id);
        return id;
    }

    const std::string& text(std::uint32_t id) const
    {
        static const std::string none;
        std::shared_lock lock(mutex_);
        return id == 0 || id > texts_.size() ? none : texts_[id - 1];
    }

private:
    mutable std::shared_mutex mutex_;
    std::deque<std::string> texts_;
    std::unordered_map<std::string, std::uint32_t> ids_;
};

DescriptionTable& descriptions()
{
    static DescriptionTable table;
    return table;
}

class TypeCache {
public:
    TypeCache()
    {
        for (const QMimeType& type : db_.allMimeTypes()) {
            for (const QString& glob : type.globPatterns()) {
                std::string pattern = glob.toStdString();
                if (pattern.empty())
                    continue;
                if (isPlainExtension(pattern)) {
                    auto dots = std::count(pattern.begin(), pattern.end(), '.');
                    suffixParts_ = std::max(suffixParts_, static_cast<std::size_t>(dots));
                } else {
                    namePatternsFor(pattern.front()).push_back(std::move(pattern));
                }
            }
        }
        for (auto& patterns : anchored_)
            dropDuplicates(patterns);
        dropDuplicates(floating_);
    }

    std::uint32_t describe(std::string_view name, bool isFolder)
    {
        if (isFolder)
            return lookup(folder_, std::string_view(), [this] {
                return db_.mimeTypeForName(QStringLiteral("inode/directory")).comment();
            });
        if (needsWholeName(name))
            return lookup(byName_, name, [&] { return commentFor(name); });
        std::string_view key = suffixKey(name);
        return lookup(bySuffix_, key, [&] {
            // A stem no glob can contain, so only the suffix decides.
            std::string standIn = "\x01";
            standIn.append(key);
            return commentFor(standIn);
        });
    }

    void forget()
    {
        std::unique_lock lock(mutex_);
        folder_.clear();
        byName_.clear();
        bySuffix_.clear();
    }

private:
    static constexpr std::size_t kMaxEntries = 65536;

    static bool isPlainExtension(std::string_view pattern)
    {
        return pattern.size() > 2 && pattern.starts_with("*.") &&
               pattern.find_first_of("*?[", 1) == std::string_view::npos;
    }

    static void dropDuplicates(std::vector<std::string>& patterns)
    {
        std::sort(patterns.begin(), patterns.end());
        patterns.erase(std::unique(patterns.begin(), patterns.end()), patterns.end());
    }

    // Patterns that begin with a literal character are filed under it, so a
    // name is tried only against those that can match its first character.
    std::vector<std::string>& namePatternsFor(char first)
    {
        if (first == '*' || first == '?' || first == '[')
            return floating_;
        return anchored_[static_cast<unsigned char>(foldAscii(first))];
    }

    bool needsWholeName(std::string_view name) const
    {
        auto matches = [name](const std::string& pattern) { return globMatch(pattern, name); };
        if (name.empty())
            return false;
        const auto& anchored = anchored_[static_cast<unsigned char>(foldAscii(name.front()))];
        return std::any_of(anchored.begin(), anchored.end(), matches) ||
               std::any_of(floating_.begin(), floating_.end(), matches);
    }

    // The last `suffixParts_` dot-separated parts of the name with their
    // dots; "" for a name without a dot.
    std::string_view suffixKey(std::string_view name) const
    {
        std::size_t start = name.size();
        for (std::size_t parts = 0; parts < suffixParts_; ++parts) {
            std::size_t dot = start == 0 ? std::string_view::npos : name.rfind('.', start - 1);
            if (dot == std::string_view::npos)
                break;
            start = dot;
        }
        return name.substr(start);
    }

    QString commentFor(std::string_view name) const
    {
        QString qname = QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
        return db_.mimeTypeForFile(qname, QMimeDatabase::MatchExtension).comment();
    }

    template <typename Ask>
    std::uint32_t lookup(DescriptionMap& map, std::string_view key, Ask ask)
    {
        {
            std::shared_lock lock(mutex_);
            auto it = map.find(key);
            if (it != map.end())
                return it->second;
        }
        std::uint32_t id = descriptions().intern(ask().toStdString());
        std::unique_lock lock(mutex_);
        // Whole names are few in practice; a tree full of odd names must not
        // grow the cache without end.
        if (map.size() >= kMaxEntries)
            map.clear();
        map.try_emplace(std::string(key), id);
        return id;
    }

    QMimeDatabase db_;
    std::size_t suffixParts_ = 1;
    std::array<std::vector<std::string>, 256> anchored_;
    std::vector<std::string> floating_;
    std::shared_mutex mutex_;
    DescriptionMap folder_;
    DescriptionMap byName_;
    DescriptionMap bySuffix_;
};

std::atomic<bool> cacheBuilt{false};

TypeCache& cache()
{
    static TypeCache instance;
    cacheBuilt.store(true, std::memory_order_release);
    return instance;
}

}  // namespace

void useRussianLocale()
{
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    // Loading every MIME type takes tens of milliseconds: not at start-up.
    if (cacheBuilt.load(std::memory_order_acquire))
        cache().forget();
}

std::string typeDescription(std::string_view path, bool isFolder)
{
    return typeDescriptionText(typeDescriptionId(path, isFolder));
}

std::uint32_t typeDescriptionId(std::string_view path, bool isFolder)
{
    return cache().describe(fileNameOf(path), isFolder);
}

const std::string& typeDescriptionText(std::uint32_t id) { return descriptions().text(id); }

}  // namespace dw
