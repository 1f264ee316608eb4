#include "engine/settings/search_settings.h"

#include "engine/texts.h"

#include <QString>

#include <algorithm>
#include <iterator>
#include <utility>

namespace dw {

namespace {

constexpr const char* General = "General";
constexpr const char* FindDuplicates = "FindDuplicates";
constexpr const char* FindEmpty = "FindEmpty";
constexpr const char* FindMask = "FindMask";
constexpr const char* FindOld = "FindOld";
constexpr const char* View = "View";
constexpr const char* Global = "Global";

constexpr const char* ExcludeDir = "ExcludeDir";
constexpr const char* Mask = "Mask";

// A numbered list ends at the first missing index or at an entry that is
// exactly this text.
constexpr const char* ListEnd = "EMPTY";

std::string numbered(const char* prefix, std::size_t index)
{
    return prefix + std::to_string(index);
}

std::vector<std::string> readList(SettingsStore& store, const char* section, const char* prefix)
{
    std::vector<std::string> list;
    for (std::size_t i = 0;; ++i) {
        std::string value = store.readString(section, numbered(prefix, i), ListEnd);
        if (value == ListEnd)
            break;
        list.push_back(std::move(value));
    }
    return list;
}

void writeList(SettingsStore& store, const char* section, const char* prefix,
               const std::vector<std::string>& list)
{
    for (std::size_t i = 0; i < list.size(); ++i)
        store.writeString(section, numbered(prefix, i), list[i]);
}

bool readBool(SettingsStore& store, const char* section, const char* name, bool fallback)
{
    return store.readInt(section, name, fallback ? 1 : 0) != 0;
}

int readClamped(SettingsStore& store, const char* section, const char* name, int fallback,
                int low, int high)
{
    return std::clamp(store.readInt(section, name, fallback), low, high);
}

// Colours are 0x00BBGGRR; a stray high byte would be taken for alpha by the lists.
Colour readColour(SettingsStore& store, const char* name, Colour fallback)
{
    return static_cast<Colour>(store.readInt(View, name, static_cast<int>(fallback))) & 0xFFFFFFu;
}

void writeColour(SettingsStore& store, const char* name, Colour value)
{
    store.writeInt(View, name, static_cast<int>(value));
}

void prepend(std::vector<std::string>& list, const std::vector<std::string>& head)
{
    list.insert(list.begin(), head.begin(), head.end());
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

void appendTrimmed(std::vector<std::string>& out, const std::string& token)
{
    auto first = std::find_if_not(token.begin(), token.end(), isBlank);
    auto last = std::find_if_not(token.rbegin(), token.rend(), isBlank).base();
    if (first < last)
        out.emplace_back(first, last);
}

}  // namespace

std::vector<std::string> splitMaskPatterns(const std::string& text)
{
    std::vector<std::string> patterns;
    std::string token;
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '"') {
            if (quoted && i + 1 < text.size() && text[i + 1] == '"') {
                // A doubled quote is a literal one and closes the quoted part.
                token += '"';
                ++i;
                quoted = false;
            } else {
                quoted = !quoted;
            }
        } else if (c == ';' && !quoted) {
            appendTrimmed(patterns, token);
            token.clear();
        } else {
            token += c;
        }
    }
    appendTrimmed(patterns, token);
    return patterns;
}

std::vector<std::string> firstRunDuplicateExclusions()
{
    return {"/usr/", "/etc/"};
}

void SearchSettings::rebuildPatterns()
{
    patterns.clear();
    for (const std::string& mask : masks) {
        auto tab = mask.find('\t');
        auto found = splitMaskPatterns(tab == std::string::npos ? mask : mask.substr(tab + 1));
        std::move(found.begin(), found.end(), std::back_inserter(patterns));
    }

    // Case folding through Qt so that Cyrillic names sort like Latin ones;
    // the sort is stable so equal patterns keep their mask order.
    std::vector<std::pair<QString, std::string>> keyed;
    keyed.reserve(patterns.size());
    for (std::string& pattern : patterns)
        keyed.emplace_back(QString::fromStdString(pattern), std::move(pattern));
    std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) {
        return QString::compare(a.first, b.first, Qt::CaseInsensitive) < 0;
    });
    patterns.clear();
    for (auto& entry : keyed)
        patterns.push_back(std::move(entry.second));
}

