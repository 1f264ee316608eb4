#include "engine/search/finders.h"
#include "engine/search/fingerprint.h"
#include "engine/search/folder_walker.h"
#include "engine/search/search_driver.h"
#include "recorder.h"
#include "support/temp_tree.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>

using namespace dw;
using dwtest::RowRecorder;
using dwtest::TempTree;

namespace {

ScanList walkTree(const TempTree& tree)
{
    ScanList list;
    FolderWalker walker;
    WalkOptions options;
    options.highSecurity = false;
    walker.walk(tree.root(), list, options);
    return list;
}

std::vector<std::vector<std::string>> groupsOf(const RowRecorder& rows, const TempTree& tree)
{
    std::vector<std::vector<std::string>> groups;
    std::uint32_t current = 0;
    for (const auto& row : rows.of(ResultKind::Duplicates)) {
        if (row.group != current) {
            groups.emplace_back();
            current = row.group;
        }
        groups.back().push_back(row.path.substr(tree.root().size()));
    }
    for (auto& group : groups)
        std::sort(group.begin(), group.end());
    return groups;
}

std::vector<std::vector<std::string>> findIn(const TempTree& tree, int mode, DuplicateOptions options = {})
{
    ScanList list = walkTree(tree);
    RowRecorder rows;
    Progress progress;
    options.prefixLength = prefixLengthForMode(mode);
    findDuplicates(list, options, progress, rows);
    return groupsOf(rows, tree);
}

std::string withByteChanged(std::string bytes, std::size_t at)
{
    bytes[at] = static_cast<char>(bytes[at] ^ 0x5A);
    return bytes;
}

}  // namespace

TEST(Duplicates, LateDifferencesAreNeverReportedInAnyMode)
{
    TempTree tree;
    std::string small = dwtest::makeBytes(10000, 1);
    tree.write("s1", small);
    tree.write("s2", withByteChanged(small, 9000));
    std::string large = dwtest::makeBytes(100000, 2);
    tree.write("l1", large);
    tree.write("l2", withByteChanged(large, 70000));
    tree.write("l3", withByteChanged(large, 99999));
    for (int mode : {0, 1, 2})
        EXPECT_TRUE(findIn(tree, mode).empty()) << "mode " << mode;
}

TEST(Duplicates, GroupsComeBySizeWithAlternatingColours)
{
    TempTree tree;
    std::string big = dwtest::makeBytes(5000, 3);
    std::string small = dwtest::makeBytes(300, 4);
    tree.write("big1", big);
    tree.write("sub/big2", big);
    tree.write("big3", big);
    tree.write("small1", small);
    tree.write("small2", small);
    tree.write("other", dwtest::makeBytes(300, 5));
    for (int i = 0; i < 4; ++i)
        tree.write("empty" + std::to_string(i), "");

    ScanList list = walkTree(tree);
    RowRecorder rows;
    Progress progress;
    DuplicateOptions options;
    options.duplicatesColour = 0x123456;
    options.defaultColour = 0x000001;
    findDuplicates(list, options, progress, rows);

    auto groups = groupsOf(rows, tree);
    ASSERT_EQ(groups.size(), 2u);
    EXPECT_EQ(groups[0], (std::vector<std::string>{"small1", "small2"}));
    EXPECT_EQ(groups[1], (std::vector<std::string>{"big1", "big3", "sub/big2"}));
    const auto& recorded = rows.of(ResultKind::Duplicates);
    EXPECT_EQ(recorded.front().back, 0x123456u);
    EXPECT_EQ(recorded.front().text, 0x000001u);
    EXPECT_EQ(recorded.back().back, 0u);
    EXPECT_EQ(recorded.back().text, 0u);
    // Reported entries left the list; the empty files and "other" stay.
    EXPECT_EQ(list.count(), 5u);
}

TEST(Duplicates, SameSizeAndPrefixButDifferentBodiesSplitIntoTrueGroups)
{
    TempTree tree;
    std::string base = dwtest::makeBytes(200000, 6);
    std::string variant = withByteChanged(base, 150000);
    tree.write("a1", base);
    tree.write("b1", variant);
    tree.write("a2", base);
    tree.write("b2", variant);
    tree.write("c", withByteChanged(base, 199999));
    auto groups = findIn(tree, 2);
    std::sort(groups.begin(), groups.end());  // both groups have one size: walk order decides
    ASSERT_EQ(groups.size(), 2u);
    EXPECT_EQ(groups[0], (std::vector<std::string>{"a1", "a2"}));
    EXPECT_EQ(groups[1], (std::vector<std::string>{"b1", "b2"}));
}

TEST(Duplicates, HardLinksAreOneFile)
{
    TempTree tree;
    std::string content = dwtest::makeBytes(4000, 7);
    tree.write("original", content);
    ASSERT_EQ(::link(tree.path("original").c_str(), tree.path("hardlink").c_str()), 0);
    EXPECT_TRUE(findIn(tree, 1).empty());

    tree.write("copy", content);
    auto groups = findIn(tree, 1);
    ASSERT_EQ(groups.size(), 1u);
    EXPECT_EQ(groups[0].size(), 2u);
    EXPECT_TRUE(std::count(groups[0].begin(), groups[0].end(), "copy") == 1);
}

