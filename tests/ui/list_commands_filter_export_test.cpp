#include "engine/operations/file_operations_mounts.h"
#include "engine/results/text_export.h"
#include "list_commands_fixture.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

namespace {

using namespace dwtest;
using dw::ui::findById;

// A step: notes the filter window's two edits, lets `act` set it up, presses OK.
ModalScript::Step inFilter(QStringList* shown, std::function<void(QWidget*)> act)
{
    return onDialog(id::FilterDialog, [shown, act = std::move(act)](QWidget* dialog) {
        *shown = {findById<QLineEdit>(dialog, id::FilterFolderEdit)->text(),
                  findById<QLineEdit>(dialog, id::FilterMaskEdit)->text()};
        act(dialog);
        findById<QPushButton>(dialog, id::Ok)->click();
    });
}

using FilterCommand = ListCommandsTest;

TEST_F(FilterCommand, TheDialogStartsFromTheSelectedRowAndItsActionsReachTheList)
{
    addRows({tree.write("temp/a.TMP", "1"), tree.write("temp/b.tmp", "22"),
             tree.write("docs/c.txt", "333"), tree.write("docs/README", "4")},
            false);
    select(1);
    QStringList shown;
    {
        ModalScript script({inFilter(&shown, [](QWidget* dialog) {
            findById<QCheckBox>(dialog, id::FilterByMask)->click();
        })});
        click(id::FilterButton);
    }
    EXPECT_EQ(shown, (QStringList{q(tree.path("temp/b.tmp")), "*.tmp"}));
    EXPECT_EQ(rows().checkedCount(), 2u) << "a mask alone ignores case";
    expectTotals();

    select(3);
    ModalScript script({inFilter(&shown, [&](QWidget* dialog) {
        findById<QRadioButton>(dialog, id::FilterRemoveExcept)->click();
        findById<QCheckBox>(dialog, id::FilterByFolder)->click();
        findById<QLineEdit>(dialog, id::FilterFolderEdit)->setText(q(tree.path("docs/")));
    })});
    list().runFilter();
    EXPECT_EQ(shown.back(), "*");
    EXPECT_EQ(paths(), (Paths{tree.path("docs/c.txt"), tree.path("docs/README")}));
    expectTotals();
}

class ExportCommand : public ListCommandsTest {
protected:
    void SetUp() override
    {
        addRows({tree.write("a.txt", "a"), tree.write("longname.txt", "b")});
        list().setSaveFileAsker([this](QWidget*) { return q(target); });
    }
    // A step: leaves the columns `keep` checked in the column chooser, presses OK.
    static ModalScript::Step chooseColumns(std::vector<int> keep)
    {
        return onDialog(id::ColumnChooserDialog, [keep](QWidget* dialog) {
            auto* columns = findById<QListWidget>(dialog, id::ColumnList);
            for (int row = 0; row < columns->count(); ++row)
                columns->item(row)->setCheckState(
                    std::count(keep.begin(), keep.end(), row) ? Qt::Checked : Qt::Unchecked);
            findById<QPushButton>(dialog, id::Ok)->click();
        });
    }
    std::string target = tree.path("список.txt");
};

TEST_F(ExportCommand, TheChosenColumnsAreWrittenAndEscWritesThemAll)
{
    {
        ModalScript script({chooseColumns({dw::ColName})});
        list().command(id::CmdExport)->trigger();
    }
    EXPECT_EQ(readFile(target), "a.txt       \r\nlongname.txt\r\n");
    ModalScript script({onDialog(id::ColumnChooserDialog, [](QWidget* dialog) {
        QTest::keyClick(dialog, Qt::Key_Escape);
    })});
    list().exportToText();
    EXPECT_EQ(readFile(target), dw::exportText(rows(), {0, 1, 2, 3, 4, 5}));
}

TEST_F(ExportCommand, NoColumnsWriteNothingAndAFileThatCannotBeMadeIsReported)
{
    {
        ModalScript script({chooseColumns({})});
        list().exportToText();
    }
    EXPECT_FALSE(exists(target));
    target = tree.path("нет такой папки/список.txt");
    BoxSeen told;
    ModalScript script({chooseColumns({dw::ColName}), answerBox("OK", &told)});
    list().exportToText();
    EXPECT_TRUE(script.done());
    EXPECT_EQ(told.text, "Возникла ошибка при создании файла!");
    EXPECT_EQ(told.icon, QMessageBox::Critical);
}

}  // namespace
