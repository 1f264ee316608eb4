// "Delete folder contents" leaves the files of system accounts where they
// are, and every folder above them; a cancel keeps all it did not reach.

#include "engine/operations/file_operations.h"
#include "engine/operations/file_operations_fixtures.h"
#include "engine/operations/own_delete.h"
#include "support/temp_tree.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <set>

namespace {

using dw::FileOperations;
using dw::ResultKind;
using dw::ResultList;
using dwtest::addSearchedRow;
using dwtest::inChildWithHome;
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

// Each file's content is its own name, so a file is known wherever it ends up.
const std::vector<std::string> kContentFiles = {"F/a.txt", "F/b.txt", "F/sub/c.txt", "F/sub/deeper/d.txt",
                                                "F/sub/deeper/e.txt", "F/other/f.txt", "F/other/inner/g.txt"};

bool hasRow(const ResultList& list, const std::string& path)
{
    return std::any_of(list.rows().begin(), list.rows().end(),
                       [&](const dw::ResultRow& row) { return row.path == path; });
}

// Empties F (for good or into the Trash) with a cancel once `cancelAfter`
// paths were shown; says what went wrong, "" when nothing did. As root, F
// also holds a system account's file, which stays with its folders.
std::string cancelContentsAfter(std::size_t cancelAfter, bool toTrash)
{
    TempTree tree;
    for (const std::string& file : kContentFiles)
        tree.write(file, file);
    std::set<std::string> kept;
    if (TempTree::runningAsRoot()) {
        const std::string system = tree.write("F/sub/deeper/system.conf", "theirs");
        if (::lchown(system.c_str(), kSystemAccount, kSystemAccount) != 0)
            return "chown failed";
        kept = {system, tree.path("F/sub/deeper"), tree.path("F/sub")};
    }
    ResultList list{ResultKind::Old};
    addSearchedRow(list, tree.path("F"));
    for (const std::string& file : kContentFiles)
        addSearchedRow(list, tree.path(file), false);
    const std::vector<std::string> listed = dw::listFolderContents(tree.path("F"));
    const std::string dataHome = tree.mkdir("data");
    const std::string home = tree.mkdir("home");
    ScriptedPrompts prompts;
    prompts.progressSink.cancelAfter = cancelAfter;
    FileOperations operations{prompts};
    dw::SearchSettings settings;
    settings.useSystemDiskOperations = toTrash;

    auto body = [&]() -> std::string {
        auto report = operations.deleteFolderContents(list, 0, settings);
        CHECK_AT_CANCEL_POINT(report.ran);
        std::size_t gone = 0;
        std::size_t taken = 0;
        for (const std::string& path : listed) {
            const bool present = exists(path);
            if (kept.count(path)) {
                CHECK_AT_CANCEL_POINT(present);
                continue;
            }
            ++taken;
            gone += present ? 0 : 1;
            // Exactly what is still there is reported left.
            CHECK_AT_CANCEL_POINT(std::count(report.left.begin(), report.left.end(), path) == (present ? 1 : 0));
        }
        CHECK_AT_CANCEL_POINT(report.done == gone);
        CHECK_AT_CANCEL_POINT(report.left.size() == taken - gone);
        CHECK_AT_CANCEL_POINT(report.cancelled || gone == taken);
        // Nothing is lost: each file is whole in its place or in the Trash.
        const std::set<std::string> trashed = dwtest::contentsOfFilesBelow(dataHome + "/Trash/files");
        for (const std::string& file : kContentFiles) {
            const std::string path = tree.path(file);
            CHECK_AT_CANCEL_POINT(hasRow(list, path) == exists(path));
            if (exists(path))
                CHECK_AT_CANCEL_POINT(dwtest::readFile(path) == file);
            else if (toTrash)
                CHECK_AT_CANCEL_POINT(trashed.count(file) == 1);
        }
        // It stopped right after the path it was showing.
        if (toTrash)
            CHECK_AT_CANCEL_POINT(dw::listFolderContents(dataHome + "/Trash/info").size() <= cancelAfter);
        else
            CHECK_AT_CANCEL_POINT(gone == std::min(cancelAfter, taken));
        CHECK_AT_CANCEL_POINT(exists(tree.path("F")) && hasRow(list, tree.path("F")));
        return {};
    };
    return toTrash ? inChildWithHome(home, dataHome, "", body) : body();
}

#undef CHECK_AT_CANCEL_POINT

TEST(FolderContentsCancelled, OwnDeleteKeepsWhatItDidNotReach)
{
    for (std::size_t cancelAfter = 1; cancelAfter <= 10; ++cancelAfter)
        EXPECT_EQ(cancelContentsAfter(cancelAfter, false), "");
}

TEST(FolderContentsCancelled, TheTrashHoldsWhatWentAndTheRestStays)
{
    for (std::size_t cancelAfter = 1; cancelAfter <= 10; ++cancelAfter)
        EXPECT_EQ(cancelContentsAfter(cancelAfter, true), "");
}

}  // namespace
