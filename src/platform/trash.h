#pragma once

#include <string>

namespace dw::platform {

enum class TrashResult {
    Trashed,   // now in a Trash folder, restorable by any freedesktop client
    NoTrash,   // its file system has no Trash (GIO refuses); nothing changed
    Vanished,  // the path no longer exists
    Failed,    // any other failure (permission, busy); nothing changed
};

// Moves `path` into the freedesktop Trash of its file system through GIO:
// the home Trash ($XDG_DATA_HOME/Trash, created when missing) for the home
// file system, $topdir/.Trash-$UID or $topdir/.Trash/$UID elsewhere. A link
// is trashed as the link; what it points to is never touched.
TrashResult moveToTrash(const std::string& path);

// The home Trash folder as GIO sees it. GIO reads HOME and XDG_DATA_HOME
// once per process, so a changed environment is not noticed afterwards.
std::string homeTrashFolder();

}  // namespace dw::platform
