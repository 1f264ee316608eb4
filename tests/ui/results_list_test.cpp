#include "platform/file_status.h"
#include "support/temp_tree.h"
#include "ui/controls/ids.h"
#include "ui/results/results_delegate.h"
#include "ui/results/results_list_ctrl.h"
#include "ui/results/results_model.h"
#include "ui/results/sort_header.h"

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QMenu>
#include <QTest>
#include <QTextBrowser>
#include <gtest/gtest.h>

#include <memory>

namespace {

using dw::ui::ResultsListCtrl;
using dw::ui::SortHeader;
namespace id = dw::ui::id;
using Names = std::vector<std::string>;

Names names(const ResultsListCtrl& list)
{
    Names result;
    for (const dw::ResultRow& row : list.resultsModel()->list().rows())
        result.emplace_back(dw::fileNameOf(row.path));
    return result;
}

void clickHeader(ResultsListCtrl& list, int column)
{
    SortHeader* header = list.sortHeader();
    QTest::mouseClick(
        header->viewport(), Qt::LeftButton, {},
        QPoint(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
               header->height() / 2));
}

// Widths of the topmost and bottommost inked rows right of the column's title.
std::pair<int, int> arrowEnds(ResultsListCtrl& list, int column)
{
    SortHeader* header = list.sortHeader();
    const QImage image = header->grab().toImage().scaled(header->size());
    const int space = header->fontMetrics().horizontalAdvance(QLatin1Char(' '));
    const int right = header->sectionViewportPosition(column) + header->sectionSize(column);
    const QRect box(right - 6 * space, 3, 5 * space, header->height() - 6);
    const int background = image.pixelColor(box.left(), box.center().y()).lightness();
    std::vector<int> widths;
    for (int y = box.top(); y <= box.bottom(); ++y) {
        int ink = 0;
        for (int x = box.left(); x <= box.right(); ++x)
            ink += std::abs(image.pixelColor(x, y).lightness() - background) > 40;
        if (ink > 0)
            widths.push_back(ink);
    }
    return widths.empty() ? std::make_pair(0, 0) : std::make_pair(widths.front(), widths.back());
}

int available(const SortHeader& header)
{
    return header.viewport()->width() - SortHeader::kScrollBarRoom;
}

int sectionSum(const SortHeader& header)
{
    int sum = 0;
    for (int i = 0; i < header.count(); ++i)
        sum += header.sectionSize(i);
    return sum;
}

class ResultsListTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dw::ResultList scratch(dw::ResultKind::ByMask);
        for (const std::string& path : {tree.writeSized("бета.txt", 300, 1), tree.mkdir("Папка"),
                                        tree.writeSized("альфа.txt", 100, 2), tree.mkdir("Архив"),
                                        tree.writeSized("гамма.dat", 200, 3)}) {
            auto status = dw::platform::statPath(path);
            scratch.addRow(path, status->attributes, status->isFolder() ? 0 : status->size, 0, 0);
        }
        list.resultsModel()->appendRows(scratch.takeAllRows());
        list.resize(700, 300);
        list.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    }
    dwtest::TempTree tree;
    ResultsListCtrl list {dw::ResultKind::ByMask};
};

TEST_F(ResultsListTest, HeaderClicksSortAndDrawTheArrow)
{
    clickHeader(list, dw::ColName);
    EXPECT_EQ(names(list), (Names {"Архив", "Папка", "альфа.txt", "бета.txt", "гамма.dat"}));
    EXPECT_EQ(list.sortHeader()->sortColumn(), dw::ColName);
    auto [top, bottom] = arrowEnds(list, dw::ColName);
    EXPECT_LT(top, bottom) << "apex up when ascending";

    clickHeader(list, dw::ColName);
    EXPECT_EQ(names(list), (Names {"гамма.dat", "бета.txt", "альфа.txt", "Папка", "Архив"}));
    std::tie(top, bottom) = arrowEnds(list, dw::ColName);
    EXPECT_GT(top, bottom) << "apex down when descending";
    EXPECT_EQ(arrowEnds(list, dw::ColPath), std::make_pair(0, 0));

    clickHeader(list, dw::ColSize);  // a new column starts ascending
    EXPECT_TRUE(list.sortAscending());
    EXPECT_EQ(names(list), (Names {"Папка", "Архив", "альфа.txt", "гамма.dat", "бета.txt"}));
}

