#pragma once

#include <string>

namespace orva {

// The per-user settings store of application "ORVA": text values by section
// and key, kept between runs.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    // The stored text, or `fallback` when the key is absent.
    virtual std::string read(const std::string& section, const std::string& key,
                             const std::string& fallback) const = 0;
    virtual void write(const std::string& section, const std::string& key,
                       const std::string& value) = 0;
};

} // namespace orva
