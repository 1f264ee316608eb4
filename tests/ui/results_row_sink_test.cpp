#include "platform/file_status.h"
#include "support/temp_tree.h"
#include "ui/results/queued_row_sink.h"
#include "ui/results/results_model.h"

#include <QEventLoop>
#include <QTimer>
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

using dw::ResultKind;
using dw::ui::QueuedRowSink;
using dw::ui::ResultsModel;

dw::FileEntry entryFor(const std::string& path)
{
    auto status = dw::platform::statPath(path);
    dw::FileEntry entry;
    entry.setPath(path);
    entry.size = status->size;
    entry.device = status->device;
    entry.attributes = status->attributes;
    return entry;
}

// Runs the event loop until `done` holds or 20 s pass.
bool spinUntil(const std::function<bool()>& done)
{
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    poll.start(5);
    QTimer::singleShot(20000, &loop, &QEventLoop::quit);
    loop.exec();
    return done();
}

class QueuedRowSinkTest : public ::testing::Test {
protected:
    dwtest::TempTree tree;
    ResultsModel byMask {ResultKind::ByMask};
    ResultsModel bySize {ResultKind::BySize};
    QueuedRowSink sink {{&byMask, &bySize, nullptr, nullptr}};
};

TEST_F(QueuedRowSinkTest, RowsFromAWorkerArriveInFewBatchesInOrder)
{
    std::vector<dw::FileEntry> entries;
    for (int i = 0; i < 50; ++i)
        entries.push_back(entryFor(tree.writeSized("файл" + std::to_string(i), i * 700u, i)));
    dw::ResultRow stale;
    stale.path = "/from/the/last/run";
    byMask.appendRows({stale});
    std::vector<ResultKind> started;
    QObject::connect(&sink, &QueuedRowSink::finderStartedOn,
                     [&](ResultKind kind) { started.push_back(kind); });

    constexpr int kRows = 6000;
    std::atomic<bool> finished {false};
    std::uint64_t workerCount = 0;
    std::uint64_t workerSize = 0;
    std::thread worker([&] {
        sink.clearRows(ResultKind::ByMask);
        sink.finderStarted(ResultKind::ByMask);
        for (int i = 0; i < kRows; ++i)
            sink.addRow(ResultKind::ByMask, entries[i % entries.size()], 0, 0, 0);
        sink.finderStarted(ResultKind::BySize);
        sink.addRow(ResultKind::BySize, entries[1], 0, 0, 0);
        sink.clearRows(ResultKind::BySize);  // drops what was queued before it
        sink.addRow(ResultKind::BySize, entries[3], 0, 0, 0);
        sink.addRow(ResultKind::Old, entries[4], 0, 0, 0);
        workerCount = sink.rowCount(ResultKind::ByMask);
        workerSize = sink.totalSizeOnDisk(ResultKind::ByMask);
        finished = true;
    });
    const bool done = spinUntil([&] { return finished.load(); });
    worker.join();
    ASSERT_TRUE(done);
    sink.flush();

    ASSERT_EQ(byMask.rowCount(), kRows);
    EXPECT_EQ(byMask.list().row(kRows - 1).path, entries[(kRows - 1) % entries.size()].path());
    EXPECT_EQ(workerCount, static_cast<std::uint64_t>(kRows));
    EXPECT_EQ(workerSize, byMask.list().totalSizeOnDisk());
    EXPECT_LE(sink.deliveries(), kRows / 50) << "batches, never one event per row";
    ASSERT_EQ(bySize.rowCount(), 1);
    EXPECT_EQ(bySize.list().row(0).path, entries[3].path());
    EXPECT_EQ(sink.rowCount(ResultKind::Old), 1u) << "counted even without a view";
    EXPECT_EQ(started, (std::vector<ResultKind> {ResultKind::ByMask, ResultKind::BySize}));
}

TEST_F(QueuedRowSinkTest, ALastRowDoesNotWaitForTheNextOne)
{
    const dw::FileEntry entry = entryFor(tree.write("одинокий.txt", "x"));
    std::atomic<bool> release {false};
    std::thread worker([&] {
        sink.addRow(ResultKind::BySize, entry, 0, 0, 0);
        sink.addRow(ResultKind::BySize, entry, 0, 0, 0);
        // The finder is busy for a long time now, and nobody calls flush().
        while (!release)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
    });
    EXPECT_TRUE(spinUntil([this] { return bySize.rowCount() == 2; }));
    release = true;
    worker.join();
}

TEST_F(QueuedRowSinkTest, ABacklogArrivesInBoundedSlicesInOrderAndFlushTakesItAll)
{
    const dw::FileEntry first = entryFor(tree.write("первый.txt", "1"));
    const dw::FileEntry second = entryFor(tree.write("второй.txt", "22"));
    constexpr int kRows = 50'000;  // more than one delivery inserts
    std::vector<int> inserted;
    QObject::connect(&byMask, &QAbstractItemModel::rowsInserted,
                     [&](const QModelIndex&, int from, int to) {
                         inserted.push_back(to - from + 1);
                     });
    std::thread worker([&] {
        for (int i = 0; i < kRows; ++i)
            sink.addRow(ResultKind::ByMask, i % 2 ? second : first, 0, 0, 0);
        sink.finderStarted(ResultKind::BySize);
        sink.addRow(ResultKind::BySize, second, 0, 0, 0);
    });
    worker.join();  // everything waits in the queue now
    bool sizeStarted = false;
    QObject::connect(&sink, &QueuedRowSink::finderStartedOn,
                     [&](ResultKind kind) { sizeStarted = kind == ResultKind::BySize; });
    ASSERT_TRUE(spinUntil([&] { return byMask.rowCount() > 0; }));
    EXPECT_LT(byMask.rowCount(), kRows) << "the first delivery takes a slice, not all";
    EXPECT_FALSE(sizeStarted) << "what came after the rows waits for them";
    sink.flush();
    ASSERT_EQ(byMask.rowCount(), kRows);
    EXPECT_TRUE(sizeStarted);
    EXPECT_EQ(bySize.rowCount(), 1);
    for (int i : {0, 1, kRows / 2, kRows - 1})
        EXPECT_EQ(byMask.list().row(static_cast<std::size_t>(i)).path,
                  (i % 2 ? second : first).path()) << i;
    for (int count : inserted)
        EXPECT_LE(count, 16'384);
}

}  // namespace
