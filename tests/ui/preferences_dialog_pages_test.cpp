#include "preferences_fixture.h"
#include "ui/controls/colour_picker.h"
#include "ui/settings/exclude_list_box.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>
#include <QSlider>
#include <QTest>
#include <QToolButton>

namespace {

using namespace dwtest;
using Strings = std::vector<std::string>;

using PreferencesDialogPages = PreferencesTest;

QStringList labelsOf(const QWidget* page)
{
    QStringList texts;
    for (const QLabel* label : page->findChildren<QLabel*>())
        texts.push_back(label->text());
    return texts;
}

TEST_F(PreferencesDialogPages, SizeControlsFollowTheirCheckBoxYetKeepTheirValues)
{
    settings.bySize = true;
    settings.lessThen = 0;
    settings.size = 1500;
    open();
    QWidget* page = show(2);
    auto* bySize = at<QCheckBox>(115, id::BySizeBox);
    auto* combo = at<QComboBox>(115, id::SizeCompareCombo);
    auto* edit = at<QLineEdit>(115, id::SizeEdit);
    EXPECT_EQ(at<QCheckBox>(115, id::FindEmptyBox)->text(), "Искать пустые файлы");
    EXPECT_EQ(bySize->text(), "Искать файлы размером");
    EXPECT_EQ(combo->itemText(0), ">");
    EXPECT_EQ(combo->itemText(1), "<");
    EXPECT_EQ(combo->currentIndex(), 0);
    EXPECT_EQ(edit->text(), "1500");
    EXPECT_TRUE(labelsOf(page).contains("KB"));
    EXPECT_TRUE(combo->isEnabled() && edit->isEnabled());

    bySize->click();
    EXPECT_FALSE(combo->isEnabled());
    EXPECT_FALSE(edit->isEnabled());
    bySize->click();
    EXPECT_TRUE(combo->isEnabled() && edit->isEnabled());
    bySize->click();
    at<QCheckBox>(115, id::FindEmptyBox)->click();
    ok();
    EXPECT_FALSE(pages->size.bySize);
    EXPECT_FALSE(pages->size.findFiles);
    EXPECT_EQ(pages->size.lessThen, 0);
    EXPECT_EQ(pages->size.size, 1500u);
}

TEST_F(PreferencesDialogPages, AnUncheckedSizeSearchOpensWithItsControlsDisabled)
{
    settings.bySize = false;
    open();
    show(2);
    EXPECT_FALSE(at(115, id::SizeCompareCombo)->isEnabled());
    EXPECT_FALSE(at(115, id::SizeEdit)->isEnabled());
}

TEST_F(PreferencesDialogPages, TheCheckedRadioEnablesItsOwnPairAndTheSpinsWrap)
{
    settings.byDays = false;
    settings.days = 31;
    settings.months = 0;
    open();
    QWidget* page = show(3);
    EXPECT_EQ(page->findChild<QGroupBox*>()->title(), "Искать файлы не открывали");
    EXPECT_EQ(at<QRadioButton>(118, id::ByDaysRadio)->text(), "последние");
    EXPECT_EQ(at<QRadioButton>(118, id::ByMonthsRadio)->text(), "последние");
    EXPECT_TRUE(labelsOf(page).contains("дней"));
    EXPECT_TRUE(labelsOf(page).contains("месяцев"));
    EXPECT_TRUE(labelsOf(page).contains("Исключать директории"));
    auto enabled = [&] {
        return std::vector<bool>{at(118, id::DaysEdit)->isEnabled(), at(118, id::DaysSpin)->isEnabled(),
                                 at(118, id::MonthsEdit)->isEnabled(), at(118, id::MonthsSpin)->isEnabled()};
    };
    EXPECT_TRUE(at<QRadioButton>(118, id::ByMonthsRadio)->isChecked());
    EXPECT_EQ(enabled(), (std::vector<bool>{false, false, true, true}));
    at<QRadioButton>(118, id::ByDaysRadio)->click();
    EXPECT_EQ(enabled(), (std::vector<bool>{true, true, false, false}));

    auto* days = at<QLineEdit>(118, id::DaysEdit);
    auto* months = at<QLineEdit>(118, id::MonthsEdit);
    auto spinButtons = [&](int spinId) { return at(118, spinId)->findChildren<QToolButton*>(); };
    spinButtons(id::DaysSpin)[0]->click();  // up from 31
    EXPECT_EQ(days->text(), "0");
    spinButtons(id::DaysSpin)[1]->click();  // down from 0
    EXPECT_EQ(days->text(), "31");
    pressKey(days, Qt::Key_Down);
    EXPECT_EQ(days->text(), "30");

    at<QRadioButton>(118, id::ByMonthsRadio)->click();
    EXPECT_EQ(enabled(), (std::vector<bool>{false, false, true, true}));
    pressKey(months, Qt::Key_Down);
    EXPECT_EQ(months->text(), "12");
    pressKey(months, Qt::Key_Up);
    EXPECT_EQ(months->text(), "0");
    pressKey(months, Qt::Key_Up);
    ok();
    EXPECT_FALSE(pages->date.byDays);
    EXPECT_EQ(pages->date.days, 30);
    EXPECT_EQ(pages->date.months, 1);
}

TEST_F(PreferencesDialogPages, ATypedAgeOutsideTheSearchableRangeIsRefused)
{
    open();
    show(3);
    at<QLineEdit>(118, id::MonthsEdit)->setText(QStringLiteral("13"));
    BoxSeen said;
    ModalScript script({answerBox("OK", &said)});
    ok();
    EXPECT_TRUE(script.done());
    EXPECT_EQ(said.text, "Введите целое число от 0 до 12.");
    EXPECT_TRUE(frame->isVisible());
}

TEST_F(PreferencesDialogPages, RecycleBinFollowsSystemDeleteButKeepsItsMark)
{
    settings.securityLevel = 0;
    settings.priority = 2;
    open();
    QWidget* page = show(5);
    auto* system = at<QCheckBox>(116, id::SystemDeleteBox);
    auto* bin = at<QCheckBox>(116, id::RecycleBinBox);
    EXPECT_EQ(system->text(), "Использовать системную функцию для удаления файлов и папок");
    EXPECT_EQ(bin->text(), "Удалять в корзину");
    EXPECT_TRUE(bin->isEnabled());
    system->click();
    EXPECT_FALSE(bin->isEnabled());
    EXPECT_TRUE(bin->isChecked());
    system->click();
    EXPECT_TRUE(bin->isEnabled());
    system->click();

    EXPECT_EQ(at<QSlider>(116, id::PrioritySlider)->value(), 2);
    EXPECT_EQ(at<QSlider>(116, id::PrioritySlider)->maximum(), 2);
    EXPECT_TRUE(at<QRadioButton>(116, id::SecurityLowRadio)->isChecked());
    EXPECT_EQ(at<QRadioButton>(116, id::SecurityHighRadio)->text(), "Высокий");
    EXPECT_EQ(at<QRadioButton>(116, id::SecurityLowRadio)->text(), "Низкий");
    const QStringList labels = labelsOf(page);
    EXPECT_TRUE(labels.contains("(программа не выводит в список результатов\nфайлы, удаление которых может "
                                "повлиять на\nработоспособность системы)"));
    EXPECT_TRUE(labels.contains("(пользователь сам решает какие файлы следует\nискать)"));
    for (const char* caption : {"Приоритет", "Низкий", "Нормальный", "Высокий"})
        EXPECT_TRUE(labels.contains(QString::fromUtf8(caption))) << caption;
    at<QSlider>(116, id::PrioritySlider)->setValue(0);
    at<QRadioButton>(116, id::SecurityHighRadio)->click();
    ok();
    EXPECT_FALSE(pages->general.useSystemDiskOperations);
    EXPECT_TRUE(pages->general.removeToRecycleBin);
    EXPECT_EQ(pages->general.priority, 0);
    EXPECT_EQ(pages->general.securityLevel, 1);
}

TEST_F(PreferencesDialogPages, DuplicatesSliderShowsTheModeWithItsCaptions)
{
    settings.fundDuplicatesMode = 2;
    open();
    QWidget* page = show(1);
    auto* slider = at<QSlider>(114, id::DuplicatesModeSlider);
    EXPECT_EQ(slider->value(), 2);
    EXPECT_EQ(slider->tickInterval(), 1);
    EXPECT_EQ(slider->tickPosition(), QSlider::TicksBelow);
    for (const char* caption : {"Режим поиска одинаковых файлов", "Быстрый", "Нормальный", "Параноидальный"})
        EXPECT_TRUE(labelsOf(page).contains(QString::fromUtf8(caption))) << caption;
    slider->setValue(0);
    ok();
    EXPECT_EQ(pages->duplicates.mode, 0);
}

TEST_F(PreferencesDialogPages, ColoursShowTheSettingsAndTheDefaultChoiceStoresTheSettingsOwnDefault)
{
    settings.view.sysColor = 0x00FF00;
    settings.view.bkColor = 0x222222;
    settings.view.autoArrange = false;
    open();
    QWidget* page = show(4);
    EXPECT_EQ(page->findChild<QGroupBox*>()->title(), "Цвета списка файлов");
    const QStringList labels = labelsOf(page);
    for (const char* caption : {"Задний фон:", "Цвет по умолчанию:", "Одинаковые файлы:", "Системный файл:",
                                "Скрытый файл:", "Только для чтения:", "Архивный:", "Сжатый:"})
        EXPECT_TRUE(labels.contains(QString::fromUtf8(caption))) << caption;
    auto* sys = at<dw::ui::CColourPicker>(205, id::SysColorPicker);
    auto* back = at<dw::ui::CColourPicker>(205, id::BkColorPicker);
    EXPECT_EQ(sys->colour(), 0x00FF00u);
    EXPECT_FALSE(at<QCheckBox>(205, id::AutoArrangeBox)->isChecked());
    EXPECT_EQ(at<QCheckBox>(205, id::AutoArrangeBox)->text(), "Автоматическое выравнивание столбцов списка");

    for (auto* picker : {sys, back}) {
        picker->click();
        dw::ui::ColourPopup* popup = picker->popup();
        while (popup->currentCell() != dw::ui::ColourPopup::DefaultCell)
            pressKey(popup, Qt::Key_Left);
        pressKey(popup, Qt::Key_Return);
        EXPECT_EQ(picker->colour(), dw::ui::kDefaultColour);
    }
    at<dw::ui::CColourPicker>(205, id::CompressedColorPicker)->setColour(0x0A0B0C);
    at<QCheckBox>(205, id::AutoArrangeBox)->click();
    ok();
    EXPECT_EQ(pages->appearance.appearance.sysColor, 0x0000FFu);
    EXPECT_EQ(pages->appearance.appearance.bkColor, system.window);
    EXPECT_EQ(pages->appearance.appearance.compressedColor, 0x0A0B0Cu);
    EXPECT_TRUE(pages->appearance.appearance.autoArrange);
}

class PreferencesDialogExclusions : public PreferencesTest {
protected:
    void SetUp() override
    {
        for (const char* folder : {"alpha", "Beta", "gamma", "gamma/inner", "delta"})
            temp.mkdir(folder);
        settings.duplicatesExcludeDirs = {folder("gamma"), folder("alpha")};
        open();
        show(1);
        list = at<dw::ui::ExcludeListBox>(114, id::ExcludeList);
    }
    std::string folder(const char* name) { return temp.path(name) + "/"; }
    // A script step: types `path` into the folder chooser and presses OK.
    static ModalScript::Step choose(const std::string& path, QString* shown = nullptr)
    {
        return onDialog(id::FolderChooserDialog, [path, shown](QWidget* chooser) {
            auto* combo = dw::ui::findById<QComboBox>(chooser, id::FolderCombo);
            if (shown)
                *shown = combo->currentText();
            combo->setEditText(q(path));
            dw::ui::findById<QPushButton>(chooser, id::Ok)->click();
        });
    }
    void strip(int command) { at<QToolButton>(114, command)->click(); }

