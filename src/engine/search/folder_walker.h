#pragma once

#include "engine/search/file_entry.h"
#include "engine/search/early_fingerprints.h"
#include "engine/search/progress.h"
#include "engine/search/scan_list.h"

#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace dw {

// How the search walk records what it meets.
struct WalkOptions {
    bool includeFolders = false;  // folders become entries (the mask search needs them)
    bool recurse = true;          // enter subfolders
    bool highSecurity = true;     // leave out files whose deletion could harm the system
    // Told of every file the walk appends (not folders), on the walk's thread.
    EarlyFingerprinter* fingerprinter = nullptr;
};

// Walks folders without ever following a symbolic link, opening a FIFO,
// socket or device, entering a pseudo file system (/proc, /sys, /dev, ...)
// or listing one folder twice during the walker's life (nested scope folders,
// bind mounts, loops). Folders that cannot be listed and entries that vanish
// are passed over and counted in skipped(). Folders are opened through their
// parent's handle, so neither depth nor path length limits the walk, and
// reading a folder leaves its access time as it was.
class FolderWalker {
public:
    explicit FolderWalker(Progress* progress = nullptr) : progress_(progress) {}

    // The search walk: appends to `list` every file below `folder` (ending
    // with '/') whose name does not begin with a dot, each folder before its
    // contents when includeFolders is set. Returns how many it appended.
    // `folder` is resolved once to its real path (links, "." and ".." above
    // and at it), so entries carry paths reachable without following a link.
    // Shows each folder as the progress's second line and stops at a cancel.
    std::uint64_t walk(const std::string& folder, ScanList& list, const WalkOptions& options);

    // Appends to `paths` (when given) the full path of every entry below
    // `folder` whose name matches the wildcard `pattern` (dot names included;
    // folders only with includeFolders; subfolders are entered only when
    // their name matches too). Returns how many it found.
    std::uint64_t collectPaths(const std::string& folder, const std::string& pattern,
                               std::vector<std::string>* paths, bool includeFolders,
                               bool recurse);

    // Folders that could not be listed and entries that vanished or could not be read.
    std::uint64_t skipped() const { return skipped_; }
    // Files the high security level left out of walk().
    std::uint64_t protectedLeftOut() const { return protectedLeftOut_; }
    // False when the last walk()/collectPaths() could not list its top folder.
    bool topFolderReadable() const { return topReadable_; }

private:
    struct Item;
    struct Frame;
    // Reads the entries of the folder open in `frame`; false (and no
    // entries) for a folder already listed or on a pseudo file system.
    bool listFolder(Frame& frame, bool noAtime);
    // The handle of the top frame's folder, reopened by name from the
    // nearest open ancestor when it was closed; -1 when that fails.
    int folderFd(std::vector<Frame>& frames);
    // Lists the folder at `openPath` (canonical; "" when it cannot be
    // resolved) and everything below it depth first, each folder's entries
    // in the order the system returns them, naming them under `folder`;
    // visit(frame, item) tells whether a folder item is to be entered.
    template <typename Visit>
    void traverse(const std::string& folder, const std::string& openPath, bool showFolders,
                  Visit&& visit);

    Progress* progress_;
    std::set<std::pair<std::uint64_t, std::uint64_t>> visited_;
    // Whether folder items need their status (they become entries).
    bool statFolders_ = false;
    // Where folder listings are read to.
    std::vector<char> listing_ = std::vector<char>(32768);
    std::uint64_t skipped_ = 0;
    std::uint64_t protectedLeftOut_ = 0;
    bool topReadable_ = true;
};

// Sum of the sizes of all regular files below `folder` (links not followed).
std::uint64_t folderSize(const std::string& folder);

// True when `path` lies in one of `folders` or below it. A folder matches
// itself and what is under it, never a sibling whose name merely starts the
// same way; "/" excludes nothing, as a drive root never did.
bool isInExcludedFolder(const std::vector<std::string>& folders, std::string_view path);

// The high security level's filter: true for a file the walk must leave out
// (protected three-letter endings, shared objects, kernel modules, system files).
bool isProtectedFile(std::string_view path, std::uint8_t attributes);

// Wildcard match of a whole name ('*' any run, '?' one character), ignoring
// letter case; a name without a dot is matched as if it ended with one.
bool matchesMask(std::string_view name, std::string_view mask);

}  // namespace dw
