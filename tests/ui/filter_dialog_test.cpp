#include "ui/controls/filter_dialog.h"
#include "platform/qsettings_store.h"
#include "support/temp_tree.h"
#include "ui/controls/ids.h"
#include "ui/controls/widget_ids.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <tuple>
#include <vector>

using dw::FilterAction;
using dw::FilterRequest;
using dw::platform::QSettingsStore;
using dw::ui::FilterDialog;
using dw::ui::findById;
namespace id = dw::ui::id;

namespace {

QString q(const std::string& text) { return QString::fromStdString(text); }

// Runs `act` on the folder chooser as soon as it is open (it runs modally).
class WhenChooserOpens {
public:
    explicit WhenChooserOpens(std::function<void(QWidget*)> act) : act_(std::move(act))
    {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            for (QWidget* window : QApplication::topLevelWidgets()) {
                if (window->objectName() == "110" && window->isVisible()) {
                    timer_.stop();
                    act_(window);
                    return;
                }
            }
        });
        timer_.start(5);
    }

private:
    std::function<void(QWidget*)> act_;
    QTimer timer_;
};

class FilterDialogTest : public ::testing::Test {
protected:
    template <typename W>
    W* control(int controlId)
    {
        return findById<W>(&dialog, controlId);
    }
    QRadioButton* radio(int controlId) { return control<QRadioButton>(controlId); }
    QCheckBox* box(int controlId) { return control<QCheckBox>(controlId); }
    QLineEdit* edit(int controlId) { return control<QLineEdit>(controlId); }
    QPushButton* button(int controlId) { return control<QPushButton>(controlId); }

    dwtest::TempTree temp;
    QSettingsStore store = QSettingsStore::fromIniFile(temp.path("diskwright.ini"));
    FilterDialog dialog{store};
};

TEST_F(FilterDialogTest, ControlsCarryIdsAndTextsAndTheEditsFollowTheirBoxes)
{
    FilterRequest prefill;
    prefill.folderText = "/home/u/Загрузки/отчёт.tmp";
    prefill.maskText = "*.tmp";
    dialog.setRequest(prefill);
    dialog.show();
    EXPECT_EQ(dialog.objectName(), "126");
    EXPECT_EQ(dialog.windowTitle(), "Фильтр");
    // The '&' only marks the Alt+letter key.
    const std::map<int, QString> texts = {
        {id::FilterMark, "Отметить"},
        {id::FilterClear, "Очистить"},
        {id::FilterRemove, "Удалить из списка"},
        {id::FilterRemoveExcept, "Удалить из списка все за исключением"},
        {id::FilterByFolder, "Содержищиеся в каталоге"},
        {id::FilterChooseFolder, "..."},
        {id::FilterByMask, "По маске"},
        {id::Ok, "OK"},
        {id::Cancel, "Отмена"},
    };
    for (const auto& [controlId, text] : texts) {
        auto* widget = control<QAbstractButton>(controlId);
        ASSERT_NE(widget, nullptr) << controlId;
        EXPECT_EQ(widget->text().remove('&'), text) << controlId;
        // "..." is narrower than a standard button, but its text fits.
        const int needed = controlId == id::FilterChooseFolder
                               ? widget->fontMetrics().horizontalAdvance(text) + 8
                               : widget->sizeHint().width();
        EXPECT_GE(widget->width(), needed) << controlId;
        EXPECT_TRUE(dialog.rect().contains(widget->geometry())) << controlId;
    }
    EXPECT_TRUE(button(id::Ok)->isDefault());

    EXPECT_TRUE(radio(id::FilterMark)->isChecked());
    EXPECT_FALSE(box(id::FilterByFolder)->isChecked());
    EXPECT_FALSE(box(id::FilterByMask)->isChecked());
    EXPECT_EQ(edit(id::FilterFolderEdit)->text(), "/home/u/Загрузки/отчёт.tmp");
    EXPECT_EQ(edit(id::FilterMaskEdit)->text(), "*.tmp");
    // Folder edit, "...", mask edit.
    auto enabled = [&] {
        return std::make_tuple(edit(id::FilterFolderEdit)->isEnabled(), button(id::FilterChooseFolder)->isEnabled(),
                               edit(id::FilterMaskEdit)->isEnabled());
    };
    EXPECT_EQ(enabled(), std::make_tuple(false, false, false));
    box(id::FilterByFolder)->click();
    EXPECT_EQ(enabled(), std::make_tuple(true, true, false));
    box(id::FilterByMask)->click();
    EXPECT_EQ(enabled(), std::make_tuple(true, true, true));
    QDir().mkpath("/tmp/dwshots");
    dialog.grab().save("/tmp/dwshots/filter_dialog.png");
    box(id::FilterByFolder)->click();
    EXPECT_EQ(enabled(), std::make_tuple(false, false, true));

    // Keyboard order: the actions, the folder condition, the mask condition, the buttons.
    box(id::FilterByFolder)->click();
    std::vector<QString> order;
    QWidget* widget = radio(id::FilterMark);
    do {
        if (widget->isEnabled() && (widget->focusPolicy() & Qt::TabFocus) && !widget->objectName().isEmpty())
            order.push_back(widget->objectName());
        widget = widget->nextInFocusChain();
    } while (widget != radio(id::FilterMark));
    EXPECT_EQ(order, (std::vector<QString>{"279", "278", "276", "277", "217", "273", "200", "229", "252", "1", "2"}));
}

