#include "ui/app/session_commands.h"

#include "engine/texts.h"
#include "ui/results/results_list_ctrl.h"
#include "ui/results/results_model.h"
#include "ui/results/results_page.h"
#include "ui/search/progress_dialog.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QTabWidget>

#include <memory>

namespace dw::ui {

namespace {

QString askSessionFile(QWidget* parent, bool save)
{
    const QString filter = QString::fromUtf8("Сессия Diskwright (*.dwx);;Все файлы (*)");
    QFileDialog dialog(parent, QString(), QString(), filter);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(QStringLiteral("dwx"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
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
    worker_ = std::thread([this, lists, &progress, file = path.toStdString()] {
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
    if (path.isEmpty())
        return;
    // Rows are read into lists of the worker's own and handed to the views
    // afterwards, kind by kind, only for the lists the file replaced.
    auto staging = std::make_shared<std::array<dw::ResultList, dw::kResultKindCount>>();
    auto replaced = std::make_shared<std::array<bool, dw::kResultKindCount>>();
    dw::SessionLists lists{};
    for (std::size_t k = 0; k < lists.size(); ++k) {
        (*staging)[k] = dw::ResultList(static_cast<dw::ResultKind>(k), appearance_);
        lists[k] = &(*staging)[k];
    }
    progress_->begin(QString::fromUtf8(dw::text::LoadingResults));
    dw::Progress& progress = progress_->progress();
    worker_ = std::thread([this, lists, staging, replaced, &progress, file = path.toStdString()] {
        auto shown = [this, replaced](dw::ResultKind kind) {
            (*replaced)[static_cast<std::size_t>(kind)] = true;
            QMetaObject::invokeMethod(this, [this, kind] { showPage(kind); }, Qt::QueuedConnection);
        };
        dw::SessionStatus status = dw::loadSession(file, lists, progress, shown);
        QMetaObject::invokeMethod(
            this,
            [this, status, staging, replaced] {
                for (std::size_t k = 0; k < staging->size(); ++k) {
                    if (!(*replaced)[k])
                        continue;
                    ResultsModel* model = pages_[k]->list()->resultsModel();
                    model->clear();
                    model->appendRows((*staging)[k].takeAllRows());
                }
                done(status);
            },
            Qt::QueuedConnection);
    });
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
