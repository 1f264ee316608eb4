#include "engine/tools/cleanup_targets.h"

#include "engine/operations/file_operations.h"
#include "engine/operations/file_operations_fixtures.h"
#include "engine/operations/own_delete.h"
#include "engine/search/progress.h"
#include "support/temp_tree.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <set>

using dwtest::TempTree;

namespace {

constexpr std::int64_t kTwoDays = 2 * 24 * 60 * 60;

uid_t treeOwner() { return TempTree::runningAsRoot() ? TempTree::userUid() : ::geteuid(); }

dw::CollectRules rulesForTree() { return {treeOwner(), std::time(nullptr)}; }

std::string withoutSlash(const std::string& folder) { return folder.substr(0, folder.size() - 1); }

// The real /tmp is never walked here: the system's folders are the tree's too.
dw::CleanupEnvironment environmentIn(const TempTree& tree)
{
    dw::CleanupEnvironment environment;
    environment.home = tree.path("home");
    environment.systemTemp = {tree.path("system-tmp"), tree.path("system-var-tmp")};
    return environment;
}

const dw::CleanupTarget* rowNamed(const std::vector<dw::CleanupTarget>& rows, const std::string& name)
{
    auto it = std::find_if(rows.begin(), rows.end(), [&](const dw::CleanupTarget& row) { return row.name == name; });
    return it == rows.end() ? nullptr : &*it;
}

std::size_t indexOf(const std::vector<std::string>& paths, const std::string& path)
{
    return static_cast<std::size_t>(std::find(paths.begin(), paths.end(), path) - paths.begin());
}

}  // namespace

TEST(CleanupTargets, TemporaryFoldersAreListedOnceAndSizedOnce)
{
    TempTree tree;
    tree.writeSized("tmp/a", 1000, 1);
    dw::CleanupEnvironment environment = environmentIn(tree);
    environment.tmpdir = tree.mkdir("tmp");
    environment.temp = environment.tmpdir + "/";  // the same folder written with its slash
    environment.tmp = environment.tmpdir;
    const auto rows = dw::cleanupTargets(environment);
    const dw::CleanupTarget* temporary = rowNamed(rows, "Временные файлы");
    ASSERT_NE(temporary, nullptr);
    EXPECT_EQ(std::count(temporary->folders.begin(), temporary->folders.end(), environment.tmpdir), 1);
    EXPECT_EQ(temporary->folders.front(), environment.tmpdir);
    EXPECT_EQ(temporary->folders.size(), 3u);
    EXPECT_EQ(temporary->size, 1000u);
    EXPECT_EQ(temporary->description, "Папка содержит временные файлы программ");
    EXPECT_EQ(dw::CleanupEnvironment::fromProcess().systemTemp, (std::vector<std::string>{"/tmp", "/var/tmp"}));
}

TEST(CleanupTargets, LetterCaseMakesAnotherFolder)
{
    TempTree tree;
    dw::CleanupEnvironment environment = environmentIn(tree);
    environment.temp = tree.mkdir("Temp");
    environment.tmp = tree.mkdir("temp");
    const auto rows = dw::cleanupTargets(environment);
    const dw::CleanupTarget* temporary = rowNamed(rows, "Временные файлы");
    ASSERT_NE(temporary, nullptr);
    ASSERT_GE(temporary->folders.size(), 2u);
    EXPECT_EQ(temporary->folders[0], environment.temp);
    EXPECT_EQ(temporary->folders[1], environment.tmp);
}

TEST(CleanupTargets, RowsFollowTheXdgFoldersAndNeedTheirFirstFolder)
{
    TempTree tree;
    dw::CleanupEnvironment environment = environmentIn(tree);
    environment.tmpdir = tree.path("missing-tmp");  // the row goes though /tmp exists
    environment.cacheHome = tree.path("cache");
    environment.dataHome = tree.path("data");
    tree.writeSized("cache/app/blob", 3000, 2);
    tree.writeSized("cache/thumbnails/normal/x.png", 500, 3);
    auto rows = dw::cleanupTargets(environment);
    EXPECT_EQ(rowNamed(rows, "Временные файлы"), nullptr);
    EXPECT_EQ(rowNamed(rows, "Recent Documents"), nullptr);
    const dw::CleanupTarget* cache = rowNamed(rows, "Кэш приложений");
    const dw::CleanupTarget* thumbnails = rowNamed(rows, "Эскизы изображений");
    ASSERT_NE(cache, nullptr);
    ASSERT_NE(thumbnails, nullptr);
    EXPECT_EQ(cache->folders, std::vector<std::string>{tree.path("cache")});
    EXPECT_EQ(cache->size, 3500u);
    EXPECT_EQ(thumbnails->size, 500u);

    tree.write("data/RecentDocuments/report.odt.desktop", "x");
    environment.cacheHome.clear();  // falls back to ~/.cache, which does not exist here
    rows = dw::cleanupTargets(environment);
    EXPECT_EQ(rowNamed(rows, "Кэш приложений"), nullptr);
    const dw::CleanupTarget* recent = rowNamed(rows, "Recent Documents");
    ASSERT_NE(recent, nullptr);
    EXPECT_EQ(recent->description, "Папка содеоржит ярлыки недавно открытых документов");
    EXPECT_EQ(recent->folders, std::vector<std::string>{tree.path("data/RecentDocuments")});
}

