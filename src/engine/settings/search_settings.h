#pragma once

#include "engine/search/file_entry.h"
#include "engine/settings/settings_store.h"

#include <cstdint>
#include <string>
#include <vector>

namespace dw {

// The desktop's colours used as defaults where a colour setting is missing.
struct SystemColours {
    Colour window = 0xFFFFFF;
    Colour windowText = 0x000000;
};

// The eight list colours and the column fitting flag of the "View" section.
struct ListAppearance {
    Colour bkColor = 0xFFFFFF;
    Colour sysColor = 0x0000FF;
    Colour readOnlyColor = 0x0000FF;
    Colour hiddenColor = 0x000000;
    Colour duplicatesColor = 0x8E8E8E;
    Colour defaultColor = 0x000000;
    Colour compressedColor = 0xFF0000;
    Colour archiveColor = 0x000000;
    bool autoArrange = true;
};

// Every user preference, named after the stored value names.
struct SearchSettings {
    // FindDuplicates
    int fundDuplicatesMode = 1;  // 0 fast, 1 normal, 2 paranoid
    std::vector<std::string> duplicatesExcludeDirs;
    // FindEmpty
    bool findFiles = true;
    bool bySize = true;
    int lessThen = 1;            // 0 ">", 1 "<"
    std::uint32_t size = 1;      // units of 1000 bytes
    // FindMask
    std::vector<std::string> masks;  // "name\tpattern;pattern"
    std::vector<std::string> maskExcludeDirs;
    std::vector<std::string> patterns;  // derived: flattened, trimmed, sorted
    // FindOld
    bool byDays = false;
    int days = 0;
    int months = 1;
    std::vector<std::string> oldExcludeDirs;
    // View
    ListAppearance view;
    // Global
    bool useSystemDiskOperations = true;
    bool removeToRecycleBin = true;
    int priority = 1;            // 0 low, 1 normal, 2 high
    int securityLevel = 1;       // 1 high, 0 low

    // Fills every field from the store with the defaults and first-run
    // additions, then rebuilds `patterns`.
    void load(SettingsStore& store, const SystemColours& system = {});
    // Writes every field back (sections deleted first where the rules say so)
    // and rebuilds `patterns`.
    void save(SettingsStore& store);
    // Rebuilds `patterns` from `masks`.
    void rebuildPatterns();
};

// The patterns of one mask text (the part after the name's tab): split at ';'
// with double-quote quoting, trimmed, empty ones dropped.
std::vector<std::string> splitMaskPatterns(const std::string& text);

// Folders excluded from the duplicate search on a first run.
std::vector<std::string> firstRunDuplicateExclusions();

}  // namespace dw
