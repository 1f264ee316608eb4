#include "ui/settings/search_pages.h"

#include "ui/controls/ids.h"
#include "ui/controls/ui_texts.h"
#include "ui/controls/widget_ids.h"
#include "ui/settings/exclude_list_box.h"
#include "ui/settings/list_button_strip.h"
#include "ui/settings/mask_list_editor.h"
#include "ui/settings/number_field.h"
#include "ui/settings/page_parts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSlider>
#include <QVBoxLayout>

#include <limits>

namespace dw::ui {

namespace {

QVBoxLayout* pageColumn(QWidget* window)
{
    auto* column = new QVBoxLayout(window);
    column->setContentsMargins(6, 6, 6, 6);
    return column;
}

// An edit wide enough for `digits` digits.
void fitDigits(QLineEdit* edit, int digits)
{
    const int width = edit->fontMetrics().horizontalAdvance(QString(digits, QLatin1Char('0')));
    edit->setFixedWidth(width + 16);
}

}  // namespace

void ExclusionPage::addExclusions(QVBoxLayout* column, int stripId)
{
    QWidget* window = column->parentWidget();
    column->addWidget(new QLabel(text::qs(text::ExcludeFolders), window));
    exclusions_ = new ExcludeListBox(window);
    exclusions_->setFolderStore(folderStore_);
    exclusions_->setFolders(excludeDirs);
    column->addWidget(exclusions_, 1);
    auto* strip = new ListButtonStrip(stripId, {id::CmdExcludeAdd, id::CmdExcludeEdit, id::CmdExcludeRemove}, window);
    QObject::connect(strip, &ListButtonStrip::triggered, exclusions_, &ExcludeListBox::runCommand);
    column->addWidget(strip);
}

MaskPage::MaskPage() : ExclusionPage(id::MaskPage) {}

void MaskPage::buildControls(QWidget* window)
{
    QVBoxLayout* column = pageColumn(window);
    column->addWidget(new QLabel(text::qs(text::MaskFilesLabel), window));
    maskList_ = new MaskListEditor(window);
    maskList_->setMasks(masks);
    column->addWidget(maskList_, 1);
    auto* strip = new ListButtonStrip(id::MaskStrip, {id::CmdMaskAdd, id::CmdMaskEdit, id::CmdMaskRemove}, window);
    QObject::connect(strip, &ListButtonStrip::triggered, maskList_, &MaskListEditor::runCommand);
    column->addWidget(strip);
    addExclusions(column, id::MaskPageExcludeStrip);
}

void MaskPage::commit()
{
    masks = maskList_->masks();
    excludeDirs = exclusions_->folders();
}

DuplicatesPage::DuplicatesPage() : ExclusionPage(id::DuplicatesPage) {}

void DuplicatesPage::buildControls(QWidget* window)
{
    QVBoxLayout* column = pageColumn(window);
    column->addWidget(new QLabel(text::qs(text::DuplicatesMode), window));
    slider_ = addThreeWaySlider(column, id::DuplicatesModeSlider, mode, text::ModeFast, text::ModeNormal,
                                text::ModeParanoid);
    column->addSpacing(8);
    addExclusions(column, id::ExcludeStrip);
}

void DuplicatesPage::commit()
{
    mode = slider_->value();
    excludeDirs = exclusions_->folders();
}

SizePage::SizePage() : CSAPrefsSubDlg(id::SizePage) {}

void SizePage::buildControls(QWidget* window)
{
    QVBoxLayout* column = pageColumn(window);
    emptyBox_ = withId(new QCheckBox(text::qs(text::FindEmptyFiles), window), id::FindEmptyBox);
    emptyBox_->setChecked(findFiles);
    column->addWidget(emptyBox_);

    auto* row = new QHBoxLayout;
    bySizeBox_ = withId(new QCheckBox(text::qs(text::FindBySizeOf), window), id::BySizeBox);
    bySizeBox_->setChecked(bySize);
    compare_ = withId(new QComboBox(window), id::SizeCompareCombo);
    compare_->addItems({QStringLiteral(">"), QStringLiteral("<")});
    compare_->setCurrentIndex(lessThen == 0 ? 0 : 1);
    sizeEdit_ = makeNumberEdit(id::SizeEdit, window);
    sizeEdit_->setText(QString::number(size));
    fitDigits(sizeEdit_, 10);
    row->addWidget(bySizeBox_);
    row->addWidget(compare_);
    row->addWidget(sizeEdit_);
    row->addWidget(new QLabel(text::qs(text::Kilobytes), window));
    row->addStretch(1);
    column->addLayout(row);
    column->addStretch(1);

    QObject::connect(bySizeBox_, &QCheckBox::clicked, window, [this] { applyEnabling(); });
    applyEnabling();
}

void SizePage::applyEnabling()
{
    compare_->setEnabled(bySizeBox_->isChecked());
    sizeEdit_->setEnabled(bySizeBox_->isChecked());
}

bool SizePage::validate()
{
    return checkNumber(sizeEdit_, 0, std::numeric_limits<std::uint32_t>::max());
}

void SizePage::commit()
{
    findFiles = emptyBox_->isChecked();
    bySize = bySizeBox_->isChecked();
    lessThen = compare_->currentIndex() == 0 ? 0 : 1;
    if (auto typed = numberIn(sizeEdit_, std::numeric_limits<std::uint32_t>::max()))
        size = *typed;
}

DatePage::DatePage() : ExclusionPage(id::DatePage) {}

void DatePage::buildControls(QWidget* window)
{
    QVBoxLayout* column = pageColumn(window);
    auto* group = new QGroupBox(text::qs(text::OldFilesGroup), window);
    auto* grid = new QGridLayout(group);
    daysRadio_ = withId(new QRadioButton(text::qs(text::Last), group), id::ByDaysRadio);
    monthsRadio_ = withId(new QRadioButton(text::qs(text::Last), group), id::ByMonthsRadio);
    daysEdit_ = makeNumberEdit(id::DaysEdit, group);
    monthsEdit_ = makeNumberEdit(id::MonthsEdit, group);
    fitDigits(daysEdit_, 4);
    fitDigits(monthsEdit_, 4);
    daysEdit_->setText(QString::number(days));
    monthsEdit_->setText(QString::number(months));
    daysSpin_ = new SpinArrows(id::DaysSpin, daysEdit_, 0, 31, group);
    monthsSpin_ = new SpinArrows(id::MonthsSpin, monthsEdit_, 0, 12, group);
    auto addRow = [&](int row, QRadioButton* radio, QLineEdit* edit, SpinArrows* spin, const char* unit) {
        grid->addWidget(radio, row, 0);
        grid->addWidget(edit, row, 1);
        grid->addWidget(spin, row, 2);
        grid->addWidget(new QLabel(text::qs(unit), group), row, 3);
    };
    addRow(0, daysRadio_, daysEdit_, daysSpin_, text::DaysUnit);
    addRow(1, monthsRadio_, monthsEdit_, monthsSpin_, text::MonthsUnit);
    grid->setHorizontalSpacing(4);
    grid->setColumnStretch(4, 1);
    (byDays ? daysRadio_ : monthsRadio_)->setChecked(true);
    column->addWidget(group);
    column->addSpacing(8);
    addExclusions(column, id::ExcludeStrip);

    QObject::connect(daysRadio_, &QRadioButton::clicked, window, [this] { applyEnabling(); });
    QObject::connect(monthsRadio_, &QRadioButton::clicked, window, [this] { applyEnabling(); });
    applyEnabling();
}

void DatePage::applyEnabling()
{
    const bool inDays = daysRadio_->isChecked();
    daysEdit_->setEnabled(inDays);
    daysSpin_->setEnabled(inDays);
    monthsEdit_->setEnabled(!inDays);
    monthsSpin_->setEnabled(!inDays);
}

bool DatePage::validate()
{
    // The search counts back at most a month of days or a year of months.
    return checkNumber(daysEdit_, 0, 31) && checkNumber(monthsEdit_, 0, 12);
}

void DatePage::commit()
{
    byDays = daysRadio_->isChecked();
    if (auto typed = numberIn(daysEdit_, 31))
        days = static_cast<int>(*typed);
    if (auto typed = numberIn(monthsEdit_, 12))
        months = static_cast<int>(*typed);
    excludeDirs = exclusions_->folders();
}

}  // namespace dw::ui
