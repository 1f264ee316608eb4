#include "engine/results/result_set.h"
#include "engine/results/type_description.h"
#include "platform/file_status.h"
#include "support/temp_tree.h"

#include <QMimeDatabase>
#include <QMimeType>

#include <gtest/gtest.h>

namespace {

class TypeDescription : public ::testing::Test {
protected:
    void SetUp() override { dw::useRussianLocale(); }
};

TEST_F(TypeDescription, IsRussian)
{
    EXPECT_EQ(dw::typeDescription("/home/u/notes.txt", false), "Текстовый документ");
    EXPECT_EQ(dw::typeDescription("/home/u/NOTES.TXT", false), "Текстовый документ");
    EXPECT_EQ(dw::typeDescription("/home/u/notes.txt", true), "Папка");
}

// The cache keys on the end of the name; whatever was asked before, every
// name must get what the MIME database says about the whole name.
TEST_F(TypeDescription, AgreesWithTheMimeDatabaseWhateverTheOrder)
{
    const char* names[] = {"CMakeLists.txt", "plain.txt", "libz.so.1", "chapter.1", "x.1",
                           "backup.tar.gz", "photo.gz", "Makefile", "makefile.am", "README",
                           "readme.md", "notes.md", "draft~", "draft", "noextension",
                           ".bashrc", "main.C", "main.c", "файл.ТХТ", "a.b.c.d"};
    QMimeDatabase db;
    for (int round = 0; round < 2; ++round) {
        for (const char* name : names) {
            QString expected = db.mimeTypeForFile(QString::fromUtf8(name), QMimeDatabase::MatchExtension).comment();
            EXPECT_EQ(dw::typeDescription(std::string("/tmp/") + name, false), expected.toStdString()) << name;
        }
    }
}

TEST(ResultSet, KeepsOneListPerKind)
{
    dwtest::TempTree tree;
    auto status = dw::platform::statPath(tree.root());
    ASSERT_TRUE(status);
    dw::ListAppearance colours;
    colours.bkColor = 0x010101;
    dw::ResultSet set;
    set.setAppearance(colours);

    dw::FileEntry entry;
    entry.setPath(tree.write("dup.bin", "x"));
    entry.size = 1;
    entry.device = status->device;
    entry.attributes = dw::attr::Archive;
    set.addRow(dw::ResultKind::Duplicates, entry, 0, 0, 4);
    set.addRow(dw::ResultKind::Duplicates, entry, 0, 0, 4);
    set.addRow(dw::ResultKind::Old, entry, 0, 0, 0);

    EXPECT_EQ(set.rowCount(dw::ResultKind::ByMask), 0u);
    EXPECT_EQ(set.rowCount(dw::ResultKind::Duplicates), 2u);
    EXPECT_EQ(set.list(dw::ResultKind::Duplicates).kind(), dw::ResultKind::Duplicates);
    EXPECT_EQ(set.list(dw::ResultKind::Duplicates).row(1).group, 4u);
    EXPECT_EQ(set.list(dw::ResultKind::Old).row(0).backColour, 0x010101u);
    EXPECT_EQ(set.totalSizeOnDisk(dw::ResultKind::Duplicates),
              2 * set.list(dw::ResultKind::Duplicates).row(0).sizeOnDisk);

    set.clearRows(dw::ResultKind::Duplicates);
    EXPECT_EQ(set.rowCount(dw::ResultKind::Duplicates), 0u);
    EXPECT_EQ(set.totalSizeOnDisk(dw::ResultKind::Duplicates), 0u);
    EXPECT_EQ(set.rowCount(dw::ResultKind::Old), 1u);
}

}  // namespace
