#include "engine/search/folder_walker.h"
#include "support/temp_tree.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <tuple>

using namespace dw;
using dwtest::TempTree;

namespace {

using Row = std::tuple<std::string, std::uint64_t, std::uint64_t, std::int64_t, std::uint8_t>;

struct WalkRecord {
    std::vector<Row> rows;
    std::uint64_t skipped = 0;
    std::uint64_t protectedLeftOut = 0;

    bool operator==(const WalkRecord& other) const
    {
        return rows == other.rows && skipped == other.skipped &&
               protectedLeftOut == other.protectedLeftOut;
    }
};

WalkRecord record(const std::vector<std::string>& scope, unsigned threads, bool folders)
{
    WalkOptions options;
    options.includeFolders = folders;
    FolderWalker walker;
    walker.setReadAheadThreads(threads);
    ScanList list;
    for (const std::string& folder : scope)
        walker.walk(folder, list, options);
    WalkRecord result;
    for (std::size_t i = 0; i < list.slots(); ++i)
        result.rows.emplace_back(list[i].path(), list[i].size, list[i].inode, list[i].lastAccessNs,
                                 list[i].attributes);
    result.skipped = walker.skipped();
    result.protectedLeftOut = walker.protectedLeftOut();
    return result;
}

// Wide and deep enough that more folders wait to be read than are read ahead at once.
void buildAwkwardTree(TempTree& tree)
{
    for (int a = 0; a < 12; ++a) {
        const std::string top = "top " + std::to_string(a) + "/";
        for (int b = 0; b < 6; ++b) {
            const std::string mid = top + "мид\n" + std::to_string(b) + "/";
            for (int c = 0; c < 3; ++c)
                tree.write(mid + "leaf" + std::to_string(c) + "/f" + std::to_string(c) + ".txt",
                           std::string(static_cast<std::size_t>(a + b + c), 'x'));
            tree.write(mid + "lib.so.1", "so");
        }
        tree.write(top + std::string("bad\xff.bin"), "y");
        tree.write(top + ".hidden/secret.txt", "z");
    }
    ASSERT_EQ(::symlink(tree.path("top 1").c_str(), tree.path("top 2/loop").c_str()), 0);
    ASSERT_EQ(::symlink(tree.path("top 3/bad\xff.bin").c_str(), tree.path("top 3/file-link").c_str()), 0);
    ASSERT_EQ(::mkfifo(tree.path("top 4/pipe").c_str(), 0600), 0);
    ASSERT_EQ(::chmod(tree.path("top 5/мид\n2").c_str(), 0), 0);
    ASSERT_EQ(::chmod(tree.path("top 7/мид\n0/leaf1").c_str(), 0100), 0);  // enterable, not listable
    std::string deep = "top 9/";
    for (int i = 0; i < 90; ++i)
        deep += "d" + std::to_string(i % 3) + "/";
    tree.write(deep + "bottom.txt", "deep");
}

}  // namespace

TEST(FolderWalkerReadAhead, YieldsTheSameRowsInTheSameOrderAsTheSerialWalk)
{
    TempTree tree;
    buildAwkwardTree(tree);
    const std::vector<std::string> scopes[] = {
        {tree.root()},
        // A nested scope folder after its parent: listed once either way.
        {tree.path("top 6/"), tree.root()},
    };
    EXPECT_TRUE(TempTree::runAsUser([&] {
        for (const auto& scope : scopes) {
            for (bool folders : {false, true}) {
                const WalkRecord serial = record(scope, 0, folders);
                // Every leaf file but those under the two closed folders.
                if (serial.rows.size() < 12 * 6 * 3 - 6 || serial.skipped != 2)
                    return false;
                for (unsigned threads : {1u, 4u, 8u})
                    if (!(record(scope, threads, folders) == serial))
                        return false;
            }
        }
        return true;
    }));
}

TEST(FolderWalkerReadAhead, ReadingAheadLeavesFolderAccessTimesAlone)
{
    TempTree tree;
    for (int i = 0; i < 40; ++i)
        tree.write("f" + std::to_string(i) + "/inner/a.txt", "x");
    for (int i = 0; i < 40; ++i) {
        tree.age("f" + std::to_string(i), 86400 * 30);
        tree.age("f" + std::to_string(i) + "/inner", 86400 * 30);
    }
    struct stat before {};
    ASSERT_EQ(::stat(tree.path("f17/inner").c_str(), &before), 0);
    EXPECT_TRUE(TempTree::runAsUser([&] {
        FolderWalker walker;
        walker.setReadAheadThreads(4);
        ScanList list;
        walker.walk(tree.root(), list, WalkOptions{});
        return list.slots() == 40;
    }));
    struct stat after {};
    ASSERT_EQ(::stat(tree.path("f17/inner").c_str(), &after), 0);
    EXPECT_EQ(after.st_atim.tv_sec, before.st_atim.tv_sec);
}
