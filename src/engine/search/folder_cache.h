#pragma once

#include "engine/search/file_entry.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace dw {

// The few folders a reader thread opened last, kept open so that files in
// them are opened by name, without resolving the folder's path again. Files
// of one folder tend to lie together on disk, so reads in disk order meet
// the same folders again and again. Holds at most `capacity` descriptors.
class FolderCache {
public:
    explicit FolderCache(std::size_t capacity = 4) : capacity_(capacity) { slots_.reserve(capacity); }
    ~FolderCache();
    FolderCache(const FolderCache&) = delete;
    FolderCache& operator=(const FolderCache&) = delete;

    // Opens `entry` read-only, relative to its folder, never following a link
    // in its name (nor in the folder's last component); `flags` are added to
    // O_RDONLY|O_NOFOLLOW|O_CLOEXEC|O_NOCTTY|O_NONBLOCK. Returns the
    // descriptor, or -1 with errno set.
    int openFile(const FileEntry& entry, int flags);

private:
    struct Slot {
        std::shared_ptr<const std::string> folder;  // keeps the key's address unique
        int fd = -1;
        std::uint64_t lastUse = 0;
    };
    int folderFd(const std::shared_ptr<const std::string>& folder);

    std::size_t capacity_;
    std::vector<Slot> slots_;
    std::uint64_t clock_ = 0;
};

}  // namespace dw
