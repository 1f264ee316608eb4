#include "platform/compression.h"

#include "engine/operations/file_operations_mounts.h"
#include "support/temp_tree.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using dw::platform::compressFile;
using dw::platform::CompressStatus;
using dwtest::ScopedMount;
using dwtest::TempTree;

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

mode_t modeOf(const std::string& path)
{
    struct stat st {};
    EXPECT_EQ(::lstat(path.c_str(), &st), 0);
    return st.st_mode;
}

TEST(Compression, ElsewhereNothingIsTouched)
{
    TempTree tree;
    const std::string file = tree.write("a.txt", std::string(10000, 'a'));
    const std::string link = tree.path("link");
    ASSERT_EQ(::symlink(file.c_str(), link.c_str()), 0);
    const int flags = inodeFlags(file);

    EXPECT_EQ(compressFile(file).status, CompressStatus::Unsupported);
    EXPECT_EQ(inodeFlags(file), flags);
    EXPECT_EQ(compressFile(link).status, CompressStatus::Unsupported);
    EXPECT_EQ(compressFile(tree.mkdir("folder")).status, CompressStatus::Unsupported);
    EXPECT_EQ(compressFile(tree.path("missing")).status, CompressStatus::Failed);
    EXPECT_EQ(dwtest::readFile(file), std::string(10000, 'a'));
}

TEST(Compression, OnBtrfsTheFlagIsSetTheDataKeptAndTheModeRestored)
{
    TempTree tree;
    tree.mkdir("mnt");
    std::string why;
    auto mounted = ScopedMount::btrfs(tree.path("image.btrfs"), tree.path("mnt"), why);
    if (!mounted)
        GTEST_SKIP() << why;
    const std::string content(300000, 'q');
    const std::string file = tree.write("mnt/a.txt", content);
    const std::string link = tree.path("mnt/link");
    ASSERT_EQ(::symlink(file.c_str(), link.c_str()), 0);

    EXPECT_EQ(compressFile(link).status, CompressStatus::Unsupported);
    EXPECT_EQ(inodeFlags(file) & FS_COMPR_FL, 0);
    auto result = compressFile(file);
    EXPECT_EQ(result.status, CompressStatus::Compressed);
    EXPECT_GT(result.blockSize, 0u);
    EXPECT_NE(inodeFlags(file) & FS_COMPR_FL, 0);
    EXPECT_EQ(dwtest::readFile(file), content);
    EXPECT_EQ(compressFile(file).status, CompressStatus::AlreadyCompressed);

    // Our own read-only file gets write permission for the work only.
    const std::string readOnly = tree.write("mnt/read-only.txt", content);
    ASSERT_EQ(::chmod(readOnly.c_str(), 0444), 0);
    // Another account's file we may not write stays as it was.
    const std::string foreign = tree.write("mnt/foreign.txt", content);
    ASSERT_EQ(::chown(foreign.c_str(), 0, 0), 0);
    ASSERT_EQ(::chmod(foreign.c_str(), 0644), 0);
    EXPECT_TRUE(TempTree::runAsUser([&] {
        return compressFile(readOnly).status == CompressStatus::Compressed &&
               compressFile(foreign).status == CompressStatus::Failed;
    }));
    EXPECT_EQ(modeOf(readOnly) & 07777, 0444u);
    EXPECT_NE(inodeFlags(readOnly) & FS_COMPR_FL, 0);
    EXPECT_EQ(inodeFlags(foreign) & FS_COMPR_FL, 0);
}

}  // namespace
