#include "ui/app/tray_icon.h"

#include "ui/app/app_icon.h"
#include "ui/controls/ids.h"
#include "ui/controls/ui_texts.h"

#include <QAction>
#include <QMenu>
#include <QSystemTrayIcon>

namespace dw::ui {

TrayIcon::TrayIcon(QObject* parent) : QObject(parent), tip_(text::qs(text::ProgramName))
{
    menu_ = new QMenu;
    QAction* open = menu_->addAction(text::qs(text::TrayOpen));
    open->setObjectName(QString::number(id::CmdTrayOpen));
    QFont bold = open->font();
    bold.setBold(true);
    open->setFont(bold);
    menu_->setDefaultAction(open);
    menu_->addSeparator();
    QAction* exit = menu_->addAction(text::qs(text::TrayExit));
    exit->setObjectName(QString::number(id::CmdExit));
    connect(open, &QAction::triggered, this, &TrayIcon::openRequested);
    connect(exit, &QAction::triggered, this, &TrayIcon::exitRequested);

    if (!QSystemTrayIcon::isSystemTrayAvailable())
        return;
    icon_ = new QSystemTrayIcon(appIcon(), this);
    icon_->setToolTip(tip_);
    icon_->setContextMenu(menu_);
    connect(icon_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::DoubleClick || reason == QSystemTrayIcon::Trigger)
            Q_EMIT openRequested();
    });
    icon_->show();
}

TrayIcon::~TrayIcon()
{
    if (icon_)
        icon_->hide();
    delete menu_;
}

void TrayIcon::setTip(const QString& text)
{
    tip_ = text;
    if (icon_)
        icon_->setToolTip(text);
}

QString TrayIcon::tip() const { return tip_; }

}  // namespace dw::ui
