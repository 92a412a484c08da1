// The typed readings of the replies: strict, and in agreement with the
// window's own words for every well-formed reply.
#include "line/commands.h"
#include "line/readings.h"
#include "link/decode.h"
#include "link/render.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace orva::test {
namespace {

// What the window's status label shows for `reply` to `read`, or nothing.
std::optional<std::string> windowWords(Read read, const std::string& reply)
{
    return decodeReply(renderMonitorLine(reply).line, reply.size(), projectorRead(read).frame, "");
}

std::string withoutBlanks(std::string s)
{
    std::erase(s, ' ');
    return s;
}

// The window's words and the typed value say the same thing.
void expectAgreement(Read read, const std::string& reply, const std::string& words, const Reading& value)
{
    const std::string context = std::string(projectorRead(read).frame) + " -> " + reply;
    if (const auto* hours = std::get_if<LampHours>(&value)) {
        std::string digits = withoutBlanks(words);
        ASSERT_TRUE(digits.ends_with("HourUse")) << context;
        digits.resize(digits.size() - 7);
        EXPECT_EQ(digits.empty() ? 0 : std::stol(digits), hours->hours) << context;
    } else if (const auto* sensors = std::get_if<Temperatures>(&value)) {
        std::string rest = withoutBlanks(words);
        for (const auto& t : *sensors) {
            const std::size_t unit = rest.find("degC");
            ASSERT_NE(unit, std::string::npos) << context;
            ASSERT_TRUE(t) << context;
            EXPECT_EQ(std::strtod(rest.substr(0, unit).c_str(), nullptr), t->celsius) << context;
            rest.erase(0, unit + 4);
        }
        EXPECT_EQ(rest, "") << context;
    } else {
        EXPECT_EQ(words, std::string(" ").append(nameOf(value))) << context;
    }
}

TEST(Readings, EveryWellFormedReplyReadsAsTheWindowDecodesIt)
{
    // The reads decoded by a table: every body of their width, so the window
    // decodes exactly the replies the typed read takes.
    const std::string chars = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ?_-+. ";
    std::vector<std::pair<Read, std::string>> replies;
    for (char a : chars) {
        replies.emplace_back(Read::Input, std::string{a, '\r'});
        replies.emplace_back(Read::LampState, std::string("000 1") + a + '\r');
        for (char b : chars) {
            replies.emplace_back(Read::Power, std::string{a, b, '\r'});
            replies.emplace_back(Read::Mirroring, std::string{a, b, '\r'});
        }
    }
    for (const char* mode : {"HIGH", "NORMAL", "ECO", "LOW", "Eco", "HIGHER"})
        replies.emplace_back(Read::LampMode, std::string("000 ") + mode + '\r');
    // The reads decoded by a rule: well-formed samples.
    for (const char* hours : {"00000", "00123", "12345", "01000", "99999", "10000"})
        replies.emplace_back(Read::LampHours, std::string(hours) + '\r');
    for (const char* t : {"+25.5 +31.0 +40.2", "-03.5 +00.0 +07.2", "+2.55 -00.0 00031", "-99.9 099.9 +00.1"})
        replies.emplace_back(Read::Temperatures, std::string(t) + '\r');

    int agreed = 0;
    for (const auto& [read, reply] : replies) {
        const auto words = windowWords(read, reply);
        const auto value = projectorRead(read).parse(reply);
        EXPECT_EQ(words.has_value(), value.has_value()) << projectorRead(read).frame << " -> " << reply;
        if (words && value) {
            expectAgreement(read, reply, *words, *value);
            ++agreed;
        }
    }
    EXPECT_EQ(agreed, 12 + 5 + 4 + 3 + 3 + 6 + 4); // every row of every table, and the samples
}

TEST(Readings, WhatIsNotOfTheReadsFormIsNotReadable)
{
    const std::vector<std::pair<Read, std::string>> cases{
        // Only the beginning of the form, or more than it.
        {Read::Power, "001\r"}, {Read::Power, "00\r\n"}, {Read::Power, " 00\r"}, {Read::Power, "00"},
        {Read::Power, "00\r00\r"}, {Read::Input, "12\r"}, {Read::Mirroring, "1\r"},
        {Read::LampState, "000 1I \r"}, {Read::LampMode, "000 ECO \r"},
        {Read::LampHours, "0012\r"}, {Read::LampHours, "00123\r\n"}, {Read::LampHours, "0012A\r"},
        {Read::LampHours, "-0123\r"}, {Read::LampHours, "000123\r"},
        {Read::Temperatures, "+25.5 +31.0\r"}, {Read::Temperatures, "+25.5 +31.0 +40.2 +1.0\r"},
        {Read::Temperatures, "+25.5,+31.0,+40.2\r"}, {Read::Temperatures, "+25.5  +1.0 +40.2\r"},
        {Read::Temperatures, "+25.5 +31.0 +40.2"},
        // Errors of the projector, and nothing.
        {Read::Power, "?\r"}, {Read::LampHours, "?\r"}, {Read::Temperatures, "\r"}, {Read::Input, ""},
    };
    for (const auto& [read, reply] : cases)
        EXPECT_FALSE(projectorRead(read).parse(reply)) << projectorRead(read).frame << " -> " << reply;

    // A field that is no number is a sensor without a reading; the others stand.
    const auto t = readTemperatures("----- +31.0 +4x.2\r");
    ASSERT_TRUE(t);
    EXPECT_FALSE((*t)[0]);
    EXPECT_EQ((*t)[1], (Temperature{31.0, 1}));
    EXPECT_FALSE((*t)[2]);

    EXPECT_EQ(readAcknowledged("\x06\r"), true);
    EXPECT_EQ(readAcknowledged("?\r"), false);
    EXPECT_EQ(readAcknowledged("00\r"), std::nullopt);
}

} // namespace
} // namespace orva::test
