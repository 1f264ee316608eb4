#include "engine/search/folder_walker.h"
#include "platform/file_status.h"
#include "support/temp_tree.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

using namespace dw;
using dwtest::TempTree;

namespace {

std::vector<std::string> walkNames(const TempTree& tree, WalkOptions options, std::vector<std::string> scope = {})
{
    ScanList list;
    FolderWalker walker;
    if (scope.empty())
        scope.push_back(tree.root());
    for (const auto& folder : scope)
        walker.walk(folder, list, options);
    std::vector<std::string> names;
    for (std::size_t i = 0; i < list.slots(); ++i)
        names.push_back(list[i].path().substr(tree.root().size()));
    return names;
}

bool contains(const std::vector<std::string>& names, const std::string& name)
{
    return std::find(names.begin(), names.end(), name) != names.end();
}

WalkOptions lowSecurity(bool folders = false, bool recurse = true)
{
    WalkOptions options;
    options.includeFolders = folders;
    options.recurse = recurse;
    options.highSecurity = false;
    return options;
}

}  // namespace

TEST(FolderWalker, DotNamesAreLeftToCollectPaths)
{
    TempTree tree;
    tree.write(".profile", "x");
    tree.write(".cache/inside.txt", "x");
    tree.write("seen.txt", "x");
    auto names = walkNames(tree, lowSecurity(true));
    EXPECT_EQ(names, std::vector<std::string>{"seen.txt"});

    std::vector<std::string> paths;
    FolderWalker walker;
    EXPECT_EQ(walker.collectPaths(tree.root(), "*.*", &paths, true, true), 4u);
    EXPECT_TRUE(std::count(paths.begin(), paths.end(), tree.path(".cache/inside.txt")) == 1);
    EXPECT_TRUE(std::count(paths.begin(), paths.end(), tree.path(".profile")) == 1);
}

TEST(FolderWalker, HighSecurityLeavesOutProtectedFiles)
{
    TempTree tree;
    for (const char* name : {"setup.exe", "driver.SYS", "README.inf", "archive.zip", "libz.so.1", "libq.so",
                             "mod.ko", "SYS", "notes.solution"})
        tree.write(name, "x");
    WalkOptions high = lowSecurity();
    high.highSecurity = true;
    auto names = walkNames(tree, high);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"archive.zip", "notes.solution"}));
    EXPECT_EQ(walkNames(tree, lowSecurity()).size(), 9u);
}

TEST(FolderWalker, SystemAccountsProtectOnlyFromOtherUsers)
{
    if (!TempTree::runningAsRoot())
        GTEST_SKIP() << "needs root to give files to a system account";
    // A tree unpacked by root: root's own files are ordinary files to root.
    TempTree tree;
    for (const char* name : {"unpacked/a.txt", "unpacked/b.txt", "mine.txt"})
        ASSERT_EQ(::lchown(tree.write(name, "x").c_str(), 0, 0), 0);
    ASSERT_EQ(::lchown(tree.path("unpacked").c_str(), 0, 0), 0);
    WalkOptions high = lowSecurity();
    high.highSecurity = true;
    ScanList asRoot;
    FolderWalker rootWalker;
    EXPECT_EQ(rootWalker.walk(tree.root(), asRoot, high), 3u);
    EXPECT_EQ(rootWalker.protectedLeftOut(), 0u);

    // To an ordinary user the same files belong to the system and are left out, and counted.
    tree.write("users.txt", "x");
    EXPECT_TRUE(TempTree::runAsUser([&] {
        ScanList list;
        FolderWalker walker;
        return walker.walk(tree.root(), list, high) == 1 && list[0].name == "users.txt" &&
               walker.protectedLeftOut() == 3;
    }));
    EXPECT_EQ(walkNames(tree, lowSecurity()).size(), 4u);
}

