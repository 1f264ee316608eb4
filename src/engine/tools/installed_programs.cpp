#include "engine/tools/installed_programs.h"

#include "platform/processes.h"

#include <QString>

#include <unistd.h>

#include <algorithm>
#include <sstream>

namespace dw {

namespace {

constexpr std::string_view kFlatpakExports = "/flatpak/exports/share/applications/";
constexpr std::string_view kSnapFolder = "/var/lib/snapd/desktop/applications/";

std::string fileStem(const std::string& path)
{
    std::string name = path.substr(path.rfind('/') + 1);
    const std::string suffix = ".desktop";
    if (name.size() > suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
        name.resize(name.size() - suffix.size());
    return name;
}

bool contains(const std::string& text, std::string_view part) { return text.find(part) != std::string::npos; }

}  // namespace

std::vector<std::string> packagesFromDpkgOutput(const std::string& output, const std::vector<std::string>& paths)
{
    std::vector<std::string> packages(paths.size());
    std::istringstream in(output);
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("diversion by ", 0) == 0)
            continue;
        for (std::size_t i = 0; i < paths.size(); ++i) {
            const std::string tail = ": " + paths[i];
            if (!packages[i].empty() || line.size() <= tail.size() ||
                line.compare(line.size() - tail.size(), tail.size(), tail) != 0)
                continue;
            std::string owners = line.substr(0, line.size() - tail.size());
            packages[i] = owners.substr(0, owners.find(','));
        }
    }
    return packages;
}

std::vector<CommandLine> SystemOriginLookup::uninstallCommands(const std::vector<platform::DesktopEntry>& entries)
{
    std::vector<CommandLine> commands(entries.size());
    std::vector<std::string> packagePaths;
    std::vector<std::size_t> packageEntries;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const platform::DesktopEntry& entry = entries[i];
        const std::string& system = entry.systemPath.empty() ? entry.path : entry.systemPath;
        if (!entry.flatpakId.empty())
            commands[i] = {"flatpak", "uninstall", "-y", entry.flatpakId};
        else if (contains(system, kFlatpakExports))
            commands[i] = {"flatpak", "uninstall", "-y", fileStem(system)};
        else if (!entry.snapName.empty())
            commands[i] = {"snap", "remove", entry.snapName};
        else if (contains(system, kSnapFolder))
            commands[i] = {"snap", "remove", fileStem(system).substr(0, fileStem(system).find('_'))};
        else if (!entry.systemPath.empty()) {
            packagePaths.push_back(entry.systemPath);
            packageEntries.push_back(i);
        }
    }
    if (packagePaths.empty())
        return commands;
    CommandLine query = {"dpkg", "-S"};
    query.insert(query.end(), packagePaths.begin(), packagePaths.end());
    // dpkg fails for paths it does not know but still names the others.
    std::optional<platform::CapturedRun> run = platform::runAndCapture(query);
    if (!run)
        return commands;
    const std::vector<std::string> packages = packagesFromDpkgOutput(run->output, packagePaths);
    for (std::size_t k = 0; k < packages.size(); ++k)
        if (!packages[k].empty())
            commands[packageEntries[k]] = {"pkexec", "apt-get", "remove", "-y", packages[k]};
    return commands;
}

std::vector<UninstallEntry> installedPrograms(const platform::ApplicationFolders& folders, OriginLookup& lookup)
{
    std::vector<platform::DesktopEntry> visible;
    for (platform::DesktopEntry& entry : platform::scanDesktopEntries(folders))
        if (!entry.hidden && !entry.noDisplay)
            visible.push_back(std::move(entry));
    std::vector<CommandLine> commands = lookup.uninstallCommands(visible);
    std::vector<UninstallEntry> programs;
    for (std::size_t i = 0; i < visible.size() && i < commands.size(); ++i) {
        if (commands[i].empty())
            continue;
        UninstallEntry program;
        program.displayName = visible[i].displayName();
        program.entry = std::move(visible[i]);
        program.uninstallCommand = std::move(commands[i]);
        programs.push_back(std::move(program));
    }
    std::stable_sort(programs.begin(), programs.end(), [](const UninstallEntry& a, const UninstallEntry& b) {
        return QString::fromStdString(a.displayName).compare(QString::fromStdString(b.displayName),
                                                             Qt::CaseInsensitive) < 0;
    });
    return programs;
}

bool entryStillListed(const std::string& id, const platform::ApplicationFolders& folders)
{
    for (const platform::DesktopEntry& entry : platform::scanDesktopEntries(folders))
        if (entry.id == id)
            return !entry.hidden && !entry.noDisplay;
    return false;
}

bool removeProgramEntry(const platform::DesktopEntry& entry, const platform::ApplicationFolders& folders)
{
    if (entry.userEntry && entry.systemPath.empty())
        return ::unlink(entry.path.c_str()) == 0;
    return platform::writeHiddenOverride(entry, folders);
}

std::string commandText(const CommandLine& command)
{
    std::string text;
    for (const std::string& word : command) {
        if (!text.empty())
            text.push_back(' ');
        if (!word.empty() && word.find_first_of(" \t'\"\\$`") == std::string::npos) {
            text += word;
            continue;
        }
        text.push_back('\'');
        for (char c : word) {
            if (c == '\'')
                text += "'\\''";
            else
                text.push_back(c);
        }
        text.push_back('\'');
    }
    return text;
}

}  // namespace dw
