#include "ui/settings/preferences_dialog.h"

#include "ui/controls/dialog_units.h"
#include "ui/controls/ids.h"
#include "ui/controls/ui_texts.h"
#include "ui/controls/widget_ids.h"
#include "ui/settings/preferences_caption.h"
#include "ui/settings/prefs_sub_dlg.h"

#include <QDesktopServices>
#include <QFrame>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLayout>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTreeWidget>
#include <QUrl>

#include <algorithm>

namespace dw::ui {

namespace {

// The page title under the pointer is underlined, as a track-select tree does.
class TrackSelectDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        if (option->state & QStyle::State_MouseOver) {
            option->font.setUnderline(true);
            option->palette.setColor(QPalette::Text, option->palette.color(QPalette::Link));
        }
    }
};

constexpr int kRecordRole = Qt::UserRole;

}  // namespace

PreferencesDialog::PreferencesDialog(QWidget* parent) : QDialog(parent), title_(text::qs(text::PreferencesUntitled))
{
    withId(this, id::PreferencesDialog);
    tree_ = withId(new QTreeWidget(this), id::PrefPageTree);
    tree_->setHeaderHidden(true);
    tree_->setColumnCount(1);
    tree_->setRootIsDecorated(false);
    caption_ = withId(new PreferencesCaption(this), id::PrefCaption);
    pageArea_ = withId(new QFrame(this), id::PrefPageArea);
    static_cast<QFrame*>(pageArea_)->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    okButton_ = withId(new QPushButton(text::qs(text::Ok), this), id::Ok);
    cancelButton_ = withId(new QPushButton(text::qs(text::Cancel), this), id::Cancel);
    helpButton_ = withId(new QPushButton(text::qs(text::Help), this), id::PrefHelpButton);
    okButton_->setDefault(true);
    for (QPushButton* button : {okButton_, cancelButton_, helpButton_})
        button->setAutoDefault(false);

    connect(okButton_, &QPushButton::clicked, this, &PreferencesDialog::accept);
    connect(cancelButton_, &QPushButton::clicked, this, &PreferencesDialog::reject);
    connect(helpButton_, &QPushButton::clicked, this, &PreferencesDialog::openHelp);
    connect(tree_, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* item) { onTreeSelection(item); });
    placeControls();
}

PreferencesDialog::~PreferencesDialog() = default;

void PreferencesDialog::placeControls()
{
    const DialogUnits du(font());
    tree_->setGeometry(du.rect(4, 5, 91, 148));
    caption_->setGeometry(du.rect(98, 5, 249, 12));
    pageArea_->setGeometry(du.rect(98, 18, 249, 209));
    int buttonWidth = du.x(70);
    for (QPushButton* button : {okButton_, cancelButton_, helpButton_})
        buttonWidth = std::max(buttonWidth, button->sizeHint().width());
    const int buttonHeight = std::max(du.y(14), okButton_->sizeHint().height());
    const int buttonLeft = du.x(4) + (du.x(91) - buttonWidth) / 2;
    int top = du.y(172);
    for (QPushButton* button : {okButton_, cancelButton_, helpButton_}) {
        button->setGeometry(buttonLeft, top, buttonWidth, buttonHeight);
        top += std::max(du.y(17), buttonHeight + du.y(3));
    }
    const QSize designed = du.size(350, 234);
    setFixedSize(std::max(designed.width(), pageArea_->geometry().right() + du.x(3)),
                 std::max(designed.height(), top));
}

bool PreferencesDialog::addPage(CSAPrefsSubDlg* page, const QString& title, CSAPrefsSubDlg* parentPage)
{
    if (initialised_ || !page)
        return false;
    records_.push_back({page, title, parentPage});
    return true;
}

QRect PreferencesDialog::pageRect() const
{
    return pageArea_->geometry().adjusted(2, 2, -2, -2);
}

void PreferencesDialog::setVisible(bool visible)
{
    if (visible && !initialised_)
        initialise();
    QDialog::setVisible(visible);
}

