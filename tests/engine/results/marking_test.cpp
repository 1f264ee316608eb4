#include "engine/results/marking.h"
#include "support/temp_tree.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <ctime>

namespace {

using dw::ResultList;

constexpr dw::Colour kGrey = 0x8E8E8E, kWhite = 0xFFFFFF;

std::vector<bool> marks(const ResultList& list)
{
    std::vector<bool> result;
    for (const auto& row : list.rows())
        result.push_back(row.checked);
    return result;
}

// The running totals against a count over the rows.
void expectTotalsRight(const ResultList& list)
{
    std::uint64_t count = 0, bytes = 0;
    for (const auto& row : list.rows())
        if (row.checked) {
            ++count;
            bytes += row.sizeOnDisk;
        }
    EXPECT_EQ(list.checkedCount(), count);
    EXPECT_EQ(list.checkedSizeOnDisk(), bytes);
}

// Rows for real files of different sizes, so that a wrong row in a total shows.
void addFiles(dwtest::TempTree& tree, ResultList& list, std::vector<std::pair<std::uint32_t, dw::Colour>> rows)
{
    for (std::size_t i = 0; i < rows.size(); ++i) {
        std::uint64_t size = 3000 * (i + 1) * (i + 1);
        list.addRow(tree.writeSized("f" + std::to_string(i), size, 1), dw::attr::Archive, size, rows[i].second, 0,
                    rows[i].first);
    }
}

TEST(Marking, CommandsKeepTheCheckedTotals)
{
    dwtest::TempTree tree;
    ResultList list;
    addFiles(tree, list, std::vector<std::pair<std::uint32_t, dw::Colour>>(5));
    dw::markSelected(list, {1, 3, 99});  // past the end: ignored
    dw::invertMarks(list);
    EXPECT_EQ(marks(list), (std::vector<bool>{true, false, true, false, true}));
    expectTotalsRight(list);
    dw::clearSelected(list, {0, 1});
    EXPECT_EQ(marks(list), (std::vector<bool>{false, false, true, false, true}));
    expectTotalsRight(list);

    EXPECT_EQ(dw::removeChecked(list), 2u);
    EXPECT_EQ(list.size(), 3u);
    expectTotalsRight(list);
    EXPECT_EQ(::access(tree.path("f2").c_str(), F_OK), 0);  // rows go, files stay

    dw::markAll(list);
    EXPECT_EQ(list.checkedSizeOnDisk(), list.totalSizeOnDisk());
    dw::clearAll(list);
    EXPECT_EQ(list.checkedCount(), 0u);
    EXPECT_EQ(list.checkedSizeOnDisk(), 0u);
}

TEST(Marking, CopiesAreAllButTheFirstOfEachGroup)
{
    dwtest::TempTree tree;
    // Searched rows: groups 1, 3 and 4. Group 2 went, so 1 and 3 share a
    // colour and touch; their numbers keep them apart.
    ResultList searched{dw::ResultKind::Duplicates};
    addFiles(tree, searched, {{1, kGrey}, {1, kGrey}, {3, kGrey}, {3, kGrey}, {3, kGrey}, {4, kWhite}});
    searched.setChecked(0, true);
    dw::markCopies(searched);
    EXPECT_EQ(marks(searched), (std::vector<bool>{false, true, false, true, true, false}));
    expectTotalsRight(searched);

    EXPECT_TRUE(dw::startsCopyGroup(searched, 2));
    EXPECT_FALSE(dw::startsCopyGroup(searched, 6));
}

// Sets the modification time to `seconds` after the epoch plus `nanoseconds`.
void setModified(const std::string& path, std::time_t seconds, long nanoseconds = 0)
{
    struct timespec times[2] = {{seconds, 0}, {seconds, nanoseconds}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW), 0);
}

