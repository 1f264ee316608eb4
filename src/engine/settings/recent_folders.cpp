#include "engine/settings/recent_folders.h"

#include <algorithm>

namespace dw {

namespace {

constexpr const char* Section = "Recent Dirs";
constexpr const char* Prefix = "Dir";
// A list ends at the first missing index or at an entry that is exactly this.
constexpr const char* ListEnd = "EMPTY";

bool isBlank(const std::string& text)
{
    return text.find_first_not_of(" \t\r\n") == std::string::npos;
}

}  // namespace

std::string asFolderPath(std::string path)
{
    if (!path.empty() && path.back() != '/')
        path.push_back('/');
    return path;
}

void RecentFolders::load(SettingsStore& store)
{
    folders_.clear();
    for (std::size_t i = 0; folders_.size() < Capacity; ++i) {
        std::string value = store.readString(Section, Prefix + std::to_string(i), ListEnd);
        if (value == ListEnd)
            break;
        if (isBlank(value))
            continue;
        value = asFolderPath(std::move(value));
        if (std::find(folders_.begin(), folders_.end(), value) == folders_.end())
            folders_.push_back(std::move(value));
    }
}

void RecentFolders::save(SettingsStore& store) const
{
    // Written afresh so that no value from a longer list is left behind.
    store.deleteSection(Section);
    for (std::size_t i = 0; i < folders_.size(); ++i)
        store.writeString(Section, Prefix + std::to_string(i), folders_[i]);
    store.flush();
}

void RecentFolders::remember(const std::string& folder)
{
    if (isBlank(folder))
        return;
    std::string entry = asFolderPath(folder);
    auto found = std::find(folders_.begin(), folders_.end(), entry);
    if (found != folders_.end())
        folders_.erase(found);
    folders_.insert(folders_.begin(), std::move(entry));
    if (folders_.size() > Capacity)
        folders_.resize(Capacity);
}

}  // namespace dw
