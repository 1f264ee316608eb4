#pragma once

// Descriptor-based helpers shared by the delete and the copy/move code: every
// step below a top path goes through an open folder, so a name swapped for a
// link while we work is never followed.

#include <sys/stat.h>

#include <cstdint>
#include <string>
#include <vector>

namespace dw::tree {

// An owned file descriptor.
class Fd {
public:
    Fd() = default;
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() { reset(); }
    Fd(Fd&& other) noexcept : fd_(other.release()) {}
    Fd& operator=(Fd&& other) noexcept
    {
        if (this != &other) {
            reset();
            fd_ = other.release();
        }
        return *this;
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    int release()
    {
        int fd = fd_;
        fd_ = -1;
        return fd;
    }
    void reset();

private:
    int fd_ = -1;
};

// One name in a folder as lstat() saw it.
struct Entry {
    std::string name;
    struct stat st;
};

// Reads every entry of the open folder `folderFd` except "." and "..".
// False when the folder cannot be listed; entries that vanish are left out.
bool readEntries(int folderFd, std::vector<Entry>& entries);

// Opens the folder `name` in `parentFd` (AT_FDCWD for a path) without following
// a link; invalid when it is not a folder or cannot be opened.
Fd openFolder(int parentFd, const std::string& name);
// Opens the folder holding `path` (following links in the folder part, which
// the user named) as a path handle; `name` gets the last component.
Fd openParent(const std::string& path, std::string& name);

// The mount an entry lives on.
struct MountKey {
    std::uint64_t device = 0;
    std::uint64_t mountId = 0;  // 0 when the kernel does not say
    bool mountRoot = false;
};
// Describes `name` in `folderFd` (the folder itself for ""), not following a link.
bool mountKeyOf(int folderFd, const std::string& name, MountKey& key);
// True when `inner` is a different mount from `outer` or the root of one.
bool crossesMount(const MountKey& outer, const MountKey& inner);

// "folder/name", without doubling a '/'; just the name for an empty folder.
std::string joinPath(const std::string& folder, const std::string& name);

}  // namespace dw::tree
