#include "engine/results/marking.h"
#include "support/temp_tree.h"

#include <gtest/gtest.h>

#include <unistd.h>

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
    dw::markCopies(searched, dw::KeepRule::First);
    EXPECT_EQ(marks(searched), (std::vector<bool>{false, true, false, true, true, false}));
    expectTotalsRight(searched);

    // Rows from a session have no number: a group is a run of one colour.
    ResultList loaded{dw::ResultKind::Duplicates};
    addFiles(tree, loaded, {{0, kGrey}, {0, kGrey}, {0, kWhite}, {0, kWhite}, {0, kWhite}, {0, kGrey}, {0, kGrey}});
    dw::markAll(loaded);
    dw::markCopies(loaded, dw::KeepRule::First);
    EXPECT_EQ(marks(loaded), (std::vector<bool>{false, true, false, true, true, false, true}));
    expectTotalsRight(loaded);
    EXPECT_FALSE(dw::startsCopyGroup(loaded, 7));
}

TEST(Marking, CopiesKeepTheFileTheRuleChooses)
{
    dwtest::TempTree tree;
    // Group 1: a mid-aged file with a long path, the newest, the oldest.
    // Group 2: two files of one age and one path length: the first wins.
    // Group 3: the first file is gone, so every rule keeps the second.
    // Group 4: the Cyrillic name has fewer characters, though more bytes.
    struct File {
        std::string name;
        std::int64_t age;
        std::uint32_t group;
    };
    const std::vector<File> files = {
        {"длинная/папка/a.bin", 2000, 1}, {"b/новый.bin", 10, 1}, {"s.bin", 9000, 1},
        {"x1.bin", 500, 2},               {"x2.bin", 500, 2},     {"gone.bin", 100, 3},
        {"kept.bin", 100, 3},             {"abcdefg.bin", 60, 4}, {"щука.bin", 50, 4},
    };
    ResultList list{dw::ResultKind::Duplicates};
    for (const File& file : files) {
        list.addRow(tree.write(file.name, "same"), dw::attr::Archive, 4, 0, 0, file.group);
        tree.age(file.name, file.age);
    }
    ASSERT_EQ(::unlink(tree.path("gone.bin").c_str()), 0);

    auto keptBy = [&](dw::KeepRule rule) {
        dw::markAll(list);
        dw::markCopies(list, rule);
        expectTotalsRight(list);
        return marks(list);
    };
    using Marks = std::vector<bool>;
    EXPECT_EQ(keptBy(dw::KeepRule::First),
              (Marks{false, true, true, false, true, true, false, false, true}));
    EXPECT_EQ(keptBy(dw::KeepRule::Oldest),
              (Marks{true, true, false, false, true, true, false, false, true}));
    EXPECT_EQ(keptBy(dw::KeepRule::Newest),
              (Marks{true, false, true, false, true, true, false, true, false}));
    EXPECT_EQ(keptBy(dw::KeepRule::Shortest),
              (Marks{true, true, false, false, true, true, false, true, false}));
}

}  // namespace
