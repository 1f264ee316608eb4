#include "engine/operations/file_operations.h"
#include "engine/operations/file_operations_fixtures.h"
#include "engine/operations/own_delete.h"
#include "engine/texts.h"
#include "support/temp_tree.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <climits>

namespace {

using dw::FileOperations;
using dw::OperationPrompts;
using dw::ResultKind;
using dw::ResultList;
using dwtest::addRow;
using dwtest::exists;
using dwtest::ScopedMount;
using dwtest::ScriptedPrompts;
using dwtest::TempTree;
using Conflict = OperationPrompts::Conflict;

struct stat statOf(const std::string& path)
{
    struct stat st {};
    EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
    return st;
}

std::string linkTarget(const std::string& path)
{
    char buffer[PATH_MAX];
    ssize_t n = ::readlink(path.c_str(), buffer, sizeof buffer);
    return n < 0 ? std::string() : std::string(buffer, static_cast<std::size_t>(n));
}

// No half-written temporary is ever left in a target folder.
bool noPartFiles(const std::string& folder)
{
    for (const std::string& path : dw::listFolderContents(folder))
        if (path.find(".dw-part-") != std::string::npos)
            return false;
    return true;
}

class FileOperationsTransfer : public ::testing::Test {
protected:
    void SetUp() override { prompts.folder = tree.mkdir("target"); }

    // A file with a distinct mode and old times.
    std::string oldFile(const std::string& relative, const std::string& content, mode_t mode)
    {
        std::string path = tree.write(relative, content);
        EXPECT_EQ(::chmod(path.c_str(), mode), 0);
        tree.age(relative, 86400 * 400);
        return path;
    }
    void expectSameAttributes(const std::string& from, const std::string& to)
    {
        struct stat a = statOf(from);
        struct stat b = statOf(to);
        EXPECT_EQ(a.st_mode, b.st_mode) << to;
        EXPECT_EQ(a.st_mtim.tv_sec, b.st_mtim.tv_sec) << to;
        EXPECT_EQ(a.st_mtim.tv_nsec, b.st_mtim.tv_nsec) << to;
    }

    TempTree tree;
    ScriptedPrompts prompts;
    FileOperations operations{prompts};
    ResultList list{ResultKind::ByMask};
};

TEST_F(FileOperationsTransfer, CopyKeepsTimesModesAndLinksAndKeepsTheRows)
{
    const std::string file = oldFile("src/report.txt", "report", 0640);
    oldFile("src/tree/.dot", "dot", 0600);
    oldFile("src/tree/sub/deep.bin", dwtest::makeBytes(3 << 20, 7), 0755);
    ASSERT_EQ(::symlink("sub/deep.bin", tree.path("src/tree/relative-link").c_str()), 0);
    ASSERT_EQ(::symlink("/", tree.path("src/tree/root-link").c_str()), 0);
    ASSERT_EQ(::chmod(tree.path("src/tree/sub").c_str(), 0750), 0);
    tree.age("src/tree/sub", 86400 * 30);
    addRow(list, file);
    addRow(list, tree.path("src/tree"));

    auto report = operations.copyChecked(list);
    EXPECT_EQ(report.done, 2u);
    ASSERT_EQ(prompts.chosenFor.size(), 1u);
    EXPECT_EQ(prompts.chosenFor[0], OperationPrompts::Transfer::Copy);
    EXPECT_EQ(prompts.progressSink.title, dw::text::CopyCaption);
    EXPECT_EQ(dwtest::readFile(tree.path("target/report.txt")), "report");
    expectSameAttributes(file, tree.path("target/report.txt"));
    expectSameAttributes(tree.path("src/tree/sub/deep.bin"), tree.path("target/tree/sub/deep.bin"));
    expectSameAttributes(tree.path("src/tree/sub"), tree.path("target/tree/sub"));
    EXPECT_EQ(dwtest::readFile(tree.path("target/tree/sub/deep.bin")),
              dwtest::makeBytes(3 << 20, 7));
    EXPECT_EQ(dwtest::readFile(tree.path("target/tree/.dot")), "dot");
    EXPECT_EQ(linkTarget(tree.path("target/tree/relative-link")), "sub/deep.bin");
    EXPECT_EQ(linkTarget(tree.path("target/tree/root-link")), "/");
    EXPECT_EQ(list.size(), 2u);
    EXPECT_TRUE(exists(file));
    EXPECT_TRUE(operations.sources().empty());
    EXPECT_TRUE(noPartFiles(tree.path("target")));
}

TEST_F(FileOperationsTransfer, MoveWithinAFileSystemRenamesAndDropsTheRows)
{
    const std::string file = tree.write("src/a.txt", "a");
    tree.write("src/folder/inner.txt", "i");
    const ino_t inode = statOf(file).st_ino;
    addRow(list, file);
    addRow(list, tree.path("src/folder"));
    addRow(list, tree.path("src/folder/inner.txt"), false);
    addRow(list, tree.write("src/stays.txt", "s"), false);
    addRow(list, tree.write("src/line\nbreak.txt", "n"));

    auto report = operations.moveChecked(list);
    EXPECT_EQ(report.done, 3u);
    EXPECT_EQ(dwtest::readFile(tree.path("target/line\nbreak.txt")), "n");
    EXPECT_EQ(statOf(tree.path("target/a.txt")).st_ino, inode);
    EXPECT_EQ(dwtest::readFile(tree.path("target/folder/inner.txt")), "i");
    EXPECT_FALSE(exists(file));
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list.row(0).path, tree.path("src/stays.txt"));
}

