#pragma once

#include <string>

namespace orva {

// An entry as the store holds it: absent, text, or present but not readable
// as text (damaged, or a value some other program stored in another form).
struct StoredEntry {
    enum class State { Absent, Text, Unreadable };
    State state = State::Absent;
    std::string text; // State::Text only
};

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

    // The entry as it stands now, with the changes other programs made since
    // the last read; an entry that is there but not text is told apart from
    // an absent one. Stores that cannot hold anything but text, and never
    // change behind the program's back, need not override this.
    virtual StoredEntry readCurrent(const std::string& section, const std::string& key) const
    {
        static const std::string absent("\x01(absent)\x01");
        std::string text = read(section, key, absent);
        if (text == absent)
            return {};
        return {StoredEntry::State::Text, std::move(text)};
    }
};

} // namespace orva
