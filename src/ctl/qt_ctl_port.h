#pragma once

#include "ctl/ctl_port.h"
#include "line/serial_port.h"

#include <memory>
#include <optional>
#include <string>

namespace orva {

// The one place orva-ctl opens a port: the device of `port` at its baud
// rate, 8 data bits, no parity, 1 stop bit. Nothing is written to it. When
// it cannot be opened, `problem` says why, naming the port once: absent,
// refused, or held by another program (named, with its PID, its user and
// its lock file).
std::unique_ptr<SerialPort> openCtlPort(const ResolvedPort& port, std::string& problem);

} // namespace orva
