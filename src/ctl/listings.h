#pragma once

#include "ctl/answers.h"
#include "ctl/ctl_arguments.h"
#include "settings/settings_store.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orva {

// A serial device the system reports.
struct SerialDevice {
    std::string path;         // /dev/ttyUSB0
    std::string byId;         // its /dev/serial/by-id/ name, "" when it has none
    std::string description;
    std::string manufacturer;
    std::string serialNumber;
};

// What is at a path of the file system.
enum class PathState { Absent, CharacterDevice, NotADevice };
using PathProbe = std::function<PathState(const std::string& path)>;

// ports: the devices present and the COM1-COM15 map.
Answer portsAnswer(const std::vector<SerialDevice>& devices, const SettingsStore& store,
                   const PathProbe& probe, std::string_view settingsFile);

// commands: the catalogue entries as they are, blank ones left out; with
// `grep`, those that hold it (ASCII letters compared case-blind).
Answer commandsAnswer(std::optional<Catalogue> catalogue, std::string_view grep);

// Writes one key of the settings' "Ports" section.
class PortMapWriter {
public:
    virtual ~PortMapWriter() = default;
    // Sets the key to `value`, or removes it when there is none. False, with
    // `error` set, when the settings could not be written.
    virtual bool writeMapping(const std::string& key, const std::optional<std::string>& value,
                              std::string& error) = 0;
    // Where the settings are, for messages.
    virtual std::string location() const = 0;
};

// map COMn TARGET, map COMn --remove. Writes nothing when nothing changes
// or the target is refused.
Answer mapAnswer(const Request& request, const SettingsStore& store, PortMapWriter& writer,
                 const PathProbe& probe);

} // namespace orva
