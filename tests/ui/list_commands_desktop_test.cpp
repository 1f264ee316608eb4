#include "list_commands_fixture.h"
#include "ui/results/file_manager_link.h"
#include "ui/results/file_properties_dialog.h"

#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QDesktopServices>
#include <QProcess>
#include <QSignalSpy>
#include <QTextBrowser>

namespace {

using namespace dwtest;
using dw::ui::FilePropertiesDialog;

// Records what the file manager is asked and says yes to it.
class FakeFileManager : public QDBusVirtualObject {
public:
    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override
    {
        calls.push_back(message.member() + ' ' +
                        message.arguments().value(0).toStringList().join(','));
        connection.send(message.createReply());
        return true;
    }
    QStringList calls;
};

using DesktopCommands = ListCommandsTest;

TEST_F(DesktopCommands, TheFileManagerShowsTheFileOverDBusAndWithoutOneWeStandIn)
{
    addRows({tree.write("папка/отчёт.txt", "x"), tree.write("другая/файл.txt", "y")});
    QTextBrowser opened;
    QDesktopServices::setUrlHandler("file", &opened, "setSource");
    const QUrl folder = QUrl::fromLocalFile(q(tree.path("папка")));
    const QUrl other = QUrl::fromLocalFile(q(tree.path("другая")));

    select(1);
    list().fileManager()->setBus(std::nullopt);
    list().command(id::CmdOpenFolder)->trigger();
    EXPECT_EQ(opened.source(), other);
    list().command(id::CmdProperties)->trigger();
    auto* properties = list().window()->findChild<FilePropertiesDialog*>();
    ASSERT_TRUE(properties && properties->isVisible());
    EXPECT_EQ(properties->value(FilePropertiesDialog::Field::Name), "файл.txt");
    delete properties;

    // A bus of the test's own with a file manager on it.
    const std::string config = tree.write(
        "bus.conf", "<busconfig><type>session</type><listen>unix:path=" + tree.path("bus") +
                        "</listen><auth>EXTERNAL</auth><policy context=\"default\"><allow "
                        "send_destination=\"*\" eavesdrop=\"true\"/><allow eavesdrop=\"true\"/>"
                        "<allow own=\"*\"/></policy></busconfig>");
    QProcess daemon;
    daemon.start("dbus-daemon", {q("--config-file=" + config), "--nofork", "--print-address"});
    if (!daemon.waitForReadyRead(5000))
        GTEST_SKIP() << "dbus-daemon could not be started";
    const QString address = QString::fromUtf8(daemon.readLine()).trimmed();
    select(0);
    {
        QDBusConnection client = QDBusConnection::connectToBus(address, "dwtest-client");
        QDBusConnection fm = QDBusConnection::connectToBus(address, "dwtest-fm");
        FakeFileManager fake;
        ASSERT_TRUE(fm.registerVirtualObject("/org/freedesktop/FileManager1", &fake));
        ASSERT_TRUE(fm.registerService("org.freedesktop.FileManager1"));
        list().fileManager()->setBus(client);
        QSignalSpy finished(list().fileManager(), &dw::ui::FileManagerLink::finished);
        list().openSelectedFolder();
        ASSERT_TRUE(finished.wait(5000));
        list().showSelectedProperties();
        ASSERT_TRUE(finished.wait(5000));
        const QString uri = QUrl::fromLocalFile(q(tree.path("папка/отчёт.txt"))).toEncoded();
        EXPECT_EQ(fake.calls, (QStringList{"ShowItems " + uri, "ShowItemProperties " + uri}));
        EXPECT_EQ(opened.source(), other) << "no folder of ours besides";

        // Nobody there to take it: the folder opens instead.
        fm.unregisterService("org.freedesktop.FileManager1");
        list().openSelectedFolder();
        ASSERT_TRUE(finished.wait(5000));
        EXPECT_EQ(finished.at(2).at(0).toBool(), false);
        EXPECT_EQ(opened.source(), folder);
        list().fileManager()->setBus(std::nullopt);
        fm.unregisterObject("/org/freedesktop/FileManager1");
    }
    QDBusConnection::disconnectFromBus("dwtest-client");
    QDBusConnection::disconnectFromBus("dwtest-fm");
    QDesktopServices::unsetUrlHandler("file");
}

}  // namespace
