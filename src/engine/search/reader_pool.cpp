#include "engine/search/reader_pool.h"

#include <sys/mman.h>

#include <new>

namespace dw {

ReaderPool::ReaderPool(std::size_t threads, std::size_t bufferSize)
{
    const std::size_t count = std::max<std::size_t>(threads, 1);
    buffersLength_ = count * 2 * bufferSize;
    void* mapping = ::mmap(nullptr, buffersLength_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapping == MAP_FAILED)
        throw std::bad_alloc();
    buffers_ = static_cast<char*>(mapping);
    // Everything a worker uses is made here, on the caller's thread: the
    // workers then never call the allocator and get no memory arenas.
    for (std::size_t i = 0; i < count; ++i) {
        char* first = buffers_ + 2 * i * bufferSize;
        auto folders = std::make_unique<FolderCache>();
        FolderCache* cache = folders.get();
        slots_.push_back({std::move(folders), {first, first + bufferSize, bufferSize, cache}});
    }
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
    ::munmap(buffers_, buffersLength_);
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
