#include "preferences_fixture.h"
#include "ui/app/main_dialog.h"
#include "ui/controls/colour_picker.h"
#include "ui/results/results_list_ctrl.h"
#include "ui/results/results_page.h"
#include "ui/search/search_parameters_dialog.h"
#include "ui/settings/mask_list_editor.h"

#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QRadioButton>
#include <QSettings>
#include <QSlider>
#include <QStandardPaths>
#include <QToolButton>

#include <filesystem>

namespace {

using namespace dwtest;
using dw::platform::QSettingsStore;
using Strings = std::vector<std::string>;

// The frame run by the command, seen from a script step.
dw::ui::PreferencesDialog* frameOf(QWidget* window) { return static_cast<dw::ui::PreferencesDialog*>(window); }

// Picks the colour right of the current cell in a picker's popup.
void pickNextColour(dw::ui::CColourPicker* picker)
{
    picker->click();
    pressKey(picker->popup(), Qt::Key_Right);
    pressKey(picker->popup(), Qt::Key_Return);
}

// Changes something on five of the six pages, as a user trying things would.
void changeEverything(QWidget* window)
{
    dw::ui::PreferencesDialog* frame = frameOf(window);
    frame->showPage(0);
    auto* masks = control<dw::ui::MaskListEditor>(frame, 117, id::MaskList);
    masks->setCurrentItem(masks->topLevelItem(0));
    masks->runCommand(id::CmdMaskRemove);
    frame->showPage(1);
    control<QSlider>(frame, 114, id::DuplicatesModeSlider)->setValue(2);
    frame->showPage(2);
    control<QLineEdit>(frame, 115, id::SizeEdit)->setText(QStringLiteral("250"));
    control<QCheckBox>(frame, 115, id::FindEmptyBox)->click();
    frame->showPage(4);
    pickNextColour(control<dw::ui::CColourPicker>(frame, 205, id::SysColorPicker));
    frame->showPage(5);
    control<QCheckBox>(frame, 116, id::SystemDeleteBox)->click();
    control<QRadioButton>(frame, 116, id::SecurityLowRadio)->click();
}

// A script step: changes every page of the open frame, then presses `button`.
ModalScript::Step changeAndPress(int button)
{
    return onDialog(id::PreferencesDialog, [button](QWidget* window) {
        changeEverything(window);
        dw::ui::findById<QPushButton>(window, button)->click();
    });
}

class PreferencesDialogCommand : public ::testing::Test {
protected:
    PreferencesDialogCommand()
    {
        // A user who has saved once, so the file exists with every value.
        settings.load(store);
        settings.save(store);
        before = readFile(file);
    }
    dw::SearchSettings reload()
    {
        auto fresh = QSettingsStore::fromIniFile(file);
        dw::SearchSettings loaded;
        loaded.load(fresh);
        return loaded;
    }

    TempTree temp;
    std::string file = temp.path("Quillbay/diskwright.conf");
    QSettingsStore store = QSettingsStore::fromIniFile(file);
    dw::SearchSettings settings;
    std::string before;
};

TEST_F(PreferencesDialogCommand, CancelAfterChangesOnSeveralPagesChangesNothingInMemoryOrOnDisk)
{
    const dw::SearchSettings original = settings;
    ModalScript script({changeAndPress(id::Cancel)});
    EXPECT_FALSE(dw::ui::editPreferences(settings, store, nullptr));
    EXPECT_TRUE(script.done());
    EXPECT_EQ(readFile(file), before);
    EXPECT_EQ(settings.masks, original.masks);
    EXPECT_EQ(settings.size, original.size);
    EXPECT_EQ(settings.fundDuplicatesMode, original.fundDuplicatesMode);
    EXPECT_EQ(settings.view.sysColor, original.view.sysColor);
    EXPECT_EQ(settings.useSystemDiskOperations, original.useSystemDiskOperations);
    EXPECT_EQ(settings.securityLevel, original.securityLevel);
}

TEST_F(PreferencesDialogCommand, OkSavesTheChangesAndAFreshStartReadsThemBack)
{
    // A first start: nothing saved yet.
    file = temp.path("first/diskwright.conf");
    auto fresh = QSettingsStore::fromIniFile(file);
    dw::SearchSettings firstRun;
    firstRun.load(fresh);
    const std::string firstMask = firstRun.masks.front();
    ModalScript script({changeAndPress(id::Ok)});
    EXPECT_TRUE(dw::ui::editPreferences(firstRun, fresh, nullptr));
    EXPECT_TRUE(script.done());

    EXPECT_EQ(QSettingsStore::fromIniFile(file).readInt("General", "FirstTime", 1), 0);
    const dw::SearchSettings restarted = reload();
    EXPECT_EQ(restarted.size, 250u);
    EXPECT_FALSE(restarted.findFiles);
    EXPECT_EQ(restarted.fundDuplicatesMode, 2);
    // Red (cell 16) moved one cell right: "Light orange".
    EXPECT_EQ(restarted.view.sysColor, 0x5BADFFu);
    EXPECT_FALSE(restarted.useSystemDiskOperations);
    EXPECT_EQ(restarted.securityLevel, 0);
    // The first default mask was deleted, and a restart does not bring it back.
    EXPECT_EQ(restarted.masks.size(), 1u);
    EXPECT_NE(restarted.masks.front(), firstMask);
    EXPECT_EQ(restarted.patterns, firstRun.patterns);
}

// The user's own settings file lives in a temporary folder for the test.
class PreferencesDialogMainWindow : public ::testing::Test {
protected:
    PreferencesDialogMainWindow()
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QString::fromStdString(temp.root()));
    }
    ~PreferencesDialogMainWindow() override
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                           QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation));
    }
    std::string userFile() { return temp.path("Quillbay/" + dw::platform::executableBaseName() + ".conf"); }

    TempTree temp;
};

