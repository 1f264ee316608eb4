#include "engine/settings/search_settings.h"
#include "engine/texts.h"
#include "platform/qsettings_store.h"
#include "support/temp_tree.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using dw::SearchSettings;
using dw::platform::QSettingsStore;
using Strings = std::vector<std::string>;

namespace {

class SearchSettingsTest : public ::testing::Test {
protected:
    QSettingsStore store() { return QSettingsStore::fromIniFile(file); }

    SearchSettings loaded(const dw::SystemColours& system = {})
    {
        auto s = store();
        SearchSettings settings;
        settings.load(s, system);
        return settings;
    }

    dwtest::TempTree tree;
    std::string file = tree.path("diskwright.ini");
};

TEST_F(SearchSettingsTest, FreshStoreGivesDefaultsAndFirstRunAdditions)
{
    SearchSettings s = loaded({0x102030, 0x405060});

    EXPECT_EQ(s.fundDuplicatesMode, 1);
    EXPECT_EQ(s.duplicatesExcludeDirs, (Strings{"/usr/", "/etc/"}));
    EXPECT_TRUE(s.findFiles);
    EXPECT_TRUE(s.bySize);
    EXPECT_EQ(s.lessThen, 1);
    EXPECT_EQ(s.size, 1u);
    EXPECT_EQ(s.masks, (Strings{dw::text::CppIntermediateMask, dw::text::TempFilesMask}));
    EXPECT_EQ(s.patterns,
              (Strings{"*.bak", "*.chk", "*.lic", "*.ncb", "*.obj", "*.old", "*.pch", "*.tmp", "~*.*"}));
    EXPECT_TRUE(s.maskExcludeDirs.empty());
    EXPECT_FALSE(s.byDays);
    EXPECT_EQ(s.days, 0);
    EXPECT_EQ(s.months, 1);
    EXPECT_TRUE(s.oldExcludeDirs.empty());

    EXPECT_EQ(s.view.bkColor, 0x102030u);
    EXPECT_EQ(s.view.defaultColor, 0x405060u);
    EXPECT_EQ(s.view.archiveColor, 0x405060u);
    EXPECT_EQ(s.view.hiddenColor, 0x405060u);
    EXPECT_EQ(s.view.sysColor, 0x0000FFu);
    EXPECT_EQ(s.view.compressedColor, 0xFF0000u);
    EXPECT_EQ(s.view.readOnlyColor, 0x0000FFu);
    EXPECT_EQ(s.view.duplicatesColor, 0x8E8E8Eu);
    EXPECT_TRUE(s.view.autoArrange);

    EXPECT_TRUE(s.useSystemDiskOperations);
    EXPECT_TRUE(s.removeToRecycleBin);
    EXPECT_EQ(s.priority, 1);
    EXPECT_EQ(s.securityLevel, 1);
}

TEST_F(SearchSettingsTest, FirstRunAdditionsGoAheadOfStoredEntriesUntilTheFirstSave)
{
    {
        auto s = store();
        s.writeString("FindDuplicates", "ExcludeDir0", "/home/u/keep/");
        s.writeString("FindMask", "Mask0", "Logs\t*.log");
        ASSERT_TRUE(s.flush());
    }
    for (int start = 0; start < 2; ++start) {
        SearchSettings s = loaded();
        EXPECT_EQ(s.duplicatesExcludeDirs, (Strings{"/usr/", "/etc/", "/home/u/keep/"}));
        EXPECT_EQ(s.masks, (Strings{dw::text::CppIntermediateMask, dw::text::TempFilesMask, "Logs\t*.log"}));
    }

    // The user removes every default and saves: they never come back.
    SearchSettings s = loaded();
    s.duplicatesExcludeDirs.clear();
    s.masks = {"Logs\t*.log"};
    auto st = store();
    s.save(st);
    EXPECT_EQ(st.readInt("General", "FirstTime", 1), 0);

    SearchSettings again = loaded();
    EXPECT_TRUE(again.duplicatesExcludeDirs.empty());
    EXPECT_EQ(again.masks, (Strings{"Logs\t*.log"}));
    EXPECT_EQ(again.patterns, (Strings{"*.log"}));
}

TEST_F(SearchSettingsTest, ListsEndAtAHoleOrAtEmptyAndSaveDropsStaleIndices)
{
    {
        auto s = store();
        s.writeInt("General", "FirstTime", 0);
        s.writeString("FindOld", "ExcludeDir0", "/a/");
        s.writeString("FindOld", "ExcludeDir1", "/b/");
        s.writeString("FindOld", "ExcludeDir3", "/d/");
        s.writeString("FindMask", "ExcludeDir0", "/m/");
        s.writeString("FindMask", "ExcludeDir1", "EMPTY");
        s.writeString("FindMask", "ExcludeDir2", "/n/");
        s.writeString("FindDuplicates", "ExcludeDir0", "empty");
        s.writeString("FindDuplicates", "ExcludeDir1", "");
        ASSERT_TRUE(s.flush());
    }
    SearchSettings s = loaded();
    EXPECT_EQ(s.oldExcludeDirs, (Strings{"/a/", "/b/"}));
    EXPECT_EQ(s.maskExcludeDirs, (Strings{"/m/"}));
    // Only the exact text ends a list; an empty value is an entry.
    EXPECT_EQ(s.duplicatesExcludeDirs, (Strings{"empty", ""}));

    {
        auto st = store();
        s.save(st);
    }
    auto st = store();
    EXPECT_EQ(st.readString("FindOld", "ExcludeDir1", "EMPTY"), "/b/");
    EXPECT_EQ(st.readString("FindOld", "ExcludeDir3", "EMPTY"), "EMPTY");
    EXPECT_EQ(st.readString("FindMask", "ExcludeDir2", "EMPTY"), "EMPTY");
}

TEST_F(SearchSettingsTest, SaveClearsEverySectionButView)
{
    {
        auto s = store();
        for (const char* section : {"FindDuplicates", "FindEmpty", "FindMask", "FindOld", "Global", "View"})
            s.writeInt(section, "Stale", 7);
        ASSERT_TRUE(s.flush());
    }
    SearchSettings s = loaded();
    {
        auto st = store();
        s.save(st);
    }
    auto st = store();
    for (const char* section : {"FindDuplicates", "FindEmpty", "FindMask", "FindOld", "Global"})
        EXPECT_EQ(st.readInt(section, "Stale", -1), -1) << section;
    EXPECT_EQ(st.readInt("View", "Stale", -1), 7);
}

TEST_F(SearchSettingsTest, EveryFieldRoundTripsThroughTheFile)
{
    SearchSettings s = loaded();
    s.fundDuplicatesMode = 2;
    s.duplicatesExcludeDirs = {"/home/u/Smith, John/", "/srv/\tdata/"};
    s.findFiles = s.bySize = false;
    s.lessThen = 0;
    s.size = 3000000000u;
    s.masks = {"Кэш, временное\t*.кэш;\"a;b\"", " spaced \t *.x "};
    s.maskExcludeDirs = {"/home/u/Документы/", "/say \"hi\"/"};
    s.byDays = true;
    s.days = 31;
    s.months = 0;
    s.oldExcludeDirs = {"/tmp/a=b;c/"};
    s.view = {0x010203, 0x040506, 0x070809, 0x0A0B0C, 0x0D0E0F, 0x101112, 0x131415, 0x161718, false};
    s.useSystemDiskOperations = s.removeToRecycleBin = false;
    s.priority = 0;
    s.securityLevel = 0;
    auto first = store();
    s.save(first);
    const std::string saved = dwtest::readFile(file);

    // Every field differs from its default, so a field that failed to load
    // would be saved differently the second time. The copy is read from disk,
    // not from QSettings' in-process cache.
    auto second = QSettingsStore::fromIniFile(tree.write("copy.ini", saved));
    SearchSettings r;
    r.load(second, {0xAAAAAA, 0xBBBBBB});
    EXPECT_EQ(r.masks, s.masks);
    EXPECT_EQ(r.patterns, (Strings{"*.x", "*.кэш", "a;b"}));
    EXPECT_EQ(r.size, 3000000000u);
    r.save(second);
    EXPECT_EQ(dwtest::readFile(tree.path("copy.ini")), saved);
}

TEST_F(SearchSettingsTest, OutOfRangeValuesAreBroughtIntoRange)
{
    {
        auto s = store();
        s.writeInt("FindDuplicates", "FundDuplicatesMode", 5);
        s.writeInt("FindEmpty", "LessThen", 7);
        s.writeInt("FindOld", "Days", -4);
        s.writeInt("FindOld", "Months", 40);
        s.writeInt("View", "BkColor", static_cast<int>(0xFF123456u));
        s.writeInt("Global", "Priority", 9);
        s.writeInt("Global", "SecurityLevel", -1);
        ASSERT_TRUE(s.flush());
    }
    SearchSettings s = loaded();
    EXPECT_EQ(s.fundDuplicatesMode, 5);  // kept: the finder treats it as its own case
    EXPECT_EQ(s.lessThen, 1);
    EXPECT_EQ(s.days, -4);    // the age limits are the user's, kept as stored
    EXPECT_EQ(s.months, 40);
    EXPECT_EQ(s.view.bkColor, 0x123456u);
    EXPECT_EQ(s.priority, 2);
    EXPECT_EQ(s.securityLevel, 1);
}

}  // namespace
