#include "ui/search/search_runner.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace dw::ui {

SearchRunner::~SearchRunner() { cancelAndWait(); }

int SearchRunner::niceFor(int priority)
{
    switch (priority) {
    case 0:
        return 10;
    case 2:
        return 0;
    default:
        return 5;
    }
}

bool SearchRunner::start(const dw::SearchSettings& settings, const dw::SearchRequest& request,
                         dw::Progress& progress, dw::RowSink& rows)
{
    if (running())
        return false;
    progress_ = &progress;
    const int nice = niceFor(settings.priority);
    thread_ = std::thread([this, settings, request, &progress, &rows, nice] {
        // A thread's nice value is its own on Linux: the search never
        // competes with the window above normal priority.
        ::setpriority(PRIO_PROCESS, static_cast<id_t>(::syscall(SYS_gettid)), nice);
        dw::SearchDriver driver(settings, progress, rows);
        dw::SearchStatistics stats = driver.runSearch(request);
        QMetaObject::invokeMethod(
            this,
            [this, stats] {
                if (thread_.joinable())
                    thread_.join();
                Q_EMIT finished(stats);
            },
            Qt::QueuedConnection);
    });
    return true;
}

void SearchRunner::cancelAndWait()
{
    if (!thread_.joinable())
        return;
    if (progress_)
        progress_->requestCancel();
    thread_.join();
}

}  // namespace dw::ui
