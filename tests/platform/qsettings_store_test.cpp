#include "platform/qsettings_store.h"
#include "support/temp_tree.h"

#include <QSettings>
#include <QString>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using dw::platform::QSettingsStore;

namespace {

TEST(QSettingsStore, StringsRoundTripExactlyThroughTheFile)
{
    dwtest::TempTree tree;
    const std::string file = tree.path("settings.ini");
    const std::vector<std::string> values = {
        "a,b", "/home/u/Smith, John/", "*.obj;*.pch", "Temp files\t*.tmp;*.old",
        "say \"hi\"", "Кириллица, тоже", "  lead and trail  ", "EMPTY", "",
        "@ByteArray(x)", "@", "back\\slash", "=a=b", "#not a comment", "[not a section]",
        "two\nlines", "bytes \xff\xfe not UTF-8",
    };
    {
        auto store = QSettingsStore::fromIniFile(file);
        for (std::size_t i = 0; i < values.size(); ++i)
            store.writeString("FindMask", "Mask" + std::to_string(i), values[i]);
        // Pending values read back as written before they reach the disk.
        EXPECT_EQ(store.readString("FindMask", "Mask0", "?"), "a,b");
        ASSERT_TRUE(store.flush());
    }
    // A new path: QSettings would otherwise answer from its in-process cache.
    auto reread = QSettingsStore::fromIniFile(tree.write("copy.ini", dwtest::readFile(file)));
    for (std::size_t i = 0; i < values.size(); ++i)
        EXPECT_EQ(reread.readString("FindMask", "Mask" + std::to_string(i), "?"), values[i]) << i;
    EXPECT_EQ(reread.readString("FindMask", "Mask99", "EMPTY"), "EMPTY");
}

TEST(QSettingsStore, HandWrittenFileReadsWholeValuesAndItsGeneralSection)
{
    dwtest::TempTree tree;
    const std::string file = tree.write("hand.ini",
                                        "[General]\n"
                                        "FirstTime=0\n"
                                        "[FindOld]\n"
                                        "ExcludeDir0=/home/a/Smith, John/\n"
                                        "ExcludeDir1=a,b,,c\n"
                                        "ExcludeDir2=  /srv/  \n"
                                        "[Recent%20Dirs]\n"
                                        "Dir0=x, y\n");
    auto store = QSettingsStore::fromIniFile(file);
    EXPECT_EQ(store.readInt("General", "FirstTime", 1), 0);
    EXPECT_EQ(store.readString("FindOld", "ExcludeDir0", ""), "/home/a/Smith, John/");
    EXPECT_EQ(store.readString("FindOld", "ExcludeDir1", ""), "a,b,,c");
    EXPECT_EQ(store.readString("FindOld", "ExcludeDir2", ""), "/srv/");
    EXPECT_EQ(store.readString("Recent Dirs", "Dir0", ""), "x, y");
}

TEST(QSettingsStore, IntegersAndTheirFallbacks)
{
    dwtest::TempTree tree;
    const std::string file = tree.write("ints.ini",
                                        "[Global]\n"
                                        "Spaced= 7 \n"
                                        "Hex=0x10\n"
                                        "Word=abc\n"
                                        "List=1,2\n"
                                        "Unsigned=4294967295\n"
                                        "TooBig=99999999999\n");
    auto store = QSettingsStore::fromIniFile(file);
    EXPECT_EQ(store.readInt("Global", "Spaced", -9), 7);
    EXPECT_EQ(store.readInt("Global", "Hex", -9), -9);
    EXPECT_EQ(store.readInt("Global", "Word", -9), -9);
    EXPECT_EQ(store.readInt("Global", "List", -9), -9);
    EXPECT_EQ(store.readInt("Global", "Unsigned", -9), -1);
    EXPECT_EQ(store.readInt("Global", "TooBig", -9), -9);
    EXPECT_EQ(store.readInt("Global", "Missing", -9), -9);

    store.writeInt("View", "BkColor", static_cast<int>(0xF0E0D0C0u));
    store.writeInt("View", "Negative", -5);
    ASSERT_TRUE(store.flush());
    auto reread = QSettingsStore::fromIniFile(tree.write("copy.ini", dwtest::readFile(file)));
    EXPECT_EQ(static_cast<unsigned>(reread.readInt("View", "BkColor", 0)), 0xF0E0D0C0u);
    EXPECT_EQ(reread.readInt("View", "Negative", 0), -5);
}

TEST(QSettingsStore, DeleteSectionRemovesOnlyThatSection)
{
    dwtest::TempTree tree;
    const std::string file = tree.path("del.ini");
    auto store = QSettingsStore::fromIniFile(file);
    store.writeInt("General", "FirstTime", 0);
    store.writeInt("FindOld", "Days", 3);
    store.writeString("FindOld", "ExcludeDir0", "/a/");
    store.writeInt("Global", "Priority", 2);

    store.deleteSection("FindOld");
    store.deleteSection("NoSuchSection");
    EXPECT_EQ(store.readInt("FindOld", "Days", -1), -1);
    EXPECT_EQ(store.readString("FindOld", "ExcludeDir0", "EMPTY"), "EMPTY");
    EXPECT_EQ(store.readInt("General", "FirstTime", -1), 0);

    // General is the file's [General], not a group called "%General".
    ASSERT_TRUE(store.flush());
    const std::string text = dwtest::readFile(file);
    EXPECT_NE(text.find("[General]\nFirstTime=0"), std::string::npos) << text;

    store.deleteSection("General");
    EXPECT_EQ(store.readInt("General", "FirstTime", -1), -1);
    EXPECT_EQ(store.readInt("Global", "Priority", -1), 2);
}

TEST(QSettingsStore, FlushReportsAFileThatCannotBeWritten)
{
    dwtest::TempTree tree;
    tree.write("plain", "a file, not a folder");
    auto store = QSettingsStore::fromIniFile(tree.path("plain/settings.ini"));
    store.writeInt("Global", "Priority", 0);
    EXPECT_FALSE(store.flush());
}

TEST(QSettingsStore, UserStoreLivesUnderTheOrganisationFolder)
{
    dwtest::TempTree tree;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QString::fromStdString(tree.root()));
    auto store = QSettingsStore::forUser("diskwright");
    EXPECT_EQ(store.fileName(), tree.path("Quillbay/diskwright.conf"));
    store.writeInt("General", "FirstTime", 0);
    ASSERT_TRUE(store.flush());
    EXPECT_EQ(dwtest::readFile(tree.path("Quillbay/diskwright.conf")), "[General]\nFirstTime=0\n");
}

TEST(QSettingsStore, ApplicationNameIsTheExecutableName)
{
    EXPECT_EQ(dw::platform::executableBaseName(), "dw_platform_tests");
}

}  // namespace
