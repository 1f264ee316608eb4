#include "cli/cli_run.h"

#include <gtest/gtest.h>

#include <algorithm>

using dwtest::CliRun;
using dwtest::runCli;
using dwtest::settingsFile;
using dwtest::TempTree;

namespace {

std::vector<std::string> sorted(std::vector<std::string> items)
{
    std::sort(items.begin(), items.end());
    return items;
}

TEST(CliBytes, FolderAndExclusionNamesThatAreNotUtf8AreUsedAsGiven)
{
    TempTree tree;
    const std::string odd = "\xff\xfe";
    tree.write(odd + "/a", "same");
    tree.write(odd + "/b", "same");
    tree.write(odd + "/sub\xfd/c", "same");
    std::string ini = settingsFile(tree);

    // Given with a detour through "..", as a shell completion may write it.
    CliRun run = runCli(tree, {"--duplicates", "--format", "fdupes", "--settings", ini, "--security", "low",
                               tree.path("x/../" + odd)});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    auto out = dwtest::split(run.out);
    ASSERT_EQ(out.size(), 5u) << run.out;
    EXPECT_EQ(sorted({out[0], out[1], out[2]}),
              sorted({tree.path(odd + "/a"), tree.path(odd + "/b"), tree.path(odd + "/sub\xfd/c")}));

    run = runCli(tree, {"--duplicates", "--format", "fdupes", "--settings", ini, "--security", "low", "--exclude",
                        tree.path(odd + "/sub\xfd"), tree.path(odd)});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    out = dwtest::split(run.out);
    ASSERT_EQ(out.size(), 4u) << run.out;
    EXPECT_EQ(sorted({out[0], out[1]}), sorted({tree.path(odd + "/a"), tree.path(odd + "/b")}));
}

TEST(CliBytes, NullSeparatedFdupesOutputKeepsANewlineInsideAName)
{
    TempTree tree;
    tree.write("n/new\nline", "first group");
    tree.write("n/plain", "first group");
    tree.write("n/x", "second, longer group");
    tree.write("n/y", "second, longer group");
    std::string ini = settingsFile(tree);

    CliRun run = runCli(tree, {"--duplicates", "--format", "fdupes", "-0", "--settings", ini, "--security", "low",
                               tree.path("n")});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    ASSERT_FALSE(run.out.empty());
    EXPECT_EQ(run.out.back(), '\0');
    auto names = dwtest::split(run.out.substr(0, run.out.size() - 1), '\0');
    // Each name ends with a NUL, each group with one more: smaller group first.
    ASSERT_EQ(names.size(), 6u) << run.out;
    EXPECT_EQ(sorted({names[0], names[1]}), sorted({tree.path("n/new\nline"), tree.path("n/plain")}));
    EXPECT_EQ(names[2], "");
    EXPECT_EQ(sorted({names[3], names[4]}), sorted({tree.path("n/x"), tree.path("n/y")}));
    EXPECT_EQ(names[5], "");

    run = runCli(tree, {"--duplicates", "--format", "fdupes", "--null", "--settings", ini, "--security", "low",
                        tree.path("n")});
    EXPECT_NE(run.out.find(tree.path("n/new\nline") + '\0'), std::string::npos);
}

}  // namespace
