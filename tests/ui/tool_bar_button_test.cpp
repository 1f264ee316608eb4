#include "ui/app/tool_bar_button.h"

#include <QApplication>
#include <QCursor>
#include <QEnterEvent>
#include <QImage>
#include <QMenu>
#include <QPainter>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using dw::ui::ToolBarButton;

namespace {

// An icon that only has a picture of `side` pixels, as theme icons often do.
QIcon squareIcon(int side)
{
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::darkBlue);
    return QIcon(pixmap);
}

class ToolBarButtonTest : public ::testing::Test {
protected:
    // The pointer stays off the buttons unless a test moves it.
    ToolBarButtonTest() { QCursor::setPos(3000, 3000); }

    ToolBarButton* add(const QIcon& icon, int x)
    {
        auto* button = new ToolBarButton(&window);
        button->setText(QString::fromUtf8("Очистить корзину"));
        button->setIcon(icon);
        button->setIconSize(QSize(36, 36));
        button->setHoverColour(QColor(0xF0, 0xF0, 0xF0));
        button->setGeometry(x, 0, 140, 70);
        return button;
    }
    // The button's picture below its icon box: where the caption is.
    static QImage captionArea(ToolBarButton* button)
    {
        return button->grab(QRect(0, button->captionRect().top() - 1, button->width(),
                                  button->height() - button->captionRect().top() + 1))
            .toImage();
    }

    QWidget window;
};

TEST_F(ToolBarButtonTest, CaptionsShareALineWhateverSizeTheirPictureComesIn)
{
    ToolBarButton* small = add(squareIcon(24), 0);
    ToolBarButton* large = add(squareIcon(36), 150);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_EQ(captionArea(small), captionArea(large));
}

TEST_F(ToolBarButtonTest, ADisabledButtonLooksTheSameWhateverDisabledIt)
{
    ToolBarButton* always = add(squareIcon(32), 0);
    ToolBarButton* forTheJob = add(squareIcon(32), 150);
    always->setEnabled(false);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_NE(always->grab().toImage(), forTheJob->grab().toImage());
    window.setEnabled(false);  // a job runs
    EXPECT_EQ(always->grab().toImage(), forTheJob->grab().toImage());
    window.setEnabled(true);
    EXPECT_NE(always->grab().toImage(), forTheJob->grab().toImage());
}

TEST_F(ToolBarButtonTest, TheHighlightFollowsThePointerOnceTheMenuCloses)
{
    ToolBarButton* search = add(squareIcon(32), 0);
    QMenu menu;
    menu.addAction(QString::fromUtf8("Новый поиск"));
    search->setPopupMenu(&menu);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    QEnterEvent enter(QPointF(10, 10), QPointF(10, 10), search->mapToGlobal(QPointF(10, 10)));
    QApplication::sendEvent(search, &enter);
    EXPECT_TRUE(search->highlighted());
    const QImage highlighted = search->grab().toImage();

    // The user picks an item below the button: the pointer is on the menu when it closes.
    QTimer::singleShot(50, &menu, [&menu, search] {
        QCursor::setPos(search->mapToGlobal(QPoint(10, search->height() + 200)));
        menu.hide();
    });
    search->showMenu();
    QTest::qWait(50);
    EXPECT_FALSE(search->highlighted());
    EXPECT_NE(search->grab().toImage(), highlighted);
}

}  // namespace
