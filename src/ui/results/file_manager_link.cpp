#include "ui/results/file_manager_link.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

namespace dw::ui {

namespace {

constexpr int kAnswerTimeoutMs = 1000;

QString fileManagerName() { return QStringLiteral("org.freedesktop.FileManager1"); }

// Whether a session bus exists, found out without connecting: without an
// address libdbus would try to launch a bus of its own.
bool sessionBusExists()
{
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        return true;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return !runtime.isEmpty() && QFileInfo::exists(runtime + QStringLiteral("/bus"));
}

}  // namespace

FileManagerLink::FileManagerLink(QObject* parent) : QObject(parent) {}

void FileManagerLink::setBus(std::optional<QDBusConnection> bus)
{
    bus_ = std::move(bus);
    busChosen_ = true;
}

void FileManagerLink::showItem(const std::string& path, std::function<void()> fallback)
{
    request("ShowItems", path, std::move(fallback));
}

void FileManagerLink::showItemProperties(const std::string& path, std::function<void()> fallback)
{
    request("ShowItemProperties", path, std::move(fallback));
}

void FileManagerLink::request(const char* method, const std::string& path,
                              std::function<void()> fallback)
{
    if (!busChosen_) {
        busChosen_ = true;
        if (sessionBusExists())
            bus_ = QDBusConnection::sessionBus();
    }
    if (!bus_ || !bus_->isConnected()) {
        fallback();
        Q_EMIT finished(false);
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        fileManagerName(), QStringLiteral("/org/freedesktop/FileManager1"), fileManagerName(),
        QString::fromLatin1(method));
    const QUrl uri = QUrl::fromLocalFile(QFile::decodeName(path.c_str()));
    call << QStringList{QString::fromLatin1(uri.toEncoded())} << QString();
    auto* watcher = new QDBusPendingCallWatcher(bus_->asyncCall(call, kAnswerTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, fallback = std::move(fallback)](QDBusPendingCallWatcher* answered) {
                answered->deleteLater();
                const QDBusError::ErrorType error = answered->error().type();
                const bool taken = !answered->isError() || error == QDBusError::NoReply ||
                                   error == QDBusError::Timeout;
                if (!taken)
                    fallback();
                Q_EMIT finished(taken);
            });
}

}  // namespace dw::ui
