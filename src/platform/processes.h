#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

namespace dw::platform {

// What a finished command wrote to its standard output, and how it ended.
struct CapturedRun {
    int exitCode = -1;  // 128 + signal when it was killed
    std::string output;
};

// Runs `argv` (looked up in PATH) with stdin from /dev/null and stderr
// discarded, and waits for it. nullopt when it could not be started.
std::optional<CapturedRun> runAndCapture(const std::vector<std::string>& argv);

// Starts `argv` (looked up in PATH) with the program's own standard streams.
// Returns its process id, or nullopt with `error` set to the errno when the
// program cannot be started (not found, not executable).
std::optional<pid_t> startProcess(const std::vector<std::string>& argv, int& error);

// Reaps `pid` if it has ended, without waiting. Returns its exit code then
// (128 + signal when killed), nullopt while it still runs.
std::optional<int> finishedProcess(pid_t pid);

// Changes the calling thread's nice value by `delta` (negative raises it).
// Returns the previous value when the change was allowed, nullopt otherwise
// (raising needs CAP_SYS_NICE); nothing changes then.
std::optional<int> adjustThreadNice(int delta);
// Puts the calling thread's nice value back to `value`.
void setThreadNice(int value);

}  // namespace dw::platform
