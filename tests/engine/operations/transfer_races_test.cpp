// Copies and moves while other programs change the files: a target name taken
// meanwhile is never written over, and a move across file systems deletes
// only what it copied.

#include "engine/operations/file_operations.h"
#include "engine/operations/file_operations_fixtures.h"
#include "engine/operations/own_delete.h"
#include "support/temp_tree.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

using dw::FileOperations;
using dw::OperationPrompts;
using dw::ResultKind;
using dw::ResultList;
using dwtest::addSearchedRow;
using dwtest::exists;
using dwtest::ScopedMount;
using dwtest::ScriptedPrompts;
using dwtest::TempTree;
using Conflict = OperationPrompts::Conflict;

bool noPartFiles(const std::string& folder)
{
    for (const std::string& path : dw::listFolderContents(folder))
        if (path.find(".dw-part-") != std::string::npos)
            return false;
    return true;
}

class TransferRaces : public ::testing::Test {
protected:
    TempTree tree;
    ScriptedPrompts prompts;
    FileOperations operations{prompts};
    ResultList list{ResultKind::ByMask};
};

TEST_F(TransferRaces, AFolderMovesIntoItsSiblingWhoseNameItStarts)
{
    tree.write("src/folder/inner.txt", "inner");
    tree.mkdir("src/folder2");
    addSearchedRow(list, tree.path("src/folder"));
    prompts.folder = tree.path("src/folder2");

    auto report = operations.moveChecked(list);
    EXPECT_EQ(report.done, 1u);
    EXPECT_TRUE(report.left.empty());
    EXPECT_EQ(dwtest::readFile(tree.path("src/folder2/folder/inner.txt")), "inner");
    EXPECT_FALSE(exists(tree.path("src/folder")));
}

TEST_F(TransferRaces, ATargetThatAppearsDuringTheCopyIsNeverOverwritten)
{
    const std::string target = tree.mkdir("target");
    prompts.folder = target;
    addSearchedRow(list, tree.write("src/1.txt", "new 1"));
    addSearchedRow(list, tree.write("src/2.txt", "new 2"));
    tree.write("target/2.txt", "old 2");
    // 1.txt finds its name free, then someone takes it before the copy lands;
    // 2.txt's old target, which the user agrees to replace, is replaced by
    // another file while the question is open.
    prompts.progressSink.onShow = [&](const std::string& path) {
        if (path == tree.path("src/1.txt"))
            tree.write("target/1.txt", "racer 1");
    };
    prompts.onQuestion = [&] { dwtest::replaceFile(target + "/2.txt", "racer 2"); };
    prompts.replaceAnswers = {Conflict::Replace};

    auto report = operations.copyChecked(list);
    const std::vector<std::string> both = {tree.path("src/1.txt"), tree.path("src/2.txt")};
    EXPECT_EQ(report.left, both);
    EXPECT_EQ(dwtest::readFile(target + "/1.txt"), "racer 1");
    EXPECT_EQ(dwtest::readFile(target + "/2.txt"), "racer 2");
    EXPECT_TRUE(noPartFiles(target));

    // A move within the file system keeps both files the same way.
    prompts.progressSink.onShow = nullptr;
    prompts.onQuestion = [&] { dwtest::replaceFile(target + "/2.txt", "racer 3"); };
    prompts.replaceAnswers = {Conflict::Skip, Conflict::Replace};
    report = operations.moveChecked(list);
    EXPECT_EQ(dwtest::readFile(target + "/2.txt"), "racer 3");
    EXPECT_EQ(dwtest::readFile(tree.path("src/2.txt")), "new 2");
    EXPECT_EQ(list.size(), 2u);
}

TEST_F(TransferRaces, AMoveAcrossFileSystemsLeavesWhatCameInMeanwhile)
{
    tree.mkdir("other-fs");
    auto mounted = ScopedMount::tmpfs(tree.path("other-fs"), TempTree::userUid());
    if (!mounted)
        GTEST_SKIP() << "mounting a tmpfs is not allowed here";
    prompts.folder = tree.path("other-fs");
    tree.write("src/folder/a.txt", "a");
    tree.write("src/folder/b.txt", "b");
    tree.write("src/folder/sub/c.txt", "c");
    addSearchedRow(list, tree.path("src/folder"));
    // The folder is listed by now: its first file is being copied.
    bool created = false;
    prompts.progressSink.onShow = [&](const std::string& path) {
        if (created || path.size() < 4 || path.compare(path.size() - 4, 4, ".txt") != 0)
            return;
        tree.write("src/folder/new.txt", "came later");
        created = true;
    };

    auto report = operations.moveChecked(list);
    EXPECT_EQ(report.done, 0u);
    EXPECT_EQ(report.left, std::vector<std::string>{tree.path("src/folder")});
    EXPECT_EQ(dwtest::readFile(tree.path("src/folder/new.txt")), "came later");
    for (const char* moved : {"a.txt", "b.txt", "sub/c.txt"}) {
        EXPECT_FALSE(exists(tree.path(std::string("src/folder/") + moved))) << moved;
        EXPECT_TRUE(exists(tree.path(std::string("other-fs/folder/") + moved))) << moved;
    }
    EXPECT_FALSE(exists(tree.path("src/folder/sub")));
    EXPECT_EQ(list.size(), 1u);
}

}  // namespace
