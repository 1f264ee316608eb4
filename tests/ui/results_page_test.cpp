#include "platform/file_status.h"
#include "support/temp_tree.h"
#include "ui/controls/dialog_units.h"
#include "ui/controls/ids.h"
#include "ui/controls/widget_ids.h"
#include "ui/results/results_list_ctrl.h"
#include "ui/results/results_model.h"
#include "ui/results/results_page.h"

#include <QApplication>
#include <QDir>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

namespace {

using dw::ui::findById;
using dw::ui::ResultsListCtrl;
using dw::ui::ResultsPage;
namespace id = dw::ui::id;

void addFiles(ResultsListCtrl& list, const std::vector<std::string>& paths, dw::Colour back = 0)
{
    dw::ResultList scratch(list.resultsModel()->list().kind(), list.appearance());
    for (const std::string& path : paths) {
        auto status = dw::platform::statPath(path);
        ASSERT_TRUE(status) << path;
        scratch.addRow(path, status->attributes, status->isFolder() ? 0 : status->size, back, 0);
    }
    list.resultsModel()->appendRows(scratch.takeAllRows());
}

QString label(const QWidget& page, int labelId) { return findById<QLabel>(&page, labelId)->text(); }

void select(ResultsListCtrl& list, std::initializer_list<int> rows)
{
    list.selectionModel()->clearSelection();
    for (int row : rows)
        list.selectionModel()->select(list.resultsModel()->index(row, 0),
                                      QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

void click(QWidget& page, int buttonId)
{
    QTest::mouseClick(findById(&page, buttonId), Qt::LeftButton);
}

std::vector<bool> marks(const ResultsListCtrl& list)
{
    std::vector<bool> result;
    for (const dw::ResultRow& row : list.resultsModel()->list().rows())
        result.push_back(row.checked);
    return result;
}

TEST(ResultsPage, ControlsSitAtTheirDialogUnitsAndTheListFollowsTheSize)
{
    ResultsPage page(dw::ResultKind::ByMask);
    const dw::ui::DialogUnits du(page.font());
    EXPECT_EQ(page.objectName(), QString::number(id::ResultsPage));
    EXPECT_EQ(page.list()->geometry(), du.rect(78, 0, 267, 165));
    EXPECT_EQ(findById(&page, id::RemoveFromListButton)->geometry(), du.rect(0, 139, 75, 12));
    page.list()->command(id::CmdCopy)->setEnabled(false);
    EXPECT_FALSE(findById(&page, id::CopyButton)->isEnabled()) << "a button follows its command";
    EXPECT_EQ(findById(&page, id::MarkCopiesButton), nullptr);
    ResultsPage duplicates(dw::ResultKind::Duplicates);
    const QRect copies = findById(&duplicates, id::MarkCopiesButton)->geometry();
    for (QWidget* other : duplicates.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        EXPECT_TRUE(other->geometry() == copies || !other->geometry().intersects(copies))
            << other->objectName().toStdString();

    // Captions are never cut: the bottom row makes room for them.
    for (int caption : {id::TotalLabel, id::CheckedLabel}) {
        auto* text = findById<QLabel>(&page, caption);
        EXPECT_GE(text->width(), text->sizeHint().width()) << caption;
        EXPECT_EQ(text->y(), du.y(168));
    }
    EXPECT_GE(findById(&page, id::TotalCount)->x(),
              findById(&page, id::TotalLabel)->geometry().right());

    page.show();
    const QRect list = page.list()->geometry();
    const QRect size = findById(&page, id::TotalSize)->geometry();
    page.resize(page.width() + 200, page.height() + 100);
    EXPECT_EQ(page.list()->geometry(), list.adjusted(0, 0, 200, 100));
    EXPECT_EQ(findById(&page, id::TotalSize)->geometry(), size.translated(0, 100));
    EXPECT_EQ(findById(&page, id::RefreshButton)->geometry(), du.rect(0, 152, 75, 12));
}

TEST(ResultsPage, MarkingButtonsActOnTheirOwnPageAndTheTotalsFollow)
{
    dwtest::TempTree tree;
    ResultsPage page(dw::ResultKind::ByMask);
    ResultsPage other(dw::ResultKind::BySize);
    EXPECT_EQ(label(page, id::TotalCount), QString("0"));
    std::vector<std::string> files;
    for (int i = 0; i < 5; ++i)
        files.push_back(tree.writeSized("ф" + std::to_string(i) + ".tmp", 5000u * (i + 1), i));
    addFiles(*page.list(), files);
    addFiles(*other.list(), files);
    const dw::ResultList& rows = page.list()->resultsModel()->list();
    EXPECT_EQ(label(page, id::TotalCount), QString("5"));
    EXPECT_EQ(label(page, id::TotalSize),
              QString::fromStdString(dw::FormatSize(rows.totalSizeOnDisk(), 3)));
    using M = std::vector<bool>;

    select(*page.list(), {1, 3});
    click(page, id::MarkButton);
    EXPECT_EQ(marks(*page.list()), (M {false, true, false, true, false}));
    EXPECT_EQ(label(page, id::CheckedCount), QString("2"));
    EXPECT_EQ(
        label(page, id::CheckedSize),
        QString::fromStdString(dw::FormatSize(rows.row(1).sizeOnDisk + rows.row(3).sizeOnDisk, 3)));
    select(*page.list(), {3, 4});
    click(page, id::ClearButton);
    click(page, id::InvertButton);
    EXPECT_EQ(marks(*page.list()), (M {true, false, true, true, true}));
    click(page, id::ClearAllButton);
    EXPECT_EQ(rows.checkedCount(), 0u);
    click(page, id::MarkAllButton);
    EXPECT_EQ(rows.checkedSizeOnDisk(), rows.totalSizeOnDisk());
    select(*page.list(), {2});
    click(page, id::ClearButton);
    // Without one of the labels the others are still written.
    delete findById<QLabel>(&page, id::TotalSize);
    click(page, id::RemoveFromListButton);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows.row(0).path, files[2]);
    EXPECT_EQ(label(page, id::TotalCount), QString("1"));
    EXPECT_EQ(label(page, id::CheckedCount), QString("0"));
    EXPECT_EQ(marks(*other.list()), M(5, false));
}

// The page as the user sees it: Cyrillic names, a hidden file, folders,
// striped duplicate groups, checked and selected rows, the context menus.
TEST(ResultsPage, Screenshot)
{
    dwtest::TempTree tree;
    ResultsPage page(dw::ResultKind::Duplicates);
    page.setSortEnabled(false);
    page.resize(page.width() * 2, page.height() * 3 / 2);
    ResultsListCtrl& list = *page.list();
    const char* const groups[][3] = {
        {"Документы/отчёт за 2023 год.docx", "Архив/отчёт за 2023 год.docx",
         "Загрузки/копия отчёта.docx"},
        {"Музыка/песня.mp3", "Загрузки/песня (1).mp3", nullptr},
        {"Фото/море.jpg", "Фото/Отпуск/море.jpg", ".кэш/море.jpg"},
        {"Документы/заметки.txt", "Документы/.скрытые заметки.txt", nullptr},
        {"Проекты/сборка.log", "Проекты/старое/сборка.log", "Рабочий стол/сборка.log"},
        {"Видео/ролик.mp4", "Видео/ролик — копия.mp4", nullptr},
        {"таблица.ods", "Бэкап/таблица.ods", "Бэкап/старый/таблица.ods"}};
    const std::uint64_t sizes[] = {48'213, 3'456'789, 812'345, 1'536, 20'480, 25'000'000, 9'999};
    for (std::size_t g = 0; g < std::size(groups); ++g) {
        std::vector<std::string> paths;
        for (const char* name : groups[g])
            if (name)
                paths.push_back(tree.writeSized(name, sizes[g], static_cast<unsigned>(g)));
        addFiles(list, paths, g % 2 == 0 ? list.appearance().duplicatesColor : 0);
    }
    addFiles(list, {tree.mkdir("Пустая папка"), tree.mkdir("Ещё одна папка")});
    for (int row : {1, 2, 4})
        list.resultsModel()->setChecked(row, true);
    select(list, {4});
    page.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&page));
    QDir().mkpath(QStringLiteral("/tmp/dwshots"));
    EXPECT_TRUE(page.grab().save(QStringLiteral("/tmp/dwshots/results_page.png")));

    ResultsPage sorted(dw::ResultKind::ByMask);
    addFiles(*sorted.list(),
             {tree.path("Видео/ролик.mp4"), tree.path("Пустая папка"), tree.path("Фото/море.jpg")});
    sorted.list()->sortBy(dw::ColSize);
    sorted.list()->sortBy(dw::ColSize);
    sorted.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&sorted));
    EXPECT_TRUE(sorted.grab().save(QStringLiteral("/tmp/dwshots/results_page_sorted.png")));
    for (int row : {0, 2}) {
        select(*sorted.list(), {row});
        std::unique_ptr<QMenu> menu(sorted.list()->createContextMenu(&sorted));
        const QString name = QStringLiteral("/tmp/dwshots/results_menu_") + menu->objectName();
        EXPECT_TRUE(menu->grab().save(name + QStringLiteral(".png")));
        for (QAction* action : menu->actions()) {
            if (QMenu* sub = action->menu()) {
                EXPECT_TRUE(sub->grab().save(name + QLatin1Char('_') + action->text() +
                                             QStringLiteral(".png")));
            }
        }
    }
}

