#include "ui/controls/colour_picker.h"

#include "ui/controls/ui_texts.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>
#include <qdrawutil.h>

#include <algorithm>

namespace dw::ui {

namespace {

QColor qColour(Colour colour)
{
    return QColor(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                  static_cast<int>((colour >> 16) & 0xFF));
}

Colour fromQColour(const QColor& colour)
{
    return static_cast<Colour>(colour.red()) | (static_cast<Colour>(colour.green()) << 8) |
           (static_cast<Colour>(colour.blue()) << 16);
}

}  // namespace

CColourPicker::CColourPicker(QWidget* parent)
    : QPushButton(parent),
      colour_(fromQColour(palette().color(QPalette::Button))),
      textColour_(fromQColour(palette().color(QPalette::ButtonText))),
      defaultText_(text::qs(text::ColourDefault)),
      customText_(text::qs(text::ColourOther))
{
    connect(this, &QPushButton::clicked, this, &CColourPicker::dropDown);
}

void CColourPicker::setColour(Colour colour)
{
    colour_ = colour;
    update();
}

void CColourPicker::setTextColour(Colour colour)
{
    textColour_ = colour;
    update();
}

void CColourPicker::apply(Colour colour)
{
    if (mode_ == Mode::TextColour)
        setTextColour(colour);
    else
        setColour(colour);
}

void CColourPicker::dropDown()
{
    if (active_)
        return;
    active_ = true;
    update();
    popup_ = new ColourPopup(this, chosen(), defaultText_, customText_);
    connect(popup_, &ColourPopup::selectionChanged, this, &CColourPicker::onPopupChanged);
    connect(popup_, &ColourPopup::selectionEndedOk, this, &CColourPicker::onPopupOk);
    connect(popup_, &ColourPopup::selectionCancelled, this, &CColourPicker::onPopupCancelled);
    popup_->show();
    popup_->setFocus();
    Q_EMIT droppedDown(chosen(), controlId());
}

void CColourPicker::onPopupChanged(Colour colour)
{
    if (trackSelection_)
        apply(colour);
    Q_EMIT selectionChanged(colour, controlId());
}

void CColourPicker::onPopupOk(Colour colour)
{
    const Colour before = chosen();
    active_ = false;
    popup_ = nullptr;
    apply(colour);
    Q_EMIT closedUp(colour, controlId());
    Q_EMIT selectionEndedOk(colour, controlId());
    if (colour != before)
        Q_EMIT selectionChanged(colour, controlId());
}

void CColourPicker::onPopupCancelled(Colour colour)
{
    active_ = false;
    popup_ = nullptr;
    apply(colour);
    Q_EMIT closedUp(colour, controlId());
    Q_EMIT selectionCancelled(colour, controlId());
}

QSize CColourPicker::sizeHint() const
{
    const QSize base = QPushButton::sizeHint();
    return QSize(std::max(base.width(), base.height() * 3), base.height());
}

void CColourPicker::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QPalette& colours = palette();
    const bool enabled = isEnabled();

    // The drop-down arrow at the right end, pressed while the popup is open.
    const int arrowWidth = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    QRect arrowBox(width() - arrowWidth, 0, arrowWidth, height());
    QStyleOptionButton button;
    button.initFrom(this);
    button.rect = arrowBox;
    button.state |= active_ ? QStyle::State_Sunken : QStyle::State_Raised;
    style()->drawPrimitive(QStyle::PE_PanelButtonCommand, &button, &painter, this);
    QStyleOption arrow;
    arrow.initFrom(this);
    arrow.rect = arrowBox.adjusted(arrowWidth / 4, height() / 4, -arrowWidth / 4, -height() / 4);
    style()->drawPrimitive(QStyle::PE_IndicatorArrowDown, &arrow, &painter, this);

    // The colour inside a sunken edge.
    const QRect swatch(0, 0, width() - arrowWidth, height());
    qDrawWinPanel(&painter, swatch, colours, true);
    const QRect inside = swatch.adjusted(2, 2, -2, -2);
    const bool plain = colour_ == kDefaultColour || !enabled;
    painter.fillRect(inside, plain ? colours.button().color() : qColour(colour_));

    if (!text().isEmpty()) {
        if (enabled) {
            painter.setPen(textColour_ == kDefaultColour ? QColor(Qt::black) : qColour(textColour_));
            painter.drawText(inside, Qt::AlignCenter, text());
        } else {
            painter.setPen(colours.color(QPalette::Light));
            painter.drawText(inside.translated(1, 1), Qt::AlignCenter, text());
            painter.setPen(colours.color(QPalette::Dark));
            painter.drawText(inside, Qt::AlignCenter, text());
        }
    }
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = inside.adjusted(1, 1, -1, -1);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }
}

}  // namespace dw::ui
