#include "list_commands_fixture.h"
#include "ui/controls/colour_picker.h"
#include "ui/controls/colour_popup.h"

#include <QColorDialog>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>
#include <QToolTip>
#include <gtest/gtest.h>

#include <utility>
#include <vector>

using dw::Colour;
using dw::ui::CColourPicker;
using dw::ui::ColourPopup;
using dw::ui::kDefaultColour;

namespace {

enum Notice { Changed = 2025, DroppedDown = 2026, ClosedUp = 2027, EndedOk = 2028, Cancelled = 2029 };
using Notices = std::vector<std::pair<int, Colour>>;

constexpr Colour kBlue = 0xFF0000;       // cell 13
constexpr Colour kBlueGrey = 0xC07B7B;   // cell 14
constexpr Colour kNotInTable = 0x123456;

class ColourPicker : public ::testing::Test {
protected:
    ColourPicker()
    {
        host.resize(300, 200);
        picker = dw::ui::withId(new CColourPicker(&host), 204);
        picker->setGeometry(20, 20, 80, 24);
        auto record = [this](int notice) {
            return [this, notice](Colour colour, int id) {
                EXPECT_EQ(id, 204);
                notices.emplace_back(notice, colour);
            };
        };
        QObject::connect(picker, &CColourPicker::selectionChanged, record(Changed));
        QObject::connect(picker, &CColourPicker::droppedDown, record(DroppedDown));
        QObject::connect(picker, &CColourPicker::closedUp, record(ClosedUp));
        QObject::connect(picker, &CColourPicker::selectionEndedOk, record(EndedOk));
        QObject::connect(picker, &CColourPicker::selectionCancelled, record(Cancelled));
        host.show();
    }

    ColourPopup* open(Colour colour)
    {
        picker->setColour(colour);
        picker->click();
        EXPECT_TRUE(picker->active());
        return picker->popup();
    }
    static void send(QWidget* target, QEvent::Type type, QPoint at)
    {
        QMouseEvent event(type, at, target->mapToGlobal(at), type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                          type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &event);
    }
    static void key(QWidget* target, int code)
    {
        QKeyEvent event(QEvent::KeyPress, code, Qt::NoModifier);
        QApplication::sendEvent(target, &event);
    }
    QColor swatchPixel()
    {
        return picker->grab().toImage().pixelColor(picker->width() / 4, picker->height() / 2);
    }