TEST(ResultsPage, WideScreenshotWithMissingFiles)
{
    dwtest::TempTree tree;
    ResultsPage page(dw::ResultKind::BySize);
    page.resize(1600, 520);
    ResultsListCtrl& list = *page.list();
    std::vector<std::string> paths;
    const char* const names[] = {
        "Фото/2023/Отпуск на море/Дети/кот.png", "Документы/Работа/Отчёты/квартальный отчёт.odt",
        "Музыка/Сборники/Лучшее за десять лет/01 - вступление.mp3", "Загрузки/дистрибутив.iso",
        "Видео/Семейное/день рождения бабушки.mp4", "Проекты/diskwright/сборка/журнал сборки.log"};
    for (std::size_t i = 0; i < std::size(names); ++i)
        paths.push_back(tree.writeSized(names[i], 1000 + 777'777 * i, static_cast<unsigned>(i)));
    addFiles(list, paths);
    dw::ResultList stale(dw::ResultKind::BySize, list.appearance());
    stale.addRow(tree.path("Фото/удалённый снимок.jpg"), dw::attr::Archive, 5, 0, 0);
    stale.addRow(tree.path("Документы/старый черновик.txt"), dw::attr::Archive, 12'345, 0, 0);
    list.resultsModel()->appendRows(stale.takeAllRows());
    list.resultsModel()->setChecked(1, true);
    list.resultsModel()->setChecked(6, true);
    page.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&page));
    EXPECT_EQ(label(page, id::TotalCount), QString::number(paths.size()));
    EXPECT_EQ(label(page, id::CheckedCount), QString("1"));
    QDir().mkpath(QStringLiteral("/tmp/dwshots"));
    EXPECT_TRUE(page.grab().save(QStringLiteral("/tmp/dwshots/results_wide.png")));
    page.resize(700, 400);
    QApplication::processEvents();
    const auto* header = list.horizontalHeader();
    EXPECT_EQ(header->sectionViewportPosition(dw::ColName), 0) << "nothing scrolled away";
    EXPECT_LE(header->length(), header->viewport()->width());
    EXPECT_TRUE(page.grab().save(QStringLiteral("/tmp/dwshots/results_narrow.png")));
}

TEST(ResultsPage, LargeListStaysWorkable)
{
    ResultsPage page(dw::ResultKind::ByMask);
    page.show();
    ResultsListCtrl& list = *page.list();
    constexpr int kRows = 200'000;
    for (int first = 0; first < kRows; first += 10'000) {
        std::vector<dw::ResultRow> batch(10'000);
        for (int n = first; dw::ResultRow & row : batch) {
            row.path = "/данные/п" + std::to_string(n % 97) + "/файл" + std::to_string(n) +
                       (n % 3 ? ".bin" : ".txt");
            row.size = static_cast<std::uint64_t>(n) * 37 % 100'003;
            row.sizeOnDisk = (row.size + 4095) / 4096 * 4096;
            row.attributes = n % 50 == 0 ? dw::attr::Folder : dw::attr::Archive;
            ++n;
        }
        list.resultsModel()->appendRows(std::move(batch));
        QApplication::processEvents();
    }
    EXPECT_EQ(label(page, id::TotalCount), QString::number(kRows));
    list.sortBy(dw::ColSize);
    list.sortBy(dw::ColName);
    QApplication::processEvents();
    const dw::ResultList& rows = list.resultsModel()->list();
    EXPECT_TRUE(rows.row(0).isFolder());
    click(page, id::MarkAllButton);
    EXPECT_EQ(rows.checkedCount(), static_cast<std::uint64_t>(kRows));
    select(list, {0, 1, 2});
    click(page, id::ClearButton);
    click(page, id::InvertButton);
    click(page, id::RemoveFromListButton);
    EXPECT_EQ(rows.size(), static_cast<std::size_t>(kRows - 3));
    EXPECT_EQ(label(page, id::CheckedCount), QString("0"));
}

}  // namespace
