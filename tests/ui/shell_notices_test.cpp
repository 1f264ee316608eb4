// The shell's notices: the statistics' extra lines, the help page without a
// browser, and the desktop notification of a search that ended out of sight.
#include "support/temp_tree.h"
#include "ui/app/desktop_notifier.h"
#include "ui/app/help_window.h"
#include "ui/app/tray_icon.h"
#include "ui/controls/ids.h"
#include "ui/controls/widget_ids.h"
#include "ui/search/progress_dialog.h"
#include "ui/search/statistics_dialog.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QElapsedTimer>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>
#include <QTextBrowser>
#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace dw::ui;

namespace {

QString labelOf(QWidget* dialog, int fieldId)
{
    auto* field = findById<QLineEdit>(dialog, fieldId);
    if (!field)
        return {};
    auto* form = dialog->findChild<QFormLayout*>();
    auto* label = qobject_cast<QLabel*>(form->labelForField(field));
    return label ? label->text() + ": " + field->text() : QString();
}

TEST(StatisticsDialog, UnreadableAndProtectedEntriesHaveALineWhenThereAreAny)
{
    dw::SearchStatistics stats;
    {
        StatisticsDialog dialog(stats, nullptr);
        EXPECT_EQ(findById(&dialog, id::StatUnreadable), nullptr);
        EXPECT_EQ(findById(&dialog, id::StatProtected), nullptr);
    }
    stats.skipped = 3;
    {
        StatisticsDialog dialog(stats, nullptr);
        EXPECT_EQ(labelOf(&dialog, id::StatUnreadable), "Не удалось прочитать папок и файлов: 3");
        EXPECT_EQ(findById(&dialog, id::StatProtected), nullptr);
    }
    stats.protectedLeftOut = 12;
    StatisticsDialog dialog(stats, nullptr);
    EXPECT_EQ(labelOf(&dialog, id::StatUnreadable), "Не удалось прочитать папок и файлов: 3");
    EXPECT_EQ(labelOf(&dialog, id::StatProtected), "Скрыто уровнем безопасности: 12");
}

// A help page long enough to scroll, its contents linking to its parts.
std::string writeHelpPage(dwtest::TempTree& tree)
{
    std::string html = "<html><head><title>Справка</title></head><body>"
                       "<ul><li><a href=\"#first\">Первая</a></li><li><a href=\"#last\">Последняя</a></li></ul>"
                       "<h2 id=\"first\">Первая</h2>";
    for (int i = 0; i < 200; ++i)
        html += "<p>Строка " + std::to_string(i) + "</p>";
    html += "<h2 id=\"last\">Последняя</h2><p>Конец.</p></body></html>";
    return tree.write("help.html", html);
}

TEST(HelpWindow, ShowsThePageAndFollowsItsLinksFromTheKeyboard)
{
    dwtest::TempTree tree;
    HelpWindow window(QString::fromStdString(writeHelpPage(tree)));
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_EQ(window.windowTitle(), "Справка");
    QTextBrowser* browser = window.browser();
    EXPECT_TRUE(browser->toPlainText().contains("Конец."));
    EXPECT_EQ(browser->verticalScrollBar()->value(), 0);

    // Tab reaches the second link, Enter follows it to the end of the page.
    QTest::keyClick(browser, Qt::Key_Tab);
    QTest::keyClick(browser, Qt::Key_Tab);
    QTest::keyClick(browser, Qt::Key_Return);
    EXPECT_EQ(browser->source().fragment(), "last");
    EXPECT_GT(browser->verticalScrollBar()->value(), 0);

    HelpWindow missing(QString::fromStdString(tree.path("нет.html")));
    EXPECT_TRUE(missing.browser()->toPlainText().startsWith("Файл справки не найден: "));
}

// Runs with PATH holding only a stand-in xdg-open that exits with `code`.
class HelpLauncherTest : public ::testing::Test {
protected:
    void useOpener(int code)
    {
        const std::string script = tree.write("bin/xdg-open", "#!/bin/sh\nexit " + std::to_string(code) + "\n");
        ::chmod(script.c_str(), 0755);
        qputenv("PATH", QByteArray::fromStdString(tree.path("bin")));
    }
    ~HelpLauncherTest() override { qputenv("PATH", savedPath); }

