#include "settings/ini_text.h"

#include <vector>

namespace orva {
namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

std::string_view trimmed(std::string_view s)
{
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

// One logical line: a section header or a key line, as the store reads it.
struct Line {
    std::size_t start = 0;   // first character of the content
    std::size_t end = 0;     // one past its last character (before a comment or the line end)
    std::size_t equals = std::string_view::npos; // the "=" that ends the key
    std::string section;     // the section it belongs to (for a header: its own name)
    bool header = false;
};

// Splits the text into logical lines: blanks before a line are skipped, a
// line ends at CR or LF outside quotes or at ";" outside quotes; a backslash
// takes the next character with it (so a line end after one goes on).
std::vector<Line> logicalLines(std::string_view data)
{
    std::vector<Line> lines;
    std::string section;
    std::size_t pos = 0;
    const std::size_t n = data.size();
    while (pos < n) {
        std::size_t start = pos;
        while (start < n && isBlank(data[start]))
            ++start;
        if (start < n && data[start] == ';') { // a comment line
            while (start < n && data[start] != '\n' && data[start] != '\r')
                ++start;
            pos = start;
            continue;
        }
        bool inQuotes = false;
        std::size_t equals = std::string_view::npos;
        std::size_t i = start;
        while (i < n) {
            const char c = data[i];
            if (c == '=') {
                if (!inQuotes && equals == std::string_view::npos)
                    equals = i;
            } else if (c == '\n' || c == '\r' || c == ';') {
                if (!inQuotes)
                    break;
            } else if (c == '\\') {
                if (i + 1 < n) {
                    ++i;
                    const char c1 = data[i];
                    if (i + 1 < n && ((c1 == '\n' && data[i + 1] == '\r') || (c1 == '\r' && data[i + 1] == '\n')))
                        ++i;
                }
            } else if (c == '"') {
                inQuotes = !inQuotes;
            }
            ++i;
        }
        pos = i;
        if (i == start)
            continue;
        Line line;
        line.start = start;
        line.end = i;
        line.equals = equals;
        const std::string_view content = data.substr(start, i - start);
        if (content.front() == '[') {
            const std::size_t close = content.find(']');
            section = std::string(trimmed(content.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1)));
            line.header = true;
        }
        line.section = section;
        lines.push_back(std::move(line));
    }
    return lines;
}

bool isKeyLine(const Line& line, std::string_view data, std::string_view section, std::string_view key)
{
    if (line.header || line.section != section || line.equals == std::string_view::npos)
        return false;
    return trimmed(data.substr(line.start, line.equals - line.start)) == key;
}

std::string_view lineEndOf(std::string_view text)
{
    return text.find("\r\n") != std::string_view::npos ? "\r\n" : "\n";
}

// The start of the physical line holding `pos`.
std::size_t physicalStart(std::string_view data, std::size_t pos)
{
    while (pos > 0 && data[pos - 1] != '\n' && data[pos - 1] != '\r')
        --pos;
    return pos;
}

// One past the line end of the physical line holding `pos` (its CR LF, CR
// or LF included), or the end of the text.
std::size_t physicalEnd(std::string_view data, std::size_t pos)
{
    const std::size_t n = data.size();
    while (pos < n && data[pos] != '\n' && data[pos] != '\r')
        ++pos;
    if (pos < n && data[pos] == '\r') {
        ++pos;
        if (pos < n && data[pos] == '\n')
            ++pos;
    } else if (pos < n) {
        ++pos;
    }
    return pos;
}

struct Cut {
    std::size_t from;
    std::size_t to;
    std::string with;
};

std::string applyCuts(std::string_view data, const std::vector<Cut>& cuts)
{
    std::string out;
    std::size_t at = 0;
    for (const Cut& c : cuts) { // in order, not overlapping
        out.append(data.substr(at, c.from - at));
        out += c.with;
        at = c.to;
    }
    out.append(data.substr(at));
    return out;
}

// The whole physical lines that a key line spans, its comment included.
Cut removal(std::string_view data, const Line& line)
{
    return Cut{physicalStart(data, line.start), physicalEnd(data, line.end), {}};
}

std::string insertIniKey(std::string_view text, std::string_view section, std::string_view key,
                         std::string_view valueText)
{
    const std::vector<Line> lines = logicalLines(text);
    const std::string entry = std::string(key) + "=" + std::string(valueText);
    const std::string_view eol = lineEndOf(text);

    std::vector<Cut> cuts;
    for (const Line& line : lines) {
        if (!isKeyLine(line, text, section, key))
            continue;
        if (cuts.empty()) {
            // Rewrite the key and value only: blanks before it and a
            // comment after it stay.
            std::size_t end = line.end;
            while (end > line.start && isBlank(text[end - 1]))
                --end;
            cuts.push_back(Cut{line.start, end, entry});
        } else {
            cuts.push_back(removal(text, line));
        }
    }
    if (!cuts.empty())
        return applyCuts(text, cuts);

    // Absent: after the last line of the last such section.
    const Line* last = nullptr;
    for (const Line& line : lines) {
        if (line.section == section && (line.header || line.equals != std::string_view::npos))
            last = &line;
    }
    std::string out(text);
    if (last) {
        const std::size_t at = physicalEnd(text, last->end);
        std::string insert;
        if (at == text.size() && (at == 0 || (text.back() != '\n' && text.back() != '\r')))
            insert += eol;
        insert += entry;
        insert += eol;
        out.insert(at, insert);
        return out;
    }
    if (!out.empty()) {
        if (out.back() != '\n' && out.back() != '\r')
            out += eol;
        out += eol;
    }
    out += "[" + std::string(section) + "]";
    out += eol;
    out += entry;
    out += eol;
    return out;
}

} // namespace

std::optional<std::string> setIniKey(std::string_view text, std::string_view section, std::string_view key,
                                     std::string_view valueText)
{
    std::string out = insertIniKey(text, section, key, valueText);
    if (iniValueText(out, section, key) != valueText)
        return std::nullopt;
    return out;
}

std::string removeIniKey(std::string_view text, std::string_view section, std::string_view key)
{
    std::vector<Cut> cuts;
    for (const Line& line : logicalLines(text)) {
        if (isKeyLine(line, text, section, key))
            cuts.push_back(removal(text, line));
    }
    return applyCuts(text, cuts);
}

std::vector<IniEntry> iniEntries(std::string_view text)
{
    std::vector<IniEntry> out;
    for (const Line& line : logicalLines(text)) {
        if (line.header || line.equals == std::string_view::npos)
            continue;
        out.push_back(IniEntry{line.section, std::string(trimmed(text.substr(line.start, line.equals - line.start))),
                               std::string(trimmed(text.substr(line.equals + 1, line.end - line.equals - 1)))});
    }
    return out;
}

std::optional<std::string> iniValueText(std::string_view text, std::string_view section,
                                        std::string_view key)
{
    std::optional<std::string> value;
    for (const Line& line : logicalLines(text)) {
        if (isKeyLine(line, text, section, key))
            value = std::string(trimmed(text.substr(line.equals + 1, line.end - line.equals - 1)));
    }
    return value;
}

} // namespace orva