void SearchSettings::load(SettingsStore& store, const SystemColours& system)
{
    // FirstTime stays 1 until the first save, so every start before that
    // offers the defaults again without touching the stored lists.
    const bool firstRun = store.readInt(General, "FirstTime", 1) != 0;

    fundDuplicatesMode = store.readInt(FindDuplicates, "FundDuplicatesMode", 1);
    duplicatesExcludeDirs = readList(store, FindDuplicates, ExcludeDir);
    if (firstRun)
        prepend(duplicatesExcludeDirs, firstRunDuplicateExclusions());

    findFiles = readBool(store, FindEmpty, "FindFiles", true);
    bySize = readBool(store, FindEmpty, "BySize", true);
    lessThen = store.readInt(FindEmpty, "LessThen", 1) == 0 ? 0 : 1;
    size = static_cast<std::uint32_t>(store.readInt(FindEmpty, "Size", 1));

    masks = readList(store, FindMask, Mask);
    maskExcludeDirs = readList(store, FindMask, ExcludeDir);
    if (firstRun)
        prepend(masks, {text::CppIntermediateMask, text::TempFilesMask});
    rebuildPatterns();

    byDays = readBool(store, FindOld, "ByDays", false);
    // Kept as stored: the preferences page limits only what its arrows
    // offer, and a limit typed there or written by hand is the user's.
    days = store.readInt(FindOld, "Days", 0);
    months = store.readInt(FindOld, "Months", 1);
    oldExcludeDirs = readList(store, FindOld, ExcludeDir);

    view.bkColor = readColour(store, "BkColor", system.window);
    view.sysColor = readColour(store, "SysColor", 0x0000FF);
    view.readOnlyColor = readColour(store, "ReadOnlyColor", 0x0000FF);
    view.hiddenColor = readColour(store, "HiddenColor", system.windowText);
    view.duplicatesColor = readColour(store, "DuplicatesColor", 0x8E8E8E);
    view.defaultColor = readColour(store, "DefaultColor", system.windowText);
    view.compressedColor = readColour(store, "CompressedColor", 0xFF0000);
    view.archiveColor = readColour(store, "ArchiveColor", system.windowText);
    view.autoArrange = readBool(store, View, "AutoArrange", true);

    useSystemDiskOperations = readBool(store, Global, "UseSystemDiskOperations", true);
    removeToRecycleBin = readBool(store, Global, "RemoveToRecycleBin", true);
    priority = readClamped(store, Global, "Priority", 1, 0, 2);
    // Anything but an explicit 0 keeps the protective level.
    securityLevel = store.readInt(Global, "SecurityLevel", 1) == 0 ? 0 : 1;
}

void SearchSettings::save(SettingsStore& store)
{
    store.writeInt(General, "FirstTime", 0);

    // Sections are deleted before writing so that no stale list index survives.
    store.deleteSection(FindDuplicates);
    store.writeInt(FindDuplicates, "FundDuplicatesMode", fundDuplicatesMode);
    writeList(store, FindDuplicates, ExcludeDir, duplicatesExcludeDirs);

    store.deleteSection(FindEmpty);
    store.writeInt(FindEmpty, "FindFiles", findFiles ? 1 : 0);
    store.writeInt(FindEmpty, "BySize", bySize ? 1 : 0);
    store.writeInt(FindEmpty, "LessThen", lessThen);
    store.writeInt(FindEmpty, "Size", static_cast<int>(size));

    store.deleteSection(FindMask);
    writeList(store, FindMask, Mask, masks);
    rebuildPatterns();
    writeList(store, FindMask, ExcludeDir, maskExcludeDirs);

    store.deleteSection(FindOld);
    store.writeInt(FindOld, "ByDays", byDays ? 1 : 0);
    store.writeInt(FindOld, "Days", days);
    store.writeInt(FindOld, "Months", months);
    writeList(store, FindOld, ExcludeDir, oldExcludeDirs);

    writeColour(store, "BkColor", view.bkColor);
    writeColour(store, "SysColor", view.sysColor);
    writeColour(store, "ReadOnlyColor", view.readOnlyColor);
    writeColour(store, "HiddenColor", view.hiddenColor);
    writeColour(store, "DuplicatesColor", view.duplicatesColor);
    writeColour(store, "DefaultColor", view.defaultColor);
    writeColour(store, "CompressedColor", view.compressedColor);
    writeColour(store, "ArchiveColor", view.archiveColor);
    store.writeInt(View, "AutoArrange", view.autoArrange ? 1 : 0);

    store.deleteSection(Global);
    store.writeInt(Global, "UseSystemDiskOperations", useSystemDiskOperations ? 1 : 0);
    store.writeInt(Global, "RemoveToRecycleBin", removeToRecycleBin ? 1 : 0);
    store.writeInt(Global, "Priority", priority);
    store.writeInt(Global, "SecurityLevel", securityLevel);

    store.flush();
}

}  // namespace dw
