// What a read or a send answers: words, numbers, exit statuses, JSON.
#include "ctl/answers.h"
#include "line/readable_text.h"

#include <gtest/gtest.h>

namespace orva::test {
namespace {

using Outcome = LineOutcome::Kind;

LineOutcome replied(const std::string& reply)
{
    LineOutcome r;
    r.kind = Outcome::Replied;
    r.complete = reply.find('\r') != std::string::npos;
    r.reply = reply;
    return r;
}

LineOutcome failed(Outcome outcome, std::string reason = {})
{
    LineOutcome r;
    r.kind = outcome;
    r.reason = std::move(reason);
    return r;
}

ResolvedPort com3()
{
    ResolvedPort p;
    p.com = 3;
    p.target = *parsePortTarget("/dev/ttyUSB0");
    p.baudCode = 96;
    return p;
}

const ReadCommand& read(std::string_view name)
{
    return *findReadCommand(name);
}

Answer answerTo(std::string_view name, const std::string& reply)
{
    return readAnswer(read(name), com3(), replied(reply), 1000);
}

TEST(CtlAnswers, ReadsPrintTheWindowsWordsWithoutTheLeadingBlank)
{
    const std::vector<std::tuple<const char*, const char*, const char*>> cases{
        {"status", "00\r", "Power ON"},
        {"status", "80\r", "Stand by"},
        {"status", "81\r", "Lamp Failure"},
        {"input", "2\r", "Input 2"},
        {"input", "5\r", "Wireless/Viewer"},
        {"setting", "11\r", "Normally"},
        {"setting", "00\r", "Top/Bottom , Left/Right reversal"},
        {"lamp-status", "000 1I\r", "Lamp is ON"},
        {"lamp-status", "000 1X\r", "Lamp is failure"},
        {"lamp-mode", "000 NORMAL\r", "Lamp Mode is NORMAL"},
        {"lamp-mode", "000 ECO\r", "Lamp Mode is Eco"},
        {"lamp-time", "00123\r", "123"},
        {"lamp-time", "12345\r", "12345"},
        {"lamp-time", "00000\r", "0"},
        {"lamp-time", "01000\r", "1000"},
        {"temp", "+25.5 +31.0 +40.2\r", "25.5 31.0 40.2"},
        {"temp", "-03.5 +00.0 +07.2\r", "-3.5 0.0 7.2"},
        {"temp", "+2.55 -00.0 00031\r", "2.55 0.0 31"}, // as many decimals as written; no "-0.0"
    };
    for (const auto& [name, reply, words] : cases) {
        const Answer a = answerTo(name, reply);
        EXPECT_EQ(a.status, ExitStatus::Answered) << name << " " << reply << ": " << a.err;
        EXPECT_EQ(a.out, words) << name << " " << reply;
        EXPECT_EQ(a.err, "");
    }
}

TEST(CtlAnswers, RepliesThatDoNotDecodeAreStatusFour)
{
    const std::vector<std::pair<const char*, const char*>> cases{
        {"status", "?\r"},          {"status", " 00\r"},         {"input", "9\r"},
        {"setting", "1\r"},         {"lamp-status", "000 1Z\r"}, {"lamp-mode", "000 TURBO\r"},
        {"lamp-time", "0012\r"},    {"lamp-time", "00123\r\n"},  {"lamp-time", "0012A\r"},
        {"temp", "ABCDE FGHIJ KLMNO\r"}, {"temp", "+25.5 +31.0\r"},  {"temp", "+2.5. +31.0 +40.2\r"},
        {"status", "\x91\x85" "00\r"}, {"temp", "----- +31.0 +40.2\r"},
    };
    for (const auto& [name, reply] : cases) {
        const Answer a = answerTo(name, reply);
        EXPECT_EQ(a.status, ExitStatus::Undecodable) << name << " " << reply;
        EXPECT_EQ(a.out, "");
        EXPECT_NE(a.err.find("does not decode as the " + std::string(read(name).what)), std::string::npos) << a.err;
    }
    EXPECT_EQ(answerTo("status", "\x91\x85" "00\r").err,
              "the reply \"\\x91\\x8500\\r\" from COM3 (/dev/ttyUSB0) does not decode as the power status");
    // A flood is not copied into the message.
    EXPECT_EQ(answerTo("status", std::string(131072, 'x') + "\r").err,
              "the reply \"" + std::string(80, 'x') + "... (131073 bytes in all)\" from COM3 (/dev/ttyUSB0) "
              "does not decode as the power status");
}

TEST(CtlAnswers, JsonCarriesThePortTheReplyAndTheDecodedField)
{
    const Answer a = answerTo("temp", "+25.5 +31.0 +40.2\r");
    const JsonValue json(a.json);
    EXPECT_EQ(*json.find("port")->string(), "COM3");
    EXPECT_EQ(*json.find("device")->string(), "/dev/ttyUSB0");
    EXPECT_EQ(*json.find("baud")->number(), 9600);
    EXPECT_EQ(*json.find("command")->string(), "CR6");
    EXPECT_EQ(*json.find("reply")->string(), "+25.5 +31.0 +40.2\r");
    const auto* t = json.find("temperatures")->array();
    ASSERT_NE(t, nullptr);
    ASSERT_EQ(t->size(), 3u);
    EXPECT_EQ(*(*t)[0].number(), 25.5);
    EXPECT_EQ(*(*t)[2].number(), 40.2);
    EXPECT_EQ(json.find("error"), nullptr);

    EXPECT_EQ(*JsonValue(answerTo("lamp-time", "00123\r").json).find("lampHours")->number(), 123);
    EXPECT_EQ(*JsonValue(answerTo("lamp-status", "000 1O\r").json).find("lampStatus")->string(), "Lamp is OFF");
    EXPECT_EQ(*JsonValue(answerTo("lamp-status", "000 1O\r").json).find("command")->string(), "CR LAMPSTS");

    const JsonValue bad(answerTo("status", "\xe9\r").json);
    EXPECT_EQ(*bad.find("reply")->string(), "\xc3\xa9\r"); // a byte is one character
    EXPECT_TRUE(bad.find("status")->isNull());
    EXPECT_NE(bad.find("error"), nullptr);
}

TEST(CtlAnswers, NoReplyIsThreeAndAPortThatFailsIsTwo)
{
    const Answer none = readAnswer(read("status"), com3(), failed(Outcome::NoReply), 1500);
    EXPECT_EQ(none.status, ExitStatus::NoReply);
    EXPECT_EQ(none.err, "no reply from COM3 (/dev/ttyUSB0) within 1500 ms");
    EXPECT_EQ(none.out, "");
    EXPECT_TRUE(JsonValue(none.json).find("reply")->isNull());
    EXPECT_TRUE(JsonValue(none.json).find("status")->isNull());

    const Answer lost = readAnswer(read("status"), com3(), failed(Outcome::PortLost, "hung up"), 1000);
    EXPECT_EQ(lost.status, ExitStatus::PortUnavailable);
    EXPECT_EQ(lost.err, "COM3 (/dev/ttyUSB0) went away before the reply was complete: hung up");
    const Answer unsent = sendAnswer("C00", false, com3(), failed(Outcome::NotSent, "write failed"), 1000);
    EXPECT_EQ(unsent.status, ExitStatus::PortUnavailable);
    EXPECT_EQ(unsent.err, "could not send to COM3 (/dev/ttyUSB0): write failed");

    const Answer closed = portAnswer(nullptr, "CR0", "no port given");
    EXPECT_EQ(closed.status, ExitStatus::PortUnavailable);
    EXPECT_TRUE(JsonValue(closed.json).find("port")->isNull());
    EXPECT_EQ(*JsonValue(closed.json).find("error")->string(), "no port given");
}

TEST(CtlAnswers, SendPrintsTheReplyEscapedOrAsTheMonitorShowsIt)
{
    const Answer ack = sendAnswer("C00", false, com3(), replied("\x06\r"), 1000);
    EXPECT_EQ(ack.status, ExitStatus::Answered);
    EXPECT_EQ(ack.out, "\\x06\\r");
    EXPECT_EQ(*JsonValue(ack.json).find("command")->string(), "C00");
    EXPECT_EQ(*JsonValue(ack.json).find("monitor")->string(), "  [ACK]  [CR] ");

    EXPECT_EQ(sendAnswer("CR0", true, com3(), replied("00\r"), 1000).out, " 0 0  [CR] ");
    // A reply with an error mark is still an answer: sent text is not judged.
    EXPECT_EQ(sendAnswer("CX", false, com3(), replied("?\r"), 1000).status, ExitStatus::Answered);

    const Answer none = sendAnswer("C00", true, com3(), failed(Outcome::NoReply), 1000);
    EXPECT_EQ(none.status, ExitStatus::NoReply);
    EXPECT_EQ(none.out, " X X X X");
    EXPECT_EQ(sendAnswer("C00", false, com3(), failed(Outcome::NoReply), 1000).out, "");
}

TEST(CtlAnswers, Escaping)
{
    EXPECT_EQ(escapedText(std::string("a\\b\r\n\t\x7f\x80\xff z", 11)), "a\\\\b\\r\\n\\t\\x7f\\x80\\xff z");
    EXPECT_EQ(escapedText(std::string("\0", 1)), "\\x00");
    EXPECT_EQ(latin1ToUtf8("A\xb0\xff"), "A\xc2\xb0\xc3\xbf");
}

} // namespace
} // namespace orva::test
