#include "platform/file_status.h"
#include "support/temp_tree.h"
#include "ui/results/results_model.h"

#include <QIcon>
#include <QImage>
#include <QItemSelectionModel>
#include <gtest/gtest.h>

#include <unistd.h>

namespace {

using dw::ui::ResultsModel;

void addFiles(ResultsModel& model, const std::vector<std::string>& paths, dw::Colour back = 0)
{
    dw::ResultList scratch(model.list().kind(), model.list().appearance());
    for (const std::string& path : paths) {
        auto status = dw::platform::statPath(path);
        ASSERT_TRUE(status) << path;
        scratch.addRow(path, status->attributes, status->isFolder() ? 0 : status->size, back, 0);
    }
    model.appendRows(scratch.takeAllRows());
}

QString cell(const ResultsModel& model, int row, int column)
{
    return model.data(model.index(row, column), Qt::DisplayRole).toString();
}

class ResultsModelTest : public ::testing::Test {
protected:
    static dw::ListAppearance colours()
    {
        dw::ListAppearance colours;
        colours.bkColor = 0x00FAF0E6;
        colours.defaultColor = 0x00102030;
        colours.archiveColor = 0x00405060;  // every regular file has the archive bit
        return colours;
    }
    dwtest::TempTree tree;
    ResultsModel model {dw::ResultKind::BySize, colours()};
};

TEST_F(ResultsModelTest, ShowsRowsInTheirColoursAndKeepsTheCheckedTotals)
{
    addFiles(model, {tree.writeSized("отчёт.txt", 1536, 1), tree.mkdir("Папка")});
    addFiles(model, {tree.write("копия.bin", "x")}, 0x008E8E8E);
    ASSERT_EQ(model.rowCount(), 3);
    EXPECT_EQ(model.headerData(3, Qt::Horizontal, Qt::DisplayRole).toString(),
              QString("Размер на диске"));
    EXPECT_EQ(cell(model, 0, 0), QString("отчёт.txt"));
    EXPECT_EQ(cell(model, 0, 1), QString::fromStdString(tree.path("отчёт.txt")));
    EXPECT_EQ(cell(model, 0, 2), QString("1.5 KB"));
    EXPECT_TRUE(cell(model, 1, 3).isEmpty()) << "a folder shows no sizes";
    // 0x00BBGGRR read as red, green, blue.
    auto colour = [this](int row, int role) {
        return model.data(model.index(row, 2), role).value<QColor>();
    };
    EXPECT_EQ(colour(0, Qt::BackgroundRole), QColor(0xE6, 0xF0, 0xFA));
    EXPECT_EQ(colour(0, Qt::ForegroundRole), QColor(0x60, 0x50, 0x40));
    EXPECT_EQ(colour(1, Qt::ForegroundRole), QColor(0x30, 0x20, 0x10));
    EXPECT_EQ(colour(2, Qt::BackgroundRole), QColor(0x8E, 0x8E, 0x8E));

    int signals = 0;
    QObject::connect(&model, &ResultsModel::totalsChanged, [&signals] { ++signals; });
    EXPECT_TRUE(model.setData(model.index(0, 0), Qt::Checked, Qt::CheckStateRole));
    EXPECT_TRUE(model.setData(model.index(2, 0), Qt::Checked, Qt::CheckStateRole));
    model.setData(model.index(2, 0), Qt::Checked, Qt::CheckStateRole);
    EXPECT_FALSE(model.setData(model.index(1, 1), Qt::Checked, Qt::CheckStateRole));
    EXPECT_EQ(model.data(model.index(0, 0), Qt::CheckStateRole).value<Qt::CheckState>(),
              Qt::Checked);
    EXPECT_EQ(model.list().checkedCount(), 2u);
    model.setData(model.index(0, 0), Qt::Unchecked, Qt::CheckStateRole);
    EXPECT_EQ(model.list().checkedCount(), 1u);
    EXPECT_EQ(model.list().checkedSizeOnDisk(), model.list().row(2).sizeOnDisk);
    EXPECT_EQ(signals, 3);
}

TEST_F(ResultsModelTest, IconsComeByTypeWithoutTheDiskAndHiddenOnesAreGhosted)
{
    addFiles(model, {tree.write("one.txt", "1"), tree.write("two.TXT", "2"),
                     tree.write(".hidden.txt", "3")});
    // Gone from the disk: the rows still paint, the icons never ask the disk.
    for (const char* name : {"one.txt", "two.TXT", ".hidden.txt"})
        ASSERT_EQ(::unlink(tree.path(name).c_str()), 0);
    auto icon = [this](int row) {
        return model.data(model.index(row, 0), Qt::DecorationRole).value<QIcon>();
    };
    auto alpha = [](const QIcon& icon) {
        const QImage image = icon.pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32);
        long sum = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                sum += qAlpha(image.pixel(x, y));
        return sum;
    };
    ASSERT_FALSE(icon(0).isNull());
    EXPECT_EQ(icon(0).cacheKey(), icon(1).cacheKey()) << "one icon per extension";
    EXPECT_LT(alpha(icon(2)), alpha(icon(0)) * 7 / 10);
}

