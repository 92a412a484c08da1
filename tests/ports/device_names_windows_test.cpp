// Windows: a device is a COM port, never a path, and an unmapped COM n is
// the system's own (also from 10 up, which only the \\.\ form opens).
#include "ports/port_target.h"
#include "settings/port_map.h"

#include <gtest/gtest.h>

namespace orva::test {
namespace {

TEST(WindowsDevices, ComPortsAreDevicesAndPathsAreNot)
{
    for (const char* text : {"COM3", "com12", "\\\\.\\COM12"}) {
        const auto t = parsePortTarget(text);
        ASSERT_TRUE(t) << text;
        EXPECT_EQ(t->kind, PortTarget::Kind::Device);
        EXPECT_EQ(t->device, text); // kept as written; the port opens it in the \\.\ form
    }
    for (const char* bad : {"/dev/ttyS0", "C:\\ports\\com1", "COM0", "LPT1", "COM3 "})
        EXPECT_FALSE(parsePortTarget(bad)) << bad;
    EXPECT_TRUE(parsePortTarget("tcp://projector:4001"));

    EXPECT_EQ(defaultDeviceForPort(1), "\\\\.\\COM1");
    EXPECT_EQ(defaultDeviceForPort(15), "\\\\.\\COM15");
}

} // namespace
} // namespace orva::test
