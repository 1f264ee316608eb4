#include "ui/search/progress_dialog.h"

#include "engine/texts.h"
#include "ui/controls/dialog_units.h"
#include "ui/controls/ids.h"
#include "ui/controls/ui_texts.h"
#include "ui/controls/widget_ids.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace dw::ui {

// Forwards the worker's calls to the window on its own thread.
class ProgressDialog::WorkerSide : public dw::Progress {
public:
    explicit WorkerSide(ProgressDialog* dialog) : dialog_(dialog) {}

    void setTitle(const std::string& text) override
    {
        post([d = dialog_, t = QString::fromStdString(text)] { d->setWindowTitle(t); });
    }
    void setPhase(const std::string& text) override
    {
        post([d = dialog_, t = QString::fromStdString(text)] { d->setPhase(t); });
    }
    void setFolder(const std::string& text) override
    {
        post([d = dialog_, t = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()))] {
            d->setFolder(t);
        });
    }
    void setAnimation(bool on) override
    {
        post([d = dialog_, on] { d->setAnimation(on); });
    }

protected:
    void rangeChanged(std::uint64_t lower, std::uint64_t upper) override
    {
        post([d = dialog_, lower, upper] { d->setRange(lower, upper); });
    }

private:
    template <typename F>
    void post(F&& call)
    {
        QMetaObject::invokeMethod(dialog_, std::forward<F>(call), Qt::AutoConnection);
    }
    ProgressDialog* dialog_;
};

ProgressDialog::ProgressDialog(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowMinimizeButtonHint),
      worker_(std::make_unique<WorkerSide>(this)), owner_(owner)
{
    withId(this, id::ProgressDialog);
    setWindowTitle(QString::fromUtf8(dw::text::Searching));
    setModal(false);
    DialogUnits du(font());

    phase_ = withId(new QLabel(this), id::PhaseText);
    folder_ = withId(new QLabel(this), id::FolderText);
    folder_->setMinimumWidth(du.x(220));
    folder_->setTextFormat(Qt::PlainText);
    phase_->setTextFormat(Qt::PlainText);
    bar_ = withId(new QProgressBar(this), id::ProgressBar);
    bar_->setTextVisible(false);
    bar_->setRange(0, 100);
    cancel_ = withId(new QPushButton(text::qs(text::Cancel), this), id::Cancel);
    background_ = withId(new QPushButton(text::qs(text::Background), this), id::BackgroundButton);
    cancel_->setAutoDefault(false);
    background_->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(background_);
    buttons->addWidget(cancel_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(phase_);
    layout->addWidget(folder_);
    layout->addWidget(bar_);
    layout->addLayout(buttons);

    connect(cancel_, &QPushButton::clicked, this, &ProgressDialog::requestCancel);
    connect(background_, &QPushButton::clicked, this, &ProgressDialog::goBackground);

    timer_ = new QTimer(this);
    timer_->setInterval(100);
    connect(timer_, &QTimer::timeout, this, &ProgressDialog::tick);
    timer_->start();
}

ProgressDialog::~ProgressDialog() = default;

dw::Progress& ProgressDialog::progress() { return *worker_; }

void ProgressDialog::begin(const QString& title)
{
    setWindowTitle(title);
    worker_->position.store(0);
    worker_->cancel.store(false);
    shown_ = 0;
    phase_->clear();
    setFolder(QString());
    if (owner_)
        owner_->setEnabled(false);
    setEnabled(true);  // a child of a disabled owner must stay usable
    show();
    raise();
}

void ProgressDialog::end()
{
    if (owner_)
        owner_->setEnabled(true);
    hide();
}

QString ProgressDialog::phaseText() const { return phase_->text(); }
QString ProgressDialog::folderText() const { return folderFull_; }
int ProgressDialog::barValue() const { return bar_->value(); }

void ProgressDialog::setPhase(const QString& text)
{
    phase_->setText(text);
    Q_EMIT phaseChanged(text);
}

void ProgressDialog::setFolder(const QString& text)
{
    folderFull_ = text;
    // Long paths keep their beginning and their end.
    folder_->setText(folder_->fontMetrics().elidedText(text, Qt::ElideMiddle, folder_->width()));
    folder_->setToolTip(text);
}

void ProgressDialog::setAnimation(bool on)
{
    animating_ = on;
    if (on) {
        bar_->setRange(0, 0);  // Qt's busy indicator
    } else {
        bar_->setRange(0, 1000);
        shown_ = ~quint64(0);
        tick();
    }
}

void ProgressDialog::setRange(quint64 lower, quint64 upper)
{
    lower_ = lower;
    upper_ = std::max(lower, upper);
    shown_ = ~quint64(0);
    tick();
}

void ProgressDialog::tick()
{
    if (animating_)
        return;
    quint64 position = std::clamp<quint64>(worker_->position.load(), lower_, upper_);
    if (position == shown_)
        return;
    shown_ = position;
    // The bar works in thousandths, so 64-bit ranges fit its int range.
    quint64 span = upper_ - lower_;
    bar_->setValue(span == 0 ? 0 : static_cast<int>((position - lower_) * 1000 / span));
}

void ProgressDialog::requestCancel() { worker_->requestCancel(); }

void ProgressDialog::goBackground()
{
    hide();
    if (backgroundHidesOwner_ && owner_)
        owner_->window()->hide();
    Q_EMIT sentToBackground();
}

void ProgressDialog::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
        requestCancel();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return;  // Enter neither cancels nor closes
    default:
        QDialog::keyPressEvent(event);
    }
}

void ProgressDialog::closeEvent(QCloseEvent* event)
{
    // The window stays until the worker ends; closing asks it to stop.
    requestCancel();
    event->ignore();
}

void ProgressDialog::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && isMinimized()) {
        setWindowState(windowState() & ~Qt::WindowMinimized);
        goBackground();
    }
}

}  // namespace dw::ui
