#include "ui/controls/dialog_units.h"

#include <QFontMetrics>

namespace dw::ui {

DialogUnits::DialogUnits(const QFont& font)
{
    QFontMetrics metrics(font);
    // The average width of the Latin letters, as the dialog unit is defined.
    static const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    baseX_ = (metrics.horizontalAdvance(letters) / 26 + 1) / 2;
    baseY_ = metrics.height();
    if (baseX_ <= 0)
        baseX_ = 6;
    if (baseY_ <= 0)
        baseY_ = 13;
}

}  // namespace dw::ui