TEST_F(ResultsListTest, DuplicatesListIgnoresHeaderClicks)
{
    list.setSortEnabled(false);
    const Names before = names(list);
    clickHeader(list, dw::ColName);
    EXPECT_EQ(names(list), before);
    EXPECT_EQ(list.sortHeader()->sortColumn(), -1);
}

TEST_F(ResultsListTest, ColumnsFitTheWidthAndKeepWhatTheUserSized)
{
    SortHeader* header = list.sortHeader();
    EXPECT_EQ(sectionSum(*header), available(*header));
    for (int column = 0; column < dw::kColumnCount; ++column)
        EXPECT_GE(header->sectionSize(dw::ColPath), header->sectionSize(column)) << column;
    list.resize(900, 300);
    EXPECT_EQ(sectionSum(*header), available(*header));

    const int y = header->height() / 2;
    const int divider = header->sectionViewportPosition(1) + header->sectionSize(1) - 1;
    const int dragged = header->sectionSize(1) + 80;
    QTest::mousePress(header->viewport(), Qt::LeftButton, {}, QPoint(divider, y));
    QTest::mouseMove(header->viewport(), QPoint(divider + 40, y));
    QTest::mouseMove(header->viewport(), QPoint(divider + 80, y));
    QTest::mouseRelease(header->viewport(), Qt::LeftButton, {}, QPoint(divider + 80, y));
    EXPECT_EQ(header->sectionSize(1), dragged);
    EXPECT_EQ(sectionSum(*header), available(*header));

    // A divider double click sizes the column to its contents and keeps it.
    const int first = header->sectionSize(0) - 1;
    QTest::mouseDClick(header->viewport(), Qt::LeftButton, {}, QPoint(first, y));
    EXPECT_EQ(header->sectionSize(0),
              std::max(static_cast<QAbstractItemView&>(list).sizeHintForColumn(0),
                       header->sectionSizeHint(0)));
    EXPECT_EQ(sectionSum(*header), available(*header));
    EXPECT_EQ(list.sortColumn(), -1);

    dw::ListAppearance manual;
    manual.autoArrange = false;
    list.reloadAppearance(manual);
    const int kept = sectionSum(*header);
    list.resultsModel()->clear();
    list.resize(500, 300);
    EXPECT_EQ(sectionSum(*header), kept);
}

TEST_F(ResultsListTest, ContextMenuFollowsTheRowKindAndEveryCommandWorks)
{
    EXPECT_EQ(list.createContextMenu(&list), nullptr) << "no selected row, no menu";
    auto shows = [](const QMenu& menu, int commandId) {
        return menu.actions().contains(
            static_cast<ResultsListCtrl*>(menu.parent())->command(commandId));
    };
    list.setCurrentIndex(list.resultsModel()->index(1, 0));  // Папка
    std::unique_ptr<QMenu> menu(list.createContextMenu(&list));
    EXPECT_EQ(menu->objectName(), QString::number(id::FolderRowMenu));
    EXPECT_TRUE(shows(*menu, id::CmdDeleteFolderContents));
    EXPECT_FALSE(shows(*menu, id::CmdCompress));
    EXPECT_EQ(menu->defaultAction(), list.command(id::CmdOpen));
    EXPECT_TRUE(menu->defaultAction()->font().bold());

    list.setCurrentIndex(list.resultsModel()->index(0, 0));  // бета.txt
    menu.reset(list.createContextMenu(&list));
    EXPECT_EQ(menu->objectName(), QString::number(id::FileRowMenu));
    EXPECT_TRUE(shows(*menu, id::CmdCompress));
    EXPECT_FALSE(shows(*menu, id::CmdDeleteFolderContents));

    for (int commandId :
         {id::CmdOpen, id::CmdOpenFolder, id::CmdCopy, id::CmdMove, id::CmdCompress,
          id::CmdDeleteFolderContents, id::CmdDelete, id::CmdMarkAll, id::CmdClearAll, id::CmdMark,
          id::CmdClear, id::CmdInvert, id::CmdFilter, id::CmdExport, id::CmdRemoveFromList,
          id::CmdRefresh, id::CmdProperties}) {
        EXPECT_TRUE(list.command(commandId)->isEnabled()) << commandId;
        EXPECT_FALSE(list.command(commandId)->icon().isNull()) << commandId;
    }
    EXPECT_EQ(list.command(id::CmdMarkCopies), nullptr) << "only a duplicates list marks copies";
}

