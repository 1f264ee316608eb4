#pragma once

#include "platform/desktop_entries.h"

#include <memory>
#include <string>
#include <vector>

namespace dw {

// A command line as its words: the program, then its arguments.
using CommandLine = std::vector<std::string>;

// One installed program: a visible desktop entry whose origin is known.
struct UninstallEntry {
    platform::DesktopEntry entry;
    std::string displayName;  // Name[ru] when present, else Name
    CommandLine uninstallCommand;
};

// Where a desktop entry came from, as the command that removes it. The page
// and the terminal program use the system's package managers; tests give
// their own scripted uninstallers.
class OriginLookup {
public:
    virtual ~OriginLookup() = default;
    // One command per entry, in the same order; an empty command when the
    // entry's origin is not known.
    virtual std::vector<CommandLine> uninstallCommands(const std::vector<platform::DesktopEntry>& entries) = 0;
};

// Flatpak (the X-Flatpak key or a Flatpak exports folder) → flatpak
// uninstall APP; Snap (X-SnapInstanceName or the snapd folder) → snap
// remove NAME; otherwise a Debian package owning the system file (one
// `dpkg -S` for all entries) → pkexec apt-get remove PACKAGE.
class SystemOriginLookup final : public OriginLookup {
public:
    std::vector<CommandLine> uninstallCommands(const std::vector<platform::DesktopEntry>& entries) override;
};

// The package named for each path in `dpkg -S` output ("pkg: /path",
// "pkg1, pkg2: /path"; diversion lines are passed over): one package, the
// first, per path; "" for paths it does not name.
std::vector<std::string> packagesFromDpkgOutput(const std::string& output,
                                                const std::vector<std::string>& paths);

// The visible entries (neither Hidden nor NoDisplay) that `lookup` knows how
// to remove, sorted by their shown name. Reads files only.
std::vector<UninstallEntry> installedPrograms(const platform::ApplicationFolders& folders, OriginLookup& lookup);

// True while the entry with `id` is still shown by the desktop: some file of
// that id exists and the winning one is neither Hidden nor NoDisplay.
bool entryStillListed(const std::string& id, const platform::ApplicationFolders& folders);

// Takes the program off the list: deletes the user's own file when no
// system file of the id lies behind it, otherwise writes the user override
// with Hidden=true. False when nothing could be changed.
bool removeProgramEntry(const platform::DesktopEntry& entry, const platform::ApplicationFolders& folders);

// The command as one line for showing, words with blanks or quotes quoted.
std::string commandText(const CommandLine& command);

}  // namespace dw
