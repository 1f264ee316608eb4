#include "engine/results/session_file.h"
#include "support/temp_tree.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

namespace {

using dw::ResultKind;
using dw::ResultSet;
using dw::SessionStatus;
using Paths = std::vector<std::string>;

std::string u16(std::uint16_t v) { return {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)}; }
std::string u32(std::uint32_t v) { return u16(static_cast<std::uint16_t>(v)) + u16(static_cast<std::uint16_t>(v >> 16)); }
std::string record(const std::string& path, std::uint32_t size = 4)
{
    return std::string(1, static_cast<char>(path.size())) + path + u32(size) + std::string(1, dw::attr::Archive) +
           u32(0xFFFFFF);
}

Paths paths(const dw::ResultList& list)
{
    Paths result;
    for (const auto& row : list.rows())
        result.push_back(row.path);
    return result;
}

class SessionSafetyTest : public ::testing::Test {
protected:
    SessionStatus loadBytes(const std::string& bytes)
    {
        std::ofstream(tree.path("made.dwx"), std::ios::binary | std::ios::trunc) << bytes;
        return dw::loadSession(tree.path("made.dwx"), results, progress);
    }

    dwtest::TempTree tree;
    dw::Progress progress;
    ResultSet results;
};

TEST_F(SessionSafetyTest, RowsMustNameExactlyOneEntry)
{
    const std::string victim = tree.write("a/victim/sub/keep.txt", "data");
    const std::string folder = tree.path("a/victim");
    const Paths unclean = {folder + "/sub/..", folder + "/.", tree.root() + "/a/victim", folder + "//sub",
                           folder + "/sub/../sub/keep.txt"};
    std::string block = u32(static_cast<std::uint32_t>(unclean.size() + 1));
    for (const std::string& path : unclean)
        block += record(path);
    block += record(victim);
    // Such rows are passed over; the file is not damaged for them.
    EXPECT_EQ(loadBytes(block + u32(0) + u32(0) + u32(0)), SessionStatus::Ok);
    EXPECT_EQ(paths(results.list(ResultKind::Duplicates)), Paths{victim});
    // ...but a bad rest still is.
    EXPECT_EQ(loadBytes(u32(2) + record(folder + "/.") + record(victim) + u32(0)), SessionStatus::Damaged);
}

TEST_F(SessionSafetyTest, DamageBeyondTheRecords)
{
    const std::string one = tree.write("x/one", "data");
    const std::string four = u32(1) + record(one) + u32(0) + u32(0) + u32(0);
    EXPECT_EQ(loadBytes(four), SessionStatus::Ok);
    EXPECT_EQ(loadBytes(four + "x"), SessionStatus::Damaged);
    EXPECT_EQ(loadBytes(four + u32(0)), SessionStatus::Damaged);

    // A wide-character length whose 65 534 bytes are all there, the record cut after them.
    EXPECT_EQ(loadBytes(u32(1) + "\xFF\xFE\xFF" + std::string(65534, 'w')), SessionStatus::Damaged);
    EXPECT_EQ(loadBytes(u32(1) + "\xFF\xFE\xFF" + std::string(65534, 'w') + u32(4)), SessionStatus::Damaged);
    // A length of almost 4 GiB in a small file is damage, read without allocating it.
    EXPECT_EQ(loadBytes(u32(1) + "\xFF\xFF\xFF" + u32(0xFFFFFFF0) + std::string(4096, '/')), SessionStatus::Damaged);
}

TEST_F(SessionSafetyTest, SavingOverADanglingLinkWritesWhereItPoints)
{
    results.list(ResultKind::BySize).addRow(tree.write("r/kept", "data"), dw::attr::Archive, 4, 0, 0);
    tree.mkdir("out");
    const std::string link = tree.path("session.dwx");
    ASSERT_EQ(::symlink("out/new.dwx", link.c_str()), 0);  // relative, to a file not made yet
    ASSERT_EQ(dw::saveSession(link, results, progress), SessionStatus::Ok);
    struct stat st {};
    EXPECT_TRUE(::lstat(link.c_str(), &st) == 0 && S_ISLNK(st.st_mode));
    EXPECT_EQ(dwtest::readFile(tree.path("out/new.dwx")).substr(4, 4), u32(1));

    // Through a second link too; a link into a missing folder refuses and stays.
    const std::string chain = tree.path("chain.dwx");
    ASSERT_EQ(::symlink(tree.path("via.dwx").c_str(), chain.c_str()), 0);
    ASSERT_EQ(::symlink(tree.path("out/second.dwx").c_str(), tree.path("via.dwx").c_str()), 0);
    EXPECT_EQ(dw::saveSession(chain, results, progress), SessionStatus::Ok);
    EXPECT_EQ(dwtest::readFile(tree.path("out/second.dwx")).size(), 16u + 1 + tree.path("r/kept").size() + 9);

    const std::string nowhere = tree.path("nowhere.dwx");
    ASSERT_EQ(::symlink(tree.path("missing/new.dwx").c_str(), nowhere.c_str()), 0);
    EXPECT_EQ(dw::saveSession(nowhere, results, progress), SessionStatus::CannotCreate);
    EXPECT_TRUE(::lstat(nowhere.c_str(), &st) == 0 && S_ISLNK(st.st_mode));
    const std::string loop = tree.path("loop.dwx");
    ASSERT_EQ(::symlink(loop.c_str(), loop.c_str()), 0);
    EXPECT_EQ(dw::saveSession(loop, results, progress), SessionStatus::CannotCreate);
    EXPECT_TRUE(::lstat(loop.c_str(), &st) == 0 && S_ISLNK(st.st_mode));
}

}  // namespace
