#include "engine/search/early_fingerprints.h"
#include "engine/search/finders.h"
#include "engine/search/fingerprint.h"
#include "engine/search/folder_walker.h"
#include "engine/search/prefix_reader.h"
#include "recorder.h"
#include "support/temp_tree.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <map>
#include <set>
#include <vector>

using namespace dw;
using dwtest::RowRecorder;
using dwtest::TempTree;

namespace {

constexpr std::uint32_t kPrefix = 8192;

// Walks the tree with an early fingerprinter that is finished, after reading
// all it was handed, before the list is returned.
ScanList walkWithEarlyFingerprints(const TempTree& tree, std::vector<std::string> excluded = {})
{
    ScanList list;
    FolderWalker walker;
    EarlyFingerprinter early(kPrefix, std::move(excluded));
    WalkOptions options;
    options.highSecurity = false;
    options.fingerprinter = &early;
    walker.walk(tree.root(), list, options);
    early.finish(true);
    return list;
}

std::map<std::string, const FileEntry*> byName(const ScanList& list)
{
    std::map<std::string, const FileEntry*> entries;
    for (std::size_t i = 0; i < list.slots(); ++i)
        entries[list[i].name] = &list[i];
    return entries;
}

std::uint32_t crcOf(const FileEntry& entry)
{
    std::uint32_t crc = 0;
    EXPECT_EQ(fingerprint(entry, kPrefix, crc), 0) << entry.path();
    return crc;
}

// Asks the kernel to forget the file's cached pages, so that the next read
// has to wait for the disk (or, on tmpfs, finds them at once).
void evict(const std::string& path)
{
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0) << path;
    ::fdatasync(fd);
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
    ::close(fd);
}

std::int64_t accessTimeNs(const std::string& path)
{
    struct stat st {};
    EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
    return static_cast<std::int64_t>(st.st_atim.tv_sec) * 1'000'000'000 + st.st_atim.tv_nsec;
}

}  // namespace

// Only files that share their size with another one are read during the
// walk, never those of the duplicate search's excluded folders, and the
// fingerprint is the one the search would compute; nobody's access time
// changes.
TEST(EarlyFingerprints, FilesSharingASizeAreFingerprintedDuringTheWalk)
{
    TempTree tree;
    tree.writeSized("a/same1.bin", 20000, 1);
    tree.writeSized("b/same2.bin", 20000, 2);
    tree.writeSized("b/same3.bin", 20000, 1);
    tree.writeSized("lonely.bin", 777, 3);
    tree.writeSized("skip/same4.bin", 20000, 4);
    tree.write("empty1", "");
    tree.write("empty2", "");
    const std::vector<std::string> names = {"a/same1.bin", "b/same2.bin", "b/same3.bin", "lonely.bin",
                                            "skip/same4.bin"};
    for (const std::string& name : names)
        tree.age(name, 10 * 24 * 3600);  // old enough that any read would move the access time
    std::map<std::string, std::int64_t> before;
    for (const std::string& name : names)
        before[name] = accessTimeNs(tree.path(name));

    ScanList list = walkWithEarlyFingerprints(tree, {tree.path("skip")});
    auto entries = byName(list);
    for (const char* name : {"same1.bin", "same2.bin", "same3.bin"}) {
        const FileEntry& entry = *entries.at(name);
        EXPECT_TRUE(entry.prefixRead) << name;
        EXPECT_EQ(entry.hash, crcOf(entry)) << name;
    }
    EXPECT_EQ(entries.at("same1.bin")->hash, entries.at("same3.bin")->hash);
    EXPECT_NE(entries.at("same1.bin")->hash, entries.at("same2.bin")->hash);
    for (const char* name : {"lonely.bin", "same4.bin", "empty1", "empty2"})
        EXPECT_FALSE(entries.at(name)->prefixRead) << name;
    for (const std::string& name : names)
        EXPECT_EQ(accessTimeNs(tree.path(name)), before[name]) << name;
}

