#pragma once

#include <sys/types.h>

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

namespace dw {

class Progress;

// One row of the temporary-files page: well-known folders whose contents
// are safe to throw away.
struct CleanupTarget {
    std::string name;
    std::string description;
    std::vector<std::string> folders;  // at least one; the first gives the icon
    std::uint64_t size = 0;            // bytes of regular files below the folders
    std::vector<std::uint64_t> folderSizes;  // the same for each folder
};

// Where the well-known folders are: the environment's values as they are
// ("" when unset). fromProcess() reads the running program's environment.
struct CleanupEnvironment {
    std::string tmpdir, temp, tmp;  // TMPDIR, TEMP, TMP
    std::string cacheHome;          // XDG_CACHE_HOME
    std::string dataHome;           // XDG_DATA_HOME
    std::string home;               // HOME
    std::vector<std::string> systemTemp = {"/tmp", "/var/tmp"};  // after the variables

    static CleanupEnvironment fromProcess();
};

// The rows, each only when its first folder exists as a folder: temporary
// files (TMPDIR, TEMP, TMP, then the system's /tmp and /var/tmp, each text
// once, compared byte for byte but for trailing slashes), the application cache, the thumbnail cache and the recent-document
// links. Sizes are summed over each row's folders; nothing is changed.
// Without `withSizes` the folders are not walked and the sizes stay 0.
std::vector<CleanupTarget> cleanupTargets(const CleanupEnvironment& environment, bool withSizes = true);

// Fills the row's folderSizes and size by walking its folders, as
// cleanupTargets does. Stops soon after `progress` (when given) is
// cancelled and returns false; the sizes are partial then.
bool sizeCleanupTarget(CleanupTarget& row, Progress* progress = nullptr);

// What emptying may leave in place, and the clock it judges ages by.
struct CollectRules {
    uid_t user = 0;                 // only this account's entries are taken
    std::time_t now = 0;            // entries changed after now - 24 h stay
    static CollectRules forCurrentUser();
};

// Appends to `paths` what emptying `folder` deletes, the folder itself never:
// every file and link of the user's own, unchanged for 24 hours, whose name
// does not begin with a dot; each subfolder after its contents, and only
// when it would be left empty (everything in it taken) and is itself the
// user's, unchanged for 24 hours and not hidden, so deleting it removes
// nothing that was left. Sockets, FIFOs and devices stay; links are never followed and
// other file systems mounted inside are not entered.
void collectFolderContents(const std::string& folder, const CollectRules& rules, std::vector<std::string>& paths);

// The paths of several folders in order, each once (the first place kept,
// so a folder still comes after its contents); none of `folders` itself is
// taken, even when one lies inside another.
std::vector<std::string> collectTargets(const std::vector<std::string>& folders, const CollectRules& rules);

}  // namespace dw
