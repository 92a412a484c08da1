#include "ports/win32_comm_windows.h"

#include <windows.h>

namespace orva {
namespace {

std::uint32_t lastError()
{
    const DWORD code = GetLastError();
    return code == 0 ? ERROR_GEN_FAILURE : code;
}

} // namespace

std::uint32_t SystemWin32Comm::open(const std::string& path)
{
    close();
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0 /* no sharing */, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return lastError();
    handle_ = h;
    return 0;
}

void SystemWin32Comm::close()
{
    if (!handle_)
        return;
    CloseHandle(static_cast<HANDLE>(handle_));
    handle_ = nullptr;
}

std::uint32_t SystemWin32Comm::configure(std::uint32_t baud, const Timeouts& timeouts)
{
    const HANDLE h = static_cast<HANDLE>(handle_);
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(h, &dcb))
        return lastError();
    dcb.BaudRate = baud;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    dcb.fBinary = TRUE;
    dcb.fParity = FALSE;
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    // DTR and RTS stay as the driver has them, unless they were handshake
    // lines (no flow control); setting them is refused where there are no
    // such lines (a pseudo-terminal under Wine).
    if (dcb.fDtrControl == DTR_CONTROL_HANDSHAKE)
        dcb.fDtrControl = DTR_CONTROL_DISABLE;
    if (dcb.fRtsControl == RTS_CONTROL_HANDSHAKE || dcb.fRtsControl == RTS_CONTROL_TOGGLE)
        dcb.fRtsControl = RTS_CONTROL_DISABLE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fErrorChar = FALSE;
    dcb.fNull = FALSE;
    dcb.fAbortOnError = FALSE;
    if (!SetCommState(h, &dcb))
        return lastError();
    COMMTIMEOUTS t{};
    t.ReadIntervalTimeout = timeouts.readInterval;
    t.ReadTotalTimeoutMultiplier = timeouts.readTotalMultiplier;
    t.ReadTotalTimeoutConstant = timeouts.readTotalConstant;
    t.WriteTotalTimeoutMultiplier = timeouts.writeTotalMultiplier;
    t.WriteTotalTimeoutConstant = timeouts.writeTotalConstant;
    if (!SetCommTimeouts(h, &t))
        return lastError();
    PurgeComm(h, PURGE_RXCLEAR | PURGE_TXCLEAR);
    return 0;
}

std::uint32_t SystemWin32Comm::status(Status& out)
{
    DWORD errors = 0;
    COMSTAT st{};
    if (!ClearCommError(static_cast<HANDLE>(handle_), &errors, &st))
        return lastError();
    out.inQueue = st.cbInQue;
    out.outQueue = st.cbOutQue;
    out.errors = errors;
    return 0;
}

std::uint32_t SystemWin32Comm::read(char* into, std::uint32_t size, std::uint32_t& got)
{
    DWORD n = 0;
    const BOOL ok = ReadFile(static_cast<HANDLE>(handle_), into, size, &n, nullptr);
    got = n;
    return ok ? 0 : lastError();
}

std::uint32_t SystemWin32Comm::write(const char* bytes, std::uint32_t size, std::uint32_t& written)
{
    DWORD n = 0;
    const BOOL ok = WriteFile(static_cast<HANDLE>(handle_), bytes, size, &n, nullptr);
    written = n;
    return ok ? 0 : lastError();
}

std::string SystemWin32Comm::message(std::uint32_t code) const
{
    char text[512] = {};
    const DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                                   MAKELANGID(LANG_ENGLISH, SUBLANG_DEFAULT), text, sizeof text, nullptr);
    if (n == 0)
        return {};
    return std::string(text, n);
}

} // namespace orva
