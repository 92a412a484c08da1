#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace orva {

// Who holds a serial device, from the traces the holders leave.

// The lock file Qt's serial port takes for a device: "LCK.." and the port
// name ("/dev/" left out) with every "/" as "_". "/dev/ttyUSB0" gives
// "LCK..ttyUSB0", "/tmp/projector" gives "LCK.._tmp_projector".
std::string serialLockFileName(std::string_view devicePath);

// The folders such lock files are kept in, in the order they are tried.
std::span<const std::string_view> serialLockDirectories();

// The process holding an advisory lock (flock, POSIX or OFD) on the file with
// that inode on that device, from the text of /proc/locks. Processes waiting
// for a lock do not count.
std::optional<long> lockHolderPid(std::string_view procLocks, unsigned major, unsigned minor,
                                  unsigned long inode);

// "orva-control (PID 4242)", or "PID 4242" when the name is unknown.
std::string holderDescription(std::string_view name, long pid);

} // namespace orva
