// The files change between the search and the operation: a folder on a row's
// path becomes a link to another folder holding a file of the same name, or
// a file is replaced under its name. The other folder's files must survive
// and the report must name the row's path as not done.

#include "engine/operations/file_operations.h"
#include "engine/operations/file_operations_fixtures.h"
#include "engine/operations/own_delete.h"
#include "support/temp_tree.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <unistd.h>

namespace {

using dw::FileOperations;
using dw::ResultKind;
using dw::ResultList;
using dwtest::addRow;
using dwtest::addSearchedRow;
using dwtest::exists;
using dwtest::ScriptedPrompts;
using dwtest::TempTree;

dw::SearchSettings ownDelete()
{
    dw::SearchSettings settings;
    settings.useSystemDiskOperations = false;
    return settings;
}

// Moves the folder `relative` aside and puts a link to `target` in its place.
void swapForLink(const TempTree& tree, const std::string& relative, const std::string& target)
{
    ASSERT_EQ(std::rename(tree.path(relative).c_str(), tree.path(relative + "-moved").c_str()), 0);
    ASSERT_EQ(::symlink(target.c_str(), tree.path(relative).c_str()), 0);
}

class SwappedLinks : public ::testing::Test {
protected:
    void SetUp() override
    {
        report = tree.write("shared/A/report.txt", "mine");
        notes = tree.write("shared/A/notes.txt", "mine too");
        other.write("report.txt", "theirs");
        other.write("notes.txt", "theirs too");
        // One row as the search made it, one as a session gives it.
        addSearchedRow(list, report);
        addRow(list, notes);
        prompts.folder = tree.mkdir("target");
    }
    bool othersWhole() const
    {
        return dwtest::readFile(other.path("report.txt")) == "theirs" &&
               dwtest::readFile(other.path("notes.txt")) == "theirs too";
    }

