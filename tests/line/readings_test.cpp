// The typed readings of the replies: strict, and in agreement with the
// window's own words for every well-formed reply.
#include "line/commands.h"
#include "link/decode.h"
#include "link/render.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>
#include <string>
#include <vector>

namespace orva::test {
namespace {

// The numbers of the window's words for lamp hours and temperatures.
std::string numbers(std::string words)
{
    std::erase(words, ' ');
    std::string out;
    const std::regex number(R"(([-+.0-9]*)(degC|HourUse))");
    for (auto m = std::sregex_iterator(words.begin(), words.end(), number); m != std::sregex_iterator(); ++m)
        out += std::to_string(std::strtod((*m)[1].str().c_str(), nullptr) + 0.0).append(";"); // no -0
    return out;
}

// The typed value as the window would word it, its numbers as numbers().
std::string typed(const Reading& value)
{
    if (const auto* hours = std::get_if<LampHours>(&value))
        return std::to_string(static_cast<double>(hours->hours)).append(";");
    const auto* sensors = std::get_if<Temperatures>(&value);
    std::string out = sensors ? "" : std::string(" ").append(nameOf(value));
    for (std::size_t i = 0; sensors && i < sensors->size(); ++i)
        out += (*sensors)[i] ? std::to_string((*sensors)[i]->celsius).append(";") : "none;";
    return out;
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
    for (const char* hours : {"00000", "00123", "12345", "01000", "99999"})
        replies.emplace_back(Read::LampHours, std::string(hours) + '\r');
    for (const char* t : {"+25.5 +31.0 +40.2", "-03.5 +00.0 +07.2", "+2.55 -00.0 00031", "-99.9 099.9 +00.1"})
        replies.emplace_back(Read::Temperatures, std::string(t) + '\r');

    int agreed = 0;
    for (const auto& [read, reply] : replies) {
        const std::string frame(projectorRead(read).frame);
        const auto words = decodeReply(renderMonitorLine(reply).line, reply.size(), frame, "");
        const auto value = projectorRead(read).parse(reply);
        ASSERT_EQ(words.has_value(), value.has_value()) << frame << " -> " << reply;
        if (value) {
            EXPECT_EQ(nameOf(*value).empty() ? numbers(*words) : *words, typed(*value)) << frame << " -> " << reply;
            ++agreed;
        }
    }
    EXPECT_EQ(agreed, 12 + 5 + 4 + 3 + 3 + 5 + 4); // every row of every table, and the samples
}

TEST(Readings, WhatIsNotOfTheReadsFormIsNotReadable)
{
    // Only the beginning of the form, or more than it; errors of the projector; nothing.
    const std::vector<std::pair<Read, std::string>> cases{
        {Read::Power, "001\r"}, {Read::Power, "00\r\n"}, {Read::Power, " 00\r"}, {Read::Power, "00"},
        {Read::Power, "00\r00\r"}, {Read::Input, "12\r"}, {Read::Mirroring, "1\r"}, {Read::LampState, "000 1I \r"},
        {Read::LampMode, "000 ECO \r"}, {Read::LampHours, "0012\r"}, {Read::LampHours, "00123\r\n"},
        {Read::LampHours, "0012A\r"}, {Read::LampHours, "-0123\r"}, {Read::LampHours, "000123\r"},
        {Read::Temperatures, "+25.5 +31.0\r"}, {Read::Temperatures, "+25.5 +31.0 +40.2 +1.0\r"},
        {Read::Temperatures, "+25.5,+31.0,+40.2\r"}, {Read::Temperatures, "+25.5  +1.0 +40.2\r"},
        {Read::Temperatures, "+25.5 +31.0 +40.2"}, {Read::Power, "?\r"}, {Read::LampHours, "?\r"},
        {Read::Temperatures, "\r"}, {Read::Input, ""},
    };
    for (const auto& [read, reply] : cases)
        EXPECT_FALSE(projectorRead(read).parse(reply)) << projectorRead(read).frame << " -> " << reply;

    // A field that is no number is a sensor without a reading; the others stand.
    EXPECT_EQ(readTemperatures("----- +31.0 +4x.2\r"), (Temperatures{std::nullopt, Temperature{31.0, 1}, std::nullopt}));
    EXPECT_TRUE(readAcknowledged("\x06\r") == true && readAcknowledged("?\r") == false && !readAcknowledged("00\r"));
}

} // namespace
} // namespace orva::test
