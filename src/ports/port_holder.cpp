#include "ports/port_holder.h"

#include "line/readable_text.h"

#include <array>
#include <charconv>
#include <vector>

namespace orva {
namespace {

constexpr std::array<std::string_view, 8> kLockDirectories{
    "/var/lock", "/etc/locks", "/var/spool/locks", "/var/spool/uucp",
    "/tmp",      "/var/tmp",   "/var/lock/lockdev", "/run/lock",
};

std::vector<std::string_view> fields(std::string_view line)
{
    std::vector<std::string_view> out;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
            ++i;
        const std::size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t')
            ++i;
        if (i > start)
            out.push_back(line.substr(start, i - start));
    }
    return out;
}

template <typename T>
bool number(std::string_view s, T& out, int base = 10)
{
    if (s.empty())
        return false;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), out, base);
    return ec == std::errc{} && end == s.data() + s.size();
}

} // namespace

std::string serialLockFileName(std::string_view devicePath)
{
    std::string name(devicePath.substr(0, 5) == "/dev/" ? devicePath.substr(5) : devicePath);
    for (char& c : name) {
        if (c == '/')
            c = '_';
    }
    return "LCK.." + name;
}

std::span<const std::string_view> serialLockDirectories()
{
    return kLockDirectories;
}

std::optional<long> lockHolderPid(std::string_view procLocks, unsigned major, unsigned minor,
                                  unsigned long inode)
{
    // "1: FLOCK  ADVISORY  WRITE 16036 00:1a:6 0 EOF"; a waiter has "->"
    // after the number. The device numbers are hexadecimal.
    std::size_t start = 0;
    while (start < procLocks.size()) {
        std::size_t end = procLocks.find('\n', start);
        if (end == std::string_view::npos)
            end = procLocks.size();
        const auto f = fields(procLocks.substr(start, end - start));
        start = end + 1;
        if (f.size() < 6 || f[1] == "->")
            continue;
        const std::string_view where = f[5];
        const std::size_t c1 = where.find(':');
        const std::size_t c2 = where.find(':', c1 == std::string_view::npos ? 0 : c1 + 1);
        if (c1 == std::string_view::npos || c2 == std::string_view::npos)
            continue;
        unsigned maj = 0;
        unsigned min = 0;
        unsigned long ino = 0;
        long pid = 0;
        if (!number(where.substr(0, c1), maj, 16) || !number(where.substr(c1 + 1, c2 - c1 - 1), min, 16) ||
            !number(where.substr(c2 + 1), ino) || !number(f[4], pid))
            continue;
        if (maj == major && min == minor && ino == inode && pid > 0)
            return pid;
    }
    return std::nullopt;
}

std::string holderDescription(std::string_view name, long pid)
{
    const std::string p = "PID " + std::to_string(pid);
    return name.empty() ? p : escapedText(name) + " (" + p + ")";
}

// The program and user names come from lock files and /proc, which any
// local user can write: escaped, so none of them acts on a terminal or
// forges a line of a log.
std::string heldPortReason(const PortHolder& holder)
{
    PortHolder h = holder;
    h.program = escapedText(h.program);
    h.user = escapedText(h.user);
    h.lockFile = escapedText(h.lockFile);
    const std::string user = h.user.empty() ? std::string() : ", user " + h.user;
    if (!h.running) {
        return "locked by a program that has ended: lock file " + h.lockFile + (h.user.empty() ? "" : " of user " + h.user)
            + ", PID " + std::to_string(h.pid) + " (stale; "
            + (h.user.empty() ? std::string("its owner") : h.user) + " or an administrator must remove it)";
    }
    std::string out = "held by another program: " + (h.program.empty() ? std::string() : h.program + " ")
        + "(PID " + std::to_string(h.pid) + user;
    if (!h.lockFile.empty())
        out += "; lock file " + h.lockFile;
    return out + ")";
}

} // namespace orva
