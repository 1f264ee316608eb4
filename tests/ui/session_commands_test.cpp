// Loading a session through the main window: damaged files, the whole lists
// they still hold, where the file dialogs open, the file named at start-up.
#include "support/temp_tree.h"
#include "ui/app/main_dialog.h"
#include "ui/app/session_commands.h"
#include "ui/results/results_list_ctrl.h"
#include "ui/results/results_model.h"
#include "ui/results/results_page.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <functional>

using namespace dw::ui;

namespace {

std::string u32(std::uint32_t v)
{
    std::string bytes;
    for (int i = 0; i < 4; ++i)
        bytes.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    return bytes;
}

// A list block of whole records for `paths`.
std::string block(const std::vector<std::string>& paths)
{
    std::string bytes = u32(static_cast<std::uint32_t>(paths.size()));
    for (const std::string& path : paths)
        bytes += std::string(1, static_cast<char>(path.size())) + path + u32(4) + '\x20' + u32(0xFFFFFF);
    return bytes;
}

// Runs `act` on the next modal widget of type T once it is shown.
template <typename T>
void whenModal(std::function<void(T*)> act)
{
    auto* timer = new QTimer;
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        if (auto* widget = qobject_cast<T*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            act(widget);
        }
    });
    timer->start();
}

class SessionLoad : public ::testing::Test {
protected:
    SessionLoad()
    {
        window.sessions()->setErrorReporter([this](const QString& text) { errors << text; });
        // Four lists with rows of their own, so that any change shows.
        for (dw::ResultKind kind : {dw::ResultKind::Duplicates, dw::ResultKind::BySize,
                                    dw::ResultKind::ByMask, dw::ResultKind::Old}) {
            dw::ResultList rows(kind);
            rows.addRow(tree.write("before/" + std::to_string(static_cast<int>(kind)), "b"),
                        dw::attr::Archive, 1, 0, 0);
            model(kind)->appendRows(rows.takeAllRows());
        }
    }
    ResultsModel* model(dw::ResultKind kind) { return window.page(kind)->list()->resultsModel(); }
    std::vector<std::string> paths(dw::ResultKind kind)
    {
        std::vector<std::string> result;
        for (const dw::ResultRow& row : model(kind)->list().rows())
            result.push_back(row.path);
        return result;
    }
    std::string before(dw::ResultKind kind) { return tree.path("before/" + std::to_string(static_cast<int>(kind))); }
    bool load(const std::string& bytes)
    {
        const std::string file = tree.write("made.dwx", bytes);
        QSignalSpy done(window.sessions(), &SessionCommands::finished);
        window.sessions()->loadFile(QString::fromStdString(file));
        return done.count() == 1 || done.wait(10000);
    }

    dwtest::TempTree tree;
    MainDialog window;
    QStringList errors;
};

TEST_F(SessionLoad, ADamagedFileLeavesEveryListAsItWas)
{
    const std::string one = tree.write("s/one", "1");
    // Cut inside the first block, and inside the first count.
    for (const std::string& bytes : {block({one, one}).substr(0, 12), std::string("\x02\x00", 2)}) {
        errors.clear();
        ASSERT_TRUE(load(bytes));
        EXPECT_EQ(errors, QStringList{"Файл результатов повреждён."});
        for (dw::ResultKind kind : dw::kSessionOrder)
            EXPECT_EQ(paths(kind), std::vector<std::string>{before(kind)});
        EXPECT_TRUE(window.isEnabled());
    }
    // A file that cannot be opened changes nothing either.
    errors.clear();
    QSignalSpy done(window.sessions(), &SessionCommands::finished);
    window.sessions()->loadFile(QString::fromStdString(tree.path("missing.dwx")));
    ASSERT_TRUE(done.count() == 1 || done.wait(10000));
    EXPECT_EQ(errors, QStringList{QStringLiteral("Файл результатов не найден:\n") +
                                  QString::fromStdString(tree.path("missing.dwx"))});
    EXPECT_EQ(paths(dw::ResultKind::Duplicates), std::vector<std::string>{before(dw::ResultKind::Duplicates)});
    // Nor does one that exists but cannot be read; to the user it is damaged.
    const std::string locked = tree.write("locked.dwx", block({one, one}));
    ::chmod(locked.c_str(), 0);
    if (!dwtest::TempTree::runningAsRoot()) {
        errors.clear();
        window.sessions()->loadFile(QString::fromStdString(locked));
        ASSERT_TRUE(done.count() == 2 || done.wait(10000));
        EXPECT_EQ(errors, QStringList{"Файл результатов повреждён."});
        EXPECT_EQ(paths(dw::ResultKind::Duplicates), std::vector<std::string>{before(dw::ResultKind::Duplicates)});
    }
}

