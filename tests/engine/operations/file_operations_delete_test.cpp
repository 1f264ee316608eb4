#include "engine/operations/file_operations.h"
#include "engine/operations/file_operations_fixtures.h"
#include "engine/operations/own_delete.h"
#include "engine/texts.h"
#include "support/temp_tree.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

namespace {

using dw::FileOperations;
using dw::ResultKind;
using dw::ResultList;
using dwtest::addRow;
using dwtest::exists;
using dwtest::ScopedMount;
using dwtest::ScriptedPrompts;
using dwtest::TempTree;

dw::SearchSettings ownDelete()
{
    dw::SearchSettings settings;
    settings.useSystemDiskOperations = false;
    settings.removeToRecycleBin = true;  // ignored without the system operation
    return settings;
}

std::vector<std::string> paths(const ResultList& list)
{
    std::vector<std::string> result;
    for (const auto& row : list.rows())
        result.push_back(row.path);
    return result;
}

class FileOperationsDelete : public ::testing::Test {
protected:
    TempTree tree;
    ScriptedPrompts prompts;
    FileOperations operations{prompts};
    ResultList list{ResultKind::BySize};
};

TEST_F(FileOperationsDelete, CollectsFilesBeforeFoldersAndPassesOverGoneFiles)
{
    addRow(list, tree.mkdir("folder"));
    addRow(list, tree.write("a.txt", "a"));
    const std::string gone = tree.write("gone.txt", "g");
    addRow(list, gone);
    ASSERT_EQ(::unlink(gone.c_str()), 0);
    addRow(list, tree.write("unchecked.txt", "u"), false);
    addRow(list, tree.write("b.txt", "b"));

    ASSERT_TRUE(operations.collectCheckedRows(list));
    const std::vector<std::string> expected = {tree.path("a.txt"), tree.path("b.txt"),
                                               tree.path("folder")};
    EXPECT_EQ(operations.sources(), expected);
    for (const auto& row : list.rows())
        EXPECT_NE(row.textColour, dw::kUnusableRowColour) << row.path;

    // A second collection starts afresh.
    list.setChecked(1, false);
    ASSERT_TRUE(operations.collectCheckedRows(list));
    EXPECT_EQ(operations.sources().size(), 2u);
}

TEST_F(FileOperationsDelete, OwnDeleteAsksWithTheCountAndNoLeavesEverything)
{
    for (const char* name : {"1.txt", "2.txt", "3.txt"})
        addRow(list, tree.write(name, "data"));
    const std::uint64_t total = list.totalSizeOnDisk();

    prompts.answerYes = false;
    auto report = operations.deleteChecked(list, ownDelete());
    EXPECT_FALSE(report.ran);
    EXPECT_EQ(prompts.permanentCounts, std::vector<std::size_t>{3});
    EXPECT_TRUE(prompts.trashCounts.empty());
    EXPECT_TRUE(operations.sources().empty());
    EXPECT_EQ(list.size(), 3u);
    EXPECT_EQ(list.totalSizeOnDisk(), total);
    EXPECT_TRUE(exists(tree.path("1.txt")));

    prompts.answerYes = true;
    report = operations.deleteChecked(list, ownDelete());
    EXPECT_TRUE(report.ran);
    EXPECT_EQ(report.done, 3u);
    EXPECT_EQ(prompts.permanentCounts, (std::vector<std::size_t>{3, 3}));
    EXPECT_FALSE(exists(tree.path("1.txt")));
    EXPECT_EQ(list.size(), 0u);
    EXPECT_EQ(list.totalSizeOnDisk(), 0u);
    EXPECT_EQ(list.checkedCount(), 0u);
    EXPECT_TRUE(operations.sources().empty());
    EXPECT_EQ(prompts.progressSink.title, dw::text::DeleteCaption);
    EXPECT_EQ(prompts.progressSink.hides, 1);
}

TEST_F(FileOperationsDelete, FolderGoesWholeWithoutFollowingLinksOrCrossingIntoTheirTargets)
{
    TempTree elsewhere;
    elsewhere.write("keep/precious.txt", "keep me");
    tree.write("doomed/.hidden", "h");
    tree.write("doomed/sub/deep/file.bin", "x");
    tree.write("doomed/line\nbreak.txt", "newline in the name");
    const std::string readOnly = tree.write("doomed/sub/read-only.txt", "r");
    ASSERT_EQ(::chmod(readOnly.c_str(), 0444), 0);
    const std::vector<std::pair<std::string, std::string>> links = {
        {elsewhere.path("keep"), "doomed/link-to-folder"},
        {elsewhere.path("keep/precious.txt"), "doomed/sub/link-to-file"},
        {"/", "doomed/root"}};
    for (const auto& [target, link] : links) {
        ASSERT_EQ(::symlink(target.c_str(), tree.path(link).c_str()), 0);
        tree.ownAsUser(tree.path(link));
    }
    ASSERT_EQ(::mkfifo(tree.path("doomed/fifo").c_str(), 0600), 0);
    tree.ownAsUser(tree.path("doomed/fifo"));

    addRow(list, tree.path("doomed"));
    addRow(list, tree.path("doomed/sub/deep/file.bin"), false);
    addRow(list, tree.write("outside.txt", "o"), false);
    auto report = operations.deleteChecked(list, ownDelete());

    EXPECT_EQ(report.done, 1u);
    EXPECT_FALSE(exists(tree.path("doomed")));
    EXPECT_EQ(dwtest::readFile(elsewhere.path("keep/precious.txt")), "keep me");
    EXPECT_TRUE(exists("/etc") && exists("/usr"));
    // The unchecked row inside the deleted folder went with it; the one outside stays.
    EXPECT_EQ(paths(list), std::vector<std::string>{tree.path("outside.txt")});
}

TEST_F(FileOperationsDelete, OurOwnLockedFoldersInsideAMarkedFolderAreOpenedOnlyThere)
{
    // As the ordinary account: a folder of ours without write permission inside
    // the marked folder is emptied; the marked folder's own parent is not touched.
    tree.write("parent/marked/locked/file.txt", "f");
    tree.write("parent/marked/top.txt", "t");
    tree.write("parent/kept.txt", "k");
    ASSERT_EQ(::chmod(tree.path("parent/marked/locked").c_str(), 0500), 0);
    ASSERT_EQ(::symlink("/", tree.path("parent/marked/root").c_str()), 0);
    tree.ownAsUser(tree.path("parent/marked/root"));
    const std::string marked = tree.path("parent/marked");
    const std::string parent = tree.path("parent");
    struct stat before {};
    ASSERT_EQ(::stat(parent.c_str(), &before), 0);

    EXPECT_TRUE(TempTree::runAsUser([&] {
        return dw::deletePermanently(marked, nullptr) == dw::DeleteOutcome::Deleted;
    }));
    EXPECT_FALSE(exists(marked));
    EXPECT_TRUE(exists(tree.path("parent/kept.txt")));
    EXPECT_TRUE(exists("/etc") && exists("/usr"));
    struct stat after {};
    ASSERT_EQ(::stat(parent.c_str(), &after), 0);
    EXPECT_EQ(after.st_mode, before.st_mode);
}

TEST_F(FileOperationsDelete, AFileWeCannotDeleteTurnsRedAndIsNotCounted)
{
    tree.write("locked/stuck.txt", "s");
    tree.write("free.txt", "f");
    ASSERT_EQ(::chmod(tree.path("locked").c_str(), 0555), 0);
    const std::string stuck = tree.path("locked/stuck.txt");
    const std::string free = tree.path("free.txt");
    std::vector<std::string> kept = {stuck};
    addRow(list, stuck);
    if (TempTree::runningAsRoot()) {
        // Another account's file in another account's sticky folder (as
        // /tmp), and a system folder.
        const std::string foreign = tree.write("sticky/foreign.txt", "x");
        ASSERT_EQ(::chown(foreign.c_str(), 0, 0), 0);
        ASSERT_EQ(::chown(tree.path("sticky").c_str(), 0, 0), 0);
        ASSERT_EQ(::chmod(tree.path("sticky").c_str(), 01777), 0);
        const std::string system = tree.mkdir("system");
        addRow(list, system);  // still a user's folder while the row is added
        ASSERT_EQ(::chown(system.c_str(), 0, 0), 0);
        addRow(list, foreign);
        kept.insert(kept.end(), {system, foreign});
    }
    addRow(list, free);

    EXPECT_TRUE(TempTree::runAsUser([&] {
        auto report = operations.deleteChecked(list, ownDelete());
        bool allRed = true;
        for (const auto& row : list.rows())
            allRed = allRed && row.textColour == dw::kUnusableRowColour;
        return prompts.permanentCounts == std::vector<std::size_t>{1} && report.done == 1 &&
               !exists(free) && paths(list) == kept && allRed;
    }));
    for (const std::string& path : kept)
        EXPECT_TRUE(exists(path)) << path;
}

TEST_F(FileOperationsDelete, AFailingFileAbandonsTheRestOfItsPathOnly)
{
    if (!TempTree::runningAsRoot())
        GTEST_SKIP() << "needs a folder of another account inside the marked one (root only)";
    tree.write("first/a.txt", "a");
    tree.write("first/foreign/z.txt", "z");
    ASSERT_EQ(::chown(tree.path("first/foreign").c_str(), 0, 0), 0);
    tree.write("second.txt", "2");
    addRow(list, tree.path("first"));
    addRow(list, tree.path("second.txt"));
    const std::string first = tree.path("first");

    EXPECT_TRUE(TempTree::runAsUser([&] {
        auto report = operations.deleteChecked(list, ownDelete());
        return report.left == std::vector<std::string>{first} && report.done == 1 &&
               list.size() == 1 && list.row(0).path == first;
    }));
    EXPECT_TRUE(exists(tree.path("first/foreign/z.txt")));
    EXPECT_TRUE(exists(tree.path("first")));
    EXPECT_FALSE(exists(tree.path("second.txt")));
}

TEST_F(FileOperationsDelete, CancelStopsBetweenFilesAndKeepsTheRest)
{
    for (const char* name : {"1.txt", "2.txt", "3.txt"})
        addRow(list, tree.write(name, "data"));
    tree.write("folder/inner.txt", "i");
    addRow(list, tree.path("folder"));
    prompts.progressSink.cancelAfter = 2;

    auto report = operations.deleteChecked(list, ownDelete());
    EXPECT_TRUE(report.cancelled);
    EXPECT_EQ(report.done, 2u);
    EXPECT_FALSE(exists(tree.path("1.txt")));
    EXPECT_FALSE(exists(tree.path("2.txt")));
    EXPECT_TRUE(exists(tree.path("3.txt")));
    EXPECT_TRUE(exists(tree.path("folder/inner.txt")));
    EXPECT_EQ(paths(list), (std::vector<std::string>{tree.path("3.txt"), tree.path("folder")}));
    EXPECT_TRUE(operations.sources().empty());
}

TEST_F(FileOperationsDelete, MountedFileSystemsAreNeverEntered)
{
    tree.mkdir("marked-mount");
    tree.write("holder/plain.txt", "p");
    tree.mkdir("holder/mounted");
    tree.mkdir("holder/bound");
    TempTree outside;
    outside.write("survivor.txt", "bind source");
    auto marked = ScopedMount::tmpfs(tree.path("marked-mount"), TempTree::userUid());
    auto inner = ScopedMount::tmpfs(tree.path("holder/mounted"), TempTree::userUid());
    auto bound = ScopedMount::bind(outside.root(), tree.path("holder/bound"));
    if (!marked || !inner || !bound)
        GTEST_SKIP() << "mounting a tmpfs or a bind mount is not allowed here";
    tree.write("marked-mount/on-tmpfs.txt", "m");
    tree.write("holder/mounted/on-tmpfs.txt", "m");

    addRow(list, tree.path("marked-mount"));
    addRow(list, tree.path("holder"));
    auto report = operations.deleteChecked(list, ownDelete());

    const std::vector<std::string> left = {tree.path("marked-mount"), tree.path("holder")};
    EXPECT_EQ(report.left, left);
    EXPECT_TRUE(exists(tree.path("marked-mount/on-tmpfs.txt")));
    EXPECT_TRUE(exists(tree.path("holder/mounted/on-tmpfs.txt")));
    EXPECT_EQ(dwtest::readFile(outside.path("survivor.txt")), "bind source");
    EXPECT_FALSE(exists(tree.path("holder/plain.txt")));
    EXPECT_EQ(list.size(), 2u);

    // Listing a folder's contents stops at the mounts too.
    EXPECT_TRUE(dw::listFolderContents(tree.path("holder")).empty());
    EXPECT_EQ(dw::listFolderContents(tree.path("marked-mount")),
              std::vector<std::string>{tree.path("marked-mount/on-tmpfs.txt")});
}

TEST_F(FileOperationsDelete, FolderContentsGoAndTheFolderRowStays)
{
    tree.write("box/a.txt", "a");
    tree.write("box/sub/b.txt", "b");
    tree.write("box/.hidden", "h");
    addRow(list, tree.path("box"), false);
    addRow(list, tree.path("box/a.txt"), false);
    addRow(list, tree.write("other.txt", "o"), false);
    const std::uint64_t folderOnDisk = list.row(0).sizeOnDisk;

    // Nothing checked: the selected row is used.
    auto report = operations.deleteFolderContents(list, 0, ownDelete());
    EXPECT_EQ(prompts.permanentCounts, std::vector<std::size_t>{4});
    EXPECT_EQ(report.done, 4u);
    EXPECT_TRUE(exists(tree.path("box")));
    EXPECT_TRUE(dw::listFolderContents(tree.path("box")).empty());
    EXPECT_EQ(paths(list), (std::vector<std::string>{tree.path("box"), tree.path("other.txt")}));
    EXPECT_EQ(list.row(0).sizeOnDisk, folderOnDisk);

    // An empty folder finds nothing and asks nothing.
    report = operations.deleteFolderContents(list, 0, ownDelete());
    EXPECT_FALSE(report.ran);
    EXPECT_EQ(prompts.permanentCounts.size(), 1u);
}

TEST_F(FileOperationsDelete, DeletingEveryCopyOfADuplicateAsksFirst)
{
    ResultList duplicates{ResultKind::Duplicates};
    addRow(duplicates, tree.write("a1", "same a"), true, 1);
    addRow(duplicates, tree.write("a2", "same a"), false, 1);
    addRow(duplicates, tree.write("b1", "same b"), true, 2);
    addRow(duplicates, tree.write("b2", "same b"), true, 2);

    prompts.allCopiesAnswer = false;
    auto report = operations.deleteChecked(duplicates, ownDelete());
    EXPECT_EQ(prompts.allCopiesQuestions, 1);
    EXPECT_FALSE(report.ran);
    EXPECT_TRUE(prompts.permanentCounts.empty());
    EXPECT_EQ(duplicates.size(), 4u);
    EXPECT_TRUE(exists(tree.path("b1")) && exists(tree.path("b2")));

    // One copy of each kept: no extra question.
    duplicates.setChecked(3, false);
    report = operations.deleteChecked(duplicates, ownDelete());
    EXPECT_EQ(prompts.allCopiesQuestions, 1);
    EXPECT_EQ(report.done, 2u);
    EXPECT_EQ(paths(duplicates), (std::vector<std::string>{tree.path("a2"), tree.path("b2")}));

    // Other lists never ask.
    addRow(list, tree.path("a2"));
    operations.deleteChecked(list, ownDelete());
    EXPECT_EQ(prompts.allCopiesQuestions, 1);
}

TEST_F(FileOperationsDelete, DropVanishedRowsKeepsTotalsRight)
{
    for (const char* name : {"1", "2", "3", "4"})
        addRow(list, tree.write(name, std::string(5000, 'x')), false);
    list.setChecked(0, true);
    list.setChecked(1, true);
    const std::uint64_t one = list.row(0).sizeOnDisk;
    for (const char* name : {"1", "3"})
        ASSERT_EQ(::unlink(tree.path(name).c_str()), 0);

    EXPECT_EQ(FileOperations::dropVanishedRows(list, true), 1u);
    EXPECT_EQ(list.size(), 3u);
    EXPECT_EQ(list.checkedCount(), 1u);
    EXPECT_EQ(list.checkedSizeOnDisk(), one);
    EXPECT_EQ(FileOperations::dropVanishedRows(list, false), 1u);
    EXPECT_EQ(paths(list), (std::vector<std::string>{tree.path("2"), tree.path("4")}));
    EXPECT_EQ(list.totalSizeOnDisk(), 2 * one);
}

}  // namespace
