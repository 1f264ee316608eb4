#include "engine/results/list_filter.h"
#include "engine/settings/wildcard.h"

#include <algorithm>

namespace dw {

namespace {

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
        tokens.push_back(wildcardCodePoints(token, upper));
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
        return inFolder(row) && matchesAny(wildcardName(fileNameOf(row.path), false), tokens);
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
    auto upperName = [](const ResultRow& row) { return wildcardName(fileNameOf(row.path), true); };
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
    return wildcardMatch(wildcardName(name, false), wildcardCodePoints(token, false));
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
