#include "ui/controls/anchor_layout.h"

#include <QWidget>
#include <gtest/gtest.h>

using dw::ui::AnchorLayout;

TEST(AnchorLayout, StretchesMovesAndHidesByFlags)
{
    QWidget parent;
    parent.resize(400, 300);
    auto* stretch = new QWidget(&parent);
    stretch->setGeometry(10, 10, 100, 50);
    auto* rightOnly = new QWidget(&parent);
    rightOnly->setGeometry(300, 10, 40, 20);
    auto* fixed = new QWidget(&parent);
    fixed->setGeometry(10, 100, 40, 20);
    auto* clipped = new QWidget(&parent);
    clipped->setGeometry(350, 250, 40, 40);
    AnchorLayout layout;
    layout.add(stretch, AnchorLayout::All);
    layout.add(rightOnly, AnchorLayout::Right);
    layout.add(fixed, AnchorLayout::Left | AnchorLayout::Top);
    layout.add(clipped, AnchorLayout::Left | AnchorLayout::Top | AnchorLayout::HideIfClipped);
    parent.show();

    parent.resize(500, 350);
    EXPECT_EQ(stretch->geometry(), QRect(10, 10, 200, 100));
    EXPECT_EQ(rightOnly->geometry(), QRect(400, 10, 40, 20));
    EXPECT_EQ(fixed->geometry(), QRect(10, 100, 40, 20));
    EXPECT_TRUE(clipped->isVisible());

    parent.resize(380, 280);
    EXPECT_FALSE(clipped->isVisible());
    parent.resize(400, 300);
    EXPECT_TRUE(clipped->isVisible());
    EXPECT_EQ(stretch->geometry(), QRect(10, 10, 100, 50));
}
