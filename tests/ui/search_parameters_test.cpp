#include "ui/search/search_parameters_dialog.h"
#include "support/temp_tree.h"
#include "ui/controls/ids.h"
#include "ui/controls/widget_ids.h"
#include "ui/search/scope_tree.h"

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QPushButton>
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

using dw::ui::SearchParametersDialog;
using dw::ui::findById;
namespace id = dw::ui::id;

namespace {

QCheckBox* box(const QWidget& dialog, int boxId) { return findById<QCheckBox>(&dialog, boxId); }
QPushButton* button(const QWidget& dialog, int buttonId) { return findById<QPushButton>(&dialog, buttonId); }
dw::ui::ScopeTree* treeOf(const QWidget& dialog) { return findById<dw::ui::ScopeTree>(&dialog, id::ScopeTree); }

void press(QWidget* target, int key)
{
    QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

class SearchParameters : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* folder : {"a", "b/c", "d"})
            temp.mkdir(folder);
    }
    std::string path(const char* relative) { return temp.path(relative); }

    dwtest::TempTree temp;
};

TEST_F(SearchParameters, ControlsCarryIdsAndTextsAndEveryTextFits)
{
    SearchParametersDialog dialog;
    dialog.setTreeRoot(QString::fromStdString(temp.root()));
    dialog.show();
    EXPECT_EQ(dialog.objectName(), "111");
    EXPECT_EQ(dialog.windowTitle(), "Параметры поиска");
    const std::map<int, QString> texts = {
        {id::FindDuplicatesBox, "Одинаковые файлы"},
        {id::FindBySizeBox, "Файлы по размеру"},
        {id::FindByMaskBox, "Файлы по маске"},
        {id::FindOldBox, "Редко используемые файлы"},
        {id::SubfoldersBox, "Искать в подкаталогах"},
        {id::Ok, "OK"},
        {id::PreferencesButton, "Параметры"},
        {id::Cancel, "Отмена"},
    };
    std::vector<QWidget*> controls = {treeOf(dialog)};
    for (const auto& [controlId, text] : texts) {
        auto* control = findById<QAbstractButton>(&dialog, controlId);
        ASSERT_NE(control, nullptr) << controlId;
        EXPECT_EQ(control->text(), text);
        // The whole text is shown: never narrower than Qt asks for, never outside the window.
        EXPECT_GE(control->width(), control->sizeHint().width()) << controlId;
        EXPECT_TRUE(dialog.rect().contains(control->geometry())) << controlId;
        controls.push_back(control);
    }
    for (std::size_t i = 0; i < controls.size(); ++i)
        for (std::size_t j = i + 1; j < controls.size(); ++j)
            EXPECT_FALSE(controls[i]->geometry().intersects(controls[j]->geometry()))
                << controls[i]->objectName().toStdString() << " / " << controls[j]->objectName().toStdString();
    EXPECT_FALSE(button(dialog, id::PreferencesButton)->isEnabled());
    EXPECT_TRUE(button(dialog, id::Ok)->isDefault());

    // Keyboard order: the tree, the subfolder box, the kinds column by column, the buttons.
    std::vector<QString> order;
    QWidget* widget = treeOf(dialog);
    do {
        if (widget->focusPolicy() & Qt::TabFocus && !widget->objectName().isEmpty())
            order.push_back(widget->objectName());
        widget = widget->nextInFocusChain();
    } while (widget != treeOf(dialog));
    EXPECT_EQ(order, (std::vector<QString>{"243", "331", "248", "253", "269", "264", "1", "215", "2"}));
}

