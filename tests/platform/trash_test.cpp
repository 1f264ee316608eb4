#include "platform/trash.h"

#include "engine/operations/file_operations_mounts.h"
#include "support/temp_tree.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <sstream>

namespace {

using dw::platform::homeTrashFolder;
using dw::platform::moveToTrash;
using dw::platform::TrashResult;
using dwtest::exists;
using dwtest::inChildWithHome;
using dwtest::TempTree;

std::vector<std::string> namesIn(const std::string& folder)
{
    std::vector<std::string> names;
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (dirent* d = ::readdir(dir))
            if (std::strcmp(d->d_name, ".") != 0 && std::strcmp(d->d_name, "..") != 0)
                names.push_back(d->d_name);
        ::closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

// Folders named files/ or info/ that are not inside a Trash: what a trash
// implementation that lost its way would leave behind.
std::vector<std::string> strayTrashParts(const std::string& root)
{
    std::vector<std::string> stray;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        const std::string name = entry.path().filename().string();
        if ((name == "files" || name == "info") && !entry.is_symlink() && entry.is_directory() &&
            entry.path().parent_path().filename() != "Trash" &&
            entry.path().parent_path().filename().string().rfind(".Trash", 0) != 0)
            stray.push_back(entry.path().string());
    }
    return stray;
}

// The shell command's standard output; `status` gets its exit status.
std::string run(const std::string& command, int& status)
{
    std::string output;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) {
        status = -1;
        return output;
    }
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        output.append(buffer, n);
    status = ::pclose(pipe);
    return output;
}

#define CHECK_OR_SAY(condition)                                      \
    do {                                                             \
        if (!(condition))                                            \
            return std::string("failed: ") + #condition;             \
    } while (false)

TEST(Trash, GoesIntoAHomeTrashThatDoesNotExistYetAndNowhereElse)
{
    TempTree tree;
    const std::string home = tree.mkdir("home");
    const std::string cwd = tree.mkdir("cwd");
    const std::string file = tree.write("victim/a.txt", "a");
    const std::string folder = tree.path("victim/folder");
    tree.write("victim/folder/inner.txt", "i");
    const std::string odd = tree.write("victim/line\nbreak.txt", "n");
    tree.write("keep/k.txt", "keep");
    const std::string link = tree.path("victim/link");
    ASSERT_EQ(::symlink(tree.path("keep").c_str(), link.c_str()), 0);

    std::string complaint = inChildWithHome(home, "", cwd, [&]() -> std::string {
        const std::string trash = home + "/.local/share/Trash";
        CHECK_OR_SAY(homeTrashFolder() == trash);
        for (const std::string& path : {file, folder, odd, link})
            CHECK_OR_SAY(moveToTrash(path) == TrashResult::Trashed);
        for (const char* name : {"a.txt", "folder", "line\nbreak.txt", "link"}) {
            CHECK_OR_SAY(exists(trash + "/files/" + name));
            CHECK_OR_SAY(exists(trash + "/info/" + name + ".trashinfo"));
        }
        struct stat st {};
        CHECK_OR_SAY(::lstat((trash + "/files/link").c_str(), &st) == 0 && S_ISLNK(st.st_mode));
        CHECK_OR_SAY(exists(trash + "/files/folder/inner.txt"));
        CHECK_OR_SAY(moveToTrash(file) == TrashResult::Vanished);
        return {};
    });
    EXPECT_EQ(complaint, "");
    EXPECT_TRUE(namesIn(cwd).empty());
    EXPECT_TRUE(namesIn(tree.path("victim")).empty());
    EXPECT_EQ(dwtest::readFile(tree.path("keep/k.txt")), "keep");
    EXPECT_EQ(namesIn(tree.root()), (std::vector<std::string>{"cwd", "home", "keep", "victim"}));
    EXPECT_TRUE(strayTrashParts(tree.root()).empty());
}

