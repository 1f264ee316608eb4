#pragma once

#include "platform/safe_path.h"

#include <sys/stat.h>

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace dw {

// One directory entry as fstatat() saw it while its folder was listed.
struct FolderItem {
    std::string name;
    struct stat st;
};

// What opening and reading one folder found, before the walk decides
// whether the folder is new to it.
struct FolderListing {
    bool opened = false;    // the handle could be opened
    bool statted = false;   // and fstat() showed a folder
    bool examined = false;  // pseudo and readable below are known
    bool pseudo = false;    // on a pseudo file system (entries not read)
    bool readable = false;  // the entries could be read
    bool noAtime = false;   // opened without touching its access time
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::uint64_t vanished = 0;  // entries gone between listing and stat
    platform::UniqueFd fd;
    std::vector<FolderItem> items;
};

// Opens the folder `name` in `parentFd` without following a link and, where
// the system allows it (our own folders, or as root), so that reading it
// leaves its access time alone. `noAtime` tells which.
platform::UniqueFd openSubfolder(int parentFd, const char* name, bool& noAtime);

// Fills device, inode and statted from the open handle in `listing`.
void statFolder(FolderListing& listing);

// Tells whether the statted folder in `listing` is on a pseudo file system
// and, when it is not, reads its entries and stats each without following
// links; puts back the folder's access time where reading moved it.
void examineFolder(FolderListing& listing);

// Opens, stats and reads folders ahead of a depth-first walk on a few
// threads, so that their disk waits overlap. The walk asks for folders in
// the order it will need them and takes each result in that order; a folder
// no thread has started yet it reads itself rather than wait. Folders on a
// pseudo file system are opened and statted but never read.
class FolderPrefetcher {
public:
    struct Job;

    explicit FolderPrefetcher(unsigned threads);
    ~FolderPrefetcher();
    FolderPrefetcher(const FolderPrefetcher&) = delete;
    FolderPrefetcher& operator=(const FolderPrefetcher&) = delete;

    // Queues the folder `name` inside the folder held by `parent`.
    std::shared_ptr<Job> request(std::shared_ptr<const platform::UniqueFd> parent, std::string name);
    // The listing of a requested folder, read here when no thread took it yet.
    FolderListing take(const std::shared_ptr<Job>& job);
    // Requested folders not yet taken (dropped ones count until dropped()).
    std::size_t outstanding() const { return outstanding_; }
    // Forgets a requested folder the walk will not take after all.
    void dropped() { --outstanding_; }

private:
    void work();

    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable done_;
    std::deque<std::shared_ptr<Job>> queue_;
    std::vector<std::thread> threads_;
    std::size_t outstanding_ = 0;  // touched by the walking thread only
    bool stopping_ = false;
};

}  // namespace dw