TEST(FileStatus, TheSystemsOwnFoldersHoldSystemFiles)
{
    struct stat mine {};
    mine.st_uid = ::geteuid();
    mine.st_mode = S_IFREG | 0644;
    for (auto [folder, name] : std::vector<std::pair<const char*, const char*>>{
             {"/usr/lib/", "libc.so"}, {"/etc/", "passwd"}, {"/lib64/", "ld.so"}, {"/var/log/", "syslog"},
             {"/", "boot"}, {"/", "var"}, {"/opt/app/", "run"}, {"/sbin/", "init"}, {"/bin/", "sh"}})
        EXPECT_TRUE(platform::isSystemFile(mine, folder, name)) << folder << name;
    for (auto [folder, name] : std::vector<std::pair<const char*, const char*>>{
             {"/var/tmp/", "scratch"}, {"/var/", "tmp"}, {"/home/u/usr/", "x"}, {"/tmp/etc/", "x"}, {"/", "tmp"},
             {"/srv/", "data"}})
        EXPECT_FALSE(platform::isSystemFile(mine, folder, name)) << folder << name;
    EXPECT_TRUE(platform::statPath("/etc/passwd")->attributes & attr::System);
}

TEST(FolderWalker, FoldersPrecedeTheirContentsAndRecursionIsOptional)
{
    TempTree tree;
    tree.write("top.txt", "x");
    tree.write("sub/inner.txt", "x");
    tree.write("sub/deeper/leaf.txt", "x");

    auto names = walkNames(tree, lowSecurity(true));
    ASSERT_EQ(names.size(), 5u);
    auto at = [&](const std::string& n) { return std::find(names.begin(), names.end(), n) - names.begin(); };
    EXPECT_LT(at("sub"), at("sub/inner.txt"));
    EXPECT_LT(at("sub/deeper"), at("sub/deeper/leaf.txt"));
    EXPECT_EQ(std::count(names.begin(), names.end(), "sub"), 1);

    auto noFolders = walkNames(tree, lowSecurity(false));
    EXPECT_FALSE(contains(noFolders, "sub"));
    EXPECT_EQ(noFolders.size(), 3u);

    auto flat = walkNames(tree, lowSecurity(false, false));
    EXPECT_EQ(flat, std::vector<std::string>{"top.txt"});
}

TEST(FolderWalker, NeverFollowsLinksNorRecordsSpecialFiles)
{
    TempTree tree;
    tree.write("real/file.txt", "x");
    ASSERT_EQ(::symlink(tree.path("real").c_str(), tree.path("real/loop").c_str()), 0);
    ASSERT_EQ(::symlink("/", tree.path("root-link").c_str()), 0);
    ASSERT_EQ(::symlink(tree.path("real/file.txt").c_str(), tree.path("file-link").c_str()), 0);
    ASSERT_EQ(::mkfifo(tree.path("pipe").c_str(), 0600), 0);

    auto names = walkNames(tree, lowSecurity(true));
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"real", "real/file.txt"}));
    // Without folder entries the walk goes by the types the listing gives.
    EXPECT_EQ(walkNames(tree, lowSecurity(false)), (std::vector<std::string>{"real/file.txt"}));
}

// A folder whose listing takes many reads: every entry is met once, files
// and subfolders alike.
TEST(FolderWalker, LargeFoldersAreListedWhole)
{
    TempTree tree;
    const std::string longName(120, 'n');
    constexpr int kFiles = 1500;
    for (int i = 0; i < kFiles; ++i)
        tree.write("big/" + longName + std::to_string(i), "x");
    tree.write("big/sub/last.txt", "x");
    for (const bool folders : {false, true}) {
        auto names = walkNames(tree, lowSecurity(folders));
        std::sort(names.begin(), names.end());
        EXPECT_EQ(std::unique(names.begin(), names.end()), names.end());
        EXPECT_EQ(names.size(), kFiles + 1u + (folders ? 2u : 0u));
        EXPECT_TRUE(contains(names, "big/sub/last.txt"));
    }
}

TEST(FolderWalker, NestedScopeFoldersAreListedOnce)
{
    TempTree tree;
    tree.write("a/one.txt", "x");
    tree.write("a/b/two.txt", "x");
    auto outerFirst = walkNames(tree, lowSecurity(), {tree.path("a/"), tree.path("a/b/")});
    EXPECT_EQ(outerFirst.size(), 2u);
    auto innerFirst = walkNames(tree, lowSecurity(), {tree.path("a/b/"), tree.path("a/")});
    EXPECT_EQ(innerFirst.size(), 2u);
}

