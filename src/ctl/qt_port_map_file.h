#pragma once

#include "ctl/listings.h"

#include <QSettings>
#include <QString>

#include <memory>

namespace orva {

// Writes the "Ports" map into the settings file orva-control reads. On
// Linux only the one line changes: the file is locked as the settings store
// locks it, the new text is checked by reading it back the store's way
// (every other key and value as before), and it replaces the old file in one
// step. On Windows the registry is written through the store. (The one
// platform part, where the map is and how a line is written:
// qt_port_map_file_posix.cpp, qt_port_map_file_windows.cpp.)
// "Ports/COM3": the store's name of the map's entry COM3.
QString portsKey(const std::string& key);

class QtPortMapFile : public PortMapWriter {
public:
    explicit QtPortMapFile(QString fileName) : fileName_(std::move(fileName)) {}

    bool writeMapping(const std::string& key, const std::optional<std::string>& value,
                      std::string& error) override;
    std::string location() const override { return fileName_.toStdString(); }

private:
    // The store the map is in: the settings file, on Windows the registry.
    std::unique_ptr<QSettings> openStore() const;
    bool writeThroughStore(const std::string& key, const std::optional<std::string>& value,
                           std::string& error);
    QString fileName_;
};

} // namespace orva
