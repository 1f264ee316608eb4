#include "ui/app/splash_window.h"

#include "ui/controls/dialog_units.h"
#include "ui/controls/ids.h"
#include "ui/controls/widget_ids.h"

#include "ui/app/app_icon.h"

#include <QApplication>
#include <QTimer>

namespace dw::ui {

SplashWindow::SplashWindow()
{
    withId(this, id::SplashWindow);
    DialogUnits du(QApplication::font());
    setPixmap(renderSvg(QStringLiteral(":/splash.svg"), du.size(267, 196), devicePixelRatioF()));
    QTimer::singleShot(2000, this, &QWidget::close);
}

void SplashWindow::mousePressEvent(QMouseEvent*)
{
    // Clicks do nothing: the splash goes when the window is ready.
}

}  // namespace dw::ui