    dwtest::TempTree tree;
    QByteArray savedPath = qgetenv("PATH");
    QWidget owner;
};

TEST_F(HelpLauncherTest, ABrowserThatDoesNotStartLeavesThePageToTheOwnWindow)
{
    const QString page = QString::fromStdString(writeHelpPage(tree));
    useOpener(3);  // xdg-open: no browser found
    HelpLauncher launcher(&owner);
    QSignalSpy own(&launcher, &HelpLauncher::shownInOwnWindow);
    launcher.open(page);
    ASSERT_TRUE(own.wait(5000));
    ASSERT_NE(launcher.helpWindow(), nullptr);
    EXPECT_TRUE(launcher.helpWindow()->isVisible());
    EXPECT_EQ(launcher.helpWindow()->browser()->source(), QUrl::fromLocalFile(page));
    // Asked again, the window open comes to the front; no second one.
    HelpWindow* first = launcher.helpWindow();
    launcher.open(page);
    EXPECT_EQ(launcher.helpWindow(), first);
    EXPECT_EQ(own.count(), 1);
}

TEST_F(HelpLauncherTest, ABrowserThatStartsIsLeftAlone)
{
    useOpener(0);
    HelpLauncher launcher(&owner);
    QSignalSpy own(&launcher, &HelpLauncher::shownInOwnWindow);
    launcher.open(QString::fromStdString(writeHelpPage(tree)));
    EXPECT_FALSE(own.wait(1500));
    EXPECT_EQ(launcher.helpWindow(), nullptr);
}

// A notifications service of our own on a private session bus.
class FakeNotifications : public QDBusVirtualObject {
public:
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override
    {
        if (message.member() != "Notify")
            return false;
        received.push_back(message.arguments());
        connection.send(message.createReply(QVariant::fromValue(1u)));
        return true;
    }
    QString introspect(const QString&) const override { return {}; }

    std::vector<QVariantList> received;
};

class NotificationTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const QString daemon = QStandardPaths::findExecutable("dbus-daemon");
        if (daemon.isEmpty())
            GTEST_SKIP() << "no dbus-daemon";
        bus.start(daemon, {"--session", "--nofork", "--print-address=1"});
        ASSERT_TRUE(bus.waitForReadyRead(5000));
        address = QString::fromUtf8(bus.readLine()).trimmed();
        ASSERT_FALSE(address.isEmpty());
    }
    void TearDown() override
    {
        QDBusConnection::disconnectFromBus("notices-server");
        QDBusConnection::disconnectFromBus("notices-client");
        bus.kill();
        bus.waitForFinished();
    }
    QDBusConnection client() { return QDBusConnection::connectToBus(address, "notices-client"); }
    void startService()
    {
        QDBusConnection server = QDBusConnection::connectToBus(address, "notices-server");
        ASSERT_TRUE(server.registerVirtualObject("/org/freedesktop/Notifications", &service));
        ASSERT_TRUE(server.registerService("org.freedesktop.Notifications"));
    }

    bool receivedWithin(std::size_t count, int milliseconds)
    {
        QElapsedTimer clock;
        clock.start();
        while (service.received.size() < count && clock.elapsed() < milliseconds)
            QTest::qWait(10);
        return service.received.size() == count;
    }

    QProcess bus;
    QString address;
    FakeNotifications service;
};

TEST_F(NotificationTest, ASearchEndingOutOfSightIsAnnouncedWithTheFirstStatisticsLine)
{
    QWidget window;
    ProgressDialog progress(&window);
    progress.setBackgroundHidesOwner(false);  // as where there is no notification area
    TrayIcon tray;
    ASSERT_FALSE(tray.available()) << "the test desktop has no notification area";
    SearchEndNotice notice(&window, &progress, &tray);
    notice.setNotifier(DesktopNotifier(client()));
    dw::SearchStatistics stats;
    stats.rows[static_cast<std::size_t>(dw::ResultKind::Duplicates)] = 9;
    stats.sizeOnDisk[static_cast<std::size_t>(dw::ResultKind::Duplicates)] = 36864;

    // Without the service nothing is sent, and nothing waits.
    notice.searchStarted();
    EXPECT_FALSE(notice.searchFinished(stats));

    startService();
    notice.searchStarted();
    EXPECT_TRUE(notice.searchFinished(stats)) << "the window is hidden";
    EXPECT_TRUE(receivedWithin(1, 5000));
    const QVariantList& sent = service.received.front();
    ASSERT_EQ(sent.size(), 8);
    EXPECT_EQ(sent[0].toString(), "Diskwright");
    EXPECT_EQ(sent[3].toString(), "Поиск завершён");
    EXPECT_EQ(sent[4].toString(), "Одинаковых файлов — Файлов: 9, Размер: 36 KB");

    // In sight: nothing; sent to the background: announced again.
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    notice.searchStarted();
    EXPECT_FALSE(notice.searchFinished(stats));
    progress.begin("Поиск...");
    findById<QPushButton>(&progress, id::BackgroundButton)->click();
    progress.end();
    EXPECT_TRUE(notice.searchFinished(stats));
    // A later search in sight is not announced because of the earlier one.
    notice.searchStarted();
    EXPECT_FALSE(notice.searchFinished(stats));
    EXPECT_TRUE(receivedWithin(2, 5000));
    QTest::qWait(100);
    EXPECT_EQ(service.received.size(), 2u);
}

}  // namespace
