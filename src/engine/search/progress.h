#pragma once

#include <atomic>
#include <cstdint>
#include <string>

namespace dw {

// What a long job reports while it runs. Workers add to `position` and read
// `cancel`; the consumer (a progress window, a terminal line, a test) reads the
// position on its own schedule, so stepping costs one atomic add.
class Progress {
public:
    virtual ~Progress() = default;

    // The window title (the job's name).
    virtual void setTitle(const std::string& text) { (void)text; }
    // First line (the phase); the GUI also puts it in the tray tip.
    virtual void setPhase(const std::string& text) { (void)text; }
    // Second line (the folder being walked); "" clears it.
    virtual void setFolder(const std::string& text) { (void)text; }
    // Indeterminate display while on, the position otherwise.
    virtual void setAnimation(bool on) { (void)on; }
    virtual void show() {}
    virtual void hide() {}

    // Sets the bar's range and puts the position back to 0.
    void setRange(std::uint64_t lower, std::uint64_t upper)
    {
        position.store(0, std::memory_order_relaxed);
        rangeChanged(lower, upper);
    }
    void setPosition(std::uint64_t value) { position.store(value, std::memory_order_relaxed); }
    void step(std::uint64_t n = 1) { position.fetch_add(n, std::memory_order_relaxed); }
    bool cancelled() const { return cancel.load(std::memory_order_relaxed); }
    void requestCancel() { cancel.store(true, std::memory_order_relaxed); }

    std::atomic<std::uint64_t> position{0};
    std::atomic<bool> cancel{false};

protected:
    virtual void rangeChanged(std::uint64_t lower, std::uint64_t upper)
    {
        (void)lower;
        (void)upper;
    }
};

}  // namespace dw
