#pragma once

#include "engine/results/session_file.h"
#include "engine/settings/search_settings.h"

#include <QObject>
#include <QPointer>
#include <QStringList>

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
    // Asks whether the lists a damaged file held whole (their tab titles)
    // replace the current ones; false keeps the current lists.
    using WholeListsAsker = std::function<bool(const QStringList& titles)>;

    SessionCommands(const Pages& pages, QTabWidget* tabs, ProgressDialog* progress, QWidget* window);
    ~SessionCommands() override;

    void setFileAsker(FileAsker asker) { askFile_ = std::move(asker); }
    void setErrorReporter(ErrorReporter reporter) { reportError_ = std::move(reporter); }
    void setWholeListsAsker(WholeListsAsker asker) { askWholeLists_ = std::move(asker); }
    void setAppearance(const dw::ListAppearance& appearance) { appearance_ = appearance; }

    bool running() const { return worker_.joinable(); }
    // Stops a running save or load and waits for it (program exit).
    void cancelAndWait();
    void save();
    void load();
    // Loads `path` without asking for a file (a session file the program was started with).
    void loadFile(const QString& path);
    // The session file a command line names (`diskwright FILE.dwx`, as a
    // file manager runs it): the first argument after the program that is
    // not an option, or anything after "--"; a file:// address is taken as
    // its local path. Absolute; "" when none is named.
    static QString fileFromArguments(const QStringList& arguments);

Q_SIGNALS:
    void finished(dw::SessionStatus status);

private:
    using Staging = std::array<dw::ResultList, dw::kResultKindCount>;
    using KindFlags = std::array<bool, dw::kResultKindCount>;

    void showPage(dw::ResultKind kind);
    void done(dw::SessionStatus status);
    // Hands the lists the file gave over to the views; a damaged file changes
    // none of them unless the user takes the lists it held whole.
    void finishLoad(dw::SessionStatus status, Staging& staging, const KindFlags& replaced,
                    const KindFlags& whole);
    void adopt(Staging& staging, const KindFlags& kinds);
    bool askWholeLists(const QStringList& titles);

    Pages pages_;
    QPointer<QTabWidget> tabs_;
    ProgressDialog* progress_;
    QPointer<QWidget> window_;
    FileAsker askFile_;
    ErrorReporter reportError_;
    WholeListsAsker askWholeLists_;
    dw::ListAppearance appearance_;
    std::thread worker_;
};

}  // namespace dw::ui
