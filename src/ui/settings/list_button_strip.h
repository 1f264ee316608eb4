#pragma once

#include <QWidget>

#include <array>

class QToolButton;

namespace dw::ui {

// Three small image buttons under a list: new, edit and remove. Each button
// carries its command id as objectName and announces it with `triggered`.
class ListButtonStrip : public QWidget {
    Q_OBJECT
public:
    // `stripId` is the strip's own id; the commands in the order new, edit, remove.
    ListButtonStrip(int stripId, const std::array<int, 3>& commands, QWidget* parent = nullptr);

    QToolButton* button(int index) const { return buttons_[static_cast<std::size_t>(index)]; }

Q_SIGNALS:
    void triggered(int command);

private:
    std::array<QToolButton*, 3> buttons_{};
};

}  // namespace dw::ui
