#pragma once

#include "engine/settings/settings_store.h"

#include <memory>
#include <string>

class QSettings;

namespace dw::platform {

inline constexpr const char* SettingsOrganisation = "Quillbay";

// SettingsStore over QSettings: sections are groups, except "General", which
// is the file's own [General] (QSettings' root) so that the file reads the way
// it is written by hand. Strings are UTF-8; bytes that are not valid UTF-8 are
// kept as a byte array so that any path survives.
class QSettingsStore final : public SettingsStore {
public:
    // The user's store: organisation "Quillbay" and `application`, i.e.
    // ~/.config/Quillbay/<application>.conf.
    static QSettingsStore forUser(const std::string& application);
    // An INI file; a missing file reads as empty and is created by flush().
    static QSettingsStore fromIniFile(const std::string& path);

    QSettingsStore(QSettingsStore&&) noexcept;
    QSettingsStore& operator=(QSettingsStore&&) noexcept;
    ~QSettingsStore() override;

    // A missing value or one that is not a number in the 32-bit range gives
    // `fallback`; values above INT_MAX come back as their 32-bit pattern.
    int readInt(const std::string& section, const std::string& name, int fallback) override;
    std::string readString(const std::string& section, const std::string& name,
                           const std::string& fallback) override;
    void writeInt(const std::string& section, const std::string& name, int value) override;
    void writeString(const std::string& section, const std::string& name,
                     const std::string& value) override;
    void deleteSection(const std::string& section) override;
    bool flush() override;

    // The file behind the store.
    std::string fileName() const;

private:
    explicit QSettingsStore(std::unique_ptr<QSettings> settings);

    std::unique_ptr<QSettings> settings_;
};

// The running executable's file name without its extension: the application
// name of the user's store.
std::string executableBaseName();

}  // namespace dw::platform
