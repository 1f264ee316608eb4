// A row must name exactly one entry: a path with ".", ".." or an empty
// component is refused by every operation and reported, never acted on.

#include "engine/operations/file_operations.h"
#include "engine/operations/file_operations_fixtures.h"
#include "engine/operations/own_delete.h"
#include "support/temp_tree.h"

#include <gtest/gtest.h>

namespace {

using dw::FileOperations;
using dw::ResultKind;
using dw::ResultList;
using dwtest::exists;
using dwtest::ScriptedPrompts;
using dwtest::TempTree;

class PathHygiene : public ::testing::Test {
protected:
    void SetUp() override
    {
        tree.write("a/victim/keep.txt", "keep");
        tree.write("a/victim/sub/inner.txt", "inner");
        prompts.folder = tree.mkdir("target");
    }
    // Rows as a crafted session would give them: no identity, a folder each.
    std::vector<std::string> addUncleanRows()
    {
        const std::vector<std::string> unclean = {tree.path("a/victim/sub/.."),
                                                  tree.path("a/victim/."),
                                                  tree.path("a//victim")};
        for (const std::string& path : unclean) {
            EXPECT_TRUE(list.addRow(path, dw::attr::Folder, 0, 0, 0)) << path;
            list.setChecked(list.size() - 1, true);
        }
        return unclean;
    }
    bool victimWhole() const
    {
        return dwtest::readFile(tree.path("a/victim/keep.txt")) == "keep" &&
               dwtest::readFile(tree.path("a/victim/sub/inner.txt")) == "inner";
    }

    TempTree tree;
    ScriptedPrompts prompts;
    FileOperations operations{prompts};
    ResultList list{ResultKind::Old};
};

TEST_F(PathHygiene, OwnDeleteAndFolderContentsRefuseAndReportUncleanPaths)
{
    const auto unclean = addUncleanRows();
    dw::SearchSettings own;
    own.useSystemDiskOperations = false;

    auto report = operations.deleteChecked(list, own);
    EXPECT_EQ(report.left, unclean);
    EXPECT_EQ(report.done, 0u);
    EXPECT_TRUE(victimWhole());
    EXPECT_EQ(list.size(), unclean.size());
    for (const auto& row : list.rows())
        EXPECT_EQ(row.textColour, dw::kUnusableRowColour) << row.path;

    report = operations.deleteFolderContents(list, 0, own);
    EXPECT_EQ(report.left, unclean);
    EXPECT_TRUE(victimWhole());

    // The engine's own entry points refuse them too, whoever calls them.
    for (const std::string& path : unclean)
        EXPECT_EQ(dw::deletePermanently(path, nullptr), dw::DeleteOutcome::Failed) << path;
    operations.addSource(unclean[0]);
    EXPECT_EQ(operations.deletePaths(false, false).left, std::vector<std::string>{unclean[0]});
    EXPECT_TRUE(victimWhole());
    EXPECT_TRUE(exists(tree.path("a")));
}

TEST_F(PathHygiene, TrashCopyMoveAndCompressRefuseUncleanPaths)
{
    const auto unclean = addUncleanRows();
    const std::string home = tree.mkdir("home");
    EXPECT_EQ(dwtest::inChildWithHome(home, "", "", [&]() -> std::string {
                  auto report = operations.deleteChecked(list, dw::SearchSettings{});
                  if (report.left != unclean)
                      return "the Trash took an unclean path";
                  return {};
              }),
              "");
    EXPECT_TRUE(victimWhole());

    auto report = operations.copyChecked(list);
    EXPECT_EQ(report.left, unclean);
    report = operations.moveChecked(list);
    EXPECT_EQ(report.left, unclean);
    EXPECT_TRUE(dw::listFolderContents(tree.path("target")).empty());
    EXPECT_TRUE(victimWhole());

    dwtest::RecordingProgress progress;
    EXPECT_EQ(operations.compressChecked(list, progress), 0u);
    EXPECT_EQ(list.size(), unclean.size());
}

}  // namespace
