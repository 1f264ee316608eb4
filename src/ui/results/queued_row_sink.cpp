#include "ui/results/queued_row_sink.h"

#include "ui/results/results_model.h"

#include <QThread>

#include <limits>

namespace dw::ui {

QueuedRowSink::QueuedRowSink(const std::array<ResultsModel*, kResultKindCount>& models,
                             const ListAppearance& appearance, QObject* parent)
    : QObject(parent), builders_ {ResultList(ResultKind::ByMask, appearance),
                                  ResultList(ResultKind::BySize, appearance),
                                  ResultList(ResultKind::Duplicates, appearance),
                                  ResultList(ResultKind::Old, appearance)}
{
    for (std::size_t i = 0; i < models.size(); ++i)
        models_[i] = models[i];
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &QueuedRowSink::deliver);
    sinceDelivery_.start();
}

QueuedRowSink::~QueuedRowSink() = default;

void QueuedRowSink::setAppearance(const ListAppearance& appearance)
{
    for (ResultList& builder : builders_)
        builder.setAppearance(appearance);
}

void QueuedRowSink::clearRows(ResultKind kind)
{
    builders_[slot(kind)].deleteAllRows();
    counts_[slot(kind)] = 0;
    sizes_[slot(kind)] = 0;
    queue(Step::Clear, kind);
}

void QueuedRowSink::addRow(ResultKind kind, const FileEntry& entry, Colour backColour,
                           Colour textColour, std::uint32_t group)
{
    std::optional<ResultRow> row =
        builders_[slot(kind)].makeRow(entry, backColour, textColour, group);
    if (!row)
        return;
    // The type is looked up here, off the window's thread: painting and
    // sorting by type then only read the number.
    rowTypeText(*row);
    counts_[slot(kind)].fetch_add(1, std::memory_order_relaxed);
    sizes_[slot(kind)].fetch_add(row->sizeOnDisk, std::memory_order_relaxed);
    queueRow(kind, std::move(*row));
}

void QueuedRowSink::finderStarted(ResultKind kind) { queue(Step::Started, kind); }

std::uint64_t QueuedRowSink::rowCount(ResultKind kind) const
{
    return counts_[slot(kind)].load(std::memory_order_relaxed);
}

std::uint64_t QueuedRowSink::totalSizeOnDisk(ResultKind kind) const
{
    return sizes_[slot(kind)].load(std::memory_order_relaxed);
}

void QueuedRowSink::queue(Step step, ResultKind kind)
{
    bool wakeUp = false;
    {
        std::lock_guard lock(mutex_);
        queued_.push_back(Op {step, kind, {}});
        wakeUp = !wakeUpPosted_;
        wakeUpPosted_ = true;
    }
    if (wakeUp)
        wake();
}

void QueuedRowSink::queueRow(ResultKind kind, ResultRow row)
{
    bool wakeUp = false;
    {
        std::lock_guard lock(mutex_);
        if (queued_.empty() || queued_.back().step != Step::Rows ||
            queued_.back().kind != kind || queued_.back().rows.size() >= kRowsPerBatch) {
            // Sized once: growing by doubling would leave holes between the
            // rows' paths that the next batches cannot use.
            queued_.push_back(Op {Step::Rows, kind, {}});
            queued_.back().rows.reserve(kRowsPerBatch);
        }
        queued_.back().rows.push_back(std::move(row));
        wakeUp = !wakeUpPosted_;
        wakeUpPosted_ = true;
    }
    if (wakeUp)
        wake();
}

void QueuedRowSink::wake()
{
    // One wake-up per delivery, however many rows come in between.
    QMetaObject::invokeMethod(this, &QueuedRowSink::schedule, Qt::QueuedConnection);
}

void QueuedRowSink::schedule()
{
    if (timer_.isActive())
        return;
    const qint64 wait = kIntervalMs - sinceDelivery_.elapsed();
    timer_.start(wait > 0 ? static_cast<int>(wait) : 0);
}

void QueuedRowSink::flush()
{
    if (QThread::currentThread() == thread()) {
        deliverUpTo(std::numeric_limits<std::size_t>::max());
        timer_.stop();
        return;
    }
    QMetaObject::invokeMethod(this, &QueuedRowSink::deliver, Qt::QueuedConnection);
}

void QueuedRowSink::deliver() { deliverUpTo(kRowsPerDelivery); }

void QueuedRowSink::deliverUpTo(std::size_t rowBudget)
{
    std::vector<Op> ops;
    {
        std::lock_guard lock(mutex_);
        ops.swap(queued_);
        wakeUpPosted_ = false;
    }
    sinceDelivery_.restart();
    if (ops.empty())
        return;
    ++deliveries_;
    std::size_t delivered = 0;
    std::size_t done = 0;
    for (; done < ops.size(); ++done) {
        Op& op = ops[done];
        // A delivery inserts a bounded number of rows, so the window keeps
        // answering while a fast finder pours them in; the rest follows as
        // soon as the events queued meanwhile have been handled.
        if (op.step == Step::Rows && delivered >= rowBudget)
            break;
        ResultsModel* model = models_[slot(op.kind)];
        switch (op.step) {
        case Step::Clear:
            if (model)
                model->clear();
            break;
        case Step::Rows:
            delivered += op.rows.size();
            if (model)
                model->appendRows(std::move(op.rows));
            break;
        case Step::Started:
            Q_EMIT finderStartedOn(op.kind);
            break;
        }
    }
    if (done == ops.size())
        return;
    {
        std::lock_guard lock(mutex_);
        const auto rest = ops.begin() + static_cast<std::ptrdiff_t>(done);
        queued_.insert(queued_.begin(), std::make_move_iterator(rest),
                       std::make_move_iterator(ops.end()));
    }
    timer_.start(0);
}

}  // namespace dw::ui
