#include "engine/results/result_list.h"
#include "engine/results/type_description.h"
#include "platform/file_status.h"
#include "support/temp_tree.h"

#include <gtest/gtest.h>

#include <optional>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>

namespace {

using dw::ResultList;
namespace attr = dw::attr;

dw::ListAppearance distinctColours()
{
    dw::ListAppearance colours;
    colours.bkColor = 0x000001;
    colours.sysColor = 0x000002;
    colours.readOnlyColor = 0x000003;
    colours.hiddenColor = 0x000004;
    colours.duplicatesColor = 0x000005;
    colours.defaultColor = 0x000006;
    colours.compressedColor = 0x000007;
    colours.archiveColor = 0x000008;
    return colours;
}

std::uint64_t blockSizeOf(const std::string& path)
{
    struct statvfs vfs {};
    EXPECT_EQ(::statvfs(path.c_str(), &vfs), 0);
    return vfs.f_frsize;
}

// 2021-03-04 12:00 UTC: the same calendar day in every usual time zone.
constexpr std::int64_t kMarch4th2021Noon = 1614859200LL * 1'000'000'000;

class ResultListTest : public ::testing::Test {
protected:
    void SetUp() override { dw::useRussianLocale(); }
    dwtest::TempTree tree;
    ResultList list{dw::ResultKind::BySize, distinctColours()};
};

TEST_F(ResultListTest, SizeOnDiskIsRoundedToWholeBlocks)
{
    const std::uint64_t block = blockSizeOf(tree.root());
    ASSERT_GT(block, 1u);
    ASSERT_TRUE(list.addRow(tree.write("one.bin", "x"), attr::Archive, 1, 0, 0));
    ASSERT_TRUE(list.addRow(tree.write("empty.bin", ""), attr::Archive, 0, 0, 0));
    const std::uint64_t moreThanOne = block + 1;
    ASSERT_TRUE(list.addRow(tree.writeSized("big.bin", moreThanOne, 1), attr::Archive, moreThanOne, 0, 0));
    ASSERT_TRUE(list.addRow(tree.mkdir("folder"), attr::Folder, 0, 0, 0));

    EXPECT_EQ(list.row(0).sizeOnDisk, block);
    EXPECT_EQ(list.columnText(0, dw::ColSize), "1");
    EXPECT_EQ(list.columnText(0, dw::ColSizeOnDisk), dw::FormatSize(block));
    EXPECT_EQ(list.row(1).sizeOnDisk, 0u);
    EXPECT_EQ(list.columnText(1, dw::ColSize), "0");
    EXPECT_EQ(list.columnText(1, dw::ColSizeOnDisk), "0");
    EXPECT_EQ(list.row(2).sizeOnDisk, 2 * block);
    EXPECT_EQ(list.columnText(3, dw::ColSize), "");
    EXPECT_EQ(list.columnText(3, dw::ColSizeOnDisk), "");
    EXPECT_EQ(list.totalCount(), 4u);
    EXPECT_EQ(list.totalSizeOnDisk(), 3 * block);
}

TEST_F(ResultListTest, RowsWithoutANameAndSystemFoldersAreNotAdded)
{
    EXPECT_FALSE(list.addRow(tree.mkdir("sys"), attr::Folder | attr::System, 0, 0, 0));
    EXPECT_FALSE(list.addRow("/", attr::Folder, 0, 0, 0));
    EXPECT_FALSE(list.addRow(tree.root(), attr::Folder, 0, 0, 0));
    EXPECT_FALSE(list.addRow("", attr::Archive, 0, 0, 0));
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(list.totalSizeOnDisk(), 0u);
    // A system file is a row like any other.
    EXPECT_TRUE(list.addRow(tree.write("sysfile", "x"), attr::System | attr::Archive, 1, 0, 0));
}

TEST_F(ResultListTest, TextColourFollowsTheFirstMatchingAttribute)
{
    const std::string file = tree.write("f.txt", "x");
    const dw::ListAppearance c = distinctColours();
    struct Case {
        std::uint8_t attributes;
        dw::Colour text;
        dw::Colour expected;
    } cases[] = {
        {attr::ReadOnly | attr::Hidden | attr::Archive, 0, c.readOnlyColor},
        {attr::System | attr::ReadOnly | attr::Hidden | attr::Archive, 0, c.sysColor},
        {attr::Hidden | attr::Archive, 0x123456, c.hiddenColor},
        {attr::Archive, 0, c.archiveColor},
        {0, 0, c.defaultColor},
        {0, 0x123456, 0x123456},
    };
    for (const Case& each : cases)
        ASSERT_TRUE(list.addRow(file, each.attributes, 1, 0, each.text));
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(list.row(i).textColour, cases[i].expected) << i;
        EXPECT_EQ(list.row(i).backColour, c.bkColor) << i;
    }
    ASSERT_TRUE(list.addRow(file, 0, 1, c.duplicatesColor, c.defaultColor, 3));
    EXPECT_EQ(list.row(6).backColour, c.duplicatesColor);
    EXPECT_EQ(list.row(6).group, 3u);
    EXPECT_TRUE(list.row(1).hidden());
}

