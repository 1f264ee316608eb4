#include "platform/safe_path.h"

#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <string>

namespace dw::platform {

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
}

void UniqueFd::reset(int fd) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
}

namespace {

// Calls `visit(component)` for each component of a clean absolute path.
template <typename Visit>
bool forEachComponent(std::string_view path, Visit&& visit) {
    std::size_t pos = 1;
    while (pos < path.size()) {
        std::size_t end = path.find('/', pos);
        if (end == std::string_view::npos) end = path.size();
        if (!visit(path.substr(pos, end - pos))) return false;
        pos = end + 1;
    }
    return true;
}

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

// One openat2() call with RESOLVE_NO_SYMLINKS where the kernel has it.
// Returns -1 with errno set when the kernel refused the path for a reason
// the component walk would find too, and -2 when only the walk can tell
// (no openat2, a seccomp filter, a path longer than PATH_MAX).
int openFolderAtOnce(const std::string& path) {
    struct open_how how {};
    how.flags = static_cast<std::uint64_t>(kFolderFlags);
    how.resolve = RESOLVE_NO_SYMLINKS | RESOLVE_NO_MAGICLINKS;
    long fd = ::syscall(SYS_openat2, AT_FDCWD, path.c_str(), &how, sizeof how);
    if (fd >= 0) return static_cast<int>(fd);
    switch (errno) {
    case ENOSYS: case EPERM: case E2BIG: case EINVAL: case ENAMETOOLONG: case EAGAIN:
        return -2;
    default:
        return -1;
    }
}

}  // namespace

bool isCleanAbsolutePath(std::string_view path) {
    if (path.empty() || path.front() != '/') return false;
    if (path == "/") return true;
    if (path.back() == '/') path.remove_suffix(1);  // a folder's trailing '/'
    if (path.empty() || path.back() == '/') return false;
    return forEachComponent(path, [](std::string_view part) {
        return !part.empty() && part != "." && part != "..";
    });
}

UniqueFd openFolderNoFollow(std::string_view path, int& error) {
    error = 0;
    if (!isCleanAbsolutePath(path)) {
        error = EINVAL;
        return {};
    }
    if (path.size() < PATH_MAX) {
        int fd = openFolderAtOnce(std::string(path));
        if (fd >= 0) return UniqueFd(fd);
        if (fd == -1) {
            error = errno;
            return {};
        }
    }
    UniqueFd current(::open("/", kFolderFlags));
    if (!current.valid()) {
        error = errno;
        return {};
    }
    std::string name;
    bool ok = forEachComponent(path, [&](std::string_view part) {
        if (part.empty()) return true;  // the trailing '/'
        name.assign(part);
        int next = ::openat(current.get(), name.c_str(), kFolderFlags);
        if (next < 0) {
            error = errno;
            return false;
        }
        current.reset(next);
        return true;
    });
    if (!ok) return {};
    return current;
}

ParentAndLeaf openParentNoFollow(std::string_view path) {
    ParentAndLeaf result;
    if (!isCleanAbsolutePath(path)) {
        result.error = EINVAL;
        return result;
    }
    if (path.size() > 1 && path.back() == '/') path.remove_suffix(1);
    std::size_t slash = path.rfind('/');
    if (path == "/" || slash == std::string_view::npos) {
        result.error = EINVAL;  // "/" has no parent to act through
        return result;
    }
    result.parent = openFolderNoFollow(path.substr(0, slash + 1), result.error);
    if (result.parent.valid()) result.leaf.assign(path.substr(slash + 1));
    return result;
}

}  // namespace dw::platform
