#include "ui/search/statistics_dialog.h"

#include "ui/controls/ids.h"
#include "ui/controls/ui_texts.h"
#include "ui/controls/widget_ids.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace dw::ui {

StatisticsDialog::StatisticsDialog(const dw::SearchStatistics& stats, QWidget* parent) : QDialog(parent)
{
    withId(this, id::StatisticsDialog);
    setWindowTitle(text::qs(text::Statistics));
    auto* form = new QFormLayout;
    auto field = [&](int fieldId, const char* label, const std::string& value) {
        auto* edit = withId(new QLineEdit(QString::fromStdString(value), this), fieldId);
        edit->setReadOnly(true);
        // The line holds a tab between count and size; show it as spaces.
        edit->setText(edit->text().replace(QLatin1Char('\t'), QStringLiteral("   ")));
        edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(edit->text()) + 24);
        form->addRow(text::qs(label), edit);
    };
    auto line = [&](dw::ResultKind kind) {
        auto k = static_cast<std::size_t>(kind);
        return dw::statisticsLine(stats.rows[k], stats.sizeOnDisk[k]);
    };
    field(id::StatDuplicates, text::StatDuplicates, line(dw::ResultKind::Duplicates));
    field(id::StatBySize, text::StatBySize, line(dw::ResultKind::BySize));
    field(id::StatByMask, text::StatByMask, line(dw::ResultKind::ByMask));
    field(id::StatOld, text::StatOld, line(dw::ResultKind::Old));
    field(id::StatAnalysed, text::StatAnalysed, dw::analysedText(stats.analysed));
    field(id::StatTime, text::StatTime, dw::elapsedText(static_cast<std::uint64_t>(stats.seconds)));
    // What the search could not look at, or did not show, when there was any.
    if (stats.skipped > 0)
        field(id::StatUnreadable, text::StatUnreadable, std::to_string(stats.skipped));
    if (stats.protectedLeftOut > 0)
        field(id::StatProtected, text::StatProtected, std::to_string(stats.protectedLeftOut));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    withId(buttons->button(QDialogButtonBox::Ok), id::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

}  // namespace dw::ui
