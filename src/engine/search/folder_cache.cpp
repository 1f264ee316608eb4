#include "engine/search/folder_cache.h"

#include "engine/search/fingerprint.h"
#include "platform/safe_path.h"

#include <fcntl.h>
#include <limits.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace dw {

FolderCache::~FolderCache()
{
    for (Slot& slot : slots_)
        ::close(slot.fd);
}

int FolderCache::folderFd(const std::shared_ptr<const std::string>& folder)
{
    ++clock_;
    for (Slot& slot : slots_) {
        if (slot.folder.get() == folder.get()) {
            slot.lastUse = clock_;
            return slot.fd;
        }
    }
    int fd = -1;
    const std::string& path = *folder;
    if (path.size() < PATH_MAX) {
        // Without the trailing '/', so that O_NOFOLLOW applies to the last
        // folder too; copied on the stack, as reader threads do not allocate.
        char bare[PATH_MAX];
        std::size_t length = path.size() > 1 && path.back() == '/' ? path.size() - 1 : path.size();
        path.copy(bare, length);
        bare[length] = '\0';
        fd = ::open(bare, O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    } else {
        int error = 0;
        fd = platform::openFolderNoFollow(path, error).release();
        errno = error;
    }
    if (fd < 0)
        return -1;
    if (slots_.size() < capacity_) {
        slots_.push_back({folder, fd, clock_});
    } else {
        Slot& oldest = *std::min_element(slots_.begin(), slots_.end(),
                                         [](const Slot& a, const Slot& b) { return a.lastUse < b.lastUse; });
        ::close(oldest.fd);
        oldest = {folder, fd, clock_};
    }
    return fd;
}

int FolderCache::openFile(const FileEntry& entry, int flags)
{
    if (!entry.folder || entry.folder->empty() || capacity_ == 0)
        return openForReading(entry.path(), flags);
    const int folder = folderFd(entry.folder);
    if (folder < 0)
        return -1;
    return ::openat(folder, entry.name.c_str(),
                    flags | O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
}

}  // namespace dw
