#include "ui/app/session_commands.h"

#include "engine/texts.h"
#include "ui/controls/file_dialog_folder.h"
#include "ui/controls/ui_texts.h"
#include "ui/results/results_list_ctrl.h"
#include "ui/results/results_model.h"
#include "ui/results/results_page.h"
#include "ui/search/progress_dialog.h"

#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QUrl>

#include <memory>

namespace dw::ui {

namespace {

QString askSessionFile(QWidget* parent, bool save)
{
    const QString filter = QString::fromUtf8("Сессия Diskwright (*.dwx);;Все файлы (*)");
    QFileDialog dialog(parent, QString(), fileDialogFolder(), filter);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(QStringLiteral("dwx"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    rememberFileDialogChoice(dialog.selectedFiles().constFirst());
    return dialog.selectedFiles().constFirst();
}

}  // namespace

SessionCommands::SessionCommands(const Pages& pages, QTabWidget* tabs, ProgressDialog* progress, QWidget* window)
    : QObject(window), pages_(pages), tabs_(tabs), progress_(progress), window_(window)
{
    askFile_ = [this](bool save) { return askSessionFile(window_, save); };
    reportError_ = [this](const QString& text) {
        QMessageBox::critical(window_, QString::fromUtf8(dw::text::ProgramName), text);
    };
}

SessionCommands::~SessionCommands() { cancelAndWait(); }

void SessionCommands::cancelAndWait()
{
    if (!worker_.joinable())
        return;
    progress_->progress().requestCancel();
    worker_.join();
}

void SessionCommands::showPage(dw::ResultKind kind)
{
    if (tabs_)
        tabs_->setCurrentWidget(pages_[static_cast<std::size_t>(kind)]);
}

void SessionCommands::save()
{
    if (running())
        return;
    const QString path = askFile_(true);
    if (path.isEmpty())
        return;
    dw::ConstSessionLists lists{};
    for (std::size_t k = 0; k < lists.size(); ++k)
        lists[k] = &pages_[k]->list()->resultsModel()->list();
    progress_->begin(QString::fromUtf8(dw::text::SavingResults));
    dw::Progress& progress = progress_->progress();
    // The window is disabled while the worker reads the lists, so they stay as they are.
    worker_ = std::thread([this, lists, &progress, file = QFile::encodeName(path).toStdString()] {
        auto shown = [this](dw::ResultKind kind) {
            QMetaObject::invokeMethod(this, [this, kind] { showPage(kind); }, Qt::QueuedConnection);
        };
        dw::SessionStatus status = dw::saveSession(file, lists, progress, shown);
        QMetaObject::invokeMethod(this, [this, status] { done(status); }, Qt::QueuedConnection);
    });
}

void SessionCommands::load()
{
    if (running())
        return;
    const QString path = askFile_(false);
    if (!path.isEmpty())
        loadFile(path);
}

void SessionCommands::loadFile(const QString& path)
{
    if (running() || path.isEmpty())
        return;
    if (!QFileInfo::exists(path)) {
        reportError_(text::qs(text::SessionMissing).arg(path));
        Q_EMIT finished(dw::SessionStatus::CannotOpen);
        return;
    }
    // Rows are read into lists of the worker's own and handed to the views
    // afterwards, kind by kind, only for the lists the file replaced.
    struct Job {
        Staging staging;
        KindFlags replaced{};
        KindFlags whole{};
    };
    auto job = std::make_shared<Job>();
    dw::SessionLists lists{};
    for (std::size_t k = 0; k < lists.size(); ++k) {
        job->staging[k] = dw::ResultList(static_cast<dw::ResultKind>(k), appearance_);
        lists[k] = &job->staging[k];
    }
    progress_->begin(QString::fromUtf8(dw::text::LoadingResults));
    dw::Progress& progress = progress_->progress();
    worker_ = std::thread([this, lists, job, &progress, file = QFile::encodeName(path).toStdString()] {
        auto shown = [this, job](dw::ResultKind kind) {
            job->replaced[static_cast<std::size_t>(kind)] = true;
            QMetaObject::invokeMethod(this, [this, kind] { showPage(kind); }, Qt::QueuedConnection);
        };
        auto filled = [job](dw::ResultKind kind) { job->whole[static_cast<std::size_t>(kind)] = true; };
        dw::SessionStatus status = dw::loadSession(file, lists, progress, shown, filled);
        QMetaObject::invokeMethod(
            this, [this, status, job] { finishLoad(status, job->staging, job->replaced, job->whole); },
            Qt::QueuedConnection);
    });
}

QString SessionCommands::fileFromArguments(const QStringList& arguments)
{
    bool optionsEnded = false;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (!optionsEnded && argument == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        if (argument.isEmpty() || (!optionsEnded && argument.startsWith(QLatin1Char('-'))))
            continue;
        const QUrl url(argument);
        const QString path = url.isLocalFile() ? url.toLocalFile() : argument;
        return QFileInfo(path).absoluteFilePath();
    }
    return {};
}

void SessionCommands::adopt(Staging& staging, const KindFlags& kinds)
{
    for (std::size_t k = 0; k < staging.size(); ++k) {
        if (!kinds[k])
            continue;
        ResultsModel* model = pages_[k]->list()->resultsModel();
        model->clear();
        model->appendRows(staging[k].takeAllRows());
    }
}

void SessionCommands::finishLoad(dw::SessionStatus status, Staging& staging,
                                 const KindFlags& replaced, const KindFlags& whole)
{
    if (worker_.joinable())
        worker_.join();
    progress_->end();
    if (status != dw::SessionStatus::Damaged) {
        // A cancel keeps what was read so far, as the lists it reached.
        adopt(staging, replaced);
        // A file that cannot be read is, to the user, a damaged one.
        const char* message = status == dw::SessionStatus::CannotOpen ? dw::text::SessionDamaged
                                                                       : dw::sessionMessage(status);
        if (message && *message)
            reportError_(QString::fromUtf8(message));
        Q_EMIT finished(status);
        return;
    }
    QStringList titles;
    for (dw::ResultKind kind : dw::kSessionOrder) {
        const auto k = static_cast<std::size_t>(kind);
        if (whole[k] && tabs_)
            titles << tabs_->tabText(tabs_->indexOf(pages_[k]));
    }
    if (titles.isEmpty())
        reportError_(QString::fromUtf8(dw::text::SessionDamaged));
    else if (askWholeLists(titles))
        adopt(staging, whole);
    Q_EMIT finished(status);
}

bool SessionCommands::askWholeLists(const QStringList& titles)
{
    if (askWholeLists_)
        return askWholeLists_(titles);
    QStringList quoted;
    for (const QString& title : titles)
        quoted << QStringLiteral("«%1»").arg(title);
    QMessageBox box(QMessageBox::Warning, QString::fromUtf8(dw::text::ProgramName),
                    QString::fromUtf8(dw::text::SessionDamaged), QMessageBox::NoButton, window_);
    box.setInformativeText(text::qs(text::DamagedSessionWholeLists).arg(quoted.join(QStringLiteral(", "))));
    QPushButton* load = box.addButton(text::qs(text::LoadWholeLists), QMessageBox::AcceptRole);
    QPushButton* keep = box.addButton(text::qs(text::KeepCurrentLists), QMessageBox::RejectRole);
    // Enter keeps what the user has: the file is known to be broken.
    box.setDefaultButton(keep);
    box.setEscapeButton(keep);
    box.exec();
    return box.clickedButton() == load;
}

void SessionCommands::done(dw::SessionStatus status)
{
    if (worker_.joinable())
        worker_.join();
    progress_->end();
    const char* message = dw::sessionMessage(status);
    if (message && *message)
        reportError_(QString::fromUtf8(message));
    Q_EMIT finished(status);
}

}  // namespace dw::ui
