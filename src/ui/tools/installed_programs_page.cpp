#include "ui/tools/installed_programs_page.h"

#include "platform/processes.h"
#include "ui/controls/anchor_layout.h"
#include "ui/controls/dialog_units.h"
#include "ui/controls/ids.h"
#include "ui/controls/ui_texts.h"
#include "ui/controls/widget_ids.h"

#include <QApplication>
#include <QEventLoop>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

namespace dw::ui {

namespace {

constexpr int kPageWidth = 345;
constexpr int kPageHeight = 182;

}  // namespace

InstalledProgramsPage::InstalledProgramsPage(QWidget* parent)
    : QWidget(parent), anchors_(new AnchorLayout(this)), lookup_(std::make_unique<SystemOriginLookup>())
{
    withId(this, id::InstalledProgramsPage);
    const DialogUnits du(font());
    resize(du.size(kPageWidth, kPageHeight));

    list_ = withId(new QListWidget(this), id::ToolList);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setGeometry(du.rect(0, 0, kPageWidth, 164));
    anchors_->add(list_, AnchorLayout::All);

    auto* uninstall = withId(new QPushButton(text::qs(text::Uninstall), this), id::UninstallButton);
    auto* removeEntry = withId(new QPushButton(text::qs(text::RemoveEntry), this), id::RemoveEntryButton);
    auto* refreshButton = withId(new QPushButton(text::qs(text::Refresh), this), id::ProgramsRefreshButton);
    int left = 0;
    for (QPushButton* button : {uninstall, removeEntry}) {
        button->setAutoDefault(false);
        const int width = std::max(du.x(75), button->sizeHint().width());
        button->setGeometry(left, du.y(167), width, du.y(14));
        left += width + du.x(4);
        anchors_->add(button, AnchorLayout::Bottom);
    }
    refreshButton->setAutoDefault(false);
    const int refreshWidth = std::max(du.x(60), refreshButton->sizeHint().width());
    refreshButton->setGeometry(du.x(kPageWidth) - refreshWidth, du.y(167), refreshWidth, du.y(14));
    anchors_->add(refreshButton, AnchorLayout::Right | AnchorLayout::Bottom);

    question_ = [this](const QString& text) {
        return QMessageBox::question(window(), text::qs(text::ProgramName), text, QMessageBox::Yes | QMessageBox::No) ==
               QMessageBox::Yes;
    };
    connect(uninstall, &QPushButton::clicked, this, &InstalledProgramsPage::uninstallSelected);
    connect(removeEntry, &QPushButton::clicked, this, &InstalledProgramsPage::removeSelectedEntry);
    connect(refreshButton, &QPushButton::clicked, this, &InstalledProgramsPage::refresh);
}

InstalledProgramsPage::~InstalledProgramsPage() = default;

void InstalledProgramsPage::setOriginLookup(std::unique_ptr<OriginLookup> lookup) { lookup_ = std::move(lookup); }

void InstalledProgramsPage::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // Finding the origins asks the package manager: done when the page is first looked at.
    if (!shown_)
        refresh();
}

const platform::ApplicationFolders& InstalledProgramsPage::folders()
{
    if (!folders_)
        folders_ = platform::ApplicationFolders::fromEnvironment();
    return *folders_;
}

void InstalledProgramsPage::refresh()
{
    shown_ = true;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    programs_ = installedPrograms(folders(), *lookup_);
    list_->clear();
    for (const UninstallEntry& program : programs_) {
        auto* item = new QListWidgetItem(QString::fromStdString(program.displayName), list_);
        item->setToolTip(QString::fromStdString(commandText(program.uninstallCommand)));
    }
    QApplication::restoreOverrideCursor();
}

std::optional<int> InstalledProgramsPage::selectedRow() const
{
    const QList<QListWidgetItem*> selected = list_->selectedItems();
    if (selected.isEmpty())
        return std::nullopt;
    const int row = list_->row(selected.first());
    if (row < 0 || row >= static_cast<int>(programs_.size()))
        return std::nullopt;
    return row;
}

void InstalledProgramsPage::dropRow(int row)
{
    delete list_->takeItem(row);
    programs_.erase(programs_.begin() + row);
}

void InstalledProgramsPage::waitFor(pid_t pid)
{
    QEventLoop loop;
    QTimer poll;
    connect(&poll, &QTimer::timeout, &loop, [&] {
        if (platform::finishedProcess(pid))
            loop.quit();
    });
    poll.start(50);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

void InstalledProgramsPage::uninstallSelected()
{
    const std::optional<int> row = selectedRow();
    if (!row || waiting_)
        return;
    const UninstallEntry program = programs_[static_cast<std::size_t>(*row)];
    const QString name = QString::fromStdString(program.displayName);
    // The package managers run without asking (there is no terminal to answer
    // them), so the question is ours.
    const QString command = QString::fromStdString(commandText(program.uninstallCommand));
    if (!question_(text::qs(text::UninstallQuestion).arg(name, command)))
        return;
    int error = 0;
    const std::optional<pid_t> pid = platform::startProcess(program.uninstallCommand, error);
    if (!pid) {
        if (question_(text::qs(text::UninstallFailed).arg(name)) && removeProgramEntry(program.entry, folders()))
            dropRow(*row);
        return;
    }
    waiting_ = true;
    setEnabled(false);
    waitFor(*pid);
    setEnabled(true);
    waiting_ = false;
    // The rows may have been rebuilt meanwhile; find the program again by its id.
    for (std::size_t i = 0; i < programs_.size(); ++i) {
        if (programs_[i].entry.id != program.entry.id)
            continue;
        if (!entryStillListed(program.entry.id, folders()))
            dropRow(static_cast<int>(i));
        break;
    }
}

void InstalledProgramsPage::removeSelectedEntry()
{
    const std::optional<int> row = selectedRow();
    if (!row || waiting_)
        return;
    const UninstallEntry& program = programs_[static_cast<std::size_t>(*row)];
    if (!question_(text::qs(text::RemoveEntryQuestion).arg(QString::fromStdString(program.displayName))))
        return;
    if (removeProgramEntry(program.entry, folders()))
        dropRow(*row);
}

}  // namespace dw::ui
