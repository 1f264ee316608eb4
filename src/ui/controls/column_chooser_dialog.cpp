#include "ui/controls/column_chooser_dialog.h"

#include "ui/controls/dialog_units.h"
#include "ui/controls/ids.h"
#include "ui/controls/ui_texts.h"
#include "ui/controls/widget_ids.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

namespace dw::ui {

ColumnChooserDialog::ColumnChooserDialog(std::vector<std::string> titles, QWidget* parent)
    : QDialog(parent), titles_(std::move(titles))
{
    withId(this, id::ColumnChooserDialog);
    setWindowTitle(text::qs(text::ColumnChooserCaption));

    list_ = withId(new QListWidget(this), id::ColumnList);
    for (const std::string& title : titles_) {
        auto* item = new QListWidgetItem(QString::fromStdString(title), list_);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Checked);
    }
    if (list_->count() > 0)
        list_->setCurrentRow(0);
    auto* ok = withId(new QPushButton(text::qs(text::Ok), this), id::Ok);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    // Every row in sight without scrolling.
    const DialogUnits du(font());
    const int rows = std::max(list_->count(), 1);
    list_->setMinimumSize(std::max(du.x(100), list_->sizeHintForColumn(0) + du.x(12)),
                          rows * list_->sizeHintForRow(0) + 2 * list_->frameWidth() + du.y(2));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    layout->addLayout(buttons);
    list_->setFocus();
}

void ColumnChooserDialog::accept()
{
    std::vector<std::string> checked;
    for (int row = 0; row < list_->count(); ++row)
        if (list_->item(row)->checkState() == Qt::Checked)
            checked.push_back(list_->item(row)->text().toStdString());
    titles_ = std::move(checked);
    QDialog::accept();
}

}  // namespace dw::ui