TEST_F(FileOperationsTransfer, AMoveCancelledHalfWayLosesNothing)
{
    for (const char* name : {"1.txt", "2.txt", "3.txt"})
        addRow(list, tree.write(std::string("src/") + name, name));
    addRow(list, tree.write("src/unmarked.txt", "u"), false);
    prompts.progressSink.cancelAfter = 2;

    auto report = operations.moveChecked(list);
    EXPECT_TRUE(report.cancelled);
    EXPECT_TRUE(exists(tree.path("src/3.txt")));
    EXPECT_TRUE(exists(tree.path("src/unmarked.txt")));
    EXPECT_FALSE(exists(tree.path("target/unmarked.txt")));
    // Every marked file is in exactly one place, whole, and keeps a row while it
    // is still in the source.
    for (const char* name : {"1.txt", "2.txt", "3.txt"}) {
        const bool moved = exists(tree.path(std::string("target/") + name));
        EXPECT_NE(moved, exists(tree.path(std::string("src/") + name))) << name;
        EXPECT_EQ(dwtest::readFile(tree.path(std::string(moved ? "target/" : "src/") + name)), name);
        const std::string source = tree.path(std::string("src/") + name);
        bool hasRow = false;
        for (const auto& row : list.rows())
            hasRow = hasRow || row.path == source;
        EXPECT_EQ(!moved, hasRow) << name;
    }
}

TEST_F(FileOperationsTransfer, MoveAcrossFileSystemsCopiesThenDeletes)
{
    tree.mkdir("other-fs");
    auto mounted = ScopedMount::tmpfs(tree.path("other-fs"), TempTree::userUid());
    if (!mounted)
        GTEST_SKIP() << "mounting a tmpfs is not allowed here";
    prompts.folder = tree.path("other-fs");
    const std::string file = oldFile("src/a.txt", "moved", 0604);
    oldFile("src/folder/sub/b.txt", "b", 0600);
    ASSERT_EQ(::symlink("sub/b.txt", tree.path("src/folder/link").c_str()), 0);
    const struct stat before = statOf(file);
    addRow(list, file);
    addRow(list, tree.path("src/folder"));

    auto report = operations.moveChecked(list);
    EXPECT_EQ(report.done, 2u);
    EXPECT_FALSE(exists(file));
    EXPECT_FALSE(exists(tree.path("src/folder")));
    struct stat after = statOf(tree.path("other-fs/a.txt"));
    EXPECT_EQ(after.st_mode, before.st_mode);
    EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
    EXPECT_EQ(dwtest::readFile(tree.path("other-fs/folder/sub/b.txt")), "b");
    EXPECT_EQ(linkTarget(tree.path("other-fs/folder/link")), "sub/b.txt");
    EXPECT_EQ(list.size(), 0u);
}

