#pragma once

#include "engine/search/search_driver.h"

#include <QDBusConnection>
#include <QObject>
#include <QPointer>

class QWidget;

namespace dw::ui {

class ProgressDialog;
class TrayIcon;

// A desktop notification through the freedesktop notifications service
// (org.freedesktop.Notifications on the session bus). Nothing happens when
// there is no bus or no such service.
class DesktopNotifier {
public:
    explicit DesktopNotifier(const QDBusConnection& bus = QDBusConnection::sessionBus());

    // Whether the service is running or can be started by the bus.
    bool serviceAvailable() const;
    // Sends the notification without waiting for an answer; false when
    // there is no service to send it to.
    bool notify(const QString& summary, const QString& body) const;

private:
    QDBusConnection bus_;
};

// Tells the user that a search ended when the window would not: it is
// hidden or minimised, or the search was sent to the background, and there
// is no notification area whose icon could carry the news. The text is the
// statistics' first line.
class SearchEndNotice : public QObject {
    Q_OBJECT
public:
    SearchEndNotice(QWidget* window, ProgressDialog* progress, TrayIcon* tray);

    void setNotifier(const DesktopNotifier& notifier) { notifier_ = notifier; }
    // A search starts: it has not been sent to the background yet.
    void searchStarted() { backgrounded_ = false; }
    // A search ended; returns whether a notification was sent.
    bool searchFinished(const dw::SearchStatistics& stats);

    // "Поиск завершён" and the statistics' first line.
    static QString summary();
    static QString body(const dw::SearchStatistics& stats);

private:
    QPointer<QWidget> window_;
    TrayIcon* tray_;
    DesktopNotifier notifier_;
    bool backgrounded_ = false;
};

}  // namespace dw::ui
