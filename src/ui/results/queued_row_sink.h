#pragma once

#include "engine/results/result_list.h"
#include "engine/search/row_sink.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <array>
#include <atomic>
#include <mutex>
#include <vector>

namespace dw::ui {

class ResultsModel;

// The row sink of a search run in a worker thread. The worker builds each
// row itself (the status and size-on-disk work stays off the GUI thread)
// and queues it; the GUI thread takes whatever has queued up at most every
// 100 ms and appends it to the models in one batch per list, so a fast
// finder costs ten deliveries a second, never one event per file; a backlog
// is inserted a few thousand rows at a time so the window stays live. Clears
// and finder starts travel in the same queue, so they keep their order
// with the rows. The sink lives in the GUI thread.
class QueuedRowSink : public QObject, public RowSink {
    Q_OBJECT
public:
    // `models` by ResultKind; rows of a kind without a model are counted and dropped.
    explicit QueuedRowSink(const std::array<ResultsModel*, kResultKindCount>& models,
                           const ListAppearance& appearance = {}, QObject* parent = nullptr);
    ~QueuedRowSink() override;

    // Colours of rows built from now on; call between runs.
    void setAppearance(const ListAppearance& appearance);

    // Worker side.
    void clearRows(ResultKind kind) override;
    void addRow(ResultKind kind, const FileEntry& entry, Colour backColour, Colour textColour,
                std::uint32_t group) override;
    void finderStarted(ResultKind kind) override;
    std::uint64_t rowCount(ResultKind kind) const override;
    std::uint64_t totalSizeOnDisk(ResultKind kind) const override;

    // Delivers everything queued: at once on the GUI thread (call it after
    // the worker has finished), as soon as possible from another thread.
    void flush();

    // How many deliveries have reached the models so far.
    int deliveries() const { return deliveries_; }

Q_SIGNALS:
    // A finder started; the main window shows its page.
    void finderStartedOn(dw::ResultKind kind);

private:
    enum class Step { Clear, Rows, Started };
    struct Op {
        Step step;
        ResultKind kind;
        std::vector<ResultRow> rows;
    };
    static constexpr int kIntervalMs = 100;
    static constexpr std::size_t kRowsPerBatch = 8192;
    static constexpr std::size_t kRowsPerDelivery = 16384;

    static std::size_t slot(ResultKind kind) { return static_cast<std::size_t>(kind); }
    void queue(Step step, ResultKind kind);
    void queueRow(ResultKind kind, ResultRow row);
    void wake();
    void schedule();
    void deliver();
    void deliverUpTo(std::size_t rowBudget);

    std::array<QPointer<ResultsModel>, kResultKindCount> models_;
    // Worker only: one list per kind builds the rows in its colours.
    std::array<ResultList, kResultKindCount> builders_;
    std::array<std::atomic<std::uint64_t>, kResultKindCount> counts_ {};
    std::array<std::atomic<std::uint64_t>, kResultKindCount> sizes_ {};

    std::mutex mutex_;
    std::vector<Op> queued_;     // guarded by mutex_
    bool wakeUpPosted_ = false;  // guarded by mutex_

    // GUI thread only.
    QTimer timer_;
    QElapsedTimer sinceDelivery_;
    int deliveries_ = 0;
};

}  // namespace dw::ui
