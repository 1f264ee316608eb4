#include "ui/results/queued_row_sink.h"

#include "ui/results/results_model.h"

#include <QThread>

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
    queue(Step::Clear, kind, {});
}

void QueuedRowSink::addRow(ResultKind kind, const FileEntry& entry, Colour backColour,
                           Colour textColour, std::uint32_t group)
{
    ResultList& builder = builders_[slot(kind)];
    if (!builder.addRow(entry, backColour, textColour, group))
        return;
    counts_[slot(kind)].fetch_add(1, std::memory_order_relaxed);
    sizes_[slot(kind)].fetch_add(builder.totalSizeOnDisk(), std::memory_order_relaxed);
    queue(Step::Rows, kind, builder.takeAllRows());
}

void QueuedRowSink::finderStarted(ResultKind kind) { queue(Step::Started, kind, {}); }

std::uint64_t QueuedRowSink::rowCount(ResultKind kind) const
{
    return counts_[slot(kind)].load(std::memory_order_relaxed);
}

std::uint64_t QueuedRowSink::totalSizeOnDisk(ResultKind kind) const
{
    return sizes_[slot(kind)].load(std::memory_order_relaxed);
}

void QueuedRowSink::queue(Step step, ResultKind kind, std::vector<ResultRow> rows)
{
    bool wakeUp = false;
    {
        std::lock_guard lock(mutex_);
        if (step == Step::Rows && !queued_.empty() && queued_.back().step == Step::Rows &&
            queued_.back().kind == kind) {
            std::vector<ResultRow>& tail = queued_.back().rows;
            for (ResultRow& row : rows)
                tail.push_back(std::move(row));
        } else {
            queued_.push_back(Op {step, kind, std::move(rows)});
        }
        wakeUp = !wakeUpPosted_;
        wakeUpPosted_ = true;
    }
    // One wake-up per delivery, however many rows come in between.
    if (wakeUp)
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
        timer_.stop();
        deliver();
        return;
    }
    QMetaObject::invokeMethod(this, &QueuedRowSink::deliver, Qt::QueuedConnection);
}

void QueuedRowSink::deliver()
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
    for (Op& op : ops) {
        ResultsModel* model = models_[slot(op.kind)];
        switch (op.step) {
        case Step::Clear:
            if (model)
                model->clear();
            break;
        case Step::Rows:
            if (model)
                model->appendRows(std::move(op.rows));
            break;
        case Step::Started:
            Q_EMIT finderStartedOn(op.kind);
            break;
        }
    }
}

}  // namespace dw::ui
