// The mapping table at work: PJLink commands to the projector's frames and
// its replies back to PJLink answers, on a scripted line.
#include "pjlink/bridge.h"

#include "fakes.h"

#include <gtest/gtest.h>

#include <map>

namespace orva::pjlink {
namespace {

struct Case {
    std::string command; // body and parameter
    std::map<std::string, std::string> replies; // frame -> reply; a frame not here gets none
    std::string answer;
    std::vector<std::string> frames;
};

const std::map<std::string, std::string> kOn = {
    {"CR0\r", "00\r"}, {"CR1\r", "2\r"}, {"CR3\r", "01234\r"}, {"CR LAMPSTS\r", "000 1I\r"},
    {"C00\r", "\x06\r"}, {"C01\r", "\x06\r"}, {"C05\r", "\x06\r"}, {"C06\r", "\x06\r"}, {"C07\r", "\x06\r"},
    {"C0B\r", "\x06\r"}, {"C0C\r", "\x06\r"}, {"C0D\r", "\x06\r"}, {"C0E\r", "\x06\r"}};

std::map<std::string, std::string> with(std::map<std::string, std::string> base, const std::string& frame,
                                        const std::string& reply)
{
    if (reply.empty())
        base.erase(frame);
    else
        base[frame] = reply;
    return base;
}

class BridgeTest : public ::testing::TestWithParam<Case> {};

std::string run(const Case& c, std::vector<std::string>& written)
{
    test::VirtualClock clock;
    test::FakePort port;
    port.setPortNumber(1);
    LineQueue queue(port, clock, 1000, 1);
    queue.start();
    ProjectorBridge bridge(queue, Identity{"Hall A", "ORVA", "QLN50", "bridge"});
    std::optional<std::string> answer;
    const auto space = c.command.find(' ');
    bridge.execute(Command{c.command.substr(0, space), c.command.substr(space + 1)},
                   [&](const std::string& text) { answer = text; }, Caller{});
    std::size_t answered = 0;
    for (int ms = 0; ms < 10'000 && !answer; ++ms) {
        clock.advance(1);
        while (answered < port.written.size()) {
            const auto it = c.replies.find(port.written[answered++]);
            if (it != c.replies.end())
                port.receive(it->second);
        }
    }
    written = port.written;
    return answer.value_or("(no answer)");
}

TEST_P(BridgeTest, AnswersByTheTable)
{
    std::vector<std::string> written;
    EXPECT_EQ(run(GetParam(), written), GetParam().answer);
    EXPECT_EQ(written, GetParam().frames);
}

INSTANTIATE_TEST_SUITE_P(
    Table, BridgeTest,
    ::testing::Values(
        Case{"POWR 1", with(kOn, "CR0\r", "80\r"), "OK", {"CR0\r", "C00\r"}},
        Case{"POWR 0", with(kOn, "C01\r", "?\r"), "ERR3", {"CR0\r", "C01\r"}},
        Case{"POWR 1", with(kOn, "C00\r", ""), "ERR4", {"CR0\r", "C00\r"}},
        Case{"POWR 1", with(kOn, "CR0\r", "20\r"), "ERR3", {"CR0\r"}}, // cooling down: it would be ignored
        Case{"POWR 0", with(kOn, "CR0\r", "40\r"), "ERR3", {"CR0\r"}}, // warming up
        Case{"POWR ?", kOn, "1", {"CR0\r"}},
        Case{"POWR ?", with(kOn, "CR0\r", "80\r"), "0", {"CR0\r"}},
        Case{"POWR ?", with(kOn, "CR0\r", "20\r"), "2", {"CR0\r"}},
        Case{"POWR ?", with(kOn, "CR0\r", "40\r"), "3", {"CR0\r"}},
        Case{"POWR ?", with(kOn, "CR0\r", "10\r"), "ERR4", {"CR0\r"}},
        Case{"POWR ?", with(kOn, "CR0\r", ""), "ERR4", {"CR0\r"}},
        Case{"POWR 2", kOn, "ERR2", {}},
        Case{"INPT 11", kOn, "OK", {"CR0\r", "C05\r"}},
        Case{"INPT 21", kOn, "OK", {"CR0\r", "C07\r"}},
        Case{"INPT 12", with(kOn, "CR0\r", "80\r"), "ERR3", {"CR0\r"}},
        Case{"INPT 31", kOn, "ERR2", {}},
        Case{"INPT ?", kOn, "12", {"CR1\r"}},
        Case{"INPT ?", with(kOn, "CR1\r", "3\r"), "21", {"CR1\r"}},
        Case{"INST ?", kOn, "11 12 21", {}},
        Case{"AVMT 31", kOn, "OK", {"CR0\r", "C0D\r", "C0B\r"}},
        Case{"AVMT 20", with(kOn, "C0C\r", "?\r"), "ERR3", {"CR0\r", "C0C\r"}},
        Case{"AVMT ?", kOn, "30", {}},
        Case{"ERST ?", kOn, "000000", {"CR0\r", "CR LAMPSTS\r"}},
        Case{"ERST ?", with(kOn, "CR0\r", "21\r"), "020000", {"CR0\r", "CR LAMPSTS\r"}},
        Case{"ERST ?", with(kOn, "CR0\r", "48\r"), "002000", {"CR0\r", "CR LAMPSTS\r"}},
        Case{"ERST ?", with(kOn, "CR0\r", "10\r"), "000002", {"CR0\r", "CR LAMPSTS\r"}},
        Case{"ERST ?", with(kOn, "CR LAMPSTS\r", "000 1X\r"), "020000", {"CR0\r", "CR LAMPSTS\r"}},
        Case{"LAMP ?", kOn, "1234 1", {"CR3\r", "CR LAMPSTS\r"}},
        Case{"LAMP ?", with(kOn, "CR LAMPSTS\r", "000 1O\r"), "1234 0", {"CR3\r", "CR LAMPSTS\r"}},
        Case{"LAMP ?", with(kOn, "CR3\r", "12\r"), "ERR4", {"CR3\r"}},
        Case{"NAME ?", {}, "Hall A", {}},
        Case{"INF2 ?", {}, "QLN50", {}},
        Case{"CLSS ?", {}, "1", {}},
        Case{"ERST 1", {}, "ERR2", {}},
        Case{"SVER ?", {}, "ERR1", {}}));

TEST(BridgeMemory, AvMuteReadsBackWhatTheBridgeLastSet)
{
    test::VirtualClock clock;
    test::FakePort port;
    port.setPortNumber(1);
    LineQueue queue(port, clock, 1000, 1);
    queue.start();
    ProjectorBridge bridge(queue, Identity{});
    std::vector<std::string> answers;
    bool refuseAudio = false;
    auto ask = [&](const std::string& parameter) {
        bridge.execute(Command{"AVMT", parameter}, [&](const std::string& a) { answers.push_back(a); }, Caller{});
        for (int ms = 0; ms < 50; ++ms) {
            clock.advance(1);
            if (!port.written.empty() && queue.busy()) {
                const std::string& frame = port.written.back();
                port.receive(frame == "CR0\r" ? "00\r" : refuseAudio && frame == "C0B\r" ? "?\r" : "\x06\r");
            }
        }
    };
    for (const char* p : {"11", "?", "21", "?", "10", "?", "20", "?"})
        ask(p);
    // Both at once, the audio half refused: the video half still counts.
    refuseAudio = true;
    ask("31");
    ask("?");
    EXPECT_EQ(answers,
              (std::vector<std::string>{"OK", "11", "OK", "31", "OK", "21", "OK", "30", "ERR3", "11"}));
}

} // namespace
} // namespace orva::pjlink
