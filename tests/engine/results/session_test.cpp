#include "engine/results/marking.h"
#include "engine/results/session_file.h"
#include "platform/file_status.h"
#include "support/temp_tree.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace {

using dw::ResultKind;
using dw::ResultSet;
using dw::SessionStatus;
using Paths = std::vector<std::string>;
constexpr std::uint8_t kArchive = dw::attr::Archive;
constexpr dw::Colour kGrey = 0x8E8E8E, kWhite = 0xFFFFFF;

std::string u16(std::uint16_t v) { return {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)}; }
std::string u32(std::uint32_t v) { return u16(static_cast<std::uint16_t>(v)) + u16(static_cast<std::uint16_t>(v >> 16)); }
std::string byte(unsigned v) { return std::string(1, static_cast<char>(v)); }
std::string counted(const std::string& text) { return byte(static_cast<unsigned>(text.size())) + text; }
std::string record(const std::string& path, std::uint32_t size, std::uint8_t attributes, dw::Colour colour)
{
    return counted(path) + u32(size) + byte(attributes) + u32(colour);
}

Paths paths(const dw::ResultList& list)
{
    Paths result;
    for (const auto& row : list.rows())
        result.push_back(row.path);
    return result;
}

Paths entries(const std::string& folder)
{
    Paths names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Records what a job reports; cancels when the page of `cancelOn` is shown.
class Recorder : public dw::Progress {
public:
    void setTitle(const std::string& text) override { titles.push_back(text); }
    void setPhase(const std::string& text) override { phases.push_back(text); }
    void show() override { ++shows; }
    void hide() override { ++hides; }
    dw::SessionListShown pages()
    {
        return [this](ResultKind kind) {
            shown.push_back(kind);
            if (cancelOn == kind)
                requestCancel();
        };
    }
    Paths titles, phases;
    std::vector<ResultKind> shown;
    std::optional<ResultKind> cancelOn;
    int shows = 0, hides = 0;
};

class SessionTest : public ::testing::Test {
protected:
    std::string file(const std::string& name, const std::string& content = "data") { return tree.write(name, content); }
    SessionStatus save(const ResultSet& from, const std::string& path)
    {
        return dw::saveSession(path, from, progress, progress.pages());
    }
    SessionStatus load(ResultSet& into, const std::string& path)
    {
        return dw::loadSession(path, into, progress, progress.pages());
    }
    SessionStatus loadBytes(ResultSet& into, const std::string& bytes)
    {
        std::ofstream(tree.path("made.dwx"), std::ios::binary | std::ios::trunc) << bytes;
        return load(into, tree.path("made.dwx"));
    }

    dwtest::TempTree tree;
    Recorder progress;
    ResultSet results;
};

TEST_F(SessionTest, EmptyListsMakeSixteenZeroBytes)
{
    ASSERT_EQ(save(results, tree.path("empty.dwx")), SessionStatus::Ok);
    EXPECT_EQ(dwtest::readFile(tree.path("empty.dwx")), std::string(16, '\0'));
    EXPECT_EQ(progress.titles, Paths{"Сохранение результатов..."});
    EXPECT_EQ(progress.phases, (Paths{"Список одинаковых файлов", "Список файлов найденых по размеру",
                                      "Список файлов найденых по маске", "Список файлов найденых по дате"}));
    EXPECT_TRUE(progress.shown.empty());
    EXPECT_EQ(progress.shows + progress.hides, 2);
}

TEST_F(SessionTest, RecordsAreLaidOutByteForByteAndVanishedFilesLeftOut)
{
    std::string hello = file("s/hello.txt", "hello"), gone = file("s/gone");
    std::string dup1 = file("d/one", "same"), dup2 = file("d/two", "same");
    results.list(ResultKind::BySize).addRow(hello, kArchive, 5, 0, 0);
    results.list(ResultKind::BySize).addRow(gone, kArchive, 4, 0, 0);
    results.list(ResultKind::Duplicates).addRow(dup1, kArchive, 4, kGrey, 0, 1);
    results.list(ResultKind::Duplicates).addRow(dup2, kArchive, 4, kGrey, 0, 1);
    ASSERT_EQ(::unlink(gone.c_str()), 0);
    ASSERT_EQ(save(results, tree.path("layout.dwx")), SessionStatus::Ok);

    auto attributes = [](const std::string& path) { return dw::platform::statPath(path)->attributes; };
    std::string expected = u32(2) + record(dup1, 4, attributes(dup1), kGrey) +
                           record(dup2, 4, attributes(dup2), kGrey) + u32(1) +
                           record(hello, 5, attributes(hello), kWhite) + u32(0) + u32(0);
    EXPECT_EQ(dwtest::readFile(tree.path("layout.dwx")), expected);
    EXPECT_EQ(record("/tmp/a.b", 0, 0, 0).size(), 18u);  // an 8-byte path makes an 18-byte record
    EXPECT_EQ(progress.shown, (std::vector<ResultKind>{ResultKind::Duplicates, ResultKind::BySize}));
}

TEST_F(SessionTest, LengthsTakeTheShortestFormAndEveryFormReadsBack)
{
    std::string path = tree.path(std::string(120, 'a') + "/" + std::string(120, 'b') + "/");
    path += std::string(300 - path.size(), 'c');
    file(path.substr(tree.root().size()), "x");
    results.list(ResultKind::Old).addRow(path, kArchive, 1, 0, 0);
    ASSERT_EQ(save(results, tree.path("long.dwx")), SessionStatus::Ok);
    EXPECT_EQ(dwtest::readFile(tree.path("long.dwx")).substr(12, 7), u32(1) + "\xFF\x2C\x01");

    std::FILE* out = std::fopen(tree.path("strings.bin").c_str(), "wb");
    dw::SessionWriter writer(out);
    for (std::size_t length : {254, 255, 65533, 65534})
        writer.putString(std::string(length, 'x'));
    std::fclose(out);
    std::string bytes = dwtest::readFile(tree.path("strings.bin"));
    EXPECT_EQ(bytes.substr(0, 1), byte(254));
    EXPECT_EQ(bytes.substr(255, 3), "\xFF" + u16(255));
    EXPECT_EQ(bytes.substr(513, 3), "\xFF" + u16(65533));
    EXPECT_EQ(bytes.substr(66049, 7), "\xFF\xFF\xFF" + u32(65534));

    // Longer forms than needed are read as well.
    std::string a = file("f/a"), b = file("f/b");
    std::string tail = u32(4) + byte(kArchive) + u32(kGrey);
    ResultSet loaded;
    ASSERT_EQ(loadBytes(loaded, u32(2) + "\xFF" + u16(static_cast<std::uint16_t>(a.size())) + a + tail +
                                    "\xFF\xFF\xFF" + u32(static_cast<std::uint32_t>(b.size())) + b + tail +
                                    u32(0) + u32(0) + u32(0)),
              SessionStatus::Ok);
    EXPECT_EQ(paths(loaded.list(ResultKind::Duplicates)), (Paths{a, b}));
}

TEST_F(SessionTest, RoundTripKeepsStripingAndTakesTodaysSizes)
{
    auto& dups = results.list(ResultKind::Duplicates);
    Paths group = {file("g/a1", "AAAA"), file("g/a2", "AAAA"), file("g/b1", "BB"), file("g/b2", "BB")};
    for (std::size_t i = 0; i < group.size(); ++i)
        dups.addRow(group[i], kArchive, 4, i < 2 ? kGrey : 0, 0, i < 2 ? 1 : 2);
    std::string grows = file("s/grows", "12"), goes = file("s/goes", "123");
    results.list(ResultKind::BySize).addRow(grows, kArchive, 2, 0, 0);
    results.list(ResultKind::BySize).addRow(goes, kArchive, 3, 0, 0);
    results.list(ResultKind::ByMask).addRow(tree.mkdir("m/folder.tmp"), dw::attr::Folder, 0, 0, 0);
    // Beyond 4 GiB the file keeps the low 32 bits; the row takes the real size.
    const std::uint64_t huge = (4ULL << 30) + 7;
    std::string sparse = file("o/sparse");
    ASSERT_EQ(::truncate(sparse.c_str(), static_cast<off_t>(huge)), 0);
    results.list(ResultKind::Old).addRow(sparse, kArchive, huge, 0, 0);
    ASSERT_EQ(save(results, tree.path("round.dwx")), SessionStatus::Ok);
    EXPECT_NE(dwtest::readFile(tree.path("round.dwx")).find(counted(sparse) + u32(7)), std::string::npos);

    file("s/grows", std::string(5000, 'g'));
    ASSERT_EQ(::unlink(goes.c_str()), 0);  // gone since: the stored size stays
    ResultSet loaded;
    ASSERT_EQ(load(loaded, tree.path("round.dwx")), SessionStatus::Ok);
    const auto& back = loaded.list(ResultKind::Duplicates);
    ASSERT_EQ(paths(back), group);
    for (std::size_t i = 0; i < back.size(); ++i)
        EXPECT_EQ(back.row(i).backColour, i < 2 ? kGrey : kWhite) << i;
    const auto& sized = loaded.list(ResultKind::BySize);
    ASSERT_EQ(paths(sized), (Paths{grows, goes}));
    EXPECT_EQ(sized.row(0).size, 5000u);
    EXPECT_EQ(sized.row(1).size, 3u);
    EXPECT_EQ(loaded.list(ResultKind::ByMask).row(0).size, 0u);
    EXPECT_EQ(loaded.list(ResultKind::Old).row(0).size, huge);

    dw::ResultList copies = back;
    dw::markCopies(copies, dw::KeepRule::First);
    EXPECT_EQ(copies.checkedCount(), 2u);
    EXPECT_TRUE(copies.row(1).checked && copies.row(3).checked);
}

TEST_F(SessionTest, ACountOfZeroLeavesAListAndStrayPathsAddNoRow)
{
    std::string before = file("z/before"), after = file("z/after");
    results.list(ResultKind::Duplicates).addRow(before, kArchive, 4, kGrey, 0, 1);
    results.list(ResultKind::Duplicates).setChecked(0, true);
    ASSERT_EQ(loadBytes(results, u32(0) + u32(3) + record("relative/path", 4, kArchive, kWhite) +
                                     record(after + std::string(1, '\0') + "tail", 4, kArchive, kWhite) +
                                     record(after, 4, kArchive, kWhite) + u32(0) + u32(0)),
              SessionStatus::Ok);
    const auto& dups = results.list(ResultKind::Duplicates);
    ASSERT_EQ(paths(dups), Paths{before});
    EXPECT_TRUE(dups.row(0).checked);
    EXPECT_EQ(paths(results.list(ResultKind::BySize)), Paths{after});
    EXPECT_EQ(progress.shown, std::vector<ResultKind>{ResultKind::BySize});
}

TEST_F(SessionTest, DamageIsReportedAndWhatWasReadStays)
{
    std::string one = file("x/one"), two = file("x/two"), old = file("x/old");
    const std::string dups = u32(1) + record(one, 4, kArchive, kGrey);
    struct Damage {
        const char* what;
        std::string bytes;
        std::size_t sizeRows;  // of the by-size list afterwards; it had 1
    };
    const std::vector<Damage> damages = {
        {"empty file", "", 1},
        {"count cut short", std::string("\x01\x00", 2), 1},
        {"fewer records than counted", dups + u32(3) + record(two, 4, kArchive, 0), 1},
        {"record cut in its size", dups + u32(2) + record(two, 4, kArchive, 0) + counted(one) + "\x04", 1},
        {"string cut short", dups + u32(1) + byte(50) + "/tmp/short", 0},
        {"long length beyond the file", dups + u32(1) + "\xFF\xFF\xFF" + u32(0xFFFFFFF0) + "/x", 0},
        {"short length beyond the file", dups + u32(1) + "\xFF" + u16(60000) + "/x", 0},
        {"wide string marker", dups + u32(1) + "\xFF\xFE\xFF" + counted("/x"), 0},
        {"huge count in a tiny file", u32(0xFFFFFFFF) + record(one, 4, kArchive, kGrey), 1},
    };
    for (const Damage& damage : damages) {
        ResultSet lists;
        for (ResultKind kind : {ResultKind::Duplicates, ResultKind::BySize, ResultKind::ByMask})
            lists.list(kind).addRow(old, kArchive, 4, 0, 0);
        EXPECT_EQ(loadBytes(lists, damage.bytes), SessionStatus::Damaged) << damage.what;
        EXPECT_EQ(paths(lists.list(ResultKind::Duplicates)), Paths{damage.bytes.size() > 4 ? one : old})
            << damage.what;
        EXPECT_EQ(lists.list(ResultKind::BySize).size(), damage.sizeRows) << damage.what;
        EXPECT_EQ(paths(lists.list(ResultKind::ByMask)), Paths{old}) << damage.what;
    }
    EXPECT_EQ(progress.hides, progress.shows);
    EXPECT_STREQ(dw::sessionMessage(SessionStatus::Damaged), "Файл результатов повреждён.");
}

TEST_F(SessionTest, OnlyListsReadWholeCountAsFilled)
{
    std::string one = file("w/one"), two = file("w/two");
    const std::string whole = u32(1) + record(one, 4, kArchive, kGrey);
    auto filledBy = [&](const std::string& bytes) {
        std::ofstream(tree.path("w.dwx"), std::ios::binary | std::ios::trunc) << bytes;
        std::vector<ResultKind> filled;
        ResultSet lists;
        dw::SessionLists pointers{};
        for (int k = 0; k < dw::kResultKindCount; ++k)
            pointers[static_cast<std::size_t>(k)] = &lists.list(static_cast<ResultKind>(k));
        dw::loadSession(tree.path("w.dwx"), pointers, progress, {},
                        [&](ResultKind kind) { filled.push_back(kind); });
        return filled;
    };
    // Duplicates whole, an empty by-size block, by-mask cut in its second record.
    EXPECT_EQ(filledBy(whole + u32(0) + u32(2) + record(two, 4, kArchive, 0) + "\x05"),
              std::vector<ResultKind>{ResultKind::Duplicates});
    // The damage in the next block's count leaves the block before it whole.
    EXPECT_EQ(filledBy(whole + "\x01"), std::vector<ResultKind>{ResultKind::Duplicates});
    EXPECT_EQ(filledBy(u32(2) + record(one, 4, kArchive, kGrey)), std::vector<ResultKind>{});
    EXPECT_EQ(filledBy(whole + u32(0) + whole + whole),
              (std::vector<ResultKind>{ResultKind::Duplicates, ResultKind::ByMask, ResultKind::Old}));
}

TEST_F(SessionTest, ACancelledOrFailedSaveLeavesThePreviousFileAlone)
{
    for (int i = 0; i < 3; ++i)
        results.list(ResultKind::BySize).addRow(file("c/f" + std::to_string(i)), kArchive, 4, 0, 0);
    const std::string folder = tree.mkdir("out") + "/", target = folder + "session.dwx";
    file("out/session.dwx", "previous contents");

    progress.cancelOn = ResultKind::BySize;
    EXPECT_EQ(save(results, target), SessionStatus::Cancelled);
    EXPECT_EQ(dwtest::readFile(target), "previous contents");
    EXPECT_EQ(entries(folder), Paths{"session.dwx"});  // no temporary file left
    progress.cancelOn.reset();

    // A folder, a device, a missing folder or no name is no place for the file.
    for (const std::string& place : {tree.mkdir("out/sub"), std::string("/dev/null"), tree.path("no/s.dwx"), std::string()})
        EXPECT_EQ(save(results, place), SessionStatus::CannotCreate) << place;
    EXPECT_STREQ(dw::sessionMessage(SessionStatus::CannotCreate), "Возникла ошибка при создании файла!");

    ASSERT_EQ(::chmod(folder.c_str(), 0555), 0);
    EXPECT_TRUE(dwtest::TempTree::runAsUser(
        [&] { return dw::saveSession(target, results, progress) == SessionStatus::CannotCreate; }));
    ASSERT_EQ(::chmod(folder.c_str(), 0755), 0);
    EXPECT_EQ(dwtest::readFile(target), "previous contents");

    // A save that completes replaces the file through a link, keeping its mode.
    ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
    ASSERT_EQ(::symlink(target.c_str(), tree.path("alias.dwx").c_str()), 0);
    ASSERT_EQ(save(results, tree.path("alias.dwx")), SessionStatus::Ok);
    EXPECT_EQ(dwtest::readFile(target).substr(4, 4), u32(3));
    struct stat st {};
    EXPECT_TRUE(::lstat(tree.path("alias.dwx").c_str(), &st) == 0 && S_ISLNK(st.st_mode));
    EXPECT_TRUE(::stat(target.c_str(), &st) == 0 && (st.st_mode & 07777) == 0640);
    EXPECT_EQ(entries(folder), (Paths{"session.dwx", "sub"}));
}

TEST_F(SessionTest, FailedAndCancelledLoads)
{
    std::string a = file("k/a"), b = file("k/b"), old = file("k/old");
    results.list(ResultKind::ByMask).addRow(old, kArchive, 4, 0, 0);
    ASSERT_EQ(::mkfifo(tree.path("pipe").c_str(), 0600), 0);  // must not hang
    for (const std::string& path : {tree.path("none.dwx"), tree.mkdir("folder.dwx"), tree.path("pipe")})
        EXPECT_EQ(load(results, path), SessionStatus::CannotOpen) << path;
    EXPECT_EQ(paths(results.list(ResultKind::ByMask)), Paths{old});

    const std::string session = u32(1) + record(a, 4, kArchive, kGrey) + u32(2) + record(a, 4, kArchive, 0) +
                                record(b, 4, kArchive, 0) + u32(1) + record(b, 4, kArchive, 0) + u32(0);
    progress.cancelOn = ResultKind::BySize;
    EXPECT_EQ(loadBytes(results, session), SessionStatus::Cancelled);
    EXPECT_EQ(paths(results.list(ResultKind::Duplicates)), Paths{a});
    EXPECT_EQ(paths(results.list(ResultKind::BySize)), Paths{a});
    EXPECT_EQ(paths(results.list(ResultKind::ByMask)), Paths{old});
    EXPECT_EQ(progress.titles.back(), "Загрузка результатов...");
    EXPECT_EQ(progress.hides, progress.shows);

    // A flag left set by an earlier job does not stop the next one.
    progress.cancelOn.reset();
    EXPECT_EQ(loadBytes(results, session), SessionStatus::Ok);
    EXPECT_EQ(paths(results.list(ResultKind::ByMask)), Paths{b});
}

}  // namespace
