#include "ui/search/scope_tree.h"
#include "support/temp_tree.h"

#include <QStringList>
#include <gtest/gtest.h>

#include <unistd.h>

#include <string>

using dw::ui::ScopeTree;

namespace {

QString q(const std::string& path) { return QString::fromStdString(path); }

QStringList childNames(const QTreeWidgetItem* item)
{
    QStringList names;
    for (int i = 0; i < item->childCount(); ++i)
        names.push_back(ScopeTree::isPlaceholder(item->child(i)) ? QString("<placeholder>") : item->child(i)->text(0));
    return names;
}

QTreeWidgetItem* child(QTreeWidgetItem* item, const QString& name)
{
    for (int i = 0; i < item->childCount(); ++i)
        if (item->child(i)->text(0) == name)
            return item->child(i);
    return nullptr;
}

TEST(ScopeTree, RootFolderListsSubfoldersSortedAndOpensTheRestLazily)
{
    dwtest::TempTree temp;
    for (const char* folder : {"beta", "Alpha", "alpha", ".hidden", "gamma/inner", "Zeta"})
        temp.mkdir(folder);
    temp.write("file.txt", "x");
    ASSERT_EQ(::symlink(temp.path("gamma").c_str(), temp.path("linked").c_str()), 0);
    ASSERT_EQ(::symlink(temp.path("file.txt").c_str(), temp.path("filelink").c_str()), 0);

    ScopeTree tree;
    tree.fill(q(temp.root()));
    ASSERT_EQ(tree.topLevelItemCount(), 1);
    QTreeWidgetItem* top = tree.topLevelItem(0);
    EXPECT_EQ(tree.itemPath(top), q(temp.root()));
    EXPECT_EQ(childNames(top), (QStringList{".hidden", "Alpha", "alpha", "beta", "gamma", "linked", "Zeta"}));
    QTreeWidgetItem* gamma = child(top, "gamma");
    EXPECT_EQ(childNames(gamma), QStringList{"<placeholder>"});
    EXPECT_EQ(child(top, "beta")->childCount(), 0);

    temp.mkdir("gamma/Late/deeper");  // made after the fill: read when gamma opens
    tree.expandItem(gamma);
    EXPECT_EQ(childNames(gamma), (QStringList{"inner", "Late"}));
    EXPECT_EQ(childNames(child(gamma, "Late")), QStringList{"<placeholder>"});
    EXPECT_EQ(tree.itemPath(child(gamma, "Late")), q(temp.path("gamma/Late/")));
    temp.mkdir("gamma/after");
    tree.collapseItem(gamma);
    tree.expandItem(gamma);
    EXPECT_EQ(childNames(gamma), (QStringList{"inner", "Late"}));

    // A link to a folder is shown but never opened: it leads elsewhere.
    QTreeWidgetItem* linked = child(top, "linked");
    tree.expandItem(linked);
    EXPECT_EQ(linked->childCount(), 0);
    EXPECT_FALSE(tree.checkPath(q(temp.path("linked/inner/"))));
}

TEST(ScopeTree, WithoutRootShowsHomeThenDisksAndChecksPathsBelowEither)
{
    dwtest::TempTree homeTree;
    homeTree.mkdir("Data/Old");
    homeTree.mkdir("data");
    dwtest::TempTree elsewhere;  // not below home: reached through "/"
    elsewhere.mkdir("x/y");
    const QByteArray savedHome = qgetenv("HOME");
    qputenv("HOME", homeTree.root().c_str());
    ScopeTree tree;
    tree.fill();
    qputenv("HOME", savedHome);

    ASSERT_GE(tree.topLevelItemCount(), 2);
    EXPECT_EQ(tree.itemPath(tree.topLevelItem(0)), q(homeTree.root()));
    EXPECT_EQ(tree.itemPath(tree.topLevelItem(1)), "/");
    QStringList paths;
    for (int i = 0; i < tree.topLevelItemCount(); ++i) {
        paths.push_back(tree.itemPath(tree.topLevelItem(i)));
        EXPECT_EQ(childNames(tree.topLevelItem(i)), QStringList{"<placeholder>"}) << paths.back().toStdString();
    }
    paths.removeDuplicates();
    EXPECT_EQ(paths.size(), tree.topLevelItemCount());

    ASSERT_TRUE(tree.checkPath(q(homeTree.path("Data/Old"))));
    QTreeWidgetItem* dataItem = child(tree.topLevelItem(0), "Data");
    EXPECT_TRUE(dataItem->isExpanded());
    EXPECT_EQ(dataItem->checkState(0), Qt::Unchecked);
    EXPECT_EQ(tree.selectedPath(), q(homeTree.path("Data/Old/")));
    ASSERT_TRUE(tree.checkPath(q(elsewhere.path("x/"))));
    EXPECT_EQ(tree.selectedPath(), q(elsewhere.path("x/")));
    // Names match exactly: "data" has no "Old" even though "Data" has.
    EXPECT_FALSE(tree.checkPath(q(homeTree.path("data/Old/"))));
    EXPECT_FALSE(tree.checkPath("relative/path/"));
    EXPECT_EQ(tree.collectScope(), (QStringList{q(homeTree.path("Data/Old/")), q(elsewhere.path("x/"))}));
}

TEST(ScopeTree, CollectScopeListsTopmostCheckedFoldersInTreeOrder)
{
    dwtest::TempTree temp;
    for (const char* folder : {"a/inner/deep", "b", "c/sub"})
        temp.mkdir(folder);
    ASSERT_EQ(::symlink(temp.path("c").c_str(), temp.path("link").c_str()), 0);
    ScopeTree tree;
    tree.fill(q(temp.root()));
    tree.checkPaths({q(temp.path("c/sub/")), q(temp.path("a/inner/deep/")), q(temp.path("a/")),
                     q(temp.path("link/")), q(temp.path("missing/"))});
    const QStringList scope = tree.collectScope();
    EXPECT_EQ(scope, (QStringList{q(temp.path("a/")), q(temp.path("c/sub/")), q(temp.path("link/"))}));

    // The folder chooser: no boxes, the selection is the answer.
    ScopeTree chooser(ScopeTree::Checks::Hidden);
    chooser.fill(q(temp.root()));
    EXPECT_TRUE(chooser.checkPath(q(temp.path("a/inner"))));
    EXPECT_EQ(chooser.selectedPath(), q(temp.path("a/inner/")));
    EXPECT_FALSE(chooser.topLevelItem(0)->data(0, Qt::CheckStateRole).isValid());
}

}  // namespace