TEST_F(SearchParameters, OkReturnsTheCheckedFoldersAndFlags)
{
    SearchParametersDialog first;
    EXPECT_FALSE(first.findDuplicates() || first.findBySize() || first.findByMask() || first.findOld() ||
                 first.searchSubfolders());
    first.setTreeRoot(QString::fromStdString(temp.root()));
    first.setScope({path("b/c/"), path("a/")});
    first.setFindOld(true);
    first.setSearchSubfolders(false);
    first.show();
    EXPECT_TRUE(box(first, id::SubfoldersBox)->isChecked());
    EXPECT_TRUE(box(first, id::FindOldBox)->isChecked());
    EXPECT_FALSE(box(first, id::FindDuplicatesBox)->isChecked());
    box(first, id::FindDuplicatesBox)->click();
    box(first, id::FindOldBox)->click();
    box(first, id::FindByMaskBox)->click();
    button(first, id::Ok)->click();
    EXPECT_EQ(first.result(), QDialog::Accepted);
    const dw::SearchRequest request = first.request();
    EXPECT_EQ(request.scope, (std::vector<std::string>{path("a/"), path("b/c/")}));
    EXPECT_TRUE(request.duplicates && request.byMask && request.subfolders);
    EXPECT_FALSE(request.bySize || request.old);

    // The next "Новый поиск" starts a new dialog: kinds cleared, folders marked again.
    SearchParametersDialog second;
    second.setTreeRoot(QString::fromStdString(temp.root()));
    second.setScope(first.scope());
    second.show();
    for (int kind : {id::FindDuplicatesBox, id::FindBySizeBox, id::FindByMaskBox, id::FindOldBox})
        EXPECT_FALSE(box(second, kind)->isChecked()) << kind;
    EXPECT_TRUE(box(second, id::SubfoldersBox)->isChecked());
    EXPECT_EQ(treeOf(second)->collectScope(),
              (QStringList{QString::fromStdString(path("a/")), QString::fromStdString(path("b/c/"))}));
    press(treeOf(second), Qt::Key_Return);
    EXPECT_EQ(second.result(), QDialog::Accepted);
    EXPECT_EQ(second.scope(), first.scope());
}

TEST_F(SearchParameters, CancelAndEscapeLeaveScopeAndFlags)
{
    SearchParametersDialog dialog;
    dialog.setTreeRoot(QString::fromStdString(temp.root()));
    dialog.setScope({path("a/")});
    dialog.setFindBySize(true);
    dialog.show();
    treeOf(dialog)->checkPath(QString::fromStdString(path("d/")));
    box(dialog, id::FindBySizeBox)->click();
    box(dialog, id::SubfoldersBox)->click();
    button(dialog, id::Cancel)->click();
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_TRUE(dialog.findBySize());
    EXPECT_TRUE(dialog.searchSubfolders());  // the cleared box was not read back

    dialog.show();
    treeOf(dialog)->checkPath(QString::fromStdString(path("d/")));
    press(treeOf(dialog), Qt::Key_Escape);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.scope(), std::vector<std::string>{path("a/")});
}

TEST_F(SearchParameters, ResizingMovesControlsByTheGrowthAndStopsAtTheMinimum)
{
    SearchParametersDialog dialog;
    dialog.setTreeRoot(QString::fromStdString(temp.root()));
    dialog.show();
    const std::vector<int> moving = {id::SubfoldersBox, id::FindDuplicatesBox, id::FindBySizeBox, id::FindOldBox,
                                     id::FindByMaskBox, id::Ok, id::PreferencesButton, id::Cancel};
    auto now = [&](int control) { return findById<QWidget>(&dialog, control)->geometry(); };
    std::map<int, QRect> was = {{id::ScopeTree, now(id::ScopeTree)}};
    for (int control : moving)
        was[control] = now(control);
    const QSize size = dialog.size();

    // Everything follows the bottom edge; only the tree and "Отмена" follow the right one.
    for (const QSize growth : {QSize(0, 50), QSize(50, 50)}) {
        dialog.resize(size + growth);
        EXPECT_EQ(now(id::ScopeTree), was[id::ScopeTree].adjusted(0, 0, growth.width(), 50));
        for (int control : moving)
            EXPECT_EQ(now(control), was[control].translated(control == id::Cancel ? growth.width() : 0, 50)) << control;
    }

    EXPECT_GE(dialog.minimumWidth(), 329);
    EXPECT_GE(dialog.minimumHeight(), 328);
    dialog.resize(100, 100);
    EXPECT_EQ(dialog.size(), dialog.minimumSize());
    for (const auto& [control, rect] : was)
        EXPECT_TRUE(dialog.rect().contains(now(control))) << control;
}

}  // namespace
