#include "engine/settings/recent_folders.h"
#include "platform/qsettings_store.h"
#include "support/temp_tree.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using dw::RecentFolders;
using dw::platform::QSettingsStore;
using Strings = std::vector<std::string>;

namespace {

class RecentFoldersTest : public ::testing::Test {
protected:
    // Writes the values as Dir0, Dir1, ...; "-" leaves that number out.
    void write(const Strings& values)
    {
        auto store = QSettingsStore::fromIniFile(file);
        for (std::size_t i = 0; i < values.size(); ++i)
            if (values[i] != "-")
                store.writeString("Recent Dirs", "Dir" + std::to_string(i), values[i]);
    }
    // Every DirN a fresh store holds, up to the first missing one.
    Strings stored()
    {
        auto store = QSettingsStore::fromIniFile(file);
        Strings values;
        for (std::string value; (value = store.readString("Recent Dirs", "Dir" + std::to_string(values.size()),
                                                           "<missing>")) != "<missing>";)
            values.push_back(value);
        return values;
    }

    dwtest::TempTree tree;
    std::string file = tree.path("diskwright.ini");
    QSettingsStore store = QSettingsStore::fromIniFile(file);
    RecentFolders recent;
};

TEST_F(RecentFoldersTest, LoadEndsAtEmptyOrAGapAndDropsBlanksRepeatsAndAllBeyondTwenty)
{
    write({"/a/", "/b", "EMPTY", "/c/"});
    recent.load(store);
    EXPECT_EQ(recent.folders(), (Strings{"/a/", "/b/"}));

    write({"/x/", "/y/", "-", "/z/"});
    recent.load(store);
    EXPECT_EQ(recent.folders(), (Strings{"/x/", "/y/"}));

    Strings many{"/a", "", "/a/", "  ", "/A/"};
    for (int i = 0; i < 30; ++i)
        many.push_back("/f" + std::to_string(i) + "/");
    write(many);
    recent.load(store);
    ASSERT_EQ(recent.folders().size(), 20u);
    // Letter case makes another folder.
    EXPECT_EQ(Strings(recent.folders().begin(), recent.folders().begin() + 3), (Strings{"/a/", "/A/", "/f0/"}));
    EXPECT_EQ(recent.folders().back(), "/f17/");
}

TEST_F(RecentFoldersTest, NewestFirstAndTheTwentyFirstPushesTheOldestOut)
{
    for (int i = 1; i <= 21; ++i) {
        RecentFolders again;
        again.load(store);
        again.remember("/p" + std::to_string(i));
        again.save(store);
    }
    const Strings values = stored();
    ASSERT_EQ(values.size(), 20u);
    EXPECT_EQ(values.front(), "/p21/");
    EXPECT_EQ(values[1], "/p20/");
    EXPECT_EQ(values.back(), "/p2/");
}

TEST_F(RecentFoldersTest, ChosenAgainMovesToTheFrontAndAPrefixIsAFolderOfItsOwn)
{
    write({"/home/u/docs/", "/srv/data/", "/tmp/", "/tmp", "/srv/data", "/tmp/", "/home/u/docs"});
    recent.load(store);
    // Without its slash it is still the listed folder: moved, not repeated.
    recent.remember("/srv/data");
    // A folder that merely begins a listed one is another folder.
    recent.remember("/home/u/");
    recent.remember("/tm");
    recent.remember("   ");
    recent.save(store);
    // Dir5 and Dir6 of the old, longer list are gone.
    EXPECT_EQ(stored(), (Strings{"/tm/", "/home/u/", "/srv/data/", "/home/u/docs/", "/tmp/"}));
}

}  // namespace
