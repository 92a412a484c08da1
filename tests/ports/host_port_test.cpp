// HOST:PORT as every address key of the program reads it.
#include "ports/host_port.h"

#include <gtest/gtest.h>

namespace orva::test {
namespace {

using Kind = HostPort::Kind;

TEST(HostPort, AcceptedNormalisedOrRefused)
{
    const HostPortRules literal{};
    const HostPortRules named{true, std::nullopt};
    const HostPortRules defaulted{false, 10025};
    struct Case {
        const char* text;
        HostPortRules rules;
        const char* normalised; // nullptr: refused
        Kind kind = Kind::Ipv4;
    };
    const Case cases[] = {
        {"127.0.0.1:4352", literal, "127.0.0.1:4352"},
        // Leading zeros are decimal and dropped, so two spellings of one address compare equal.
        {"127.000.000.001:4352", literal, "127.0.0.1:4352"},
        {"010.0.00.255:1", literal, "10.0.0.255:1"},
        {"0127.0.0.1:1", literal, "127.0.0.1:1"},
        {"0.0.0.0:65535", literal, "0.0.0.0:65535"},
        {"[::]:4352", literal, "[::]:4352", Kind::Ipv6},
        {"[0:0:0:0:0:0:0:0001]:1", literal, "[::1]:1", Kind::Ipv6},
        {"[FE80::A%eth0]:23", literal, "[fe80::a%eth0]:23", Kind::Ipv6},
        {"[::ffff:192.0.2.1]:80", literal, "[::ffff:192.0.2.1]:80", Kind::Ipv6},
        {"projector-3.lab:4001", named, "projector-3.lab:4001", Kind::Name},
        {"192.0.2.9", defaulted, "192.0.2.9:10025"},
        {"[::1]", defaulted, "[::1]:10025", Kind::Ipv6},
        // What the system's parser refuses between brackets.
        {"[:::::]:4352", literal, nullptr},
        {"[1::2::3]:4352", literal, nullptr},
        {"[::1.2.3.4.5]:4352", literal, nullptr},
        {"[::1%a b]:1", literal, nullptr},
        {"[::1%eth0%1]:1", literal, nullptr},
        {"[::1]x:1", literal, nullptr},
        {"::1:4352", literal, nullptr},
        // Numeric forms the C library reads its own way (more in PortTarget's table).
        {"0x7f.0.0.1:1", literal, nullptr},
        // Names only where they are allowed; ports 1 to 65535, present unless defaulted.
        {"localhost:4352", literal, nullptr},
        {"127.0.0.1", literal, nullptr},
        {"127.0.0.1:65536", literal, nullptr},
        {"127.0.0.1: 1", literal, nullptr},
        {":4352", literal, nullptr},
    };
    for (const Case& c : cases) {
        std::string why;
        const auto got = parseHostPort(c.text, c.rules, why);
        if (!c.normalised) {
            EXPECT_FALSE(got) << c.text << " read as " << got->text();
            EXPECT_FALSE(why.empty()) << c.text;
            continue;
        }
        ASSERT_TRUE(got) << c.text << ": " << why;
        EXPECT_EQ(got->text(), c.normalised) << c.text;
        EXPECT_EQ(got->kind, c.kind) << c.text;
        EXPECT_EQ(parseHostPort(got->text(), c.rules, why), got) << "the normalised form reads back: " << c.text;
    }
}

} // namespace
} // namespace orva::test
