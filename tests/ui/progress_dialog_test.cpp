#include "ui/controls/ids.h"
#include "ui/controls/widget_ids.h"
#include "ui/search/progress_dialog.h"
#include "ui/search/pumped_progress_dialog.h"
#include "ui/search/statistics_dialog.h"

#include <QApplication>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <thread>

using namespace dw::ui;

namespace {

void settle()
{
    for (int i = 0; i < 3; ++i)
        QApplication::processEvents();
}

}  // namespace

TEST(ProgressDialog, WorkerReportsReachTheWindowAndTheBarIsClamped)
{
    QWidget owner;
    owner.show();
    ProgressDialog dialog(&owner);
    dialog.begin(QStringLiteral("Поиск..."));
    EXPECT_FALSE(owner.isEnabled());
    EXPECT_TRUE(dialog.isVisible());

    dw::Progress& progress = dialog.progress();
    std::thread worker([&] {
        progress.setPhase("Поиск одинаковых файлов...");
        progress.setFolder("/home/user/Документы/");
        progress.setAnimation(false);
        progress.setRange(0, 10);
        progress.step(25);  // beyond the upper end
    });
    worker.join();
    settle();
    QTest::qWait(150);  // the 100 ms timer turns the position into the bar
    EXPECT_EQ(dialog.phaseText(), QStringLiteral("Поиск одинаковых файлов..."));
    EXPECT_EQ(dialog.folderText(), QStringLiteral("/home/user/Документы/"));
    auto* bar = findById<QProgressBar>(&dialog, id::ProgressBar);
    EXPECT_EQ(bar->value(), bar->maximum());

    dialog.end();
    EXPECT_TRUE(owner.isEnabled());
    EXPECT_FALSE(dialog.isVisible());
}

TEST(ProgressDialog, EscCancelsEnterDoesNothingAndANewJobClearsTheFlag)
{
    QWidget owner;
    ProgressDialog dialog(&owner);
    dialog.begin(QStringLiteral("x"));
    QTest::keyClick(&dialog, Qt::Key_Return);
    EXPECT_FALSE(dialog.progress().cancelled());
    EXPECT_TRUE(dialog.isVisible());
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_TRUE(dialog.progress().cancelled());
    EXPECT_TRUE(dialog.isVisible());  // stays until the worker ends
    dialog.end();

    dialog.begin(QStringLiteral("x"));
    EXPECT_FALSE(dialog.progress().cancelled());
    findById<QPushButton>(&dialog, id::Cancel)->click();
    EXPECT_TRUE(dialog.progress().cancelled());
    dialog.end();
}

TEST(ProgressDialog, BackgroundHidesBothWindowsOnlyWhenATrayCanBringThemBack)
{
    QWidget owner;
    owner.show();
    ProgressDialog dialog(&owner);
    dialog.begin(QStringLiteral("x"));
    findById<QPushButton>(&dialog, id::BackgroundButton)->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_FALSE(owner.isVisible());
    EXPECT_FALSE(dialog.progress().cancelled());

    owner.show();
    dialog.setBackgroundHidesOwner(false);
    dialog.begin(QStringLiteral("x"));
    findById<QPushButton>(&dialog, id::BackgroundButton)->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_TRUE(owner.isVisible());
    dialog.end();
}

TEST(PumpedProgressDialog, CancelIsSeenByTheEngineBetweenFiles)
{
    QWidget owner;
    PumpedProgressDialog dialog(&owner, QStringLiteral("Удаление..."));
    EXPECT_FALSE(owner.isEnabled());
    dw::Progress& progress = dialog.progress();
    progress.setFolder("/tmp/a");
    EXPECT_FALSE(progress.cancelled());
    findById<QPushButton>(&dialog, id::Cancel)->click();
    progress.setFolder("/tmp/b");  // the next file pumps and sees the button
    EXPECT_TRUE(progress.cancelled());
}

TEST(StatisticsDialog, ShowsTheLinesOfARun)
{
    dw::SearchStatistics stats;
    stats.analysed = 15;
    stats.seconds = 3725.7;
    stats.rows[static_cast<int>(dw::ResultKind::Duplicates)] = 3;
    stats.sizeOnDisk[static_cast<int>(dw::ResultKind::Duplicates)] = 12288;
    StatisticsDialog dialog(stats, nullptr);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Статистика"));
    EXPECT_EQ(findById<QLineEdit>(&dialog, id::StatAnalysed)->text(), QStringLiteral("15 Файлов"));
    EXPECT_EQ(findById<QLineEdit>(&dialog, id::StatTime)->text(), QStringLiteral("01:02:05"));
    EXPECT_TRUE(findById<QLineEdit>(&dialog, id::StatDuplicates)->text().startsWith(QStringLiteral("Файлов: 3")));
    EXPECT_TRUE(findById<QLineEdit>(&dialog, id::StatDuplicates)->text().endsWith(QStringLiteral("Размер: 12 KB")));
    EXPECT_TRUE(findById<QLineEdit>(&dialog, id::StatOld)->text().startsWith(QStringLiteral("Файлов: 0")));
}