    dw::ui::ExcludeListBox* list = nullptr;
};

TEST_F(PreferencesDialogExclusions, AnAddedFolderTakesItsSortedPlace)
{
    EXPECT_EQ(list->folders(), (Strings{folder("alpha"), folder("gamma")}));
    ModalScript script({choose(folder("Beta"))});
    strip(id::CmdExcludeAdd);
    EXPECT_TRUE(script.done());
    EXPECT_EQ(list->folders(), (Strings{folder("alpha"), folder("Beta"), folder("gamma")}));
    EXPECT_EQ(folders.readString("Recent Dirs", "Dir0", ""), folder("Beta"));
    ok();
    EXPECT_EQ(pages->duplicates.excludeDirs, (Strings{folder("alpha"), folder("Beta"), folder("gamma")}));
}

TEST_F(PreferencesDialogExclusions, AFolderThatBeginsAListedEntryIsRefused)
{
    list->setFolders({folder("gamma/inner")});
    BoxSeen said;
    ModalScript script({choose(folder("gamma")), answerBox("OK", &said)});
    strip(id::CmdExcludeAdd);
    EXPECT_TRUE(script.done());
    EXPECT_EQ(said.text, q("Директория «" + folder("gamma") + "» не добавлена: в списке уже есть «" +
                           folder("gamma/inner") + "»."));
    EXPECT_EQ(list->folders(), Strings{folder("gamma/inner")});
    // Names differ by case on Linux, and a sibling sharing the start of a name is no prefix.
    EXPECT_TRUE(list->addFolder(q(temp.path("GAMMA/"))));
    EXPECT_TRUE(list->addFolder(q(temp.path("gam/"))));
    EXPECT_EQ(list->count(), 3);
}

TEST_F(PreferencesDialogExclusions, EditReplacesTheEntryInPlaceAndDoubleClickEditsToo)
{
    list->setCurrentRow(0);
    QString shown;
    temp.mkdir("zeta");
    {
        ModalScript script({choose(folder("zeta"), &shown)});
        strip(id::CmdExcludeEdit);
        EXPECT_TRUE(script.done());
    }
    EXPECT_EQ(shown, q(folder("alpha")));
    // Not sorted again after an edit.
    EXPECT_EQ(list->folders(), (Strings{folder("zeta"), folder("gamma")}));

    ModalScript again({choose(folder("delta"))});
    list->setCurrentRow(1);
    Q_EMIT list->itemDoubleClicked(list->item(1));
    EXPECT_TRUE(again.done());
    EXPECT_EQ(list->folders(), (Strings{folder("zeta"), folder("delta")}));
}

TEST_F(PreferencesDialogExclusions, RemoveTakesTheSelectedEntryAndTheMenuGreysWhatNeedsASelection)
{
    list->clearSelection();
    std::unique_ptr<QMenu> menu(list->buildMenu());
    EXPECT_EQ(menu->objectName(), "148");
    QStringList items;
    for (QAction* action : menu->actions())
        items.push_back(action->objectName() + QLatin1Char(' ') + action->text() +
                        (action->isEnabled() ? "" : " (серый)"));
    EXPECT_EQ(items, (QStringList{"32768 Добавить", "32771 Изменить (серый)", "32777 Удалить (серый)"}));
    ModalScript none({});
    strip(id::CmdExcludeRemove);
    strip(id::CmdExcludeEdit);
    EXPECT_EQ(list->count(), 2);

    list->setCurrentRow(1);
    // A right-click opens the menu but does not move the selection.
    QTest::mousePress(list->viewport(), Qt::RightButton, Qt::NoModifier,
                      list->visualItemRect(list->item(0)).center());
    EXPECT_EQ(list->currentRow(), 1);
    std::unique_ptr<QMenu> selected(list->buildMenu());
    for (QAction* action : selected->actions())
        EXPECT_TRUE(action->isEnabled());
    const std::vector<std::pair<int, const char*>> tips = {
        {id::CmdExcludeAdd, "New Item"}, {id::CmdExcludeEdit, "Edit Item"}, {id::CmdExcludeRemove, "Remove Item"}};
    for (const auto& [command, tip] : tips)
        EXPECT_EQ(at<QToolButton>(114, command)->toolTip(), tip);
    strip(id::CmdExcludeRemove);
    EXPECT_EQ(list->folders(), Strings{folder("alpha")});
}

}  // namespace