TEST(Trash, UsesAndCreatesXdgDataHome)
{
    TempTree tree;
    const std::string home = tree.mkdir("home");
    const std::string dataHome = tree.path("xdg/data");
    const std::string file = tree.write("a.txt", "a");

    const std::string cwd = tree.mkdir("cwd");
    std::string complaint = inChildWithHome(home, dataHome, cwd, [&]() -> std::string {
        CHECK_OR_SAY(homeTrashFolder() == dataHome + "/Trash");
        CHECK_OR_SAY(moveToTrash(file) == TrashResult::Trashed);
        CHECK_OR_SAY(exists(dataHome + "/Trash/files/a.txt"));
        return {};
    });
    EXPECT_EQ(complaint, "");
    EXPECT_TRUE(namesIn(home).empty());
    EXPECT_TRUE(strayTrashParts(tree.root()).empty());
}

TEST(Trash, AFileSystemWithoutTrashIsReportedAndLeftAlone)
{
    TempTree tree;
    tree.mkdir("mnt");
    auto mounted = dwtest::ScopedMount::tmpfs(tree.path("mnt"), TempTree::userUid());
    if (!mounted)
        GTEST_SKIP() << "mounting a tmpfs is not allowed here";
    const std::string file = tree.write("mnt/a.txt", "a");
    const std::string home = tree.mkdir("home");

    std::string complaint = inChildWithHome(home, "", tree.mkdir("cwd"), [&]() -> std::string {
        CHECK_OR_SAY(moveToTrash(file) == TrashResult::NoTrash);
        return {};
    });
    EXPECT_EQ(complaint, "");
    EXPECT_EQ(dwtest::readFile(file), "a");
    EXPECT_EQ(namesIn(tree.path("mnt")), std::vector<std::string>{"a.txt"});
}

TEST(Trash, TrashCliListsAndRestoresWhatWeTrashed)
{
    int status = 0;
    run("command -v trash-list && command -v trash-restore", status);
    if (status != 0)
        GTEST_SKIP() << "trash-cli (trash-list, trash-restore) is not installed";
    TempTree tree;
    const std::string home = tree.mkdir("home");
    const std::string dataHome = home + "/.local/share";
    const std::string docs = tree.mkdir("docs");
    const std::string report = tree.write("docs/report.txt", "quarterly");
    const std::string folder = tree.path("docs/Папка с пробелом");
    tree.write("docs/Папка с пробелом/inner.txt", "inner");

    std::string complaint = inChildWithHome(home, dataHome, docs, [&]() -> std::string {
        CHECK_OR_SAY(moveToTrash(report) == TrashResult::Trashed);
        CHECK_OR_SAY(moveToTrash(folder) == TrashResult::Trashed);
        return {};
    });
    ASSERT_EQ(complaint, "");
    ASSERT_FALSE(exists(report));

    const std::string env = "env HOME='" + home + "' XDG_DATA_HOME='" + dataHome + "' ";
    std::string listed = run(env + "trash-list 2>/dev/null", status);
    EXPECT_NE(listed.find(" " + report + "\n"), std::string::npos) << listed;
    EXPECT_NE(listed.find(" " + folder + "\n"), std::string::npos) << listed;

    // trash-restore numbers what was trashed from the current folder and asks which one.
    const std::string restore = "cd '" + docs + "' && " + env + "trash-restore";
    std::string menu = run(restore + " </dev/null 2>&1", status);
    std::string index;
    std::istringstream lines(menu);
    for (std::string line; std::getline(lines, line);) {
        if (line.ends_with(" " + report)) {
            std::istringstream words(line);
            words >> index;
        }
    }
    ASSERT_FALSE(index.empty()) << menu;
    run("echo " + index + " | (" + restore + ") >/dev/null 2>&1", status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(dwtest::readFile(report), "quarterly");
    listed = run(env + "trash-list 2>/dev/null", status);
    EXPECT_EQ(listed.find(" " + report + "\n"), std::string::npos) << listed;
    EXPECT_NE(listed.find(" " + folder + "\n"), std::string::npos) << listed;
}

}  // namespace