TEST_F(SessionLoad, TheListsReadWholeBeforeTheDamageAreOfferedAndEnterKeepsTheCurrentOnes)
{
    const std::string one = tree.write("s/one", "1"), two = tree.write("s/two", "2");
    // Duplicates whole, by size empty (kept either way), by mask cut short.
    const std::string bytes = block({one, two}) + u32(0) + block({one, two}).substr(0, 14);
    QString asked, defaultButton;
    QStringList buttons;
    whenModal<QMessageBox>([&](QMessageBox* box) {
        asked = box->text() + "\n" + box->informativeText();
        defaultButton = box->defaultButton()->text();
        for (QAbstractButton* button : box->buttons())
            buttons << button->text();
        QTest::keyClick(box, Qt::Key_Return);
    });
    ASSERT_TRUE(load(bytes));
    EXPECT_EQ(asked, "Файл результатов повреждён.\nДо места повреждения целиком прочитаны списки: "
                     "«Одинаковые».\nЗагрузить их вместо текущих?");
    EXPECT_EQ(defaultButton, "Оставить текущие");
    EXPECT_EQ(buttons, (QStringList{"Загрузить", "Оставить текущие"}));
    EXPECT_TRUE(errors.isEmpty()) << "the question says it all";
    for (dw::ResultKind kind : dw::kSessionOrder)
        EXPECT_EQ(paths(kind), std::vector<std::string>{before(kind)});

    whenModal<QMessageBox>([](QMessageBox* box) {
        for (QAbstractButton* button : box->buttons())
            if (button->text() == "Загрузить")
                button->click();
    });
    ASSERT_TRUE(load(bytes));
    EXPECT_EQ(paths(dw::ResultKind::Duplicates), (std::vector<std::string>{one, two}));
    for (dw::ResultKind kind : {dw::ResultKind::BySize, dw::ResultKind::ByMask, dw::ResultKind::Old})
        EXPECT_EQ(paths(kind), std::vector<std::string>{before(kind)});
}

TEST_F(SessionLoad, FileDialogsStartAtHomeThenWhereTheLastFileWas)
{
    const std::string one = tree.write("s/one", "1");
    const std::string saved = tree.write("elsewhere/saved.dwx", block({one}) + u32(0) + u32(0) + u32(0));
    QString firstFolder, secondFolder;
    QSignalSpy done(window.sessions(), &SessionCommands::finished);
    whenModal<QFileDialog>([&](QFileDialog* dialog) {
        firstFolder = dialog->directory().absolutePath();
        dialog->selectFile(QString::fromStdString(saved));
        QMetaObject::invokeMethod(dialog, "accept");
    });
    window.sessions()->load();
    ASSERT_TRUE(done.count() == 1 || done.wait(10000));
    EXPECT_EQ(paths(dw::ResultKind::Duplicates), std::vector<std::string>{one});

    whenModal<QFileDialog>([&](QFileDialog* dialog) {
        secondFolder = dialog->directory().absolutePath();
        dialog->reject();
    });
    window.sessions()->save();
    EXPECT_EQ(firstFolder, QDir::homePath());
    EXPECT_EQ(secondFolder, QString::fromStdString(tree.path("elsewhere")));
}

TEST(SessionArguments, TheFirstFileNamedOnTheCommandLineIsTheSession)
{
    const QString here = QDir::currentPath();
    EXPECT_EQ(SessionCommands::fileFromArguments({"diskwright"}), QString());
    EXPECT_EQ(SessionCommands::fileFromArguments({"diskwright", "found.dwx"}), here + "/found.dwx");
    EXPECT_EQ(SessionCommands::fileFromArguments({"diskwright", "--", "-odd.dwx"}), here + "/-odd.dwx");
    EXPECT_EQ(SessionCommands::fileFromArguments({"diskwright", "/tmp/a b.dwx", "/tmp/c.dwx"}),
              "/tmp/a b.dwx");
    EXPECT_EQ(SessionCommands::fileFromArguments({"diskwright", "file:///tmp/%D1%84.dwx"}),
              QString::fromUtf8("/tmp/ф.dwx"));
}

}  // namespace