TEST_F(ResultsListTest, SpaceTogglesTheCurrentRowAndDoubleClickOpensIt)
{
    list.setFocus();
    list.setCurrentIndex(list.resultsModel()->index(2, 3));  // альфа.txt, any column
    QTest::keyClick(&list, Qt::Key_Space);
    EXPECT_EQ(list.resultsModel()->list().checkedCount(), 1u);
    EXPECT_TRUE(list.resultsModel()->list().row(2).checked);
    QTest::keyClick(&list, Qt::Key_Space);
    EXPECT_FALSE(list.resultsModel()->list().row(2).checked);

    QTextBrowser opened;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &opened, "setSource");
    const QPoint at = list.visualRect(list.resultsModel()->index(2, 1)).center();
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, at);
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    EXPECT_EQ(opened.source(), QUrl::fromLocalFile(QString::fromStdString(tree.path("альфа.txt"))));
}

TEST_F(ResultsListTest, PathColumnTakesTheSpareWidthAndPathsLoseTheirMiddle)
{
    SortHeader* header = list.sortHeader();
    list.resize(1800, 400);
    QApplication::processEvents();
    EXPECT_EQ(sectionSum(*header), available(*header));
    const QFontMetrics metrics = header->fontMetrics();
    for (int column = 0; column < dw::kColumnCount; ++column) {
        if (column == dw::ColPath)
            continue;
        const QString title =
            list.resultsModel()->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
        EXPECT_GE(header->sectionSize(column), metrics.horizontalAdvance(title)) << column;
        const int contents = static_cast<QAbstractItemView&>(list).sizeHintForColumn(column);
        EXPECT_GE(header->sectionSize(column), contents) << column;
    }
    EXPECT_GT(header->sectionSize(dw::ColPath), available(*header) / 2) << "the wide column";

    // A list of the main window's first width keeps every title whole (the
    // header draws a title between margins of two spaces).
    list.resize(700, 300);
    QApplication::processEvents();
    EXPECT_EQ(sectionSum(*header), available(*header));
    const int margins = 4 * metrics.horizontalAdvance(QLatin1Char(' '));
    for (int column = 0; column < dw::kColumnCount; ++column) {
        const QString title =
            list.resultsModel()->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
        EXPECT_GE(header->sectionSize(column), metrics.horizontalAdvance(title) + margins) << column;
    }

    // A narrow list still leaves the path a fair share.
    list.resize(420, 300);
    QApplication::processEvents();
    EXPECT_EQ(sectionSum(*header), available(*header));
    EXPECT_GE(header->sectionSize(dw::ColPath), available(*header) / 3);

    auto* delegate = dynamic_cast<dw::ui::ResultsDelegate*>(list.itemDelegate());
    ASSERT_NE(delegate, nullptr);
    auto elision = [&](int column) {
        QStyleOptionViewItem option;
        delegate->initStyleOption(&option, list.resultsModel()->index(2, column));
        return option.textElideMode;
    };
    EXPECT_EQ(elision(dw::ColPath), Qt::ElideMiddle);
    for (int column : {dw::ColName, dw::ColSize, dw::ColAccessed, dw::ColType})
        EXPECT_EQ(elision(column), Qt::ElideRight) << column;
}

TEST_F(ResultsListTest, HomeAndEndGoToTheFirstAndLastRow)
{
    list.setFocus();
    list.setCurrentIndex(list.resultsModel()->index(2, 3));
    QTest::keyClick(&list, Qt::Key_End);
    EXPECT_EQ(list.currentIndex().row(), 4);
    QTest::keyClick(&list, Qt::Key_Home);
    EXPECT_EQ(list.currentIndex().row(), 0);
    QTest::keyClick(&list, Qt::Key_Down);
    EXPECT_EQ(list.currentIndex().row(), 1);
    EXPECT_EQ(list.selectedRowIndexes(), (std::vector<std::size_t> {1}));
}

}  // namespace
