#pragma once

#include "engine/search/progress.h"

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

namespace dw::cli {

// A one-line progress display on stderr, redrawn five times a second by its
// own thread while stderr is a terminal; silent otherwise.
class TerminalProgress : public Progress {
public:
    explicit TerminalProgress(bool enabled);
    ~TerminalProgress() override;

    void setPhase(const std::string& text) override;
    void setFolder(const std::string& text) override;
    void setAnimation(bool on) override;
    // Stops the display and clears the line.
    void finish();

protected:
    void rangeChanged(std::uint64_t lower, std::uint64_t upper) override;

private:
    void run();
    void draw();

    bool enabled_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;
    std::string phase_, folder_;
    bool animation_ = true;
    std::uint64_t upper_ = 0;
    unsigned frame_ = 0;
    std::thread thread_;
};

// While it lives, Ctrl+C sets `progress`'s cancel flag instead of ending the
// program, so a job stops between two units of work and reports what it did.
class InterruptCancels {
public:
    explicit InterruptCancels(Progress& progress);
    ~InterruptCancels();
    InterruptCancels(const InterruptCancels&) = delete;
    InterruptCancels& operator=(const InterruptCancels&) = delete;
};

}  // namespace dw::cli
