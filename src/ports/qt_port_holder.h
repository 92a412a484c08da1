#pragma once

#include "ports/port_holder.h"

#include <optional>
#include <string>

namespace orva {

// Who holds the serial device `device`, from the traces holders leave: the
// lock file Qt's serial port takes (the holder may have ended without
// removing it: a stale lock another user cannot take over), or else the
// system's table of advisory locks. Nothing when neither names anyone (this
// process not counted).
std::optional<PortHolder> findPortHolder(const std::string& device);

} // namespace orva
