#pragma once

// Real mounts made for one test, and a child process with a home of its own
// (GIO reads HOME and XDG_DATA_HOME once per process).

#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>

namespace dwtest {

// A file system mounted for one test and unmounted when it ends. Declare it
// after the TempTree holding its mount point, so it goes first.
class ScopedMount {
public:
    ~ScopedMount()
    {
        if (::umount2(at_.c_str(), 0) != 0)
            (void)::umount2(at_.c_str(), MNT_DETACH);
    }
    ScopedMount(const ScopedMount&) = delete;
    ScopedMount& operator=(const ScopedMount&) = delete;

    // A small tmpfs whose root belongs to `uid`; null when mounting is not allowed here.
    static std::unique_ptr<ScopedMount> tmpfs(const std::string& at, uid_t uid)
    {
        const std::string id = std::to_string(uid);
        const std::string options = "size=8m,mode=0755,uid=" + id + ",gid=" + id;
        if (::mount("dwtest", at.c_str(), "tmpfs", 0, options.c_str()) != 0)
            return nullptr;
        return std::unique_ptr<ScopedMount>(new ScopedMount(at));
    }
    static std::unique_ptr<ScopedMount> bind(const std::string& from, const std::string& at)
    {
        if (::mount(from.c_str(), at.c_str(), nullptr, MS_BIND, nullptr) != 0)
            return nullptr;
        return std::unique_ptr<ScopedMount>(new ScopedMount(at));
    }
    // A fresh btrfs in the image file `image`, mounted through a loop device.
    // Null (with the reason) when the tools, loop devices or mount are missing.
    static std::unique_ptr<ScopedMount> btrfs(const std::string& image, const std::string& at,
                                              std::string& why)
    {
        if (::geteuid() != 0) {
            why = "mounting a loop image needs root";
            return nullptr;
        }
        if (std::system("command -v mkfs.btrfs >/dev/null 2>&1") != 0) {
            why = "mkfs.btrfs is not installed (btrfs-progs)";
            return nullptr;
        }
        const std::string make = "truncate -s 128M '" + image + "' && mkfs.btrfs -q -f '" + image +
                                 "' >/dev/null 2>&1";
        if (std::system(make.c_str()) != 0) {
            why = "mkfs.btrfs failed";
            return nullptr;
        }
        const std::string mountIt = "mount -o loop '" + image + "' '" + at + "' >/dev/null 2>&1";
        if (std::system(mountIt.c_str()) != 0) {
            why = "mount -o loop failed (no loop devices or no btrfs in this kernel)";
            return nullptr;
        }
        return std::unique_ptr<ScopedMount>(new ScopedMount(at));
    }

private:
    explicit ScopedMount(std::string at) : at_(std::move(at)) {}
    std::string at_;
};

// Runs `body` in a child process with HOME set to `home` and XDG_DATA_HOME to
// `dataHome` (unset when empty), the current folder `cwd` (unchanged when
// empty). Returns "" when `body` returned "", else its complaint.
inline std::string inChildWithHome(const std::string& home, const std::string& dataHome,
                                   const std::string& cwd, const std::function<std::string()>& body)
{
    int pipeFds[2];
    if (::pipe(pipeFds) != 0)
        return "pipe failed";
    pid_t child = ::fork();
    if (child < 0)
        return "fork failed";
    if (child == 0) {
        ::close(pipeFds[0]);
        ::setenv("HOME", home.c_str(), 1);
        if (dataHome.empty())
            ::unsetenv("XDG_DATA_HOME");
        else
            ::setenv("XDG_DATA_HOME", dataHome.c_str(), 1);
        std::string complaint;
        if (!cwd.empty() && ::chdir(cwd.c_str()) != 0)
            complaint = "chdir failed";
        else
            complaint = body();
        if (::write(pipeFds[1], complaint.data(), complaint.size()) < 0)
            ::_exit(2);
        ::_exit(0);
    }
    ::close(pipeFds[1]);
    std::string complaint;
    char buffer[512];
    for (ssize_t n; (n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;)
        complaint.append(buffer, static_cast<std::size_t>(n));
    ::close(pipeFds[0]);
    int status = 0;
    if (::waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return "the child process died; " + complaint;
    return complaint;
}

inline bool exists(const std::string& path)
{
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

}  // namespace dwtest
