#include "engine/results/result_list.h"
#include "engine/tools/drive_info.h"
#include "support/temp_tree.h"
#include "ui/controls/ids.h"
#include "ui/controls/widget_ids.h"
#include "ui/tools/installed_programs_page.h"
#include "ui/tools/recycle_bin_cleaner.h"
#include "ui/tools/system_info_page.h"
#include "ui/tools/temp_files_page.h"

#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <map>
#include <optional>

using dwtest::TempTree;
using namespace dw::ui;

namespace {

constexpr std::int64_t kTwoDays = 2 * 24 * 60 * 60;

bool exists(const std::string& path)
{
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

// The page's folders inside the tree, the system's temporary folders included.
dw::CleanupEnvironment environmentIn(const TempTree& tree)
{
    dw::CleanupEnvironment environment;
    environment.home = tree.path("home");
    environment.cacheHome = tree.path("cache");
    environment.dataHome = tree.path("data");
    environment.tmpdir = environment.temp = environment.tmp = tree.path("tmp");
    environment.systemTemp = {tree.path("system-tmp")};
    return environment;
}

// Says yes to the delete and counts what it was asked.
class YesPrompts final : public dw::OperationPrompts {
public:
    bool confirmPermanentDelete(std::size_t count) override
    {
        counts.push_back(count);
        return true;
    }
    bool confirmMoveToTrash(std::size_t count) override
    {
        counts.push_back(count);
        return true;
    }
    bool confirmDeleteAllCopies() override { return false; }
    NoTrash askDeleteWithoutTrash(const std::string&) override { return NoTrash::Cancel; }
    Conflict askReplace(const std::string&, const std::string&) override { return Conflict::Cancel; }
    std::optional<std::string> chooseFolder(Transfer) override { return std::nullopt; }
    dw::Progress& progress() override { return progress_; }

    std::vector<std::size_t> counts;

private:
    dw::Progress progress_;
};

// The page collects only the running account's files; the tree's go to it.
void ownByMe(const std::string& path) { (void)::lchown(path.c_str(), ::geteuid(), ::getegid()); }

std::string writeOld(TempTree& tree, const std::string& relative)
{
    const std::string path = tree.write(relative, "old data");
    ownByMe(path);
    tree.age(relative, kTwoDays);
    return path;
}

int rowOf(const TempFilesPage& page, const std::string& name)
{
    for (std::size_t i = 0; i < page.rows().size(); ++i)
        if (page.rows()[i].name == name)
            return static_cast<int>(i);
    return -1;
}

class ScriptedLookup final : public dw::OriginLookup {
public:
    explicit ScriptedLookup(std::map<std::string, dw::CommandLine> commands) : commands_(std::move(commands)) {}
    std::vector<dw::CommandLine> uninstallCommands(const std::vector<dw::platform::DesktopEntry>& entries) override
    {
        std::vector<dw::CommandLine> result;
        for (const auto& entry : entries)
            result.push_back(commands_.count(entry.id) ? commands_[entry.id] : dw::CommandLine{});
        return result;
    }

private:
    std::map<std::string, dw::CommandLine> commands_;
};

std::string entryText(const std::string& name) { return "[Desktop Entry]\nType=Application\nName=" + name + "\n"; }

QStringList rowTexts(const QListWidget* list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->item(i)->text();
    return texts;
}

}  // namespace

TEST(TempFilesPage, RowsComeFromTheEnvironmentAndEmptyingTakesOnlyTheCheckedOnes)
{
    TempTree tree;
    tree.mkdir("tmp");
    const std::string cached = writeOld(tree, "cache/app/blob.bin");
    const std::string thumbnail = writeOld(tree, "cache/thumbnails/normal/a.png");
    const std::string fresh = tree.write("cache/app/fresh.bin", "in use");
    ownByMe(fresh);
    const std::string hidden = writeOld(tree, "cache/.keep");

    TempFilesPage page;
    page.setEnvironment(environmentIn(tree));
    dw::SearchSettings settings;
    settings.useSystemDiskOperations = false;
    page.setSettings(&settings);
    YesPrompts prompts;
    page.setPrompts(&prompts);
    QSignalSpy counted(&page, &TempFilesPage::sizesCounted);
    page.show();  // the first look fills the list
    ASSERT_TRUE(counted.wait(20000));
    QTreeWidget* list = findById<QTreeWidget>(&page, id::ToolList);
    ASSERT_EQ(list, page.list());
    ASSERT_EQ(list->topLevelItemCount(), static_cast<int>(page.rows().size()));
    ASSERT_EQ(list->headerItem()->text(0), QStringLiteral("Название"));
    const int cacheRow = rowOf(page, "Кэш приложений");
    ASSERT_GE(cacheRow, 0);
    EXPECT_EQ(rowOf(page, "Recent Documents"), -1);  // no RecentDocuments folder
    ASSERT_EQ(rowOf(page, "Временные файлы"), 0);
    EXPECT_EQ(page.rows()[0].folders, (std::vector<std::string>{tree.path("tmp"), tree.path("system-tmp")}));
    EXPECT_EQ(list->topLevelItem(cacheRow)->text(2), QStringLiteral("Папка содержит кэш приложений"));
    EXPECT_EQ(list->topLevelItem(cacheRow)->text(1).toStdString(), dw::FormatSize(page.rows()[cacheRow].size, 3));

    // Nothing checked: nothing is asked or deleted.
    findById<QPushButton>(&page, id::DeleteContentsButton)->click();
    EXPECT_TRUE(prompts.counts.empty());
    EXPECT_TRUE(exists(cached));

    list->topLevelItem(rowOf(page, "Эскизы изображений"))->setCheckState(0, Qt::Checked);
    findById<QPushButton>(&page, id::DeleteContentsButton)->click();
    ASSERT_EQ(prompts.counts, (std::vector<std::size_t>{1}));  // only the thumbnail; its folders are new
    EXPECT_FALSE(exists(thumbnail));
    EXPECT_TRUE(exists(cached));
    EXPECT_TRUE(exists(fresh));
    EXPECT_TRUE(exists(hidden));
    EXPECT_TRUE(exists(tree.path("cache/thumbnails")));
    // The list was rebuilt: every box cleared.
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        EXPECT_EQ(list->topLevelItem(i)->checkState(0), Qt::Unchecked);
}

TEST(InstalledProgramsPage, UninstallersAndEntryRemoval)
{
    TempTree tree;
    const dw::platform::ApplicationFolders folders{tree.path("home/applications"), {tree.path("usr/applications")}};
    const std::string removable = tree.write("usr/applications/removable.desktop", entryText("Alpha"));
    tree.write("usr/applications/stubborn.desktop", entryText("Beta"));
    tree.write("usr/applications/broken.desktop", entryText("Gamma"));
    const std::string own = tree.write("home/applications/own.desktop", entryText("Delta"));
    tree.write("usr/applications/system.desktop", entryText("Epsilon"));
    const std::string removeScript = tree.write("uninstall-alpha.sh", "rm -f '" + removable + "'\n");
    const std::string keepScript = tree.write("uninstall-beta.sh", "exit 0\n");

    InstalledProgramsPage page;
    page.setFolders(folders);
    page.setOriginLookup(std::make_unique<ScriptedLookup>(std::map<std::string, dw::CommandLine>{
        {"removable.desktop", {"/bin/sh", removeScript}},
        {"stubborn.desktop", {"/bin/sh", keepScript}},
        {"broken.desktop", {tree.path("no-such-uninstaller")}},
        {"own.desktop", {"/bin/true"}},
        {"system.desktop", {"/bin/true"}}}));
    QStringList questions;
    bool answer = true;
    bool confirmRemoval = true;
    page.setQuestion([&](const QString& text) {
        questions << text;
        return text.startsWith(QStringLiteral("Удалить программу")) ? confirmRemoval : answer;
    });
    page.refresh();
    QListWidget* list = findById<QListWidget>(&page, id::ToolList);
    ASSERT_EQ(rowTexts(list), (QStringList{"Alpha", "Beta", "Delta", "Epsilon", "Gamma"}));
    auto select = [&](const QString& name) { list->findItems(name, Qt::MatchExactly).first()->setSelected(true); };

    // Nothing selected: nothing happens.
    findById<QPushButton>(&page, id::UninstallButton)->click();
    findById<QPushButton>(&page, id::RemoveEntryButton)->click();
    EXPECT_TRUE(questions.isEmpty());
    EXPECT_EQ(list->count(), 5);

    // Declining the removal runs nothing.
    select("Alpha");
    confirmRemoval = false;
    findById<QPushButton>(&page, id::UninstallButton)->click();
    ASSERT_EQ(questions.size(), 1);
    EXPECT_EQ(questions.last(), QStringLiteral("Удалить программу 'Alpha'?\n\nБудет выполнена команда:\n/bin/sh ") +
                                    QString::fromStdString(removeScript));
    EXPECT_EQ(list->count(), 5);
    confirmRemoval = true;
    questions.clear();

    findById<QPushButton>(&page, id::UninstallButton)->click();
    EXPECT_EQ(rowTexts(list), (QStringList{"Beta", "Delta", "Epsilon", "Gamma"}));
    EXPECT_TRUE(page.isEnabled());

    select("Beta");
    findById<QPushButton>(&page, id::UninstallButton)->click();
    EXPECT_EQ(rowTexts(list), (QStringList{"Beta", "Delta", "Epsilon", "Gamma"}));
    EXPECT_EQ(questions.size(), 2);  // only the two removal questions
    questions.clear();

    // An uninstaller that cannot start asks whether to drop the entry.
    select("Gamma");
    answer = false;
    findById<QPushButton>(&page, id::UninstallButton)->click();
    ASSERT_EQ(questions.size(), 2);
    EXPECT_EQ(questions.last(), QStringLiteral("При удалении 'Gamma' произошла ошибка. Возможно, удаление уже было "
                                               "произведено.\nХотите удалить 'Gamma' из списка 'Установка и удаление "
                                               "программ'?"));
    EXPECT_EQ(list->count(), 4);
    answer = true;
    findById<QPushButton>(&page, id::UninstallButton)->click();
    EXPECT_EQ(rowTexts(list), (QStringList{"Beta", "Delta", "Epsilon"}));
    EXPECT_TRUE(dw::platform::parseDesktopEntry(dwtest::readFile(tree.path("home/applications/broken.desktop"))).hidden);

    select("Delta");
    findById<QPushButton>(&page, id::RemoveEntryButton)->click();
    EXPECT_EQ(questions.last(),
              QStringLiteral("Вы действительно хотите удалить 'Delta' из списка 'Установка и удаление программ'?"));
    EXPECT_FALSE(exists(own));
    select("Epsilon");
    findById<QPushButton>(&page, id::RemoveEntryButton)->click();
    EXPECT_EQ(rowTexts(list), (QStringList{"Beta"}));
    EXPECT_TRUE(exists(tree.path("usr/applications/system.desktop")));

    page.refresh();
    EXPECT_EQ(rowTexts(list), (QStringList{"Beta"}));
}

TEST(RecycleBinCleaner, AsksWithTheCountThenEmpties)
{
    TempTree tree;
    const std::string trash = tree.mkdir("Trash");
    tree.write("Trash/files/a.txt", "a");
    tree.write("Trash/info/a.txt.trashinfo", "[Trash Info]\n");
    tree.write("Trash/files/folder/b.txt", "b");
    tree.write("Trash/info/folder.trashinfo", "[Trash Info]\n");
    QWidget window;
    RecycleBinCleaner cleaner(&window);
    cleaner.setTrashFolders({trash});
    QStringList questions, notices;
    bool answer = false;
    cleaner.setQuestion([&](const QString& text) {
        questions << text;
        return answer;
    });
    cleaner.setNotice([&](const QString& text) { notices << text; });

    cleaner.empty();
    EXPECT_EQ(questions, QStringList{QStringLiteral("Удалить безвозвратно все объекты из корзины (2 шт.)?")});
    EXPECT_TRUE(exists(tree.path("Trash/files/a.txt")));
    answer = true;
    cleaner.empty();
    EXPECT_FALSE(exists(tree.path("Trash/files/a.txt")));
    EXPECT_FALSE(exists(tree.path("Trash/files/folder")));
    EXPECT_FALSE(exists(tree.path("Trash/info/folder.trashinfo")));
    EXPECT_TRUE(notices.isEmpty());
    cleaner.empty();
    EXPECT_EQ(notices, QStringList{QStringLiteral("Корзина пуста.")});
    EXPECT_EQ(questions.size(), 2);
}

TEST(SystemInfoPage, DriveFieldsAndTheMeasuredProcessorLine)
{
    SystemInfoPage page;
    auto* combo = findById<QComboBox>(&page, id::DriveCombo);
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(combo->currentIndex(), -1);
    EXPECT_TRUE(findById<QLabel>(&page, id::CapacityGrouped)->text().isEmpty());
    EXPECT_FALSE(findById<QLabel>(&page, id::OsText)->text().isEmpty());
    ASSERT_EQ(combo->count(), static_cast<int>(page.drives().size()));
    ASSERT_GE(combo->count(), 1);
    ASSERT_EQ(page.drives().front().mountPoint, "/");

    page.showDrive(0);
    struct statvfs vfs {};
    ASSERT_EQ(::statvfs("/", &vfs), 0);
    EXPECT_EQ(findById<QLabel>(&page, id::CapacityGrouped)->text().toStdString(),
              dw::groupedBytes(std::uint64_t(vfs.f_blocks) * vfs.f_frsize));
    EXPECT_EQ(findById<QLabel>(&page, id::CapacityScaled)->text().toStdString(),
              dw::scaledBytes(std::uint64_t(vfs.f_blocks) * vfs.f_frsize));
    EXPECT_EQ(findById<QLabel>(&page, id::ClusterSize)->text().toStdString(), dw::bytesText(vfs.f_frsize));
    EXPECT_TRUE(findById<QLabel>(&page, id::UsedGrouped)->text().endsWith(QStringLiteral(" байт")));

    QSignalSpy measured(&page, &SystemInfoPage::processorMeasured);
    page.startMeasurement();
    ASSERT_TRUE(measured.wait(20000));
    const QString line = findById<QLabel>(&page, id::ProcessorText)->text();
    EXPECT_EQ(line, measured.first().first().toString());
    EXPECT_TRUE(line.endsWith(QStringLiteral(" MHz")) || line.endsWith(QStringLiteral(" 0"))) << line.toStdString();
}
