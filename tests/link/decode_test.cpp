#include "link/decode.h"
#include "link/render.h"

#include <gtest/gtest.h>

#include <string>

namespace orva {
namespace {

// Decodes a whole reply to `command` with an empty status label.
std::optional<std::string> decode(const std::string& command, const std::string& reply,
                                  const std::string& status = {})
{
    return decodeReply(renderMonitorLine(reply).line, reply.size(), command + "\r", status);
}

TEST(ReplyDecoding, PowerStatusTable)
{
    const std::pair<const char*, const char*> rows[] = {
        {"00", " Power ON"},       {"80", " Stand by"},
        {"40", " Count down"},     {"20", " Cooling down"},
        {"10", " Power abnormality"}, {"08", " Temperature abnormality"},
        {"18", " Temperature abnormality"}, {"28", " Temperature abnormality"},
        {"48", " Temperature abnormality"}, {"88", " Temperature abnormality"},
        {"21", " Lamp Failure"},   {"81", " Lamp Failure"},
    };
    for (const auto& [reply, words] : rows)
        EXPECT_EQ(decode("CR0", std::string(reply) + "\r"), words) << reply;
    EXPECT_EQ(decode("CR0", "001\r"), " Power ON"); // only the beginning counts
    EXPECT_EQ(decode("CR0", "99\r"), std::nullopt);
    EXPECT_EQ(decode("CR0", "0"), std::nullopt);    // too short to compare
    EXPECT_EQ(decode("CR0", " 00\r"), std::nullopt);
}

TEST(ReplyDecoding, InputAndMirroringTables)
{
    EXPECT_EQ(decode("CR1", "1\r"), " Input 1");
    EXPECT_EQ(decode("CR1", "12\r"), " Input 1");
    EXPECT_EQ(decode("CR1", "2\r"), " Input 2");
    EXPECT_EQ(decode("CR1", "3\r"), " Input 3");
    EXPECT_EQ(decode("CR1", "4\r"), " Wired");
    EXPECT_EQ(decode("CR1", "5\r"), " Wireless/Viewer");
    EXPECT_EQ(decode("CR1", "6\r"), std::nullopt);
    EXPECT_EQ(decode("CR1", "a\r"), std::nullopt);

    EXPECT_EQ(decode("CR4", "11\r"), " Normally");
    EXPECT_EQ(decode("CR4", "10\r"), " Top/Bottom reversal");
    EXPECT_EQ(decode("CR4", "01\r"), " Left/Right reversal");
    EXPECT_EQ(decode("CR4", "00\r"), " Top/Bottom , Left/Right reversal");
    EXPECT_EQ(decode("CR4", "1\r"), std::nullopt);
}

TEST(ReplyDecoding, LampStatusTable)
{
    EXPECT_EQ(decode("CR LAMPSTS", "000 1I\r"), " Lamp is ON");
    EXPECT_EQ(decode("CR LAMPSTS", "000 1O\r"), " Lamp is OFF");
    EXPECT_EQ(decode("CR LAMPSTS", "000 1X\r"), " Lamp is failure");
    EXPECT_EQ(decode("CR LAMPSTS", "000 1i\r"), std::nullopt); // case counts
    // An underscore renders like a blank, so it reads like one.
    EXPECT_EQ(decode("CR LAMPSTS", "000_1I\r"), " Lamp is ON");
    EXPECT_EQ(decode("CR LAMPSTS", "0001I\r"), std::nullopt);
}

TEST(ReplyDecoding, LampTimeWorkedExamples)
{
    const auto t = decode("CR3", "00123\r");
    ASSERT_TRUE(t);
    EXPECT_EQ(*t, "     1 2 3   Hour Use");
    EXPECT_EQ(t->size(), 21u);
    EXPECT_EQ(decode("CR3", "00000\r"), std::string(12, ' ') + " Hour Use");
    EXPECT_EQ(decode("CR3", "10203\r"), " 1 0 2 0 3   Hour Use");
    // Appended to what the label already shows.
    EXPECT_EQ(decode("CR3", "00123\r", "X"), "X     1 2 3   Hour Use");
}

TEST(ReplyDecoding, LampTimeNeedsExactlySixCharacters)
{
    EXPECT_EQ(decode("CR3", "00123\r\n"), std::nullopt);
    EXPECT_EQ(decode("CR3", "0012\r"), std::nullopt);
    // Any six characters are taken.
    EXPECT_EQ(decode("CR3", "ab cd\r"), " a b _ c d   Hour Use");
}

TEST(ReplyDecoding, TemperaturesNeedExactlyEighteenCharacters)
{
    EXPECT_EQ(decode("CR6", "ABCDE FGHIJ KLMNO\r"),
              " A B C D E deg C F G H I J deg C K L M N O deg C ");
    EXPECT_EQ(decode("CR6", "+25.5 +31.0 +40.2\r"),
              " + 2 5 . 5 deg C + 3 1 . 0 deg C + 4 0 . 2 deg C ");
    EXPECT_EQ(decode("CR6", "ABCDE FGHIJ KLMNO"), std::nullopt);
    EXPECT_EQ(decode("CR6", "ABCDE FGHIJ KLMNO\r\n"), std::nullopt);
}

TEST(ReplyDecoding, LampModeReadsTheThreeModes)
{
    EXPECT_EQ(decode("CR7", "000 HIGH\r"), std::string(kLampModeHigh));
    EXPECT_EQ(decode("CR7", "000 NORMAL\r"), std::string(kLampModeNormal));
    EXPECT_EQ(decode("CR7", "000 ECO\r"), std::string(kLampModeEco));
    EXPECT_EQ(decode("CR LAMPMODE", "000 ECO\r"), std::string(kLampModeEco));
    EXPECT_EQ(decode("CR7", "000 ECO"), std::nullopt); // not until the CR is in
    EXPECT_EQ(decode("CR7", ""), std::nullopt);
}

TEST(ReplyDecoding, OnlyTheReadCommandsDecode)
{
    for (const char* command : {"C00", "CR2", "CR5", "cr0", "CR0 ", "CF LAMPMODE ECO", ""})
        EXPECT_EQ(decode(command, "00\r"), std::nullopt) << command;
    // The frame must be exact: no CR, no decoding.
    EXPECT_EQ(decodeReply(" 0 0  [CR] ", 3, "CR0", ""), std::nullopt);
}

} // namespace
} // namespace orva
