#include "ui/results/gui_prompts.h"

#include "engine/texts.h"
#include "ui/controls/folder_chooser_dialog.h"
#include "ui/controls/ui_texts.h"
#include "ui/search/pumped_progress_dialog.h"

#include <QFile>
#include <QMessageBox>
#include <QPushButton>

#include <algorithm>
#include <vector>

namespace dw::ui {

namespace {

struct Button {
    const char* label;
    QMessageBox::ButtonRole role;
};

// A message box with our own buttons; returns the index of the one clicked,
// or `escape` when the box was closed any other way.
int ask(QWidget* parent, QMessageBox::Icon icon, const char* caption, const QString& message,
        std::initializer_list<Button> buttons, int defaultIndex, int escape)
{
    QMessageBox box(icon, QString::fromUtf8(caption), message, QMessageBox::NoButton, parent);
    std::vector<QPushButton*> made;
    for (const Button& button : buttons)
        made.push_back(box.addButton(text::qs(button.label), button.role));
    box.setDefaultButton(made[static_cast<std::size_t>(defaultIndex)]);
    box.setEscapeButton(made[static_cast<std::size_t>(escape)]);
    box.exec();
    auto clicked = std::find(made.begin(), made.end(), box.clickedButton());
    return clicked == made.end() ? escape : static_cast<int>(clicked - made.begin());
}

bool askYesNo(QWidget* parent, QMessageBox::Icon icon, const QString& message, bool yesIsDefault)
{
    return ask(parent, icon, dw::text::DeleteCaption, message,
               {{text::YesButton, QMessageBox::YesRole}, {text::NoButton, QMessageBox::NoRole}},
               yesIsDefault ? 0 : 1, 1) == 0;
}

QString withCount(const char* format, std::size_t count)
{
    return QString::fromUtf8(format).replace(QLatin1String("%d"), QString::number(count));
}

QString withPath(const char* format, const std::string& path)
{
    return QString::fromUtf8(format).replace(QLatin1String("%s"), QFile::decodeName(path.c_str()));
}

}  // namespace

// The engine's progress as a PumpedProgressDialog that exists from show() to
// hide(). The engine steps only an atomic, so the bar catches up whenever a
// text arrives; each text runs the event loop once and brings Cancel back.
class GuiPrompts::PumpedProgress : public dw::Progress {
public:
    explicit PumpedProgress(QWidget* owner) : owner_(owner) {}

    void setTitle(const std::string& text) override { title_ = text; }
    void setPhase(const std::string& text) override
    {
        phase_ = text;
        forward(text);
    }
    void setFolder(const std::string& text) override { forward(text.empty() ? phase_ : text); }
    void show() override
    {
        if (!dialog_)
            dialog_ =
                std::make_unique<PumpedProgressDialog>(owner_, QString::fromStdString(title_));
        setDialogRange();
        forward(phase_);
    }
    void hide() override { dialog_.reset(); }

    PumpedProgressDialog* dialog() const { return dialog_.get(); }

protected:
    void rangeChanged(std::uint64_t lower, std::uint64_t upper) override
    {
        lower_ = lower;
        upper_ = upper;
        setDialogRange();
    }

private:
    void setDialogRange()
    {
        if (dialog_)
            dialog_->progress().setRange(lower_, upper_);
    }
    void forward(const std::string& text)
    {
        if (!dialog_)
            return;
        dw::Progress& shown = dialog_->progress();
        shown.setPosition(position.load(std::memory_order_relaxed));
        shown.setFolder(text);
        if (shown.cancelled()) {
            shown.cancel.store(false, std::memory_order_relaxed);
            requestCancel();
        }
    }

