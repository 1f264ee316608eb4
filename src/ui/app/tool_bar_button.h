#pragma once

#include <QColor>
#include <QToolButton>

namespace dw::ui {

// One of the main window's five buttons: the icon centred above its caption
// on a flat face that lightens while the pointer is over it. It paints
// itself, so that every button looks alike whatever its theme icon offers:
// the picture sits in a box of the icon size (captions share one line), and
// a disabled button looks the same whether it or only its window is disabled.
class ToolBarButton : public QToolButton {
    Q_OBJECT
public:
    explicit ToolBarButton(QWidget* parent = nullptr);

    void setHoverColour(const QColor& colour) { hoverColour_ = colour; }
    // Whether the face shows the pointer over it.
    bool highlighted() const { return hovered_ || isDown(); }
    // Where the caption is drawn.
    QRect captionRect() const;
    // The pop-up menu of the button (InstantPopup); the highlight follows the
    // pointer once it closes, which may have left the button meanwhile.
    void setPopupMenu(QMenu* menu);

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    QRect iconRect() const;

    QColor hoverColour_;
    bool hovered_ = false;
};

}  // namespace dw::ui
