#include "ui/controls/anchor_layout.h"

#include <QEvent>

namespace dw::ui {

void AnchorLayout::add(QWidget* widget, int anchors)
{
    if (!widget || anchors == 0)
        return;
    if (!parent_ && widget->parentWidget()) {
        parent_ = widget->parentWidget();
        recordedSize_ = parent_->size();
        parent_->installEventFilter(this);
    }
    items_.push_back({widget, anchors, widget->geometry()});
}

bool AnchorLayout::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == parent_ && event->type() == QEvent::Resize)
        apply();
    return QObject::eventFilter(watched, event);
}

void AnchorLayout::apply()
{
    if (!parent_ || !recordedSize_.isValid())
        return;
    if (parent_->window()->isMinimized())
        return;
    const int dW = parent_->width() - recordedSize_.width();
    const int dH = parent_->height() - recordedSize_.height();
    for (const Item& item : items_) {
        QWidget* widget = item.widget;
        if (!widget)
            continue;
        QRect now = widget->geometry();
        int left = now.left(), right = now.left() + now.width();
        int top = now.top(), bottom = now.top() + now.height();
        const QRect& was = item.recorded;
        auto span = [](bool first, bool second, int recordedFirst, int recordedSecond, int grow,
                       int& outFirst, int& outSecond) {
            int extent = outSecond - outFirst;
            if (first && second) {
                outFirst = recordedFirst;
                outSecond = recordedSecond + grow;
            } else if (second) {
                outSecond = recordedSecond + grow;
                outFirst = outSecond - extent;
            } else if (first) {
                outFirst = recordedFirst;
                outSecond = outFirst + extent;
            }
        };
        span(item.anchors & Left, item.anchors & Right, was.left(), was.left() + was.width(), dW, left, right);
        span(item.anchors & Top, item.anchors & Bottom, was.top(), was.top() + was.height(), dH, top, bottom);
        QRect target(left, top, std::max(0, right - left), std::max(0, bottom - top));
        if (item.anchors & HideIfClipped) {
            bool fits = parent_->rect().contains(target);
            widget->setVisible(fits);
            if (!fits)
                continue;
        }
        widget->setGeometry(target);
    }
}

}  // namespace dw::ui
