#include "engine/tools/cleanup_targets.h"

#include "engine/operations/file_operations_tree.h"
#include "engine/search/folder_walker.h"
#include "engine/search/progress.h"
#include "engine/texts.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <unordered_set>

namespace dw {

namespace {

constexpr std::time_t kDay = 24 * 60 * 60;

std::string environmentValue(const char* name)
{
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

bool isFolder(const std::string& path)
{
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// "/tmp/" and "/tmp" name one folder; "/" stays.
std::string withoutTrailingSlashes(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

std::string absoluteOr(const std::string& value, const std::string& fallback)
{
    return !value.empty() && value[0] == '/' ? withoutTrailingSlashes(value) : fallback;
}

void addRow(std::vector<CleanupTarget>& rows, const char* name, const char* description,
            std::vector<std::string> folders, bool withSizes)
{
    if (folders.empty() || !isFolder(folders.front()))
        return;
    CleanupTarget row{name, description, std::move(folders), 0, {}};
    if (withSizes)
        sizeCleanupTarget(row);
    else
        row.folderSizes.assign(row.folders.size(), 0);
    rows.push_back(std::move(row));
}

// The sum of the regular files below `folder` (links not followed), or
// nullopt when `progress` was cancelled on the way.
std::optional<std::uint64_t> folderSizeUnlessCancelled(const std::string& folder, Progress* progress)
{
    std::vector<std::string> paths;
    FolderWalker walker(progress);
    walker.collectPaths(folder + "/", "*", &paths, false, true);
    std::uint64_t total = 0;
    for (const std::string& path : paths) {
        if (progress && progress->cancelled())
            return std::nullopt;
        struct stat st {};
        if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode))
            total += static_cast<std::uint64_t>(st.st_size);
    }
    if (progress && progress->cancelled())
        return std::nullopt;
    return total;
}

bool ownAndSettled(const struct stat& st, const CollectRules& rules)
{
    return st.st_uid == rules.user && st.st_mtim.tv_sec <= rules.now - kDay;
}

// One folder being emptied: its listing and whether all of it was taken.
struct Frame {
    std::string path;  // ends with '/'
    struct stat st;
    std::vector<std::string> names;
    std::size_t next = 0;
    bool allTaken = true;
};

// Lists `path` if it still is the folder `expected` describes; false otherwise.
bool openFrame(const std::string& path, const struct stat& expected, Frame& frame)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || st.st_dev != expected.st_dev || st.st_ino != expected.st_ino) {
        ::close(fd);
        return false;
    }
    frame.path = path.back() == '/' ? path : path + "/";
    frame.st = st;
    frame.names = tree::readNames(fd);
    ::close(fd);
    return true;
}

}  // namespace

CleanupEnvironment CleanupEnvironment::fromProcess()
{
    CleanupEnvironment environment;
    environment.tmpdir = environmentValue("TMPDIR");
    environment.temp = environmentValue("TEMP");
    environment.tmp = environmentValue("TMP");
    environment.cacheHome = environmentValue("XDG_CACHE_HOME");
    environment.dataHome = environmentValue("XDG_DATA_HOME");
    environment.home = environmentValue("HOME");
    return environment;
}

CollectRules CollectRules::forCurrentUser() { return {::geteuid(), std::time(nullptr)}; }

std::vector<CleanupTarget> cleanupTargets(const CleanupEnvironment& environment, bool withSizes)
{
    std::vector<CleanupTarget> rows;
    std::vector<std::string> temporary;
    std::vector<std::string> candidates = {environment.tmpdir, environment.temp, environment.tmp};
    candidates.insert(candidates.end(), environment.systemTemp.begin(), environment.systemTemp.end());
    for (const std::string& candidate : candidates) {
        const std::string folder = withoutTrailingSlashes(candidate);
        if (!folder.empty() && std::find(temporary.begin(), temporary.end(), folder) == temporary.end())
            temporary.push_back(folder);
    }
    addRow(rows, text::TempFilesRow, text::TempFilesDescription, std::move(temporary), withSizes);

    const std::string home = withoutTrailingSlashes(environment.home);
    const std::string cache = absoluteOr(environment.cacheHome, home + "/.cache");
    const std::string data = absoluteOr(environment.dataHome, home + "/.local/share");
    addRow(rows, text::CacheRow, text::CacheDescription, {cache}, withSizes);
    addRow(rows, text::ThumbnailsRow, text::ThumbnailsDescription, {cache + "/thumbnails"}, withSizes);
    addRow(rows, text::RecentRow, text::RecentDescription, {data + "/RecentDocuments"}, withSizes);
    return rows;
}

bool sizeCleanupTarget(CleanupTarget& row, Progress* progress)
{
    row.size = 0;
    row.folderSizes.clear();
    for (const std::string& folder : row.folders) {
        const std::optional<std::uint64_t> size = folderSizeUnlessCancelled(folder, progress);
        if (!size)
            return false;
        row.folderSizes.push_back(*size);
        row.size += *size;
    }
    return true;
}

void collectFolderContents(const std::string& folder, const CollectRules& rules, std::vector<std::string>& paths)
{
    struct stat top {};
    if (::stat(folder.c_str(), &top) != 0 || !S_ISDIR(top.st_mode))
        return;
    std::vector<Frame> stack(1);
    if (!openFrame(folder, top, stack.back())) {
        // The top folder may be reached through a link the user named.
        const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0)
            return;
        stack.back().path = folder.back() == '/' ? folder : folder + "/";
        stack.back().st = top;
        stack.back().names = tree::readNames(fd);
        ::close(fd);
    }
    while (!stack.empty()) {
        Frame& frame = stack.back();
        if (frame.next == frame.names.size()) {
            Frame done = std::move(frame);
            stack.pop_back();
            if (stack.empty())
                break;  // the top folder stays
            const bool hidden = done.path[done.path.rfind('/', done.path.size() - 2) + 1] == '.';
            if (done.allTaken && !hidden && ownAndSettled(done.st, rules))
                paths.push_back(done.path.substr(0, done.path.size() - 1));
            else
                stack.back().allTaken = false;
            continue;
        }
        const std::string& name = frame.names[frame.next++];
        const std::string path = frame.path + name;
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0) {
            frame.allTaken = false;
            continue;
        }
        if (S_ISDIR(st.st_mode)) {
            Frame child;
            // Another file system mounted inside is not ours to empty.
            if (st.st_dev == top.st_dev && openFrame(path, st, child)) {
                stack.push_back(std::move(child));
                continue;
            }
            frame.allTaken = false;
            continue;
        }
        const bool deletable = (S_ISREG(st.st_mode) || S_ISLNK(st.st_mode)) && name[0] != '.';
        if (deletable && ownAndSettled(st, rules))
            paths.push_back(path);
        else
            frame.allTaken = false;
    }
}

std::vector<std::string> collectTargets(const std::vector<std::string>& folders, const CollectRules& rules)
{
    std::vector<std::string> collected;
    for (const std::string& folder : folders)
        collectFolderContents(folder, rules, collected);
    std::vector<std::string> unique;
    // A folder being emptied survives even when it lies inside another one.
    std::unordered_set<std::string> seen;
    for (const std::string& folder : folders)
        seen.insert(withoutTrailingSlashes(folder));
    for (std::string& path : collected)
        if (seen.insert(path).second)
            unique.push_back(std::move(path));
    return unique;
}

}  // namespace dw
