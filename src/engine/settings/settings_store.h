#pragma once

#include <string>

namespace dw {

// A per-user hierarchical key/value store: sections hold integer and string
// values, and a whole section can be deleted. The real one is QSettings.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;

    virtual int readInt(const std::string& section, const std::string& name, int fallback) = 0;
    virtual std::string readString(const std::string& section, const std::string& name,
                                   const std::string& fallback) = 0;
    virtual void writeInt(const std::string& section, const std::string& name, int value) = 0;
    virtual void writeString(const std::string& section, const std::string& name,
                             const std::string& value) = 0;
    // Removes the section with all its values; a missing section is no error.
    virtual void deleteSection(const std::string& section) = 0;
    // Pushes pending writes to disk; true when the store is intact afterwards.
    virtual bool flush() { return true; }
};

}  // namespace dw
