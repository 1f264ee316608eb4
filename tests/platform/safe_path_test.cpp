#include "platform/safe_path.h"
#include "support/temp_tree.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

using dw::platform::isCleanAbsolutePath;
using dw::platform::openFolderNoFollow;
using dw::platform::openParentNoFollow;

TEST(SafePath, OnlyPathsNamingOneEntryAreClean) {
    EXPECT_TRUE(isCleanAbsolutePath("/"));
    EXPECT_TRUE(isCleanAbsolutePath("/a/b c/файл"));
    EXPECT_TRUE(isCleanAbsolutePath("/a/b/"));
    EXPECT_TRUE(isCleanAbsolutePath("/a/.hidden/..x"));
    for (const char* bad : {"", "a/b", "/a/victim/sub/..", "/a/victim/.", "/a//b", "/a/./b",
                            "/a/../b", "/a/b//", "//"})
        EXPECT_FALSE(isCleanAbsolutePath(bad)) << bad;
}

TEST(SafePath, FolderLinksOnTheWayAreNeverFollowed) {
    dwtest::TempTree tree;
    tree.mkdir("real/inner");
    std::filesystem::create_directory_symlink(tree.path("real"), tree.path("link"));
    int error = 0;
    EXPECT_TRUE(openFolderNoFollow(tree.path("real/inner"), error).valid());
    EXPECT_FALSE(openFolderNoFollow(tree.path("link/inner"), error).valid());
    EXPECT_TRUE(error == ELOOP || error == ENOTDIR);
    EXPECT_FALSE(openFolderNoFollow(tree.path("link"), error).valid());
    auto parent = openParentNoFollow(tree.path("link/inner"));
    EXPECT_FALSE(parent.parent.valid());
    auto ok = openParentNoFollow(tree.path("real/inner"));
    ASSERT_TRUE(ok.parent.valid());
    EXPECT_EQ(ok.leaf, "inner");
    EXPECT_EQ(openParentNoFollow("/a/../b").error, EINVAL);
}

TEST(SafePath, PathsLongerThanPathMaxOpen) {
    dwtest::TempTree tree;
    std::string relative;
    const std::string name(200, 'd');
    for (int i = 0; i < 30; ++i) relative += (i ? "/" : "") + name;
    // mkdir one level at a time through handles: the full path is too long for mkdir().
    int error = 0;
    auto fd = openFolderNoFollow(tree.path(""), error);
    ASSERT_TRUE(fd.valid());
    for (int i = 0; i < 30; ++i) {
        ASSERT_EQ(::mkdirat(fd.get(), name.c_str(), 0755), 0);
        fd.reset(::openat(fd.get(), name.c_str(), O_RDONLY | O_DIRECTORY));
        ASSERT_TRUE(fd.valid());
    }
    const std::string deep = tree.path(relative);
    ASSERT_GT(deep.size(), 4096u);
    EXPECT_TRUE(openFolderNoFollow(deep, error).valid()) << error;
    auto parent = openParentNoFollow(deep);
    EXPECT_TRUE(parent.parent.valid());
    EXPECT_EQ(parent.leaf, name);
}
