#include "platform/processes.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

extern char** environ;

namespace dw::platform {

namespace {

std::vector<char*> argvPointers(const std::vector<std::string>& argv)
{
    std::vector<char*> pointers;
    pointers.reserve(argv.size() + 1);
    for (const std::string& arg : argv)
        pointers.push_back(const_cast<char*>(arg.c_str()));
    pointers.push_back(nullptr);
    return pointers;
}

int exitCodeOf(int status)
{
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        return 128 + WTERMSIG(status);
    return -1;
}

pid_t currentThreadId() { return static_cast<pid_t>(::syscall(SYS_gettid)); }

}  // namespace

std::optional<CapturedRun> runAndCapture(const std::vector<std::string>& argv)
{
    if (argv.empty())
        return std::nullopt;
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0)
        return std::nullopt;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::vector<char*> args = argvPointers(argv);
    pid_t pid = 0;
    const int started = ::posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    if (started != 0) {
        ::close(pipeFds[0]);
        return std::nullopt;
    }
    CapturedRun run;
    char buffer[8192];
    for (;;) {
        const ssize_t got = ::read(pipeFds[0], buffer, sizeof buffer);
        if (got > 0)
            run.output.append(buffer, static_cast<std::size_t>(got));
        else if (got == 0 || errno != EINTR)
            break;
    }
    ::close(pipeFds[0]);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    run.exitCode = exitCodeOf(status);
    return run;
}

std::optional<pid_t> startProcess(const std::vector<std::string>& argv, int& error)
{
    error = 0;
    if (argv.empty()) {
        error = ENOENT;
        return std::nullopt;
    }
    std::vector<char*> args = argvPointers(argv);
    pid_t pid = 0;
    error = ::posix_spawnp(&pid, args[0], nullptr, nullptr, args.data(), environ);
    if (error != 0)
        return std::nullopt;
    return pid;
}

std::optional<int> finishedProcess(pid_t pid)
{
    int status = 0;
    pid_t got = 0;
    do {
        got = ::waitpid(pid, &status, WNOHANG);
    } while (got < 0 && errno == EINTR);
    if (got == 0)
        return std::nullopt;
    if (got < 0)
        return -1;  // not our child (already reaped): nothing left to wait for
    return exitCodeOf(status);
}

std::optional<int> adjustThreadNice(int delta)
{
    const pid_t self = currentThreadId();
    errno = 0;
    const int previous = ::getpriority(PRIO_PROCESS, static_cast<id_t>(self));
    if (previous == -1 && errno != 0)
        return std::nullopt;
    if (::setpriority(PRIO_PROCESS, static_cast<id_t>(self), previous + delta) != 0)
        return std::nullopt;
    return previous;
}

void setThreadNice(int value)
{
    ::setpriority(PRIO_PROCESS, static_cast<id_t>(currentThreadId()), value);
}

}  // namespace dw::platform
