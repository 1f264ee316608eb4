#include "engine/operations/file_operations.h"
#include "engine/operations/file_operations_fixtures.h"
#include "engine/operations/own_delete.h"
#include "platform/trash.h"
#include "support/temp_tree.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
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

bool hasRow(const ResultList& list, const std::string& path)
{
    for (const auto& row : list.rows())
        if (row.path == path)
            return true;
    return false;
}

// The names in a folder (none when it is missing).
std::vector<std::string> namesIn(const std::string& folder)
{
    std::vector<std::string> names;
    for (const std::string& path : dw::listFolderContents(folder))
        if (path.find('/', folder.size() + 1) == std::string::npos)
            names.push_back(path.substr(folder.size() + 1));
    std::sort(names.begin(), names.end());
    return names;
}

// True when `trash` holds `path`'s file under `name` with its content and an
// info file that gives `path` back as the place to restore it to.
bool trashedWhole(const std::string& trash, const std::string& name, const std::string& path,
                  const std::string& content)
{
    const std::string info = dwtest::readFile(trash + "/info/" + name + ".trashinfo");
    return dwtest::readFile(trash + "/files/" + name) == content &&
           info.find("\nPath=" + path + "\n") != std::string::npos;
}

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

TEST_F(FileOperationsTrash, WhatWeMayNotMoveStaysAndTheRestStillGoes)
{
    if (!TempTree::runningAsRoot())
        GTEST_SKIP() << "giving files to other accounts needs root";
    // Root's file in root's folder: the user cannot take it out.
    const std::string locked = tree.write("locked/theirs.txt", "root's");
    ASSERT_EQ(::chown(locked.c_str(), 0, 0), 0);
    ASSERT_EQ(::chown(tree.path("locked").c_str(), 0, 0), 0);
    // Another ordinary account's folder in the user's folder: the user may
    // unlink entries there but not move the folder (its ".." would change).
    const std::string foreign = tree.write("foreign/inside.txt", "theirs");
    ASSERT_EQ(::chown(foreign.c_str(), 1001, 1001), 0);
    ASSERT_EQ(::chown(tree.path("foreign").c_str(), 1001, 1001), 0);
    const std::string mine = tree.write("mine.txt", "mine");
    addRow(list, locked);
    addRow(list, tree.path("foreign"));
    addRow(list, mine);

    EXPECT_EQ(inHome([&]() -> std::string {
                  const bool ok = TempTree::runAsUser([&] {
                      auto report = operations.deleteChecked(list, kDefaults);
                      // The locked file is refused before anything runs (red,
                      // not asked about); the folder fails in the Trash.
                      return prompts.trashCounts == std::vector<std::size_t>{2} && report.ran &&
                             report.done == 1 && report.left == std::vector<std::string>{tree.path("foreign")} &&
                             list.size() == 2 && list.row(0).path == locked &&
                             list.row(0).textColour == dw::kUnusableRowColour &&
                             list.row(1).path == tree.path("foreign") &&
                             trashedWhole(trash, "mine.txt", mine, "mine") &&
                             namesIn(trash + "/info") == std::vector<std::string>{"mine.txt.trashinfo"};
                  });
                  CHECK_OR_SAY(ok);
                  return {};
              }),
              "");
    EXPECT_EQ(dwtest::readFile(locked), "root's");
    EXPECT_EQ(dwtest::readFile(foreign), "theirs");
    EXPECT_FALSE(exists(mine));
}

TEST_F(FileOperationsTrash, ACancelHalfWayLeavesEachFileInTheTrashOrInPlace)
{
    const std::vector<std::string> names = {"1.txt", "2.txt", "3.txt", "4.txt"};
    for (const std::string& name : names)
        addRow(list, tree.write(name, "content of " + name));
    tree.write("folder/inner.txt", "inner");
    addRow(list, tree.path("folder/inner.txt"), false);
    addRow(list, tree.path("folder"));
    addRow(list, tree.write("unmarked.txt", "u"), false);
    // A data folder of its own: the Trash that GIO picks is this one, never the user's.
    const std::string dataHome = tree.mkdir("data");
    const std::string ownTrash = dataHome + "/Trash";
    prompts.progressSink.cancelAfter = 2;

    EXPECT_EQ(inChildWithHome(home, dataHome, "", [&]() -> std::string {
                  auto report = operations.deleteChecked(list, kDefaults);
                  CHECK_OR_SAY(report.ran && report.cancelled);
                  CHECK_OR_SAY(dw::platform::homeTrashFolder() == ownTrash);
                  std::size_t trashed = 0;
                  for (const std::string& name : names) {
                      const std::string path = tree.path(name);
                      const bool gone = !exists(path);
                      if (gone) {
                          ++trashed;
                          CHECK_OR_SAY(trashedWhole(ownTrash, name, path, "content of " + name));
                      } else {
                          CHECK_OR_SAY(dwtest::readFile(path) == "content of " + name);
                          CHECK_OR_SAY(std::count(report.left.begin(), report.left.end(), path) == 1);
                      }
                      CHECK_OR_SAY(hasRow(list, path) == !gone);
                  }
                  // Stopped right after the second: the rest was not touched.
                  CHECK_OR_SAY(trashed == 2 && report.done == 2);
                  CHECK_OR_SAY(dwtest::readFile(tree.path("folder/inner.txt")) == "inner");
                  CHECK_OR_SAY(hasRow(list, tree.path("folder")) && hasRow(list, tree.path("folder/inner.txt")));
                  CHECK_OR_SAY(report.left.size() == 3 && report.left.back() == tree.path("folder"));
                  CHECK_OR_SAY(namesIn(ownTrash + "/info").size() == trashed);
                  return {};
              }),
              "");
    EXPECT_EQ(dwtest::readFile(tree.path("unmarked.txt")), "u");
    EXPECT_FALSE(exists(trash));
}

}  // namespace