    QWidget host;
    CColourPicker* picker = nullptr;
    Notices notices;
};

TEST_F(ColourPicker, TheTableHasFortyNamedColoursRowByRow)
{
    const auto& table = dw::ui::colourTable();
    EXPECT_EQ(table[0].colour, 0x000000u);
    EXPECT_STREQ(table[1].name, "Brown");
    EXPECT_EQ(table[1].colour, 0x002AA5u);
    EXPECT_STREQ(table[35].name, "Pale green ");
    EXPECT_EQ(table[39].colour, 0xFFFFFFu);
    EXPECT_EQ(table[13].colour, kBlue);
    EXPECT_EQ(table[14].colour, kBlueGrey);
}

TEST_F(ColourPicker, HoverThenReleaseOnTheDefaultCellGivesTheDefaultColourPaintedAsTheButtonFace)
{
    ColourPopup* popup = open(kNotInTable);
    ASSERT_NE(popup, nullptr);
    // A colour outside the table opens on "Другой...".
    EXPECT_EQ(popup->initialCell(), ColourPopup::CustomCell);
    EXPECT_TRUE(popup->isVisible());
    // Just below the button's lower-left corner.
    EXPECT_EQ(popup->pos(), picker->mapToGlobal(QPoint(0, picker->height())));

    const QPoint onDefault = popup->cellRect(ColourPopup::DefaultCell).center();
    send(popup, QEvent::MouseMove, onDefault);
    EXPECT_EQ(popup->currentCell(), ColourPopup::DefaultCell);
    // Without selection tracking, hovering leaves the button alone.
    EXPECT_EQ(picker->colour(), kNotInTable);
    send(popup, QEvent::MouseButtonRelease, onDefault);

    EXPECT_EQ(picker->colour(), kDefaultColour);
    EXPECT_FALSE(picker->active());
    EXPECT_EQ(notices, (Notices{{DroppedDown, kNotInTable},
                                {Changed, kDefaultColour},
                                {ClosedUp, kDefaultColour},
                                {EndedOk, kDefaultColour},
                                {Changed, kDefaultColour}}));
    EXPECT_EQ(swatchPixel(), picker->palette().color(QPalette::Button));
    QApplication::processEvents();
    EXPECT_EQ(picker->popup(), nullptr);
}

TEST_F(ColourPicker, ArrowKeysWalkTheGridAndEnterTakesTheCellWithItsTooltipName)
{
    ColourPopup* popup = open(kBlue);
    EXPECT_EQ(popup->initialCell(), 13);
    EXPECT_EQ(popup->currentCell(), 13);

    QHelpEvent tip(QEvent::ToolTip, popup->cellRect(35).center(), popup->mapToGlobal(popup->cellRect(35).center()));
    QApplication::sendEvent(popup, &tip);
    EXPECT_EQ(QToolTip::text(), "Pale green ");

    key(popup, Qt::Key_Down);
    EXPECT_EQ(popup->currentCell(), 21);
    key(popup, Qt::Key_Up);
    key(popup, Qt::Key_Right);
    EXPECT_EQ(popup->currentCell(), 14);
    key(popup, Qt::Key_Return);
    EXPECT_EQ(picker->colour(), kBlueGrey);
    EXPECT_EQ(swatchPixel(), QColor(123, 123, 192));
    EXPECT_EQ(notices, (Notices{{DroppedDown, kBlue},
                                {Changed, 0xC09E7D},  // Light blue, cell 21
                                {Changed, kBlue},
                                {Changed, kBlueGrey},
                                {ClosedUp, kBlueGrey},
                                {EndedOk, kBlueGrey},
                                {Changed, kBlueGrey}}));
}

TEST_F(ColourPicker, TheArrowsWrapBetweenTheGridAndTheTwoTextCells)
{
    ColourPopup* popup = open(0x000000);
    EXPECT_EQ(popup->initialCell(), 0);
    key(popup, Qt::Key_Up);
    EXPECT_EQ(popup->currentCell(), ColourPopup::DefaultCell);
    key(popup, Qt::Key_Up);
    EXPECT_EQ(popup->currentCell(), ColourPopup::CustomCell);
    key(popup, Qt::Key_Right);
    EXPECT_EQ(popup->currentCell(), ColourPopup::DefaultCell);
    key(popup, Qt::Key_Left);
    EXPECT_EQ(popup->currentCell(), ColourPopup::CustomCell);
    key(popup, Qt::Key_Left);
    EXPECT_EQ(popup->currentCell(), 39);
    key(popup, Qt::Key_Escape);
}

TEST_F(ColourPicker, WithoutTheOtherCellAColourOutsideTheTableMarksNoCell)
{
    picker->setCustomText(QString());
    picker->setDefaultText(QString());
    ColourPopup* popup = open(kNotInTable);
    EXPECT_EQ(popup->initialCell(), ColourPopup::NoCell);
    EXPECT_TRUE(popup->cellRect(ColourPopup::CustomCell).isEmpty());
    EXPECT_TRUE(popup->cellRect(ColourPopup::DefaultCell).isEmpty());
    // The grid starts at the top when there is no default cell.
    EXPECT_EQ(popup->cellRect(0).top(), 2);
    EXPECT_EQ(popup->cellAt(popup->cellRect(3).center()), 3);
    key(popup, Qt::Key_Escape);
}

TEST_F(ColourPicker, EscapeCancelsAndPutsTheOpeningColourBackAfterTrackedHovering)
{
    picker->setTrackSelection(true);
    ColourPopup* popup = open(kBlue);
    send(popup, QEvent::MouseMove, popup->cellRect(0).center());
    EXPECT_EQ(picker->colour(), 0x000000u);
    key(popup, Qt::Key_Escape);
    EXPECT_EQ(picker->colour(), kBlue);
    EXPECT_FALSE(picker->active());
    EXPECT_EQ(notices, (Notices{{DroppedDown, kBlue}, {Changed, 0x000000}, {ClosedUp, kBlue}, {Cancelled, kBlue}}));
}

TEST_F(ColourPicker, AReleaseOrAPressOutsideThePopupCancels)
{
    ColourPopup* popup = open(kBlue);
    send(popup, QEvent::MouseMove, popup->cellRect(39).center());
    send(popup, QEvent::MouseButtonRelease, QPoint(popup->width() + 10, popup->height() + 10));
    EXPECT_EQ(picker->colour(), kBlue);
    EXPECT_EQ(notices.back(), std::make_pair(int(Cancelled), kBlue));

    notices.clear();
    popup = open(kBlueGrey);
    send(popup, QEvent::MouseButtonPress, QPoint(-5, -5));
    EXPECT_EQ(picker->colour(), kBlueGrey);
    EXPECT_EQ(notices, (Notices{{DroppedDown, kBlueGrey}, {ClosedUp, kBlueGrey}, {Cancelled, kBlueGrey}}));
}

TEST_F(ColourPicker, OtherColourAsksTheColourDialogWhoseCancelCancelsTheChoice)
{
    {
    ColourPopup* popup = open(kNotInTable);
    dwtest::ModalScript chosen({[] {
        auto* dialog = qobject_cast<QColorDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return false;
        // Opens at the button's colour.
        EXPECT_EQ(dialog->currentColor(), QColor(0x56, 0x34, 0x12));
        dialog->setCurrentColor(QColor(1, 2, 3));
        dialog->accept();
        return true;
    }});
    key(popup, Qt::Key_Return);
    EXPECT_TRUE(chosen.done());
    EXPECT_EQ(picker->colour(), 0x030201u);
    EXPECT_EQ(notices, (Notices{{DroppedDown, kNotInTable},
                                {ClosedUp, 0x030201},
                                {EndedOk, 0x030201},
                                {Changed, 0x030201}}));
    }

    notices.clear();
    ColourPopup* popup = open(kNotInTable);
    dwtest::ModalScript refused({[] {
        auto* dialog = qobject_cast<QColorDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return false;
        dialog->reject();
        return true;
    }});
    send(popup, QEvent::MouseButtonRelease, popup->cellRect(ColourPopup::CustomCell).center());
    EXPECT_TRUE(refused.done());
    EXPECT_EQ(picker->colour(), kNotInTable);
    EXPECT_EQ(notices, (Notices{{DroppedDown, kNotInTable}, {ClosedUp, kNotInTable}, {Cancelled, kNotInTable}}));
}

TEST_F(ColourPicker, TextColourModeChangesTheCaptionColourOnly)
{
    picker->setMode(CColourPicker::Mode::TextColour);
    picker->setTextColour(kBlue);
    picker->setColour(0x00FF00);
    picker->click();
    key(picker->popup(), Qt::Key_Right);
    key(picker->popup(), Qt::Key_Space);
    EXPECT_EQ(picker->textColour(), kBlueGrey);
    EXPECT_EQ(picker->colour(), 0x00FF00u);
}

TEST_F(ColourPicker, ThePopupStaysOnTheScreen)
{
    const QRect area = host.screen()->availableGeometry();
    host.move(area.right() - host.width() + 40, area.bottom() - 30);
    QApplication::processEvents();
    picker->move(host.width() - picker->width(), 0);
    ColourPopup* popup = open(kBlue);
    const QPoint placed = popup->pos();
    EXPECT_LE(placed.x() + popup->width(), area.x() + area.width());
    // No room below: just above the button.
    EXPECT_EQ(placed.y() + popup->height(), picker->mapToGlobal(QPoint(0, 0)).y());
    key(popup, Qt::Key_Escape);
}

}  // namespace
