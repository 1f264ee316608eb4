#pragma once

#include "engine/operations/source_check.h"
#include "engine/search/progress.h"

#include <sys/stat.h>

#include <string>
#include <vector>

namespace dw {

enum class DeleteOutcome { Deleted, Failed, Cancelled };

// Deletes `path` for good. The path must be clean and absolute; it is found
// again without following a link on the way, and must still name `expected`
// (otherwise nothing is touched and the result is Failed). A file or link is
// unlinked (a link is never followed). A folder loses every file below it
// first, then its folders from the deepest, then itself; the first file that
// cannot be deleted abandons the rest of the path. Another file system
// mounted inside is left alone with all it holds, and a path that is itself
// a mount root is not touched. Folders of our own inside the path that we
// may not write get u+rwx to be emptied and their mode back if they survive;
// nothing else is chmodded. Shows each entry as the progress's second line
// and stops at its cancel (checked between entries). A path that is already
// gone counts as deleted.
DeleteOutcome deletePermanently(const std::string& path, Progress* progress,
                                const SourceIdentity& expected = {});

// Deletes the one entry `path` names, found as deletePermanently finds it: a
// file or link is unlinked, a folder is removed only when it is empty, so
// nothing below it is ever touched. Shows the path and stops at the
// progress's cancel (checked first). A path already gone counts as deleted.
DeleteOutcome deleteEntryAlone(const std::string& path, Progress* progress);

// What lies inside one folder, listed for deleting exactly that.
struct FolderContents {
    struct Item {
        std::string path;
        struct stat st;  // lstat() when listed
        // Stays: it belongs to a system account other than ours, or it is a
        // folder holding such an item or another file system's mount point.
        bool kept = false;
    };
    std::string folder;
    struct stat folderSt {};
    std::vector<Item> items;  // each folder before its contents
};

// Lists everything below `folder` (a clean absolute path that must still
// name `expected`) through folder handles: dot names included, links listed
// and never followed, other file systems mounted inside neither listed nor
// entered. False when the folder cannot be found, checked or listed.
bool listFolderContents(const std::string& folder, const SourceIdentity& expected,
                        FolderContents& contents);
// Just the paths, each folder before its contents.
std::vector<std::string> listFolderContents(const std::string& folder);

// Deletes the items of `contents` that are not kept, going down from the
// folder through the handles of the folders it opens: an item is deleted
// only when the name in its folder still has the listed identity, so what
// was created since, swapped in or kept stays (and so does every folder
// that still holds something). `deleted[i]` tells about items[i];
// `cancelled` when the progress's cancel stopped it between items.
struct ContentsDeleted {
    std::vector<bool> deleted;
    bool cancelled = false;
};
ContentsDeleted deleteFolderContentsOf(const FolderContents& contents, Progress* progress);

// True when `uid` is a system account other than the one running us: such
// files inside a user's folders are left where they are.
bool isOtherSystemAccount(uid_t uid);

// `path` without trailing slashes ("/" stays "/").
std::string withoutTrailingSlash(std::string path);

}  // namespace dw
