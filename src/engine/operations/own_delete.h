#pragma once

#include "engine/search/progress.h"

#include <string>
#include <vector>

namespace dw {

enum class DeleteOutcome { Deleted, Failed, Cancelled };

// Deletes `path` for good. A file or link is unlinked (a link is never
// followed). A folder loses every file below it first, then its folders from
// the deepest, then itself; the first file that cannot be deleted abandons
// the rest of the path. Another file system mounted inside is left alone with
// all it holds, and a path that is itself a mount root is not touched.
// Folders of our own inside the path that we may not write get u+rwx to be
// emptied and their mode back if they survive; nothing else is chmodded.
// Shows each entry as the progress's second line and stops at its cancel
// (checked between entries). A path that is already gone counts as deleted.
DeleteOutcome deletePermanently(const std::string& path, Progress* progress);

// Every entry below `folder` with its full path, each folder before its
// contents, dot names included. Links are listed, never followed; another
// file system mounted inside is neither listed nor entered.
std::vector<std::string> listFolderContents(const std::string& folder);

// True when `path` (not followed if a link) is the root of a mounted file system.
bool isMountRoot(const std::string& path);

// `path` without trailing slashes ("/" stays "/").
std::string withoutTrailingSlash(std::string path);

}  // namespace dw
