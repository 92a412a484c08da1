#include "pjlink/config.h"

#include <algorithm>
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

bool wildcard(const std::string& host)
{
    return host == "0.0.0.0" || host == "::";
}

// Two listening addresses that cannot both be bound (the hosts are
// normalised: 127.000.000.001 is 127.0.0.1, [0::1] is [::1]).
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

bool parseListen(std::string_view text, std::string& host, std::uint16_t& port, std::string& why)
{
    const auto address = parseHostPort(text, HostPortRules{}, why);
    if (!address)
        return false;
    host = address->host;
    port = address->port;
    return true;
}

std::string passwordFileWarning(const std::string& fileName, bool holdsPassword, bool readableByOthers)
{
    if (!holdsPassword || !readableByOthers)
        return {};
    return fileName + ": holds a password and every user of this machine can read it; make it readable "
                      "only by root and the service (chmod o= " + fileName + ")";
}

std::vector<std::string> configWarnings(const std::string& fileName, const ScannedIni& ini)
{
    std::vector<std::string> warnings;
    for (const ConfigEntry& e : ini.entries) {
        if (!e.cutAtSemicolon)
            continue;
        warnings.push_back(fileName + ":" + std::to_string(e.line) + ": "
                           + (e.section.empty() ? std::string() : "[" + e.section + "] ") + e.key
                           + ": the value ends at a \";\", which starts a comment; to keep a \";\" in it, "
                             "write the value in double quotes (" + e.key + "=\"...\")");
    }
    return warnings;
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
        // A ";" outside double quotes starts a comment. One right after the
        // text ("ab;cd") was more likely meant as part of the value.
        bool quoted = false;
        bool cut = false;
        for (std::size_t i = 0; i < value.size(); ++i) {
            if (value[i] == '"')
                quoted = !quoted;
            else if (value[i] == ';' && !quoted) {
                cut = i == 0 || (value[i - 1] != ' ' && value[i - 1] != '\t');
                value = value.substr(0, i);
                break;
            }
        }
        value = trim(value);
        ini.entries.push_back(ConfigEntry{section, std::string(key), std::string(value), lineNumber,
                                          eq != std::string_view::npos, cut});
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
        if (!e.assignment)
            return at(e.line, e.section, std::string(kLineWithoutEquals));
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
            std::string why;
            if (!parseListen(v, p->listenHost, p->listenPort, why))
                return bad("\"" + v + "\" is not HOST:PORT: " + why);
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
