#pragma once

#include "engine/search/file_entry.h"

#include <QString>
#include <QWidget>

#include <array>

namespace dw::ui {

// The colour value that stands for "the default colour" in pickers.
inline constexpr Colour kDefaultColour = 0xFF000000u;

struct NamedColour {
    Colour colour;  // 0x00BBGGRR
    const char* name;
};

// The 40 colours of the popup, row by row, eight to a row.
const std::array<NamedColour, 40>& colourTable();

// The drop-down of a colour picker: a grid of the 40 named colours, the
// optional "По умолчанию" cell above it and the optional "Другой..." cell
// below it, which asks the system colour dialog. Hovering or the arrow keys
// move the current cell and announce its colour; a release inside, Enter or
// Space end with OK; Escape, a release outside or losing the application end
// with a cancel that reports the opening colour. The popup closes (and
// deletes itself) after announcing the end.
class ColourPopup : public QWidget {
    Q_OBJECT
public:
    static constexpr int NoCell = -1;
    static constexpr int CustomCell = -2;
    static constexpr int DefaultCell = -3;

    // Placed at `below`'s lower-left corner, kept on the screen.
    ColourPopup(QWidget* below, Colour opening, const QString& defaultText, const QString& customText);

    Colour openingColour() const { return opening_; }
    int initialCell() const { return initial_; }
    int currentCell() const { return current_; }
    // The cell's rectangle in the popup (empty for a cell it does not have).
    QRect cellRect(int cell) const;
    // The cell at a point of the popup, or NoCell.
    int cellAt(const QPoint& point) const;

Q_SIGNALS:
    void selectionChanged(dw::Colour colour);
    void selectionEndedOk(dw::Colour colour);
    void selectionCancelled(dw::Colour colour);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;

private:
    void layOut();
    void placeBelow(QWidget* below);
    void moveTo(int cell);
    int stepFrom(int cell, int key) const;
    void endOk();
    void endCancelled();
    void finish(bool ok, Colour result);
    Colour colourOf(int cell) const;
    bool hasCell(int cell) const;

    Colour opening_;
    QString defaultText_;
    QString customText_;
    int initial_ = NoCell;
    int current_ = NoCell;
    int cellSize_ = 18;
    int margin_ = 2;
    int gridTop_ = 0;
    QRect defaultRect_;
    QRect customRect_;
    bool ended_ = false;
};

}  // namespace dw::ui
