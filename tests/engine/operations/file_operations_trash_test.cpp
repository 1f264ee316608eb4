#include "engine/operations/file_operations.h"
#include "engine/operations/file_operations_fixtures.h"
#include "support/temp_tree.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using dw::FileOperations;
using dw::OperationPrompts;
using dw::ResultKind;
using dw::ResultList;
using dwtest::addRow;
using dwtest::exists;
using dwtest::inChildWithHome;
using dwtest::ScopedMount;
using dwtest::ScriptedPrompts;
using dwtest::TempTree;
using NoTrash = OperationPrompts::NoTrash;

#define CHECK_OR_SAY(condition)                                      \
    do {                                                             \
        if (!(condition))                                            \
            return std::string("failed: ") + #condition;             \
    } while (false)

// The defaults: the system operation into the Trash.
const dw::SearchSettings kDefaults;

// Every case runs in a child whose HOME is a fresh temporary folder: GIO
// fixes its idea of the home Trash the first time it is asked.
class FileOperationsTrash : public ::testing::Test {
protected:
    std::string inHome(const std::function<std::string()>& body)
    {
        return inChildWithHome(home, "", tree.mkdir("cwd"), body);
    }

    TempTree tree;
    std::string home = tree.mkdir("home");
    std::string trash = home + "/.local/share/Trash";
    ScriptedPrompts prompts;
    FileOperations operations{prompts};
    ResultList list{ResultKind::ByMask};
};

TEST_F(FileOperationsTrash, CheckedRowsGoToTheTrashAndLeaveTheList)
{
    addRow(list, tree.write("a.txt", "a"));
    addRow(list, tree.write("folder/inner.txt", "i"), false);
    addRow(list, tree.path("folder"));
    addRow(list, tree.write("kept.txt", "k"), false);

    EXPECT_EQ(inHome([&]() -> std::string {
                  prompts.answerYes = false;
                  auto report = operations.deleteChecked(list, kDefaults);
                  CHECK_OR_SAY(!report.ran && list.size() == 4 && exists(tree.path("a.txt")));
                  prompts.answerYes = true;
                  report = operations.deleteChecked(list, kDefaults);
                  CHECK_OR_SAY(prompts.trashCounts == (std::vector<std::size_t>{2, 2}));
                  CHECK_OR_SAY(prompts.permanentCounts.empty());
                  CHECK_OR_SAY(report.done == 2);
                  CHECK_OR_SAY(exists(trash + "/files/a.txt"));
                  CHECK_OR_SAY(exists(trash + "/files/folder/inner.txt"));
                  CHECK_OR_SAY(list.size() == 1 && list.row(0).path == tree.path("kept.txt"));
                  CHECK_OR_SAY(operations.sources().empty());
                  return {};
              }),
              "");
}

TEST_F(FileOperationsTrash, WithoutRecycleBinTheSystemOperationDeletesForGood)
{
    addRow(list, tree.write("a.txt", "a"));
    dw::SearchSettings settings;
    settings.removeToRecycleBin = false;
    EXPECT_EQ(inHome([&]() -> std::string {
                  auto report = operations.deleteChecked(list, settings);
                  CHECK_OR_SAY(report.done == 1);
                  CHECK_OR_SAY(prompts.permanentCounts == std::vector<std::size_t>{1});
                  CHECK_OR_SAY(!exists(tree.path("a.txt")) && !exists(trash));
                  return {};
              }),
              "");
}

TEST_F(FileOperationsTrash, WhereAFileSystemHasNoTrashTheUserDecides)
{
    tree.mkdir("mnt");
    auto mounted = ScopedMount::tmpfs(tree.path("mnt"), TempTree::userUid());
    if (!mounted)
        GTEST_SKIP() << "mounting a tmpfs is not allowed here";
    for (const char* name : {"1", "2", "3", "4", "5", "6"})
        addRow(list, tree.write(std::string("mnt/") + name, name));
    addRow(list, tree.path("mnt"));  // the mount point itself: never trashed or emptied
    const std::string mnt = tree.path("mnt");

    EXPECT_EQ(inHome([&]() -> std::string {
                  // Skip 1, delete 2, delete all (3, 4 without asking), then cancel.
                  prompts.noTrashAnswers = {NoTrash::Skip, NoTrash::Delete, NoTrash::DeleteAll};
                  auto report = operations.deleteChecked(list, kDefaults);
                  CHECK_OR_SAY(prompts.noTrashPaths.size() == 3);
                  CHECK_OR_SAY(exists(mnt + "/1") && !exists(mnt + "/2") && !exists(mnt + "/6"));
                  CHECK_OR_SAY(report.left == (std::vector<std::string>{mnt + "/1", mnt}));
                  CHECK_OR_SAY(exists(mnt));
                  CHECK_OR_SAY(list.size() == 2);
                  CHECK_OR_SAY(!exists(mnt + "/.Trash-0") && !exists(mnt + "/.Trash-1000"));

                  prompts.noTrashAnswers = {NoTrash::Cancel};
                  report = operations.deleteChecked(list, kDefaults);
                  CHECK_OR_SAY(report.cancelled && exists(mnt + "/1") && list.size() == 2);
                  return {};
              }),
              "");
}

}  // namespace
