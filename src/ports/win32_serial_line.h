#pragma once

#include "ports/win32_comm.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orva {

// The Windows name of a serial device as CreateFile wants it: "COM3",
// "com12" and "\\.\COM12" are all "\\.\COM<n>" (COM10 and up open only so).
// Nothing when the text names no COM port.
std::optional<std::string> win32DevicePath(std::string_view text);

// A COM port on the Win32 serial API, its rules apart from the calls
// (Win32Comm): how it is opened and set up, that reads never wait and writes
// wait a bounded time, how the waiting input is taken, and when the port has
// gone away. The receive path asks ClearCommError how much is waiting and
// reads exactly that with ReadFile, never WaitCommEvent (which does not
// report received characters everywhere: not under Wine on a pty).
class Win32SerialLine {
public:
    // At most this much received input is kept unread; what comes beyond it
    // is dropped and counted.
    static constexpr std::size_t kInputLimit = 64 * 1024;

    explicit Win32SerialLine(Win32Comm& comm) : comm_(comm) {}
    ~Win32SerialLine() { close(); }
    Win32SerialLine(const Win32SerialLine&) = delete;
    Win32SerialLine& operator=(const Win32SerialLine&) = delete;

    // Opens `device` at `baud` (8N1, no flow control): an empty text, or why
    // not ("held by another program ...").
    std::string open(std::string_view device, std::uint32_t baud);
    void close();
    bool isOpen() const { return open_; }
    // A new baud rate for the open line (the time-outs follow it).
    bool setBaudRate(std::uint32_t baud);

    // Hands every byte to the driver; false and why when it did not take
    // them all.
    bool write(std::string_view bytes, std::string& error);

    // What happened since the last poll.
    struct Poll {
        bool received = false;      // new input is waiting for take()
        std::optional<std::string> lost; // the port went away (it is closed now): why
    };
    // Takes what the driver holds for us; called often while the port is open.
    Poll poll();
    // The input received and not taken yet.
    std::string take();

    // Bytes written that the driver has not put on the wire yet.
    std::uint64_t bytesToWrite();
    std::uint64_t droppedInput() const { return dropped_; }

    // The time-outs for `baud`: reads return at once with what is there;
    // a write may take twice its time on the wire and a second more, then it
    // fails instead of hanging the program on a stuck line.
    static Win32Comm::Timeouts timeoutsFor(std::uint32_t baud);
    // Why an open failed with the system's error `code`.
    std::string openFailure(std::uint32_t code) const;

private:
    std::string systemText(std::uint32_t code) const;
    Poll lose(const std::string& what, std::uint32_t code);

    Win32Comm& comm_;
    bool open_ = false;
    std::string input_;
    std::uint64_t dropped_ = 0;
};

} // namespace orva
