#pragma once

#include "engine/search/progress.h"
#include "engine/search/row_sink.h"
#include "engine/search/search_driver.h"
#include "engine/settings/search_settings.h"

#include <QObject>

#include <thread>

namespace dw::ui {

// Runs one search at a time on a worker thread at the nice level that the
// Priority setting asks for, and reports its end on the GUI thread.
class SearchRunner : public QObject {
    Q_OBJECT
public:
    explicit SearchRunner(QObject* parent = nullptr) : QObject(parent) {}
    ~SearchRunner() override;

    bool running() const { return thread_.joinable(); }
    // Starts the search; `progress` and `rows` must outlive the run.
    bool start(const dw::SearchSettings& settings, const dw::SearchRequest& request,
               dw::Progress& progress, dw::RowSink& rows);
    // Asks the running search to stop and waits for it (program exit).
    void cancelAndWait();

    // The nice value of the search thread for a Priority setting (0 low, 1 normal, 2 high).
    static int niceFor(int priority);

Q_SIGNALS:
    void finished(const dw::SearchStatistics& stats);

private:
    std::thread thread_;
    dw::Progress* progress_ = nullptr;
};

}  // namespace dw::ui
