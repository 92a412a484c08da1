// Faults on a real line: replies cut anywhere, garbage and every byte value,
// a stream past the buffer's bound, hang-ups during a reply and a hold.
#include "live_program.h"
#include "link/render.h"
#include "pty_peer.h"
#include "qt_wait.h"
#include "simulator.h"

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace orva::test {
namespace {

// Start-up runs at once: the port opens on COM1.
struct Live : LiveProgram {
    explicit Live(const std::string& device) : LiveProgram(device) { program.formLoad(); }
};

struct Read {
    const char* button;
    const char* status; // what the status label ends with
};

TEST(Faults, RepliesCutAtEveryPositionDecodeAsWhole)
{
    const Read reads[] = {
        {"Command44", " Stand by"},
        {"Command55", " Lamp is OFF"},
        {"Command46", "   1 2 3   Hour Use"},
        {"Command54", " deg C "},
        {"Command45", " Input 1"},
        {"Command47", " Normally"},
    };
    for (int piece = 1; piece <= 17; ++piece) {
        Simulator sim({"--split", QString::number(piece), "--gap", "3"});
        ASSERT_TRUE(sim.started());
        Live live(sim.device());
        ASSERT_TRUE(live.port.isOpen());
        for (const Read& r : reads) {
            live.program.panel().click(r.button);
            const std::string want = r.status;
            ASSERT_TRUE(waitFor([&] {
                const std::string& s = live.link().status();
                return s.size() >= want.size() && s.compare(s.size() - want.size(), want.size(), want) == 0;
            })) << r.button << " in pieces of " << piece << ": " << live.link().status();
            // Let the whole reply in (the last piece ends in CR), then
            // clear the monitor as its tick would, so the next lamp time is
            // not appended to this status.
            ASSERT_TRUE(waitFor([&] { return !live.link().buffer().empty() && live.link().buffer().back() == '\r'; }));
            live.link().clearMonitor();
        }
    }
}

TEST(Faults, GarbageBeforeTheReplyIsShownButNotDecoded)
{
    Simulator sim({"--garbage", "4"});
    ASSERT_TRUE(sim.started());
    Live live(sim.device());
    live.program.panel().click("Command44");
    ASSERT_TRUE(waitFor([&] { return live.link().receivedLine().size() == 1 + 4 * 2 + 4 + 6; }))
        << live.link().receivedLine();
    EXPECT_EQ(live.link().status(), "");
}

TEST(Faults, EveryByteValueCrossesTheLineUnchanged)
{
    PtyPeer peer;
    ASSERT_FALSE(peer.device().empty());
    Live live(peer.device());
    ASSERT_TRUE(live.port.isOpen()) << live.port.errorText();
    std::string all;
    for (int c = 0; c < 256; ++c)
        all += static_cast<char>(c);
    ASSERT_TRUE(peer.send(all));
    ASSERT_TRUE(waitFor([&] { return live.link().buffer().size() == 256; })) << live.link().buffer().size();
    EXPECT_EQ(live.link().buffer(), all);
    EXPECT_EQ(live.link().receivedLine(), renderMonitorLine(all).line);
}

TEST(Faults, WrittenFramesArriveExactly)
{
    PtyPeer peer;
    Live live(peer.device());
    ASSERT_TRUE(live.port.isOpen());
    live.program.panel().click("Command55");
    live.program.panel().click("Command17");
    std::string got;
    ASSERT_TRUE(waitFor([&] {
        got += peer.received();
        return got.size() >= 15;
    }));
    EXPECT_EQ(got, "CR LAMPSTS\rC00\r");
}

TEST(Faults, StreamPastTheBoundIsCutAndTheProgramGoesOn)
{
    PtyPeer peer;
    Live live(peer.device());
    ASSERT_TRUE(live.port.isOpen());
    const std::string chunk(1000, 'Z');
    for (int i = 0; i < 40; ++i) {
        ASSERT_TRUE(peer.send(chunk));
        spin(2);
    }
    ASSERT_TRUE(waitFor([&] { return live.link().droppedCharacters() == 40000 - Link::kBufferLimit; }))
        << live.link().buffer().size();
    EXPECT_EQ(live.link().buffer().size(), Link::kBufferLimit);
    EXPECT_FALSE(live.link().notice().empty());
    live.program.panel().click("Command44");
    EXPECT_TRUE(live.link().buffer().empty());
    ASSERT_TRUE(peer.send("80\r"));
    ASSERT_TRUE(waitFor([&] { return live.link().status() == " Stand by"; }));
}

TEST(Faults, HangUpMidReplyLeavesTheProgramAlive)
{
    PtyPeer peer;
    Live live(peer.device());
    ASSERT_TRUE(live.port.isOpen());
    live.program.panel().click("Command54");
    ASSERT_TRUE(peer.send("+25.5 +3"));
    ASSERT_TRUE(waitFor([&] { return live.link().buffer().size() == 8; }));
    peer.hangUp();
    ASSERT_TRUE(waitFor([&] { return !live.port.isOpen(); }));
    EXPECT_NE(live.link().notice().find("Port lost"), std::string::npos);
    // No busy loop after the loss: the event loop is quiet.
    spin(200);
    EXPECT_FALSE(live.port.isOpen());
    live.program.panel().click("Command44");
    EXPECT_NE(live.link().notice().find("Not sent"), std::string::npos);
}

TEST(Faults, HangUpMidHoldLeavesTheProgramAliveAndTheHoldEnds)
{
    Simulator sim({"--hangup-after", "3"});
    ASSERT_TRUE(sim.started());
    Live live(sim.device());
    ASSERT_TRUE(live.port.isOpen());
    live.program.panel().press("Command1"); // volume up, held
    ASSERT_TRUE(waitFor([&] { return !live.port.isOpen(); }));
    spin(300); // repeats go on against the closed port, reported
    EXPECT_NE(live.link().notice().find("Not sent"), std::string::npos);
    live.program.panel().release();
    EXPECT_FALSE(live.program.panel().holding());
    EXPECT_FALSE(live.timer1.isEnabled());
}

// A line whose far end reads nothing: a second opening of the device, made
// before the program takes it, fills it up.
class StalledLine {
public:
    explicit StalledLine(const std::string& device)
        : fd_(::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK))
    {
    }
    ~StalledLine()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    // Writes until the line takes nothing more, also once the kernel has
    // moved what it holds along to the far end's (unread) input.
    bool fill()
    {
        const std::string chunk(4096, 'F');
        for (int quiet = 0; quiet < 3;) {
            std::size_t taken = 0;
            for (std::size_t size : {chunk.size(), std::size_t{1}}) {
                for (;;) {
                    const ssize_t n = ::write(fd_, chunk.data(), size);
                    if (n > 0) {
                        taken += static_cast<std::size_t>(n);
                        continue;
                    }
                    if (n < 0 && errno != EAGAIN)
                        return false;
                    break;
                }
            }
            filled_ += taken;
            quiet = taken == 0 ? quiet + 1 : 0;
            spin(20);
        }
        return filled_ > 0;
    }
    std::size_t filled() const { return filled_; }

private:
    int fd_;
    std::size_t filled_ = 0;
};

TEST(Faults, LineThatIsNotReadQueuesNoMoreThanTheBound)
{
    PtyPeer peer;
    StalledLine line(peer.device());
    Live live(peer.device());
    ASSERT_TRUE(live.port.isOpen()) << live.port.errorText();
    ASSERT_TRUE(line.fill());

    live.program.panel().press("Command1"); // "Volume" up, held for a second
    spin(1000);
    EXPECT_EQ(live.link().sentLine(), " C 0 9  [CR] ");
    EXPECT_NE(live.link().notice().find("not taking data"), std::string::npos) << live.link().notice();
    EXPECT_LE(live.port.bytesToWrite(), 3u * 4u);
    live.program.panel().release();

    // The far end reads again: what was queued goes out, and nothing more.
    std::string got;
    ASSERT_TRUE(waitFor([&] {
        got += peer.received();
        return live.port.bytesToWrite() == 0 && got.size() >= line.filled() + 4;
    }));
    spin(100);
    got += peer.received();
    const std::string frames = got.substr(line.filled());
    const auto repeats = std::count(frames.begin(), frames.end(), '\r');
    EXPECT_GE(repeats, 1);
    EXPECT_LE(repeats, 3) << "a held second on a stalled line went out as " << repeats << " frames";
    std::string expected;
    for (int i = 0; i < repeats; ++i)
        expected += "C09\r";
    EXPECT_EQ(frames, expected);

    // On a line that takes data, two quick clicks both go out.
    live.program.panel().click("Command17");
    live.program.panel().click("Command17");
    std::string after;
    ASSERT_TRUE(waitFor([&] {
        after += peer.received();
        return after.size() >= 8;
    }));
    EXPECT_EQ(after, "C00\rC00\r");
    EXPECT_EQ(live.link().notice(), "");
}

} // namespace
} // namespace orva::test
