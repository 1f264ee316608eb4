#pragma once

#include <QObject>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QWidget>

#include <vector>

namespace dw::ui {

// Keeps child widgets anchored to the edges of their parent: after every
// resize each registered widget is moved or stretched by the growth of the
// parent's client area since registration, as its anchor flags say.
class AnchorLayout : public QObject {
public:
    enum Anchor : int {
        Left = 1,
        Right = 2,
        Top = 4,
        Bottom = 8,
        HideIfClipped = 16,
        All = Left | Right | Top | Bottom,
    };

    explicit AnchorLayout(QObject* owner = nullptr) : QObject(owner) {}

    // Records the widget's geometry now; the first registration also records
    // the parent's size and starts following its resizes.
    void add(QWidget* widget, int anchors);
    // Moves the widgets for the parent's current size (done on every resize).
    void apply();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Item {
        QPointer<QWidget> widget;
        int anchors;
        QRect recorded;
    };
    std::vector<Item> items_;
    QPointer<QWidget> parent_;
    QSize recordedSize_;
};

}  // namespace dw::ui
