#include "engine/search/search_driver.h"
#include "engine/texts.h"
#include "recorder.h"
#include "support/temp_tree.h"

#include <gtest/gtest.h>

using namespace dw;
using dwtest::RowRecorder;
using dwtest::TempTree;

namespace {

SearchSettings lowSecuritySettings()
{
    SearchSettings settings;
    settings.securityLevel = 0;
    settings.patterns = {"*.tmp"};
    return settings;
}

// Cancels as soon as the walk shows its `after`-th folder.
class CancellingProgress : public Progress {
public:
    explicit CancellingProgress(int after) : after_(after) {}
    void setFolder(const std::string& text) override
    {
        if (!text.empty() && ++shown_ >= after_)
            requestCancel();
    }

private:
    int after_;
    int shown_ = 0;
};

}  // namespace

TEST(SearchDriver, CountsEveryScopeFolder)
{
    TempTree tree;
    for (int i = 0; i < 10; ++i)
        tree.write("ten/f" + std::to_string(i), std::to_string(i));
    for (int i = 0; i < 5; ++i)
        tree.write("five/g" + std::to_string(i), std::to_string(i));
    tree.write("ten/sub/deeper", "x");

    SearchSettings settings = lowSecuritySettings();
    RowRecorder rows;
    Progress progress;
    SearchDriver driver(settings, progress, rows);
    SearchRequest request;
    request.scope = {tree.path("ten/")};
    request.subfolders = false;
    request.byMask = false;
    EXPECT_EQ(driver.runSearch(request).analysed, 10u);

    request.scope = {tree.path("ten/"), tree.path("five/")};
    EXPECT_EQ(driver.runSearch(request).analysed, 15u);
    EXPECT_EQ(analysedText(15), "15 Файлов");
}

TEST(SearchDriver, RunsTheSelectedFindersInTabOrder)
{
    TempTree tree;
    tree.write("a.tmp", "same content");
    tree.write("b.tmp", "same content");
    tree.write("empty", "");
    SearchSettings settings = lowSecuritySettings();
    RowRecorder rows;
    Progress progress;
    SearchDriver driver(settings, progress, rows);
    SearchRequest request;
    request.scope = {tree.root()};
    SearchStatistics stats = driver.runSearch(request);
    EXPECT_EQ(rows.started, (std::vector<ResultKind>{ResultKind::ByMask, ResultKind::BySize,
                                                      ResultKind::Duplicates, ResultKind::Old}));
    EXPECT_EQ(stats.rows[static_cast<int>(ResultKind::ByMask)], 2u);
    EXPECT_FALSE(stats.cancelled);

    // Kinds that are not selected stay empty, also after an earlier run.
    request.byMask = false;
    request.bySize = false;
    request.old = false;
    stats = driver.runSearch(request);
    EXPECT_EQ(stats.rows[static_cast<int>(ResultKind::ByMask)], 0u);
    EXPECT_EQ(stats.rows[static_cast<int>(ResultKind::BySize)], 0u);
    EXPECT_EQ(rows.started.back(), ResultKind::Duplicates);
}

TEST(SearchDriver, CancelDuringTheWalkKeepsWhatWasFoundAndSkipsFinders)
{
    TempTree tree;
    for (int i = 0; i < 20; ++i)
        tree.write("d" + std::to_string(i) + "/x.tmp", "x");
    SearchSettings settings = lowSecuritySettings();
    RowRecorder rows;
    CancellingProgress progress(3);
    SearchDriver driver(settings, progress, rows);
    SearchRequest request;
    request.scope = {tree.root()};
    SearchStatistics stats = driver.runSearch(request);
    EXPECT_TRUE(stats.cancelled);
    EXPECT_LT(stats.analysed, 40u);
    EXPECT_TRUE(rows.started.empty());
}

TEST(SearchDriver, MissingScopeFolderIsReportedAndTheRunGoesOn)
{
    TempTree tree;
    tree.write("present/a", "x");
    SearchSettings settings = lowSecuritySettings();
    RowRecorder rows;
    Progress progress;
    SearchDriver driver(settings, progress, rows);
    SearchRequest request;
    request.scope = {tree.path("missing/"), tree.path("present/")};
    SearchStatistics stats = driver.runSearch(request);
    EXPECT_EQ(stats.analysed, 1u);
    EXPECT_EQ(stats.unreadableScope, std::vector<std::string>{tree.path("missing/")});
}

TEST(SearchDriver, FilesDifferingFarBeyondThePrefixAreNoGroup)
{
    TempTree tree;
    std::string content = dwtest::makeBytes(600'000, 7);
    tree.write("a.bin", content);
    content[500'000] = static_cast<char>(content[500'000] ^ 0x5A);
    tree.write("b.bin", content);
    tree.write("c.bin", content);
    SearchSettings settings = lowSecuritySettings();
    settings.fundDuplicatesMode = 2;  // the longest prefix still ends before the difference
    RowRecorder rows;
    Progress progress;
    SearchDriver driver(settings, progress, rows);
    SearchRequest request;
    request.scope = {tree.root()};
    driver.runSearch(request);
    EXPECT_EQ(rows.pathsOf(ResultKind::Duplicates, tree.root()), (std::vector<std::string>{"b.bin", "c.bin"}));
}

TEST(SearchDriver, StatisticsCountWhatTheSecurityLevelLeftOut)
{
    TempTree tree;
    for (const char* name : {"setup.exe", "libq.so.1", "notes.txt"})
        tree.write(name, "x");
    SearchSettings settings = lowSecuritySettings();
    RowRecorder rows;
    Progress progress;
    SearchDriver driver(settings, progress, rows);
    SearchRequest request;
    request.scope = {tree.root()};
    EXPECT_EQ(driver.runSearch(request).protectedLeftOut, 0u);
    settings.securityLevel = 1;
    SearchStatistics stats = driver.runSearch(request);
    EXPECT_EQ(stats.analysed, 1u);
    EXPECT_EQ(stats.protectedLeftOut, 2u);
}

TEST(SearchDriver, StatisticsTexts)
{
    EXPECT_EQ(elapsedText(3725), "01:02:05");
    EXPECT_EQ(elapsedText(90000), "01:00:00");
    EXPECT_EQ(elapsedText(0), "00:00:00");
    EXPECT_EQ(statisticsLine(3, 12288), "Файлов: 3\t Размер: 12 KB");
    EXPECT_EQ(prefixLengthForMode(0), 4096u);
    EXPECT_EQ(prefixLengthForMode(1), 8192u);
    EXPECT_EQ(prefixLengthForMode(2), 65535u);
    EXPECT_EQ(prefixLengthForMode(7), 8192u);
}

TEST(Texts, RussianPluralOfObjects)
{
    EXPECT_STREQ(dw::text::objectsWord(1), "объект");
    EXPECT_STREQ(dw::text::objectsWord(3), "объекта");
    EXPECT_STREQ(dw::text::objectsWord(5), "объектов");
    EXPECT_STREQ(dw::text::objectsWord(11), "объектов");
    EXPECT_STREQ(dw::text::objectsWord(21), "объект");
    EXPECT_STREQ(dw::text::objectsWord(112), "объектов");
    EXPECT_STREQ(dw::text::objectsWord(1024), "объекта");
}
