#include "engine/search/folder_walker.h"

#include "platform/file_status.h"
#include "platform/safe_path.h"
#include "platform/volumes.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <optional>

namespace dw {

// One folder on the walk's stack. Its entries are read into memory when it
// is opened; the handle stays open only while the folder is near the top of
// the stack, deeper walks reopen it by name from the nearest open ancestor.
struct FolderWalker::Frame {
    std::string path;  // ends with '/'
    std::shared_ptr<const std::string> shared;  // the same, for the entries of the folder
    std::vector<FolderItem> items;
    std::size_t next = 0;
    platform::UniqueFd fd;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    // Subfolders handed to the read-ahead threads, by item index; the items
    // before readAheadNext have been considered for it.
    std::deque<std::pair<std::size_t, std::shared_ptr<FolderPrefetcher::Job>>> jobs;
    std::shared_ptr<const platform::UniqueFd> jobParent;  // the folder's handle for them
    std::size_t readAheadNext = 0;
};

namespace {

// Folder handles held at once by one walk besides its top folder's: enough
// that an ordinary tree never reopens anything, few enough that no tree,
// however deep, runs the process out of descriptors.
constexpr std::size_t kOpenFolderWindow = 64;

// Folders read ahead and not yet taken by the walk: each holds a handle and
// its entries, so this bounds both descriptors and memory.
constexpr std::size_t kReadAheadFolders = 32;

bool isKernelInterfacePath(const std::string& folder)
{
    for (const char* prefix : {"/proc/", "/sys/", "/dev/"})
        if (folder.rfind(prefix, 0) == 0)
            return true;
    return false;
}

std::string withSlash(std::string folder)
{
    if (folder.empty() || folder.back() != '/')
        folder.push_back('/');
    return folder;
}

// The folder the user named, with every link, "." and ".." above it
// resolved once, so that rows carry paths later operations reach without
// following a link. A path too long for realpath() is taken as it is when
// it is clean; it is then opened without following any link.
std::string canonicalFolder(const std::string& folder)
{
    if (char* real = ::realpath(folder.c_str(), nullptr)) {
        std::string resolved(real);
        std::free(real);
        return withSlash(std::move(resolved));
    }
    return platform::isCleanAbsolutePath(folder) ? withSlash(folder) : std::string();
}

// Opens the clean absolute folder `path` (ending with '/') as above.
platform::UniqueFd openTopFolder(const std::string& path, bool& noAtime)
{
    if (path == "/")
        return openSubfolder(AT_FDCWD, "/", noAtime);
    platform::ParentAndLeaf parent = platform::openParentNoFollow(path);
    if (!parent.parent.valid()) {
        errno = parent.error;
        return {};
    }
    return openSubfolder(parent.parent.get(), parent.leaf.c_str(), noAtime);
}

FileEntry entryFor(const std::shared_ptr<const std::string>& folder, const std::string& name,
                   const struct stat& st)
{
    FileEntry entry;
    entry.size = S_ISDIR(st.st_mode) ? 0 : static_cast<std::uint64_t>(st.st_size);
    entry.lastAccessNs = platform::toNanoseconds(st.st_atim);
    entry.device = st.st_dev;
    entry.inode = st.st_ino;
    entry.attributes = platform::attributesFrom(st, *folder, name);
    entry.folder = folder;
    entry.name = name;
    return entry;
}

}  // namespace

bool FolderWalker::listFolder(Frame& frame, FolderListing& listing)
{
    frame.items.clear();
    if (!listing.statted) {
        ++skipped_;
        return false;
    }
    frame.device = listing.device;
    frame.inode = listing.inode;
    if (isKernelInterfacePath(frame.path) || !visited_.emplace(listing.device, listing.inode).second)
        return false;
    if (!listing.examined)
        examineFolder(listing);
    if (listing.pseudo)
        return false;
    if (!listing.readable) {
        ++skipped_;
        return false;
    }
    skipped_ += listing.vanished;  // gone between listing and stat
    frame.items = std::move(listing.items);
    frame.fd = std::move(listing.fd);
    return true;
}

void FolderWalker::readAhead(std::vector<Frame>& frames, FolderPrefetcher& prefetcher)
{
    // Nearest first: the top folder's next subfolders, then its parent's.
    for (std::size_t f = frames.size(); f-- > 0 && prefetcher.outstanding() < kReadAheadFolders;) {
        Frame& frame = frames[f];
        if (!frame.fd.valid())
            continue;
        frame.readAheadNext = std::max(frame.readAheadNext, frame.next);
        while (frame.readAheadNext < frame.items.size() &&
               prefetcher.outstanding() < kReadAheadFolders) {
            const FolderItem& item = frame.items[frame.readAheadNext++];
            if (!S_ISDIR(item.st.st_mode) || item.name.front() == '.')
                continue;
            if (!frame.jobParent) {
                platform::UniqueFd parent(::fcntl(frame.fd.get(), F_DUPFD_CLOEXEC, 0));
                if (!parent.valid())
                    return;
                frame.jobParent = std::make_shared<const platform::UniqueFd>(std::move(parent));
            }
            frame.jobs.emplace_back(frame.readAheadNext - 1,
                                    prefetcher.request(frame.jobParent, item.name));
        }
    }
}

std::shared_ptr<FolderPrefetcher::Job> FolderWalker::takeJob(Frame& frame, std::size_t index,
                                                            FolderPrefetcher& prefetcher)
{
    while (!frame.jobs.empty() && frame.jobs.front().first < index) {
        frame.jobs.pop_front();
        prefetcher.dropped();
    }
    std::shared_ptr<FolderPrefetcher::Job> job;
    if (!frame.jobs.empty() && frame.jobs.front().first == index) {
        job = std::move(frame.jobs.front().second);
        frame.jobs.pop_front();
    }
    if (frame.jobs.empty())
        frame.jobParent.reset();  // bounds the handles held for read-ahead
    return job;
}

int FolderWalker::folderFd(std::vector<Frame>& frames)
{
    const std::size_t top = frames.size() - 1;
    if (frames[top].fd.valid())
        return frames[top].fd.get();
    std::size_t open = top;
    while (!frames[open].fd.valid())
        --open;  // frame 0 stays open for the whole walk
    for (std::size_t i = open + 1; i <= top; ++i) {
        const Frame& parent = frames[i - 1];
        bool noAtime = false;
        const std::string& name = parent.items[parent.next - 1].name;
        platform::UniqueFd fd = openSubfolder(parent.fd.get(), name.c_str(), noAtime);
        struct stat st {};
        // A folder swapped for another one since it was listed is not entered again.
        if (!fd.valid() || ::fstat(fd.get(), &st) != 0 || st.st_dev != frames[i].device ||
            st.st_ino != frames[i].inode)
            return -1;
        frames[i].fd = std::move(fd);
        // Ancestors outside the window close again as the chain is reopened.
        if (i - 1 > 0 && i - 1 + kOpenFolderWindow <= top)
            frames[i - 1].fd.reset();
    }
    return frames[top].fd.get();
}

template <typename Visit>
void FolderWalker::traverse(const std::string& folder, const std::string& openPath,
                            bool showFolders, FolderPrefetcher* prefetcher, Visit&& visit)
{
    std::vector<Frame> frames(1);
    frames[0].path = folder;
    if (progress_ && showFolders)
        progress_->setFolder(folder);
    const std::uint64_t skippedBefore = skipped_;
    FolderListing top;
    if (!openPath.empty())
        top.fd = openTopFolder(openPath, top.noAtime);
    if (top.fd.valid())
        statFolder(top);
    else
        ++skipped_;
    const bool listed = top.fd.valid() && listFolder(frames[0], top);
    topReadable_ = listed || skipped_ == skippedBefore;
    if (!listed)
        return;
    if (prefetcher)
        readAhead(frames, *prefetcher);
    // An explicit stack: depth costs memory for the open levels, never call depth.
    while (!frames.empty()) {
        if (progress_ && progress_->cancelled())
            break;
        Frame& frame = frames.back();
        if (frame.next >= frame.items.size()) {
            frames.pop_back();
            continue;
        }
        const std::size_t index = frame.next++;
        const FolderItem& item = frame.items[index];
        if (!visit(frame, item) || !S_ISDIR(item.st.st_mode))
            continue;
        Frame child;
        child.path = frame.path + item.name + '/';
        FolderListing listing;
        std::shared_ptr<FolderPrefetcher::Job> job;
        if (prefetcher)
            job = takeJob(frame, index, *prefetcher);
        if (prefetcher && job) {
            listing = prefetcher->take(job);
        } else {
            const int parentFd = folderFd(frames);
            if (parentFd >= 0)
                listing.fd = openSubfolder(parentFd, item.name.c_str(), listing.noAtime);
            listing.opened = listing.fd.valid();
            if (listing.opened)
                statFolder(listing);
        }
        if (!listing.opened) {
            ++skipped_;
            continue;
        }
        if (listFolder(child, listing)) {
            if (progress_ && showFolders)
                progress_->setFolder(child.path);
            frames.push_back(std::move(child));  // `frame` and `item` are invalid from here
            const std::size_t top = frames.size() - 1;
            if (top > kOpenFolderWindow)
                frames[top - kOpenFolderWindow].fd.reset();
        }
        if (prefetcher)
            readAhead(frames, *prefetcher);
    }
}

std::uint64_t FolderWalker::walk(const std::string& scopeFolder, ScanList& list,
                                 const WalkOptions& options)
{
    std::uint64_t count = 0;
    const std::string folder = canonicalFolder(withSlash(scopeFolder));
    // Only the folders this walk enters are read ahead.
    std::optional<FolderPrefetcher> prefetcher;
    if (options.recurse && readAheadThreads_ > 0)
        prefetcher.emplace(readAheadThreads_);
    traverse(folder.empty() ? withSlash(scopeFolder) : folder, folder, true,
             prefetcher ? &*prefetcher : nullptr, [&](Frame& frame, const FolderItem& item) {
        if (item.name.front() == '.')
            return false;
        if (S_ISDIR(item.st.st_mode)) {
            if (options.includeFolders) {
                if (!frame.shared)
                    frame.shared = std::make_shared<const std::string>(frame.path);
                list.append(entryFor(frame.shared, item.name, item.st));
                ++count;
            }
            return options.recurse;
        }
        // Links, FIFOs, sockets and devices are never recorded.
        if (!S_ISREG(item.st.st_mode))
            return false;
        if (options.highSecurity &&
            isProtectedFile(frame.path + item.name,
                            platform::attributesFrom(item.st, frame.path, item.name))) {
            ++protectedLeftOut_;
            return false;
        }
        if (!frame.shared)
            frame.shared = std::make_shared<const std::string>(frame.path);
        list.append(entryFor(frame.shared, item.name, item.st));
        ++count;
        return false;
    });
    return count;
}

std::uint64_t FolderWalker::collectPaths(const std::string& scopeFolder, const std::string& pattern,
                                         std::vector<std::string>* paths, bool includeFolders,
                                         bool recurse)
{
    std::uint64_t count = 0;
    // The paths keep the folder as the caller named it; the walk below it
    // follows no link.
    const std::string folder = withSlash(scopeFolder);
    traverse(folder, canonicalFolder(folder), false, nullptr, [&](Frame& frame, const FolderItem& item) {
        if (!matchesMask(item.name, pattern))
            return false;
        const bool folder = S_ISDIR(item.st.st_mode);
        // Everything that is not a folder counts as a file here, links
        // included: a caller deleting a folder removes a link as a link.
        if (!folder || includeFolders) {
            if (paths)
                paths->push_back(frame.path + item.name);
            ++count;
        }
        return folder && recurse;
    });
    return count;
}

std::uint64_t folderSize(const std::string& folder)
{
    std::vector<std::string> paths;
    FolderWalker walker;
    walker.collectPaths(folder, "*", &paths, false, true);
    std::uint64_t total = 0;
    for (const std::string& path : paths) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode))
            total += static_cast<std::uint64_t>(st.st_size);
    }
    return total;
}

