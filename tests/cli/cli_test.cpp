#include "cli/cli_run.h"

#include <gtest/gtest.h>

#include <algorithm>

using dwtest::CliRun;
using dwtest::runCli;
using dwtest::settingsFile;
using dwtest::TempTree;

namespace {

std::vector<std::string> lines(const std::string& text) { return dwtest::split(text, '\n'); }

}  // namespace

TEST(Cli, BadUsageExitsWithTwo)
{
    TempTree tree;
    for (std::vector<std::string> args : std::vector<std::vector<std::string>>{
             {}, {"--bogus", "."}, {"--mode", "slow", "."}, {"--larger"}, {"--days", "x", "."},
             {"--larger", "1", "--smaller", "2", "."}, {"--settings", tree.path("none.ini"), "."},
             {"--trash", "--delete", "."}, {"--mark-copies=bogus", "."}, {"--mark-copies=", "."},
             {"--mark-copies", "--mark-all", "."}, {"-0", "."}, {"--null", "--format", "json", "."},
             {"--mark-copies", "--dry-run", "."}}) {
        CliRun run = runCli(tree, args);
        EXPECT_EQ(run.exitCode, 2) << (args.empty() ? "" : args[0]);
        EXPECT_FALSE(run.err.empty());
    }
    CliRun help = runCli(tree, {"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("--duplicates"), std::string::npos);
    for (const char* option : {"--mark-copies[=", "--mark-all", "--trash", "--delete", "--dry-run", "--yes",
                               "--allow-all-copies", "--null", "построчный"})
        EXPECT_NE(help.out.find(option), std::string::npos) << option;
}

TEST(Cli, FdupesFormatListsProvenGroupsAndGoesOnPastAMissingFolder)
{
    TempTree tree;
    std::string content = dwtest::makeBytes(70000, 1);
    tree.write("data/one", content);
    tree.write("data/sub dir/two", content);
    std::string trap = content;
    trap[69999] = static_cast<char>(trap[69999] ^ 1);
    tree.write("data/trap", trap);
    tree.write("data/small a", "same");
    tree.write("data/small b", "same");
    std::string ini = settingsFile(tree);

    CliRun run = runCli(tree, {"--duplicates", "--format", "fdupes", "--settings", ini, "--security", "low",
                            tree.path("missing"), tree.path("data")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("missing"), std::string::npos);
    auto out = lines(run.out);
    // Two groups, smaller size first, each followed by a blank line.
    ASSERT_EQ(out.size(), 7u) << run.out;
    std::vector<std::string> first(out.begin(), out.begin() + 2), second(out.begin() + 3, out.begin() + 5);
    std::sort(first.begin(), first.end());
    std::sort(second.begin(), second.end());
    EXPECT_EQ(first, (std::vector<std::string>{tree.path("data/small a"), tree.path("data/small b")}));
    EXPECT_EQ(second, (std::vector<std::string>{tree.path("data/one"), tree.path("data/sub dir/two")}));
    EXPECT_EQ(out[2], "");
    EXPECT_EQ(out[5], "");
    EXPECT_NE(run.err.find("Всего проанализировано: 5 Файлов"), std::string::npos);
}

TEST(Cli, SettingsFileSuppliesMasksAndExclusions)
{
    TempTree tree;
    tree.write("scan/a.junk", "1");
    tree.write("scan/b.tmp", "2");
    tree.write("scan/keep/c.junk", "3");
    tree.write("scan/keep2/d.junk", "4");
    std::string ini = settingsFile(tree,
                                   "[General]\nFirstTime=0\n"
                                   "[FindMask]\nMask0=\"Junk\\t*.junk\"\nExcludeDir0=" + tree.path("scan/keep/") + "\n");
    CliRun run = runCli(tree, {"--mask", "--settings", ini, "--security", "low", tree.path("scan")});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("a.junk"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("d.junk"), std::string::npos);   // a sibling is not excluded
    EXPECT_EQ(run.out.find("c.junk"), std::string::npos);
    EXPECT_EQ(run.out.find("b.tmp"), std::string::npos);

    // --masks replaces the masks, --exclude adds an exclusion for every kind.
    run = runCli(tree, {"--mask", "--masks", "*.tmp", "--exclude", tree.path("scan/keep2"), "--settings", ini,
                        "--security", "low", tree.path("scan")});
    EXPECT_NE(run.out.find("b.tmp"), std::string::npos);
    EXPECT_EQ(run.out.find("a.junk"), std::string::npos);
}

TEST(Cli, SizeAndAgeOptions)
{
    TempTree tree;
    tree.write("f/big", std::string(5001, 'x'));
    tree.write("f/edge", std::string(5000, 'x'));
    tree.write("f/empty", "");
    tree.write("f/aged", "old");
    tree.age("f/aged", 40 * 86400);
    std::string ini = settingsFile(tree);

    CliRun run = runCli(tree, {"--size", "--larger", "5", "--settings", ini, "--security", "low", tree.path("f")});
    EXPECT_NE(run.out.find("/f/big"), std::string::npos);
    EXPECT_EQ(run.out.find("/f/edge"), std::string::npos);
    EXPECT_EQ(run.out.find("/f/empty"), std::string::npos);

    run = runCli(tree, {"--size", "--empty", "--settings", ini, "--security", "low", tree.path("f")});
    EXPECT_NE(run.out.find("/f/empty"), std::string::npos);
    EXPECT_EQ(run.out.find("/f/big"), std::string::npos);

    run = runCli(tree, {"--old", "--days", "30", "--settings", ini, "--security", "low", tree.path("f")});
    EXPECT_NE(run.out.find("/f/aged"), std::string::npos);
    EXPECT_EQ(run.out.find("/f/big"), std::string::npos);
}

TEST(Cli, JsonCarriesEveryRowWithOddNamesIntact)
{
    TempTree tree;
    tree.write("j/new\nline", "dup");
    tree.write(std::string("j/bad\xff"), "dup");
    tree.write("j/кириллица \"кавычки\"", "dup");
    std::string ini = settingsFile(tree);
    CliRun run = runCli(tree, {"--duplicates", "--format", "json", "--settings", ini, "--security", "low",
                            tree.path("j")});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_NE(run.out.find("new\\nline"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("bad\\udcff"), std::string::npos);
    EXPECT_NE(run.out.find("кириллица \\\"кавычки\\\""), std::string::npos);
    EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n') > 3, true);
    EXPECT_NE(run.out.find("\"group\": 1"), std::string::npos);
    EXPECT_EQ(run.out.find("\"group\": 2"), std::string::npos);
}

TEST(Cli, HighSecurityHidesProtectedFiles)
{
    TempTree tree;
    tree.write("h/setup.exe", "x");
    tree.write("h/notes.txt", "x");
    std::string ini = settingsFile(tree);
    CliRun run = runCli(tree, {"--size", "--settings", ini, tree.path("h")});
    EXPECT_EQ(run.out.find("setup.exe"), std::string::npos);
    EXPECT_NE(run.out.find("notes.txt"), std::string::npos);
    EXPECT_NE(run.err.find("\nПропущено уровнем безопасности: 1\n"), std::string::npos) << run.err;
    run = runCli(tree, {"--size", "--settings", ini, "--security", "low", tree.path("h")});
    EXPECT_EQ(run.err.find("Пропущено"), std::string::npos) << run.err;
}

TEST(Cli, SessionSavedAfterASearchLoadsBackWithTodaysData)
{
    TempTree tree;
    std::string content = dwtest::makeBytes(3000, 7);
    tree.write("s/one", content);
    tree.write("s/two", content);
    tree.write("s/x1", "xyz");
    tree.write("s/x2", "xyz");
    std::string ini = settingsFile(tree);
    std::string session = tree.path("out/results.dwx");
    tree.mkdir("out");

    CliRun run = runCli(tree, {"--duplicates", "--settings", ini, "--security", "low", "--save-session", session,
                               tree.path("s")});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    std::string bytes = dwtest::readFile(session);
    ASSERT_GE(bytes.size(), 16u);
    EXPECT_EQ(bytes.substr(0, 4), std::string("\x04\x00\x00\x00", 4));

    // No folder needed; the groups come back from the row colours.
    tree.write("s/x1", "grown to eleven");
    run = runCli(tree, {"--load-session", session, "--settings", ini, "--format", "fdupes"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    auto out = lines(run.out);
    ASSERT_EQ(out.size(), 7u) << run.out;
    EXPECT_EQ(out[2], "");
    EXPECT_EQ(out[5], "");
    EXPECT_EQ(run.err.find("Всего проанализировано"), std::string::npos);

    run = runCli(tree, {"--load-session", session, "--settings", ini, "--format", "json"});
    EXPECT_NE(run.out.find("\"size\": 15,"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\"group\": 2}"), std::string::npos);

    run = runCli(tree, {"--help"});
    EXPECT_NE(run.out.find("--save-session"), std::string::npos);
    EXPECT_NE(run.out.find("--load-session"), std::string::npos);
}

TEST(Cli, SessionFailuresAreReportedWithExitOne)
{
    TempTree tree;
    tree.write("f/a", "same");
    tree.write("f/b", "same");
    std::string ini = settingsFile(tree);

    CliRun run = runCli(tree, {"--size", "--settings", ini, "--security", "low", "--save-session",
                               tree.path("missing/s.dwx"), tree.path("f")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("Возникла ошибка при создании файла!"), std::string::npos) << run.err;
    EXPECT_NE(run.out.find("/f/a"), std::string::npos);  // the search output still comes

    run = runCli(tree, {"--load-session", tree.path("none.dwx"), "--settings", ini});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("Возникла ошибка при создании файла!"), std::string::npos);

    // A file cut inside the second record of the by-size list.
    std::string session = tree.path("s.dwx");
    run = runCli(tree, {"--size", "--settings", ini, "--security", "low", "--save-session", session,
                        tree.path("f")});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    std::string bytes = dwtest::readFile(session);
    std::string cut = bytes.substr(0, bytes.size() - 8 - 6);
    tree.write("cut.dwx", cut);
    run = runCli(tree, {"--load-session", tree.path("cut.dwx"), "--size", "--settings", ini});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("Файл результатов повреждён."), std::string::npos) << run.err;
    EXPECT_NE(run.out.find("== По размеру (1) =="), std::string::npos) << run.out;
}
