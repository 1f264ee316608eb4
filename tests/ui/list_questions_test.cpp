// While an operation asks, the list shows every row it showed before; once
// it is done, only the rows it removed or rewrote change.
#include "list_commands_fixture.h"

#include <QComboBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

namespace {

using namespace dwtest;

class QuestionsKeepRows : public ListCommandsTest {
protected:
    explicit QuestionsKeepRows(dw::ResultKind kind = dw::ResultKind::ByMask) : ListCommandsTest(kind)
    {
        page.resize(900, 600);
        page.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&page));
    }

    // Lets the view lay out and paint the rows, as it has long done when a user acts.
    static void settle() { QApplication::processEvents(); }
    // How many rows the view lays out (a model reset empties the view at once).
    int rowsShown()
    {
        auto* model = list().resultsModel();
        int shown = 0;
        for (int row = 0; row < model->rowCount(); ++row)
            if (list().visualRect(model->index(row, 0)).isValid())
                ++shown;
        return shown;
    }
    // Wraps a step: records the rows shown while its window waits.
    ModalScript::Step seeing(ModalScript::Step answer)
    {
        return [this, answer] {
            if (!QApplication::activeModalWidget())
                return false;
            const int shown = rowsShown();
            if (!answer())
                return false;
            shownWhileAsked.push_back(shown);
            return true;
        };
    }

    std::vector<int> shownWhileAsked;
};

class QuestionsKeepDuplicateRows : public QuestionsKeepRows {
protected:
    QuestionsKeepDuplicateRows() : QuestionsKeepRows(dw::ResultKind::Duplicates) {}
};

TEST_F(QuestionsKeepRows, EveryDeleteQuestionWaitsOverAllTheRows)
{
    const Paths files = {tree.write("a.txt", "a"), tree.write("b.txt", "b"), tree.write("c.txt", "c")};
    addRows({files[0]});
    addRows({files[1]}, false);
    addRows({files[2]});
    addRows({tree.write("папка/inside.txt", "x"), tree.mkdir("папка")}, false);
    select(4);
    settle();

    // The Trash question, the own delete's question, the folder contents' question.
    settings.useSystemDiskOperations = true;
    settings.removeToRecycleBin = true;
    {
        ModalScript script({seeing(answerBox("Отмена"))});
        list().deleteChecked();
        EXPECT_TRUE(script.done());
    }
    settings.useSystemDiskOperations = false;
    {
        ModalScript script({seeing(answerBox("Нет"))});
        list().deleteChecked();
        EXPECT_TRUE(script.done());
    }
    {
        ModalScript script({seeing(answerBox("Нет"))});
        list().command(id::CmdDeleteFolderContents)->trigger();
        EXPECT_TRUE(script.done());
    }
    EXPECT_EQ(shownWhileAsked, (std::vector<int>{5, 5, 5}));
    EXPECT_EQ(rows().size(), 5u);

    // Yes: the two deleted rows go one by one, the view is never started afresh.
    QPersistentModelIndex unchecked = list().resultsModel()->index(1, 0);
    QSignalSpy resets(list().resultsModel(), &QAbstractItemModel::modelAboutToBeReset);
    QSignalSpy removals(list().resultsModel(), &QAbstractItemModel::rowsRemoved);
    {
        ModalScript script({seeing(answerBox("Да"))});
        list().deleteChecked();
        EXPECT_TRUE(script.done());
    }
    EXPECT_EQ(shownWhileAsked.back(), 5);
    EXPECT_EQ(resets.count(), 0);
    EXPECT_EQ(removals.count(), 2) << "a.txt and c.txt are not next to each other";
    EXPECT_EQ(paths(), (Paths{files[1], tree.path("папка/inside.txt"), tree.path("папка")}));
    EXPECT_EQ(unchecked.row(), 0) << "rows that stay keep their identity";
    EXPECT_EQ(list().selectedRowIndexes(), std::vector<std::size_t>{2});
    EXPECT_EQ(rowsShown(), 3);
    expectTotals();
}

TEST_F(QuestionsKeepRows, TheFolderChooserAndTheReplaceQuestionWaitOverAllTheRows)
{
    const std::string target = tree.mkdir("куда");
    tree.write("куда/a.txt", "old");
    addRows({tree.write("a.txt", "new"), tree.write("b.txt", "b")});
    settle();
    ModalScript script({seeing(onDialog(id::FolderChooserDialog,
                                        [&](QWidget* chooser) {
                                            dw::ui::findById<QComboBox>(chooser, id::FolderCombo)
                                                ->setEditText(q(target));
                                            dw::ui::findById<QPushButton>(chooser, id::Ok)->click();
                                        })),
                        seeing(answerBox("Пропустить"))});
    list().moveChecked();
    EXPECT_TRUE(script.done());
    EXPECT_EQ(shownWhileAsked, (std::vector<int>{2, 2}));
    // b.txt moved, a.txt was skipped and stays.
    EXPECT_EQ(paths(), Paths{tree.path("a.txt")});
    EXPECT_EQ(readFile(target + "/b.txt"), "b");
    expectTotals();
}

TEST_F(QuestionsKeepDuplicateRows, TheAllCopiesWarningWaitsOverAllTheRows)
{
    addRows({tree.write("1/a", "same"), tree.write("2/a", "same")}, true, 1);
    settle();
    ModalScript script({seeing(answerBox("Нет"))});
    list().deleteChecked();
    EXPECT_TRUE(script.done());
    EXPECT_EQ(shownWhileAsked, std::vector<int>{2});
    EXPECT_EQ(rows().size(), 2u);
}

TEST_F(QuestionsKeepRows, DeletingFilesAlreadyGoneSaysSoAndDropsTheirRows)
{
    const Paths gone = {tree.write("gone1.txt", "1"), tree.write("gone2.txt", "2")};
    addRows(gone);
    addRows({tree.write("stays.txt", "s")}, false);
    addRows({tree.write("gone3.txt", "3")}, false);
    for (const std::string& path : {gone[0], gone[1], tree.path("gone3.txt")})
        ASSERT_EQ(::unlink(path.c_str()), 0);
    settle();
    BoxSeen told;
    ModalScript script({seeing(answerBox("OK", &told))});
    click(id::DeleteButton);
    EXPECT_TRUE(script.done());
    EXPECT_EQ(told.text, "Отмеченные файлы больше не существуют.");
    EXPECT_EQ(told.icon, QMessageBox::Information);
    EXPECT_EQ(shownWhileAsked, std::vector<int>{4});
    // The checked rows go; an unchecked row is left for "Обновить".
    EXPECT_EQ(paths(), (Paths{tree.path("stays.txt"), tree.path("gone3.txt")}));
    expectTotals();
}

}  // namespace
