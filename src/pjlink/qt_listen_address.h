#pragma once

#include <QHostAddress>

#include <string>

namespace orva::pjlink {

// The address a `listen` host (normalised by the configuration reader)
// binds. 0.0.0.0 and :: are every address of both families on one socket,
// so no other program can take the family left over and answer its clients.
inline QHostAddress listenAddressOf(const std::string& host)
{
    if (host == "0.0.0.0" || host == "::")
        return QHostAddress(QHostAddress::Any);
    return QHostAddress(QString::fromStdString(host));
}

// What a listening socket is bound to, for the log.
inline std::string boundText(const QHostAddress& address, quint16 port)
{
    const std::string p = std::to_string(port);
    if (address == QHostAddress::Any || address.protocol() == QAbstractSocket::AnyIPProtocol)
        return "0.0.0.0:" + p + " and [::]:" + p + " (every address, IPv4 and IPv6)";
    if (address.protocol() == QAbstractSocket::IPv6Protocol)
        return "[" + address.toString().toStdString() + "]:" + p;
    return address.toString().toStdString() + ":" + p;
}

} // namespace orva::pjlink