    TempTree tree;
    TempTree other;
    std::string report;
    std::string notes;
    ScriptedPrompts prompts;
    FileOperations operations{prompts};
    ResultList list{ResultKind::ByMask};
};

TEST_F(SwappedLinks, DeleteAndTrashNeverActThroughAFolderSwappedForALink)
{
    swapForLink(tree, "shared/A", other.root());
    const std::vector<std::string> both = {report, notes};

    auto result = operations.deleteChecked(list, ownDelete());
    EXPECT_EQ(result.left, both);
    EXPECT_EQ(result.done, 0u);
    EXPECT_TRUE(othersWhole());
    EXPECT_EQ(list.size(), 2u);

    const std::string home = tree.mkdir("home");
    EXPECT_EQ(dwtest::inChildWithHome(home, "", "", [&]() -> std::string {
                  auto trashed = operations.deleteChecked(list, dw::SearchSettings{});
                  if (trashed.left != both || trashed.done != 0)
                      return "the Trash was handed a path through a link";
                  return {};
              }),
              "");
    EXPECT_TRUE(othersWhole());
    EXPECT_TRUE(exists(tree.path("shared/A-moved/report.txt")));
}

TEST_F(SwappedLinks, AFileReplacedUnderItsNameIsNotTheRowsFile)
{
    // The search's row knows its inode; the session's row knows its size.
    dwtest::replaceFile(report, "news");
    dwtest::replaceFile(notes, "a longer file now");

    auto result = operations.deleteChecked(list, ownDelete());
    EXPECT_EQ(result.left, (std::vector<std::string>{report, notes}));
    EXPECT_EQ(dwtest::readFile(report), "news");
    EXPECT_EQ(dwtest::readFile(notes), "a longer file now");
}

TEST_F(SwappedLinks, CopyAndMoveReadOnlyTheRowsFiles)
{
    swapForLink(tree, "shared/A", other.root());
    auto result = operations.moveChecked(list);
    EXPECT_EQ(result.left, (std::vector<std::string>{report, notes}));
    result = operations.copyChecked(list);
    EXPECT_EQ(result.left, (std::vector<std::string>{report, notes}));
    EXPECT_TRUE(othersWhole());
    EXPECT_TRUE(dw::listFolderContents(tree.path("target")).empty());

    // A folder row reached through a link is not moved either.
    ResultList folders{ResultKind::Old};
    addSearchedRow(folders, tree.path("shared/A-moved"));
    ASSERT_EQ(std::rename(tree.path("shared").c_str(), tree.path("shared-moved").c_str()), 0);
    ASSERT_EQ(::symlink(tree.path("shared-moved").c_str(), tree.path("shared").c_str()), 0);
    result = operations.moveChecked(folders);
    EXPECT_EQ(result.left, std::vector<std::string>{tree.path("shared/A-moved")});
    EXPECT_TRUE(exists(tree.path("shared-moved/A-moved/report.txt")));
}

TEST_F(SwappedLinks, FolderContentsGoThroughTheHandlesThatListedThem)
{
    tree.write("F/B/y", "listed");
    tree.write("F/x.txt", "x");
    other.write("B/y", "the link target's y");
    ResultList folders{ResultKind::Old};
    addSearchedRow(folders, tree.path("F"));
    // Between the listing and the delete (while the question is open), B
    // becomes a link and a new file arrives.
    prompts.onQuestion = [&] {
        swapForLink(tree, "F/B", other.path("B"));
        tree.write("F/new.txt", "came later");
    };

    auto result = operations.deleteFolderContents(folders, 0, ownDelete());
    EXPECT_EQ(prompts.permanentCounts, std::vector<std::size_t>{3});
    EXPECT_EQ(dwtest::readFile(other.path("B/y")), "the link target's y");
    EXPECT_EQ(result.done, 1u);
    EXPECT_EQ(result.left, (std::vector<std::string>{tree.path("F/B"), tree.path("F/B/y")}));
    EXPECT_FALSE(exists(tree.path("F/x.txt")));
    EXPECT_EQ(dwtest::readFile(tree.path("F/new.txt")), "came later");
    EXPECT_EQ(dwtest::readFile(tree.path("F/B-moved/y")), "listed");

    // The folder row itself reached through a link: refused, nothing listed.
    ASSERT_EQ(std::rename(tree.path("F").c_str(), tree.path("F-moved").c_str()), 0);
    other.write("F/y", "another y");
    ASSERT_EQ(::symlink(other.path("F").c_str(), tree.path("F").c_str()), 0);
    prompts.onQuestion = nullptr;
    result = operations.deleteFolderContents(folders, 0, ownDelete());
    EXPECT_EQ(result.left, std::vector<std::string>{tree.path("F")});
    EXPECT_EQ(dwtest::readFile(other.path("F/y")), "another y");
}

TEST_F(SwappedLinks, FolderContentsGoingToTheTrashAreCheckedRightBeforeEach)
{
    tree.write("F/B/y", "listed");
    tree.write("F/x.txt", "x");
    other.write("B/y", "the link target's y");
    ResultList folders{ResultKind::Old};
    addSearchedRow(folders, tree.path("F"));
    prompts.onQuestion = [&] { swapForLink(tree, "F/B", other.path("B")); };
    const std::string home = tree.mkdir("home");

    EXPECT_EQ(dwtest::inChildWithHome(home, "", "", [&]() -> std::string {
                  auto result = operations.deleteFolderContents(folders, 0, dw::SearchSettings{});
                  const std::vector<std::string> left = {tree.path("F/B"), tree.path("F/B/y")};
                  if (result.done != 1 || result.left != left)
                      return "the Trash took what the listing did not name";
                  return {};
              }),
              "");
    EXPECT_EQ(dwtest::readFile(other.path("B/y")), "the link target's y");
    EXPECT_FALSE(exists(tree.path("F/x.txt")));
    EXPECT_TRUE(exists(home + "/.local/share/Trash/files/x.txt"));
}

}  // namespace
