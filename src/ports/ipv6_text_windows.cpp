// The Windows reading of an IPv6 address (the POSIX one is ipv6_text_posix.cpp).
#include "ports/ipv6_text.h"

#include <winsock2.h>
#include <ws2tcpip.h>

namespace orva {

std::optional<std::string> systemIpv6Text(std::string_view address)
{
    const std::string text(address);
    IN6_ADDR binary{};
    if (::inet_pton(AF_INET6, text.c_str(), &binary) != 1)
        return std::nullopt;
    char out[INET6_ADDRSTRLEN] = {};
    if (!::inet_ntop(AF_INET6, &binary, out, sizeof out))
        return std::nullopt;
    return std::string(out);
}

} // namespace orva