TEST_F(FileOperationsTransfer, AcrossFileSystemsNothingIsDeletedBeforeItsCopyIsComplete)
{
    tree.mkdir("other-fs");
    auto mounted = ScopedMount::tmpfs(tree.path("other-fs"), TempTree::userUid());
    if (!mounted)
        GTEST_SKIP() << "mounting a tmpfs is not allowed here";
    prompts.folder = tree.path("other-fs");

    // A folder with a part that cannot be read stays whole at the source.
    tree.write("src/whole/readable.txt", "r");
    const std::string secret = tree.write("src/whole/secret.txt", "s");
    ASSERT_EQ(::chmod(secret.c_str(), 0), 0);
    addRow(list, tree.path("src/whole"));
    const std::string source = tree.path("src/whole");
    EXPECT_TRUE(TempTree::runAsUser([&] {
        auto report = operations.moveChecked(list);
        return report.left == std::vector<std::string>{source} && list.size() == 1;
    }));
    EXPECT_TRUE(exists(tree.path("src/whole/readable.txt")));
    EXPECT_TRUE(exists(secret));
    EXPECT_FALSE(exists(tree.path("other-fs/whole/secret.txt")));

    // Merging into an existing folder moves each entry on its own: a skipped
    // clash stays at the source, the rest arrives and leaves.
    list.deleteAllRows();
    tree.write("src/folder/clash.txt", "new");
    tree.write("src/folder/fresh.txt", "fresh");
    tree.write("other-fs/folder/clash.txt", "old");
    addRow(list, tree.path("src/folder"));
    // Merge the folder, keep the clashing file.
    prompts.replaceAnswers = {Conflict::Replace, Conflict::Skip};
    auto report = operations.moveChecked(list);
    EXPECT_EQ(report.done, 0u);
    const std::vector<std::string> asked = {tree.path("other-fs/folder"),
                                            tree.path("other-fs/folder/clash.txt")};
    EXPECT_EQ(prompts.replaceTargets, asked);
    EXPECT_EQ(dwtest::readFile(tree.path("other-fs/folder/clash.txt")), "old");
    EXPECT_EQ(dwtest::readFile(tree.path("other-fs/folder/fresh.txt")), "fresh");
    EXPECT_EQ(dwtest::readFile(tree.path("src/folder/clash.txt")), "new");
    EXPECT_FALSE(exists(tree.path("src/folder/fresh.txt")));
    EXPECT_EQ(list.size(), 1u);
}

TEST_F(FileOperationsTransfer, ExistingTargetsAreReplacedOnlyWhenTheUserSaysSo)
{
    for (const char* name : {"1.txt", "2.txt", "3.txt", "4.txt"}) {
        addRow(list, tree.write(std::string("src/") + name, std::string("new ") + name));
        tree.write(std::string("target/") + name, "old");
    }

    // Skip, then replace all: the question comes three times for four clashes.
    prompts.replaceAnswers = {Conflict::Skip, Conflict::Replace, Conflict::ReplaceAll};
    auto report = operations.copyChecked(list);
    EXPECT_EQ(prompts.replaceTargets.size(), 3u);
    EXPECT_EQ(report.done, 3u);
    EXPECT_EQ(report.left, std::vector<std::string>{tree.path("src/1.txt")});
    EXPECT_EQ(dwtest::readFile(tree.path("target/1.txt")), "old");
    EXPECT_EQ(dwtest::readFile(tree.path("target/4.txt")), "new 4.txt");

    // Skip all on a move: nothing moves, every row stays.
    prompts.replaceTargets.clear();
    prompts.replaceAnswers = {Conflict::SkipAll};
    report = operations.moveChecked(list);
    EXPECT_EQ(prompts.replaceTargets.size(), 1u);
    EXPECT_EQ(report.done, 0u);
    EXPECT_EQ(list.size(), 4u);
    EXPECT_EQ(dwtest::readFile(tree.path("src/1.txt")), "new 1.txt");

    // Cancel stops at the first question; later files are not touched.
    prompts.replaceAnswers = {Conflict::Cancel};
    report = operations.moveChecked(list);
    EXPECT_TRUE(report.cancelled);
    EXPECT_EQ(report.left.size(), 4u);
    EXPECT_TRUE(exists(tree.path("src/4.txt")));
    EXPECT_TRUE(noPartFiles(tree.path("target")));
}

TEST_F(FileOperationsTransfer, ReplacingALinkNeverWritesThroughIt)
{
    TempTree elsewhere;
    const std::string victim = elsewhere.write("victim.txt", "untouched");
    ASSERT_EQ(::symlink(victim.c_str(), tree.path("target/a.txt").c_str()), 0);
    tree.write("target/folder.txt/inner", "a folder where a file would go");
    addRow(list, tree.write("src/a.txt", "replacement"));
    addRow(list, tree.write("src/folder.txt", "file"));
    prompts.replaceAnswers = {Conflict::ReplaceAll};

    auto report = operations.copyChecked(list);
    EXPECT_EQ(dwtest::readFile(victim), "untouched");
    EXPECT_TRUE(S_ISREG(statOf(tree.path("target/a.txt")).st_mode));
    EXPECT_EQ(dwtest::readFile(tree.path("target/a.txt")), "replacement");
    // A file never replaces a folder (nor a folder a file): no question, no change.
    EXPECT_EQ(report.left, std::vector<std::string>{tree.path("src/folder.txt")});
    EXPECT_EQ(prompts.replaceTargets.size(), 1u);
    EXPECT_TRUE(exists(tree.path("target/folder.txt/inner")));
}

