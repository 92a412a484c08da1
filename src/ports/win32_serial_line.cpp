#include "ports/win32_serial_line.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace orva {
namespace {

// Win32 error codes (winerror.h) the rules tell apart.
constexpr std::uint32_t kFileNotFound = 2;
constexpr std::uint32_t kPathNotFound = 3;
constexpr std::uint32_t kAccessDenied = 5;
constexpr std::uint32_t kSharingViolation = 32;
constexpr std::uint32_t kInvalidParameter = 87;

bool startsWithNoCase(std::string_view text, std::string_view head)
{
    return text.size() >= head.size()
        && std::equal(head.begin(), head.end(), text.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
           });
}

} // namespace

std::optional<std::string> win32DevicePath(std::string_view text)
{
    if (text.substr(0, 4) == "\\\\.\\")
        text.remove_prefix(4);
    if (!startsWithNoCase(text, "com") || text.size() < 4 || text.size() > 6)
        return std::nullopt;
    const std::string_view digits = text.substr(3);
    if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    unsigned n = 0;
    std::from_chars(digits.data(), digits.data() + digits.size(), n);
    if (n < 1 || n > 256)
        return std::nullopt;
    return "\\\\.\\COM" + std::to_string(n);
}

Win32Comm::Timeouts Win32SerialLine::timeoutsFor(std::uint32_t baud)
{
    Win32Comm::Timeouts t;
    t.readInterval = Win32Comm::kNoWait; // with both totals 0: return at once
    // A byte is 10 bits on the line (start, 8 data, stop).
    const std::uint32_t msPerByte = baud == 0 ? 10 : (10000 + baud - 1) / baud;
    t.writeTotalMultiplier = 2 * msPerByte;
    t.writeTotalConstant = 1000;
    return t;
}

std::string Win32SerialLine::systemText(std::uint32_t code) const
{
    std::string text = comm_.message(code);
    while (!text.empty() && (text.back() == '.' || std::isspace(static_cast<unsigned char>(text.back()))))
        text.pop_back();
    if (text.empty())
        text = "system error";
    return text + " (error " + std::to_string(code) + ")";
}

std::string Win32SerialLine::openFailure(std::uint32_t code) const
{
    switch (code) {
    case kAccessDenied:
    case kSharingViolation:
        // Windows gives a COM port to one program at a time and does not say
        // to which.
        return "held by another program (a COM port is open to one program at a time: close the other one)";
    case kFileNotFound:
    case kPathNotFound:
        return "no such port (is the adapter plugged in? orva-ctl ports lists what is there)";
    default:
        return systemText(code);
    }
}

std::string Win32SerialLine::open(std::string_view device, std::uint32_t baud)
{
    close();
    const std::optional<std::string> path = win32DevicePath(device);
    if (!path)
        return "not a COM port (COM1 to COM256)";
    if (const std::uint32_t code = comm_.open(*path); code != 0)
        return openFailure(code);
    if (const std::uint32_t code = comm_.configure(baud, timeoutsFor(baud)); code != 0) {
        comm_.close();
        if (code == kInvalidParameter)
            return "the port does not take " + std::to_string(baud) + " baud, 8N1";
        return "cannot set the line up: " + systemText(code);
    }
    open_ = true;
    input_.clear();
    dropped_ = 0;
    return {};
}

void Win32SerialLine::close()
{
    if (!open_)
        return;
    open_ = false;
    comm_.close();
}

bool Win32SerialLine::setBaudRate(std::uint32_t baud)
{
    return open_ && comm_.configure(baud, timeoutsFor(baud)) == 0;
}

bool Win32SerialLine::write(std::string_view bytes, std::string& error)
{
    if (!open_) {
        error = "the port is closed";
        return false;
    }
    std::uint32_t written = 0;
    if (const std::uint32_t code = comm_.write(bytes.data(), static_cast<std::uint32_t>(bytes.size()), written);
        code != 0) {
        error = systemText(code);
        return false;
    }
    if (written != bytes.size()) {
        // The write time-out ran out: the line does not take data (a
        // handshake line held, a driver stuck).
        error = "the line took " + std::to_string(written) + " of " + std::to_string(bytes.size()) +
                " bytes in time";
        return false;
    }
    return true;
}

Win32SerialLine::Poll Win32SerialLine::lose(const std::string& what, std::uint32_t code)
{
    const std::string why = "the port went away (" + what + ": " + systemText(code) + ")";
    close();
    return {false, why};
}

Win32SerialLine::Poll Win32SerialLine::poll()
{
    Poll result;
    if (!open_)
        return result;
    Win32Comm::Status st;
    if (const std::uint32_t code = comm_.status(st); code != 0)
        return lose("its state cannot be read", code);
    std::uint32_t waiting = st.inQueue;
    char chunk[4096];
    while (waiting > 0) {
        std::uint32_t got = 0;
        const std::uint32_t want = std::min<std::uint32_t>(waiting, sizeof chunk);
        if (const std::uint32_t code = comm_.read(chunk, want, got); code != 0)
            return lose("reading failed", code);
        if (got == 0)
            break; // the count was ahead of the data; the rest comes next time
        const std::size_t room = kInputLimit - std::min(kInputLimit, input_.size());
        const std::size_t kept = std::min<std::size_t>(room, got);
        input_.append(chunk, kept);
        dropped_ += got - kept;
        result.received = result.received || kept > 0;
        waiting -= std::min(waiting, got);
    }
    return result;
}

std::string Win32SerialLine::take()
{
    std::string out;
    out.swap(input_);
    return out;
}

std::uint64_t Win32SerialLine::bytesToWrite()
{
    Win32Comm::Status st;
    if (!open_ || comm_.status(st) != 0)
        return 0;
    return st.outQueue;
}

} // namespace orva
