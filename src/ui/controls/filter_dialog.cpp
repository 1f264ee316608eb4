#include "ui/controls/filter_dialog.h"

#include "ui/controls/dialog_units.h"
#include "ui/controls/folder_chooser_dialog.h"
#include "ui/controls/ids.h"
#include "ui/controls/ui_texts.h"
#include "ui/controls/widget_ids.h"

#include <QCheckBox>
#include <QFile>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>

namespace dw::ui {

FilterDialog::FilterDialog(SettingsStore& recentStore, QWidget* parent) : QDialog(parent), store_(recentStore)
{
    withId(this, id::FilterDialog);
    setWindowTitle(text::qs(text::FilterCaption));

    // Created in keyboard focus order.
    mark_ = addRadio(id::FilterMark, text::FilterMark);
    clear_ = addRadio(id::FilterClear, text::FilterClear);
    remove_ = addRadio(id::FilterRemove, text::FilterRemove);
    removeExcept_ = addRadio(id::FilterRemoveExcept, text::FilterRemoveExcept);
    byFolder_ = withId(new QCheckBox(text::qs(text::FilterByFolder), this), id::FilterByFolder);
    folderEdit_ = withId(new QLineEdit(this), id::FilterFolderEdit);
    chooseButton_ = withId(new QPushButton(text::qs(text::FilterChooseFolder), this), id::FilterChooseFolder);
    byMask_ = withId(new QCheckBox(text::qs(text::FilterByMask), this), id::FilterByMask);
    maskEdit_ = withId(new QLineEdit(this), id::FilterMaskEdit);
    auto* ok = withId(new QPushButton(text::qs(text::Ok), this), id::Ok);
    auto* cancel = withId(new QPushButton(text::qs(text::Cancel), this), id::Cancel);
    ok->setDefault(true);

    const DialogUnits du(font());
    folderEdit_->setMinimumWidth(du.x(170));
    // Just wide enough for its dots, like the edit's own height.
    chooseButton_->setFixedWidth(std::max(du.x(16), chooseButton_->fontMetrics().horizontalAdvance(
                                                        chooseButton_->text()) + du.x(8)));
    chooseButton_->setAutoDefault(false);

    auto* grid = new QGridLayout(this);
    grid->setColumnMinimumWidth(0, du.x(10));
    grid->setColumnStretch(1, 1);
    int row = 0;
    for (QRadioButton* radio : {mark_, clear_, remove_, removeExcept_})
        grid->addWidget(radio, row++, 0, 1, 3);
    grid->setRowMinimumHeight(row++, du.y(4));
    grid->addWidget(byFolder_, row++, 0, 1, 3);
    grid->addWidget(folderEdit_, row, 1);
    grid->addWidget(chooseButton_, row++, 2);
    grid->addWidget(byMask_, row++, 0, 1, 3);
    grid->addWidget(maskEdit_, row++, 1, 1, 2);
    grid->setRowMinimumHeight(row++, du.y(3));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    grid->addLayout(buttons, row, 0, 1, 3);

    connect(byFolder_, &QCheckBox::toggled, this, &FilterDialog::updateEnabled);
    connect(byMask_, &QCheckBox::toggled, this, &FilterDialog::updateEnabled);
    connect(chooseButton_, &QPushButton::clicked, this, &FilterDialog::chooseFolder);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    setRequest(request_);
    // Wider is useful for long paths; taller only adds empty space.
    setMinimumSize(sizeHint());
    setMaximumHeight(sizeHint().height());
}

QRadioButton* FilterDialog::addRadio(int id, const char* label)
{
    return withId(new QRadioButton(text::qs(label), this), id);
}

void FilterDialog::setRequest(const FilterRequest& request)
{
    request_ = request;
    switch (request.action) {
    case FilterAction::Mark:
        mark_->setChecked(true);
        break;
    case FilterAction::Clear:
        clear_->setChecked(true);
        break;
    case FilterAction::Remove:
        remove_->setChecked(true);
        break;
    case FilterAction::RemoveExcept:
        removeExcept_->setChecked(true);
        break;
    }
    byFolder_->setChecked(request.byFolder);
    folderEdit_->setText(QFile::decodeName(request.folderText.c_str()));
    byMask_->setChecked(request.byMask);
    maskEdit_->setText(QFile::decodeName(request.maskText.c_str()));
    updateEnabled();
}

void FilterDialog::updateEnabled()
{
    folderEdit_->setEnabled(byFolder_->isChecked());
    // Picking a folder only makes sense for the folder condition, like its edit.
    chooseButton_->setEnabled(byFolder_->isChecked());
    maskEdit_->setEnabled(byMask_->isChecked());
}

void FilterDialog::chooseFolder()
{
    FolderChooserDialog chooser(store_, this);
    chooser.setInitialPath(folderEdit_->text());
    if (chooser.exec() == QDialog::Accepted)
        folderEdit_->setText(chooser.resultPath());
}

void FilterDialog::accept()
{
    if (clear_->isChecked())
        request_.action = FilterAction::Clear;
    else if (remove_->isChecked())
        request_.action = FilterAction::Remove;
    else if (removeExcept_->isChecked())
        request_.action = FilterAction::RemoveExcept;
    else
        request_.action = FilterAction::Mark;
    request_.byFolder = byFolder_->isChecked();
    request_.folderText = QFile::encodeName(folderEdit_->text()).toStdString();
    request_.byMask = byMask_->isChecked();
    request_.maskText = QFile::encodeName(maskEdit_->text()).toStdString();
    QDialog::accept();
}

}  // namespace dw::ui