    QWidget* owner_;
    std::unique_ptr<PumpedProgressDialog> dialog_;
    std::string title_;
    std::string phase_;
    std::uint64_t lower_ = 0;
    std::uint64_t upper_ = 0;
};

GuiPrompts::GuiPrompts(QWidget* window, SettingsStore& recentFolders, DeleteStyle style)
    : window_(window), recentFolders_(recentFolders), style_(style)
{
}

GuiPrompts::~GuiPrompts() = default;

PumpedProgressDialog* GuiPrompts::progressWindow() const
{
    return progress_ ? progress_->dialog() : nullptr;
}

QWidget* GuiPrompts::questionParent() const
{
    // The progress window disables the main window, and with it every box
    // the main window would own.
    if (PumpedProgressDialog* open = progressWindow())
        return open;
    return window_;
}

bool GuiPrompts::confirmPermanentDelete(std::size_t count)
{
    const QString message = withCount(dw::text::DeleteConfirm, count);
    if (style_ == DeleteStyle::Own)
        return askYesNo(questionParent(), QMessageBox::Question, message, true);
    // Nothing can be brought back, so Enter keeps the files.
    return ask(questionParent(), QMessageBox::Warning, dw::text::DeleteCaption, message,
               {{text::Delete, QMessageBox::DestructiveRole},
                {text::Cancel, QMessageBox::RejectRole}},
               1, 1) == 0;
}

bool GuiPrompts::confirmMoveToTrash(std::size_t count)
{
    return ask(questionParent(), QMessageBox::Question, dw::text::DeleteCaption,
               withCount(dw::text::TrashConfirm, count)
                   .replace(QLatin1String("%s"), QString::fromUtf8(dw::text::objectsWord(count))),
               {{text::MoveToTrashButton, QMessageBox::AcceptRole},
                {text::Cancel, QMessageBox::RejectRole}},
               0, 1) == 0;
}

bool GuiPrompts::confirmDeleteAllCopies()
{
    return askYesNo(questionParent(), QMessageBox::Warning,
                    QString::fromUtf8(dw::text::DeleteAllCopies), false);
}

OperationPrompts::NoTrash GuiPrompts::askDeleteWithoutTrash(const std::string& path)
{
    static constexpr NoTrash kAnswers[] = {NoTrash::Delete, NoTrash::Skip, NoTrash::DeleteAll,
                                           NoTrash::SkipAll, NoTrash::Cancel};
    const int answer =
        ask(questionParent(), QMessageBox::Warning, dw::text::DeleteCaption,
            withPath(dw::text::NoTrashQuestion, path),
            {{text::Delete, QMessageBox::DestructiveRole},
             {text::SkipButton, QMessageBox::ActionRole},
             {text::DeleteAllButton, QMessageBox::DestructiveRole},
             {text::SkipAllButton, QMessageBox::ActionRole},
             {text::Cancel, QMessageBox::RejectRole}},
            1, 4);
    return kAnswers[answer];
}

OperationPrompts::Conflict GuiPrompts::askReplace(const std::string& source,
                                                  const std::string& target)
{
    (void)source;
    static constexpr Conflict kAnswers[] = {Conflict::Replace, Conflict::Skip, Conflict::ReplaceAll,
                                            Conflict::SkipAll, Conflict::Cancel};
    const char* caption =
        transfer_ == Transfer::Move ? dw::text::MoveCaption : dw::text::CopyCaption;
    // Enter skips: the file already there is never lost by a slip.
    const int answer = ask(questionParent(), QMessageBox::Question, caption,
                           withPath(dw::text::ReplaceQuestion, target),
                           {{text::ReplaceButton, QMessageBox::ActionRole},
                            {text::SkipButton, QMessageBox::ActionRole},
                            {text::ReplaceAllButton, QMessageBox::ActionRole},
                            {text::SkipAllButton, QMessageBox::ActionRole},
                            {text::Cancel, QMessageBox::RejectRole}},
                           1, 4);
    return kAnswers[answer];
}

std::optional<std::string> GuiPrompts::chooseFolder(Transfer transfer)
{
    transfer_ = transfer;
    FolderChooserDialog chooser(recentFolders_, window_);
    if (chooser.exec() != QDialog::Accepted || chooser.resultPath().isEmpty())
        return std::nullopt;
    return QFile::encodeName(chooser.resultPath()).toStdString();
}

dw::Progress& GuiPrompts::progress()
{
    if (!progress_)
        progress_ = std::make_unique<PumpedProgress>(window_);
    return *progress_;
}

}  // namespace dw::ui
