#include "ui/settings/preferences_caption.h"

#include <QPainter>

#include <algorithm>

namespace dw::ui {

PreferencesCaption::PreferencesCaption(QWidget* parent)
    : QWidget(parent), textColour_(palette().color(QPalette::Button))
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PreferencesCaption::setConstantText(const QString& text)
{
    constantText_ = text;
    cached_ = QPixmap();
    update();
}

void PreferencesCaption::setTitle(const QString& title)
{
    title_ = title;
    update();
}

QPixmap PreferencesCaption::background(const QSize& size) const
{
    const int w = size.width();
    const int h = size.height();
    QPixmap band(size);
    band.fill(Qt::black);
    if (w <= 0 || h <= 0)
        return band;
    QPainter painter(&band);
    const QColor face = palette().color(QPalette::Button);
    const int strip = std::max(1, w / 128);
    // Strip k from the right has channel - channel * (k * strip)^2 / w^2.
    const long long w2 = static_cast<long long>(w) * w;
    auto fade = [&](int channel, long long covered) {
        return static_cast<int>(channel - channel * covered * covered / w2);
    };
    int left = w;
    for (int k = 1; left > strip; ++k) {
        left = w - k * strip;
        const long long covered = static_cast<long long>(k) * strip;
        painter.fillRect(QRect(left, 0, strip, h), QColor(fade(face.red(), covered), fade(face.green(), covered),
                                                          fade(face.blue(), covered)));
    }

    QFont bold(faceName_);
    bold.setPixelSize(18);
    bold.setWeight(QFont::Bold);
    painter.setFont(bold);
    const QRect textBox(0, 0, w - 5, h);
    painter.setPen(palette().color(QPalette::Light));
    painter.drawText(textBox.translated(1, 1), Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine,
                     constantText_);
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawText(textBox, Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine, constantText_);
    return band;
}

void PreferencesCaption::paintEvent(QPaintEvent*)
{
    if (cached_.size() != size())
        cached_ = background(size());
    QPainter painter(this);
    painter.drawPixmap(0, 0, cached_);
    painter.setPen(textColour_);
    painter.setFont(font());
    painter.drawText(rect().adjusted(5, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, title_);
}

}  // namespace dw::ui
