#include "engine/search/reader_pool.h"

namespace dw {

ReaderPool::Slot ReaderPool::makeSlot(std::size_t bufferSize)
{
    Slot slot;
    // Allocated here, on the caller's thread: the workers then never touch
    // the allocator and get no memory arenas of their own.
    slot.first.reset(new char[bufferSize]);
    slot.second.reset(new char[bufferSize]);
    slot.folders = std::make_unique<FolderCache>();
    slot.buffers = {slot.first.get(), slot.second.get(), bufferSize, slot.folders.get()};
    return slot;
}

ReaderPool::ReaderPool(std::size_t threads, std::size_t bufferSize)
{
    const std::size_t count = std::max<std::size_t>(threads, 1);
    for (std::size_t i = 0; i < count; ++i)
        slots_.push_back(makeSlot(bufferSize));
    if (threads > 1) {
        for (std::size_t i = 0; i < threads; ++i)
            workers_.emplace_back([this, i] { runWorker(i); });
    }
}

ReaderPool::~ReaderPool()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    for (std::thread& worker : workers_)
        worker.join();
}

void ReaderPool::drain(Buffers& buffers)
{
    for (std::size_t index = next_.fetch_add(1); index < count_; index = next_.fetch_add(1))
        (*work_)(index, buffers);
}

void ReaderPool::forEach(std::size_t count, const std::function<void(std::size_t, Buffers&)>& work)
{
    if (count == 0)
        return;
    if (workers_.empty()) {
        for (std::size_t i = 0; i < count; ++i)
            work(i, slots_.front().buffers);
        return;
    }
    std::unique_lock lock(mutex_);
    work_ = &work;
    count_ = count;
    next_ = 0;
    busy_ = workers_.size();
    ++generation_;
    wake_.notify_all();
    finished_.wait(lock, [this] { return busy_ == 0; });
    work_ = nullptr;
}

void ReaderPool::runWorker(std::size_t slot)
{
    std::size_t seen = 0;
    for (;;) {
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [&] { return stopping_ || generation_ != seen; });
            if (stopping_)
                return;
            seen = generation_;
        }
        drain(slots_[slot].buffers);
        std::lock_guard lock(mutex_);
        if (--busy_ == 0)
            finished_.notify_one();
    }
}

}  // namespace dw
