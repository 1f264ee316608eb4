#include "list_commands_fixture.h"
#include "ui/settings/mask_dialog.h"
#include "ui/settings/mask_list_editor.h"

#include <QLabel>
#include <QLineEdit>
#include <QHeaderView>
#include <QMenu>
#include <QPushButton>
#include <gtest/gtest.h>

#include <string>
#include <vector>

using dw::ui::findById;
using dw::ui::MaskDialog;
using dw::ui::MaskListEditor;
using Strings = std::vector<std::string>;
namespace id = dw::ui::id;

namespace {

QLineEdit* edit(QWidget* dialog, int editId) { return findById<QLineEdit>(dialog, editId); }

// A script step: fills the open mask dialog and presses OK.
dwtest::ModalScript::Step fillMask(const QString& name, const QString& patterns, QStringList* shown = nullptr)
{
    return dwtest::onDialog(id::MaskDialog, [=](QWidget* dialog) {
        if (shown)
            *shown = {edit(dialog, id::MaskNameEdit)->text(), edit(dialog, id::MaskPatternsEdit)->text()};
        edit(dialog, id::MaskNameEdit)->setText(name);
        edit(dialog, id::MaskPatternsEdit)->setText(patterns);
        findById<QPushButton>(dialog, id::Ok)->click();
    });
}

TEST(MaskDialog, ShowsItsFieldsAndTurnsATabInTheNameIntoASpace)
{
    MaskDialog dialog;
    dialog.setName(QStringLiteral("Старые"));
    dialog.setPatterns(QStringLiteral("*.old;*.bak"));
    dialog.show();
    EXPECT_EQ(dialog.objectName(), "112");
    EXPECT_EQ(dialog.windowTitle(), "Маска");
    QStringList labels;
    for (const QLabel* label : dialog.findChildren<QLabel*>())
        labels.push_back(label->text());
    EXPECT_EQ(labels, (QStringList{"Название:", "Маски файлов:"}));
    EXPECT_EQ(edit(&dialog, id::MaskNameEdit)->text(), "Старые");
    EXPECT_EQ(edit(&dialog, id::MaskPatternsEdit)->text(), "*.old;*.bak");
    EXPECT_EQ(findById<QPushButton>(&dialog, id::Cancel)->text(), "Отмена");

    edit(&dialog, id::MaskNameEdit)->setText(QStringLiteral("a\tb"));
    edit(&dialog, id::MaskPatternsEdit)->clear();
    findById<QPushButton>(&dialog, id::Ok)->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.name(), "a b");
    EXPECT_EQ(dialog.patterns(), "");
}

TEST(MaskDialog, CancelKeepsWhatTheCallerGave)
{
    MaskDialog dialog;
    dialog.setName(QStringLiteral("n"));
    dialog.show();
    edit(&dialog, id::MaskNameEdit)->setText(QStringLiteral("changed"));
    findById<QPushButton>(&dialog, id::Cancel)->click();
    EXPECT_EQ(dialog.name(), "n");
}

class MaskListEditing : public ::testing::Test {
protected:
    MaskListEditing()
    {
        editor.setMasks({"A\t*.a", "B\t*.b", "C\t*.c", "D\t*.d", "E\t*.e"});
        editor.show();
    }
    void select(int row) { editor.setCurrentItem(editor.topLevelItem(row)); }
    MaskListEditor editor;
};

TEST_F(MaskListEditing, EditingTheThirdOfFiveKeepsItThird)
{
    select(2);
    QStringList shown;
    dwtest::ModalScript script({fillMask(QStringLiteral("Сборка"), QStringLiteral("*.o;*.obj"), &shown)});
    editor.runCommand(id::CmdMaskEdit);
    EXPECT_TRUE(script.done());
    EXPECT_EQ(shown, (QStringList{"C", "*.c"}));
    EXPECT_EQ(editor.masks(), (Strings{"A\t*.a", "B\t*.b", "Сборка\t*.o;*.obj", "D\t*.d", "E\t*.e"}));
}

TEST_F(MaskListEditing, AddAppendsDeleteRemovesTheSelectedRowWithoutAsking)
{
    dwtest::ModalScript script({fillMask(QString(), QString())});
    editor.runCommand(id::CmdMaskAdd);
    EXPECT_TRUE(script.done());
    select(1);
    editor.runCommand(id::CmdMaskRemove);
    EXPECT_EQ(editor.masks(), (Strings{"A\t*.a", "C\t*.c", "D\t*.d", "E\t*.e", "\t"}));
}

TEST_F(MaskListEditing, WithNothingSelectedEditAndDeleteDoNothing)
{
    editor.clearSelection();
    editor.setCurrentItem(nullptr);
    // Any dialog would be rejected by the empty script; none may open.
    dwtest::ModalScript none({});
    editor.runCommand(id::CmdMaskEdit);
    editor.runCommand(id::CmdMaskRemove);
    EXPECT_EQ(editor.masks().size(), 5u);
}

TEST_F(MaskListEditing, ColumnsMenuAndAMaskWithoutATab)
{
    EXPECT_EQ(editor.objectName(), "265");
    EXPECT_EQ(editor.headerItem()->text(0), "Название маски");
    EXPECT_EQ(editor.headerItem()->text(1), "Маска");
    // The designed widths, never narrower than the column titles.
    EXPECT_GE(editor.columnWidth(0), 100);
    EXPECT_GE(editor.columnWidth(0), editor.header()->sectionSizeHint(0));
    EXPECT_GE(editor.columnWidth(1), 200);
    std::unique_ptr<QMenu> menu(editor.buildMenu());
    EXPECT_EQ(menu->objectName(), "151");
    QStringList items;
    for (QAction* action : menu->actions())
        items.push_back(action->objectName() + QLatin1Char(' ') + action->text());
    EXPECT_EQ(items, (QStringList{"32770 Добавить", "32773 Изменить", "32780 Удалить"}));

    editor.setMasks({"*.tmp;*.log"});
    EXPECT_EQ(editor.topLevelItem(0)->text(0), "");
    EXPECT_EQ(editor.topLevelItem(0)->text(1), "*.tmp;*.log");
    EXPECT_EQ(editor.masks(), Strings{"\t*.tmp;*.log"});
}

}  // namespace
