#include "ctl/listings.h"

#include "ports/port_target.h"
#include "line/readable_text.h"
#include "reference/catalogues.h"
#include "reference/reference_window.h"
#include "settings/port_map.h"
#include "settings/stored_settings.h"

#include <algorithm>
#include <array>
#include <span>

namespace orva {
namespace {

constexpr std::string_view kPortsSection = "Ports";

std::string padded(std::string s, std::size_t width)
{
    if (s.size() < width)
        s.resize(width, ' ');
    return s;
}

std::string lowered(std::string_view s)
{
    std::string out(s);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

// The key's value, or nothing when the key is absent (asked twice with two
// different fallbacks, so no value can be mistaken for absence).
std::optional<std::string> storedMapping(const SettingsStore& store, const std::string& key)
{
    const std::string a = store.read(std::string(kPortsSection), key, "a");
    if (a == "a" && store.read(std::string(kPortsSection), key, "b") == "b")
        return std::nullopt;
    return a;
}

struct TargetState {
    std::string text;   // for people
    JsonValue exists;   // true, false, or null when it cannot be told
};

TargetState stateOf(const std::string& target, const PathProbe& probe)
{
    const auto t = parsePortTarget(target);
    if (!t)
        return {"not a device path or network address", JsonValue()};
    if (t->isNetwork())
        return {"network address", JsonValue()};
    switch (probe(t->device)) {
    case PathState::CharacterDevice:
        return {"present", true};
    case PathState::NotADevice:
        return {"not a serial device", false};
    case PathState::Absent:
        break;
    }
    return {"absent", false};
}

constexpr std::array<std::string_view, 4> kCatalogueNames{"", "basic", "set", "read"};

std::span<const std::string_view> catalogue(Catalogue c)
{
    switch (c) {
    case Catalogue::Basic:
        return basicCatalogue();
    case Catalogue::ExpandedSet:
        return expandedSetCatalogue();
    case Catalogue::ExpandedRead:
        break;
    }
    return expandedReadCatalogue();
}

} // namespace

Answer portsAnswer(const std::vector<SerialDevice>& devices, const SettingsStore& store,
                   const PathProbe& probe, std::string_view settingsFile)
{
    Answer a;
    std::string& out = a.out;
    JsonValue::Array jsonDevices;
    out += "Serial devices present:\n";
    if (devices.empty())
        out += "  (none found)\n";
    for (const SerialDevice& d : devices) {
        std::string about;
        for (const std::string* part : {&d.description, &d.manufacturer}) {
            if (!part->empty())
                about += (about.empty() ? "" : ", ") + *part;
        }
        if (!d.serialNumber.empty())
            about += (about.empty() ? "" : ", ") + std::string("serial number ") + d.serialNumber;
        out += "  " + (about.empty() ? d.path : padded(d.path, 14) + about) + "\n";
        if (!d.byId.empty())
            out += "  " + padded("", 14) + d.byId + "\n";
        jsonDevices.push_back(JsonValue::Object{{"path", d.path},
                                                {"byId", d.byId.empty() ? JsonValue() : JsonValue(d.byId)},
                                                {"description", d.description},
                                                {"manufacturer", d.manufacturer},
                                                {"serialNumber", d.serialNumber}});
    }

    const int stored = storedPortNumber(store);
    const int baud = storedBaudCode(store) == kBaud9600 ? 9600 : 19200;
    out += "\nCOM ports (the map in " + std::string(settingsFile) + ")";
    out += isUsablePort(stored) ? "; * the stored port, " + std::to_string(baud) + " baud:\n" : ":\n";
    JsonValue::Array jsonMap;
    for (int n = kFirstPort; n <= kLastPort; ++n) {
        const std::string key = "COM" + std::to_string(n);
        const std::optional<std::string> entry = storedMapping(store, key);
        const bool mapped = entry.has_value();
        const PortResolution resolved = resolvePort(n, store);
        // An entry that is no target is shown escaped: it may hold anything.
        const std::string target = resolved.target ? resolved.target->text()
                                                   : entry ? escapedText(*entry) : defaultDeviceForPort(n);
        const TargetState state = stateOf(target, probe);
        std::string line = (n == stored ? "* " : "  ") + padded(key, 7);
        line += padded(target + (mapped ? "" : " (default)"), 34) + " " + state.text;
        while (!line.empty() && line.back() == ' ')
            line.pop_back();
        out += line + "\n";
        jsonMap.push_back(JsonValue::Object{{"com", key},
                                            {"target", target},
                                            {"mapped", mapped},
                                            {"exists", state.exists},
                                            {"state", state.text},
                                            {"stored", n == stored}});
    }
    if (!out.empty() && out.back() == '\n')
        out.pop_back();
    a.json = {{"devices", std::move(jsonDevices)},
              {"map", std::move(jsonMap)},
              {"settings", std::string(settingsFile)},
              {"storedPort", isUsablePort(stored) ? JsonValue("COM" + std::to_string(stored)) : JsonValue()},
              {"storedBaud", baud}};
    return a;
}

namespace {

// An entry as two columns: the command up to its "[CR]", and what follows
// it, without the blanks and tabs in between or at the end.
std::pair<std::string_view, std::string_view> columnsOf(std::string_view entry)
{
    constexpr std::string_view kBlanks = " \t";
    const std::size_t cr = entry.find("[CR]");
    const std::size_t split = cr == std::string_view::npos ? entry.size() : cr + 4;
    std::string_view rest = entry.substr(split);
    const std::size_t from = rest.find_first_not_of(kBlanks);
    rest = from == std::string_view::npos ? std::string_view() : rest.substr(from);
    rest = rest.substr(0, rest.find_last_not_of(kBlanks) + 1);
    std::string_view head = entry.substr(0, split);
    head = head.substr(0, head.find_last_not_of(kBlanks) + 1);
    return {head, rest};
}

} // namespace

Answer commandsAnswer(std::optional<Catalogue> only, std::string_view grep)
{
    Answer a;
    JsonValue::Array list;
    std::vector<std::pair<std::string_view, std::string_view>> rows;
    const std::string needle = lowered(grep);
    for (Catalogue c : {Catalogue::Basic, Catalogue::ExpandedSet, Catalogue::ExpandedRead}) {
        if (only && *only != c)
            continue;
        const auto entries = catalogue(c);
        for (std::size_t i = 0; i < entries.size(); ++i) {
            const std::string_view entry = entries[i];
            if (entry.find_first_not_of(' ') == std::string_view::npos)
                continue; // the empty entries and the single blank
            if (!needle.empty() && lowered(entry).find(needle) == std::string::npos)
                continue;
            rows.push_back(columnsOf(entry));
            list.push_back(JsonValue::Object{{"catalogue", kCatalogueNames[static_cast<std::size_t>(c)]},
                                             {"index", static_cast<int>(i)},
                                             {"command", commandTextOf(entry)},
                                             {"entry", entry}});
        }
    }
    std::size_t width = 0;
    for (const auto& row : rows)
        width = std::max(width, row.first.size());
    for (const auto& [head, rest] : rows) {
        if (!a.out.empty())
            a.out += "\n";
        a.out += rest.empty() ? std::string(head) : padded(std::string(head), width + 2) + std::string(rest);
    }
    if (!needle.empty() && list.empty())
        a.status = ExitStatus::NothingFound;
    a.json = {{"commands", std::move(list)}};
    return a;
}

Answer mapAnswer(const Request& request, const SettingsStore& store, PortMapWriter& writer,
                 const PathProbe& probe)
{
    Answer a;
    const std::string key = "COM" + std::to_string(request.com);
    const std::optional<std::string> before = storedMapping(store, key);
    const std::string file = writer.location();
    a.json = {{"com", key},
              {"previous", before ? JsonValue(*before) : JsonValue()},
              {"settings", file}};
    auto done = [&](JsonValue target, bool changed) {
        a.json.emplace_back("target", std::move(target));
        a.json.emplace_back("changed", changed);
        return a;
    };
    if (request.remove) {
        if (!before) {
            a.out = key + " was not mapped; it is " + defaultDeviceForPort(request.com);
            return done(JsonValue(), false);
        }
        std::string error;
        if (!writer.writeMapping(key, std::nullopt, error)) {
            a.status = ExitStatus::Failed;
            a.err = "could not write " + file + ": " + error;
            return done(JsonValue(*before), false);
        }
        a.out = key + " no longer mapped (was " + *before + "); it is " + defaultDeviceForPort(request.com) + " again";
        return done(JsonValue(), true);
    }

    const PortTarget& target = *request.target;
    const std::string text = target.text();
    if (!target.isNetwork()) {
        switch (probe(target.device)) {
        case PathState::NotADevice:
            a.status = ExitStatus::Usage;
            a.err = text + " is not a serial device; nothing written";
            return done(before ? JsonValue(*before) : JsonValue(), false);
        case PathState::Absent:
            a.err = "note: " + text + " does not exist now; mapped all the same";
            break;
        case PathState::CharacterDevice:
            break;
        }
    }
    if (before && *before == text) {
        a.out = key + " already maps to " + text;
        return done(JsonValue(text), false);
    }
    std::string error;
    if (!writer.writeMapping(key, text, error)) {
        a.status = ExitStatus::Failed;
        a.err = "could not write " + file + ": " + error;
        return done(before ? JsonValue(*before) : JsonValue(), false);
    }
    a.out = key + " now maps to " + text + " (in " + file + ")";
    return done(JsonValue(text), true);
}

} // namespace orva
