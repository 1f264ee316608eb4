#include "engine/search/folder_listing.h"

#include "platform/volumes.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace dw {

struct FolderPrefetcher::Job {
    enum class State { Queued, Running, Done };
    std::shared_ptr<const platform::UniqueFd> parent;
    std::string name;
    State state = State::Queued;
    FolderListing listing;
};

platform::UniqueFd openSubfolder(int parentFd, const char* name, bool& noAtime)
{
    constexpr int flags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK;
    int fd = ::openat(parentFd, name, flags | O_NOATIME);
    noAtime = fd >= 0;
    if (fd < 0 && errno == EPERM)
        fd = ::openat(parentFd, name, flags);
    return platform::UniqueFd(fd);
}

void statFolder(FolderListing& listing)
{
    struct stat self {};
    listing.statted = ::fstat(listing.fd.get(), &self) == 0 && S_ISDIR(self.st_mode);
    listing.device = self.st_dev;
    listing.inode = self.st_ino;
}

namespace {

void readEntries(FolderListing& listing)
{
    const int fd = listing.fd.get();
    struct stat before {};
    const bool haveBefore = ::fstat(fd, &before) == 0;
    // The listing reads through a handle of its own; the folder's handle
    // stays for opening its subfolders.
    int listFd = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    DIR* dir = listFd >= 0 ? ::fdopendir(listFd) : nullptr;
    if (!dir) {
        if (listFd >= 0)
            ::close(listFd);
        return;
    }
    listing.readable = true;
    while (dirent* d = ::readdir(dir)) {
        const char* name = d->d_name;
        if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0)
            continue;
        FolderItem item;
        if (::fstatat(fd, name, &item.st, AT_SYMLINK_NOFOLLOW) != 0) {
            ++listing.vanished;
            continue;
        }
        item.name = name;
        listing.items.push_back(std::move(item));
    }
    ::closedir(dir);
    // Where the folder could not be opened without touching its access
    // time, the time it had is put back, so that a search never makes an
    // old folder look recently used.
    struct stat after {};
    if (!listing.noAtime && haveBefore && ::fstat(fd, &after) == 0 &&
        (after.st_atim.tv_sec != before.st_atim.tv_sec || after.st_atim.tv_nsec != before.st_atim.tv_nsec)) {
        const struct timespec times[2] = {before.st_atim, {0, UTIME_OMIT}};
        ::futimens(fd, times);
    }
}

}  // namespace

void examineFolder(FolderListing& listing)
{
    listing.examined = true;
    listing.pseudo = platform::volumeOfFd(listing.device, listing.fd.get()).pseudo;
    if (!listing.pseudo)
        readEntries(listing);
}

namespace {

FolderListing readAhead(int parentFd, const std::string& name)
{
    FolderListing listing;
    listing.fd = openSubfolder(parentFd, name.c_str(), listing.noAtime);
    listing.opened = listing.fd.valid();
    if (!listing.opened)
        return listing;
    statFolder(listing);
    if (listing.statted)
        examineFolder(listing);
    return listing;
}

}  // namespace

FolderPrefetcher::FolderPrefetcher(unsigned threads)
{
    for (unsigned i = 0; i < threads; ++i)
        threads_.emplace_back([this] { work(); });
}

FolderPrefetcher::~FolderPrefetcher()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        queue_.clear();
    }
    wake_.notify_all();
    for (std::thread& thread : threads_)
        thread.join();
}

std::shared_ptr<FolderPrefetcher::Job> FolderPrefetcher::request(
    std::shared_ptr<const platform::UniqueFd> parent, std::string name)
{
    auto job = std::make_shared<Job>();
    job->parent = std::move(parent);
    job->name = std::move(name);
    {
        std::lock_guard lock(mutex_);
        queue_.push_back(job);
    }
    ++outstanding_;
    wake_.notify_one();
    return job;
}

FolderListing FolderPrefetcher::take(const std::shared_ptr<Job>& job)
{
    --outstanding_;
    std::unique_lock lock(mutex_);
    if (job->state == Job::State::Queued) {
        // Reading it here is quicker than waiting for a thread to get to it.
        job->state = Job::State::Running;
        lock.unlock();
        FolderListing listing = readAhead(job->parent->get(), job->name);
        job->parent.reset();
        return listing;
    }
    done_.wait(lock, [&] { return job->state == Job::State::Done; });
    return std::move(job->listing);
}

void FolderPrefetcher::work()
{
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [&] { return stopping_ || !queue_.empty(); });
        if (stopping_)
            return;
        std::shared_ptr<Job> job = std::move(queue_.front());
        queue_.pop_front();
        if (job->state != Job::State::Queued)
            continue;  // the walk read it itself
        job->state = Job::State::Running;
        lock.unlock();
        FolderListing listing = readAhead(job->parent->get(), job->name);
        lock.lock();
        job->listing = std::move(listing);
        job->parent.reset();
        job->state = Job::State::Done;
        done_.notify_all();
    }
}

}  // namespace dw
