#include "ui/settings/list_button_strip.h"

#include "ui/controls/ui_texts.h"
#include "ui/controls/widget_ids.h"

#include <QHBoxLayout>
#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QToolButton>

namespace dw::ui {

namespace {

enum class Glyph { New, Edit, Remove };

// A 14-pixel image of the command: grey at rest, coloured under the pointer.
QPixmap glyph(Glyph kind, const QColor& colour)
{
    QPixmap image(14, 14);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(colour, 2, Qt::SolidLine, Qt::RoundCap));
    switch (kind) {
    case Glyph::New:
        painter.drawLine(QPointF(7, 2), QPointF(7, 12));
        painter.drawLine(QPointF(2, 7), QPointF(12, 7));
        break;
    case Glyph::Edit:
        painter.drawLine(QPointF(3, 11), QPointF(11, 3));
        painter.setPen(QPen(colour, 1));
        painter.drawLine(QPointF(2, 12.5), QPointF(6, 12.5));
        break;
    case Glyph::Remove:
        painter.drawLine(QPointF(3, 3), QPointF(11, 11));
        painter.drawLine(QPointF(11, 3), QPointF(3, 11));
        break;
    }
    return image;
}

}  // namespace

ListButtonStrip::ListButtonStrip(int stripId, const std::array<int, 3>& commands, QWidget* parent) : QWidget(parent)
{
    withId(this, stripId);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(2);
    const Glyph glyphs[] = {Glyph::New, Glyph::Edit, Glyph::Remove};
    const QColor hot[] = {QColor(0, 128, 0), QColor(0, 64, 192), QColor(192, 0, 0)};
    const char* tips[] = {text::StripNewTip, text::StripEditTip, text::StripRemoveTip};
    const QColor rest = palette().color(QPalette::Dark);
    for (std::size_t i = 0; i < buttons_.size(); ++i) {
        auto* button = withId(new QToolButton(this), commands[i]);
        QIcon icon;
        icon.addPixmap(glyph(glyphs[i], rest), QIcon::Normal);
        icon.addPixmap(glyph(glyphs[i], hot[i]), QIcon::Active);
        button->setIcon(icon);
        button->setIconSize(QSize(14, 14));
        button->setAutoRaise(true);
        button->setToolTip(text::qs(tips[i]));
        const int command = commands[i];
        connect(button, &QToolButton::clicked, this, [this, command] { Q_EMIT triggered(command); });
        row->addWidget(button);
        buttons_[i] = button;
    }
    row->addStretch(1);
}

}  // namespace dw::ui
