#include "engine/results/text_export.h"
#include "engine/results/type_description.h"
#include "support/temp_tree.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

using dw::ExportStatus;

class ExportTest : public ::testing::Test {
protected:
    void SetUp() override { dw::useRussianLocale(); }
    void add(const std::string& relative, std::uint64_t size)
    {
        list.addRow(tree.writeSized(relative, size, 1), dw::attr::Archive, size, 0, 0);
    }
    dwtest::TempTree tree;
    dw::ResultList list;
};

TEST_F(ExportTest, TitlesAndTheirColumns)
{
    EXPECT_EQ(dw::columnTitles(), (std::vector<std::string>{"Имя файла", "Полный путь", "Размер файла",
                                                           "Размер на диске", "Открыт", "Описание"}));
    // Case is ignored, Cyrillic too; the chooser's order is kept and unknown titles passed over.
    EXPECT_EQ(dw::columnsForTitles({"ОПИСАНИЕ", "нет такого", "имя файла"}), (std::vector<int>{dw::ColType, dw::ColName}));
}

TEST_F(ExportTest, CellsArePaddedByCharactersAndSeparatedByTabs)
{
    add("a.txt", 1);
    add("longname.txt", 1);
    ASSERT_EQ(dw::exportToText(tree.path("names.txt"), list, {dw::ColName}), ExportStatus::Ok);
    EXPECT_EQ(dwtest::readFile(tree.path("names.txt")), "a.txt       \r\nlongname.txt\r\n");

    list.deleteAllRows();
    add("x/a.txt", 1536);
    add("x/файл", 1);  // 4 characters, 8 bytes
    list.addRow(tree.mkdir("x/d.dir"), dw::attr::Folder, 0, 0, 0);
    EXPECT_EQ(dw::exportText(list, {dw::ColName, dw::ColSize}),
              "a.txt\t1.5 KB\r\n"
              "файл \t1     \r\n"
              "d.dir\t      \r\n");
    std::string all = dw::exportText(list, {0, 1, 2, 3, 4, 5});
    EXPECT_EQ(std::count(all.begin(), all.end(), '\t'), 3 * 5);
    EXPECT_EQ(all.find(tree.path("x/a.txt")), 6u);
}

TEST_F(ExportTest, NoColumnsNoFileNoRowsAnEmptyFileAndFailuresReported)
{
    EXPECT_EQ(dw::exportToText(tree.path("none.txt"), list, {}), ExportStatus::NoColumns);
    EXPECT_NE(::access(tree.path("none.txt").c_str(), F_OK), 0);
    std::string earlier = tree.write("earlier.txt", "old text");
    EXPECT_EQ(dw::exportToText(earlier, list, {dw::ColName}), ExportStatus::Ok);
    EXPECT_EQ(dwtest::readFile(earlier), "");

    add("r.txt", 1);
    EXPECT_EQ(dw::exportToText(tree.path("missing/out.txt"), list, {dw::ColName}), ExportStatus::CannotCreate);
    if (::access("/dev/full", W_OK) == 0) {  // a full disk is a failure, not a success
        EXPECT_EQ(dw::exportToText("/dev/full", list, {dw::ColName}), ExportStatus::CannotCreate);
    }
}

}  // namespace
