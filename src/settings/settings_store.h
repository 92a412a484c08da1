#pragma once

#include <string>
#include <utility>
#include <vector>

namespace orva {

// An entry as the store holds it: absent, text, or present but not readable
// as text (damaged, or a value some other program stored in another form).
struct StoredEntry {
    enum class State { Absent, Text, Unreadable };
    State state = State::Absent;
    std::string text; // State::Text only
};

// What became of a write to the settings store.
struct StoreOutcome {
    enum class Problem {
        None,           // stored
        ReadOnlyFile,   // the file exists and may not be written
        NotAFile,       // the name is taken by something else (a folder)
        ReadOnlyFolder, // the folder may not be written (the file cannot be made or replaced)
        NoFolder,       // the folder does not exist and cannot be made
        Malformed,      // the file does not read cleanly; it was left as it is
        Failed,         // anything else the settings library reports
    };
    Problem problem = Problem::None;
    std::string where;  // the file (or registry key) the values were meant for
    std::string detail; // Malformed: what does not read; NoFolder, ReadOnlyFolder: the folder
    bool stored() const { return problem == Problem::None; }
};

// The per-user settings store of application "ORVA": text values by section
// and key, kept between runs.
class SettingsStore {
public:
    using Entries = std::vector<std::pair<std::string, std::string>>;

    virtual ~SettingsStore() = default;
    // The stored text, or `fallback` when the key is absent.
    virtual std::string read(const std::string& section, const std::string& key,
                             const std::string& fallback) const = 0;
    // Writes the entries of one section together, in one write. Either all of
    // them are kept, or none is and the outcome says why. A store that does
    // not read cleanly is never rewritten.
    virtual StoreOutcome write(const std::string& section, const Entries& entries) = 0;

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
