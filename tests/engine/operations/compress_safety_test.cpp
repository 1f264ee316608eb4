// Compressing marked files must act on the rows' own files only, and the
// count and blue rows must say exactly what was done. Each test runs in the
// temporary folder's own file system (which usually cannot compress, so it
// proves that nothing else is touched and nothing is reported done wrongly)
// and again on a btrfs image, where compression really happens.

#include "engine/operations/file_operations.h"
#include "engine/operations/file_operations_fixtures.h"
#include "platform/compression.h"
#include "support/temp_tree.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cstdio>
#include <map>
#include <memory>
#include <set>

namespace {

using dw::FileOperations;
using dw::ResultKind;
using dw::ResultList;
using dwtest::addRow;
using dwtest::addSearchedRow;
using dwtest::RecordingProgress;
using dwtest::ScopedMount;
using dwtest::ScriptedPrompts;
using dwtest::TempTree;
using Paths = std::vector<std::string>;

bool hasCompressFlag(const std::string& path)
{
    int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    int flags = 0;
    const bool got = fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (fd >= 0)
        ::close(fd);
    return got && (flags & FS_COMPR_FL) != 0;
}

// What an entry looks like to someone who never touched it: a chmod or an
// inode flag change, even one put back afterwards, moves its change time.
struct EntryState {
    mode_t mode = 0;
    uid_t owner = 0;
    std::int64_t changedSec = 0;
    long changedNsec = 0;
    bool compressFlag = false;
    std::string bytes;  // regular files only

    bool operator==(const EntryState&) const = default;
};

EntryState stateOf(const std::string& path)
{
    struct stat st {};
    EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
    EntryState state{st.st_mode, st.st_uid, st.st_ctim.tv_sec, st.st_ctim.tv_nsec, false, {}};
    if (S_ISREG(st.st_mode)) {
        state.compressFlag = hasCompressFlag(path);
        state.bytes = dwtest::readFile(path);
    }
    return state;
}

std::map<std::string, EntryState> statesOf(const Paths& paths)
{
    std::map<std::string, EntryState> states;
    for (const std::string& path : paths)
        states[path] = stateOf(path);
    return states;
}

Paths rowsColoured(const ResultList& list, dw::Colour colour)
{
    Paths paths;
    for (const auto& row : list.rows())
        if (row.textColour == colour)
            paths.push_back(row.path);
    return paths;
}

// The names of a folder's entries that were opened or changed while it was
// watched; "." stands for the folder itself.
class EntryWatch {
public:
    explicit EntryWatch(const std::string& folder) : fd_(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC))
    {
        EXPECT_GE(fd_, 0);
        EXPECT_GE(::inotify_add_watch(fd_, folder.c_str(), IN_OPEN | IN_MODIFY | IN_ATTRIB), 0)
            << folder;
    }
    ~EntryWatch()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    EntryWatch(const EntryWatch&) = delete;
    EntryWatch& operator=(const EntryWatch&) = delete;

    std::set<std::string> touched()
    {
        alignas(inotify_event) char buffer[4096];
        for (ssize_t n; (n = ::read(fd_, buffer, sizeof buffer)) > 0;) {
            for (ssize_t at = 0; at < n;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                names_.insert(event->len > 0 ? std::string(event->name) : ".");
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
        }
        return names_;
    }

private:
    int fd_;
    std::set<std::string> names_;
};

enum class Place { TempFolder, Btrfs };

class CompressSafety : public ::testing::TestWithParam<Place> {
protected:
    void SetUp() override
    {
        if (GetParam() == Place::Btrfs) {
            tree.mkdir("mnt");
            std::string why;
            mount = ScopedMount::btrfs(tree.path("image.btrfs"), tree.path("mnt"), why);
            if (!mount)
                GTEST_SKIP() << why;
            base = "mnt/";
        }
        const std::string probe = write("probe/file.txt", std::string(50000, 'p'));
        compresses =
            dw::platform::compressFile(probe).status == dw::platform::CompressStatus::Compressed;
        if (GetParam() == Place::Btrfs) {
            ASSERT_TRUE(compresses) << "btrfs refused to compress";
        }
    }

