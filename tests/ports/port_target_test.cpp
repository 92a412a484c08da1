#include "ports/port_target.h"

#include <gtest/gtest.h>

namespace orva::test {
namespace {

using Kind = PortTarget::Kind;

TEST(PortTarget, DevicesByPath)
{
    const auto t = parsePortTarget("/dev/serial/by-id/usb-FTDI_FT232R-if00-port0");
    ASSERT_TRUE(t);
    EXPECT_EQ(t->kind, Kind::Device);
    EXPECT_EQ(t->device, "/dev/serial/by-id/usb-FTDI_FT232R-if00-port0");
    EXPECT_FALSE(t->isNetwork());
    EXPECT_EQ(t->text(), "/dev/serial/by-id/usb-FTDI_FT232R-if00-port0");

    for (const char* bad : {"", "ttyUSB0", "dev/ttyS0", "/dev/tty\nS0", "/dev/tty\tS0", "ser://x:1"})
        EXPECT_FALSE(parsePortTarget(bad)) << bad;
}

TEST(PortTarget, NetworkForms)
{
    struct Case {
        const char* text;
        Kind kind;
        const char* host;
        int port;
        const char* canonical;
    };
    const Case cases[] = {
        {"tcp://projector-3.lab:4001", Kind::RawTcp, "projector-3.lab", 4001, "tcp://projector-3.lab:4001"},
        {"tcp://192.168.1.20:2000", Kind::RawTcp, "192.168.1.20", 2000, "tcp://192.168.1.20:2000"},
        {"rfc2217://[::1]:7000", Kind::Rfc2217, "::1", 7000, "rfc2217://[::1]:7000"},
        {"RFC2217://[fe80::1%eth0]:23", Kind::Rfc2217, "fe80::1%eth0", 23, "rfc2217://[fe80::1%eth0]:23"},
        {"TCP://localhost:65535/", Kind::RawTcp, "localhost", 65535, "tcp://localhost:65535"},
        // Leading zeros are decimal, never octal (as the system's resolver would read 010).
        {"tcp://127.000.000.010:4001", Kind::RawTcp, "127.0.0.10", 4001, "tcp://127.0.0.10:4001"},
        {"rfc2217://010.0.00.255:23", Kind::Rfc2217, "10.0.0.255", 23, "rfc2217://10.0.0.255:23"},
    };
    for (const Case& c : cases) {
        const auto t = parsePortTarget(c.text);
        ASSERT_TRUE(t) << c.text;
        EXPECT_EQ(t->kind, c.kind) << c.text;
        EXPECT_EQ(t->host, c.host) << c.text;
        EXPECT_EQ(t->port, c.port) << c.text;
        EXPECT_TRUE(t->isNetwork());
        EXPECT_EQ(t->text(), c.canonical);
        EXPECT_EQ(parsePortTarget(t->text()), t) << "the text form reads back";
    }
}

TEST(PortTarget, MalformedNetworkEntriesAreRefused)
{
    for (const char* bad : {
             "tcp://", "tcp://host", "tcp://host:", "tcp://:4001", "tcp://host:0", "tcp://host:65536",
             "tcp://host:40x1", "tcp://host:-1", "tcp://host:+1", "tcp://host:4001/x", "tcp://ho st:1",
             "tcp://-host:1", "tcp://host..lab:1", "tcp://::1:7000", "rfc2217://[::1]7000",
             "rfc2217://[::1]:", "rfc2217://[]:1", "rfc2217://[zz::1]:1", "rfc2217://[::1%]:1",
             "rfc2217://[::1:1", "telnet://host:23", "tcp://host:23\r", "tcp://[1::2::3]:1", "tcp://[:::::]:1",
             // Numbers the resolver reads its own way: short, hex, out of range.
             "tcp://127.1:1", "tcp://2130706433:1", "tcp://0x7f.0.0.1:1", "tcp://1.2.3.256:1", "tcp://1.2.3.4.5:1"})
        EXPECT_FALSE(parsePortTarget(bad)) << bad;
}

} // namespace
} // namespace orva::test
