#include "engine/results/result_list.h"
#include "engine/results/type_description.h"
#include "platform/file_status.h"
#include "platform/volumes.h"
#include "support/temp_tree.h"

#include <gtest/gtest.h>

#include <limits>

#include <fcntl.h>
#include <sys/stat.h>

#include <cstdio>

namespace {

using dw::ResultList;
namespace attr = dw::attr;

std::vector<std::string> column(const ResultList& list, int col)
{
    std::vector<std::string> texts;
    for (std::size_t i = 0; i < list.size(); ++i)
        texts.push_back(list.columnText(i, col));
    return texts;
}

using Names = std::vector<std::string>;

class SortTest : public ::testing::Test {
protected:
    void SetUp() override { dw::useRussianLocale(); }
    // Rows for files that need not exist: only the name and the numbers count.
    void add(const std::string& name, std::uint8_t attributes = attr::Archive, std::uint64_t size = 0)
    {
        ASSERT_TRUE(list.addRow(tree.path(name), attributes, size, 0, 0));
    }
    dwtest::TempTree tree;
    ResultList list;
};

TEST_F(SortTest, NamesPutFoldersFirstThenNumbersThenCaseInsensitiveText)
{
    add("B.txt");
    add("dir2", attr::Folder);
    add("10 x");
    add("a.txt");
    add("9 x");
    add("яблоко");
    add("Банан");
    add("dir1", attr::Folder);
    add("арбуз");

    list.sortByColumn(dw::ColName, true);
    EXPECT_EQ(column(list, dw::ColName),
              (Names{"dir1", "dir2", "a.txt", "B.txt", "арбуз", "Банан", "яблоко", "9 x", "10 x"}));
    list.sortByColumn(dw::ColName, false);
    EXPECT_EQ(column(list, dw::ColName),
              (Names{"10 x", "9 x", "яблоко", "Банан", "арбуз", "B.txt", "a.txt", "dir2", "dir1"}));
}

TEST_F(SortTest, SizesAreNumbersAndTiesKeepTheirOrder)
{
    add("big", attr::Archive, 5ull << 32);
    add("first", attr::Archive, 100);
    add("small", attr::Archive, 9);
    add("second", attr::Archive, 100);

    list.sortByColumn(dw::ColSize, true);
    EXPECT_EQ(column(list, dw::ColName), (Names{"small", "first", "second", "big"}));
    list.sortByColumn(dw::ColSize, false);
    EXPECT_EQ(column(list, dw::ColName), (Names{"big", "first", "second", "small"}));
}

TEST_F(SortTest, UnknownDatesAndEmptyTextsStayLastBothWays)
{
    auto dated = [&](const std::string& name, std::int64_t daysAgo) {
        std::string path = tree.write(name, "x");
        time_t when = ::time(nullptr) - daysAgo * 86400;
        struct timespec times[2] = {{when, 0}, {0, UTIME_OMIT}};
        ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
        ASSERT_TRUE(list.addRow(path, attr::Archive, 1, 0, 0));
    };
    dated("week", 7);
    add("missing");
    dated("year", 365);
    dated("today", 0);

    list.sortByColumn(dw::ColAccessed, true);
    EXPECT_EQ(column(list, dw::ColName), (Names{"year", "week", "today", "missing"}));
    list.sortByColumn(dw::ColAccessed, false);
    EXPECT_EQ(column(list, dw::ColName), (Names{"today", "week", "year", "missing"}));

    dw::ResultRow empty;
    empty.typeId = std::numeric_limits<std::uint32_t>::max();  // a number with no text
    dw::ResultRow typed;
    typed.path = "/d/a.txt";
    ASSERT_EQ(dw::rowTypeText(typed), "Текстовый документ");
    for (bool ascending : {true, false}) {
        EXPECT_GT(dw::compareRows(empty, typed, dw::ColType, ascending), 0);
        EXPECT_LT(dw::compareRows(typed, empty, dw::ColType, ascending), 0);
        EXPECT_EQ(dw::compareRows(empty, empty, dw::ColType, ascending), 0);
    }
}

TEST_F(SortTest, LeadingIntegersCompareAsAtoiReadsThem)
{
    dw::ResultRow a;
    dw::ResultRow b;
    auto compare = [&](const char* x, const char* y) {
        a.path = std::string("/d/") + x;
        b.path = std::string("/d/") + y;
        return dw::compareRows(a, b, dw::ColName, true);
    };
    EXPECT_LT(compare("2.txt", "10.txt"), 0);
    EXPECT_LT(compare("-3 x", "x"), 0);
    EXPECT_EQ(compare("7 a", "7 b"), 0);  // equal numbers decide alone
    EXPECT_LT(compare(" 8", "9"), 0);
    EXPECT_GT(compare("99999999999999999999", "x"), 0);  // saturates, no overflow
    EXPECT_EQ(compare("ABC", "abc"), 0);
}

TEST_F(SortTest, PathsFoldCaseTypesKeepTiesInOrderAndMovesAreReported)
{
    add("Б/x.txt");
    add("а/y.txt");
    add("B/z.bin");
    add("a/w.txt");
    add("Ä/\xff\xfe.txt");  // not UTF-8: sorts somewhere, harms nothing

    std::vector<std::uint32_t> movedTo;
    list.sortByColumn(dw::ColPath, true, &movedTo);
    Names paths;
    for (const char* name : {"a/w.txt", "B/z.bin", "Ä/\xff\xfe.txt", "а/y.txt", "Б/x.txt"})
        paths.push_back(tree.path(name));
    EXPECT_EQ(column(list, dw::ColPath), paths);
    EXPECT_EQ(movedTo, (std::vector<std::uint32_t>{4, 3, 1, 0, 2}));
    list.sortByColumn(dw::ColPath, true, &movedTo);
    EXPECT_TRUE(movedTo.empty()) << "nothing moved";

    // Equal types keep the order the rows had: the path order above.
    list.sortByColumn(dw::ColType, true);
    Names txt;
    for (std::size_t i = 0; i < list.size(); ++i)
        if (list.row(i).path.ends_with(".txt"))
            txt.push_back(list.row(i).path);
    EXPECT_EQ(txt, (Names{paths[0], paths[2], paths[3], paths[4]}));
    const auto binAt = list.row(0).path.ends_with(".bin") ? 0u : 4u;
    EXPECT_TRUE(list.row(binAt).path.ends_with(".bin")) << "one type's rows stay together";
}

TEST_F(SortTest, AMillionOrderedRowsSort)
{
    auto status = dw::platform::statPath(tree.root());
    ASSERT_TRUE(status);
    // The walk has met the volume before its rows arrive; these files do not exist.
    dw::platform::volumeOf(status->device, tree.root());
    constexpr std::size_t kRows = 1'000'000;
    dw::FileEntry entry;
    entry.device = status->device;
    entry.attributes = attr::Archive;
    char name[32];
    for (std::size_t i = 0; i < kRows; ++i) {
        std::snprintf(name, sizeof name, "f%07zu.dat", i);
        entry.setPath(tree.path(name));
        entry.size = i;
        ASSERT_TRUE(list.addRow(entry, 0, 0));
    }
    list.sortByColumn(dw::ColSize, true);
    list.sortByColumn(dw::ColName, true);
    EXPECT_EQ(list.row(0).size, 0u);
    EXPECT_EQ(list.row(kRows - 1).size, kRows - 1);
    list.sortByColumn(dw::ColSize, false);
    EXPECT_EQ(list.row(0).size, kRows - 1);
    EXPECT_EQ(list.row(kRows - 1).size, 0u);
}

}  // namespace
