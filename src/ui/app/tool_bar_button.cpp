#include "ui/app/tool_bar_button.h"

#include <QCursor>
#include <QEnterEvent>
#include <QMenu>
#include <QPainter>
#include <QStyleOption>

namespace dw::ui {

namespace {

constexpr int kPadding = 2;
constexpr int kIconTextGap = 3;
constexpr int kArrowSize = 7;

}  // namespace

ToolBarButton::ToolBarButton(QWidget* parent) : QToolButton(parent)
{
    setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    setAutoRaise(true);
    setAttribute(Qt::WA_Hover);
}

void ToolBarButton::setPopupMenu(QMenu* menu)
{
    setMenu(menu);
    setPopupMode(QToolButton::InstantPopup);
    // The pointer went to the menu, so no leave reached the button.
    connect(menu, &QMenu::aboutToHide, this, [this] {
        QMetaObject::invokeMethod(
            this,
            [this] {
                hovered_ = rect().contains(mapFromGlobal(QCursor::pos()));
                update();
            },
            Qt::QueuedConnection);
    });
}

QRect ToolBarButton::iconRect() const
{
    const QSize size = iconSize();
    return QRect(QPoint((width() - size.width()) / 2, kPadding), size);
}

QRect ToolBarButton::captionRect() const
{
    const int top = iconRect().bottom() + 1 + kIconTextGap;
    return QRect(kPadding, top, width() - 2 * kPadding, fontMetrics().height());
}

void ToolBarButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const bool enabled = isEnabled();
    if (enabled && highlighted() && hoverColour_.isValid())
        painter.fillRect(rect(), hoverColour_);

    // The picture at its own size, centred in the icon box: a theme that
    // lacks the size asked for gives a smaller one, which must not move the caption.
    const QIcon::Mode mode = !enabled ? QIcon::Disabled : highlighted() ? QIcon::Active : QIcon::Normal;
    const QPixmap pixmap = icon().pixmap(iconSize(), devicePixelRatio(), mode);
    const QSize shown = pixmap.deviceIndependentSize().toSize();
    const QRect box = iconRect();
    painter.drawPixmap(QRect(QPoint(box.x() + (box.width() - shown.width()) / 2,
                                    box.y() + (box.height() - shown.height()) / 2),
                             shown),
                       pixmap);

    // The palette's disabled group alone decides how a disabled caption looks.
    style()->drawItemText(&painter, captionRect(), Qt::AlignHCenter | Qt::AlignTop | Qt::TextShowMnemonic,
                          palette(), enabled, text(), QPalette::ButtonText);

    QStyleOption arrow;
    arrow.initFrom(this);
    if (menu()) {
        arrow.rect = QRect(width() - kArrowSize - kPadding, height() - kArrowSize - kPadding, kArrowSize,
                           kArrowSize);
        style()->drawPrimitive(QStyle::PE_IndicatorArrowDown, &arrow, &painter, this);
    }
    QStyleOptionFocusRect focus;
    focus.initFrom(this);
    // Only a focus the keyboard moved here is shown; a click leaves none behind.
    if (hasFocus() && (focus.state & QStyle::State_KeyboardFocusChange)) {
        focus.rect = rect().adjusted(1, 1, -1, -1);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }
}

void ToolBarButton::enterEvent(QEnterEvent* event)
{
    hovered_ = true;
    update();
    QToolButton::enterEvent(event);
}

void ToolBarButton::leaveEvent(QEvent* event)
{
    hovered_ = false;
    update();
    QToolButton::leaveEvent(event);
}

}  // namespace dw::ui
