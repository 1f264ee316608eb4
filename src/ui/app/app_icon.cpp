#include "ui/app/app_icon.h"

#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

// The artwork is compiled into the static ui library, whose resources are
// only registered when asked for by name.
static void registerArtwork()
{
    static const bool registered = [] {
        Q_INIT_RESOURCE(diskwright);
        return true;
    }();
    (void)registered;
}

namespace dw::ui {

QPixmap renderSvg(const QString& resource, const QSize& size, qreal devicePixelRatio)
{
    QPixmap pixmap(size * devicePixelRatio);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);
    registerArtwork();
    QSvgRenderer renderer(resource);
    QPainter painter(&pixmap);
    renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
    return pixmap;
}

QIcon appIcon()
{
    // Rendered here rather than through the SVG icon plugin, so the icon does
    // not depend on which Qt plugins the system has.
    static const QIcon icon = [] {
        QIcon result;
        for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
            result.addPixmap(renderSvg(QStringLiteral(":/diskwright.svg"), QSize(size, size), 1.0));
        return result;
    }();
    return icon;
}

}  // namespace dw::ui
