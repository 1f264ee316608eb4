#pragma once

#include <QLabel>

namespace dw::ui {

// A text that opens its target (a web page or a mailto: address) when
// clicked or when Space is pressed on it; blue until visited, purple after,
// teal while it has the keyboard focus; the target is its tooltip.
class HyperLink : public QLabel {
    Q_OBJECT
public:
    HyperLink(const QString& text, const QString& target, QWidget* parent = nullptr);

    QString target() const { return target_; }
    void setTarget(const QString& target);
    bool visited() const { return visited_; }
    // Opens the target; reports a failure in a message box and returns false.
    bool open();

    // The message shown when no program could open the link, for a failure code.
    static QString failureText(int code);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void updateColour();

    QString target_;
    bool visited_ = false;
    bool pressed_ = false;
};

}  // namespace dw::ui
