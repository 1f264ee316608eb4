#pragma once

#include <QObject>

class QMenu;
class QSystemTrayIcon;

namespace dw::ui {

// The notification-area icon: tooltip, the menu "Открыть" (default, bold) /
// "Выход", and a double click that opens the window. Where the desktop has
// no notification area it does nothing and available() is false.
class TrayIcon : public QObject {
    Q_OBJECT
public:
    explicit TrayIcon(QObject* parent = nullptr);
    ~TrayIcon() override;

    bool available() const { return icon_ != nullptr; }
    void setTip(const QString& text);
    QString tip() const;
    QMenu* menu() const { return menu_; }

Q_SIGNALS:
    void openRequested();
    void exitRequested();

private:
    QSystemTrayIcon* icon_ = nullptr;
    QMenu* menu_ = nullptr;
    QString tip_;
};

}  // namespace dw::ui
