#pragma once

#include <QIcon>
#include <QPixmap>

namespace dw::ui {

// The program's icon (resources/icons/diskwright.svg) at the usual sizes.
QIcon appIcon();
// An SVG resource drawn into a pixmap of `size` logical pixels.
QPixmap renderSvg(const QString& resource, const QSize& size, qreal devicePixelRatio);

}  // namespace dw::ui
