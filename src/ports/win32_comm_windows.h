#pragma once

#include "ports/win32_comm.h"

namespace orva {

// Win32Comm on the system's own calls: a handle from CreateFile, used
// without overlapped I/O (reads never wait, by their time-outs).
class SystemWin32Comm : public Win32Comm {
public:
    SystemWin32Comm() = default;
    ~SystemWin32Comm() override { close(); }
    SystemWin32Comm(const SystemWin32Comm&) = delete;
    SystemWin32Comm& operator=(const SystemWin32Comm&) = delete;

    std::uint32_t open(const std::string& path) override;
    void close() override;
    std::uint32_t configure(std::uint32_t baud, const Timeouts& timeouts) override;
    std::uint32_t status(Status& out) override;
    std::uint32_t read(char* into, std::uint32_t size, std::uint32_t& got) override;
    std::uint32_t write(const char* bytes, std::uint32_t size, std::uint32_t& written) override;
    std::string message(std::uint32_t code) const override;

private:
    void* handle_ = nullptr; // a HANDLE; nullptr when closed
};

} // namespace orva
