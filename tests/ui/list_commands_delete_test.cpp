#include "engine/operations/file_operations_fixtures.h"
#include "list_commands_fixture.h"

#include <QMenu>
#include <QProcess>
#include <QPushButton>

#include <memory>

namespace {

using namespace dwtest;

using DeleteCommand = ListCommandsTest;

TEST_F(DeleteCommand, OwnDeleteAsksYesOrNoAndItsCancelStops)
{
    settings.useSystemDiskOperations = false;  // RemoveToRecycleBin on does not matter then
    const Paths files = {tree.write("первый.txt", "1"), tree.write("второй.txt", "22"),
                         tree.write("третий.txt", "333")};
    addRows(files);
    addRows({tree.write("чужой.txt", "x")}, false);
    select(3);
    BoxSeen asked;
    {
        ModalScript script({answerBox("Нет", &asked)});
        click(id::DeleteButton);
    }
    EXPECT_EQ(asked.caption, "Удаление...");
    EXPECT_EQ(asked.text, "Выбранные объекты буду безвозвратно удалены!\n"
                          "Вы действительно хотите удалить эти объекты (3 шт.)?");
    EXPECT_EQ(asked.icon, QMessageBox::Question);
    EXPECT_EQ(asked.buttons, (QStringList{"Да", "Нет"}));
    EXPECT_EQ(rows().size(), 4u);

    // Cancel while the second file is shown: it goes, the third stays.
    auto cancelAtSecond = [] {
        QWidget* window = nullptr;
        for (QWidget* top : QApplication::topLevelWidgets())
            if (top->objectName() == QString::number(id::PumpedProgressDialog) && top->isVisible())
                window = top;
        if (!window || !dw::ui::findById<QLabel>(window, id::PumpedText)->text().contains("второй"))
            return false;
        dw::ui::findById<QPushButton>(window, id::Cancel)->click();
        return true;
    };
    ModalScript script({answerBox("Да"), cancelAtSecond});
    list().deleteChecked();
    EXPECT_TRUE(script.done());
    EXPECT_FALSE(exists(files[1]));
    EXPECT_TRUE(exists(files[2]));
    EXPECT_EQ(paths(), (Paths{files[2], tree.path("чужой.txt")}));
    EXPECT_EQ(list().selectedRowIndexes(), std::vector<std::size_t>{1}) << "it stays selected";
    expectTotals();
    EXPECT_TRUE(page.isEnabled()) << "the progress window gives the window back";
}

TEST_F(DeleteCommand, TheSettingsAreReadWhenTheCommandRuns)
{
    ScriptedPrompts prompts;
    list().setPrompts(&prompts);
    addRows({tree.write("a.txt", "a"), tree.write("b.txt", "b")});
    settings.removeToRecycleBin = false;
    prompts.answerYes = false;
    list().deleteChecked();
    EXPECT_EQ(prompts.permanentCounts, std::vector<std::size_t>{2});
    EXPECT_EQ(rows().size(), 2u);

    settings.useSystemDiskOperations = false;
    settings.removeToRecycleBin = true;
    prompts.answerYes = true;
    list().deleteChecked();
    EXPECT_EQ(prompts.permanentCounts, (std::vector<std::size_t>{2, 2}));
    EXPECT_TRUE(prompts.trashCounts.empty());
    EXPECT_TRUE(rows().empty() && !exists(tree.path("a.txt")));
    expectTotals();

    // The folder's row stays, its contents go; "Обновить" drops what vanished.
    addRows({tree.write("папка/sub/c.txt", "c"), tree.mkdir("папка")}, false);
    select(1);
    list().command(id::CmdDeleteFolderContents)->trigger();
    EXPECT_EQ(prompts.permanentCounts.back(), 2u) << "sub, sub/c.txt";
    EXPECT_EQ(rows().size(), 1u);
    ::rmdir(tree.path("папка").c_str());
    click(id::RefreshButton);
    EXPECT_TRUE(rows().empty());
}

// GIO fixes the home Trash once per process, and a forked child cannot paint
// (Qt's drawing threads stay behind): the test runs itself again as a new
// process whose HOME is a temporary folder.
TEST_F(DeleteCommand, TheTrashTakesTheFilesAfterTheDesktopQuestion)
{
    const char* const kChild = "DW_TEST_TRASH_CHILD";
    if (!qEnvironmentVariableIsSet(kChild)) {
        const std::string home = tree.mkdir("home");
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("HOME"), q(home));
        environment.remove(QStringLiteral("XDG_DATA_HOME"));
        environment.insert(QLatin1String(kChild), QStringLiteral("1"));
        QProcess child;
        child.setProcessEnvironment(environment);
        child.setProcessChannelMode(QProcess::MergedChannels);
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        child.start(QCoreApplication::applicationFilePath(),
                    {QString("--gtest_filter=%1.%2").arg(test->test_suite_name(), test->name())});
        ASSERT_TRUE(child.waitForFinished(60000));
        EXPECT_EQ(child.exitCode(), 0) << child.readAll().toStdString();
        EXPECT_TRUE(exists(home + "/.local/share/Trash/files/a.txt"));
        return;
    }
    addRows({tree.write("a.txt", "a"), tree.write("folder/inner.txt", "i")});
    addRows({tree.write("kept.txt", "k")}, false);
    BoxSeen asked;
    {
        ModalScript script({answerBox("Отмена", &asked)});
        list().deleteChecked();
    }
    EXPECT_EQ(asked.text, "Переместить в корзину 2 объекта?");
    EXPECT_EQ(rows().size(), 3u);
    ModalScript script({answerBox("Переместить в корзину")});
    list().deleteChecked();
    const std::string trash = qgetenv("HOME").toStdString() + "/.local/share/Trash/files/";
    EXPECT_TRUE(exists(trash + "a.txt") && exists(trash + "inner.txt"));
    EXPECT_EQ(paths(), Paths{tree.path("kept.txt")});
}

