#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orva {

// Edits one key of the settings file in the INI form the native store uses
// on Linux, keeping every other byte as it is: comments, blank lines, order,
// and the spelling of every other key and value. Lines are read the way the
// store reads them: a value may go on over several lines inside quotes or
// after a backslash, and ";" outside quotes starts a comment.
//
// Sections and keys are compared exactly (case-sensitive, as the store does).

// The text with `key` of `section` set to `valueText`, which is written after
// the "=" as it is (escape it first). The first line of the key is rewritten
// in place; later lines of the same key, which would override it, go. A key
// that is absent is added at the end of the last such section, and a section
// that is absent at the end of the text. The file's line ends are kept
// (CR LF when it uses them). Nothing when the result would not read back
// with the key set (a quote left open earlier swallows what is added).
std::optional<std::string> setIniKey(std::string_view text, std::string_view section, std::string_view key,
                      std::string_view valueText);

// The text without any line of `key` in `section` (with a comment on the
// same line).
std::string removeIniKey(std::string_view text, std::string_view section, std::string_view key);

// The value of `key` in `section` as it is written after the "=", blanks
// around it removed and not unescaped; the last one when the key appears
// more than once. Nothing when absent.
std::optional<std::string> iniValueText(std::string_view text, std::string_view section,
                                        std::string_view key);

// Every key line of the text in order: section, key and value as written.
struct IniEntry {
    std::string section;
    std::string key;
    std::string valueText;
    friend bool operator==(const IniEntry&, const IniEntry&) = default;
};
std::vector<IniEntry> iniEntries(std::string_view text);

// The store's library decodes a value written "@Variant(...)" or
// "@DateTime(...)" from its binary form, and some types claim memory by the
// count they declare before a byte of them is read: a list that says it
// holds four billion entries is reserved as such. This program stores only
// text, so such a value comes from damage or from someone else. The library
// is handed the text with every binary value of another type than a plain
// one (numbers, characters, text, bytes, bits, dates and times, addresses,
// locales, points, sizes, lines, rectangles) made "@Invalid()", which it
// reads as a value that does not load; every other byte stays.
struct ScreenedIni {
    std::string text;
    std::vector<IniEntry> replaced; // as written
    // "[Ports] COM2" for the first value replaced, or an empty text.
    std::string firstReplaced() const
    {
        return replaced.empty() ? std::string() : "[" + replaced.front().section + "] " + replaced.front().key;
    }
};
ScreenedIni screenedIni(std::string_view text);

} // namespace orva
