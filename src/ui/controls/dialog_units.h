#pragma once

#include <QFont>
#include <QRect>
#include <QSize>

namespace dw::ui {

// Converts dialog units (a quarter of the average character width, an eighth
// of the character height) to pixels for a font, so windows keep their
// designed proportions whatever font and scale the desktop uses.
class DialogUnits {
public:
    explicit DialogUnits(const QFont& font);

    int x(int units) const { return (units * baseX_ + 2) / 4; }
    int y(int units) const { return (units * baseY_ + 4) / 8; }
    QRect rect(int left, int top, int width, int height) const
    {
        return QRect(x(left), y(top), x(width), y(height));
    }
    QSize size(int width, int height) const { return QSize(x(width), y(height)); }

private:
    int baseX_;
    int baseY_;
};

}  // namespace dw::ui
