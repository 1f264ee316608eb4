#include "engine/search/content_proof.h"
#include "engine/search/finders.h"
#include "engine/search/fingerprint.h"
#include "engine/search/folder_walker.h"
#include "recorder.h"
#include "support/temp_tree.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <limits.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <map>
#include <set>
#include <tuple>

using namespace dw;
using dwtest::RowRecorder;
using dwtest::TempTree;

namespace {

ScanList walkTree(const TempTree& tree)
{
    ScanList list;
    FolderWalker walker;
    WalkOptions options;
    options.highSecurity = false;
    walker.walk(tree.root(), list, options);
    return list;
}

// Rows as (path, group, background): what a list shows, in arrival order.
using Rows = std::vector<std::tuple<std::string, std::uint32_t, Colour>>;

Rows search(const TempTree& tree, std::size_t readerThreads, std::uint32_t prefixLength = 8192)
{
    ScanList list = walkTree(tree);
    RowRecorder recorder;
    Progress progress;
    DuplicateOptions options;
    options.prefixLength = prefixLength;
    options.duplicatesColour = 0xABCDEF;
    options.readerThreads = readerThreads;
    findDuplicates(list, options, progress, recorder);
    EXPECT_EQ(progress.position.load(), list.count() + recorder.of(ResultKind::Duplicates).size());
    Rows rows;
    for (const auto& row : recorder.of(ResultKind::Duplicates))
        rows.emplace_back(row.path.substr(tree.root().size()), row.group, row.back);
    return rows;
}

// The order one file at a time gives: ascending size, then ascending prefix
// CRC, then groups of equal contents in the order of their first file in
// the walk, each file once per inode, each group's files in walk order.
Rows serialOrder(const TempTree& tree, std::uint32_t prefixLength)
{
    ScanList list = walkTree(tree);
    std::vector<std::size_t> order;
    for (std::size_t i = 0; i < list.slots(); ++i)
        order.push_back(i);
    std::map<std::size_t, std::string> contents;
    std::map<std::size_t, std::uint32_t> crcs;
    for (std::size_t i : order) {
        contents[i] = dwtest::readFile(list[i].path());
        const std::string& bytes = contents[i];
        std::size_t length = std::min<std::size_t>(prefixLength, bytes.size());
        crcs[i] = static_cast<std::uint32_t>(
            ::crc32(0, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(length)));
    }
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return std::make_tuple(list[a].size, crcs[a]) < std::make_tuple(list[b].size, crcs[b]);
    });
    Rows rows;
    std::uint32_t group = 0;
    std::vector<bool> used(list.slots(), false);
    std::set<std::pair<std::uint64_t, std::uint64_t>> inodes;
    for (std::size_t k = 0; k < order.size(); ++k) {
        const std::size_t first = order[k];
        if (used[first] || list[first].size == 0 || !inodes.emplace(list[first].device, list[first].inode).second)
            continue;
        std::vector<std::size_t> members{first};
        for (std::size_t m = k + 1; m < order.size() && list[order[m]].size == list[first].size; ++m) {
            const std::size_t other = order[m];
            if (!used[other] && contents[other] == contents[first] &&
                inodes.emplace(list[other].device, list[other].inode).second)
                members.push_back(other);
        }
        if (members.size() < 2)
            continue;
        ++group;
        for (std::size_t member : members) {
            used[member] = true;
            rows.emplace_back(list[member].path().substr(tree.root().size()), group,
                              group % 2 ? 0xABCDEFu : 0u);
        }
    }
    return rows;
}

std::string withByteChanged(std::string bytes, std::size_t at)
{
    bytes[at] = static_cast<char>(bytes[at] ^ 0x5A);
    return bytes;
}

}  // namespace

TEST(DuplicatesParallel, RowsComeInTheOrderOfTheSerialSearch)
{
    TempTree tree;
    // Sizes with several contents that share the prefix, files whose prefix
    // differs, hard links, large sets that are split by digest, unique files.
    for (unsigned size : {900u, 20000u, 150000u}) {
        std::string base = dwtest::makeBytes(size, size);
        for (int variant = 0; variant < 3; ++variant) {
            std::string bytes = variant == 0 ? base : withByteChanged(base, size - 1 - variant);
            for (int copy = 0; copy <= variant + 1; ++copy)
                tree.write("d" + std::to_string(copy % 3) + "/v" + std::to_string(variant) + "_" +
                               std::to_string(size) + "_" + std::to_string(copy),
                           bytes);
        }
        tree.write("early/" + std::to_string(size), withByteChanged(base, 0));
        tree.write("early/" + std::to_string(size) + "b", withByteChanged(base, 0));
    }
    std::string many = dwtest::makeBytes(3000, 77);
    for (int i = 0; i < 40; ++i)
        tree.write("many/" + std::to_string(i % 7) + "/m" + std::to_string(i), i % 5 ? many : withByteChanged(many, 2999));
    ASSERT_EQ(::link(tree.path("many/0/m0").c_str(), tree.path("many/link").c_str()), 0);
    for (int i = 0; i < 30; ++i)
        tree.writeSized("unique/u" + std::to_string(i), 4000 + static_cast<unsigned>(i % 3), 500 + i);

    const Rows expected = serialOrder(tree, 8192);
    ASSERT_GE(expected.size(), 60u);
    EXPECT_EQ(search(tree, 1), expected);
    EXPECT_EQ(search(tree, 12), expected);
    EXPECT_EQ(search(tree, 12, 4096), serialOrder(tree, 4096));
}

