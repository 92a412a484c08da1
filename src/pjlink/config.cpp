#include "pjlink/config.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <optional>

namespace orva::pjlink {
namespace {

std::string_view trim(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

bool printable(std::string_view s)
{
    return std::all_of(s.begin(), s.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u >= 0x20 && u != 0x7f;
    });
}

std::optional<unsigned> number(std::string_view s, unsigned max)
{
    unsigned value = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (s.empty() || ec != std::errc() || end != s.data() + s.size() || value > max)
        return std::nullopt;
    return value;
}

bool ipv4(std::string_view s)
{
    int parts = 0;
    while (true) {
        const auto dot = s.find('.');
        const std::string_view part = s.substr(0, dot);
        if (part.empty() || part.size() > 3 || !number(part, 255))
            return false;
        ++parts;
        if (dot == std::string_view::npos)
            break;
        s.remove_prefix(dot + 1);
    }
    return parts == 4;
}

bool ipv6(std::string_view s)
{
    return s.find(':') != std::string_view::npos && s.size() <= 45
        && std::all_of(s.begin(), s.end(), [](char c) {
               return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F') || c == ':'
                   || c == '.';
           });
}

bool wildcard(const std::string& host)
{
    return host == "0.0.0.0" || host == "::";
}

// Two listening addresses that cannot both be bound.
bool clash(const ProjectorConfig& a, const ProjectorConfig& b)
{
    return a.listenPort == b.listenPort
        && (a.listenHost == b.listenHost || wildcard(a.listenHost) || wildcard(b.listenHost));
}

} // namespace

std::string ProjectorConfig::listenText() const
{
    const bool v6 = listenHost.find(':') != std::string::npos;
    return (v6 ? "[" + listenHost + "]" : listenHost) + ":" + std::to_string(listenPort);
}

bool parseListen(std::string_view text, std::string& host, std::uint16_t& port)
{
    const auto colon = text.rfind(':');
    if (colon == std::string_view::npos)
        return false;
    std::string_view h = text.substr(0, colon);
    const auto p = number(text.substr(colon + 1), 65535);
    if (!p || *p == 0)
        return false;
    if (h.size() >= 2 && h.front() == '[' && h.back() == ']') {
        h = h.substr(1, h.size() - 2);
        if (!ipv6(h))
            return false;
    } else if (!ipv4(h)) {
        return false;
    }
    host = std::string(h);
    port = static_cast<std::uint16_t>(*p);
    return true;
}

ScannedIni scanIni(std::string_view text)
{
    ScannedIni ini;
    std::string section;
    int lineNumber = 0;
    while (!text.empty()) {
        ++lineNumber;
        const auto end = text.find('\n');
        const std::string_view line = trim(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (line.empty() || line.front() == ';' || line.front() == '#')
            continue;
        if (line.front() == '[') {
            const auto close = line.find(']');
            section = std::string(line.substr(1, close == std::string_view::npos ? line.size() - 1 : close - 1));
            ini.sections.push_back(ConfigSection{section, lineNumber});
            continue;
        }
        const auto eq = line.find('=');
        const std::string_view key = trim(line.substr(0, eq));
        std::string_view value = eq == std::string_view::npos ? std::string_view() : line.substr(eq + 1);
        value = trim(value.substr(0, value.find(';')));
        ini.entries.push_back(ConfigEntry{section, std::string(key), std::string(value), lineNumber});
    }
    return ini;
}

std::variant<std::vector<ProjectorConfig>, std::string> readConfig(const std::string& fileName,
                                                                   const ScannedIni& ini)
{
    auto at = [&](int line, const std::string& section, const std::string& what) {
        std::string where = fileName + ":" + std::to_string(line) + ": ";
        if (!section.empty())
            where += "[" + section + "] ";
        return where + what;
    };

    std::vector<ProjectorConfig> projectors;
    std::map<std::string, int> lines; // section -> its line
    for (const ConfigSection& s : ini.sections) {
        if (s.name == kMetricsSection)
            continue;
        if (s.name.empty() || !printable(s.name))
            return at(s.line, {}, "a section needs a name");
        if (lines.count(s.name))
            return at(s.line, s.name, "the section appears twice (first at line "
                                          + std::to_string(lines[s.name]) + ")");
        lines[s.name] = s.line;
        ProjectorConfig p;
        p.section = s.name;
        p.name = s.name;
        projectors.push_back(std::move(p));
    }

    std::map<std::string, bool> hasTarget;
    for (const ConfigEntry& e : ini.entries) {
        if (e.section == kMetricsSection)
            continue;
        if (e.section.empty())
            return at(e.line, {}, e.key + ": a key outside any projector's section");
        auto p = std::find_if(projectors.begin(), projectors.end(),
                              [&](const ProjectorConfig& c) { return c.section == e.section; });
        const std::string& v = e.value;
        auto bad = [&](const std::string& why) { return at(e.line, e.section, e.key + ": " + why); };
        if (e.key == "target") {
            auto target = parsePortTarget(v);
            if (!target)
                return bad("\"" + v + "\" is not a device path, tcp://HOST:PORT or rfc2217://HOST:PORT");
            p->target = std::move(*target);
            hasTarget[e.section] = true;
        } else if (e.key == "baud") {
            if (v != "9600" && v != "19200")
                return bad("\"" + v + "\" is not 9600 or 19200");
            p->baud = v == "9600" ? 9600 : 19200;
        } else if (e.key == "listen") {
            if (!parseListen(v, p->listenHost, p->listenPort))
                return bad("\"" + v + "\" is not HOST:PORT (an IPv4 address, or an IPv6 address in brackets)");
        } else if (e.key == "password") {
            if (v.size() > 32 || !printable(v))
                return bad("at most 32 printable ASCII characters");
            p->password = v;
        } else if (e.key == "name") {
            if (v.size() > 64 || !printable(v))
                return bad("at most 64 printable characters");
            p->name = v.empty() ? e.section : v;
        } else if (e.key == "model") {
            if (v.size() > 32 || !printable(v))
                return bad("at most 32 printable characters");
            p->model = v;
        } else {
            return bad("not a key of a projector (target, baud, listen, password, name, model)");
        }
    }

    for (std::size_t i = 0; i < projectors.size(); ++i) {
        const ProjectorConfig& p = projectors[i];
        const int line = lines[p.section];
        if (!hasTarget[p.section])
            return at(line, p.section, "target: missing (the projector's line)");
        for (std::size_t j = 0; j < i; ++j) {
            if (clash(projectors[j], p))
                return at(line, p.section, "listen: " + p.listenText() + " is taken by [" + projectors[j].section
                                               + "] (" + projectors[j].listenText() + ")");
            if (projectors[j].target == p.target)
                return at(line, p.section, "target: " + p.target.text() + " is already the line of ["
                                               + projectors[j].section + "]");
        }
    }
    return projectors;
}

} // namespace orva::pjlink