TEST(FolderWalker, OddNamesAndDeepTrees)
{
    TempTree tree;
    std::vector<std::string> odd = {"with space.txt", "строка.txt", "new\nline.txt", std::string("bad\xff\xfe.bin")};
    for (const auto& name : odd)
        tree.write(name, "x");
    std::string deep;
    for (int i = 0; i < 300; ++i)
        deep += "d/";
    tree.write(deep + "bottom.txt", "x");

    auto names = walkNames(tree, lowSecurity());
    for (const auto& name : odd)
        EXPECT_TRUE(contains(names, name)) << name;
    EXPECT_TRUE(contains(names, deep + "bottom.txt"));
}

TEST(FolderWalker, UnreadableFoldersAreSkippedAndCounted)
{
    TempTree tree;
    tree.write("open/a.txt", "x");
    tree.write("closed/b.txt", "x");
    ASSERT_EQ(::chmod(tree.path("closed").c_str(), 0), 0);
    EXPECT_TRUE(TempTree::runAsUser([&] {
        ScanList list;
        FolderWalker walker;
        FolderWalker other;
        return walker.walk(tree.root(), list, lowSecurity()) == 1 && walker.skipped() == 1 &&
               other.walk(tree.path("closed/"), list, lowSecurity()) == 0 && !other.topFolderReadable();
    }));
}

TEST(FolderWalker, CancelStopsTheWalk)
{
    TempTree tree;
    for (int i = 0; i < 50; ++i)
        tree.write("f" + std::to_string(i), "x");
    Progress progress;
    progress.requestCancel();
    ScanList list;
    FolderWalker walker(&progress);
    EXPECT_EQ(walker.walk(tree.root(), list, lowSecurity()), 0u);
}

TEST(FolderWalker, FolderSizeSumsFilesWithoutFollowingLinks)
{
    TempTree tree;
    tree.write("a", std::string(1000, 'x'));
    tree.write("sub/b", std::string(234, 'x'));
    ASSERT_EQ(::symlink(tree.path("a").c_str(), tree.path("sub/link").c_str()), 0);
    EXPECT_EQ(folderSize(tree.root()), 1234u);
    EXPECT_EQ(folderSize(tree.path("sub")), 234u);
}

TEST(ExcludedFolders, MatchTheFolderAndBelowButNoSibling)
{
    std::vector<std::string> folders = {"/data/tmp/"};
    EXPECT_TRUE(isInExcludedFolder(folders, "/data/tmp/a.txt"));
    EXPECT_TRUE(isInExcludedFolder(folders, "/data/tmp/deep/a.txt"));
    EXPECT_TRUE(isInExcludedFolder(folders, "/data/tmp"));
    EXPECT_FALSE(isInExcludedFolder(folders, "/data/tmp2/x"));
    EXPECT_FALSE(isInExcludedFolder(folders, "/data/TMP/a.txt"));
    EXPECT_FALSE(isInExcludedFolder(folders, "/other/data/tmp/a.txt"));
    EXPECT_FALSE(isInExcludedFolder({}, "/data/tmp/a.txt"));
    EXPECT_FALSE(isInExcludedFolder({"/"}, "/etc/passwd"));
    EXPECT_TRUE(isInExcludedFolder({"/x/", "/usr"}, "/usr/lib/a.so"));
}

TEST(MaskMatch, WildcardsIgnoreCaseAndDotlessNames)
{
    EXPECT_TRUE(matchesMask("README", "*.*"));
    EXPECT_TRUE(matchesMask("README", "readme.*"));
    EXPECT_TRUE(matchesMask("a.TMP", "*.tmp"));
    EXPECT_TRUE(matchesMask("~a.doc", "~*.*"));
    EXPECT_FALSE(matchesMask("a.doc", "~*.*"));
    EXPECT_TRUE(matchesMask("ab.c", "a?.c"));
    EXPECT_FALSE(matchesMask("abc.c", "a?.c"));
    EXPECT_TRUE(matchesMask("Отчёт.TMP", "отчёт.*"));
    EXPECT_TRUE(matchesMask("ж.txt", "?.txt"));
    EXPECT_TRUE(matchesMask("aaaaaaaaaaaaaaaaaaaaaaaaaaaaaab", "*a*a*a*a*a*a*a*b*"));
    EXPECT_FALSE(matchesMask("aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa", "*a*a*a*a*a*a*a*b*"));
}
