#include "ui/settings/general_pages.h"

#include "ui/controls/colour_picker.h"
#include "ui/controls/ids.h"
#include "ui/controls/ui_texts.h"
#include "ui/controls/widget_ids.h"
#include "ui/settings/page_parts.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QSlider>
#include <QStyle>
#include <QVBoxLayout>

#include <iterator>

namespace dw::ui {

namespace {

struct ColourRow {
    int id;
    const char* label;
    Colour ListAppearance::*field;
};

const ColourRow kColourRows[] = {
    {id::BkColorPicker, text::BkColorLabel, &ListAppearance::bkColor},
    {id::DefaultColorPicker, text::DefaultColorLabel, &ListAppearance::defaultColor},
    {id::DuplicatesColorPicker, text::DuplicatesColorLabel, &ListAppearance::duplicatesColor},
    {id::SysColorPicker, text::SysColorLabel, &ListAppearance::sysColor},
    {id::HiddenColorPicker, text::HiddenColorLabel, &ListAppearance::hiddenColor},
    {id::ReadOnlyColorPicker, text::ReadOnlyColorLabel, &ListAppearance::readOnlyColor},
    {id::ArchiveColorPicker, text::ArchiveColorLabel, &ListAppearance::archiveColor},
    {id::CompressedColorPicker, text::CompressedColorLabel, &ListAppearance::compressedColor},
};

// The colour a new user has for the field, as the settings give it when missing.
Colour defaultFor(Colour ListAppearance::*field, const SystemColours& system)
{
    if (field == &ListAppearance::bkColor)
        return system.window;
    if (field == &ListAppearance::defaultColor || field == &ListAppearance::hiddenColor ||
        field == &ListAppearance::archiveColor)
        return system.windowText;
    return ListAppearance{}.*field;
}

constexpr int kPageMargin = 6;

QVBoxLayout* pageColumn(QWidget* window)
{
    auto* column = new QVBoxLayout(window);
    column->setContentsMargins(kPageMargin, kPageMargin, kPageMargin, kPageMargin);
    return column;
}

// A multi-line note under a radio button, lined up with the button's text.
QLabel* noteUnder(const char* text, QWidget* parent)
{
    auto* note = new QLabel(text::qs(text), parent);
    const int indent = parent->style()->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth) +
                       parent->style()->pixelMetric(QStyle::PM_RadioButtonLabelSpacing);
    note->setContentsMargins(indent, 0, 0, 0);
    return note;
}

}  // namespace

AppearancePage::AppearancePage() : CSAPrefsSubDlg(id::AppearancePage) {}

void AppearancePage::buildControls(QWidget* window)
{
    QVBoxLayout* column = pageColumn(window);
    auto* group = new QGroupBox(text::qs(text::ListColours), window);
    auto* grid = new QGridLayout(group);
    for (std::size_t i = 0; i < std::size(kColourRows); ++i) {
        const ColourRow& row = kColourRows[i];
        auto* picker = withId(new CColourPicker(group), row.id);
        picker->setColour(appearance.*row.field);
        auto* label = new QLabel(text::qs(row.label), group);
        label->setBuddy(picker);
        grid->addWidget(label, static_cast<int>(i), 0);
        grid->addWidget(picker, static_cast<int>(i), 1);
        pickers_[i] = picker;
    }
    grid->setColumnStretch(2, 1);
    column->addWidget(group);
    autoArrange_ = withId(new QCheckBox(text::qs(text::AutoArrange), window), id::AutoArrangeBox);
    autoArrange_->setChecked(appearance.autoArrange);
    column->addWidget(autoArrange_);
    column->addStretch(1);
}

void AppearancePage::commit()
{
    for (std::size_t i = 0; i < std::size(kColourRows); ++i) {
        const Colour chosen = pickers_[i]->colour();
        appearance.*kColourRows[i].field =
            chosen == kDefaultColour ? defaultFor(kColourRows[i].field, system) : chosen;
    }
    appearance.autoArrange = autoArrange_->isChecked();
}

GeneralPage::GeneralPage() : CSAPrefsSubDlg(id::GeneralPage) {}

int GeneralPage::widthNeeded(const QFont& font) const
{
    // The system-delete check box carries the longest line of all pages.
    QCheckBox probe(text::qs(text::SystemDelete));
    probe.setFont(font);
    return probe.sizeHint().width() + 2 * kPageMargin;
}

void GeneralPage::buildControls(QWidget* window)
{
    QVBoxLayout* column = pageColumn(window);
    systemDelete_ = withId(new QCheckBox(text::qs(text::SystemDelete), window), id::SystemDeleteBox);
    systemDelete_->setChecked(useSystemDiskOperations);
    recycleBin_ = withId(new QCheckBox(text::qs(text::RecycleBin), window), id::RecycleBinBox);
    recycleBin_->setChecked(removeToRecycleBin);
    column->addWidget(systemDelete_);
    column->addWidget(recycleBin_);
    column->addSpacing(8);
    column->addWidget(new QLabel(text::qs(text::Priority), window));
    priority_ = addThreeWaySlider(column, id::PrioritySlider, priority, text::PriorityLow, text::PriorityNormal,
                                  text::PriorityHigh);
    column->addSpacing(8);

    auto* group = new QGroupBox(text::qs(text::SecurityGroup), window);
    auto* levels = new QVBoxLayout(group);
    high_ = withId(new QRadioButton(text::qs(text::SecurityHigh), group), id::SecurityHighRadio);
    auto* low = withId(new QRadioButton(text::qs(text::SecurityLow), group), id::SecurityLowRadio);
    levels->addWidget(high_);
    levels->addWidget(noteUnder(text::SecurityHighNote, group));
    levels->addWidget(low);
    levels->addWidget(noteUnder(text::SecurityLowNote, group));
    (securityLevel == 1 ? high_ : low)->setChecked(true);
    column->addWidget(group);
    column->addStretch(1);

    auto applyEnabling = [this] { recycleBin_->setEnabled(systemDelete_->isChecked()); };
    QObject::connect(systemDelete_, &QCheckBox::clicked, window, applyEnabling);
    applyEnabling();
}

void GeneralPage::commit()
{
    useSystemDiskOperations = systemDelete_->isChecked();
    removeToRecycleBin = recycleBin_->isChecked();
    priority = priority_->value();
    securityLevel = high_->isChecked() ? 1 : 0;
}

}  // namespace dw::ui
