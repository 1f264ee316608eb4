#pragma once

#include "engine/settings/settings_store.h"

#include <cstddef>
#include <string>
#include <vector>

namespace dw {

// The folders the folder chooser offers again, newest first, kept in the
// "Recent Dirs" section as "Dir0", "Dir1", ...
class RecentFolders {
public:
    static constexpr std::size_t Capacity = 20;

    // Reads "Dir0", "Dir1", ... up to the first missing value or the first
    // value "EMPTY". Each folder is given a trailing '/'; blank values and
    // repeats of an earlier folder are passed over; at most Capacity are kept.
    void load(SettingsStore& store);
    // Replaces the section with the list, "Dir0" the newest, and flushes.
    void save(SettingsStore& store) const;

    // Puts `folder` at the head. A folder already listed (compared exactly,
    // with or without the trailing '/') moves there instead of being listed
    // twice; the oldest one drops out beyond Capacity. Blank paths are
    // ignored.
    void remember(const std::string& folder);

    const std::vector<std::string>& folders() const { return folders_; }

private:
    std::vector<std::string> folders_;
};

// `path` with exactly one trailing '/' added when it has none; "" stays "".
std::string asFolderPath(std::string path);

}  // namespace dw