// The names (paths past the tree root) of the unchecked rows.
std::vector<std::string> keptNames(const dwtest::TempTree& tree, const ResultList& list)
{
    std::vector<std::string> kept;
    for (const auto& row : list.rows())
        if (!row.checked)
            kept.push_back(row.path.substr(tree.root().size()));
    return kept;
}

TEST(Marking, KeepRulesChooseTheCopyThatStays)
{
    dwtest::TempTree tree;
    ResultList list{dw::ResultKind::Duplicates};
    auto add = [&](const std::string& name, std::uint32_t group, std::time_t modified) {
        std::string path = tree.write(name, "same");
        setModified(path, modified);
        list.addRow(path, dw::attr::Archive, 4, kGrey, 0, group);
    };
    // Group 1: "b" and "c" are equally old; "gone" was deleted after the search.
    add("g1/newer-name", 1, 2000);
    add("g1/b", 1, 1000);
    add("g1/c", 1, 1000);
    add("g1/gone-and-oldest", 1, 10);
    // Group 2: the first row is gone and would be oldest, newest and shortest.
    add("g2/z", 2, 1);
    add("g2/yy", 2, 3000);
    add("g2/xxx", 2, 3000);
    // Group 3: every copy is gone.
    add("g3/p", 3, 10);
    add("g3/q", 3, 20);
    for (const char* gone : {"g1/gone-and-oldest", "g2/z", "g3/p", "g3/q"})
        ASSERT_EQ(::unlink(tree.path(gone).c_str()), 0);

    dw::markCopies(list, dw::KeepRule::First);
    EXPECT_EQ(keptNames(tree, list), (std::vector<std::string>{"g1/newer-name", "g2/z", "g3/p"}));
    dw::markCopies(list, dw::KeepRule::Oldest);
    EXPECT_EQ(keptNames(tree, list), (std::vector<std::string>{"g1/b", "g2/yy", "g3/p"}));
    dw::markCopies(list, dw::KeepRule::Newest);
    EXPECT_EQ(keptNames(tree, list), (std::vector<std::string>{"g1/newer-name", "g2/yy", "g3/p"}));
    dw::markCopies(list, dw::KeepRule::Shortest);
    EXPECT_EQ(keptNames(tree, list), (std::vector<std::string>{"g1/b", "g2/z", "g3/p"}));
    expectTotalsRight(list);
    dw::markCopies(list);
    EXPECT_EQ(keptNames(tree, list), (std::vector<std::string>{"g1/newer-name", "g2/z", "g3/p"}));
}

TEST(Marking, KeepRulesWorkOnLoadedGroupsAndSeeNanoseconds)
{
    dwtest::TempTree tree;
    // Rows as a session load numbers them: one group per stripe.
    ResultList loaded{dw::ResultKind::Duplicates};
    struct Loaded {
        std::string name;
        dw::Colour colour;
        std::uint32_t group;
    };
    std::vector<Loaded> rows = {
        {"a1", kGrey, 1}, {"a2", kGrey, 1}, {"a3", kGrey, 1}, {"b1", kWhite, 2}, {"b2", kWhite, 2}};
    for (const auto& row : rows)
        loaded.addRow(tree.write(row.name, "x"), dw::attr::Archive, 1, row.colour, 0, row.group);
    // Within one second, a2 is the newest by a nanosecond and a3 the oldest.
    setModified(tree.path("a1"), 5000, 500);
    setModified(tree.path("a2"), 5000, 501);
    setModified(tree.path("a3"), 5000, 499);
    setModified(tree.path("b1"), 100);
    setModified(tree.path("b2"), 200);

    dw::markCopies(loaded, dw::KeepRule::Newest);
    EXPECT_EQ(keptNames(tree, loaded), (std::vector<std::string>{"a2", "b2"}));
    dw::markCopies(loaded, dw::KeepRule::Oldest);
    EXPECT_EQ(keptNames(tree, loaded), (std::vector<std::string>{"a3", "b1"}));
    expectTotalsRight(loaded);
}

}  // namespace
