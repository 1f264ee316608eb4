#include "ui/settings/mask_dialog.h"

#include "ui/controls/dialog_units.h"
#include "ui/controls/ids.h"
#include "ui/controls/ui_texts.h"
#include "ui/controls/widget_ids.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace dw::ui {

MaskDialog::MaskDialog(QWidget* parent) : QDialog(parent)
{
    withId(this, id::MaskDialog);
    setWindowTitle(text::qs(text::MaskCaption));
    const DialogUnits du(font());
    auto* column = new QVBoxLayout(this);
    nameEdit_ = withId(new QLineEdit(this), id::MaskNameEdit);
    patternsEdit_ = withId(new QLineEdit(this), id::MaskPatternsEdit);
    auto* nameLabel = new QLabel(text::qs(text::MaskName), this);
    auto* patternsLabel = new QLabel(text::qs(text::MaskPatterns), this);
    nameLabel->setBuddy(nameEdit_);
    patternsLabel->setBuddy(patternsEdit_);
    column->addWidget(nameLabel);
    column->addWidget(nameEdit_);
    column->addWidget(patternsLabel);
    column->addWidget(patternsEdit_);
    column->addSpacing(du.y(4));

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = withId(buttons->addButton(text::qs(text::Ok), QDialogButtonBox::AcceptRole), id::Ok);
    withId(buttons->addButton(text::qs(text::Cancel), QDialogButtonBox::RejectRole), id::Cancel);
    ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &MaskDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &MaskDialog::reject);
    column->addWidget(buttons);
    nameEdit_->setMinimumWidth(du.x(180));
    setFixedSize(sizeHint());
}

void MaskDialog::setVisible(bool visible)
{
    if (visible && !isVisible()) {
        nameEdit_->setText(name_);
        patternsEdit_->setText(patterns_);
        nameEdit_->setFocus();
    }
    QDialog::setVisible(visible);
}

void MaskDialog::accept()
{
    name_ = nameEdit_->text();
    name_.replace(QLatin1Char('\t'), QLatin1Char(' '));
    patterns_ = patternsEdit_->text();
    QDialog::accept();
}

}  // namespace dw::ui
