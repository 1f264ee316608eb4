#include "support/temp_tree.h"
#include "ui/app/main_dialog.h"
#include "ui/app/session_commands.h"
#include "ui/app/tray_icon.h"
#include "ui/controls/ids.h"
#include "ui/controls/widget_ids.h"
#include "ui/results/results_list_ctrl.h"
#include "ui/results/results_model.h"
#include "ui/results/results_page.h"
#include "ui/search/progress_dialog.h"
#include "ui/search/scope_tree.h"
#include "ui/search/search_parameters_dialog.h"
#include "ui/search/statistics_dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

#include <functional>

using namespace dw::ui;

namespace {

// Runs `answer` on the next modal dialog of type T as soon as it is shown.
template <typename T>
void whenModal(std::function<void(T*)> answer)
{
    auto* timer = new QTimer;
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, [timer, answer] {
        if (auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            answer(dialog);
        }
    });
    timer->start();
}

}  // namespace

TEST(MainDialog, ResizingKeepsTheDesignedAnchors)
{
    MainDialog window;
    window.show();
    EXPECT_EQ(window.minimumSize(), QSize(540, 425));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Diskwright"));
    QRect tabs = window.tabs()->geometry();
    QRect help = findById(&window, id::HelpButton)->geometry();
    QRect about = findById(&window, id::AboutButton)->geometry();
    QRect search = findById(&window, id::SearchButton)->geometry();
    QRect trash = findById(&window, id::EmptyTrashButton)->geometry();

    window.resize(window.width() + 100, window.height() + 40);
    QApplication::processEvents();
    EXPECT_EQ(window.tabs()->width(), tabs.width() + 100);
    EXPECT_EQ(window.tabs()->height(), tabs.height() + 40);
    EXPECT_EQ(findById(&window, id::HelpButton)->geometry(), help.translated(100, 0));
    EXPECT_EQ(findById(&window, id::AboutButton)->geometry(), about.translated(100, 0));
    EXPECT_EQ(findById(&window, id::SearchButton)->geometry(), search);
    EXPECT_EQ(findById(&window, id::EmptyTrashButton)->geometry(), trash);

    // Seven tabs in order, the first shown; later issues' buttons are disabled, not inert.
    ASSERT_EQ(window.tabs()->count(), 7);
    EXPECT_EQ(window.tabs()->tabText(2), QStringLiteral("Одинаковые"));
    EXPECT_EQ(window.tabs()->currentIndex(), 0);
    EXPECT_TRUE(findById(&window, id::PreferencesButton)->isEnabled());
    EXPECT_TRUE(findById(&window, id::EmptyTrashButton)->isEnabled());
    EXPECT_FALSE(window.page(dw::ResultKind::Duplicates)->list()->sortEnabled());
    EXPECT_TRUE(window.page(dw::ResultKind::BySize)->list()->sortEnabled());
}

TEST(MainDialog, CancellingTheParametersKeepsScopeAndStartsNothing)
{
    MainDialog window;
    dw::SearchRequest before = window.request();
    whenModal<SearchParametersDialog>([](SearchParametersDialog* dialog) {
        findById<QCheckBox>(dialog, id::FindDuplicatesBox)->setChecked(true);
        dialog->reject();
    });
    window.newSearch();
    EXPECT_FALSE(window.searchRunning());
    EXPECT_EQ(window.request().scope, before.scope);
    EXPECT_EQ(window.request().duplicates, before.duplicates);
}

