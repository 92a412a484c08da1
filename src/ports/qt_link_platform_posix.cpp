#include "ports/qt_link_platform.h"

#include "ports/qt_device_backend.h"
#include "ports/qt_rfc2217_backend.h"
#include "ports/qt_tcp_backend.h"

#include <csignal>

#include <linux/sockios.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/ioctl.h>
#include <sys/socket.h>

namespace orva {

PortBackend* makePortBackend(const PortTarget& target, QObject* parent, QString&)
{
    switch (target.kind) {
    case PortTarget::Kind::Device:
        return new DeviceBackend(QString::fromStdString(target.device), parent);
    case PortTarget::Kind::RawTcp:
        return new TcpBackend(QString::fromStdString(target.host), target.port, parent);
    case PortTarget::Kind::Rfc2217:
        return new Rfc2217Backend(QString::fromStdString(target.host), target.port, parent);
    }
    return nullptr;
}

void letBrokenPipesFail()
{
    std::signal(SIGPIPE, SIG_IGN);
}

void keepConnectionWatched(qintptr socket)
{
    const int fd = static_cast<int>(socket);
    const int on = 1;
    const int idleS = 10;     // probe after 10 s of silence ...
    const int intervalS = 5;  // ... every 5 s ...
    const int probes = 3;     // ... and give up after 3 unanswered
    const unsigned userTimeoutMs = 15000; // data unacknowledged this long: gone
    ::setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on);
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPIDLE, &idleS, sizeof idleS);
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPINTVL, &intervalS, sizeof intervalS);
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPCNT, &probes, sizeof probes);
    ::setsockopt(fd, IPPROTO_TCP, TCP_USER_TIMEOUT, &userTimeoutMs, sizeof userTimeoutMs);
}

qint64 unsentTcpBytes(qintptr socket)
{
    int unsent = 0;
    if (::ioctl(static_cast<int>(socket), SIOCOUTQNSD, &unsent) == 0 && unsent > 0)
        return unsent;
    return 0;
}

} // namespace orva
