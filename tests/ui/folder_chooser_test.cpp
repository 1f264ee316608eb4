#include "ui/controls/folder_chooser_dialog.h"
#include "platform/qsettings_store.h"
#include "support/temp_tree.h"
#include "ui/controls/ids.h"
#include "ui/controls/widget_ids.h"
#include "ui/search/scope_tree.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <deque>
#include <string>
#include <vector>

using dw::platform::QSettingsStore;
using dw::ui::FolderChooserDialog;
using dw::ui::findById;
namespace id = dw::ui::id;
using Strings = std::vector<std::string>;

namespace {

QString q(const std::string& text) { return QString::fromStdString(text); }

bool isFolder(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Answers the message boxes a test provokes, in order, and keeps what they said.
class BoxAnswerer {
public:
    struct Seen {
        QString text;
        QMessageBox::Icon icon;
        QStringList buttons;
    };

    explicit BoxAnswerer(std::deque<QMessageBox::StandardButton> answers) : answers_(std::move(answers))
    {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            for (QWidget* window : QApplication::topLevelWidgets()) {
                auto* box = qobject_cast<QMessageBox*>(window);
                if (!box || !box->isVisible() || answers_.empty())
                    continue;
                QStringList buttons;
                for (QAbstractButton* button : box->buttons())
                    buttons.push_back(button->text());
                seen.push_back({box->text(), box->icon(), buttons});
                QAbstractButton* answer = box->button(answers_.front());
                answers_.pop_front();
                answer->click();
                return;
            }
        });
        timer_.start(5);
    }

    std::vector<Seen> seen;

private:
    std::deque<QMessageBox::StandardButton> answers_;
    QTimer timer_;
};

class FolderChooser : public ::testing::Test {
protected:
    void writeHistory(const Strings& folders)
    {
        for (std::size_t i = 0; i < folders.size(); ++i)
            store.writeString("Recent Dirs", "Dir" + std::to_string(i), folders[i]);
    }
    Strings history()
    {
        auto fresh = QSettingsStore::fromIniFile(iniFile);
        Strings folders;
        for (std::string value; (value = fresh.readString("Recent Dirs", "Dir" + std::to_string(folders.size()),
                                                           "EMPTY")) != "EMPTY";)
            folders.push_back(value);
        return folders;
    }
    // Shows the dialog over `root`, types `path` and presses OK.
    void accept(const std::string& path)
    {
        dialog.setTreeRoot(q(temp.root()));
        dialog.show();
        combo()->setEditText(q(path));
        button(id::Ok)->click();
    }

    QComboBox* combo() { return findById<QComboBox>(&dialog, id::FolderCombo); }
    dw::ui::ScopeTree* tree() { return findById<dw::ui::ScopeTree>(&dialog, id::FolderTree); }
    QPushButton* button(int buttonId) { return findById<QPushButton>(&dialog, buttonId); }
    void press(int key)
    {
        QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(combo(), &event);
    }

    dwtest::TempTree temp;
    std::string iniFile = temp.path("settings/diskwright.ini");
    QSettingsStore store = QSettingsStore::fromIniFile(iniFile);
    FolderChooserDialog dialog{store};
};

TEST_F(FolderChooser, ControlsCarryIdsAndTextsAndFollowTheWindowSize)
{
    temp.mkdir("Документы/Отчёты");
    dialog.setTreeRoot(q(temp.root()));
    dialog.setInitialPath(q(temp.path("Документы/Отчёты/")));
    dialog.show();
    EXPECT_EQ(dialog.objectName(), "110");
    EXPECT_EQ(dialog.windowTitle(), "Выбор директории");
    EXPECT_EQ(button(id::Ok)->text(), "OK");
    EXPECT_EQ(button(id::Cancel)->text(), "Отмена");
    EXPECT_TRUE(button(id::Ok)->isDefault());
    EXPECT_TRUE(combo()->isEditable());
    // A chooser, not a scope: no check boxes.
    EXPECT_FALSE(tree()->topLevelItem(0)->flags() & Qt::ItemIsUserCheckable);
    EXPECT_EQ(dialog.minimumSize(), dialog.size());
    QDir().mkpath("/tmp/dwshots");
    dialog.grab().save("/tmp/dwshots/folder_chooser.png");

    auto checkLayout = [&] {
        const QRect t = tree()->geometry(), c = combo()->geometry();
        const QRect ok = button(id::Ok)->geometry(), cancel = button(id::Cancel)->geometry();
        EXPECT_LT(t.bottom(), c.top());
        EXPECT_LT(c.bottom(), ok.top());
        EXPECT_LT(ok.right(), cancel.left());
        EXPECT_EQ(c.right(), cancel.right());
        EXPECT_TRUE(dialog.rect().contains(t | c | ok | cancel));
    };
    checkLayout();
    const QRect treeBefore = tree()->geometry();
    const QRect okBefore = button(id::Ok)->geometry();
    dialog.resize(dialog.size() + QSize(200, 150));
    checkLayout();
    EXPECT_EQ(tree()->size(), treeBefore.size() + QSize(200, 150));
    EXPECT_EQ(button(id::Ok)->geometry(), okBefore.translated(200, 150));
}