// More files of one size than the thread's queue holds: the walk never waits
// for it, and the search still finds every group, the early fingerprints
// and the late ones together.
TEST(EarlyFingerprints, AWalkFasterThanTheThreadStillFindsEveryGroup)
{
    TempTree tree;
    constexpr int kFiles = 5000;
    for (int i = 0; i < kFiles; ++i)
        tree.writeSized("d" + std::to_string(i % 50) + "/f" + std::to_string(i), 1000, static_cast<unsigned>(i % 7));
    ScanList list = walkWithEarlyFingerprints(tree);
    ASSERT_EQ(list.slots(), static_cast<std::size_t>(kFiles));
    RowRecorder recorder;
    Progress progress;
    DuplicateOptions options;
    options.prefixLength = kPrefix;
    findDuplicates(list, options, progress, recorder);
    const auto& rows = recorder.of(ResultKind::Duplicates);
    EXPECT_EQ(rows.size(), static_cast<std::size_t>(kFiles));
    std::set<std::uint32_t> groups;
    for (const auto& row : rows)
        groups.insert(row.group);
    EXPECT_EQ(groups.size(), 7u);
}

// A fingerprint taken during the walk is only a hint: a file changed after
// it, keeping its size, is not reported as a copy of what it was.
TEST(EarlyFingerprints, AFileChangedAfterItsEarlyFingerprintIsNoCopy)
{
    TempTree tree;
    const std::string bytes = dwtest::makeBytes(30000, 9);
    tree.write("one", bytes);
    tree.write("two", bytes);
    tree.write("three", bytes);
    ScanList list = walkWithEarlyFingerprints(tree);
    for (std::size_t i = 0; i < list.slots(); ++i)
        ASSERT_TRUE(list[i].prefixRead) << list[i].name;

    std::string changed = bytes;
    changed[100] ^= 0x55;  // inside the fingerprinted beginning
    int fd = ::open(tree.path("two").c_str(), O_WRONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::pwrite(fd, changed.data(), changed.size(), 0), static_cast<ssize_t>(changed.size()));
    ::close(fd);

    RowRecorder recorder;
    Progress progress;
    DuplicateOptions options;
    options.prefixLength = kPrefix;
    findDuplicates(list, options, progress, recorder);
    std::set<std::string> reported;
    for (const auto& row : recorder.of(ResultKind::Duplicates))
        reported.insert(row.path.substr(tree.root().size()));
    EXPECT_EQ(reported, (std::set<std::string>{"one", "three"}));
}

// Many files, few slots: files the disk still reads wait in the slots, and
// whatever is read comes out with the right fingerprint. Files gone or
// replaced since the walk are never read.
TEST(PrefixReader, ReadsEveryFileWithFewSlotsAndSkipsReplacedOnes)
{
    TempTree tree;
    constexpr int kFiles = 120;
    for (int i = 0; i < kFiles; ++i)
        tree.writeSized("f" + std::to_string(i), 5000 + static_cast<std::uint64_t>(i % 3) * 10000,
                        static_cast<unsigned>(i));
    ScanList list;
    FolderWalker walker;
    WalkOptions walkOptions;
    walkOptions.highSecurity = false;
    walker.walk(tree.root(), list, walkOptions);
    ASSERT_EQ(list.slots(), static_cast<std::size_t>(kFiles));
    for (std::size_t i = 0; i < list.slots(); ++i)
        evict(list[i].path());
    // f0 vanishes; f1 is replaced by another file of the same size.
    ASSERT_EQ(::unlink(tree.path("f0").c_str()), 0);
    // (made before the old one goes, so that it cannot get the old inode number).
    tree.write("f1.new", dwtest::readFile(tree.path("f1")));
    ASSERT_EQ(::rename(tree.path("f1.new").c_str(), tree.path("f1").c_str()), 0);

    std::vector<char> buffer(kPrefix);
    FolderCache folders;
    for (const bool mayWait : {false, true}) {
        std::array<WaitingFile, 8> slots;
        PrefixReader reader(kPrefix, buffer.data(), &folders, slots);
        for (std::size_t i = 0; i < list.slots(); ++i) {
            reader.add(list[i], mayWait);
            EXPECT_LE(reader.waiting(), slots.size());
        }
        reader.finish(mayWait);
        EXPECT_EQ(reader.waiting(), 0u);
    }
    for (std::size_t i = 0; i < list.slots(); ++i) {
        const FileEntry& entry = list[i];
        if (entry.name == "f0" || entry.name == "f1") {
            EXPECT_FALSE(entry.prefixRead) << entry.name;
            continue;
        }
        ASSERT_TRUE(entry.prefixRead) << entry.name;
        EXPECT_EQ(entry.hash, crcOf(entry)) << entry.name;
    }
}
