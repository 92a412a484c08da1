#include "reference/catalogues.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace orva {
namespace {

constexpr std::string_view kMarker = "[CR]";

std::string_view commandOf(std::string_view entry) { return entry.substr(0, entry.find('[')); }

// What follows the marker: separator, colon and description, or nothing.
std::string_view tailOf(std::string_view entry)
{
    return entry.substr(entry.find(kMarker) + kMarker.size());
}

std::size_t longest(std::span<const std::string_view> list)
{
    return std::ranges::max(list, {}, [](std::string_view e) { return e.size(); }).size();
}

bool isBlankPlaceholder(std::string_view entry) { return entry.empty() || entry == " "; }

TEST(CatalogueShape, CountsAndLongestEntries)
{
    EXPECT_EQ(basicCatalogue().size(), 59u);
    EXPECT_EQ(expandedSetCatalogue().size(), 314u);
    EXPECT_EQ(expandedReadCatalogue().size(), 96u);
    EXPECT_EQ(longest(basicCatalogue()), 41u);
    EXPECT_EQ(longest(expandedSetCatalogue()), 82u);
    EXPECT_EQ(longest(expandedReadCatalogue()), 98u);
}

TEST(CatalogueShape, FirstAndLastEntries)
{
    EXPECT_EQ(basicCatalogue().front(), "C00[CR]     POWER ON");
    EXPECT_EQ(basicCatalogue().back(), "CR7[CR]     Lamp Mode Read");
    EXPECT_EQ(expandedSetCatalogue().front(), "CF BRIGHT UP[CR]  \t\t:Set Brightness value");
    EXPECT_EQ(expandedSetCatalogue().back(), "CF VMUTE DN[CR]");
    const auto read = expandedReadCatalogue();
    EXPECT_EQ(read.front(), "CR BRIGHT[CR] \t:Get Brightness value");
    EXPECT_EQ(read[87],
              "CR TEMPFAIL[CR] :Get temperature when sensors approach abnomal temperature ");
    for (std::size_t i = 88; i < 95; ++i)
        EXPECT_EQ(read[i], "") << i;
    EXPECT_EQ(read[95], " ");
}

// The window sends the text before the first "[": every real entry must hold
// exactly one, as the start of the marker, after a clean command text.
TEST(CatalogueEntries, OneMarkerAfterACleanCommand)
{
    for (const auto list : {basicCatalogue(), expandedSetCatalogue(), expandedReadCatalogue()}) {
        std::set<std::string_view> seen;
        for (const auto entry : list) {
            if (isBlankPlaceholder(entry))
                continue;
            EXPECT_EQ(std::ranges::count(entry, '['), 1) << entry;
            const auto command = commandOf(entry);
            EXPECT_EQ(entry.substr(command.size(), kMarker.size()), kMarker) << entry;
            ASSERT_FALSE(command.empty()) << entry;
            EXPECT_NE(command.back(), ' ') << entry;
            EXPECT_NE(command.front(), ' ') << entry;
            EXPECT_EQ(command.find_first_of("\t:"), std::string_view::npos) << entry;
            EXPECT_EQ(command.find("  "), std::string_view::npos) << entry;
            EXPECT_TRUE(seen.insert(command).second) << "duplicate " << command;
        }
    }
    // Only the expanded read list has the eight placeholders, all at its end.
    EXPECT_EQ(std::ranges::count_if(basicCatalogue(), isBlankPlaceholder), 0);
    EXPECT_EQ(std::ranges::count_if(expandedSetCatalogue(), isBlankPlaceholder), 0);
    EXPECT_EQ(std::ranges::count_if(expandedReadCatalogue(), isBlankPlaceholder), 8);
}

TEST(CatalogueBasic, CodedCommandsInOrderWithFiveBlanks)
{
    const std::string_view hex = "0123456789ABCDEF";
    std::string_view previous;
    for (const auto entry : basicCatalogue()) {
        const auto command = commandOf(entry);
        ASSERT_EQ(command.size(), 3u) << entry;
        const bool coded = command[0] == 'C' && hex.find(command[1]) != std::string_view::npos
                           && hex.find(command[2]) != std::string_view::npos;
        const bool read = command.starts_with("CR") && command[2] >= '0' && command[2] <= '9';
        EXPECT_TRUE(coded || read) << entry;
        EXPECT_LT(previous, command) << "out of order: " << entry;
        previous = command;
        const auto tail = tailOf(entry);
        EXPECT_TRUE(tail.starts_with("     ")) << entry;
        EXPECT_GT(tail.size(), 5u) << entry;
        EXPECT_NE(tail[5], ' ') << entry;
        EXPECT_EQ(tail.find('\t'), std::string_view::npos) << entry;
    }
}

TEST(CatalogueExpandedSet, SeparatorsAndUndescribedEntries)
{
    const std::map<std::string_view, char> letters{
        {"  \t\t:", 'A'}, {"  \t:", 'B'}, {" \t\t:", 'C'}, {" \t:", 'D'},
        {"\t\t:", 'E'},   {"  :", 'F'},   {" :", 'G'}};
    std::map<char, int> uses;
    int undescribed = 0;
    for (const auto entry : expandedSetCatalogue()) {
        EXPECT_TRUE(entry.starts_with("CF ")) << entry;
        const auto tail = tailOf(entry);
        if (tail.empty() || commandOf(entry) == "CF MIC OFF") {
            ++undescribed;
            EXPECT_EQ(tail, commandOf(entry) == "CF MIC OFF" ? " " : "") << entry;
            continue;
        }
        const auto colon = tail.find(':');
        ASSERT_NE(colon, std::string_view::npos) << entry;
        const auto found = letters.find(tail.substr(0, colon + 1));
        ASSERT_NE(found, letters.end()) << "unknown separator: " << entry;
        ++uses[found->second];
        ASSERT_GT(tail.size(), colon + 1) << entry;
        EXPECT_EQ(std::string_view(" \t").find(tail[colon + 1]), std::string_view::npos) << entry;
    }
    EXPECT_EQ(undescribed, 192);
    EXPECT_EQ(uses, (std::map<char, int>{
                        {'A', 91}, {'B', 22}, {'C', 3}, {'D', 3}, {'E', 1}, {'F', 1}, {'G', 1}}));
}

TEST(CatalogueExpandedSet, Placeholders)
{
    std::map<std::size_t, int> runs; // digits in the run -> entries
    std::vector<std::string_view> percentOne;
    for (const auto entry : expandedSetCatalogue()) {
        const auto command = commandOf(entry);
        const auto tail = tailOf(entry);
        const bool digitsOnly = tail.ends_with(":% = 0-9");
        if (command.find('%') == std::string_view::npos) {
            EXPECT_FALSE(digitsOnly) << entry;
        } else {
            // One run of digits, after a blank or a fixed zero.
            const auto first = command.find('%');
            const auto run = command.find_last_of('%') + 1 - first;
            EXPECT_EQ(std::ranges::count(command, '%'), static_cast<std::ptrdiff_t>(run)) << entry;
            ++runs[run];
            EXPECT_TRUE(command[first - 1] == ' ' || command[first - 1] == '0') << entry;
        }
        if (tail.find("%1") != std::string_view::npos)
            percentOne.push_back(command);
    }
    // 13 two-digit ("0%%", "00%%", "%%"), 5 three-digit, 12 four-digit: 30 in all.
    EXPECT_EQ(runs, (std::map<std::size_t, int>{{2, 13}, {3, 5}, {4, 12}}));
    EXPECT_EQ(percentOne, (std::vector<std::string_view>{"CF INPUT1 ANALOG", "CF INPUT2 ANALOG",
                                                         "CF INPUT3 VIDEO"}));
}

TEST(CatalogueExpandedRead, SeparatorFollowsCommandLength)
{
    const auto read = expandedReadCatalogue();
    for (std::size_t i = 0; i < 88; ++i) {
        const auto command = commandOf(read[i]);
        EXPECT_TRUE(command.starts_with("CR ")) << read[i];
        const std::string separator = command.size() >= 11 ? " :" : " \t:";
        EXPECT_TRUE(tailOf(read[i]).starts_with(separator)) << i << ": " << read[i];
        const auto description = tailOf(read[i]).substr(separator.size());
        EXPECT_TRUE(description.starts_with("Get ") || description.starts_with("GET ")) << read[i];
    }
}

// Three descriptions end in a blank that belongs to the text; no other entry
// does apart from "CF MIC OFF" and the single-blank placeholder.
TEST(CatalogueEntries, TrailingBlanks)
{
    std::vector<std::string> endsInBlank;
    for (const auto list : {basicCatalogue(), expandedSetCatalogue(), expandedReadCatalogue()})
        for (const auto entry : list)
            if (entry.ends_with(' ') && entry != " " && entry != "CF MIC OFF[CR] ")
                endsInBlank.emplace_back(entry.substr(entry.rfind(':') + 1));
    EXPECT_EQ(endsInBlank,
              (std::vector<std::string>{
                  "Set the value to Factory Default ", "Get setting status of MIC ",
                  "Get temperature when sensors approach abnomal temperature "}));
}

} // namespace
} // namespace orva
