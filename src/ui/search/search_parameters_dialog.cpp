#include "ui/search/search_parameters_dialog.h"

#include "ui/controls/anchor_layout.h"
#include "ui/controls/dialog_units.h"
#include "ui/controls/ids.h"
#include "ui/controls/ui_texts.h"
#include "ui/controls/widget_ids.h"
#include "ui/search/scope_tree.h"

#include <QCheckBox>
#include <QFile>
#include <QPushButton>

#include <algorithm>
#include <initializer_list>

namespace dw::ui {

namespace {

// The smallest size the window may be dragged to.
constexpr QSize kMinimumSize(329, 328);

}  // namespace

SearchParametersDialog::SearchParametersDialog(QWidget* parent) : QDialog(parent)
{
    withId(this, id::SearchParametersDialog);
    setWindowTitle(text::qs(text::SearchParameters));
    setWindowFlag(Qt::WindowMaximizeButtonHint);

    // Created in keyboard focus order.
    tree_ = withId(new ScopeTree(ScopeTree::Checks::Shown, this), id::ScopeTree);
    subfoldersBox_ = addBox(id::SubfoldersBox, text::Subfolders);
    duplicatesBox_ = addBox(id::FindDuplicatesBox, text::FindDuplicates);
    bySizeBox_ = addBox(id::FindBySizeBox, text::FindBySize);
    oldBox_ = addBox(id::FindOldBox, text::FindOld);
    byMaskBox_ = addBox(id::FindByMaskBox, text::FindByMask);
    okButton_ = addButton(id::Ok, text::Ok);
    preferencesButton_ = addButton(id::PreferencesButton, text::Preferences);
    cancelButton_ = addButton(id::Cancel, text::Cancel);
    okButton_->setDefault(true);
    preferencesButton_->setEnabled(false);
    connect(okButton_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancelButton_, &QPushButton::clicked, this, &QDialog::reject);
    connect(preferencesButton_, &QPushButton::clicked, this, &SearchParametersDialog::preferencesRequested);

    placeControls();
    anchors_ = new AnchorLayout(this);
    anchors_->add(tree_, AnchorLayout::All);
    for (QWidget* bottom : std::initializer_list<QWidget*>{subfoldersBox_, duplicatesBox_, bySizeBox_, oldBox_,
                                                            byMaskBox_, okButton_, preferencesButton_})
        anchors_->add(bottom, AnchorLayout::Bottom);
    anchors_->add(cancelButton_, AnchorLayout::Bottom | AnchorLayout::Right);
    // Never smaller than the laid-out size, where every text is whole.
    setMinimumSize(size().expandedTo(kMinimumSize));
}

QCheckBox* SearchParametersDialog::addBox(int id, const char* label)
{
    return withId(new QCheckBox(text::qs(label), this), id);
}

QPushButton* SearchParametersDialog::addButton(int id, const char* label)
{
    return withId(new QPushButton(text::qs(label), this), id);
}

void SearchParametersDialog::placeControls()
{
    const DialogUnits du(font());
    // At its place in dialog units, never smaller than its text needs.
    auto place = [&](QWidget* widget, int left, int top, int width, int height) {
        const QSize hint = widget->sizeHint();
        widget->setGeometry(left, du.y(top), std::max(du.x(width), hint.width()),
                            std::max(du.y(height), hint.height()));
    };
    auto rightOf = [](const QWidget* widget) { return widget->x() + widget->width(); };
    const int gap = du.x(4);

    tree_->setGeometry(du.rect(0, 0, 213, 120));
    place(subfoldersBox_, du.x(7), 123, 0, 10);
    place(duplicatesBox_, du.x(7), 139, 0, 10);
    place(bySizeBox_, du.x(7), 151, 0, 10);
    // The second column moves right when a first-column text is longer than planned.
    const int secondColumn = std::max(du.x(99), std::max(rightOf(duplicatesBox_), rightOf(bySizeBox_)) + gap);
    place(oldBox_, secondColumn, 139, 0, 10);
    place(byMaskBox_, secondColumn, 151, 0, 10);
    place(okButton_, du.x(5), 168, 50, 14);
    place(preferencesButton_, std::max(du.x(59), rightOf(okButton_) + gap), 168, 50, 14);
    place(cancelButton_, du.x(159), 168, 50, 14);

    // Widen the window when a text needs more room than the layout gave it;
    // the tree and "Отмена" take the extra width as a resize would give it.
    QSize client = du.size(214, 185);
    int extra = std::max(rightOf(subfoldersBox_), std::max(rightOf(oldBox_), rightOf(byMaskBox_))) + du.x(7) -
                client.width();
    extra = std::max(extra, rightOf(preferencesButton_) + gap - cancelButton_->x());
    extra = std::max({0, extra, rightOf(cancelButton_) + du.x(5) - client.width()});
    client.rwidth() += extra;
    tree_->resize(tree_->width() + extra, tree_->height());
    cancelButton_->move(cancelButton_->x() + extra, cancelButton_->y());
    resize(client);
}

void SearchParametersDialog::setPreferencesEnabled(bool enabled)
{
    preferencesButton_->setEnabled(enabled);
}

void SearchParametersDialog::setVisible(bool visible)
{
    if (visible && !isVisible()) {
        subfolders_ = true;
        subfoldersBox_->setChecked(true);
        duplicatesBox_->setChecked(duplicates_);
        bySizeBox_->setChecked(bySize_);
        byMaskBox_->setChecked(byMask_);
        oldBox_->setChecked(old_);
        tree_->fill(treeRoot_);
        QStringList folders;
        for (const std::string& folder : scope_)
            folders.push_back(QFile::decodeName(folder.c_str()));
        tree_->checkPaths(folders);
        tree_->setFocus();
    }
    QDialog::setVisible(visible);
}

void SearchParametersDialog::accept()
{
    duplicates_ = duplicatesBox_->isChecked();
    bySize_ = bySizeBox_->isChecked();
    byMask_ = byMaskBox_->isChecked();
    old_ = oldBox_->isChecked();
    subfolders_ = subfoldersBox_->isChecked();
    scope_.clear();
    for (const QString& folder : tree_->collectScope())
        scope_.push_back(QFile::encodeName(folder).toStdString());
    QDialog::accept();
}

dw::SearchRequest SearchParametersDialog::request() const
{
    dw::SearchRequest request;
    request.scope = scope_;
    request.duplicates = duplicates_;
    request.bySize = bySize_;
    request.byMask = byMask_;
    request.old = old_;
    request.subfolders = subfolders_;
    return request;
}

}  // namespace dw::ui
