#pragma once

#include <cstdint>
#include <string>

namespace orva {

// The few calls of the Win32 serial API a COM port needs, as plain values:
// each returns 0 or the system's error code (GetLastError). One open handle
// at a time. The real one (win32_comm_windows.cpp) is the only file that
// calls Windows; the tests give a scripted one.
class Win32Comm {
public:
    virtual ~Win32Comm() = default;

    // What SetCommTimeouts takes, in milliseconds (kNoWait: MAXDWORD).
    struct Timeouts {
        std::uint32_t readInterval = 0;
        std::uint32_t readTotalMultiplier = 0;
        std::uint32_t readTotalConstant = 0;
        std::uint32_t writeTotalMultiplier = 0;
        std::uint32_t writeTotalConstant = 0;
    };
    static constexpr std::uint32_t kNoWait = 0xFFFFFFFFu;

    // What ClearCommError reports: bytes waiting in the input and output
    // queues, and the line's error flags (CE_*), which it also clears.
    struct Status {
        std::uint32_t inQueue = 0;
        std::uint32_t outQueue = 0;
        std::uint32_t errors = 0;
    };

    // CreateFile on `path` for reading and writing, shared with nobody.
    virtual std::uint32_t open(const std::string& path) = 0;
    virtual void close() = 0;
    // SetCommState: `baud`, 8 data bits, no parity, 1 stop bit, no flow
    // control; then SetCommTimeouts and PurgeComm of both queues.
    virtual std::uint32_t configure(std::uint32_t baud, const Timeouts& timeouts) = 0;
    virtual std::uint32_t status(Status& out) = 0;
    virtual std::uint32_t read(char* into, std::uint32_t size, std::uint32_t& got) = 0;
    virtual std::uint32_t write(const char* bytes, std::uint32_t size, std::uint32_t& written) = 0;
    // The system's text for an error code (FormatMessage), without the
    // line end it puts after it.
    virtual std::string message(std::uint32_t code) const = 0;
};

} // namespace orva
