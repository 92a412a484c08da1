#include "settings/ini_text.h"

#include <algorithm>
#include <cstdint>
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

// One element of a value as the library unescapes it: the characters that
// escapes and plain ASCII give, and whether bytes beyond ASCII were there
// too (the library decodes them as UTF-8: characters that are never ASCII
// and can stand anywhere among the others, or vanish at the end).
struct Element {
    std::u16string chars;
    bool beyondAscii = false;
};

// The elements of a value, split at commas outside quotes, its escapes and
// blanks read step by step as the library reads them.
std::vector<Element> unescapedElements(std::string_view raw)
{
    static constexpr std::string_view kNamed = "abfnrtv\"?'\\";
    static constexpr std::string_view kMeant = "\a\b\f\n\r\t\v\"?'\\";
    std::vector<Element> out(1);
    bool inQuotes = false;
    bool quoted = false;      // this element had a quote: its blanks at the end stay
    std::size_t chopLimit = 0; // blanks before it came from escapes or quotes: they stay
    std::size_t i = 0;
    auto chars = [&]() -> std::u16string& { return out.back().chars; };
    auto skipBlanks = [&] {
        while (i < raw.size() && (raw[i] == ' ' || raw[i] == '\t'))
            ++i;
    };
    auto chop = [&] {
        while (chars().size() > chopLimit && (chars().back() == u' ' || chars().back() == u'\t'))
            chars().pop_back();
    };
    auto digitOf = [](char c, bool hex) -> int {
        if (c >= '0' && c <= (hex ? '9' : '7'))
            return c - '0';
        const char lower = static_cast<char>(c | 0x20);
        return hex && lower >= 'a' && lower <= 'f' ? lower - 'a' + 10 : -1;
    };
    skipBlanks();
    while (i < raw.size()) {
        const char c = raw[i++];
        if (c == '\\') {
            if (i >= raw.size())
                return out; // the library stops here, blanks and all
            const char e = raw[i++];
            if (const auto named = kNamed.find(e); named != std::string_view::npos) {
                chars() += static_cast<char16_t>(kMeant[named]);
            } else if (const bool hex = e == 'x'; (hex && i < raw.size() && digitOf(raw[i], true) >= 0)
                                                  || digitOf(e, false) >= 0) {
                // As many digits as follow, kept in 16 bits as the library keeps them.
                auto value = static_cast<std::uint16_t>(hex ? 0 : digitOf(e, false));
                for (int d; i < raw.size() && (d = digitOf(raw[i], hex)) >= 0; ++i)
                    value = static_cast<std::uint16_t>((value << (hex ? 4 : 3)) + d);
                chars() += static_cast<char16_t>(value);
                if (i >= raw.size())
                    return out;
            } else if (hex && i >= raw.size()) {
                return out;
            } else if ((e == '\n' || e == '\r') && i < raw.size() && (raw[i] == '\n' || raw[i] == '\r')
                       && raw[i] != e) {
                ++i; // a line end goes with its partner; any other character goes alone
            }
            chopLimit = chars().size();
        } else if (c == '"') {
            quoted = true;
            inQuotes = !inQuotes;
            if (!inQuotes) {
                skipBlanks();
                chopLimit = chars().size();
            }
        } else if (c == ',' && !inQuotes) {
            if (!quoted)
                chop();
            out.emplace_back();
            quoted = false;
            skipBlanks();
            chopLimit = 0;
        } else if (static_cast<unsigned char>(c) >= 0x80) {
            out.back().beyondAscii = true;
        } else {
            chars() += static_cast<char16_t>(c);
        }
    }
    if (!quoted)
        chop();
    return out;
}

// Whether the library would decode the element as a binary value of a type
// that is not plain.
bool unsafeBinary(const Element& e)
{
    const std::u16string_view s = e.chars;
    auto startsWith = [&](std::u16string_view prefix) { return s.substr(0, prefix.size()) == prefix; };
    const std::size_t offset = startsWith(u"@Variant(") ? 9 : startsWith(u"@DateTime(") ? 10 : 0;
    if (offset == 0 || s.back() != u')')
        return false;
    if (e.beyondAscii)
        return true; // where those characters fall is not known here
    // The type: the first four bytes of the payload, big-endian, each
    // character as Latin-1 ('?' beyond it); nothing readable is type 0.
    const std::u16string_view payload = s.substr(offset);
    if (payload.size() < 4)
        return false;
    std::uint32_t type = 0;
    for (std::size_t k = 0; k < 4; ++k)
        type = (type << 8) | (payload[k] <= 0xff ? payload[k] : u'?');
    // Invalid, bool, int, uint, long long, unsigned long long, double, char;
    // string; byte array, bit array, date, time, date-time, URL, locale,
    // rect(F), size(F), line(F), point(F). Lists (9, 11), maps (8, 28) and
    // all the rest are not let through.
    const bool plain = type <= 7 || type == 10 || (type >= 12 && type <= 26);
    return !plain;
}

} // namespace

ScreenedIni screenedIni(std::string_view text)
{
    ScreenedIni out;
    std::vector<Cut> cuts;
    for (const Line& line : logicalLines(text)) {
        if (line.header || line.equals == std::string_view::npos)
            continue;
        const std::string_view raw = text.substr(line.equals + 1, line.end - line.equals - 1);
        const std::vector<Element> elements = unescapedElements(raw);
        if (std::none_of(elements.begin(), elements.end(), unsafeBinary))
            continue;
        out.replaced.push_back(IniEntry{line.section,
                                        std::string(trimmed(text.substr(line.start, line.equals - line.start))),
                                        std::string(trimmed(raw))});
        cuts.push_back(Cut{line.equals + 1, line.end, "@Invalid()"});
    }
    out.text = applyCuts(text, cuts);
    return out;
}

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
