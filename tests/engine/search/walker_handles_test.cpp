#include "engine/search/folder_walker.h"
#include "platform/safe_path.h"
#include "support/temp_tree.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <map>

using namespace dw;
using dwtest::TempTree;

namespace {

WalkOptions everything()
{
    WalkOptions options;
    options.highSecurity = false;
    return options;
}

std::map<std::string, std::uint64_t> walkSizes(const std::string& scope)
{
    ScanList list;
    FolderWalker walker;
    walker.walk(scope, list, everything());
    std::map<std::string, std::uint64_t> sizes;
    for (std::size_t i = 0; i < list.slots(); ++i)
        sizes[list[i].path()] = list[i].size;
    return sizes;
}

void writeAt(int folderFd, const std::string& name, const std::string& content)
{
    int fd = ::openat(folderFd, name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0) << name;
    ASSERT_EQ(::write(fd, content.data(), content.size()), static_cast<ssize_t>(content.size()));
    ::close(fd);
}

// A chain of folders built through handles, so that it may be deeper than
// any path the system accepts; taken apart the same way at the end.
class DeepChain {
public:
    DeepChain(const std::string& root, const std::string& name, int depth) : name_(name), path_(root)
    {
        int error = 0;
        folders_.push_back(platform::openFolderNoFollow(root, error));
        for (int i = 0; i < depth; ++i) {
            const int parent = folders_.back().get();
            ::mkdirat(parent, name.c_str(), 0755);
            folders_.emplace_back(::openat(parent, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
            path_ += name + "/";
            paths_.push_back(path_);
        }
    }
    ~DeepChain()
    {
        for (std::size_t level = folders_.size() - 1; level > 0; --level) {
            clearFolder(folders_[level].get());
            ::unlinkat(folders_[level - 1].get(), name_.c_str(), AT_REMOVEDIR);
        }
    }

    bool complete() const { return std::all_of(folders_.begin(), folders_.end(), [](const auto& fd) { return fd.valid(); }); }
    int folder(int depth) const { return folders_[static_cast<std::size_t>(depth)].get(); }
    // The path of the folder at `depth` (1 = the first of the chain), ending with '/'.
    const std::string& path(int depth) const { return paths_[static_cast<std::size_t>(depth - 1)]; }

private:
    static void clearFolder(int fd)
    {
        DIR* dir = ::fdopendir(::dup(fd));
        std::vector<std::string> files;
        while (dirent* d = dir ? ::readdir(dir) : nullptr)
            if (d->d_type == DT_REG)
                files.push_back(d->d_name);
        if (dir)
            ::closedir(dir);
        for (const std::string& file : files)
            ::unlinkat(fd, file.c_str(), 0);
    }

    std::string name_;
    std::string path_;
    std::vector<platform::UniqueFd> folders_;
    std::vector<std::string> paths_;
};

int openDescriptors()
{
    int count = 0;
    if (DIR* dir = ::opendir("/proc/self/fd")) {
        while (::readdir(dir))
            ++count;
        ::closedir(dir);
    }
    return count;
}

// Notes the most descriptors open while the walk shows a folder.
class DescriptorWatch : public Progress {
public:
    void setFolder(const std::string& text) override
    {
        if (!text.empty())
            most = std::max(most, openDescriptors());
    }
    int most = 0;
};

std::string canonical(const std::string& path)
{
    char* real = ::realpath(path.c_str(), nullptr);
    std::string resolved = real ? real : "";
    std::free(real);
    return resolved + "/";
}

}  // namespace

TEST(FolderWalkerHandles, FilesDeeperThanAnyPathAreFound)
{
    TempTree tree;
    const std::string pairContent(300, 'p');
    const std::string deepContent(500, 'q');
    {
        DeepChain chain(tree.root(), std::string(200, 'n'), 30);
        ASSERT_TRUE(chain.complete());
        writeAt(chain.folder(6), "a.bin", pairContent);
        writeAt(chain.folder(6), "b.bin", pairContent);
        writeAt(chain.folder(26), "c.bin", deepContent);
        writeAt(chain.folder(26), "d.bin", deepContent);
        ASSERT_GT(chain.path(26).size(), static_cast<std::size_t>(PATH_MAX));

        auto sizes = walkSizes(tree.root());
        EXPECT_EQ(sizes.size(), 4u);
        EXPECT_EQ(sizes[chain.path(6) + "a.bin"], 300u);
        EXPECT_EQ(sizes[chain.path(6) + "b.bin"], 300u);
        EXPECT_EQ(sizes[chain.path(26) + "c.bin"], 500u);
        EXPECT_EQ(sizes[chain.path(26) + "d.bin"], 500u);
    }
}

TEST(FolderWalkerHandles, DeepTreesKeepFewDescriptorsOpenAndLoseNothing)
{
    // Every level holds the next level and a side folder with one file, so
    // the walk comes back to folders far above the deepest one.
    TempTree tree;
    constexpr int kDepth = 200;
    {
        int error = 0;
        platform::UniqueFd level = platform::openFolderNoFollow(tree.root(), error);
        for (int i = 0; i < kDepth; ++i) {
            ASSERT_EQ(::mkdirat(level.get(), "side", 0755), 0);
            ASSERT_EQ(::mkdirat(level.get(), "d", 0755), 0);
            platform::UniqueFd side(::openat(level.get(), "side", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
            writeAt(side.get(), "f" + std::to_string(i), "x");
            level.reset(::openat(level.get(), "d", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        }
    }
    DescriptorWatch watch;
    const int before = openDescriptors();
    ScanList list;
    FolderWalker walker(&watch);
    EXPECT_EQ(walker.walk(tree.root(), list, everything()), static_cast<std::uint64_t>(kDepth));
    EXPECT_LT(watch.most - before, 100);
    EXPECT_EQ(openDescriptors(), before);
    EXPECT_EQ(walker.skipped(), 0u);
}

TEST(FolderWalkerHandles, WalkingLeavesFolderAccessTimesAlone)
{
    TempTree tree;
    tree.write("old/inner/file.txt", "x");
    tree.write("old/file.txt", "x");
    const std::int64_t yearAgo = 365LL * 24 * 3600;
    auto ageAll = [&] {
        for (const char* folder : {"old/inner", "old", ""})
            tree.age(folder, yearAgo);
    };
    auto accessed = [&](const char* folder) {
        struct stat st {};
        ::lstat(tree.path(folder).c_str(), &st);
        return st.st_atim.tv_sec;
    };
    ageAll();
    const auto expected = accessed("old");
    ScanList list;
    FolderWalker walker;
    walker.walk(tree.root(), list, everything());
    for (const char* folder : {"old/inner", "old", ""})
        EXPECT_EQ(accessed(folder), expected) << folder;

    // The same for the folders' owner, who is not root.
    ageAll();
    EXPECT_TRUE(TempTree::runAsUser([&] {
        ScanList userList;
        FolderWalker userWalker;
        return userWalker.walk(tree.root(), userList, everything()) == 2;
    }));
    for (const char* folder : {"old/inner", "old", ""})
        EXPECT_EQ(accessed(folder), expected) << folder;
}

TEST(FolderWalkerHandles, ScopeFoldersAreResolvedOnceToTheirRealPath)
{
    TempTree tree;
    tree.write("real/home/notes.txt", "x");
    ASSERT_EQ(::symlink(tree.path("real").c_str(), tree.path("via").c_str()), 0);
    const std::string real = canonical(tree.path("real/home"));

    auto sizes = walkSizes(tree.path("via/home/"));
    ASSERT_EQ(sizes.size(), 1u);
    EXPECT_EQ(sizes.begin()->first, real + "notes.txt");
    // "." and ".." in the named folder resolve too.
    EXPECT_EQ(walkSizes(tree.path("via/home/../home/.")).begin()->first, real + "notes.txt");

    ASSERT_EQ(::symlink("/proc", tree.path("proc-link").c_str()), 0);
    ASSERT_EQ(::symlink("/proc/self", tree.path("self-link").c_str()), 0);
    for (const char* link : {"proc-link", "proc-link/", "self-link/"}) {
        ScanList list;
        FolderWalker walker;
        EXPECT_EQ(walker.walk(tree.path(link), list, everything()), 0u) << link;
    }
}
