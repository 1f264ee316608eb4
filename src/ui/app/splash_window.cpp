#include "ui/app/splash_window.h"

#include "ui/controls/dialog_units.h"
#include "ui/controls/ids.h"
#include "ui/controls/widget_ids.h"

#include <QApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QTimer>

namespace dw::ui {

QPixmap SplashWindow::artwork(const QSize& size, qreal devicePixelRatio)
{
    QPixmap pixmap(size * devicePixelRatio);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF area(QPointF(0, 0), QSizeF(size));

    QLinearGradient sky(area.topLeft(), area.bottomRight());
    sky.setColorAt(0, QColor(0x1d, 0x3b, 0x5a));
    sky.setColorAt(1, QColor(0x2f, 0x7d, 0x8c));
    painter.fillRect(area, sky);

    // A platter with a sweeping broom of light: the disk, tidied.
    const qreal radius = size.height() * 0.28;
    const QPointF centre(size.width() * 0.3, size.height() * 0.48);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 255, 255, 40));
    painter.drawEllipse(centre, radius * 1.08, radius * 1.08);
    painter.setBrush(QColor(0xe8, 0xee, 0xf2));
    painter.drawEllipse(centre, radius, radius);
    painter.setBrush(QColor(0x9a, 0xb0, 0xc0));
    painter.drawEllipse(centre, radius * 0.22, radius * 0.22);
    QPainterPath sweep;
    sweep.moveTo(centre);
    sweep.arcTo(QRectF(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius), 20, 70);
    sweep.closeSubpath();
    painter.setBrush(QColor(0xf2, 0xb1, 0x34, 200));
    painter.drawPath(sweep);

    QFont title = QApplication::font();
    title.setPointSizeF(title.pointSizeF() * 2.4);
    title.setBold(true);
    painter.setFont(title);
    painter.setPen(Qt::white);
    const QRectF textArea(size.width() * 0.55, 0, size.width() * 0.43, size.height() * 0.55);
    painter.drawText(textArea, Qt::AlignLeft | Qt::AlignBottom, QStringLiteral("Diskwright"));
    QFont line = QApplication::font();
    painter.setFont(line);
    painter.setPen(QColor(255, 255, 255, 210));
    const QRectF lineArea(size.width() * 0.55, size.height() * 0.58, size.width() * 0.43, size.height() * 0.3);
    painter.drawText(lineArea, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
                     QString::fromUtf8("Очистка диска"));
    return pixmap;
}

SplashWindow::SplashWindow()
{
    withId(this, id::SplashWindow);
    DialogUnits du(QApplication::font());
    setPixmap(artwork(du.size(267, 196), devicePixelRatioF()));
    QTimer::singleShot(2000, this, &QWidget::close);
}

void SplashWindow::mousePressEvent(QMouseEvent*)
{
    // Clicks do nothing: the splash goes when the window is ready.
}

}  // namespace dw::ui
