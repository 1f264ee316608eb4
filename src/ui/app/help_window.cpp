#include "ui/app/help_window.h"

#include "ui/app/app_icon.h"
#include "ui/controls/ui_texts.h"

#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace dw::ui {

namespace {

// A browser that fails does so at once; an exit long after the start is the
// user closing a browser that showed the page.
constexpr qint64 kBrowserFailureWindowMs = 10000;

}  // namespace

HelpWindow::HelpWindow(const QString& file, QWidget* parent)
    : QDialog(parent, Qt::Window), browser_(new QTextBrowser(this))
{
    setWindowIcon(appIcon());
    browser_->setOpenExternalLinks(true);
    if (QFileInfo(file).isReadable()) {
        browser_->setSource(QUrl::fromLocalFile(file));
    } else {
        browser_->setPlainText(text::qs(text::HelpFileMissing).arg(file));
    }
    const QString title = browser_->documentTitle();
    setWindowTitle(title.isEmpty() ? text::qs(text::Help) : title);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setText(text::qs(text::CloseButton));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(browser_);
    layout->addWidget(buttons);
    const int lineHeight = fontMetrics().height();
    resize(lineHeight * 50, lineHeight * 40);
    browser_->setFocus();
}

HelpLauncher::HelpLauncher(QWidget* window) : QObject(window), window_(window) {}

void HelpLauncher::open(const QString& file)
{
    if (helpWindow_) {
        helpWindow_->raise();
        helpWindow_->activateWindow();
        return;
    }
    const QUrl url = QUrl::fromLocalFile(file);
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (opener.isEmpty()) {
        if (!QDesktopServices::openUrl(url))
            showOwnWindow(file);
        return;
    }
    auto* process = new QProcess(this);
    process->setProgram(opener);
    process->setArguments({url.toString()});
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer started;
    started.start();
    connect(process, &QProcess::finished, this,
            [this, process, file, started](int exitCode, QProcess::ExitStatus status) {
                process->deleteLater();
                const bool failed = status != QProcess::NormalExit || exitCode != 0;
                if (failed && started.elapsed() < kBrowserFailureWindowMs)
                    showOwnWindow(file);
            });
    connect(process, &QProcess::errorOccurred, this, [this, process, file](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart)
            return;
        process->deleteLater();
        showOwnWindow(file);
    });
    process->start();
}

void HelpLauncher::showOwnWindow(const QString& file)
{
    if (!helpWindow_) {
        helpWindow_ = new HelpWindow(file, window_);
        helpWindow_->setAttribute(Qt::WA_DeleteOnClose);
    }
    helpWindow_->show();
    helpWindow_->raise();
    helpWindow_->activateWindow();
    Q_EMIT shownInOwnWindow();
}

}  // namespace dw::ui
