#pragma once

#include "engine/results/session_file.h"
#include "engine/settings/search_settings.h"

#include <QObject>
#include <QPointer>

#include <array>
#include <functional>
#include <thread>

class QTabWidget;

namespace dw::ui {

class ProgressDialog;
class ResultsPage;

// "Сохранить результаты" and "Загрузить результаты": the file dialog, then
// the session file written or read on a worker thread behind the progress
// window, the tab following the list being processed.
class SessionCommands : public QObject {
    Q_OBJECT
public:
    using Pages = std::array<ResultsPage*, dw::kResultKindCount>;
    // Asks for a file name ("" = cancelled); `save` tells which direction.
    using FileAsker = std::function<QString(bool save)>;
    // Shows an error text to the user.
    using ErrorReporter = std::function<void(const QString& text)>;

    SessionCommands(const Pages& pages, QTabWidget* tabs, ProgressDialog* progress, QWidget* window);
    ~SessionCommands() override;

    void setFileAsker(FileAsker asker) { askFile_ = std::move(asker); }
    void setErrorReporter(ErrorReporter reporter) { reportError_ = std::move(reporter); }
    void setAppearance(const dw::ListAppearance& appearance) { appearance_ = appearance; }

    bool running() const { return worker_.joinable(); }
    // Stops a running save or load and waits for it (program exit).
    void cancelAndWait();
    void save();
    void load();

Q_SIGNALS:
    void finished(dw::SessionStatus status);

private:
    void showPage(dw::ResultKind kind);
    void done(dw::SessionStatus status);

    Pages pages_;
    QPointer<QTabWidget> tabs_;
    ProgressDialog* progress_;
    QPointer<QWidget> window_;
    FileAsker askFile_;
    ErrorReporter reportError_;
    dw::ListAppearance appearance_;
    std::thread worker_;
};

}  // namespace dw::ui