TEST_F(FileOperationsTransfer, AFolderIsNeverPutIntoItselfAndAFileNeverOntoItself)
{
    tree.write("src/folder/sub/keep.txt", "keep");
    addRow(list, tree.path("src/folder"));
    prompts.folder = tree.path("src/folder/sub");
    auto report = operations.moveChecked(list);
    EXPECT_EQ(report.done, 0u);
    EXPECT_EQ(report.left, std::vector<std::string>{tree.path("src/folder")});
    EXPECT_EQ(dwtest::readFile(tree.path("src/folder/sub/keep.txt")), "keep");
    EXPECT_FALSE(exists(tree.path("src/folder/sub/folder")));
    EXPECT_EQ(list.size(), 1u);

    prompts.folder = tree.path("src/folder") + "/";
    report = operations.copyChecked(list);
    EXPECT_EQ(report.done, 0u);
    EXPECT_FALSE(exists(tree.path("src/folder/folder")));

    // A file copied into its own folder would be truncated by a naive copy.
    ResultList files{ResultKind::BySize};
    addRow(files, tree.path("src/folder/sub/keep.txt"));
    prompts.folder = tree.path("src/folder/sub");
    report = operations.copyChecked(files);
    EXPECT_EQ(report.done, 0u);
    EXPECT_TRUE(prompts.replaceTargets.empty());
    EXPECT_EQ(dwtest::readFile(tree.path("src/folder/sub/keep.txt")), "keep");
    report = operations.moveChecked(files);
    EXPECT_EQ(files.size(), 1u);
    EXPECT_EQ(dwtest::readFile(tree.path("src/folder/sub/keep.txt")), "keep");
}

TEST_F(FileOperationsTransfer, AMountPointIsNeverMoved)
{
    tree.mkdir("mounted");
    auto mounted = ScopedMount::tmpfs(tree.path("mounted"), TempTree::userUid());
    if (!mounted)
        GTEST_SKIP() << "mounting a tmpfs is not allowed here";
    tree.write("mounted/data.txt", "d");
    addRow(list, tree.path("mounted"));
    auto report = operations.moveChecked(list);
    EXPECT_EQ(report.left, std::vector<std::string>{tree.path("mounted")});
    EXPECT_TRUE(exists(tree.path("mounted/data.txt")));
    EXPECT_FALSE(exists(tree.path("target/mounted")));
    EXPECT_EQ(list.size(), 1u);
}

TEST_F(FileOperationsTransfer, UnreadableFilesAndCancelledChoicesChangeNothing)
{
    const std::string secret = tree.write("src/secret.txt", "secret");
    ASSERT_EQ(::chmod(secret.c_str(), 0), 0);
    const std::string plain = tree.write("src/plain.txt", "plain");
    addRow(list, secret);
    addRow(list, plain);
    const std::string target = tree.path("target");

    EXPECT_TRUE(TempTree::runAsUser([&] {
        auto report = operations.copyChecked(list);
        return report.left == std::vector<std::string>{secret} && report.done == 1 &&
               !exists(target + "/secret.txt") && noPartFiles(target);
    }));

    prompts.folder = std::nullopt;
    auto report = operations.moveChecked(list);
    EXPECT_FALSE(report.ran);
    EXPECT_TRUE(operations.sources().empty());
    EXPECT_TRUE(exists(plain));
    prompts.folder = "";
    report = operations.copyChecked(list);
    EXPECT_FALSE(report.ran);
    EXPECT_EQ(list.size(), 2u);
}

TEST_F(FileOperationsTransfer, RunSystemOperationNeedsPreparationAndOneDestination)
{
    const std::string file = tree.write("src/a.txt", "a");
    operations.addSource(file);
    operations.addDestination(tree.path("target"));
    EXPECT_FALSE(operations.runSystemOperation().ran);  // not prepared
    operations.prepare(dw::FileOperation::Copy, false);
    operations.addDestination(tree.path("target"));
    EXPECT_FALSE(operations.runSystemOperation().ran);  // two destinations for one source
    operations.clear();
    EXPECT_FALSE(operations.isPrepared());
    operations.addSource(file);
    operations.addDestination(tree.path("target"));
    operations.prepare(dw::FileOperation::Copy, false);
    EXPECT_EQ(operations.runSystemOperation().done, 1u);
    EXPECT_EQ(dwtest::readFile(tree.path("target/a.txt")), "a");
}

}  // namespace
