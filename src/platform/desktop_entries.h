#pragma once

#include <string>
#include <vector>

namespace dw::platform {

// One application entry as the desktop shows it: the `*.desktop` file that
// wins for its id, with the keys of its [Desktop Entry] group we use.
struct DesktopEntry {
    std::string id;           // "org.gnome.Foo.desktop"; subfolders joined with '-'
    std::string path;         // the file that wins for the id
    bool userEntry = false;   // it lies in the user's own applications folder
    std::string systemPath;   // the first system file of the same id ("" when none)
    std::string name;         // Name
    std::string russianName;  // Name[ru] ("" when absent)
    bool noDisplay = false;   // NoDisplay=true
    bool hidden = false;      // Hidden=true
    std::string flatpakId;    // X-Flatpak
    std::string snapName;     // X-SnapInstanceName

    // The Russian name when there is one, else Name.
    const std::string& displayName() const { return russianName.empty() ? name : russianName; }
};

// The applications folders in the order that decides which file wins:
// $XDG_DATA_HOME/applications (~/.local/share when unset or relative) first,
// then each of $XDG_DATA_DIRS (/usr/local/share:/usr/share when unset).
struct ApplicationFolders {
    std::string user;
    std::vector<std::string> system;

    static ApplicationFolders fromEnvironment();
};

// Reads the keys above from the [Desktop Entry] group of `text`.
DesktopEntry parseDesktopEntry(const std::string& text);

// Every desktop entry id found below the folders (subfolders included), the
// user's file shadowing a system file of the same id and an earlier system
// folder shadowing a later one. Hidden and NoDisplay entries are included;
// the caller decides. Sorted by id. Links to files are followed (packages
// install entries that way); files that cannot be read are passed over.
std::vector<DesktopEntry> scanDesktopEntries(const ApplicationFolders& folders);

// Hides `entry` for the user: writes a copy of its file with Hidden=true to
// the user's applications folder under the same id (atomically, replacing
// the user's own file of that id). False when it could not be written.
bool writeHiddenOverride(const DesktopEntry& entry, const ApplicationFolders& folders);

// The user's file for `id`: the path where an override of it is written.
std::string userEntryPath(const std::string& id, const ApplicationFolders& folders);

}  // namespace dw::platform
