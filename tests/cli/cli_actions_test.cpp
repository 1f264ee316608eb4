#include "cli/cli_run.h"

#include <gtest/gtest.h>

#include <pty.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

using dwtest::CliEnvironment;
using dwtest::CliRun;
using dwtest::runCli;
using dwtest::TempTree;

namespace {

bool exists(const std::string& path)
{
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

std::vector<std::string> existing(const std::vector<std::string>& paths)
{
    std::vector<std::string> result;
    std::copy_if(paths.begin(), paths.end(), std::back_inserter(result), exists);
    return result;
}

std::vector<std::string> sorted(std::vector<std::string> items)
{
    std::sort(items.begin(), items.end());
    return items;
}

// Every run gets a home of its own, so the user's Trash is never touched.
class CliActions : public ::testing::Test {
protected:
    CliRun run(std::vector<std::string> args, int input = -1)
    {
        args.insert(args.end(), {"--settings", ini, "--security", "low"});
        return runCli(tree, args, environment(input));
    }

    CliEnvironment environment(int input = -1) const
    {
        return {{"HOME=" + home, "XDG_DATA_HOME=" + home + "/.local/share"}, input};
    }

    // The original paths trash-list reports for the private Trash.
    std::vector<std::string> trashed() const
    {
        CliRun list = dwtest::runProgram(tree, "trash-list", {}, environment());
        std::vector<std::string> paths;
        for (const std::string& line : dwtest::split(list.out)) {
            auto slash = line.find(" /");
            if (slash != std::string::npos)
                paths.push_back(line.substr(slash + 1));
        }
        return sorted(paths);
    }

    // Three copies of one file, two of another, and a file of its own.
    void writeGroups()
    {
        for (const auto& path : threeCopies)
            tree.write(path.substr(tree.root().size()), "three copies of this");
        for (const auto& path : twoCopies)
            tree.write(path.substr(tree.root().size()), "two copies");
        tree.write("d/unique", "one of a kind");
    }

    TempTree tree;
    std::string home = tree.mkdir("home");
    std::string ini = dwtest::settingsFile(tree);
    std::vector<std::string> threeCopies = {tree.path("d/a1"), tree.path("d/sub/a2"), tree.path("d/a3")};
    std::vector<std::string> twoCopies = {tree.path("d/b1"), tree.path("d/sub/b2")};
};

TEST_F(CliActions, MarkedCopiesGoToTheTrashOnlyWithYesWhenNoTerminalAsks)
{
    writeGroups();
    CliRun refused = run({"--duplicates", "--mark-copies", "--trash", tree.path("d")});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.err.find("--yes"), std::string::npos) << refused.err;
    EXPECT_EQ(existing(threeCopies).size(), 3u);
    EXPECT_EQ(existing(twoCopies).size(), 2u);

    CliRun done = run({"--duplicates", "--mark-copies", "--trash", "--yes", tree.path("d")});
    EXPECT_EQ(done.exitCode, 0) << done.err;
    EXPECT_NE(done.err.find("Перемещено в корзину объектов: 3"), std::string::npos) << done.err;
    EXPECT_NE(done.out.find("== Одинаковые (2) =="), std::string::npos) << done.out;
    EXPECT_EQ(existing(threeCopies).size(), 1u);
    EXPECT_EQ(existing(twoCopies).size(), 1u);
    EXPECT_TRUE(exists(tree.path("d/unique")));
    std::vector<std::string> gone;
    for (const auto& path : threeCopies)
        if (!exists(path))
            gone.push_back(path);
    for (const auto& path : twoCopies)
        if (!exists(path))
            gone.push_back(path);
    EXPECT_EQ(trashed(), sorted(gone));
}

TEST_F(CliActions, EachKeepRuleKeepsItsCopy)
{
    const std::vector<std::string> copies = {tree.path("k/deep/folder/newest"), tree.path("k/oldest-of-all"),
                                             tree.path("k/s")};
    auto write = [&] {
        for (const auto& path : copies)
            tree.write(path.substr(tree.root().size()), "same bytes");
        tree.age("k/deep/folder/newest", 100);
        tree.age("k/oldest-of-all", 10000);
        tree.age("k/s", 5000);
    };
    write();
    CliRun listed = run({"--duplicates", "--format", "fdupes", tree.path("k")});
    ASSERT_EQ(listed.exitCode, 0) << listed.err;
    const std::string first = dwtest::split(listed.out).front();

    for (const auto& [rule, kept] : std::vector<std::pair<std::string, std::string>>{
             {"--mark-copies", first},
             {"--mark-copies=first", first},
             {"--mark-copies=oldest", copies[1]},
             {"--mark-copies=newest", copies[0]},
             {"--mark-copies=shortest", copies[2]}}) {
        write();
        CliRun done = run({"--duplicates", rule, "--delete", "--yes", tree.path("k")});
        EXPECT_EQ(done.exitCode, 0) << rule << '\n' << done.err;
        EXPECT_EQ(existing(copies), std::vector<std::string>{kept}) << rule;
        EXPECT_NE(done.err.find("Удалено объектов: 2"), std::string::npos) << done.err;
    }
}

TEST_F(CliActions, DryRunSaysWhatWouldGoAndChangesNothing)
{
    writeGroups();
    for (const char* action : {"--delete", "--trash"}) {
        CliRun dry = run({"--duplicates", "--mark-copies=shortest", action, "--dry-run", tree.path("d")});
        EXPECT_EQ(dry.exitCode, 0) << dry.err;
        EXPECT_EQ(existing(threeCopies).size(), 3u);
        EXPECT_EQ(existing(twoCopies).size(), 2u);
        const std::string verb = std::string(action) == "--delete" ? "удалить: " : "в корзину: ";
        for (const auto& path : {threeCopies[1], threeCopies[2], twoCopies[1]})
            EXPECT_NE(dry.err.find(verb + path + '\n'), std::string::npos) << dry.err;
        for (const auto& path : {threeCopies[0], twoCopies[0]})
            EXPECT_EQ(dry.err.find(path), std::string::npos) << dry.err;
    }
    EXPECT_TRUE(trashed().empty());

    // Marks without an action only show in the JSON rows.
    CliRun marked = run({"--duplicates", "--mark-copies", "--format", "json", tree.path("d")});
    EXPECT_EQ(marked.exitCode, 0) << marked.err;
    std::size_t checked = 0;
    for (auto at = marked.out.find("\"checked\": true"); at != std::string::npos;
         at = marked.out.find("\"checked\": true", at + 1))
        ++checked;
    EXPECT_EQ(checked, 3u) << marked.out;
    EXPECT_EQ(existing(threeCopies).size(), 3u);

    // Nothing marked: nothing to do, and that is no failure.
    CliRun idle = run({"--duplicates", "--delete", "--yes", tree.path("d")});
    EXPECT_EQ(idle.exitCode, 0) << idle.err;
    EXPECT_EQ(existing(threeCopies).size(), 3u);
}

TEST_F(CliActions, GroupWithEveryCopyMarkedIsKeptUnlessAllowed)
{
    writeGroups();
    CliRun refused = run({"--duplicates", "--mark-all", "--delete", "--yes", tree.path("d")});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(existing(threeCopies).size(), 3u);
    EXPECT_EQ(existing(twoCopies).size(), 2u);
    EXPECT_EQ(refused.err.find("Удалено"), std::string::npos) << refused.err;
    for (const auto& path : threeCopies)
        EXPECT_NE(refused.err.find("  " + path + '\n'), std::string::npos) << refused.err;
    for (const auto& path : twoCopies)
        EXPECT_NE(refused.err.find("  " + path + '\n'), std::string::npos);

    // The guard holds per group: marks elsewhere still act.
    CliRun mixed = run({"--mask", "--duplicates", "--masks", "uniq*", "--mark-all", "--delete", "--yes", tree.path("d")});
    EXPECT_EQ(mixed.exitCode, 1) << mixed.err;
    EXPECT_FALSE(exists(tree.path("d/unique")));
    EXPECT_EQ(existing(threeCopies).size(), 3u);

    CliRun allowed = run({"--duplicates", "--mark-all", "--delete", "--yes", "--allow-all-copies", tree.path("d")});
    EXPECT_EQ(allowed.exitCode, 0) << allowed.err;
    EXPECT_TRUE(existing(threeCopies).empty());
    EXPECT_TRUE(existing(twoCopies).empty());
    EXPECT_NE(allowed.out.find("== Одинаковые (0) =="), std::string::npos);
}

TEST_F(CliActions, LoadedSessionIsMarkedActedOnAndSavedWithWhatIsLeft)
{
    writeGroups();
    const std::string before = tree.path("before.dwx"), after = tree.path("after.dwx");
    ASSERT_EQ(run({"--duplicates", "--save-session", before, tree.path("d")}).exitCode, 0);

    // Loaded groups are guarded like searched ones.
    CliRun refused = run({"--load-session", before, "--mark-all", "--delete", "--yes"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(existing(threeCopies).size() + existing(twoCopies).size(), 5u);

    CliRun done = run({"--load-session", before, "--mark-copies", "--delete", "--yes", "--save-session", after});
    ASSERT_EQ(done.exitCode, 0) << done.err;
    std::vector<std::string> left = existing(threeCopies);
    ASSERT_EQ(left.size(), 1u);
    std::vector<std::string> leftOfTwo = existing(twoCopies);
    ASSERT_EQ(leftOfTwo.size(), 1u);
    left.push_back(leftOfTwo.front());

    CliRun reloaded = run({"--load-session", after, "--format", "fdupes"});
    EXPECT_EQ(reloaded.exitCode, 0) << reloaded.err;
    std::vector<std::string> rows;
    for (const std::string& line : dwtest::split(reloaded.out))
        if (!line.empty())
            rows.push_back(line);
    EXPECT_EQ(sorted(rows), sorted(left)) << reloaded.out;
}

TEST_F(CliActions, AtATerminalOneQuestionDecides)
{
    writeGroups();
    auto answer = [&](const std::string& reply) {
        int master = -1, slave = -1;
        EXPECT_EQ(::openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
        EXPECT_EQ(::write(master, reply.data(), reply.size()), static_cast<ssize_t>(reply.size()));
        CliRun result = run({"--duplicates", "--mark-copies", "--delete", tree.path("d")}, slave);
        ::close(slave);
        ::close(master);
        return result;
    };
    CliRun no = answer("n\n");
    EXPECT_EQ(no.exitCode, 1);
    EXPECT_NE(no.err.find("Удалить 3 объекта? [y/N]"), std::string::npos) << no.err;
    EXPECT_EQ(existing(threeCopies).size(), 3u);

    CliRun yes = answer("да\n");
    EXPECT_EQ(yes.exitCode, 0) << yes.err;
    EXPECT_EQ(existing(threeCopies).size(), 1u);
    EXPECT_EQ(existing(twoCopies).size(), 1u);
}

TEST_F(CliActions, AFileThatCannotGoIsNamedAndFailsTheRun)
{
    tree.write("f/c", "same");
    const std::string locked = tree.write("locked/c", "same");
    ::chmod(tree.path("locked").c_str(), 0555);
    std::string err;
    EXPECT_TRUE(TempTree::runAsUser([&] {
        CliRun done = run({"--duplicates", "--mark-copies=shortest", "--delete", "--yes", tree.path("")});
        return done.exitCode == 1 && done.err.find("не удалось удалить: " + locked + '\n') != std::string::npos &&
               exists(locked) && exists(tree.path("f/c"));
    }));
}

}  // namespace
