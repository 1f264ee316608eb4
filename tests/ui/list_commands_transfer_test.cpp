#include "engine/operations/file_operations_fixtures.h"
#include "list_commands_fixture.h"
#include "ui/search/progress_dialog.h"

#include <QComboBox>
#include <QPushButton>
#include <QSignalSpy>

#include <sys/stat.h>

namespace {

using namespace dwtest;

using TransferCommand = ListCommandsTest;

TEST_F(TransferCommand, CopyAsksForTheFolderAndAboutAnExistingTarget)
{
    const std::string target = tree.mkdir("куда");
    tree.write("куда/a.txt", "old");
    addRows({tree.write("a.txt", "new"), tree.write("b.txt", "b")});
    BoxSeen asked;
    ModalScript script({onDialog(id::FolderChooserDialog,
                                 [&](QWidget* chooser) {
                                     dw::ui::findById<QComboBox>(chooser, id::FolderCombo)
                                         ->setEditText(q(target));
                                     dw::ui::findById<QPushButton>(chooser, id::Ok)->click();
                                 }),
                        answerBox("Пропустить", &asked)});
    click(id::CopyButton);
    EXPECT_TRUE(script.done());
    EXPECT_EQ(asked.caption, "Копирование...");
    EXPECT_EQ(asked.text, q("Объект «" + target + "/a.txt» уже существует.\nЗаменить его?"));
    EXPECT_EQ(asked.buttons, (QStringList{"Заменить", "Заменить все", "Отмена", "Пропустить",
                                          "Пропустить все"}));
    EXPECT_EQ(readFile(target + "/a.txt"), "old");
    EXPECT_EQ(readFile(target + "/b.txt"), "b");
    EXPECT_EQ(rows().size(), 2u);
    EXPECT_EQ(folders.readString("Recent Dirs", "Dir0", ""), target + "/");
}

TEST_F(TransferCommand, MoveReplacesWhenToldAndDropsTheMovedRows)
{
    ScriptedPrompts prompts;
    list().setPrompts(&prompts);
    const std::string target = tree.mkdir("куда");
    tree.write("куда/a.txt", "old");
    addRows({tree.write("a.txt", "new")});
    addRows({tree.write("stays.txt", "s")}, false);
    prompts.folder = target;
    prompts.replaceAnswers = {dw::OperationPrompts::Conflict::Replace};
    click(id::MoveButton);
    EXPECT_EQ(readFile(target + "/a.txt"), "new");
    EXPECT_EQ(paths(), Paths{tree.path("stays.txt")});
    expectTotals();
}

TEST_F(TransferCommand, CompressionOnTheWorkerWritesItsResultsBack)
{
    tree.mkdir("btrfs");
    std::string why;
    auto mounted = ScopedMount::btrfs(tree.path("btrfs.img"), tree.path("btrfs"), why);
    if (!mounted)
        GTEST_SKIP() << why;
    const std::string big = tree.write("btrfs/big.txt", std::string(512 * 1024, 'z'));
    addRows({big, tree.write("elsewhere.txt", std::string(8192, 'y'))});

    dw::ui::ProgressDialog window(&page);
    list().setProgressWindow(&window);
    QSignalSpy finished(&list(), &dw::ui::ResultsListCtrl::compressionFinished);
    click(id::CompressButton);
    EXPECT_FALSE(page.isEnabled());
    ASSERT_TRUE(finished.wait(20000));
    EXPECT_EQ(finished.front().front().value<std::size_t>(), 1u);
    EXPECT_TRUE(page.isEnabled());
    auto colour = [&](int row) {
        return list().resultsModel()->index(row, 0).data(Qt::ForegroundRole).value<QColor>();
    };
    EXPECT_EQ(colour(0), QColor(0, 0, 255));
    EXPECT_NE(colour(1), QColor(0, 0, 255)) << "its file system cannot compress";
    struct stat st {};
    ASSERT_EQ(::stat(big.c_str(), &st), 0);
    EXPECT_EQ(rows().row(0).sizeOnDisk, static_cast<std::uint64_t>(st.st_blocks) * 512);
    expectTotals();

    // Without the shared window the work runs here, behind a pumped one.
    list().setProgressWindow(nullptr);
    list().compressChecked();
    ASSERT_EQ(finished.size(), 2);
    EXPECT_EQ(finished.back().front().value<std::size_t>(), 0u) << "already compressed";
}

}  // namespace
