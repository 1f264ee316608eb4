#include "preferences_fixture.h"
#include "ui/settings/preferences_caption.h"

#include <QDesktopServices>
#include <QLineEdit>
#include <QSlider>
#include <QTextBrowser>
#include <QTreeWidget>

namespace {

using namespace dwtest;
using Strings = std::vector<std::string>;

using PreferencesDialogFrame = PreferencesTest;

TEST_F(PreferencesDialogFrame, ShowsTheSixPagesInOrderWithTheFirstOneOpen)
{
    open();
    EXPECT_EQ(frame->objectName(), "125");
    EXPECT_EQ(frame->windowTitle(), "Параметры");
    QStringList titles;
    for (int i = 0; i < frame->tree()->topLevelItemCount(); ++i)
        titles.push_back(frame->tree()->topLevelItem(i)->text(0));
    EXPECT_EQ(titles, (QStringList{"По маске", "Одинаковые", "По размеру", "По дате", "Внешний вид", "Основные"}));
    EXPECT_EQ(frame->caption()->title(), "По маске");
    EXPECT_EQ(frame->caption()->constantText(), "Diskwright");
    EXPECT_EQ(frame->currentPage(), 0);
    EXPECT_EQ(frame->tree()->currentItem(), frame->tree()->topLevelItem(0));
    EXPECT_EQ(dw::ui::findById<QPushButton>(frame.get(), id::Ok)->text(), "OK");
    EXPECT_EQ(dw::ui::findById<QPushButton>(frame.get(), id::Cancel)->text(), "Отмена");
    EXPECT_EQ(dw::ui::findById<QPushButton>(frame.get(), id::PrefHelpButton)->text(), "Помощь");
    EXPECT_EQ(frame->minimumSize(), frame->maximumSize());
    // Only the page on show has a window.
    ASSERT_NE(pageWindow(frame.get(), 117), nullptr);
    for (int pageId : {114, 115, 118, 205, 116})
        EXPECT_EQ(pageWindow(frame.get(), pageId), nullptr) << pageId;
    const QRect area = dw::ui::findById(frame.get(), id::PrefPageArea)->geometry();
    EXPECT_EQ(frame->pageRect(), area.adjusted(2, 2, -2, -2));
    EXPECT_TRUE(frame->rect().contains(area));
    // Wide enough from the start for the longest line of any page.
    const QSize opened = frame->size();
    for (int index = 1; index < 6; ++index)
        EXPECT_EQ(show(index)->size(), frame->pageRect().size()) << index;
    EXPECT_EQ(frame->size(), opened);
}

TEST_F(PreferencesDialogFrame, OkRightAfterOpeningStoresOnlyTheFirstPage)
{
    // The first page writes a mask without a tab back with one; a page never
    // shown would have sorted this list had it been made.
    settings.masks = {"*.tmp"};
    settings.duplicatesExcludeDirs = {"/b/", "/a/"};
    settings.days = 7;
    open();
    ok();
    EXPECT_EQ(frame->result(), QDialog::Accepted);
    EXPECT_EQ(pages->mask.masks, Strings{"\t*.tmp"});
    EXPECT_EQ(pages->duplicates.excludeDirs, (Strings{"/b/", "/a/"}));
    EXPECT_EQ(pages->date.days, 7);
    EXPECT_EQ(pageWindow(frame.get(), 117), nullptr);
    dw::SearchSettings copied;
    pages->copyInto(copied);
    EXPECT_EQ(copied.duplicatesExcludeDirs, (Strings{"/b/", "/a/"}));
    EXPECT_EQ(copied.view.bkColor, settings.view.bkColor);
}

TEST_F(PreferencesDialogFrame, TheTreeSwitchesPagesOnceItsClickIsDoneAndNeverMakesAPageTwice)
{
    open();
    frame->tree()->setCurrentItem(frame->tree()->topLevelItem(2));
    EXPECT_EQ(frame->currentPage(), 0);
    QApplication::processEvents();
    EXPECT_EQ(frame->currentPage(), 2);
    EXPECT_EQ(frame->caption()->title(), "По размеру");
    QWidget* sizePage = pageWindow(frame.get(), 115);
    ASSERT_NE(sizePage, nullptr);
    EXPECT_TRUE(sizePage->isVisible());
    EXPECT_FALSE(pageWindow(frame.get(), 117)->isVisible());
    EXPECT_EQ(sizePage->geometry().size(), frame->pageRect().size());

    frame->tree()->setCurrentItem(frame->tree()->topLevelItem(0));
    QApplication::processEvents();
    frame->tree()->setCurrentItem(frame->tree()->topLevelItem(2));
    QApplication::processEvents();
    EXPECT_EQ(pageWindow(frame.get(), 115), sizePage);
    EXPECT_FALSE(frame->showPage(6));
    EXPECT_EQ(frame->caption()->title(), "");
}

TEST_F(PreferencesDialogFrame, EscapeDoesNothingEnterIsOkAndPagesCannotBeAddedOnceOpen)
{
    open();
    QWidget* sizePage = show(2);
    pressKey(frame.get(), Qt::Key_Escape);
    pressKey(at<QLineEdit>(115, id::SizeEdit), Qt::Key_Escape);
    EXPECT_TRUE(frame->isVisible());
    EXPECT_EQ(frame->result(), 0);
    dw::ui::GeneralPage late;
    EXPECT_FALSE(frame->addPage(&late, QStringLiteral("x")));

    at<QLineEdit>(115, id::SizeEdit)->setText(QStringLiteral("64"));
    at<QLineEdit>(115, id::SizeEdit)->setFocus();
    pressKey(at<QLineEdit>(115, id::SizeEdit), Qt::Key_Return);
    EXPECT_EQ(frame->result(), QDialog::Accepted);
    EXPECT_EQ(pages->size.size, 64u);
    EXPECT_NE(sizePage, nullptr);
}

TEST_F(PreferencesDialogFrame, APageThatRefusesIsBroughtBackAndTheFrameStays)
{
    open();
    show(2);
    at<QLineEdit>(115, id::SizeEdit)->clear();
    show(4);
    BoxSeen said;
    {
        ModalScript script({answerBox("OK", &said)});
        ok();
        EXPECT_TRUE(script.done());
    }
    EXPECT_EQ(said.text, "Введите целое неотрицательное число.");
    EXPECT_TRUE(frame->isVisible());
    EXPECT_EQ(frame->currentPage(), 2);
    EXPECT_TRUE(pageWindow(frame.get(), 205) != nullptr);

    at<QLineEdit>(115, id::SizeEdit)->setText(QStringLiteral("4294967296"));
    ModalScript again({answerBox("OK")});
    ok();
    EXPECT_TRUE(again.done());
    at<QLineEdit>(115, id::SizeEdit)->setText(QStringLiteral("4294967295"));
    ok();
    EXPECT_EQ(pages->size.size, 4294967295u);
}

TEST_F(PreferencesDialogFrame, HelpOpensTheHelpPageAndLeavesTheFrameOpen)
{
    const std::string help = temp.write("diskwright.html", "<html><body>help</body></html>");
    QTextBrowser opened;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &opened, "setSource");
    open();
    frame->setHelpFile(QString::fromStdString(help));
    dw::ui::findById<QPushButton>(frame.get(), id::PrefHelpButton)->click();
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    EXPECT_EQ(opened.source(), QUrl::fromLocalFile(QString::fromStdString(help)));
    EXPECT_TRUE(frame->isVisible());
}

TEST_F(PreferencesDialogFrame, TheCaptionFadesFromBlackIntoTheButtonFace)
{
    dw::ui::PreferencesCaption caption;
    caption.setConstantText(QString());
    const QImage band = caption.background(QSize(256, 20)).toImage();
    const QColor face = caption.palette().color(QPalette::Button);
    EXPECT_EQ(band.pixelColor(0, 10), QColor(Qt::black));
    EXPECT_EQ(band.pixelColor(1, 10), QColor(Qt::black));
    // Strip k from the right (2 pixels wide): channel - channel * (2k)^2 / 256^2.
    EXPECT_EQ(band.pixelColor(255, 10).red(), face.red() - face.red() * 4 / 65536);
    EXPECT_EQ(band.pixelColor(128, 10).red(), face.red() - face.red() * 128 * 128 / 65536);
    int previous = 0;
    for (int x = 0; x < 256; x += 8) {
        EXPECT_GE(band.pixelColor(x, 10).red(), previous) << x;
        previous = band.pixelColor(x, 10).red();
    }
}

}  // namespace
