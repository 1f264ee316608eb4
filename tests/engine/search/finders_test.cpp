#include "engine/search/finders.h"
#include "engine/search/folder_walker.h"
#include "recorder.h"
#include "support/temp_tree.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

using namespace dw;
using dwtest::RowRecorder;
using dwtest::TempTree;

namespace {

ScanList walkTree(const TempTree& tree, bool folders = false)
{
    ScanList list;
    FolderWalker walker;
    WalkOptions options;
    options.highSecurity = false;
    options.includeFolders = folders;
    walker.walk(tree.root(), list, options);
    return list;
}

std::vector<std::string> remaining(const ScanList& list, const TempTree& tree)
{
    std::vector<std::string> names;
    for (std::size_t i = 0; i < list.slots(); ++i)
        if (!list.taken(i))
            names.push_back(list[i].path().substr(tree.root().size()));
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

TEST(MaskFinder, ReportsInExtensionOrderAndKeepsTheLastOfARun)
{
    TempTree tree;
    tree.write("a.tmp", "1");
    tree.write("b.tmp", "2");
    tree.write("c.bak", "3");
    ScanList list = walkTree(tree);
    RowRecorder rows;
    Progress progress;
    findByMask(list, {{"*.bak", "*.tmp"}, {}}, progress, rows);
    auto reported = rows.pathsOf(ResultKind::ByMask, tree.root());
    ASSERT_EQ(reported.size(), 3u);
    EXPECT_EQ(reported[0], "c.bak");
    // Of the two .tmp files the first reported left the list, the other stays.
    auto left = remaining(list, tree);
    EXPECT_EQ(left.size(), 2u);
    EXPECT_TRUE(std::count(left.begin(), left.end(), "c.bak") == 1);
    EXPECT_TRUE(std::count(left.begin(), left.end(), reported[2]) == 1);
}

TEST(MaskFinder, EveryNameIsTested)
{
    // A miss on one name of an extension must not hide a later match of the
    // same extension, nor may the first matched run end the search.
    TempTree tree;
    tree.write("~a.doc", "1");
    tree.write("x.log", "2");
    tree.write("~c.txt", "3");
    tree.write("report.doc", "4");
    tree.write("~draft.doc", "5");
    ScanList list = walkTree(tree);
    RowRecorder rows;
    Progress progress;
    findByMask(list, {{"~*.*"}, {}}, progress, rows);
    auto reported = rows.pathsOf(ResultKind::ByMask, tree.root());
    std::sort(reported.begin(), reported.end());
    EXPECT_EQ(reported, (std::vector<std::string>{"~a.doc", "~c.txt", "~draft.doc"}));
}

TEST(MaskFinder, DotlessNamesFoldersAndExclusions)
{
    TempTree tree;
    tree.write("README", "1");
    tree.write("build.tmp/inner.txt", "2");
    tree.write("skip/old.tmp", "3");
    ScanList list = walkTree(tree, true);
    RowRecorder rows;
    Progress progress;
    findByMask(list, {{"*.tmp", "readme.*"}, {tree.path("skip/")}}, progress, rows);
    auto reported = rows.pathsOf(ResultKind::ByMask, tree.root());
    std::sort(reported.begin(), reported.end());
    EXPECT_EQ(reported, (std::vector<std::string>{"README", "build.tmp"}));
}

TEST(SizeFinder, ThresholdIsStrictAndEmptyFilesFollowFindFiles)
{
    TempTree tree;
    tree.write("exact", std::string(100000, 'x'));
    tree.write("above", std::string(100001, 'x'));
    tree.write("empty", "");
    tree.write("small", std::string(10, 'x'));
    tree.mkdir("folder");

    {
        ScanList list = walkTree(tree, true);
        RowRecorder rows;
        Progress progress;
        findBySize(list, {false, true, false, 100}, progress, rows);
        EXPECT_EQ(rows.pathsOf(ResultKind::BySize, tree.root()), std::vector<std::string>{"above"});
    }
    {
        ScanList list = walkTree(tree, true);
        RowRecorder rows;
        Progress progress;
        findBySize(list, {false, true, true, 100}, progress, rows);
        EXPECT_EQ(rows.pathsOf(ResultKind::BySize, tree.root()), (std::vector<std::string>{"empty", "small"}));
        auto left = remaining(list, tree);
        EXPECT_TRUE(std::count(left.begin(), left.end(), "folder") == 1);
    }
    {
        ScanList list = walkTree(tree, true);
        RowRecorder rows;
        Progress progress;
        findBySize(list, {true, false, true, 100}, progress, rows);
        EXPECT_EQ(rows.pathsOf(ResultKind::BySize, tree.root()), std::vector<std::string>{"empty"});
    }
}

TEST(SizeFinder, LargerFilesComeLargestFirstAndSizesAre64Bit)
{
    TempTree tree;
    tree.write("one", std::string(2000, 'x'));
    tree.write("two", std::string(3000, 'x'));
    std::string sparse = tree.write("sparse", "");
    ASSERT_EQ(::truncate(sparse.c_str(), 5LL << 30), 0);  // 5 GiB, no blocks used
    ScanList list = walkTree(tree);
    RowRecorder rows;
    Progress progress;
    findBySize(list, {false, true, false, 1}, progress, rows);
    EXPECT_EQ(rows.pathsOf(ResultKind::BySize, tree.root()), (std::vector<std::string>{"sparse", "two", "one"}));
    EXPECT_EQ(rows.of(ResultKind::BySize).front().size, 5ULL << 30);
}

TEST(OldFinder, DaysAndMonthsAndExclusions)
{
    TempTree tree;
    tree.write("old.txt", "1");
    tree.write("recent.txt", "2");
    tree.write("excluded/ancient.txt", "3");
    tree.age("old.txt", 31 * 86400);
    tree.age("recent.txt", 29 * 86400);
    tree.age("excluded/ancient.txt", 400 * 86400);

    ScanList list = walkTree(tree);
    RowRecorder rows;
    Progress progress;
    OldOptions options;
    options.byDays = true;
    options.days = 30;
    options.excludeDirs = {tree.path("excluded/")};
    findOld(list, options, progress, rows);
    EXPECT_EQ(rows.pathsOf(ResultKind::Old, tree.root()), std::vector<std::string>{"old.txt"});
    // The excluded file left the list all the same.
    EXPECT_EQ(remaining(list, tree), std::vector<std::string>{"recent.txt"});
}

TEST(OldFinder, CutoffUsesCalendarNormalisation)
{
    std::tm march31 {};
    march31.tm_year = 2025 - 1900;
    march31.tm_mon = 2;
    march31.tm_mday = 31;
    march31.tm_hour = 12;
    march31.tm_isdst = -1;
    OldOptions options;
    options.now = std::mktime(&march31);
    options.months = 1;
    std::time_t cutoff = oldCutoff(options);
    std::tm result {};
    ::localtime_r(&cutoff, &result);
    // 31 February 2025 is 3 March.
    EXPECT_EQ(result.tm_mon, 2);
    EXPECT_EQ(result.tm_mday, 3);

    options.byDays = true;
    options.days = 31;
    cutoff = oldCutoff(options);
    ::localtime_r(&cutoff, &result);
    EXPECT_EQ(result.tm_mon, 1);
    EXPECT_EQ(result.tm_mday, 28);
}

TEST(MaskFinder, ARunLastsWhileTheNextEntryMatchesTheRunsMask)
{
    // a1.log matches "*1.log" first, yet it continues the run that ab.log
    // began with "a*.log": ab.log and ac.log leave the list, a1.log stays.
    TempTree tree;
    tree.write("1/ab.log", "ab");
    tree.write("2/ac.log", "ac");
    tree.write("3/a1.log", "a1");
    ScanList list;
    FolderWalker walker;
    WalkOptions options;
    options.highSecurity = false;
    for (const char* folder : {"1/", "2/", "3/"})
        walker.walk(tree.path(folder), list, options);
    RowRecorder rows;
    Progress progress;
    findByMask(list, {{"*1.log", "a*.log"}, {}}, progress, rows);
    EXPECT_EQ(rows.pathsOf(ResultKind::ByMask, tree.root()),
              (std::vector<std::string>{"1/ab.log", "2/ac.log", "3/a1.log"}));
    findBySize(list, {false, true, true, 1000}, progress, rows);
    EXPECT_EQ(rows.pathsOf(ResultKind::BySize, tree.root()), std::vector<std::string>{"3/a1.log"});
}

TEST(OldFinder, OnlyTimesStrictlyBeforeTheCutoffAreOld)
{
    TempTree tree;
    OldOptions options;
    options.byDays = true;
    options.days = 10;
    options.now = std::time(nullptr);
    const std::time_t cutoff = oldCutoff(options);
    const std::vector<std::pair<const char*, struct timespec>> files = {
        {"at-cutoff", {cutoff, 0}}, {"half-second-after", {cutoff, 500'000'000}}, {"nanosecond-before", {cutoff - 1, 999'999'999}}};
    for (const auto& [name, accessed] : files) {
        tree.write(name, "x");
        const struct timespec times[2] = {accessed, {0, UTIME_OMIT}};
        ASSERT_EQ(::utimensat(AT_FDCWD, tree.path(name).c_str(), times, AT_SYMLINK_NOFOLLOW), 0);
    }
    ScanList list = walkTree(tree);
    RowRecorder rows;
    Progress progress;
    findOld(list, options, progress, rows);
    EXPECT_EQ(rows.pathsOf(ResultKind::Old, tree.root()), std::vector<std::string>{"nanosecond-before"});
}