    std::string write(const std::string& relative, const std::string& content)
    {
        return tree.write(base + relative, content);
    }
    std::string at(const std::string& relative) const { return tree.path(base + relative); }
    // What the operation should have compressed, where compression exists.
    Paths ifCompressing(Paths paths) const { return compresses ? paths : Paths{}; }

    // Moves the folder aside and puts a link to `target` in its place.
    void swapFolderForLink(const std::string& relative, const std::string& target)
    {
        ASSERT_EQ(std::rename(at(relative).c_str(), at(relative + "-moved").c_str()), 0);
        ASSERT_EQ(::symlink(target.c_str(), at(relative).c_str()), 0);
    }

    TempTree tree;
    std::unique_ptr<ScopedMount> mount;  // unmounted before the tree goes
    std::string base;                    // where the files live, relative to the tree
    bool compresses = false;
    ScriptedPrompts prompts;
    FileOperations operations{prompts};
    ResultList list{ResultKind::BySize};
    RecordingProgress progress;
};

TEST_P(CompressSafety, AFolderSwappedForALinkIsNeverCompressedThrough)
{
    // The link's target holds files of the same names and sizes, so a row
    // known only by its size would take them for its own.
    const std::string content(100000, 'r');
    const std::string plain = write("plain.txt", content);
    const Paths theirs = {write("other/report.txt", content), write("other/notes.txt", content)};
    addRow(list, plain);
    for (const char* when : {"before", "during"}) {
        const std::string folder = std::string(when) + "/A/";
        addSearchedRow(list, write(folder + "report.txt", content));
        addRow(list, write(folder + "notes.txt", content));
    }
    const auto theirsBefore = statesOf(theirs);
    // One folder is swapped before the run, the other while the first row is worked on.
    swapFolderForLink("before/A", at("other"));
    progress.onShow = [&](const std::string& path) {
        if (path == plain)
            swapFolderForLink("during/A", at("other"));
    };
    EntryWatch watch(at("other"));

    const std::size_t compressed = operations.compressChecked(list, progress);
    EXPECT_EQ(watch.touched(), std::set<std::string>{});
    EXPECT_EQ(statesOf(theirs), theirsBefore);
    EXPECT_EQ(compressed, ifCompressing({plain}).size());
    EXPECT_EQ(rowsColoured(list, dw::kCompressedRowColour), ifCompressing({plain}));
    EXPECT_EQ(rowsColoured(list, dw::kUnusableRowColour),
              (Paths{at("before/A/report.txt"), at("before/A/notes.txt")}));
    EXPECT_EQ(progress.shownPaths.size(), 5u);
    // The rows' own files, now behind another path, were not reached either.
    for (const char* when : {"before", "during"}) {
        for (const char* name : {"report.txt", "notes.txt"}) {
            const std::string moved = at(std::string(when) + "/A-moved/" + name);
            EXPECT_FALSE(hasCompressFlag(moved)) << moved;
        }
    }
}

TEST_P(CompressSafety, AnotherAccountsFileIsNotDoneAndTheRestGoOn)
{
    if (!TempTree::runningAsRoot())
        GTEST_SKIP() << "giving a file to another account needs root";
    const std::string content(80000, 'o');
    const std::string mine = write("files/mine.txt", content);
    const std::string mineReadOnly = write("files/mine-read-only.txt", content);
    ASSERT_EQ(::chmod(mineReadOnly.c_str(), 0444), 0);
    // Readable, writable and read-only for us, but never ours to change.
    Paths foreign;
    const std::pair<const char*, mode_t> kinds[] = {
        {"readable", 0644}, {"writable", 0666}, {"read-only", 0444}};
    for (const auto& [name, mode] : kinds) {
        foreign.push_back(write(std::string("files/foreign-") + name + ".txt", content));
        ASSERT_EQ(::chown(foreign.back().c_str(), 0, 0), 0);
        ASSERT_EQ(::chmod(foreign.back().c_str(), mode), 0);
    }
    addRow(list, mine);
    for (const std::string& path : foreign)
        addRow(list, path);
    addRow(list, mineReadOnly);
    const auto foreignBefore = statesOf(foreign);

    const Paths done = ifCompressing({mine, mineReadOnly});
    EXPECT_TRUE(TempTree::runAsUser([&] {
        return operations.compressChecked(list, progress) == done.size() &&
               rowsColoured(list, dw::kCompressedRowColour) == done &&
               progress.shownPaths.size() == 5;
    }));
    EXPECT_EQ(statesOf(foreign), foreignBefore);
    EXPECT_EQ(hasCompressFlag(mine), compresses);
    EXPECT_EQ(hasCompressFlag(mineReadOnly), compresses);
    EXPECT_EQ(stateOf(mineReadOnly).mode & 07777, 0444u);  // write permission only lent
    EXPECT_EQ(dwtest::readFile(mineReadOnly), content);
}

TEST_P(CompressSafety, ACancelHalfWayStopsAtOnceAndLosesNothing)
{
    Paths files;
    for (char c = 'a'; c < 'g'; ++c) {
        const std::string content =
            std::string(120000, c) + dwtest::makeBytes(300, static_cast<unsigned>(c));
        files.push_back(write(std::string("files/") + c + ".txt", content));
    }
    for (const std::string& path : files)
        addRow(list, path);
    const auto before = statesOf(files);
    const std::uint64_t untouchedSize = list.row(5).sizeOnDisk;
    progress.cancelAfter = 3;

    const std::size_t compressed = operations.compressChecked(list, progress);
    const Paths firstHalf(files.begin(), files.begin() + 3);
    EXPECT_EQ(progress.shownPaths, firstHalf);
    EXPECT_EQ(progress.position.load(), 3u);
    EXPECT_EQ(progress.hides, 1);
    EXPECT_EQ(compressed, ifCompressing(firstHalf).size());
    EXPECT_EQ(rowsColoured(list, dw::kCompressedRowColour), ifCompressing(firstHalf));
    for (std::size_t i = 0; i < files.size(); ++i) {
        const EntryState now = stateOf(files[i]);
        EXPECT_EQ(now.bytes, before.at(files[i]).bytes) << files[i];
        EXPECT_EQ(now.compressFlag, compresses && i < 3) << files[i];
        if (i >= 3) {
            EXPECT_EQ(now, before.at(files[i])) << files[i];
        }
    }
    EXPECT_EQ(list.row(5).sizeOnDisk, untouchedSize);
    std::uint64_t sum = 0;
    for (const auto& row : list.rows())
        sum += row.sizeOnDisk;
    EXPECT_EQ(list.totalSizeOnDisk(), sum);
    EXPECT_EQ(list.checkedSizeOnDisk(), sum);

    // Running again finishes the rest; the first half is already done.
    progress.cancelAfter.reset();
    EXPECT_EQ(operations.compressChecked(list, progress), compressed);
    EXPECT_EQ(rowsColoured(list, dw::kCompressedRowColour), ifCompressing(files));
    for (const std::string& path : files)
        EXPECT_EQ(dwtest::readFile(path), before.at(path).bytes) << path;
}

TEST_P(CompressSafety, ARowThatIsNoLongerARegularFileIsNeverOpened)
{
    const std::string target = write("other/target.txt", std::string(4000, 't'));
    // A link's own size is the length of its target, and a FIFO's is 0: rows
    // known only by their size (as from a session) still match them.
    const std::string linkSized(target.size(), 'l');
    const Paths links = {write("rows/link-session.txt", linkSized),
                         write("rows/link-searched.txt", linkSized)};
    const Paths fifos = {write("rows/fifo-session.txt", ""), write("rows/fifo-searched.txt", "")};
    const std::string plain = write("rows/plain.txt", std::string(60000, 'p'));
    addRow(list, links[0]);
    addSearchedRow(list, links[1]);
    addRow(list, fifos[0]);
    addSearchedRow(list, fifos[1]);
    addRow(list, plain);
    for (const std::string& link : links) {
        ASSERT_EQ(::unlink(link.c_str()), 0);
        ASSERT_EQ(::symlink(target.c_str(), link.c_str()), 0);
    }
    for (const std::string& fifo : fifos) {
        ASSERT_EQ(::unlink(fifo.c_str()), 0);
        ASSERT_EQ(::mkfifo(fifo.c_str(), 0666), 0);
        tree.ownAsUser(fifo);
    }
    const Paths replaced = {links[0], links[1], fifos[0], fifos[1], target};
    const auto before = statesOf(replaced);
    EntryWatch rows(at("rows"));
    EntryWatch other(at("other"));

    const std::size_t compressed = operations.compressChecked(list, progress);
    // The rows' folder is opened to look them up; plain.txt is the one file it may open.
    EXPECT_EQ(rows.touched(), (std::set<std::string>{".", "plain.txt"}));
    EXPECT_EQ(other.touched(), std::set<std::string>{});
    EXPECT_EQ(statesOf(replaced), before);
    EXPECT_EQ(compressed, ifCompressing({plain}).size());
    EXPECT_EQ(rowsColoured(list, dw::kCompressedRowColour), ifCompressing({plain}));
    EXPECT_EQ(progress.shownPaths.size(), 5u);
}

TEST_P(CompressSafety, AnEntrySwappedAfterItWasLookedAtIsLeftAlone)
{
    const std::string target = write("other/target.txt", std::string(40000, 't'));
    const std::string file = write("rows/file.txt", std::string(40000, 'f'));
    struct stat looked {};
    ASSERT_EQ(::lstat(file.c_str(), &looked), 0);
    const int folder = ::open(at("rows").c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(folder, 0);
    auto compressLooked = [&] {
        return dw::platform::compressFileAt(folder, "file.txt", looked).status;
    };
    using dw::platform::CompressStatus;

    // Between the look and the work the name comes to mean something else.
    ASSERT_EQ(::rename(file.c_str(), at("rows/file-moved.txt").c_str()), 0);
    ASSERT_EQ(::symlink(target.c_str(), file.c_str()), 0);
    const auto targetBefore = stateOf(target);
    EntryWatch other(at("other"));
    EXPECT_EQ(compressLooked(), CompressStatus::Failed);
    EXPECT_EQ(other.touched(), std::set<std::string>{});
    EXPECT_EQ(stateOf(target), targetBefore);

    ASSERT_EQ(::unlink(file.c_str()), 0);
    ASSERT_EQ(::mkfifo(file.c_str(), 0666), 0);
    const auto fifoBefore = stateOf(file);
    EXPECT_EQ(compressLooked(), CompressStatus::Failed);
    EXPECT_EQ(stateOf(file), fifoBefore);

    ASSERT_EQ(::unlink(file.c_str()), 0);
    write("rows/file.txt", std::string(40000, 'n'));
    const auto newcomerBefore = stateOf(file);
    EXPECT_EQ(compressLooked(), CompressStatus::Failed);
    EXPECT_EQ(stateOf(file), newcomerBefore);

    // The file itself, back under its name, is still compressed where possible.
    ASSERT_EQ(::rename(at("rows/file-moved.txt").c_str(), file.c_str()), 0);
    EXPECT_EQ(compressLooked(),
              compresses ? CompressStatus::Compressed : CompressStatus::Unsupported);
    EXPECT_EQ(dwtest::readFile(file), std::string(40000, 'f'));
    ::close(folder);
}

INSTANTIATE_TEST_SUITE_P(Places, CompressSafety, ::testing::Values(Place::TempFolder, Place::Btrfs),
                         [](const auto& info) {
                             return info.param == Place::Btrfs ? "Btrfs" : "TempFolder";
                         });

}  // namespace