bool isInExcludedFolder(const std::vector<std::string>& folders, std::string_view path)
{
    for (const std::string& raw : folders) {
        std::string_view folder(raw);
        while (!folder.empty() && folder.back() == '/')
            folder.remove_suffix(1);
        if (folder.empty())
            continue;  // the root excludes nothing
        if (path.size() < folder.size() || path.compare(0, folder.size(), folder) != 0)
            continue;
        if (path.size() == folder.size() || path[folder.size()] == '/')
            return true;
    }
    return false;
}

bool isProtectedFile(std::string_view path, std::uint8_t attributes)
{
    static constexpr std::array<const char*, 18> kProtectedEndings = {
        "EXE", "DLL", "VXD", "OCX", "DAT", "COM", "BAT", "TLB", "CPL",
        "CPX", "INF", "NLS", "DRV", "MSC", "SYS", "CAT", "CAB", "MSI"};
    if (attributes & attr::System)
        return true;
    if (path.size() >= 3) {
        char tail[4] = {};
        for (int i = 0; i < 3; ++i)
            tail[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(path[path.size() - 3 + i])));
        for (const char* ending : kProtectedEndings)
            if (std::strcmp(tail, ending) == 0)
                return true;
    }
    std::string_view name = fileNameOf(path);
    if (name.size() > 3 && name.substr(name.size() - 3) == ".ko")
        return true;
    // libfoo.so, libfoo.so.6, libfoo.so.1.2.3
    auto so = name.find(".so");
    while (so != std::string_view::npos && so > 0) {
        std::string_view rest = name.substr(so + 3);
        if (rest.empty() || (rest.front() == '.' && rest.size() > 1 &&
                             std::all_of(rest.begin(), rest.end(), [](char c) {
                                 return c == '.' || (c >= '0' && c <= '9');
                             })))
            return true;
        so = name.find(".so", so + 1);
    }
    return false;
}

}  // namespace dw