void PreferencesDialog::initialise()
{
    initialised_ = true;
    tree_->setMouseTracking(true);
    tree_->viewport()->setAttribute(Qt::WA_Hover);
    tree_->setItemDelegate(new TrackSelectDelegate(tree_));
    setWindowTitle(title_);
    caption_->setConstantText(constantText_);

    const QSignalBlocker quiet(tree_);
    for (std::size_t i = 0; i < records_.size(); ++i) {
        const Record& record = records_[i];
        auto parent = items_.find(record.parent);
        auto* item = parent != items_.end() ? new QTreeWidgetItem(parent->second) : new QTreeWidgetItem(tree_);
        item->setText(0, record.title);
        item->setData(0, kRecordRole, static_cast<int>(i));
        items_[record.page] = item;
    }
    tree_->expandAll();
    int widest = 0;
    for (const Record& record : records_)
        widest = std::max(widest, record.page->widthNeeded(font()));
    growPageArea(std::max(0, widest - pageRect().width()), 0);
    int start = 0;
    for (std::size_t i = 0; i < records_.size(); ++i)
        if (startPage_ && records_[i].page == startPage_)
            start = static_cast<int>(i);
    showPage(start);
}

bool PreferencesDialog::showPage(int index)
{
    caption_->setTitle(QString());
    if (current_ >= 0 && current_ < static_cast<int>(records_.size()))
        if (QWidget* shown = records_[static_cast<std::size_t>(current_)].page->window())
            shown->hide();
    if (index < 0 || index >= static_cast<int>(records_.size()))
        return false;
    const Record& record = records_[static_cast<std::size_t>(index)];
    caption_->setTitle(record.title);
    QWidget* window = record.page->window();
    if (!window)
        window = record.page->create(pageArea_);
    fitPage(window);
    window->show();
    window->setFocus();
    if (QWidget* first = window->nextInFocusChain(); first && window->isAncestorOf(first))
        first->setFocus();
    {
        const QSignalBlocker quiet(tree_);
        tree_->setCurrentItem(items_[record.page]);
    }
    current_ = index;
    return true;
}

void PreferencesDialog::fitPage(QWidget* window)
{
    // A page whose texts need more room than designed widens the whole frame;
    // nothing is ever cut.
    const QSize needed = window->layout() ? window->layout()->minimumSize() : window->minimumSizeHint();
    const QRect room = pageRect();
    growPageArea(std::max(0, needed.width() - room.width()), std::max(0, needed.height() - room.height()));
    window->setGeometry(QRect(QPoint(2, 2), pageRect().size()));
}

void PreferencesDialog::growPageArea(int byX, int byY)
{
    if (byX == 0 && byY == 0)
        return;
    pageArea_->resize(pageArea_->width() + byX, pageArea_->height() + byY);
    caption_->resize(caption_->width() + byX, caption_->height());
    setFixedSize(width() + byX, height() + byY);
}

void PreferencesDialog::onTreeSelection(QTreeWidgetItem* item)
{
    if (!item)
        return;
    const int index = item->data(0, kRecordRole).toInt();
    if (index == current_)
        return;
    // Switched once the tree has finished with its own click.
    QMetaObject::invokeMethod(
        this,
        [this, index] {
            if (index != current_)
                showPage(index);
        },
        Qt::QueuedConnection);
}

void PreferencesDialog::accept()
{
    for (std::size_t i = 0; i < records_.size(); ++i) {
        CSAPrefsSubDlg* page = records_[i].page;
        if (page->window() && !page->validate()) {
            showPage(static_cast<int>(i));
            return;
        }
    }
    for (const Record& record : records_)
        record.page->ok();
    current_ = -1;
    QDialog::accept();
}

void PreferencesDialog::reject()
{
    for (const Record& record : records_)
        record.page->cancel();
    current_ = -1;
    QDialog::reject();
}

void PreferencesDialog::keyPressEvent(QKeyEvent* event)
{
    // Escape never closes the frame: only "Отмена" and the close box do.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void PreferencesDialog::openHelp()
{
    if (!helpFile_.isEmpty())
        QDesktopServices::openUrl(QUrl::fromLocalFile(helpFile_));
}

}  // namespace dw::ui