TEST(DuplicatesParallel, LateDifferencesSplitLargeAndSmallSets)
{
    TempTree tree;
    std::string base = dwtest::makeBytes(600000, 31);
    tree.write("pair/a", base);
    tree.write("pair/b", withByteChanged(base, 500000));
    tree.write("pair/c", withByteChanged(base, 599999));
    Rows none = search(tree, 12, 65535);
    EXPECT_TRUE(none.empty());

    // A set large enough to be split by digest first.
    for (int i = 0; i < 20; ++i)
        tree.write("set/copy" + std::to_string(i), base);
    tree.write("set/late", withByteChanged(base, 500000));
    tree.write("set/last", withByteChanged(base, 599999));
    tree.write("set/last2", withByteChanged(base, 599999));
    std::map<std::uint32_t, std::vector<std::string>> byNumber;
    for (const auto& [path, group, back] : search(tree, 12, 65535))
        byNumber[group].push_back(path);
    std::vector<std::vector<std::string>> groups;
    for (auto& [number, paths] : byNumber) {
        std::sort(paths.begin(), paths.end());
        groups.push_back(paths);
    }
    std::sort(groups.begin(), groups.end());
    ASSERT_EQ(groups.size(), 3u);
    EXPECT_EQ(groups[0].size(), 21u);  // pair/a and the twenty copies
    EXPECT_EQ(groups[0].front(), "pair/a");
    EXPECT_EQ(groups[1], (std::vector<std::string>{"pair/b", "set/late"}));
    EXPECT_EQ(groups[2], (std::vector<std::string>{"pair/c", "set/last", "set/last2"}));
}

namespace {

bool sameDigestForAll(const FileEntry&, char*, std::size_t, FolderCache*, const Progress*, ContentDigest& digest)
{
    digest = {42, 42};
    return true;
}

}  // namespace

TEST(DuplicatesParallel, AMatchingDigestAloneNeverMakesAGroup)
{
    TempTree tree;
    std::string a = dwtest::makeBytes(70000, 41);
    std::string b = withByteChanged(a, 69999);
    std::string c = withByteChanged(a, 35000);
    // Positions 0, 3, 6, ... hold a; 2 holds c; the others hold b.
    for (int i = 0; i < 24; ++i)
        tree.write("f" + std::to_string(100 + i), i % 3 == 0 ? a : i == 2 ? c : b);
    ScanList list = walkTree(tree);
    list.sortByName();
    std::vector<const FileEntry*> set;
    for (std::size_t i = 0; i < list.slots(); ++i)
        set.push_back(&list[i]);

    ProofSettings settings;
    settings.digest = sameDigestForAll;
    settings.digestFrom = 2;
    ReaderPool pool(4, 16 << 10);
    std::vector<std::vector<std::vector<std::size_t>>> groups;
    std::uint64_t unreadable = 0;
    ASSERT_TRUE(proveCandidateSets({set}, pool, nullptr, settings, groups, unreadable));
    ASSERT_EQ(groups.size(), 1u);
    ASSERT_EQ(groups[0].size(), 2u);  // "c" is alone: no group
    std::vector<std::size_t> groupA, groupB;
    for (std::size_t i = 0; i < 24; ++i) {
        if (i % 3 == 0)
            groupA.push_back(i);
        else if (i != 2)
            groupB.push_back(i);
    }
    EXPECT_EQ(groups[0][0], groupA);
    EXPECT_EQ(groups[0][1], groupB);
    EXPECT_EQ(unreadable, 0u);
}

TEST(DuplicatesParallel, AGroupLargerThanTheDescriptorLimitIsProved)
{
    TempTree tree;
    std::string content = dwtest::makeBytes(1500, 51);
    for (int i = 0; i < 1100; ++i)
        tree.write("d" + std::to_string(i % 9) + "/c" + std::to_string(i), content);
    tree.write("odd", withByteChanged(content, 1499));

    struct rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &saved), 0);
    struct rlimit low = saved;
    low.rlim_cur = std::min<rlim_t>(saved.rlim_cur, 160);  // the pool needs about 12 x 6
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &low), 0);
    Rows rows = search(tree, 12);
    ::setrlimit(RLIMIT_NOFILE, &saved);

    ASSERT_EQ(rows.size(), 1100u);
    for (const auto& row : rows)
        EXPECT_EQ(std::get<1>(row), 1u);
}

