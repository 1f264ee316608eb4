#include "ui/search/pumped_progress_dialog.h"

#include "ui/controls/dialog_units.h"
#include "ui/controls/ids.h"
#include "ui/controls/widget_ids.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace dw::ui {

class PumpedProgressDialog::EngineSide : public dw::Progress {
public:
    explicit EngineSide(PumpedProgressDialog* dialog) : dialog_(dialog) {}
    void setPhase(const std::string& text) override { show(text); }
    void setFolder(const std::string& text) override { show(text); }

protected:
    void rangeChanged(std::uint64_t lower, std::uint64_t upper) override
    {
        dialog_->setRange(static_cast<int>(std::min<std::uint64_t>(lower, INT32_MAX)),
                          static_cast<int>(std::min<std::uint64_t>(upper, INT32_MAX)));
    }

private:
    void show(const std::string& text)
    {
        dialog_->setText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
        dialog_->bar_->setValue(static_cast<int>(std::min<std::uint64_t>(position.load(), INT32_MAX)));
        if (dialog_->pump())
            requestCancel();
    }
    PumpedProgressDialog* dialog_;
};

PumpedProgressDialog::PumpedProgressDialog(QWidget* owner, const QString& title)
    : QDialog(owner, Qt::Dialog | Qt::WindowTitleHint), engine_(std::make_unique<EngineSide>(this)),
      owner_(owner)
{
    withId(this, id::PumpedProgressDialog);
    setWindowTitle(title);
    DialogUnits du(font());
    text_ = withId(new QLabel(this), id::PumpedText);
    text_->setTextFormat(Qt::PlainText);
    text_->setMinimumWidth(du.x(200));
    bar_ = withId(new QProgressBar(this), id::ProgressBar);
    bar_->setTextVisible(false);
    bar_->setRange(0, 100);
    auto* cancel = withId(new QPushButton(QStringLiteral("Cancel"), this), id::Cancel);
    cancel->setAutoDefault(false);
    connect(cancel, &QPushButton::clicked, this, [this] { cancelRequested_ = true; });
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text_);
    layout->addWidget(bar_);
    layout->addLayout(buttons);
    if (owner_)
        owner_->setEnabled(false);
    setEnabled(true);
    show();
    pump();
}

PumpedProgressDialog::~PumpedProgressDialog()
{
    if (owner_)
        owner_->setEnabled(true);
}

dw::Progress& PumpedProgressDialog::progress() { return *engine_; }

void PumpedProgressDialog::setRange(int lower, int upper)
{
    bar_->setRange(lower, upper);
    bar_->setValue(lower);
}

void PumpedProgressDialog::setText(const QString& text)
{
    text_->setText(text_->fontMetrics().elidedText(text, Qt::ElideMiddle, text_->width()));
}

void PumpedProgressDialog::stepPumped()
{
    pump();
    bar_->setValue(bar_->value() + 1);
}

bool PumpedProgressDialog::pump()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    bool cancelled = cancelRequested_;
    cancelRequested_ = false;
    return cancelled;
}

void PumpedProgressDialog::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        cancelRequested_ = true;
        return;
    }
    QDialog::keyPressEvent(event);
}

void PumpedProgressDialog::closeEvent(QCloseEvent* event)
{
    cancelRequested_ = true;
    event->ignore();
}

}  // namespace dw::ui
