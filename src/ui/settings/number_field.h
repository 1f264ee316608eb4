#pragma once

#include <QWidget>

#include <cstdint>
#include <optional>

class QLineEdit;
class QToolButton;

namespace dw::ui {

// An edit that takes digits only, for a whole number.
QLineEdit* makeNumberEdit(int id, QWidget* parent);
// The number in `edit`, or nothing when it is empty or above `max`.
std::optional<std::uint32_t> numberIn(const QLineEdit* edit, std::uint32_t max);
// True when `edit` holds a number from `min` to `max`; otherwise says so,
// puts the focus into the edit and returns false.
bool checkNumber(QLineEdit* edit, std::uint32_t min, std::uint32_t max);

// Up and down arrows bound to a number edit: each step adds or takes one,
// wrapping around at either end of the range. The range limits the arrows
// only; what the user types is checked when the page is stored.
class SpinArrows : public QWidget {
    Q_OBJECT
public:
    SpinArrows(int id, QLineEdit* buddy, int minimum, int maximum, QWidget* parent = nullptr);

    void stepUp() { step(1); }
    void stepDown() { step(-1); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void step(int delta);

    QLineEdit* buddy_;
    int minimum_;
    int maximum_;
};

}  // namespace dw::ui
