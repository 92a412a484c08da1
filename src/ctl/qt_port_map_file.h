#pragma once

#include "ctl/listings.h"

#include <QString>

namespace orva {

// Writes the "Ports" map into the settings file orva-control reads. On
// Linux only the one line changes: the file is locked as the settings store
// locks it, the new text is checked by reading it back the store's way
// (every other key and value as before), and it replaces the old file in one
// step. On Windows the registry is written through the store.
class QtPortMapFile : public PortMapWriter {
public:
    explicit QtPortMapFile(QString fileName) : fileName_(std::move(fileName)) {}

    bool writeMapping(const std::string& key, const std::optional<std::string>& value,
                      std::string& error) override;
    std::string location() const override { return fileName_.toStdString(); }

private:
    bool writeThroughStore(const std::string& key, const std::optional<std::string>& value,
                           std::string& error);
    QString fileName_;
};

} // namespace orva
