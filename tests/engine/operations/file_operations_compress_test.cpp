#include "engine/operations/file_operations.h"
#include "engine/operations/file_operations_fixtures.h"
#include "engine/texts.h"
#include "support/temp_tree.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace {

using dw::FileOperations;
using dw::ResultKind;
using dw::ResultList;
using dwtest::addRow;
using dwtest::RecordingProgress;
using dwtest::ScopedMount;
using dwtest::ScriptedPrompts;
using dwtest::TempTree;

// The inode flags, or -1 when the file system has none to tell.
int inodeFlags(const std::string& path)
{
    int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    int flags = -1;
    if (fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) != 0)
        flags = -1;
    if (fd >= 0)
        ::close(fd);
    return flags;
}

std::uint64_t allocatedRounded(const std::string& path)
{
    struct stat st {};
    struct statvfs vfs {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(::statvfs(path.c_str(), &vfs), 0);
    const std::uint64_t block = vfs.f_frsize;
    const std::uint64_t bytes = static_cast<std::uint64_t>(st.st_blocks) * 512;
    return bytes <= block ? block : (bytes + block - 1) / block * block;
}

class FileOperationsCompress : public ::testing::Test {
protected:
    TempTree tree;
    ScriptedPrompts prompts;
    FileOperations operations{prompts};
    ResultList list{ResultKind::BySize};
    RecordingProgress progress;
};

TEST_F(FileOperationsCompress, WhereTheFileSystemCannotCompressRowsArePassedOver)
{
    // The temporary folder's own file system (ext4, tmpfs, ...); also a tmpfs when one can be made.
    std::vector<std::string> files = {tree.write("a.txt", std::string(20000, 'a'))};
    tree.mkdir("tmpfs");
    auto mounted = ScopedMount::tmpfs(tree.path("tmpfs"), TempTree::userUid());
    if (mounted)
        files.push_back(tree.write("tmpfs/b.txt", std::string(20000, 'b')));
    for (const auto& file : files)
        addRow(list, file);
    addRow(list, tree.mkdir("folder"));
    const ResultList before = list;
    const int flagsBefore = inodeFlags(files[0]);

    EXPECT_EQ(operations.compressChecked(list, progress), 0u);
    for (std::size_t i = 0; i < list.size(); ++i) {
        EXPECT_EQ(list.row(i).textColour, before.row(i).textColour);
        EXPECT_EQ(list.row(i).sizeOnDisk, before.row(i).sizeOnDisk);
    }
    EXPECT_EQ(list.totalSizeOnDisk(), before.totalSizeOnDisk());
    EXPECT_EQ(inodeFlags(files[0]), flagsBefore);  // ext4 would take the flag and never compress
    EXPECT_EQ(progress.title, dw::text::CompressCaption);
    EXPECT_EQ(progress.phase, dw::text::CompressFile);
    EXPECT_EQ(progress.position.load(), list.size());
    EXPECT_EQ(progress.hides, 1);
    EXPECT_TRUE(operations.sources().empty());
}

TEST_F(FileOperationsCompress, OnBtrfsRowsTurnBlueWithTheirNewSizeOnDisk)
{
    tree.mkdir("mnt");
    std::string why;
    auto mounted = ScopedMount::btrfs(tree.path("image.btrfs"), tree.path("mnt"), why);
    if (!mounted)
        GTEST_SKIP() << why;
    const std::string big = tree.write("mnt/big.txt", std::string(1 << 20, 'z'));
    const std::string tiny = tree.write("mnt/tiny.txt", "ten bytes!");
    const std::string empty = tree.write("mnt/empty.txt", "");
    const std::string later = tree.write("mnt/later.txt", std::string(50000, 'l'));
    for (const auto& file : {big, tiny, empty})
        addRow(list, file);
    addRow(list, tree.mkdir("mnt/folder"));
    addRow(list, later, false);
    struct statvfs vfs {};
    ASSERT_EQ(::statvfs(tiny.c_str(), &vfs), 0);

    EXPECT_EQ(operations.compressChecked(list, progress), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(list.row(i).textColour, dw::kCompressedRowColour);
        EXPECT_EQ(list.row(i).sizeOnDisk, allocatedRounded(list.row(i).path));
        EXPECT_NE(inodeFlags(list.row(i).path) & FS_COMPR_FL, 0);
    }
    EXPECT_EQ(list.row(1).sizeOnDisk, vfs.f_frsize);  // ten bytes keep one block
    EXPECT_EQ(list.row(2).sizeOnDisk, vfs.f_frsize);  // an empty compressed file counts one block
    EXPECT_NE(list.row(3).textColour, dw::kCompressedRowColour);
    EXPECT_EQ(inodeFlags(later) & FS_COMPR_FL, 0);
    std::uint64_t sum = 0;
    std::uint64_t checkedSum = 0;
    for (const auto& row : list.rows()) {
        sum += row.sizeOnDisk;
        checkedSum += row.checked ? row.sizeOnDisk : 0;
    }
    EXPECT_EQ(list.totalSizeOnDisk(), sum);
    EXPECT_EQ(list.checkedSizeOnDisk(), checkedSum);
    EXPECT_EQ(dwtest::readFile(big), std::string(1 << 20, 'z'));

    // Already compressed: nothing changes. A cancel stops after the current row.
    list.setTextColour(0, 0);
    list.setChecked(4, true);
    progress.cancelAfter = 1;
    EXPECT_EQ(operations.compressChecked(list, progress), 0u);
    EXPECT_EQ(list.row(0).textColour, 0u);
    EXPECT_EQ(inodeFlags(later) & FS_COMPR_FL, 0);
    progress.cancelAfter.reset();
    EXPECT_EQ(operations.compressChecked(list, progress), 1u);
    EXPECT_EQ(list.row(4).textColour, dw::kCompressedRowColour);
}

}  // namespace