TEST_F(FolderChooser, OpensAtTheInitialFolderWithTheHistoryAndFollowsTheTree)
{
    temp.mkdir("a/b");
    temp.mkdir("c");
    writeHistory({temp.path("c/"), temp.path("gone/"), "EMPTY", "/never/"});
    dialog.setTreeRoot(q(temp.root()));
    // A file's path opens at its folder.
    dialog.setInitialPath(q(temp.write("a/b/file.txt", "x")));
    dialog.show();
    EXPECT_EQ(tree()->selectedPath(), q(temp.path("a/b/")));
    EXPECT_EQ(combo()->currentText(), q(temp.path("a/b/")));
    ASSERT_EQ(combo()->count(), 2);
    EXPECT_EQ(combo()->itemText(1), q(temp.path("gone/")));

    // Choosing from the history (here with the arrow key) selects the folder in the tree.
    press(Qt::Key_Down);
    EXPECT_EQ(tree()->selectedPath(), q(temp.path("c/")));
    EXPECT_EQ(combo()->currentText(), q(temp.path("c/")));
    // A listed folder that is gone keeps its text, not that of what is left of it.
    press(Qt::Key_Down);
    EXPECT_EQ(combo()->currentText(), q(temp.path("gone/")));

    tree()->checkPath(q(temp.path("a/")));
    EXPECT_EQ(combo()->currentText(), q(temp.path("a/")));
    combo()->setEditText("  ");
    EXPECT_FALSE(button(id::Ok)->isEnabled());
}

TEST_F(FolderChooser, OkPutsAnExistingFolderFirstWhileCancelChangesNothing)
{
    temp.mkdir("x");
    temp.mkdir("y");
    writeHistory({temp.path("y/"), temp.path("x/"), "/srv/"});
    {
        FolderChooserDialog cancelled(store);
        cancelled.show();
        findById<QComboBox>(&cancelled, id::FolderCombo)->setEditText(q(temp.path("y")));
        findById<QPushButton>(&cancelled, id::Cancel)->click();
        EXPECT_TRUE(cancelled.resultPath().isEmpty());
    }
    EXPECT_EQ(history(), (Strings{temp.path("y/"), temp.path("x/"), "/srv/"}));

    BoxAnswerer noQuestions({});
    // Without the slash and with a detour it is still the listed folder.
    accept(temp.path("y/../x"));
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.resultPath(), q(temp.path("x/")));
    EXPECT_EQ(history(), (Strings{temp.path("x/"), temp.path("y/"), "/srv/"}));
    EXPECT_TRUE(noQuestions.seen.empty());
}

TEST_F(FolderChooser, YesCreatesEveryMissingLevelWithOneQuestion)
{
    temp.mkdir("C");
    BoxAnswerer answerer({QMessageBox::Yes});
    accept(temp.path("C/B/A"));
    ASSERT_EQ(answerer.seen.size(), 1u);
    EXPECT_EQ(answerer.seen[0].text, "Указанной директории не существует, хотите ее создать?");
    EXPECT_EQ(answerer.seen[0].icon, QMessageBox::Question);
    EXPECT_EQ(answerer.seen[0].buttons, (QStringList{"&Да", "&Нет"}));
    EXPECT_TRUE(isFolder(temp.path("C/B/A/")));
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.resultPath(), q(temp.path("C/B/A/")));
    EXPECT_EQ(history(), Strings{temp.path("C/B/A/")});
}

TEST_F(FolderChooser, NoCreatesNothingAndStillAcceptsThePath)
{
    BoxAnswerer answerer({QMessageBox::No});
    accept(temp.path("new/inner"));
    EXPECT_EQ(answerer.seen.size(), 1u);
    EXPECT_FALSE(isFolder(temp.path("new/")));
    EXPECT_EQ(dialog.resultPath(), q(temp.path("new/inner/")));
}

TEST_F(FolderChooser, AFailedCreationSaysWhichLevelAndKeepsTheDialogOpen)
{
    temp.write("C/plain", "a file where a folder should be");
    writeHistory({"/srv/"});
    BoxAnswerer answerer({QMessageBox::Yes, QMessageBox::Ok});
    accept(temp.path("C/plain/B"));
    ASSERT_EQ(answerer.seen.size(), 2u);
    EXPECT_EQ(answerer.seen[1].text, "Возникла ошибка при создании директории " + q(temp.path("C/plain/")));
    EXPECT_EQ(answerer.seen[1].icon, QMessageBox::Critical);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(dialog.resultPath().isEmpty());
    EXPECT_EQ(combo()->currentText(), q(temp.path("C/plain/B")));
    EXPECT_EQ(history(), Strings{"/srv/"});

    // A folder the user may not write into: run as an ordinary account, as root may write anywhere.
    temp.mkdir("locked");
    ASSERT_EQ(::chmod(temp.path("locked").c_str(), 0555), 0);
    EXPECT_TRUE(dwtest::TempTree::runAsUser([&] {
        BoxAnswerer asUser({QMessageBox::Yes, QMessageBox::Ok});
        FolderChooserDialog locked(store);
        locked.show();
        findById<QComboBox>(&locked, id::FolderCombo)->setEditText(q(temp.path("locked/sub")));
        findById<QPushButton>(&locked, id::Ok)->click();
        return asUser.seen.size() == 2 && locked.isVisible() &&
               asUser.seen[1].text == "Возникла ошибка при создании директории " + q(temp.path("locked/sub/"));
    }));
}

}  // namespace
