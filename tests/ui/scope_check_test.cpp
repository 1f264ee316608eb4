// The check rules as the user meets them: real mouse clicks and key presses
// on a shown tree, so Qt's own toggling of the box is part of what is tested.
#include "ui/search/scope_tree.h"
#include "support/temp_tree.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <gtest/gtest.h>

#include <string>

using dw::ui::ScopeTree;

namespace {

QString q(const std::string& path) { return QString::fromStdString(path); }

class ClickableTree : public ScopeTree {
public:
    // Where the style draws the item's check box and its label.
    QPoint boxAt(QTreeWidgetItem* item) { return part(item, QStyle::SE_ItemViewItemCheckIndicator); }
    QPoint labelAt(QTreeWidgetItem* item) { return part(item, QStyle::SE_ItemViewItemText); }

    void click(const QPoint& at)
    {
        for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            QMouseEvent event(type, at, viewport()->mapToGlobal(at), Qt::LeftButton,
                              type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(viewport(), &event);
        }
    }

    // Folder names in these trees are unique: "docs/a" is the item named "a".
    QTreeWidgetItem* item(const QString& relative)
    {
        const QString name = relative.section('/', -1);
        return name.isEmpty() ? topLevelItem(0) : findItems(name, Qt::MatchExactly | Qt::MatchRecursive).value(0);
    }

private:
    QPoint part(QTreeWidgetItem* item, QStyle::SubElement element)
    {
        scrollToItem(item);
        QStyleOptionViewItem option;
        initViewItemOption(&option);
        option.rect = visualItemRect(item);
        option.features |= QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDisplay |
                           QStyleOptionViewItem::HasDecoration;
        option.text = item->text(0);
        option.icon = item->icon(0);
        option.checkState = item->checkState(0);
        return style()->subElementRect(element, &option, this).center();
    }
};

class ScopeChecks : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* folder : {"docs/a", "docs/b", "music", "system/x"})
            temp.mkdir(folder);
        tree.resize(400, 500);
        tree.fill(q(temp.root()));
        tree.show();
    }

    Qt::CheckState state(const char* relative) { return tree.item(relative)->checkState(0); }
    QStringList scope(std::initializer_list<const char*> relatives)
    {
        QStringList paths;
        for (const char* relative : relatives)
            paths.push_back(q(temp.path(relative)));
        return paths;
    }

    dwtest::TempTree temp;
    ClickableTree tree;
};

TEST_F(ScopeChecks, BoxOfAFolderCoversItAndUncheckingOneChildKeepsItsSiblings)
{
    QTreeWidgetItem* docs = tree.item("docs");
    tree.click(tree.boxAt(docs));
    EXPECT_EQ(tree.collectScope(), scope({"docs/"}));
    tree.expandItem(docs);
    EXPECT_EQ(state("docs/a"), Qt::Checked);
    EXPECT_EQ(state("docs/b"), Qt::Checked);

    tree.click(tree.boxAt(tree.topLevelItem(0)));
    EXPECT_EQ(tree.collectScope(), scope({""}));
    tree.click(tree.boxAt(tree.item("system")));
    EXPECT_EQ(state(""), Qt::Unchecked);
    EXPECT_EQ(state("system"), Qt::Unchecked);
    EXPECT_EQ(tree.collectScope(), scope({"docs/", "music/"}));

    // Space on the current folder follows the same rules.
    tree.setFocus();
    tree.setCurrentItem(tree.item("music"));
    QKeyEvent space(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
    QApplication::sendEvent(&tree, &space);
    EXPECT_EQ(tree.collectScope(), scope({"docs/"}));
}

TEST_F(ScopeChecks, LoadedFoldersAtEveryDepthFollowTheBox)
{
    tree.expandItem(tree.item("docs"));
    tree.expandItem(tree.item("system"));
    tree.click(tree.boxAt(tree.topLevelItem(0)));
    for (const char* folder : {"docs", "docs/a", "docs/b", "music", "system", "system/x"})
        EXPECT_EQ(state(folder), Qt::Checked) << folder;

    tree.click(tree.boxAt(tree.item("docs/a")));
    for (const char* folder : {"", "docs", "docs/a"})
        EXPECT_EQ(state(folder), Qt::Unchecked) << folder;
    EXPECT_EQ(tree.collectScope(), scope({"docs/b/", "music/", "system/"}));

    tree.click(tree.boxAt(tree.item("docs")));
    for (const char* folder : {"docs", "docs/a", "docs/b"})
        EXPECT_EQ(state(folder), Qt::Checked) << folder;
    EXPECT_EQ(tree.collectScope(), scope({"docs/", "music/", "system/"}));
}

TEST_F(ScopeChecks, ClickOnTheNameSelectsWithoutChangingAnyBox)
{
    tree.click(tree.boxAt(tree.topLevelItem(0)));
    tree.expandItem(tree.item("docs"));
    tree.click(tree.labelAt(tree.item("docs")));
    EXPECT_EQ(tree.selectedPath(), q(temp.path("docs/")));
    for (const char* folder : {"", "docs", "docs/a", "docs/b", "music"})
        EXPECT_EQ(state(folder), Qt::Checked) << folder;
    EXPECT_EQ(tree.collectScope(), scope({""}));
}

}  // namespace
