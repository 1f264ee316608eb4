#include "ui/app/desktop_notifier.h"

#include "ui/app/tray_icon.h"
#include "ui/controls/ui_texts.h"
#include "ui/search/progress_dialog.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QVariantMap>
#include <QWidget>

namespace dw::ui {

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");

}  // namespace

DesktopNotifier::DesktopNotifier(const QDBusConnection& bus) : bus_(bus) {}

bool DesktopNotifier::serviceAvailable() const
{
    if (!bus_.isConnected() || !bus_.interface())
        return false;
    QDBusConnectionInterface* daemon = bus_.interface();
    if (daemon->isServiceRegistered(kService).value())
        return true;
    // Many notification daemons start on their first message.
    const QDBusMessage names = daemon->call(QStringLiteral("ListActivatableNames"));
    return names.type() == QDBusMessage::ReplyMessage && !names.arguments().isEmpty() &&
           names.arguments().constFirst().toStringList().contains(kService);
}

bool DesktopNotifier::notify(const QString& summary, const QString& body) const
{
    if (!serviceAvailable())
        return false;
    QDBusMessage message = QDBusMessage::createMethodCall(kService, kPath, kService,
                                                          QStringLiteral("Notify"));
    message << text::qs(text::ProgramName)       // app_name
            << 0u                                // replaces_id
            << QStringLiteral("diskwright")      // app_icon
            << summary << body << QStringList()  // actions
            << QVariantMap()                     // hints
            << -1;                               // the server's own timeout
    return bus_.send(message);
}

SearchEndNotice::SearchEndNotice(QWidget* window, ProgressDialog* progress, TrayIcon* tray)
    : QObject(window), window_(window), tray_(tray)
{
    connect(progress, &ProgressDialog::sentToBackground, this, [this] { backgrounded_ = true; });
}

bool SearchEndNotice::searchFinished(const dw::SearchStatistics& stats)
{
    const bool unseen = !window_ || !window_->isVisible() || window_->isMinimized() || backgrounded_;
    backgrounded_ = false;
    if (!unseen || (tray_ && tray_->available()))
        return false;
    return notifier_.notify(summary(), body(stats));
}

QString SearchEndNotice::summary() { return text::qs(text::SearchFinishedNotice); }

QString SearchEndNotice::body(const dw::SearchStatistics& stats)
{
    const auto duplicates = static_cast<std::size_t>(dw::ResultKind::Duplicates);
    const QString line =
        QString::fromStdString(dw::statisticsLine(stats.rows[duplicates], stats.sizeOnDisk[duplicates]));
    return QStringLiteral("%1 — %2").arg(text::qs(text::StatDuplicates),
                                         QString(line).replace(QStringLiteral("\t "), QStringLiteral(", ")));
}

}  // namespace dw::ui
