#include "platform/desktop_entries.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>

namespace dw::platform {

namespace fs = std::filesystem;

namespace {

constexpr const char* kMainGroup = "[Desktop Entry]";

std::string environmentFolder(const char* name)
{
    const char* value = std::getenv(name);
    return value && value[0] == '/' ? std::string(value) : std::string();
}

std::string trimmed(const std::string& text)
{
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return {};
    const auto last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

// The escapes a desktop entry's string values may hold.
std::string unescaped(const std::string& value)
{
    std::string result;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            result.push_back(value[i]);
            continue;
        }
        switch (value[++i]) {
        case 's':
            result.push_back(' ');
            break;
        case 'n':
            result.push_back('\n');
            break;
        case 't':
            result.push_back('\t');
            break;
        case 'r':
            result.push_back('\r');
            break;
        default:
            result.push_back(value[i]);
        }
    }
    return result;
}

std::optional<std::string> readText(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad())
        return std::nullopt;
    return text.str();
}

// Every `*.desktop` file below `folder` by its id.
void collectFolder(const std::string& folder, bool user, std::map<std::string, DesktopEntry>& entries)
{
    std::error_code error;
    fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied, error);
    if (error)
        return;
    for (; it != fs::recursive_directory_iterator(); it.increment(error)) {
        if (error)
            break;
        const fs::path& path = it->path();
        if (path.extension() != ".desktop" || !it->is_regular_file(error))
            continue;
        std::string id = path.lexically_relative(folder).generic_string();
        for (char& c : id)
            if (c == '/')
                c = '-';
        auto found = entries.find(id);
        if (found != entries.end()) {
            // Shadowed: an earlier folder has it. Remember where the system's file is.
            if (!user && found->second.systemPath.empty())
                found->second.systemPath = path.string();
            continue;
        }
        std::optional<std::string> text = readText(path);
        if (!text)
            continue;
        DesktopEntry entry = parseDesktopEntry(*text);
        entry.id = id;
        entry.path = path.string();
        entry.userEntry = user;
        if (!user)
            entry.systemPath = entry.path;
        entries.emplace(id, std::move(entry));
    }
}

// `text` with Hidden=true in its main group, whatever Hidden said before.
std::string withHiddenKey(const std::string& text)
{
    std::istringstream in(text);
    std::string out, line;
    bool inMain = false, written = false;
    while (std::getline(in, line)) {
        const std::string key = trimmed(line);
        if (!key.empty() && key.front() == '[') {
            inMain = key == kMainGroup;
            out += line + '\n';
            if (inMain && !written) {
                out += "Hidden=true\n";
                written = true;
            }
            continue;
        }
        if (inMain && trimmed(key.substr(0, key.find('='))) == "Hidden")
            continue;
        out += line + '\n';
    }
    if (!written)
        out += std::string(kMainGroup) + "\nHidden=true\n";
    return out;
}

}  // namespace

ApplicationFolders ApplicationFolders::fromEnvironment()
{
    ApplicationFolders folders;
    std::string dataHome = environmentFolder("XDG_DATA_HOME");
    if (dataHome.empty()) {
        const char* home = std::getenv("HOME");
        dataHome = std::string(home ? home : "") + "/.local/share";
    }
    folders.user = dataHome + "/applications";
    const char* dirs = std::getenv("XDG_DATA_DIRS");
    std::string list = dirs && dirs[0] ? dirs : "/usr/local/share:/usr/share";
    std::istringstream in(list);
    std::string dir;
    while (std::getline(in, dir, ':'))
        if (!dir.empty() && dir[0] == '/')
            folders.system.push_back(dir + (dir.back() == '/' ? "" : "/") + "applications");
    return folders;
}

DesktopEntry parseDesktopEntry(const std::string& text)
{
    DesktopEntry entry;
    std::istringstream in(text);
    std::string line;
    bool inMain = false;
    while (std::getline(in, line)) {
        line = trimmed(line);
        if (line.empty() || line[0] == '#')
            continue;
        if (line[0] == '[') {
            inMain = line == kMainGroup;
            continue;
        }
        const auto equals = line.find('=');
        if (!inMain || equals == std::string::npos)
            continue;
        const std::string key = trimmed(line.substr(0, equals));
        const std::string value = unescaped(trimmed(line.substr(equals + 1)));
        if (key == "Name")
            entry.name = value;
        else if (key == "Name[ru]" || (key == "Name[ru_RU]" && entry.russianName.empty()))
            entry.russianName = value;
        else if (key == "NoDisplay")
            entry.noDisplay = value == "true";
        else if (key == "Hidden")
            entry.hidden = value == "true";
        else if (key == "X-Flatpak")
            entry.flatpakId = value;
        else if (key == "X-SnapInstanceName")
            entry.snapName = value;
    }
    return entry;
}

std::vector<DesktopEntry> scanDesktopEntries(const ApplicationFolders& folders)
{
    std::map<std::string, DesktopEntry> entries;
    collectFolder(folders.user, true, entries);
    for (const std::string& folder : folders.system)
        collectFolder(folder, false, entries);
    std::vector<DesktopEntry> result;
    result.reserve(entries.size());
    for (auto& [id, entry] : entries)
        result.push_back(std::move(entry));
    return result;
}

std::string userEntryPath(const std::string& id, const ApplicationFolders& folders)
{
    return folders.user + "/" + id;
}

bool writeHiddenOverride(const DesktopEntry& entry, const ApplicationFolders& folders)
{
    std::optional<std::string> text = readText(entry.path);
    if (!text)
        return false;
    std::error_code error;
    fs::create_directories(folders.user, error);
    const std::string target = userEntryPath(entry.id, folders);
    const std::string temporary = target + ".tmp-" + std::to_string(::getpid());
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << withHiddenKey(*text);
        out.close();
        if (!out) {
            fs::remove(temporary, error);
            return false;
        }
    }
    fs::rename(temporary, target, error);
    if (error) {
        fs::remove(temporary, error);
        return false;
    }
    return true;
}

}  // namespace dw::platform