TEST(CleanupTargets, RowsWithoutSizesAreSizedLaterUnlessCancelled)
{
    TempTree tree;
    tree.writeSized("tmp/a", 700, 1);
    tree.writeSized("tmp/sub/b", 300, 2);
    tree.writeSized("system-tmp/c", 50, 3);
    ASSERT_EQ(::symlink(tree.path("tmp/a").c_str(), tree.path("system-tmp/link").c_str()), 0);
    dw::CleanupEnvironment environment = environmentIn(tree);
    environment.tmpdir = tree.path("tmp");
    auto rows = dw::cleanupTargets(environment, false);
    ASSERT_FALSE(rows.empty());
    dw::CleanupTarget& temporary = rows.front();
    EXPECT_EQ(temporary.size, 0u);
    EXPECT_EQ(temporary.folderSizes, (std::vector<std::uint64_t>{0, 0, 0}));

    dw::Progress cancelled;
    cancelled.requestCancel();
    EXPECT_FALSE(dw::sizeCleanupTarget(temporary, &cancelled));

    dw::Progress running;
    ASSERT_TRUE(dw::sizeCleanupTarget(temporary, &running));
    EXPECT_EQ(temporary.folderSizes, (std::vector<std::uint64_t>{1000, 50, 0}));  // the link is not followed
    EXPECT_EQ(temporary.size, 1050u);
    ASSERT_TRUE(dw::sizeCleanupTarget(temporary));  // sizing again starts from nothing
    EXPECT_EQ(temporary.size, 1050u);
}

TEST(CleanupCollect, TakesOldOwnFilesAndEachFolderAfterItsContents)
{
    TempTree tree;
    for (const char* file : {"top/old.txt", "top/sub/deep/a.bin", "top/sub/b.bin"}) {
        tree.write(file, "data");
        tree.age(file, kTwoDays);
    }
    ASSERT_EQ(::chmod(tree.path("top/old.txt").c_str(), 0444), 0);  // read-only is still taken
    ASSERT_EQ(::symlink("/etc/hostname", tree.path("top/link").c_str()), 0);
    tree.ownAsUser(tree.path("top/link"));
    tree.age("top/link", kTwoDays);
    for (const char* folder : {"top/sub/deep", "top/sub"})
        tree.age(folder, kTwoDays);

    std::vector<std::string> paths;
    dw::collectFolderContents(tree.path("top"), rulesForTree(), paths);
    std::sort(paths.begin(), paths.end());
    EXPECT_EQ(paths, (std::vector<std::string>{tree.path("top/link"), tree.path("top/old.txt"),
                                               tree.path("top/sub"), tree.path("top/sub/b.bin"),
                                               tree.path("top/sub/deep"), tree.path("top/sub/deep/a.bin")}));
    dw::collectFolderContents(tree.path("top"), rulesForTree(), paths = {});
    EXPECT_LT(indexOf(paths, tree.path("top/sub/deep/a.bin")), indexOf(paths, tree.path("top/sub/deep")));
    EXPECT_LT(indexOf(paths, tree.path("top/sub/deep")), indexOf(paths, tree.path("top/sub")));
    EXPECT_LT(indexOf(paths, tree.path("top/sub/b.bin")), indexOf(paths, tree.path("top/sub")));
}

