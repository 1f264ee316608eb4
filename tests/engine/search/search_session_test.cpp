#include "engine/results/marking.h"
#include "engine/results/result_set.h"
#include "engine/results/session_file.h"
#include "engine/search/search_driver.h"
#include "support/temp_tree.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

using namespace dw;
using dwtest::TempTree;

namespace {

// Each row's path with the paths of its group, as the group numbers say.
std::map<std::string, std::set<std::string>> groupsOf(const ResultList& list)
{
    std::map<std::uint32_t, std::set<std::string>> byNumber;
    for (const ResultRow& row : list.rows())
        byNumber[row.group].insert(row.path);
    std::map<std::string, std::set<std::string>> result;
    for (const ResultRow& row : list.rows()) {
        EXPECT_NE(row.group, 0u) << row.path;
        result[row.path] = byNumber[row.group];
    }
    return result;
}

std::vector<bool> copiesMarked(ResultList list)
{
    markAll(list);
    markCopies(list);
    std::vector<bool> marks;
    for (const ResultRow& row : list.rows())
        marks.push_back(row.checked);
    return marks;
}

}  // namespace

TEST(SearchAndSession, LoadedDuplicatesKeepTheirGroups)
{
    // Three groups of one size and one of another; each differs in content.
    TempTree tree;
    for (int group = 0; group < 3; ++group)
        for (int copy = 0; copy < 2 + group; ++copy)
            tree.write("g" + std::to_string(group) + "/c" + std::to_string(copy), std::string(100, static_cast<char>('a' + group)));
    tree.write("big/one", std::string(300, 'z'));
    tree.write("big/two", std::string(300, 'z'));

    SearchSettings settings;
    settings.securityLevel = 0;
    ResultSet searched(settings.view);
    Progress progress;
    SearchDriver driver(settings, progress, searched);
    SearchRequest request;
    request.scope = {tree.root()};
    request.byMask = request.bySize = request.old = false;
    driver.runSearch(request);
    ResultList& found = searched.list(ResultKind::Duplicates);
    ASSERT_EQ(found.size(), 11u);

    // Removing the middle group of one size makes two groups of that size
    // touch with one stripe colour; a load must still keep them apart.
    std::size_t second = 1;
    while (found.row(second).group == found.row(0).group)
        ++second;
    const std::uint32_t middle = found.row(second).group;
    found.removeRows([&](const ResultRow& row) { return row.group == middle; });
    ASSERT_EQ(found.row(second - 1).backColour, found.row(second).backColour);
    ASSERT_EQ(found.row(second - 1).size, found.row(second).size);

    const std::string session = tree.path("groups.dwx");
    ASSERT_EQ(saveSession(session, searched, progress), SessionStatus::Ok);
    ResultSet loaded(settings.view);
    ASSERT_EQ(loadSession(session, loaded, progress), SessionStatus::Ok);
    const ResultList& back = loaded.list(ResultKind::Duplicates);
    ASSERT_EQ(back.size(), found.size());
    EXPECT_EQ(groupsOf(back), groupsOf(found));
    EXPECT_EQ(copiesMarked(back), copiesMarked(found));
    EXPECT_EQ(back.row(0).group, 1u);
}
