#include "engine/tools/drive_info.h"
#include "support/temp_tree.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <map>

extern char** environ;

using dwtest::TempTree;

namespace {

constexpr std::int64_t kTwoDays = 2 * 24 * 60 * 60;

struct CliRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs diskwright-cli with `args` and the environment changed by `variables`,
// stdin from /dev/null (no terminal to ask), stdout and stderr captured.
CliRun runCli(const TempTree& tree, std::vector<std::string> args,
              const std::map<std::string, std::string>& variables = {})
{
    const std::string outPath = tree.path("../") + "cli-tools-out-" + std::to_string(::getpid());
    const std::string errPath = outPath + ".err";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    args.insert(args.begin(), DW_CLI_PATH);
    std::vector<char*> argv;
    for (auto& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    std::vector<std::string> environment;
    for (char** entry = environ; *entry; ++entry) {
        const std::string text = *entry;
        if (!variables.count(text.substr(0, text.find('='))))
            environment.push_back(text);
    }
    for (const auto& [name, value] : variables)
        environment.push_back(name + "=" + value);
    std::vector<char*> envp;
    for (auto& entry : environment)
        envp.push_back(entry.data());
    envp.push_back(nullptr);
    pid_t pid = 0;
    CliRun run;
    if (posix_spawn(&pid, DW_CLI_PATH, &actions, nullptr, argv.data(), envp.data()) == 0) {
        int status = 0;
        ::waitpid(pid, &status, 0);
        run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    posix_spawn_file_actions_destroy(&actions);
    run.out = dwtest::readFile(outPath);
    run.err = dwtest::readFile(errPath);
    ::unlink(outPath.c_str());
    ::unlink(errPath.c_str());
    return run;
}

std::map<std::string, std::string> privateHome(const TempTree& tree)
{
    return {{"HOME", tree.path("home")},
            {"XDG_DATA_HOME", tree.path("home/.local/share")},
            {"XDG_CACHE_HOME", tree.path("cache")},
            {"XDG_DATA_DIRS", tree.path("usr")},
            {"TMPDIR", tree.path("tmp")},
            {"TEMP", tree.path("tmp")},
            {"TMP", tree.path("tmp")}};
}

bool exists(const std::string& path)
{
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

// The tools take only the running account's files.
std::string writeOwn(TempTree& tree, const std::string& relative, std::int64_t age)
{
    const std::string path = tree.write(relative, "data");
    (void)::lchown(path.c_str(), ::geteuid(), ::getegid());
    if (age)
        tree.age(relative, age);
    return path;
}

std::string shell(const std::string& command)
{
    std::string output;
    if (FILE* pipe = ::popen((command + " 2>&1").c_str(), "r")) {
        char buffer[4096];
        while (std::size_t got = std::fread(buffer, 1, sizeof buffer, pipe))
            output.append(buffer, got);
        ::pclose(pipe);
    }
    return output;
}

// True when the running user has a Trash on some mounted volume: emptying
// "every Trash" would then reach beyond the test's own.
bool realVolumeTrashExists()
{
    std::ifstream mounts("/proc/self/mounts");
    std::string device, point, rest;
    const std::string uid = std::to_string(::geteuid());
    while (mounts >> device >> point && std::getline(mounts, rest)) {
        const std::string base = point == "/" ? "" : point;
        if (exists(base + "/.Trash-" + uid) || exists(base + "/.Trash/" + uid))
            return true;
    }
    return false;
}

}  // namespace

TEST(CliTools, BadToolUsageExitsWithTwo)
{
    TempTree tree;
    for (std::vector<std::string> args : std::vector<std::vector<std::string>>{
             {"--clean-temp"}, {"--programs", "."}, {"--temp-files", "--duplicates"}, {"--empty-trash", "--load-session", "x"}}) {
        EXPECT_EQ(runCli(tree, args).exitCode, 2) << args.front();
    }
    EXPECT_NE(runCli(tree, {"--help"}).out.find("--clean-temp ПАПКА..."), std::string::npos);
}

TEST(CliTools, SystemInfoShowsTheRootFileSystemFigures)
{
    TempTree tree;
    const CliRun run = runCli(tree, {"--system-info"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out.rfind("Операционная система: ", 0), 0u);
    EXPECT_NE(run.out.find("\nПроцессор: "), std::string::npos);
    struct statvfs vfs {};
    ASSERT_EQ(::statvfs("/", &vfs), 0);
    const std::uint64_t capacity = std::uint64_t(vfs.f_blocks) * vfs.f_frsize;
    EXPECT_NE(run.out.find("\n/"), std::string::npos);
    EXPECT_NE(run.out.find("  Емкость: " + dw::groupedBytes(capacity) + " (" + dw::scaledBytes(capacity) + ")\n"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("  Минимальный размер файла: " + dw::bytesText(vfs.f_frsize) + "\n"), std::string::npos);
}

TEST(CliTools, TempFilesAreListedAndCleanedByThePageRules)
{
    TempTree tree;
    tree.mkdir("tmp");
    const std::string old = writeOwn(tree, "cache/app/old.bin", kTwoDays);
    const std::string fresh = writeOwn(tree, "cache/app/fresh.bin", 0);
    const std::string hidden = writeOwn(tree, "cache/.hidden", kTwoDays);
    const std::string outside = writeOwn(tree, "elsewhere/old.bin", kTwoDays);
    const auto environment = privateHome(tree);

    const CliRun list = runCli(tree, {"--temp-files"}, environment);
    ASSERT_EQ(list.exitCode, 0) << list.err;
    EXPECT_NE(list.out.find("Временные файлы\t" + tree.path("tmp") + "\t0\n"), std::string::npos) << list.out;
    EXPECT_NE(list.out.find("Кэш приложений\t" + tree.path("cache") + "\t"), std::string::npos) << list.out;

    // No terminal to ask and no --yes: refused, nothing deleted.
    CliRun clean = runCli(tree, {"--clean-temp", tree.path("cache")}, environment);
    EXPECT_EQ(clean.exitCode, 1);
    EXPECT_TRUE(exists(old));
    // A folder that is no cleanup folder is refused before anything is deleted.
    clean = runCli(tree, {"--clean-temp", tree.path("cache"), tree.path("elsewhere"), "--yes"}, environment);
    EXPECT_EQ(clean.exitCode, 2);
    EXPECT_TRUE(exists(old));

    clean = runCli(tree, {"--clean-temp", tree.path("cache/"), "--yes"}, environment);
    EXPECT_EQ(clean.exitCode, 0) << clean.err;
    EXPECT_FALSE(exists(old));
    EXPECT_TRUE(exists(fresh));
    EXPECT_TRUE(exists(hidden));
    EXPECT_TRUE(exists(outside));
    EXPECT_TRUE(exists(tree.path("cache/app")));  // it still holds the fresh file
}

TEST(CliTools, ProgramsAreListedWithTheirRemovalCommands)
{
    TempTree tree;
    tree.write("usr/applications/org.example.App.desktop",
               "[Desktop Entry]\nName=Example\nName[ru]=Пример\nX-Flatpak=org.example.App\n");
    tree.write("usr/applications/unknown.desktop", "[Desktop Entry]\nName=Unknown\n");
    tree.write("home/.local/share/applications/hidden.desktop",
               "[Desktop Entry]\nName=Hidden\nX-Flatpak=org.example.Hidden\nNoDisplay=true\n");
    const CliRun run = runCli(tree, {"--programs"}, privateHome(tree));
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "Пример\tflatpak uninstall -y org.example.App\n");
}

TEST(CliTools, EmptyTrashEmptiesWhatTrashCliSees)
{
    if (shell("command -v trash-put").empty())
        GTEST_SKIP() << "trash-cli is not installed";
    if (realVolumeTrashExists())
        GTEST_SKIP() << "this account has a Trash on a mounted volume, which the test must not empty";
    TempTree tree;
    tree.mkdir("home/.local/share");
    const std::string env = "env HOME=" + tree.path("home") + " XDG_DATA_HOME=" + tree.path("home/.local/share") + " ";
    tree.write("work/a.txt", "a");
    tree.write("work/folder/b.txt", "b");
    const std::string kept = tree.write("kept.txt", "stays");
    shell(env + "trash-put " + tree.path("work/a.txt") + " " + tree.path("work/folder"));
    ASSERT_NE(shell(env + "trash-list").find(tree.path("work/a.txt")), std::string::npos);

    CliRun run = runCli(tree, {"--empty-trash"}, privateHome(tree));
    EXPECT_EQ(run.exitCode, 1);  // no terminal, no --yes
    EXPECT_NE(shell(env + "trash-list").find(tree.path("work/a.txt")), std::string::npos);

    run = runCli(tree, {"--empty-trash", "--yes"}, privateHome(tree));
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(shell(env + "trash-list"), "");
    EXPECT_EQ(dwtest::readFile(kept), "stays");
    run = runCli(tree, {"--empty-trash", "--yes"}, privateHome(tree));
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_NE(run.err.find("Корзина пуста."), std::string::npos);
}