namespace {

// Asks for a cancel as soon as the first row arrives.
class CancellingRecorder : public RowRecorder {
public:
    explicit CancellingRecorder(Progress& progress) : progress_(progress) {}
    void addRow(ResultKind kind, const FileEntry& entry, Colour back, Colour text, std::uint32_t group) override
    {
        progress_.requestCancel();
        RowRecorder::addRow(kind, entry, back, text, group);
    }

private:
    Progress& progress_;
};

}  // namespace

TEST(DuplicatesParallel, CancelKeepsTheRowsAlreadyReported)
{
    TempTree tree;
    for (unsigned size : {100u, 200u, 300u}) {
        for (int copy = 0; copy < 3; ++copy)
            tree.write("s" + std::to_string(size) + "_" + std::to_string(copy), dwtest::makeBytes(size, size));
    }
    ScanList list = walkTree(tree);
    Progress progress;
    CancellingRecorder recorder(progress);
    findDuplicates(list, {}, progress, recorder);
    // The group under way is finished; no later group starts.
    std::vector<std::string> paths = recorder.pathsOf(ResultKind::Duplicates, tree.root());
    std::sort(paths.begin(), paths.end());
    EXPECT_EQ(paths, (std::vector<std::string>{"s100_0", "s100_1", "s100_2"}));
    EXPECT_EQ(list.count(), 6u);
}

namespace {

// Folders 200 characters long, `depth` deep below `top`, made through
// handles because their paths outgrow PATH_MAX; removed the same way.
class DeepFolders {
public:
    DeepFolders(const std::string& top, int depth) : path_(top)
    {
        fds_.push_back(::open(top.c_str(), O_DIRECTORY | O_RDONLY | O_CLOEXEC));
        for (int level = 0; level < depth && fds_.back() >= 0; ++level) {
            names_.emplace_back(200, static_cast<char>('a' + level % 26));
            if (::mkdirat(fds_.back(), names_.back().c_str(), 0755) != 0)
                break;
            fds_.push_back(::openat(fds_.back(), names_.back().c_str(), O_DIRECTORY | O_RDONLY | O_CLOEXEC));
            path_ += names_.back() + "/";
        }
    }
    ~DeepFolders()
    {
        for (const std::string& file : files_)
            ::unlinkat(fds_.back(), file.c_str(), 0);
        for (std::size_t level = names_.size(); level > 0; --level) {
            ::close(fds_[level]);
            ::unlinkat(fds_[level - 1], names_[level - 1].c_str(), AT_REMOVEDIR);
        }
        ::close(fds_.front());
    }

    const std::string& path() const { return path_; }

    // Writes a file into the deepest folder and returns its entry.
    FileEntry write(const std::string& name, const std::string& content)
    {
        files_.push_back(name);
        int fd = ::openat(fds_.back(), name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        EXPECT_EQ(::write(fd, content.data(), content.size()), static_cast<ssize_t>(content.size()));
        struct stat st {};
        EXPECT_EQ(::fstat(fd, &st), 0);
        ::close(fd);
        FileEntry entry;
        entry.setPath(path_ + name);
        entry.size = static_cast<std::uint64_t>(st.st_size);
        entry.device = st.st_dev;
        entry.inode = st.st_ino;
        entry.attributes = attr::Archive;
        return entry;
    }

private:
    std::string path_;
    std::vector<int> fds_;
    std::vector<std::string> names_;
    std::vector<std::string> files_;
};

}  // namespace

TEST(DuplicatesParallel, FilesDeeperThanTheLongestPathAreReadAndCompared)
{
    TempTree tree;
    DeepFolders deep(tree.root(), 26);
    ASSERT_GT(deep.path().size(), static_cast<std::size_t>(PATH_MAX));
    std::string content = dwtest::makeBytes(200000, 61);
    ScanList list;
    list.append(deep.write("one", content));
    list.append(deep.write("other", withByteChanged(content, 199999)));
    list.append(deep.write("two", content));

    std::uint32_t crc = 0;
    ASSERT_EQ(fingerprint(list[0], 8192, crc), 0);
    RowRecorder recorder;
    Progress progress;
    FinderResult result = findDuplicates(list, {}, progress, recorder);
    EXPECT_EQ(recorder.pathsOf(ResultKind::Duplicates, deep.path()), (std::vector<std::string>{"one", "two"}));
    EXPECT_EQ(result.unreadable, 0u);
}
