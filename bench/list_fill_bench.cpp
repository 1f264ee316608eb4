// Feeds rows (200 000 unless a count is given: dw_list_fill_bench 1000000)
// into a results page the way a search does (a worker thread adding rows to
// the queued sink) and sorts them by every column. Prints how long the rows
// took to show, the longest time the event loop was blocked meanwhile, each
// sort's time and the peak memory of the process; the memory a row costs is
// the difference between the peaks of a run with N rows and one with 0.
#include "engine/results/type_description.h"
#include "platform/volumes.h"
#include "ui/results/queued_row_sink.h"
#include "ui/results/results_list_ctrl.h"
#include "ui/results/results_model.h"
#include "ui/results/results_page.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <sys/resource.h>
#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <cstdlib>
#include <thread>

namespace {

long peakKiB()
{
    rusage usage {};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Processor time of the whole process (the worker is idle while sorting).
double cpuSeconds()
{
    timespec now {};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    dw::useRussianLocale();
    const int rows = argc > 1 ? std::atoi(argv[1]) : 200000;

    dw::ui::ResultsPage page(dw::ResultKind::BySize);
    page.resize(1000, 700);
    page.show();
    auto* model = page.list()->resultsModel();
    std::array<dw::ui::ResultsModel*, dw::kResultKindCount> models{};
    models[static_cast<int>(dw::ResultKind::BySize)] = model;
    dw::ui::QueuedRowSink sink(models);

    struct stat st {};
    ::stat("/tmp", &st);
    dw::platform::volumeOf(st.st_dev, "/tmp");  // the walk has met the volume before rows arrive

    // The longest gap between ticks of a 5 ms timer is the longest stall.
    QElapsedTimer sinceTick;
    qint64 longestStall = 0;
    QTimer ticker;
    ticker.setInterval(5);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        longestStall = std::max(longestStall, sinceTick.restart());
    });
    sinceTick.start();
    ticker.start();

    QElapsedTimer fill;
    fill.start();
    std::thread worker([&] {
        static const char* kinds[] = {".txt", ".jpg", ".odt", ".tar.gz", ".cpp", ""};
        dw::FileEntry entry;
        entry.device = st.st_dev;
        entry.attributes = 0x20;
        auto folder = std::make_shared<const std::string>("/tmp/бенчмарк/папка с файлами/");
        entry.folder = folder;
        for (int i = 0; i < rows; ++i) {
            // 64-bit products: a million rows overflow an int here.
            const auto n = static_cast<std::uint64_t>(i);
            entry.name = "файл " + std::to_string(n * 7919 % static_cast<std::uint64_t>(rows)) + kinds[i % 6];
            entry.size = n * 104729 % 50'000'000;
            entry.lastAccessNs = static_cast<std::int64_t>(1'600'000'000 + n * 3571 % 60'000'000) * 1'000'000'000;
            sink.addRow(dw::ResultKind::BySize, entry, 0, 0, 0);
        }
    });
    while (model->rowCount() < rows)
        app.processEvents(QEventLoop::AllEvents, 50);
    worker.join();
    const qint64 fillMs = fill.elapsed();
    std::printf("rows: %d\nall rows shown after: %lld ms\nlongest event-loop stall while filling: %lld ms\n", rows,
                static_cast<long long>(fillMs), static_cast<long long>(longestStall));
    std::printf("peak memory after filling: %ld KiB\n", peakKiB());

    for (int column = 0; column < 6; ++column) {
        for (bool ascending : {true, false}) {
            QElapsedTimer sort;
            sort.start();
            const double cpuBefore = cpuSeconds();
            model->sortRows(column, ascending);
            app.processEvents();
            // The processor time is what a loaded machine does not distort.
            std::printf("sort column %d %s: %lld ms (processor %.0f ms, peak memory %ld KiB)\n", column,
                        ascending ? "ascending " : "descending", static_cast<long long>(sort.elapsed()),
                        (cpuSeconds() - cpuBefore) * 1000, peakKiB());
        }
    }
    std::printf("peak memory: %ld KiB\n", peakKiB());
    return 0;
}
