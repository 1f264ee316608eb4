// "Delete folder contents" leaves the files of system accounts where they
// are, and every folder above them.

#include "engine/operations/file_operations.h"
#include "engine/operations/file_operations_fixtures.h"
#include "support/temp_tree.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

using dw::FileOperations;
using dw::ResultKind;
using dw::ResultList;
using dwtest::addSearchedRow;
using dwtest::exists;
using dwtest::ScriptedPrompts;
using dwtest::TempTree;

constexpr uid_t kSystemAccount = 2;  // "bin" on Debian; any uid below UID_MIN

class FolderContentsOfSystemAccounts : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!TempTree::runningAsRoot())
            GTEST_SKIP() << "giving a file to a system account needs root";
        tree.write("F/sub/deeper/system.conf", "theirs");
        tree.write("F/sub/deeper/mine.txt", "m");
        tree.write("F/sub/user.txt", "u");
        tree.write("F/plain/x.txt", "x");
        tree.write("F/top.txt", "t");
        ASSERT_EQ(::lchown(tree.path("F/sub/deeper/system.conf").c_str(), kSystemAccount,
                           kSystemAccount),
                  0);
        addSearchedRow(list, tree.path("F"));
    }
    void expectSystemFileAndItsFoldersKept()
    {
        EXPECT_EQ(dwtest::readFile(tree.path("F/sub/deeper/system.conf")), "theirs");
        for (const char* gone : {"F/sub/deeper/mine.txt", "F/sub/user.txt", "F/plain", "F/top.txt"})
            EXPECT_FALSE(exists(tree.path(gone))) << gone;
    }

    TempTree tree;
    ScriptedPrompts prompts;
    FileOperations operations{prompts};
    ResultList list{ResultKind::Old};
};

TEST_F(FolderContentsOfSystemAccounts, OwnDeleteKeepsThemAndDoesNotCountThem)
{
    dw::SearchSettings own;
    own.useSystemDiskOperations = false;
    auto report = operations.deleteFolderContents(list, 0, own);
    // sub, sub/deeper and system.conf stay out of the count and the work.
    EXPECT_EQ(prompts.permanentCounts, std::vector<std::size_t>{5});
    EXPECT_EQ(report.done, 5u);
    EXPECT_TRUE(report.left.empty());
    expectSystemFileAndItsFoldersKept();
}

TEST_F(FolderContentsOfSystemAccounts, TheTrashKeepsThemToo)
{
    const std::string home = tree.mkdir("home");
    EXPECT_EQ(dwtest::inChildWithHome(home, "", "", [&]() -> std::string {
                  auto report = operations.deleteFolderContents(list, 0, dw::SearchSettings{});
                  if (prompts.trashCounts != std::vector<std::size_t>{5} || report.done != 5)
                      return "unexpected count or result";
                  return {};
              }),
              "");
    expectSystemFileAndItsFoldersKept();
}

}  // namespace