TEST(Duplicates, ExcludedFolderTakesNoPart)
{
    TempTree tree;
    std::string content = dwtest::makeBytes(777, 8);
    tree.write("keep/a", content);
    tree.write("skip/b", content);
    tree.write("skipped/c", content);
    DuplicateOptions options;
    options.excludeDirs = {tree.path("skip/")};
    auto groups = findIn(tree, 1, options);
    ASSERT_EQ(groups.size(), 1u);
    EXPECT_EQ(groups[0], (std::vector<std::string>{"keep/a", "skipped/c"}));

    options.excludeDirs.push_back(tree.path("skipped/"));
    EXPECT_TRUE(findIn(tree, 1, options).empty());
}

TEST(Duplicates, ReadingChangesNothingAboutTheFile)
{
    TempTree tree;
    std::string content = dwtest::makeBytes(20000, 9);
    tree.write("ro1", content);
    tree.write("ro2", content);
    ASSERT_EQ(::chmod(tree.path("ro1").c_str(), 0444), 0);
    tree.age("ro1", 86400 * 40);
    tree.age("ro2", 86400 * 40);
    struct stat before {};
    ASSERT_EQ(::stat(tree.path("ro1").c_str(), &before), 0);

    EXPECT_EQ(findIn(tree, 2).size(), 1u);

    struct stat after {};
    ASSERT_EQ(::stat(tree.path("ro1").c_str(), &after), 0);
    EXPECT_EQ(after.st_mode, before.st_mode);
    EXPECT_EQ(after.st_atim.tv_sec, before.st_atim.tv_sec);
    EXPECT_EQ(after.st_atim.tv_nsec, before.st_atim.tv_nsec);
    EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
}

TEST(Duplicates, FilesThatVanishOrChangeAfterTheWalkDropOut)
{
    TempTree tree;
    std::string content = dwtest::makeBytes(3000, 10);
    for (const char* name : {"a", "b", "c", "d"})
        tree.write(name, content);
    ScanList list = walkTree(tree);
    ASSERT_EQ(::unlink(tree.path("a").c_str()), 0);
    tree.write("b", content + "grown");  // same inode, new size
    // Same size, new inode: made before the old one goes, so the number cannot be reused.
    tree.write("c.new", content);
    ASSERT_EQ(::rename(tree.path("c.new").c_str(), tree.path("c").c_str()), 0);

    RowRecorder rows;
    Progress progress;
    FinderResult result = findDuplicates(list, {}, progress, rows);
    EXPECT_TRUE(rows.of(ResultKind::Duplicates).empty());
    EXPECT_GE(result.unreadable, 2u);
}

TEST(Duplicates, UnreadableCopyIsLeftOutWhileTheOthersAreReported)
{
    TempTree tree;
    std::string content = dwtest::makeBytes(3000, 11);
    for (const char* name : {"a", "b", "locked"})
        tree.write(name, content);
    ASSERT_EQ(::chmod(tree.path("locked").c_str(), 0), 0);
    EXPECT_TRUE(TempTree::runAsUser([&] {
        auto groups = findIn(tree, 1);
        return groups.size() == 1 && groups[0] == std::vector<std::string>{"a", "b"};
    }));
}

// Appends four bytes that bring the file's CRC-32 to 0: the table's high bytes
// are all distinct, so the table indices of the last four steps follow from
// the wanted final register, and the bytes from the indices.
static std::string withZeroCrc(std::string data)
{
    const z_crc_t* table = ::get_crc_table();
    std::uint32_t wanted = 0xFFFFFFFFu;  // register before the final inversion
    std::uint8_t indices[4];
    for (int k = 3; k >= 0; --k) {
        for (std::uint32_t i = 0; i < 256; ++i) {
            if ((table[i] >> 24) == (wanted >> 24)) {
                indices[k] = static_cast<std::uint8_t>(i);
                wanted = (wanted ^ table[i]) << 8;
                break;
            }
        }
    }
    std::uint32_t reg = ~static_cast<std::uint32_t>(
        ::crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
    for (std::uint8_t index : indices) {
        data.push_back(static_cast<char>((reg ^ index) & 0xFF));
        reg = (reg >> 8) ^ static_cast<std::uint32_t>(table[index]);
    }
    return data;
}

TEST(Duplicates, FileWithZeroCrcIsStillACandidate)
{
    TempTree tree;
    std::string content = withZeroCrc(dwtest::makeBytes(5000, 13));
    tree.write("z1", content);
    tree.write("z2", content);
    std::uint32_t crc = 1;
    ScanList list = walkTree(tree);
    ASSERT_EQ(fingerprint(list[0], 8192, crc), 0);
    ASSERT_EQ(crc, 0u);
    EXPECT_EQ(findIn(tree, 1).size(), 1u);
}

TEST(Duplicates, LargeGroupsReopenTheirMembers)
{
    TempTree tree;
    std::string content = dwtest::makeBytes(2000, 12);
    for (int i = 0; i < 300; ++i)
        tree.write("copy" + std::to_string(i), content);
    tree.write("copy300", withByteChanged(content, 1999));
    auto groups = findIn(tree, 0);
    ASSERT_EQ(groups.size(), 1u);
    EXPECT_EQ(groups[0].size(), 300u);
}
