#pragma once

#include "ctl/ctl_port.h"
#include "link/serial_port.h"

#include <memory>
#include <optional>
#include <string>

namespace orva {

// The one place orva-ctl opens a port: the device of `port` at its baud
// rate, 8 data bits, no parity, 1 stop bit. Nothing is written to it. When
// it cannot be opened, `problem` says why: absent, refused, or held by
// another program (named, with its PID).
std::unique_ptr<SerialPort> openCtlPort(const ResolvedPort& port, std::string& problem);

// The program holding a serial device, as "orva-control (PID 4242)": from the
// lock file Qt's serial port leaves, or from the system's table of locks.
std::optional<std::string> serialPortHolder(const std::string& device);

} // namespace orva
