#include "cli/terminal_progress.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <QString>

#include <chrono>
#include <csignal>
#include <cstdio>

namespace dw::cli {

namespace {

Progress* interruptedProgress = nullptr;

void onInterrupt(int)
{
    if (interruptedProgress)
        interruptedProgress->cancel.store(true, std::memory_order_relaxed);
}

}  // namespace

InterruptCancels::InterruptCancels(Progress& progress)
{
    interruptedProgress = &progress;
    std::signal(SIGINT, onInterrupt);
}

InterruptCancels::~InterruptCancels()
{
    std::signal(SIGINT, SIG_DFL);
    interruptedProgress = nullptr;
}

TerminalProgress::TerminalProgress(bool enabled) : enabled_(enabled)
{
    if (enabled_)
        thread_ = std::thread([this] { run(); });
}

TerminalProgress::~TerminalProgress() { finish(); }

void TerminalProgress::finish()
{
    {
        std::lock_guard lock(mutex_);
        if (stopping_)
            return;
        stopping_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable())
        thread_.join();
    if (enabled_)
        std::fputs("\r\033[K", stderr);
}

void TerminalProgress::setPhase(const std::string& text)
{
    std::lock_guard lock(mutex_);
    phase_ = text;
}

void TerminalProgress::setFolder(const std::string& text)
{
    if (!enabled_)
        return;
    std::lock_guard lock(mutex_);
    folder_ = text;
}

void TerminalProgress::setAnimation(bool on)
{
    std::lock_guard lock(mutex_);
    animation_ = on;
}

void TerminalProgress::rangeChanged(std::uint64_t, std::uint64_t upper)
{
    std::lock_guard lock(mutex_);
    upper_ = upper;
}

void TerminalProgress::run()
{
    std::unique_lock lock(mutex_);
    while (!stopping_) {
        draw();
        wake_.wait_for(lock, std::chrono::milliseconds(200));
    }
}

void TerminalProgress::draw()
{
    struct winsize size {};
    int columns = ::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0 ? size.ws_col : 80;
    static const char* spinner = "|/-\\";
    std::string line = phase_;
    if (animation_) {
        line += ' ';
        line += spinner[frame_++ % 4];
    } else if (upper_ > 0) {
        line += ' ' + std::to_string(position.load() * 100 / upper_) + '%';
    }
    QString text = QString::fromStdString(line);
    if (!folder_.empty())
        text += ' ' + QString::fromUtf8(folder_.data(), static_cast<qsizetype>(folder_.size()));
    if (text.size() >= columns)
        text = text.left(columns - 1);  // one line, never wrapped
    std::fprintf(stderr, "\r\033[K%s", text.toUtf8().constData());
    std::fflush(stderr);
}

}  // namespace dw::cli