class DuplicatesCommand : public ListCommandsTest {
protected:
    DuplicatesCommand() : ListCommandsTest(dw::ResultKind::Duplicates) {}
};

TEST_F(DuplicatesCommand, MarkCopiesKeepsOneOfEachAndDeletingEveryCopyAsksFirst)
{
    addRows({tree.write("1/a", "same"), tree.write("2/a", "same"), tree.write("3/a", "same")},
            false, 1);
    addRows({tree.write("1/b", "other"), tree.write("2/b", "other")}, true, 2);
    // The button offers the four choices of the copy to keep.
    QStringList offered;
    auto chooseFirst = [&offered] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu)
            return false;
        for (QAction* action : menu->actions())
            offered << action->text();
        menu->actions().constFirst()->trigger();
        menu->hide();
        return true;
    };
    {
        ModalScript script({chooseFirst});
        click(id::MarkCopiesButton);
        EXPECT_TRUE(script.done());
    }
    EXPECT_EQ(offered, (QStringList{"Оставить первый в списке", "Оставить самый старый",
                                    "Оставить самый новый", "Оставить с самым коротким путём"}));
    // The context menu offers the same four under "Отметить".
    select(0);
    std::unique_ptr<QMenu> context(list().createContextMenu(nullptr));
    QMenu* markMenu = nullptr;
    for (QAction* action : context->actions())
        if (action->menu() && action->text() == "Отметить")
            markMenu = action->menu();
    ASSERT_NE(markMenu, nullptr);
    QAction* copies = list().command(id::CmdMarkCopies);
    EXPECT_TRUE(markMenu->actions().contains(copies));
    EXPECT_EQ(copies->menu(), list().markCopiesMenu());
    std::vector<bool> marks;
    for (const dw::ResultRow& row : rows().rows())
        marks.push_back(row.checked);
    EXPECT_EQ(marks, (std::vector<bool>{false, true, true, false, true}));
    expectTotals();

    list().markAll();
    BoxSeen asked;
    ModalScript script({answerBox("Нет", &asked)});
    list().deleteChecked();
    EXPECT_EQ(asked.text, "Будут удалены все копии некоторых файлов. Продолжить?");
    EXPECT_EQ(rows().size(), 5u);
    EXPECT_TRUE(exists(tree.path("1/a")));
}

}  // namespace
