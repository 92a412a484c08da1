#include "fakes.h"
#include "settings/port_map.h"
#include "settings/stored_settings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace orva::test {
namespace {

TEST(StoredSettings, LeadingNumberReading)
{
    EXPECT_EQ(leadingNumber("3"), 3.0);
    EXPECT_EQ(leadingNumber("  12"), 12.0);
    EXPECT_EQ(leadingNumber("3abc"), 3.0);
    EXPECT_EQ(leadingNumber("-2"), -2.0);
    EXPECT_EQ(leadingNumber("2.5"), 2.5);
    EXPECT_EQ(leadingNumber("1e1"), 10.0);
    EXPECT_EQ(leadingNumber("1e"), 1.0);
    EXPECT_EQ(leadingNumber("DATAC"), 0.0);
    EXPECT_EQ(leadingNumber("COM3"), 0.0);
    EXPECT_EQ(leadingNumber(""), 0.0);
    EXPECT_EQ(leadingNumber("-"), 0.0);
    EXPECT_EQ(leadingNumber("."), 0.0);
    EXPECT_EQ(leadingNumber("+4"), 4.0);
    EXPECT_EQ(leadingNumber(".5"), 0.5);
    EXPECT_EQ(leadingNumber("7."), 7.0);
    EXPECT_EQ(leadingNumber("\t-0.25e+1x"), -2.5);
    EXPECT_EQ(leadingNumber("+-3"), 0.0);
}

TEST(StoredSettings, NumbersBeyondADoubleOverflowOrUnderflow)
{
    EXPECT_EQ(leadingNumber("1e400"), HUGE_VAL);
    EXPECT_EQ(leadingNumber("-1e400"), -HUGE_VAL);
    EXPECT_EQ(leadingNumber("0.001e312"), HUGE_VAL);
    EXPECT_EQ(leadingNumber(std::string(400, '9')), HUGE_VAL);
    EXPECT_EQ(leadingNumber("1e-400"), 0.0);
    EXPECT_EQ(leadingNumber("100e-500"), 0.0);
    EXPECT_EQ(leadingNumber("0." + std::string(400, '0') + "1"), 0.0);
    EXPECT_EQ(leadingNumber("1e99999999999999999999"), HUGE_VAL);
    EXPECT_EQ(leadingNumber("1e-99999999999999999999"), 0.0);
}

TEST(StoredSettings, RoundingHalvesToEvenWithinRange)
{
    EXPECT_EQ(roundedWhole(2.5, 0, 15), 2);
    EXPECT_EQ(roundedWhole(3.5, 0, 15), 4);
    EXPECT_EQ(roundedWhole(14.6, 0, 15), 15);
    EXPECT_EQ(roundedWhole(15.5, 0, 15), std::nullopt);
    EXPECT_EQ(roundedWhole(-0.4, 0, 15), 0);
    EXPECT_EQ(roundedWhole(1e300, -32768, 32767), std::nullopt);
    EXPECT_EQ(roundedWhole(leadingNumber("1e400"), -32768, 32767), std::nullopt);
}

TEST(StoredSettings, PortNumberAsStartUpReadsIt)
{
    FakeStore store;
    EXPECT_EQ(storedPortNumber(store), 0); // absent: "DATAC"
    const std::pair<const char*, int> cases[] = {
        {"3", 3}, {"15", 15}, {"0", 0}, {"16", 16}, {"-2", -2}, {"COM3", 0}, {"", 0},
        {"2.5", 2}, {"3.5", 4}, {"32767", 32767}, {"32768", 0}, {"99999999999999999999", 0},
    };
    for (const auto& [text, expected] : cases) {
        store.values["StartUP/ComPort"] = text;
        EXPECT_EQ(storedPortNumber(store), expected) << text;
    }
    EXPECT_FALSE(isUsablePort(0));
    EXPECT_FALSE(isUsablePort(16));
    EXPECT_TRUE(isUsablePort(1));
    EXPECT_TRUE(isUsablePort(15));
}

TEST(StoredSettings, BaudCodeIs96OrElse192)
{
    FakeStore store;
    EXPECT_EQ(storedBaudCode(store), 192); // absent: "DATAb"
    for (const char* text : {"192", "57", "", "DATAb", "256", "-96", "9600", "1e9"}) {
        store.values["StartUP/BaudRate"] = text;
        EXPECT_EQ(storedBaudCode(store), 192) << text;
    }
    for (const char* text : {"96", " 96", "96.4", "95.5"}) {
        store.values["StartUP/BaudRate"] = text;
        EXPECT_EQ(storedBaudCode(store), 96) << text;
    }
    EXPECT_EQ(lineSettings(96), "9600,N,8,1");
    EXPECT_EQ(lineSettings(192), "19200,N,8,1");
    EXPECT_EQ(lineSettings(0), "19200,N,8,1");
}

TEST(StoredSettings, ChoiceIsStoredAsPlainDecimalText)
{
    FakeStore store;
    storePortChoice(store, 3, 96);
    EXPECT_EQ(store.values["StartUP/ComPort"], "3");
    EXPECT_EQ(store.values["StartUP/BaudRate"], "96");
    EXPECT_EQ(storedPortNumber(store), 3);
    EXPECT_EQ(storedBaudCode(store), 96);
}

TEST(StoredSettings, OtherFieldTakesOneToFifteen)
{
    EXPECT_EQ(otherFieldPort("1"), 1);
    EXPECT_EQ(otherFieldPort("12"), 12);
    EXPECT_EQ(otherFieldPort("7x"), 7);
    for (const char* text : {"0", "16", "123", "", "x", "-1", "15.5"})
        EXPECT_EQ(otherFieldPort(text), std::nullopt) << text;
}

TEST(StoredSettings, ComPortsMapToDevices)
{
    FakeStore store;
#ifdef _WIN32
    EXPECT_EQ(devicePathForPort(3, store), "COM3");
#else
    EXPECT_EQ(devicePathForPort(1, store), "/dev/ttyS0");
    EXPECT_EQ(devicePathForPort(15, store), "/dev/ttyS14");
    store.values["Ports/COM3"] = "/dev/ttyUSB0";
    EXPECT_EQ(devicePathForPort(3, store), "/dev/ttyUSB0");
#endif
}

} // namespace
} // namespace orva::test
