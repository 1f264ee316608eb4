#include "engine/results/list_filter.h"

#include <QList>
#include <QString>

#include <algorithm>

namespace dw {

namespace {

bool isAscii(std::string_view text)
{
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Code points rather than bytes, so that '?' stands for one Cyrillic letter
// too; Qt does the upper-casing beyond ASCII.
std::u32string codePoints(std::string_view text, bool upper)
{
    if (isAscii(text)) {
        std::u32string out(text.size(), U'\0');
        for (std::size_t i = 0; i < text.size(); ++i) {
            char c = text[i];
            if (upper && c >= 'a' && c <= 'z')
                c = static_cast<char>(c - 'a' + 'A');
            out[i] = static_cast<char32_t>(c);
        }
        return out;
    }
    QString string = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    if (upper)
        string = string.toUpper();
    QList<uint> ucs4 = string.toUcs4();
    return std::u32string(ucs4.begin(), ucs4.end());
}

std::u32string nameForMatch(std::string_view name, bool upper)
{
    std::u32string points = codePoints(name, upper);
    if (points.find(U'.') == std::u32string::npos)
        points.push_back(U'.');
    return points;
}

// On a mismatch after a '*' the match resumes one character further along
// the name: never exponential.
bool wildcardMatch(const std::u32string& name, const std::u32string& mask)
{
    std::size_t n = 0, m = 0;
    std::size_t starMask = std::u32string::npos, starName = 0;
    while (n < name.size()) {
        if (m < mask.size() && (mask[m] == U'?' || mask[m] == name[n])) {
            ++n;
            ++m;
        } else if (m < mask.size() && mask[m] == U'*') {
            starMask = m++;
            starName = n;
        } else if (starMask != std::u32string::npos) {
            m = starMask + 1;
            n = ++starName;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == U'*')
        ++m;
    return m == mask.size();
}

void appendTrimmed(std::vector<std::string>& tokens, const std::string& token)
{
    auto blank = [](char c) { return c == ' ' || c == '\t'; };
    auto first = std::find_if_not(token.begin(), token.end(), blank);
    auto last = std::find_if_not(token.rbegin(), token.rend(), blank).base();
    if (first < last)
        tokens.emplace_back(first, last);
}

std::vector<std::u32string> compiledTokens(std::string_view maskText, bool upper)
{
    std::vector<std::u32string> tokens;
    for (const std::string& token : splitFilterTokens(maskText))
        tokens.push_back(codePoints(token, upper));
    return tokens;
}

bool matchesAny(const std::u32string& name, const std::vector<std::u32string>& tokens)
{
    return std::any_of(tokens.begin(), tokens.end(),
                       [&](const std::u32string& token) { return wildcardMatch(name, token); });
}

bool matchesEvery(const std::u32string& name, const std::vector<std::u32string>& tokens)
{
    return std::all_of(tokens.begin(), tokens.end(),
                       [&](const std::u32string& token) { return wildcardMatch(name, token); });
}

// Sets the mark of every row `select` picks; returns how many changed.
template <typename Select>
std::size_t setMarks(ResultList& list, bool checked, Select select)
{
    std::size_t changed = 0;
    for (std::size_t i = 0; i < list.size(); ++i) {
        const ResultRow& row = list.row(i);
        if (row.checked != checked && select(row)) {
            list.setChecked(i, checked);
            ++changed;
        }
    }
    return changed;
}

std::size_t filterByFolder(ResultList& list, const FilterRequest& request)
{
    auto inFolder = [&](const ResultRow& row) {
        return row.path.find(request.folderText) != std::string::npos;
    };
    switch (request.action) {
    case FilterAction::RemoveExcept:
        return list.removeRows([&](const ResultRow& row) { return !inFolder(row); });
    case FilterAction::Remove:
        return list.removeRows(inFolder);
    case FilterAction::Mark:
    case FilterAction::Clear:
        break;
    }
    const bool checked = request.action == FilterAction::Mark;
    if (!request.byMask)
        return setMarks(list, checked, inFolder);
    const std::vector<std::u32string> tokens = compiledTokens(request.maskText, false);
    return setMarks(list, checked, [&](const ResultRow& row) {
        return inFolder(row) && matchesAny(nameForMatch(fileNameOf(row.path), false), tokens);
    });
}

// Applying the tokens one after another, each pass with the same action,
// comes to one pass that asks for any token (Mark, Clear, Remove) or for
// every token (RemoveExcept).
std::size_t filterByMask(ResultList& list, const FilterRequest& request)
{
    const std::vector<std::u32string> tokens = compiledTokens(request.maskText, true);
    if (tokens.empty())
        return 0;
    auto upperName = [](const ResultRow& row) { return nameForMatch(fileNameOf(row.path), true); };
    switch (request.action) {
    case FilterAction::Mark:
    case FilterAction::Clear:
        return setMarks(list, request.action == FilterAction::Mark, [&](const ResultRow& row) {
            return matchesAny(upperName(row), tokens);
        });
    case FilterAction::Remove:
        return list.removeRows(
            [&](const ResultRow& row) { return matchesAny(upperName(row), tokens); });
    case FilterAction::RemoveExcept:
        return list.removeRows(
            [&](const ResultRow& row) { return !matchesEvery(upperName(row), tokens); });
    }
    return 0;
}

}  // namespace

FilterRequest filterPrefill(const ResultList& list, std::optional<std::size_t> selected)
{
    FilterRequest request;
    if (selected && *selected < list.size()) {
        const ResultRow& row = list.row(*selected);
        request.folderText = row.path;
        request.maskText = "*" + std::string(extensionOf(fileNameOf(row.path)));
    }
    return request;
}

std::vector<std::string> splitFilterTokens(std::string_view text)
{
    std::vector<std::string> tokens;
    std::string token;
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (quoted) {
            if (c != '"')
                token += c;
            else if (i + 1 < text.size() && text[i + 1] == '"')
                token += text[++i];
            else
                quoted = false;
        } else if (c == '"') {
            quoted = true;
        } else if (c == ';') {
            appendTrimmed(tokens, token);
            token.clear();
        } else {
            token += c;
        }
    }
    appendTrimmed(tokens, token);
    return tokens;
}

bool matchesFilterToken(std::string_view name, std::string_view token)
{
    return wildcardMatch(nameForMatch(name, false), codePoints(token, false));
}

std::size_t runFilter(ResultList& list, const FilterRequest& request)
{
    if (list.empty())
        return 0;
    if (request.byFolder)
        return filterByFolder(list, request);
    if (request.byMask)
        return filterByMask(list, request);
    return 0;
}

}  // namespace dw
