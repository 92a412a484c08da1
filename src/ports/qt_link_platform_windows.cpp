#include "ports/qt_link_platform.h"

#include "ports/qt_tcp_backend.h"
#include "ports/qt_win32_backend.h"

#include <winsock2.h>
#include <mstcpip.h>

namespace orva {

PortBackend* makePortBackend(const PortTarget& target, QObject* parent, QString& refusal)
{
    switch (target.kind) {
    case PortTarget::Kind::Device:
        return new Win32Backend(QString::fromStdString(target.device), parent);
    case PortTarget::Kind::RawTcp:
        return new TcpBackend(QString::fromStdString(target.host), target.port, parent);
    case PortTarget::Kind::Rfc2217:
        break;
    }
    refusal = QStringLiteral("RFC 2217 ports are not available on Windows (the library for them is "
                             "built for Linux only); use tcp:// to a raw TCP port of the server");
    return nullptr;
}

void letBrokenPipesFail()
{
    // Windows has no SIGPIPE: a write to a peer that has gone fails by itself.
}

void keepConnectionWatched(qintptr socket)
{
    // Probe after 10 s of silence, every 5 s (Windows gives up after 10
    // unanswered probes).
    tcp_keepalive values{};
    values.onoff = 1;
    values.keepalivetime = 10000;
    values.keepaliveinterval = 5000;
    DWORD returned = 0;
    WSAIoctl(static_cast<SOCKET>(socket), SIO_KEEPALIVE_VALS, &values, sizeof values, nullptr, 0, &returned,
             nullptr, nullptr);
}

qint64 unsentTcpBytes(qintptr)
{
    return 0; // Windows does not tell
}

} // namespace orva
