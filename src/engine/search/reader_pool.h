#pragma once

#include "engine/search/folder_cache.h"

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace dw {

// A few threads that keep several file reads in flight at once. The number
// is chosen for the disk's queue, not for the processor: a thread mostly
// waits for its read. Each thread owns two read buffers and a few open
// folders, so the memory and descriptors of a search are the pool's and not
// the tree's.
class ReaderPool {
public:
    // What one thread reads with.
    struct Buffers {
        char* first;
        char* second;
        std::size_t size;
        FolderCache* folders;
    };

    // `threads` of 0 or 1 run every job on the calling thread.
    ReaderPool(std::size_t threads, std::size_t bufferSize);
    ~ReaderPool();
    ReaderPool(const ReaderPool&) = delete;
    ReaderPool& operator=(const ReaderPool&) = delete;

    // Calls work(i, buffers) once for every i in [0, count), handing out the
    // indices in ascending order, and returns when all calls are done. `work`
    // must not throw.
    void forEach(std::size_t count, const std::function<void(std::size_t, Buffers&)>& work);

    std::size_t threads() const { return std::max<std::size_t>(workers_.size(), 1); }

private:
    struct Slot {
        std::unique_ptr<FolderCache> folders;
        Buffers buffers;
    };
    void runWorker(std::size_t slot);
    void drain(Buffers& buffers);

    // All threads' buffers in one mapping of their own: given back to the
    // system whole when the pool ends, instead of staying in the heap.
    char* buffers_ = nullptr;
    std::size_t buffersLength_ = 0;
    std::vector<Slot> slots_;
    std::vector<std::thread> workers_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable finished_;
    const std::function<void(std::size_t, Buffers&)>* work_ = nullptr;
    std::size_t count_ = 0;
    std::atomic<std::size_t> next_{0};  // taken without the lock: a preempted holder stalls no one
    std::size_t busy_ = 0;
    std::size_t generation_ = 0;
    bool stopping_ = false;
};

}  // namespace dw
