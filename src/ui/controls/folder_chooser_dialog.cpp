#include "ui/controls/folder_chooser_dialog.h"

#include "ui/controls/anchor_layout.h"
#include "ui/controls/dialog_units.h"
#include "ui/controls/ids.h"
#include "ui/controls/ui_texts.h"
#include "ui/controls/widget_ids.h"
#include "ui/search/scope_tree.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>

#include <sys/stat.h>

#include <algorithm>

namespace dw::ui {

namespace {

// The folder a typed text names, ending with '/': "~" is the home folder and a
// relative path starts there, since the program has no current folder the
// user could know of.
QString typedFolder(const QString& text)
{
    QString path = text.trimmed();
    if (path == QLatin1String("~") || path.startsWith(QLatin1String("~/")))
        path = QDir::homePath() + path.mid(1);
    else if (!path.startsWith(QLatin1Char('/')))
        path = QDir::homePath() + QLatin1Char('/') + path;
    path = QDir::cleanPath(path);
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    return path;
}

// A folder or a link to one.
bool isFolder(const QString& path)
{
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

FolderChooserDialog::FolderChooserDialog(SettingsStore& recentStore, QWidget* parent)
    : QDialog(parent), store_(recentStore)
{
    withId(this, id::FolderChooserDialog);
    setWindowTitle(text::qs(text::FolderChooserCaption));
    setWindowFlag(Qt::WindowMaximizeButtonHint);

    tree_ = withId(new ScopeTree(ScopeTree::Checks::Hidden, this), id::FolderTree);
    combo_ = withId(new QComboBox(this), id::FolderCombo);
    combo_->setEditable(true);
    combo_->setInsertPolicy(QComboBox::NoInsert);
    // Inline completion would silently turn a typed folder into a longer
    // listed one that OK then accepts (or creates).
    combo_->setCompleter(nullptr);
    combo_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    okButton_ = withId(new QPushButton(text::qs(text::Ok), this), id::Ok);
    cancelButton_ = withId(new QPushButton(text::qs(text::Cancel), this), id::Cancel);
    okButton_->setDefault(true);
    okButton_->setEnabled(false);

    connect(okButton_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancelButton_, &QPushButton::clicked, this, &QDialog::reject);
    connect(tree_, &QTreeWidget::itemSelectionChanged, this, &FolderChooserDialog::onTreeSelection);
    connect(combo_, &QComboBox::activated, this, &FolderChooserDialog::onHistoryChosen);
    connect(combo_, &QComboBox::editTextChanged, this,
            [this](const QString& text) { okButton_->setEnabled(!text.trimmed().isEmpty()); });

    placeControls();
    anchors_ = new AnchorLayout(this);
    anchors_->add(tree_, AnchorLayout::All);
    anchors_->add(combo_, AnchorLayout::Left | AnchorLayout::Right | AnchorLayout::Bottom);
    // OK stays beside "Отмена"; left where it was, a taller window would push
    // the path field over it.
    anchors_->add(okButton_, AnchorLayout::Right | AnchorLayout::Bottom);
    anchors_->add(cancelButton_, AnchorLayout::Right | AnchorLayout::Bottom);
    setMinimumSize(size());
}

void FolderChooserDialog::placeControls()
{
    const DialogUnits du(font());
    const int margin = du.x(7);
    const int buttonWidth = std::max({du.x(50), okButton_->sizeHint().width(), cancelButton_->sizeHint().width()});
    const int buttonHeight = std::max(du.y(14), okButton_->sizeHint().height());
    const int comboHeight = combo_->sizeHint().height();
    const QSize client = du.size(220, 200);
    const int width = client.width() - 2 * margin;

    const int buttonTop = client.height() - margin - buttonHeight;
    const int comboTop = buttonTop - du.y(6) - comboHeight;
    tree_->setGeometry(margin, du.y(7), width, comboTop - du.y(4) - du.y(7));
    combo_->setGeometry(margin, comboTop, width, comboHeight);
    cancelButton_->setGeometry(client.width() - margin - buttonWidth, buttonTop, buttonWidth, buttonHeight);
    okButton_->setGeometry(cancelButton_->x() - du.x(4) - buttonWidth, buttonTop, buttonWidth, buttonHeight);
    resize(client);
}

void FolderChooserDialog::setVisible(bool visible)
{
    if (visible && !isVisible()) {
        tree_->fill(treeRoot_);
        history_.load(store_);
        combo_->clear();
        for (const std::string& folder : history_.folders())
            combo_->addItem(QFile::decodeName(folder.c_str()));
        combo_->setCurrentIndex(-1);
        combo_->setEditText(initialPath_);
        // Selecting it in the tree shows the deepest folder of it that exists.
        if (!initialPath_.isEmpty())
            tree_->checkPath(initialPath_);
        tree_->setFocus();
    }
    QDialog::setVisible(visible);
}

void FolderChooserDialog::onTreeSelection()
{
    if (followingCombo_)
        return;
    const QString path = tree_->selectedPath();
    if (!path.isEmpty())
        combo_->setEditText(path);
}

void FolderChooserDialog::onHistoryChosen(int index)
{
    const QString path = combo_->itemText(index);
    if (path.isEmpty())
        return;
    followingCombo_ = true;
    tree_->checkPath(path);
    followingCombo_ = false;
}

void FolderChooserDialog::accept()
{
    const QString typed = combo_->currentText();
    if (typed.trimmed().isEmpty())
        return;
    const QString folder = typedFolder(typed);
    // After No the folder is accepted as it is; the caller finds it missing.
    if (!isFolder(folder) && askToCreate() && !createMissing(folder))
        return;
    resultPath_ = folder;
    history_.remember(QFile::encodeName(folder).toStdString());
    history_.save(store_);
    QDialog::accept();
}

bool FolderChooserDialog::askToCreate()
{
    QMessageBox box(QMessageBox::Question, text::qs(text::ProgramName), text::qs(text::CreateFolderQuestion),
                    QMessageBox::Yes | QMessageBox::No, this);
    box.button(QMessageBox::Yes)->setText(text::qs(text::YesButton));
    box.button(QMessageBox::No)->setText(text::qs(text::NoButton));
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

bool FolderChooserDialog::createMissing(const QString& folder)
{
    // Every level below the root, from the top down: "/a/", "/a/b/", ...
    for (qsizetype slash = folder.indexOf(QLatin1Char('/'), 1); slash != -1;
         slash = folder.indexOf(QLatin1Char('/'), slash + 1)) {
        const QString level = folder.left(slash + 1);
        if (isFolder(level))
            continue;
        if (::mkdir(QFile::encodeName(level).constData(), 0777) != 0) {
            QMessageBox::critical(this, text::qs(text::ProgramName), text::qs(text::CreateFolderFailed) + level);
            return false;
        }
    }
    return true;
}

}  // namespace dw::ui
