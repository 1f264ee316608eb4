#pragma once

#include "engine/search/search_driver.h"
#include "engine/settings/search_settings.h"

#include <QWidget>

#include <array>
#include <memory>

class QMenu;
class QTabWidget;
class QToolButton;

namespace dw::ui {

class AnchorLayout;
class ProgressDialog;
class QueuedRowSink;
class ResultsModel;
class ResultsPage;
class SearchEndNotice;
class SearchRunner;
class SessionCommands;
class TrayIcon;

// The program's window: five tool buttons over seven tabs, the tray icon,
// the shared progress window and the road of a search.
class MainDialog : public QWidget {
    Q_OBJECT
public:
    explicit MainDialog(QWidget* parent = nullptr);
    ~MainDialog() override;

    const dw::SearchSettings& settings() const { return settings_; }
    dw::SearchSettings& settings() { return settings_; }
    const std::vector<std::string>& scope() const { return request_.scope; }
    const dw::SearchRequest& request() const { return request_; }
    ResultsPage* page(dw::ResultKind kind) const;
    ProgressDialog* progressDialog() const { return progress_; }
    TrayIcon* trayIcon() const { return tray_; }
    SessionCommands* sessions() const { return sessions_; }
    QMenu* searchMenu() const { return searchMenu_; }
    QTabWidget* tabs() const { return tabs_; }
    bool searchRunning() const;

    // "Новый поиск": the parameters dialog, then the search.
    void newSearch();
    // Starts a search over the request's scope and kinds (tests and the dialog).
    void startSearch(const dw::SearchRequest& request);
    // "Открыть" from the tray.
    void restoreFromTray();
    // "Параметры": the preferences over `owner` (this window when null); on
    // OK saved and shown in the result lists at once.
    void showPreferences(QWidget* owner = nullptr);
    // The Russian help page "Помощь" opens.
    static QString helpFile();

Q_SIGNALS:
    // A search ended and its statistics are about to be shown.
    void searchFinished(const dw::SearchStatistics& stats);

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildToolButtons();
    void buildTabs();
    void onSearchFinished(const dw::SearchStatistics& stats);
    void showAbout();
    void showHelp();
    void quit();

    dw::SearchSettings settings_;
    dw::SearchRequest request_;
    QTabWidget* tabs_ = nullptr;
    QMenu* searchMenu_ = nullptr;
    std::array<ResultsPage*, dw::kResultKindCount> pages_{};
    ProgressDialog* progress_ = nullptr;
    TrayIcon* tray_ = nullptr;
    SearchRunner* runner_ = nullptr;
    QueuedRowSink* sink_ = nullptr;
    SessionCommands* sessions_ = nullptr;
    SearchEndNotice* notice_ = nullptr;
    AnchorLayout* anchors_ = nullptr;
    bool quitting_ = false;
};

}  // namespace dw::ui