TEST_F(ResultListTest, DateAndTypeAreReadWhenTheRowIsAdded)
{
    const std::string file = tree.write("notes.txt", "hello");
    struct timespec times[2] = {{kMarch4th2021Noon / 1'000'000'000, 0}, {0, UTIME_OMIT}};
    ASSERT_EQ(::utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
    ASSERT_TRUE(list.addRow(file, attr::Archive, 5, 0, 0));
    EXPECT_EQ(list.columnText(0, dw::ColName), "notes.txt");
    EXPECT_EQ(list.columnText(0, dw::ColPath), file);
    EXPECT_EQ(list.columnText(0, dw::ColAccessed), "04.03.2021");
    EXPECT_EQ(list.columnText(0, dw::ColType), "Текстовый документ");

    ASSERT_TRUE(list.addRow(tree.mkdir("Папка с файлами"), attr::Folder, 0, 0, 0));
    EXPECT_EQ(list.columnText(1, dw::ColName), "Папка с файлами");
    EXPECT_EQ(list.columnText(1, dw::ColType), "Папка");
}

TEST_F(ResultListTest, AVanishedFileGetsAMissingRowThatNoTotalCounts)
{
    const std::uint64_t block = blockSizeOf(tree.root());
    ASSERT_TRUE(list.addRow(tree.write("here.txt", "x"), attr::Archive, 1, 0, 0));
    ASSERT_TRUE(list.addRow(tree.path("gone.txt"), attr::Archive, 5, 0, 0));
    const dw::ResultRow& gone = list.row(1);
    EXPECT_TRUE(gone.missing);
    EXPECT_FALSE(list.row(0).missing);
    EXPECT_EQ(gone.sizeOnDisk, 0u);
    EXPECT_EQ(list.columnText(1, dw::ColSize), "5") << "the size the list was given";
    EXPECT_EQ(list.columnText(1, dw::ColSizeOnDisk), "");
    EXPECT_EQ(list.columnText(1, dw::ColAccessed), "");
    EXPECT_EQ(list.columnText(1, dw::ColType), "Текстовый документ");
    EXPECT_EQ(list.totalCount(), 1u);
    EXPECT_EQ(list.totalSizeOnDisk(), block);

    list.setChecked(0, true);
    list.setChecked(1, true);
    EXPECT_TRUE(list.row(1).checked);
    EXPECT_EQ(list.checkedCount(), 1u);
    EXPECT_EQ(list.checkedSizeOnDisk(), block);
    list.setSizeOnDisk(1, 4096);  // an operation writing back keeps it out too
    EXPECT_EQ(list.totalSizeOnDisk(), block);

    // Taking the rows over to another list and removing them keep the counts.
    ResultList other(dw::ResultKind::BySize);
    other.appendRows(list.takeAllRows());
    EXPECT_EQ(other.totalCount(), 1u);
    EXPECT_EQ(other.checkedCount(), 1u);
    other.removeRows([](const dw::ResultRow& row) { return !row.missing; });
    EXPECT_EQ(other.size(), 1u);
    EXPECT_EQ(other.totalCount(), 0u);
    EXPECT_EQ(other.checkedCount(), 0u);
    EXPECT_EQ(other.totalSizeOnDisk(), 0u);
    other.removeRow(0);
    EXPECT_EQ(other.totalCount(), 0u);
}

TEST_F(ResultListTest, ARowMadeForTheQueueIsTheRowAddRowAppends)
{
    const std::string file = tree.write("Отчёт.TXT", "abc");
    auto status = dw::platform::statPath(file);
    ASSERT_TRUE(status);
    dw::FileEntry entry;
    entry.setPath(file);
    entry.size = 3;
    entry.device = status->device;
    entry.inode = status->inode;
    entry.attributes = attr::Archive;
    std::optional<dw::ResultRow> made = list.makeRow(entry, 0, 0, 7);
    ASSERT_TRUE(made);
    EXPECT_EQ(list.size(), 0u) << "making a row adds nothing";
    EXPECT_EQ(made->path, file);
    EXPECT_EQ(made->path.capacity(), file.size()) << "no spare room kept per row";
    EXPECT_EQ(made->inode, status->inode);
    EXPECT_EQ(made->device, status->device);
    ASSERT_TRUE(list.addRow(entry, 0, 0, 7));
    EXPECT_EQ(list.row(0).sizeOnDisk, made->sizeOnDisk);
    EXPECT_EQ(list.row(0).textColour, made->textColour);
    EXPECT_EQ(list.row(0).group, 7u);
    entry.attributes = attr::Folder | attr::System;
    EXPECT_FALSE(list.makeRow(entry, 0, 0));
}

TEST_F(ResultListTest, AnEntryIsTakenAsTheWalkSawIt)
{
    const std::string file = tree.write("seen.bin", "abc");
    auto status = dw::platform::statPath(file);
    ASSERT_TRUE(status);
    dw::FileEntry entry;
    entry.setPath(file);
    entry.size = 3;
    entry.device = status->device;
    entry.lastAccessNs = kMarch4th2021Noon;  // not the file's own time
    entry.attributes = attr::Archive | attr::ReadOnly;
    ASSERT_TRUE(list.addRow(entry, 0, 0, 2));
    EXPECT_EQ(dw::rowDateText(list.row(0)), "04.03.2021");
    EXPECT_EQ(list.row(0).lastAccessNs, kMarch4th2021Noon);
    EXPECT_EQ(list.row(0).sizeOnDisk, blockSizeOf(tree.root()));
    EXPECT_EQ(list.row(0).textColour, distinctColours().readOnlyColor);
    EXPECT_EQ(list.row(0).group, 2u);

    entry.attributes = attr::Folder | attr::System;
    EXPECT_FALSE(list.addRow(entry, 0, 0));
}

TEST_F(ResultListTest, CheckedTotalsFollowChecksAndRemovals)
{
    const std::uint64_t block = blockSizeOf(tree.root());
    for (const char* name : {"a", "b", "c"})
        ASSERT_TRUE(list.addRow(tree.write(name, "x"), attr::Archive, 1, 0, 0));

    list.setChecked(0, true);
    list.setChecked(0, true);
    list.setChecked(2, true);
    EXPECT_EQ(list.checkedCount(), 2u);
    EXPECT_EQ(list.checkedSizeOnDisk(), 2 * block);
    list.setChecked(2, false);
    list.setChecked(1, false);
    EXPECT_EQ(list.checkedCount(), 1u);
    EXPECT_EQ(list.checkedSizeOnDisk(), block);

    list.removeRow(0);
    EXPECT_EQ(list.totalCount(), 2u);
    EXPECT_EQ(list.totalSizeOnDisk(), 2 * block);
    EXPECT_EQ(list.checkedCount(), 0u);
    EXPECT_EQ(list.checkedSizeOnDisk(), 0u);
    EXPECT_EQ(list.columnText(0, dw::ColName), "b");

    list.setChecked(1, true);
    list.deleteAllRows();
    EXPECT_EQ(list.totalCount(), 0u);
    EXPECT_EQ(list.totalSizeOnDisk(), 0u);
    EXPECT_EQ(list.checkedCount(), 0u);
    EXPECT_EQ(list.checkedSizeOnDisk(), 0u);
}

}  // namespace