TEST_F(FilterDialogTest, OkReturnsTheChosenActionAndConditions)
{
    const std::map<int, FilterAction> actions = {
        {id::FilterMark, FilterAction::Mark},
        {id::FilterClear, FilterAction::Clear},
        {id::FilterRemove, FilterAction::Remove},
        {id::FilterRemoveExcept, FilterAction::RemoveExcept},
    };
    for (const auto& [radioId, action] : actions) {
        FilterDialog fresh(store);
        fresh.setRequest(FilterRequest{});
        fresh.show();
        findById<QRadioButton>(&fresh, radioId)->click();
        findById<QCheckBox>(&fresh, id::FilterByMask)->click();
        findById<QLineEdit>(&fresh, id::FilterMaskEdit)->setText("*.txt;\"a;b\"");
        findById<QPushButton>(&fresh, id::Ok)->click();
        EXPECT_EQ(fresh.result(), QDialog::Accepted);
        const FilterRequest& request = fresh.request();
        EXPECT_EQ(request.action, action) << radioId;
        EXPECT_FALSE(request.byFolder);
        EXPECT_TRUE(request.byMask);
        EXPECT_EQ(request.maskText, "*.txt;\"a;b\"");
    }

    // Enter in a field is OK; the folder text comes back even with its box off.
    FilterRequest prefill;
    prefill.folderText = "/data/Фото/";
    prefill.maskText = "*";
    dialog.setRequest(prefill);
    dialog.show();
    box(id::FilterByFolder)->click();
    edit(id::FilterFolderEdit)->setText("/data/Фото/2023/");
    box(id::FilterByFolder)->click();
    box(id::FilterByMask)->click();
    edit(id::FilterMaskEdit)->setFocus();
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(edit(id::FilterMaskEdit), &enter);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.request().action, FilterAction::Mark);
    EXPECT_FALSE(dialog.request().byFolder);
    EXPECT_EQ(dialog.request().folderText, "/data/Фото/2023/");
    EXPECT_TRUE(dialog.request().byMask);
    EXPECT_EQ(dialog.request().maskText, "*");
}

TEST_F(FilterDialogTest, TheDotsButtonPicksTheFolderWithTheChooser)
{
    temp.mkdir("photos/2023");
    const std::string file = temp.write("photos/2023/img.jpg", "x");
    FilterRequest prefill;
    prefill.byFolder = true;
    prefill.folderText = file;
    dialog.setRequest(prefill);
    dialog.show();

    // The chooser opens at the folder of the prefilled file; Cancel keeps the text.
    QString openedAt;
    {
        WhenChooserOpens cancel([&](QWidget* chooser) {
            openedAt = findById<QComboBox>(chooser, id::FolderCombo)->currentText();
            findById<QPushButton>(chooser, id::Cancel)->click();
        });
        button(id::FilterChooseFolder)->click();
    }
    EXPECT_EQ(openedAt, q(temp.path("photos/2023/")));
    EXPECT_EQ(edit(id::FilterFolderEdit)->text(), q(file));

    {
        WhenChooserOpens choose([&](QWidget* chooser) {
            findById<QComboBox>(chooser, id::FolderCombo)->setEditText(q(temp.path("photos")));
            findById<QPushButton>(chooser, id::Ok)->click();
        });
        button(id::FilterChooseFolder)->click();
    }
    EXPECT_EQ(edit(id::FilterFolderEdit)->text(), q(temp.path("photos/")));

    // Cancel leaves the request as it was given.
    radio(id::FilterRemove)->click();
    button(id::Cancel)->click();
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(dialog.request().action, FilterAction::Mark);
    EXPECT_EQ(dialog.request().folderText, file);
}

}  // namespace