TEST_F(PreferencesDialogMainWindow, TheButtonOpensTheFrameAndOkRecoloursEveryListAtOnce)
{
    dw::ui::MainDialog window;
    window.show();
    const dw::Colour oldBack = window.settings().view.bkColor;
    ModalScript script({onDialog(id::PreferencesDialog, [](QWidget* frame) {
        frameOf(frame)->showPage(4);
        auto* back = control<dw::ui::CColourPicker>(frame, 205, id::BkColorPicker);
        back->setColour(0x00FFFF);
        dw::ui::findById<QPushButton>(frame, id::Ok)->click();
    })});
    dw::ui::findById<QToolButton>(&window, id::PreferencesButton)->click();
    EXPECT_TRUE(script.done());
    EXPECT_NE(oldBack, 0x00FFFFu);
    EXPECT_EQ(window.settings().view.bkColor, 0x00FFFFu);
    for (dw::ResultKind kind : {dw::ResultKind::ByMask, dw::ResultKind::BySize, dw::ResultKind::Duplicates,
                                dw::ResultKind::Old}) {
        dw::ui::ResultsListCtrl* list = window.page(kind)->list();
        EXPECT_EQ(list->appearance().bkColor, 0x00FFFFu);
        EXPECT_EQ(list->palette().color(QPalette::Base), QColor(255, 255, 0));
    }
    auto saved = QSettingsStore::fromIniFile(userFile());
    EXPECT_EQ(saved.readInt("General", "FirstTime", 1), 0);
    EXPECT_EQ(saved.readInt("View", "BkColor", 0), 0x00FFFF);
}

TEST_F(PreferencesDialogMainWindow, TheSearchParametersButtonOpensTheFrameAboveIt)
{
    dw::ui::MainDialog window;
    window.show();
    bool enabled = false;
    QString owner;
    ModalScript script({onDialog(id::SearchParametersDialog,
                                 [&](QWidget* dialog) {
                                     auto* button = dw::ui::findById<QPushButton>(dialog, id::PreferencesButton);
                                     enabled = button->isEnabled();
                                     // Clicked once this step is done, so the script sees the frame.
                                     QTimer::singleShot(0, button, &QPushButton::click);
                                 }),
                        onDialog(id::PreferencesDialog,
                                 [&](QWidget* frame) {
                                     owner = frame->parentWidget() ? frame->parentWidget()->objectName() : QString();
                                     dw::ui::findById<QPushButton>(frame, id::Cancel)->click();
                                 }),
                        onDialog(id::SearchParametersDialog, [](QWidget* dialog) {
                            static_cast<QDialog*>(dialog)->reject();
                        })});
    window.newSearch();
    EXPECT_TRUE(script.done());
    EXPECT_TRUE(enabled);
    EXPECT_EQ(owner, "111");
    // Cancel wrote nothing.
    EXPECT_FALSE(std::filesystem::exists(userFile()));
}

}  // namespace
