#pragma once

#include "ui/controls/colour_popup.h"

#include <QPointer>
#include <QPushButton>

namespace dw::ui {

// A button that shows a colour and drops down a ColourPopup to change it.
// Every step is announced with the colour and the button's id (its
// objectName as a number): dropped down, selection changed, closed up, and
// the end with OK or a cancel. A cancel puts the colour back that the popup
// opened with.
class CColourPicker : public QPushButton {
    Q_OBJECT
public:
    // Which colour a choice sets.
    enum class Mode { TextColour = 1, Colour = 2 };

    explicit CColourPicker(QWidget* parent = nullptr);

    Colour colour() const { return colour_; }
    void setColour(Colour colour);
    Colour textColour() const { return textColour_; }
    void setTextColour(Colour colour);
    Mode mode() const { return mode_; }
    void setMode(Mode mode) { mode_ = mode; }
    // When on, hovering a cell of the popup already shows its colour.
    bool trackSelection() const { return trackSelection_; }
    void setTrackSelection(bool on) { trackSelection_ = on; }
    // An empty text removes the cell from the popup.
    void setDefaultText(const QString& text) { defaultText_ = text; }
    void setCustomText(const QString& text) { customText_ = text; }

    bool active() const { return active_; }
    // The open popup, or nullptr.
    ColourPopup* popup() const { return popup_; }
    // Opens the popup (what a click does).
    void dropDown();

    QSize sizeHint() const override;

Q_SIGNALS:
    void selectionChanged(dw::Colour colour, int id);
    void droppedDown(dw::Colour colour, int id);
    void closedUp(dw::Colour colour, int id);
    void selectionEndedOk(dw::Colour colour, int id);
    void selectionCancelled(dw::Colour colour, int id);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int controlId() const { return objectName().toInt(); }
    Colour chosen() const { return mode_ == Mode::TextColour ? textColour_ : colour_; }
    void apply(Colour colour);
    void onPopupChanged(Colour colour);
    void onPopupOk(Colour colour);
    void onPopupCancelled(Colour colour);

    Colour colour_;
    Colour textColour_;
    Mode mode_ = Mode::Colour;
    bool trackSelection_ = false;
    bool active_ = false;
    QString defaultText_;
    QString customText_;
    QPointer<ColourPopup> popup_;
};

}  // namespace dw::ui
