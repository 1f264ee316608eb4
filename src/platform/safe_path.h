#pragma once

#include <string>
#include <string_view>
#include <utility>

namespace dw::platform {

// Owns one file descriptor and closes it.
class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    UniqueFd(UniqueFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept;
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    ~UniqueFd() { reset(); }

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    int release() { return std::exchange(fd_, -1); }
    void reset(int fd = -1);

private:
    int fd_ = -1;
};

// True when `path` is absolute and names exactly one entry: no empty, "."
// or ".." component. One trailing '/' is allowed (folder paths end so).
bool isCleanAbsolutePath(std::string_view path);

// Opens the folder `path` (clean and absolute) walking from "/" one
// component at a time with O_NOFOLLOW|O_DIRECTORY, so a symbolic link
// anywhere on the way fails instead of being followed. Mount points on the
// way are entered; one openat2(RESOLVE_NO_SYMLINKS) call does it where the
// kernel allows. Works for paths of any length. On failure returns an
// invalid fd and sets `error` to the errno (EINVAL for an unclean path).
UniqueFd openFolderNoFollow(std::string_view path, int& error);

// The folder holding the last component of `path`, opened as above, and
// that component's name. `error` is 0 on success.
struct ParentAndLeaf {
    UniqueFd parent;
    std::string leaf;
    int error = 0;
};
ParentAndLeaf openParentNoFollow(std::string_view path);

}  // namespace dw::platform
