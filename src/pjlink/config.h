#pragma once

#include "ports/host_port.h"
#include "ports/port_target.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace orva::pjlink {

// One projector of the configuration file: its section.
struct ProjectorConfig {
    std::string section;
    PortTarget target;
    int baud = 19200;
    std::string listenHost = "0.0.0.0"; // without the brackets of an IPv6 address
    std::uint16_t listenPort = 4352;
    std::string password;
    std::string name;
    std::string model;

    std::string listenText() const;
    friend bool operator==(const ProjectorConfig&, const ProjectorConfig&) = default;
};

// One key of the file, as read: the value as the settings store gives it,
// and where it stands.
struct ConfigEntry {
    std::string section; // "" for a key before any section
    std::string key;
    std::string value;
    int line = 0;
    bool assignment = true; // false: a line without "=" (key holds the whole line; never show it)
    bool cutAtSemicolon = false; // the value ended at a ";" right after its text ("ab;cd" is "ab")
};

// Where each section begins, for a section without the required target.
struct ConfigSection {
    std::string name;
    int line = 0;
};

// The keys and sections of INI text, with their line numbers: a "[name]"
// line opens a section, "key=value" lines belong to the last one; blank
// lines and lines starting with ";" or "#" are skipped. Values are as
// written (the store's reading of them replaces them), up to the first ";"
// outside double quotes, which starts a comment as it does for the store.
struct ScannedIni {
    std::vector<ConfigSection> sections;
    std::vector<ConfigEntry> entries;
};
ScannedIni scanIni(std::string_view text);

// The section another part of the daemon reads; never a projector.
inline constexpr std::string_view kMetricsSection = "metrics";

// The projectors of the file, or the first thing wrong with it as
// "FILE:LINE: [section] key: why".
std::variant<std::vector<ProjectorConfig>, std::string> readConfig(const std::string& fileName,
                                                                   const ScannedIni& ini);

// HOST:PORT, HOST an IPv4 address or a bracketed IPv6 address, read by
// parseHostPort (link/host_port.h) and normalised; false, and why, when not.
bool parseListen(std::string_view text, std::string& host, std::uint16_t& port, std::string& why);

// What the file reads in a way its writer may not have meant, one line each
// as "FILE:LINE: [section] key: what": a value cut at ";". Never the value.
std::vector<std::string> configWarnings(const std::string& fileName, const ScannedIni& ini);

// The warning for a file that holds a password (a projector's, the metrics
// endpoint's) and that every user may read; empty when none is due.
std::string passwordFileWarning(const std::string& fileName, bool holdsPassword, bool readableByOthers);

// Why a line without "=" is refused: its text is never shown, as it may be
// a password written without its key.
inline constexpr std::string_view kLineWithoutEquals =
    "a line without \"=\" (not shown here, as it may hold a password)";

} // namespace orva::pjlink
