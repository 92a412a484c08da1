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

} // namespace orva
