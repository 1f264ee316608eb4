#include "ui/controls/column_chooser_dialog.h"
#include "engine/results/text_export.h"
#include "ui/controls/ids.h"
#include "ui/controls/widget_ids.h"

#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QListWidget>
#include <QPushButton>
#include <gtest/gtest.h>

#include <string>
#include <vector>

using dw::ui::ColumnChooserDialog;
using dw::ui::findById;
namespace id = dw::ui::id;
using Strings = std::vector<std::string>;

namespace {

QListWidget* list(const QWidget& dialog) { return findById<QListWidget>(&dialog, id::ColumnList); }

void press(QWidget* target, int key)
{
    QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

TEST(ColumnChooser, OffersEveryTitleCheckedAndHasOnlyOk)
{
    ColumnChooserDialog dialog(dw::columnTitles());
    dialog.show();
    EXPECT_EQ(dialog.objectName(), "204");
    EXPECT_EQ(dialog.windowTitle(), "Столбцы");
    ASSERT_NE(list(dialog), nullptr);
    ASSERT_EQ(list(dialog)->count(), 6);
    for (int row = 0; row < 6; ++row) {
        EXPECT_EQ(list(dialog)->item(row)->text().toStdString(), dw::columnTitles()[static_cast<std::size_t>(row)]);
        EXPECT_EQ(list(dialog)->item(row)->checkState(), Qt::Checked);
        // Every row in sight without scrolling.
        EXPECT_TRUE(list(dialog)->viewport()->rect().contains(list(dialog)->visualItemRect(list(dialog)->item(row))));
    }
    const QList<QPushButton*> buttons = dialog.findChildren<QPushButton*>();
    ASSERT_EQ(buttons.size(), 1);
    EXPECT_EQ(buttons[0]->objectName(), "1");
    EXPECT_EQ(buttons[0]->text(), "OK");
    EXPECT_TRUE(dialog.rect().contains(buttons[0]->geometry()));
    QDir().mkpath("/tmp/dwshots");
    dialog.grab().save("/tmp/dwshots/column_chooser.png");
}

TEST(ColumnChooser, OkKeepsTheCheckedTitlesInOrder)
{
    ColumnChooserDialog dialog(dw::columnTitles());
    dialog.show();
    list(dialog)->item(1)->setCheckState(Qt::Unchecked);
    list(dialog)->item(4)->setCheckState(Qt::Unchecked);
    // Space toggles the current row from the keyboard.
    list(dialog)->setCurrentRow(5);
    press(list(dialog), Qt::Key_Space);
    press(list(dialog), Qt::Key_Return);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.titles(), (Strings{"Имя файла", "Размер файла", "Размер на диске"}));
}

TEST(ColumnChooser, NoneCheckedGivesNoTitlesButEscOrCloseGiveAll)
{
    {
        ColumnChooserDialog dialog(dw::columnTitles());
        dialog.show();
        for (int row = 0; row < list(dialog)->count(); ++row)
            list(dialog)->item(row)->setCheckState(Qt::Unchecked);
        findById<QPushButton>(&dialog, id::Ok)->click();
        EXPECT_TRUE(dialog.titles().empty());
    }
    {
        ColumnChooserDialog dialog(dw::columnTitles());
        dialog.show();
        list(dialog)->item(0)->setCheckState(Qt::Unchecked);
        press(list(dialog), Qt::Key_Escape);
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
        EXPECT_EQ(dialog.titles(), dw::columnTitles());
    }
    {
        ColumnChooserDialog dialog(dw::columnTitles());
        dialog.show();
        list(dialog)->item(0)->setCheckState(Qt::Unchecked);
        dialog.close();
        EXPECT_EQ(dialog.titles(), dw::columnTitles());
    }
}

}  // namespace
