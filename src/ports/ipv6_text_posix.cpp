// The POSIX reading of an IPv6 address (the Windows one is ipv6_text_windows.cpp).
#include "ports/ipv6_text.h"

#include <arpa/inet.h>
#include <netinet/in.h>

namespace orva {

std::optional<std::string> systemIpv6Text(std::string_view address)
{
    const std::string text(address);
    in6_addr binary{};
    if (::inet_pton(AF_INET6, text.c_str(), &binary) != 1)
        return std::nullopt;
    char out[INET6_ADDRSTRLEN] = {};
    if (!::inet_ntop(AF_INET6, &binary, out, sizeof out))
        return std::nullopt;
    return std::string(out);
}

} // namespace orva
