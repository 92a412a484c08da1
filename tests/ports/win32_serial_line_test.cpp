// A Windows COM port's rules on a scripted Win32 serial API: names, opening,
// the time-outs, the receive path, and a port that goes away.
#include "ports/win32_serial_line.h"

#include <gtest/gtest.h>

#include <deque>

namespace orva {
namespace {

constexpr std::uint32_t kAccessDenied = 5;
constexpr std::uint32_t kFileNotFound = 2;
constexpr std::uint32_t kInvalidParameter = 87;
constexpr std::uint32_t kBadCommand = 22;
constexpr std::uint32_t kGenFailure = 31;

// The driver as the line sees it: what is waiting, and which call fails.
struct ScriptedComm : Win32Comm {
    std::uint32_t openResult = 0, configureResult = 0, statusResult = 0, readResult = 0, writeResult = 0;
    std::string openedPath;
    bool isOpen = false;
    std::uint32_t baud = 0;
    Timeouts timeouts;
    std::string waiting;        // received, in the driver's queue
    std::uint32_t reportAhead = 0; // cbInQue claims this many more than there are
    std::uint32_t acceptAtMost = ~0u;
    std::string wire;
    std::uint32_t outQueue = 0;

    std::uint32_t open(const std::string& path) override
    {
        openedPath = path;
        isOpen = openResult == 0;
        return openResult;
    }
    void close() override { isOpen = false; }
    std::uint32_t configure(std::uint32_t b, const Timeouts& t) override
    {
        baud = b;
        timeouts = t;
        return configureResult;
    }
    std::uint32_t status(Status& out) override
    {
        out.inQueue = static_cast<std::uint32_t>(waiting.size()) + reportAhead;
        out.outQueue = outQueue;
        return statusResult;
    }
    std::uint32_t read(char* into, std::uint32_t size, std::uint32_t& got) override
    {
        got = std::min<std::uint32_t>(size, static_cast<std::uint32_t>(waiting.size()));
        waiting.copy(into, got);
        waiting.erase(0, got);
        return readResult;
    }
    std::uint32_t write(const char* bytes, std::uint32_t size, std::uint32_t& written) override
    {
        written = std::min(size, acceptAtMost);
        wire.append(bytes, written);
        return writeResult;
    }
    std::string message(std::uint32_t code) const override
    {
        return code == kGenFailure ? "A device attached to the system is not functioning.\r\n" : "";
    }
};

TEST(Win32DevicePath, EveryComFormBecomesTheDeviceNamespaceForm)
{
    const std::pair<const char*, const char*> good[] = {
        {"COM1", "\\\\.\\COM1"}, {"com3", "\\\\.\\COM3"}, {"COM10", "\\\\.\\COM10"},
        {"\\\\.\\COM12", "\\\\.\\COM12"}, {"\\\\.\\com256", "\\\\.\\COM256"}, {"COM007", "\\\\.\\COM7"}};
    for (const auto& [text, path] : good)
        EXPECT_EQ(win32DevicePath(text), std::optional<std::string>(path)) << text;
    for (const char* text : {"", "COM", "COM0", "COM257", "COM1x", "LPT1", "/dev/ttyS0", "\\\\.\\", "COM-1",
                             "COM 1", "\\\\?\\COM1", "COM1234567"})
        EXPECT_EQ(win32DevicePath(text), std::nullopt) << text;
}

class Win32Line : public ::testing::Test {
protected:
    ScriptedComm comm;
    Win32SerialLine line{comm};
};

TEST_F(Win32Line, OpensTheNamespacePathAtTheBaudWithReadsThatNeverWait)
{
    EXPECT_EQ(line.open("COM12", 19200), "");
    EXPECT_TRUE(line.isOpen());
    EXPECT_EQ(comm.openedPath, "\\\\.\\COM12");
    EXPECT_EQ(comm.baud, 19200u);
    EXPECT_EQ(comm.timeouts.readInterval, Win32Comm::kNoWait);
    EXPECT_EQ(comm.timeouts.readTotalMultiplier, 0u);
    EXPECT_EQ(comm.timeouts.readTotalConstant, 0u);
    // A write may take twice its time on the wire and a second: never for ever.
    EXPECT_EQ(comm.timeouts.writeTotalMultiplier, 2u);
    EXPECT_EQ(comm.timeouts.writeTotalConstant, 1000u);
    EXPECT_EQ(Win32SerialLine::timeoutsFor(9600).writeTotalMultiplier, 4u);

    ASSERT_TRUE(line.setBaudRate(9600));
    EXPECT_EQ(comm.baud, 9600u);
    EXPECT_EQ(comm.timeouts.writeTotalMultiplier, 4u);
}

TEST_F(Win32Line, AnOpenThatFailsSaysWhyAndLeavesNothingOpen)
{
    struct Case {
        std::uint32_t openCode, configureCode;
        std::string why;
    };
    const Case cases[] = {
        {kAccessDenied, 0, "held by another program"},
        {kFileNotFound, 0, "no such port"},
        {kGenFailure, 0, "A device attached to the system is not functioning (error 31)"},
        {1234, 0, "system error (error 1234)"},
        {0, kInvalidParameter, "the port does not take 19200 baud, 8N1"},
        {0, kGenFailure, "cannot set the line up: A device attached"},
    };
    for (const Case& c : cases) {
        comm.openResult = c.openCode;
        comm.configureResult = c.configureCode;
        const std::string why = line.open("COM2", 19200);
        EXPECT_NE(why.find(c.why), std::string::npos) << why;
        EXPECT_FALSE(line.isOpen());
        EXPECT_FALSE(comm.isOpen) << c.why; // a handle that was set up wrong is closed again
    }
    EXPECT_EQ(line.open("/dev/ttyS0", 9600), "not a COM port (COM1 to COM256)");
    EXPECT_FALSE(line.setBaudRate(9600));
}

TEST_F(Win32Line, ReceivesWhatTheDriverCountsAndKeepsItUntilTaken)
{
    ASSERT_EQ(line.open("COM1", 19200), "");
    EXPECT_FALSE(line.poll().received); // nothing waiting: no read
    comm.waiting = "00";
    EXPECT_TRUE(line.poll().received);
    comm.waiting = "\r";
    EXPECT_TRUE(line.poll().received);
    EXPECT_EQ(line.take(), "00\r");
    EXPECT_EQ(line.take(), "");

    // A count ahead of the data reads what there is and waits for the rest.
    comm.waiting = "AB";
    comm.reportAhead = 3;
    const auto p = line.poll();
    EXPECT_TRUE(p.received);
    EXPECT_FALSE(p.lost);
    EXPECT_EQ(line.take(), "AB");
}

TEST_F(Win32Line, InputBeyondTheLimitIsDroppedAndCounted)
{
    ASSERT_EQ(line.open("COM1", 19200), "");
    comm.waiting.assign(Win32SerialLine::kInputLimit - 10, 'x');
    line.poll();
    comm.waiting.assign(25, 'y');
    line.poll();
    EXPECT_EQ(line.droppedInput(), 15u);
    const std::string got = line.take();
    EXPECT_EQ(got.size(), Win32SerialLine::kInputLimit);
    EXPECT_EQ(got.substr(got.size() - 10), std::string(10, 'y'));
    comm.waiting = "z"; // room again once taken
    EXPECT_TRUE(line.poll().received);
}

TEST_F(Win32Line, APortThatGoesAwayIsLostWithTheReasonAndClosed)
{
    for (bool inRead : {false, true}) {
        comm.statusResult = 0;
        comm.readResult = 0;
        ASSERT_EQ(line.open("COM1", 19200), "");
        comm.waiting = "0";
        (inRead ? comm.readResult : comm.statusResult) = inRead ? kGenFailure : kBadCommand;
        const auto p = line.poll();
        ASSERT_TRUE(p.lost) << inRead;
        EXPECT_NE(p.lost->find("the port went away"), std::string::npos) << *p.lost;
        EXPECT_NE(p.lost->find(inRead ? "reading failed" : "its state cannot be read"), std::string::npos) << *p.lost;
        EXPECT_FALSE(line.isOpen());
        EXPECT_FALSE(comm.isOpen);
        EXPECT_FALSE(line.poll().lost); // told once
    }
}

TEST_F(Win32Line, WritesAllOrSayWhy)
{
    std::string error;
    EXPECT_FALSE(line.write("C00\r", error));
    EXPECT_EQ(error, "the port is closed");

    ASSERT_EQ(line.open("COM1", 9600), "");
    EXPECT_TRUE(line.write("C00\r", error));
    EXPECT_EQ(comm.wire, "C00\r");

    comm.acceptAtMost = 2; // the write time-out ran out
    EXPECT_FALSE(line.write("CR0\r", error));
    EXPECT_EQ(error, "the line took 2 of 4 bytes in time");

    comm.acceptAtMost = ~0u;
    comm.writeResult = kGenFailure;
    EXPECT_FALSE(line.write("CR0\r", error));
    EXPECT_NE(error.find("(error 31)"), std::string::npos) << error;

    comm.outQueue = 7;
    EXPECT_EQ(line.bytesToWrite(), 7u);
}

} // namespace
} // namespace orva