TEST(CleanupCollect, LeavesHiddenFreshForeignAndSpecialEntriesAndTheFoldersHoldingThem)
{
    TempTree tree;
    const char* old[] = {"top/keep/.hidden", "top/fresh-holder/x", "top/fifo-holder/y", "top/taken.txt"};
    for (const char* file : old) {
        tree.write(file, "data");
        tree.age(file, kTwoDays);
    }
    tree.write("top/fresh-holder/new.log", "just written");
    ASSERT_EQ(::mkfifo(tree.path("top/fifo-holder/pipe").c_str(), 0600), 0);
    tree.ownAsUser(tree.path("top/fifo-holder/pipe"));
    tree.age("top/fifo-holder/pipe", kTwoDays);
    tree.write("top/.dotfile", "hidden");
    tree.age("top/.dotfile", kTwoDays);
    tree.mkdir("top/.hidden-folder");  // empty and old, but hidden: it stays
    tree.mkdir("top/new-folder");      // empty and just made: some program's, still in use
    if (TempTree::runningAsRoot()) {
        tree.write("top/foreign.txt", "root's");
        ASSERT_EQ(::lchown(tree.path("top/foreign.txt").c_str(), 0, 0), 0);
        tree.age("top/foreign.txt", kTwoDays);
    }
    for (const char* folder : {"top/keep", "top/fresh-holder", "top/fifo-holder", "top/.hidden-folder"})
        tree.age(folder, kTwoDays);

    std::vector<std::string> paths;
    dw::collectFolderContents(tree.path("top"), rulesForTree(), paths);
    std::sort(paths.begin(), paths.end());
    EXPECT_EQ(paths, (std::vector<std::string>{tree.path("top/fifo-holder/y"), tree.path("top/fresh-holder/x"),
                                               tree.path("top/taken.txt")}));
}

TEST(CleanupCollect, NeverTakesAFolderBeingEmptiedNorAPathTwice)
{
    TempTree tree;
    tree.write("outer/inner/file", "x");
    tree.age("outer/inner/file", kTwoDays);
    tree.age("outer/inner", kTwoDays);
    const std::string outer = withoutSlash(tree.path("outer/"));
    const std::string inner = tree.path("outer/inner");
    const auto paths = dw::collectTargets({outer, inner, outer}, rulesForTree());
    EXPECT_EQ(paths, std::vector<std::string>{tree.path("outer/inner/file")});
}

TEST(CleanupCollect, NothingForAMissingFolder)
{
    TempTree tree;
    std::vector<std::string> paths;
    dw::collectFolderContents(tree.path("absent"), rulesForTree(), paths);
    EXPECT_TRUE(paths.empty());
}

namespace {

// Old files and folders of the user's to clean away, and what must stay: a
// hidden file, and a fresh file with the folder holding it. Each file's
// content is its own name, so a file is known wherever it ends up.
std::vector<std::string> makeCleanableTree(TempTree& tree)
{
    const std::vector<std::string> files = {"tmp/old1",          "tmp/old2",          "tmp/cache/a",
                                            "tmp/cache/sub/b",   "tmp/cache/sub/c",   "tmp/holder/x",
                                            "tmp/.hidden"};
    for (const std::string& file : files) {
        tree.write(file, file);
        tree.age(file, kTwoDays);
    }
    tree.mkdir("tmp/empty");
    for (const char* folder : {"tmp/cache/sub", "tmp/cache", "tmp/holder", "tmp/empty"})
        tree.age(folder, kTwoDays);
    tree.write("tmp/holder/fresh.log", "in use");
    return files;
}

// Cleans the tree's temporary folder the way the program does (collect, then
// delete for good or into the Trash) with a cancel once `cancelAfter` paths
// were shown; says what went wrong, "" when nothing did.
std::string cancelCleaningAfter(std::size_t cancelAfter, bool toTrash)
{
    TempTree tree;
    const std::vector<std::string> files = makeCleanableTree(tree);
    const std::vector<std::string> collected = dw::collectTargets({tree.path("tmp")}, rulesForTree());
    const std::string dataHome = tree.mkdir("data");
    const std::string home = tree.mkdir("home");
    dwtest::ScriptedPrompts prompts;
    prompts.progressSink.cancelAfter = cancelAfter;
    dw::FileOperations operations{prompts};
    for (const std::string& path : collected)
        operations.addSource(path);

    auto body = [&]() -> std::string {
        const dw::OperationReport report = operations.deletePaths(toTrash, toTrash);
        CHECK_AT_CANCEL_POINT(report.ran);
        std::size_t gone = 0;
        for (const std::string& path : collected) {
            const bool present = dwtest::exists(path);
            gone += present ? 0 : 1;
            CHECK_AT_CANCEL_POINT(std::count(report.left.begin(), report.left.end(), path) == (present ? 1 : 0));
        }
        // It stopped right after the path it was showing and claims no more than went.
        CHECK_AT_CANCEL_POINT(gone == std::min(cancelAfter, collected.size()));
        CHECK_AT_CANCEL_POINT(report.done == gone && report.left.size() == collected.size() - gone);
        CHECK_AT_CANCEL_POINT(report.cancelled || gone == collected.size());
        const std::set<std::string> trashed = dwtest::contentsOfFilesBelow(dataHome + "/Trash/files");
        for (const std::string& file : files) {
            if (dwtest::exists(tree.path(file)))
                CHECK_AT_CANCEL_POINT(dwtest::readFile(tree.path(file)) == file);
            else if (toTrash)
                CHECK_AT_CANCEL_POINT(trashed.count(file) == 1);
        }
        CHECK_AT_CANCEL_POINT(dwtest::readFile(tree.path("tmp/holder/fresh.log")) == "in use");
        CHECK_AT_CANCEL_POINT(dwtest::readFile(tree.path("tmp/.hidden")) == "tmp/.hidden");
        return {};
    };
    return toTrash ? dwtest::inChildWithHome(home, dataHome, "", body) : body();
}

#undef CHECK_AT_CANCEL_POINT

}  // namespace

