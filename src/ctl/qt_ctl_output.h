#pragma once

#include "ctl/json_value.h"
#include "ctl/listings.h"

#include <QByteArray>

#include <string>
#include <vector>

namespace orva {

// The object as one line of compact JSON, with its line end.
QByteArray jsonLine(const JsonValue& value);

// The serial devices QSerialPortInfo reports, each with its
// /dev/serial/by-id/ name where it has one.
std::vector<SerialDevice> serialDevicesPresent();

// What is at a path: a character device (followed through links), nothing,
// or something else.
PathState probePath(const std::string& path);

} // namespace orva