TEST_F(ResultsModelTest, SortingKeepsTheSelectionOnItsRows)
{
    addFiles(model,
             {tree.write("b.txt", "bb"), tree.write("c.txt", "ccc"), tree.write("a.txt", "a")});
    QItemSelectionModel selection(&model);
    selection.select(model.index(1, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    selection.setCurrentIndex(model.index(0, 2), QItemSelectionModel::NoUpdate);
    model.sortRows(dw::ColName, true);
    EXPECT_EQ(cell(model, 0, 0), QString("a.txt"));
    ASSERT_EQ(selection.selectedRows().size(), 1);
    EXPECT_EQ(cell(model, selection.selectedRows()[0].row(), 0), QString("c.txt"));
    EXPECT_EQ(cell(model, selection.currentIndex().row(), 0), QString("b.txt"));
}

TEST_F(ResultsModelTest, AMissingFileShowsGreyWithoutSizeOnDiskOrDateAndOutOfTheTotals)
{
    addFiles(model, {tree.writeSized("есть.txt", 1536, 1)});
    dw::ResultList scratch(model.list().kind(), model.list().appearance());
    ASSERT_TRUE(scratch.addRow(tree.path("нет.txt"), dw::attr::Archive, 5, 0, 0));
    model.appendRows(scratch.takeAllRows());
    ASSERT_EQ(model.rowCount(), 2);
    EXPECT_EQ(cell(model, 1, 0), QString("нет.txt"));
    EXPECT_EQ(cell(model, 1, 2), QString("5"));
    EXPECT_TRUE(cell(model, 1, 3).isEmpty()) << "no size on disk";
    EXPECT_TRUE(cell(model, 1, 4).isEmpty()) << "no date";
    EXPECT_FALSE(cell(model, 0, 4).isEmpty());
    for (int column = 0; column < dw::kColumnCount; ++column)
        EXPECT_EQ(model.data(model.index(1, column), Qt::ForegroundRole).value<QColor>(),
                  dw::ui::missingTextColour());
    EXPECT_NE(model.data(model.index(0, 0), Qt::ForegroundRole).value<QColor>(),
              dw::ui::missingTextColour());

    const std::uint64_t present = model.list().row(0).sizeOnDisk;
    EXPECT_EQ(model.list().totalCount(), 1u);
    EXPECT_EQ(model.list().totalSizeOnDisk(), present);
    model.changeMarks([](dw::ResultList& list) {
        list.setChecked(0, true);
        list.setChecked(1, true);
    });
    EXPECT_EQ(model.list().checkedCount(), 1u);
    EXPECT_EQ(model.list().checkedSizeOnDisk(), present);
}

}  // namespace
