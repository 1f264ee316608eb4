#include "engine/tools/trash_emptying.h"

#include "support/temp_tree.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

using dwtest::TempTree;

namespace {

// Runs a shell command line with HOME and XDG_DATA_HOME inside the tree, so
// trash-cli sees a Trash of the test's own and never the real one.
std::string runInPrivateHome(const TempTree& tree, const std::string& command)
{
    const std::string line = "env HOME=" + tree.path("home") + " XDG_DATA_HOME=" + tree.path("home/.local/share") +
                             " " + command + " 2>&1";
    std::string output;
    if (FILE* pipe = ::popen(line.c_str(), "r")) {
        char buffer[4096];
        while (std::size_t got = std::fread(buffer, 1, sizeof buffer, pipe))
            output.append(buffer, got);
        ::pclose(pipe);
    }
    return output;
}

// trash-list lines about files of this tree.
std::size_t listedFromTree(const TempTree& tree)
{
    const std::string listing = runInPrivateHome(tree, "trash-list");
    std::size_t count = 0;
    for (std::size_t at = listing.find(tree.root()); at != std::string::npos; at = listing.find(tree.root(), at + 1))
        ++count;
    return count;
}

std::vector<std::string> namesIn(const std::string& folder)
{
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error))
        names.push_back(entry.path().filename().string());
    return names;
}

}  // namespace

TEST(TrashEmptying, EmptiesWhatTrashCliPutAndNothingElse)
{
    if (::system("command -v trash-put >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "trash-cli is not installed";
    TempTree tree;
    tree.mkdir("home/.local/share");
    const std::string baseline = runInPrivateHome(tree, "trash-list");
    tree.write("work/a.txt", "first");
    tree.write("work/folder/b.txt", "second");
    tree.write("outside/kept.txt", "stays");
    ASSERT_EQ(::symlink(tree.path("outside").c_str(), tree.path("work/link-to-outside").c_str()), 0);
    runInPrivateHome(tree, "trash-put " + tree.path("work/a.txt") + " " + tree.path("work/folder") + " " +
                               tree.path("work/link-to-outside"));
    ASSERT_EQ(listedFromTree(tree), 3u);

    const std::string homeTrash = tree.path("home/.local/share/Trash");
    const auto folders = dw::userTrashFolders(homeTrash, {}, ::geteuid());
    ASSERT_EQ(folders, std::vector<std::string>{homeTrash});
    EXPECT_EQ(dw::countTrashItems(folders), 3u);
    const dw::TrashEmptyingReport report = dw::emptyTrashFolders(folders, nullptr);
    EXPECT_EQ(report.left, 0u);
    EXPECT_FALSE(report.cancelled);

    EXPECT_EQ(listedFromTree(tree), 0u);
    EXPECT_EQ(runInPrivateHome(tree, "trash-list"), baseline);
    EXPECT_TRUE(namesIn(homeTrash + "/files").empty());
    EXPECT_TRUE(namesIn(homeTrash + "/info").empty());
    EXPECT_EQ(dwtest::readFile(tree.path("outside/kept.txt")), "stays");
    EXPECT_EQ(dw::countTrashItems(folders), 0u);
}

TEST(TrashEmptying, FindsTheTrashesOfMountedVolumesThatAreSafe)
{
    TempTree tree;
    const std::string uid = std::to_string(::geteuid());
    tree.mkdir("volume/.Trash-" + uid + "/files");
    tree.mkdir("shared/.Trash/" + uid + "/files");
    ASSERT_EQ(::chmod(tree.path("shared/.Trash").c_str(), 01777), 0);
    tree.mkdir("unsticky/.Trash/" + uid);                  // a .Trash without the sticky bit is not trusted
    tree.mkdir("elsewhere/" + uid);
    tree.mkdir("linked");  // its .Trash is a link to a sticky folder elsewhere: never followed
    ASSERT_EQ(::symlink(tree.path("elsewhere").c_str(), tree.path("linked/.Trash").c_str()), 0);
    ASSERT_EQ(::chmod(tree.path("elsewhere").c_str(), 01777), 0);
    // The tree's files belong to the test account under root; the Trash must be ours.
    for (const char* folder : {"volume/.Trash-", "shared/.Trash/", "unsticky/.Trash/", "elsewhere/"})
        ASSERT_EQ(::lchown(tree.path(folder + uid).c_str(), ::geteuid(), ::getegid()), 0);

    std::vector<dw::platform::MountEntry> mounts;
    for (const char* top : {"volume", "shared", "unsticky", "linked", "volume/"})
        mounts.push_back({"/dev/sdz1", tree.path(top), "ext4"});
    mounts.push_back({"server:/export", tree.path("elsewhere"), "nfs"});
    const auto folders = dw::userTrashFolders(tree.path("no-home-trash"), mounts, ::geteuid());
    EXPECT_EQ(folders, (std::vector<std::string>{tree.path("volume/.Trash-" + uid), tree.path("shared/.Trash/" + uid)}));

    // Another account's Trash is not the user's.
    EXPECT_TRUE(dw::userTrashFolders(tree.path("no-home-trash"), mounts, ::geteuid() + 4242).empty());
}

TEST(TrashEmptying, LeavesTheTrashFoldersAndWhatLinksPointTo)
{
    TempTree tree;
    const std::string trash = tree.path("Trash");
    tree.write("Trash/files/doc.txt", "gone");
    tree.write("Trash/info/doc.txt.trashinfo", "[Trash Info]\nPath=/x/doc.txt\n");
    tree.write("Trash/info/orphan.trashinfo", "[Trash Info]\nPath=/x/orphan\n");
    tree.write("Trash/files/undescribed/inner.txt", "gone too");
    tree.write("Trash/directorysizes", "4096 0 undescribed\n");
    tree.write("target/keep.txt", "kept");
    ASSERT_EQ(::symlink(tree.path("target").c_str(), tree.path("Trash/files/link").c_str()), 0);
    EXPECT_EQ(dw::countTrashItems({trash}), 3u);
    const dw::TrashEmptyingReport report = dw::emptyTrashFolders({trash}, nullptr);
    EXPECT_EQ(report.removed, 6u);
    EXPECT_EQ(report.left, 0u);
    EXPECT_TRUE(namesIn(trash + "/files").empty());
    EXPECT_TRUE(namesIn(trash + "/info").empty());
    std::vector<std::string> left = namesIn(trash);
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"files", "info"}));
    EXPECT_EQ(dwtest::readFile(tree.path("target/keep.txt")), "kept");
}

TEST(TrashEmptying, StopsAtACancel)
{
    TempTree tree;
    tree.write("Trash/files/a", "1");
    tree.write("Trash/info/a.trashinfo", "i");
    dw::Progress progress;
    progress.requestCancel();
    const dw::TrashEmptyingReport report = dw::emptyTrashFolders({tree.path("Trash")}, &progress);
    EXPECT_TRUE(report.cancelled);
    EXPECT_EQ(dwtest::readFile(tree.path("Trash/files/a")), "1");
}