TEST(CleanupCancelled, ForGoodItStopsAtOnceAndKeepsWhatItDidNotReach)
{
    TempTree tree;
    makeCleanableTree(tree);
    // Files, then each folder after its contents; the fresh file's folder stays.
    const auto collected = dw::collectTargets({tree.path("tmp")}, rulesForTree());
    ASSERT_EQ(collected.size(), 9u);
    EXPECT_EQ(indexOf(collected, tree.path("tmp/holder")), collected.size());
    for (std::size_t cancelAfter = 1; cancelAfter <= collected.size(); ++cancelAfter)
        EXPECT_EQ(cancelCleaningAfter(cancelAfter, false), "");
}

TEST(CleanupCancelled, IntoTheTrashEverythingIsInOnePlaceWhole)
{
    for (std::size_t cancelAfter = 1; cancelAfter <= 9; ++cancelAfter)
        EXPECT_EQ(cancelCleaningAfter(cancelAfter, true), "");
}

TEST(CleanupDelete, WhatAppearedSinceTheCollectionStaysWithItsFolders)
{
    for (const bool toTrash : {false, true}) {
        TempTree tree;
        makeCleanableTree(tree);
        const auto collected = dw::collectTargets({tree.path("tmp")}, rulesForTree());
        // While the question is open a program writes into an emptied folder,
        // and another puts a folder with a file where an old file was.
        tree.write("tmp/cache/sub/new.log", "written since");
        ASSERT_EQ(::unlink(tree.path("tmp/old1").c_str()), 0);
        tree.write("tmp/old1/inside", "not collected");
        dwtest::ScriptedPrompts prompts;
        dw::FileOperations operations{prompts};
        for (const std::string& path : collected)
            operations.addSource(path);

        const std::vector<std::string> left = {tree.path("tmp/cache"), tree.path("tmp/cache/sub"),
                                               tree.path("tmp/old1")};
        EXPECT_EQ(dwtest::inChildWithHome(tree.mkdir("home"), tree.mkdir("data"), "", [&]() -> std::string {
                      const dw::OperationReport report = operations.deletePaths(toTrash, toTrash);
                      std::vector<std::string> sortedLeft = report.left;
                      std::sort(sortedLeft.begin(), sortedLeft.end());
                      if (report.done != collected.size() - left.size())
                          return "done " + std::to_string(report.done);
                      return sortedLeft == left ? "" : "left is not the three folders";
                  }),
                  "")
            << (toTrash ? "into the Trash" : "for good");
        EXPECT_EQ(dwtest::readFile(tree.path("tmp/cache/sub/new.log")), "written since");
        EXPECT_EQ(dwtest::readFile(tree.path("tmp/old1/inside")), "not collected");
        EXPECT_FALSE(dwtest::exists(tree.path("tmp/cache/a")));
        EXPECT_FALSE(dwtest::exists(tree.path("tmp/cache/sub/b")));
        EXPECT_FALSE(dwtest::exists(tree.path("tmp/empty")));
    }
}