TEST(MainDialog, AWholeSearchFromTheParametersToTheStatistics)
{
    dwtest::TempTree tree;
    std::string content = dwtest::makeBytes(5000, 3);
    tree.write("data/one.bin", content);
    tree.write("data/sub/two.bin", content);
    tree.write("data/notes.tmp", "scratch");

    MainDialog window;
    window.show();
    const QString scope = QString::fromStdString(tree.path("data/"));
    whenModal<SearchParametersDialog>([scope](SearchParametersDialog* dialog) {
        EXPECT_TRUE(findById<QCheckBox>(dialog, id::SubfoldersBox)->isChecked());
        EXPECT_FALSE(findById<QCheckBox>(dialog, id::FindDuplicatesBox)->isChecked());
        for (int box : {id::FindDuplicatesBox, id::FindBySizeBox, id::FindByMaskBox, id::FindOldBox})
            findById<QCheckBox>(dialog, box)->setChecked(true);
        ASSERT_TRUE(findById<ScopeTree>(dialog, id::ScopeTree)->checkPath(scope));
        findById<QPushButton>(dialog, id::Ok)->click();
    });
    QString analysed, duplicates;
    whenModal<StatisticsDialog>([&](StatisticsDialog* dialog) {
        analysed = findById<QLineEdit>(dialog, id::StatAnalysed)->text();
        duplicates = findById<QLineEdit>(dialog, id::StatDuplicates)->text();
        dialog->accept();
    });
    QSignalSpy finished(&window, &MainDialog::searchFinished);
    window.newSearch();
    ASSERT_TRUE(window.searchRunning() || finished.count() == 1);
    ASSERT_TRUE(finished.count() == 1 || finished.wait(20000));
    QTRY_VERIFY_WITH_TIMEOUT(!analysed.isEmpty(), 5000);

    EXPECT_EQ(window.request().scope, std::vector<std::string>{tree.path("data/")});
    // Three files and one folder (the mask search lists folders too).
    EXPECT_EQ(analysed, QStringLiteral("4 Файлов"));
    EXPECT_TRUE(duplicates.startsWith(QStringLiteral("Файлов: 2"))) << duplicates.toStdString();
    auto* model = window.page(dw::ResultKind::Duplicates)->list()->resultsModel();
    EXPECT_EQ(model->rowCount(), 2);
    EXPECT_EQ(window.page(dw::ResultKind::ByMask)->list()->resultsModel()->rowCount(), 1);
    // The tabs followed the finders: the last one that ran is shown.
    EXPECT_EQ(window.tabs()->currentWidget(), window.page(dw::ResultKind::Old));
    EXPECT_TRUE(window.isEnabled());
    EXPECT_FALSE(window.progressDialog()->isVisible());
    EXPECT_EQ(window.trayIcon()->tip(), QStringLiteral("Diskwright"));
}

TEST(MainDialog, SearchMenuAndTrayRestore)
{
    MainDialog window;
    auto* menu = window.searchMenu();
    ASSERT_EQ(menu->actions().size(), 3);
    EXPECT_EQ(menu->actions()[0]->text(), QStringLiteral("Новый поиск"));
    EXPECT_EQ(findById<QToolButton>(&window, id::SearchButton)->menu(), menu);

    window.hide();
    window.restoreFromTray();
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(QFileInfo(MainDialog::helpFile()).fileName() == QStringLiteral("diskwright.html"));
}

TEST(MainDialog, SessionSaveAndLoadThroughTheMenu)
{
    dwtest::TempTree tree;
    std::string content = dwtest::makeBytes(3000, 5);
    tree.write("s/a.bin", content);
    tree.write("s/b.bin", content);
    MainDialog window;
    dw::SearchRequest request;
    request.scope = {tree.path("s/")};
    request.byMask = request.bySize = request.old = false;
    QSignalSpy searched(&window, &MainDialog::searchFinished);
    whenModal<StatisticsDialog>([](StatisticsDialog* dialog) { dialog->accept(); });
    window.startSearch(request);
    ASSERT_TRUE(searched.wait(20000));
    auto* duplicates = window.page(dw::ResultKind::Duplicates)->list()->resultsModel();
    ASSERT_EQ(duplicates->rowCount(), 2);

    const QString file = QString::fromStdString(tree.path("session.dwx"));
    QStringList errors;
    window.sessions()->setFileAsker([&](bool) { return file; });
    window.sessions()->setErrorReporter([&](const QString& text) { errors << text; });
    QSignalSpy done(window.sessions(), &SessionCommands::finished);
    window.searchMenu()->actions()[2]->trigger();  // "Сохранить результаты"
    ASSERT_TRUE(done.wait(10000));
    EXPECT_TRUE(errors.isEmpty());
    EXPECT_GT(QFileInfo(file).size(), 16);

    duplicates->clear();
    window.searchMenu()->actions()[1]->trigger();  // "Загрузить результаты"
    ASSERT_TRUE(done.wait(10000));
    EXPECT_EQ(duplicates->rowCount(), 2);
    EXPECT_EQ(window.tabs()->currentWidget(), window.page(dw::ResultKind::Duplicates));

    // A damaged file is reported and the lists stay as they were.
    tree.write("broken.dwx", std::string("\x05\x00\x00\x00", 4));
    window.sessions()->setFileAsker([&](bool) { return QString::fromStdString(tree.path("broken.dwx")); });
    window.searchMenu()->actions()[1]->trigger();
    ASSERT_TRUE(done.wait(10000));
    ASSERT_EQ(errors.size(), 1);
    EXPECT_EQ(errors[0], QStringLiteral("Файл результатов повреждён."));
    EXPECT_EQ(duplicates->rowCount(), 2);
    EXPECT_TRUE(window.isEnabled());
}
