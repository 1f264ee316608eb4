#pragma once

#include "engine/search/progress.h"
#include "platform/mounts.h"

#include <sys/types.h>

#include <cstddef>
#include <string>
#include <vector>

namespace dw {

// The Trash folders of one user: the home Trash ($XDG_DATA_HOME/Trash,
// ~/.local/share/Trash when unset) and on every mounted file system
// $topdir/.Trash-$UID and $topdir/.Trash/$UID, the latter only under a
// sticky .Trash that is no link. Only folders that exist, are no links and
// belong to `uid` are returned, each once.
std::vector<std::string> userTrashFolders(const std::string& homeTrash,
                                          const std::vector<platform::MountEntry>& mounts, uid_t uid);

// The same for the running user and the current mount table.
std::vector<std::string> currentUserTrashFolders();

// The items in the Trash folders: the entries of their files/ folders.
std::size_t countTrashItems(const std::vector<std::string>& trashFolders);

struct TrashEmptyingReport {
    std::size_t removed = 0;  // entries of files/ and info/ deleted
    std::size_t left = 0;     // entries that could not be deleted
    bool cancelled = false;
};

// Empties each Trash folder: everything inside files/ and info/ and the
// directorysizes file, through the program's permanent delete (links are
// never followed, nothing outside those is touched). The Trash folders and
// their files/ and info/ stay. Progress shows each entry; a cancel stops
// between entries.
TrashEmptyingReport emptyTrashFolders(const std::vector<std::string>& trashFolders, Progress* progress);

}  // namespace dw
