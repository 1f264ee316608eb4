#include "ui/app/app_icon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace dw::ui {

static QPixmap drawIcon(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal r = size * 0.46;
    const QPointF c(size / 2.0, size / 2.0);
    painter.setPen(QPen(QColor(0x1d, 0x3b, 0x5a), size / 16.0));
    painter.setBrush(QColor(0xe8, 0xee, 0xf2));
    painter.drawEllipse(c, r, r);
    QPainterPath sweep;
    sweep.moveTo(c);
    sweep.arcTo(QRectF(c.x() - r, c.y() - r, 2 * r, 2 * r), 20, 80);
    sweep.closeSubpath();
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0xf2, 0xb1, 0x34));
    painter.drawPath(sweep);
    painter.setBrush(QColor(0x2f, 0x7d, 0x8c));
    painter.drawEllipse(c, r * 0.2, r * 0.2);
    return pixmap;
}

QIcon appIcon()
{
    static const QIcon icon = [] {
        QIcon result;
        for (int size : {16, 22, 24, 32, 48, 64, 128})
            result.addPixmap(drawIcon(size));
        return result;
    }();
    return icon;
}

}  // namespace dw::ui
