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

// What is known of the holder of a device: the lock file it left (none for
// an advisory lock on the device itself), the user owning that file (or the
// process), its PID and program name, and whether that process still runs.
struct PortHolder {
    std::string lockFile;
    std::string user;
    std::string program;
    long pid = 0;
    bool running = true;
};

// Why a held device cannot be opened, for the serial control's error text:
//   "held by another program: orva-control (PID 4242, user alice; lock file /run/lock/LCK..ttyS0)"
//   "locked by a program that has ended: lock file /run/lock/LCK..ttyS0 of user alice, PID 4242 (stale;
//    alice or an administrator must remove it)"
std::string heldPortReason(const PortHolder& holder);

} // namespace orva
