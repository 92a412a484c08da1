#include "link/render.h"

#include <gtest/gtest.h>

#include <string>

namespace orva {
namespace {

TEST(MonitorRendering, WorkedExamples)
{
    EXPECT_EQ(renderMonitorLine("CR0\r").line, " C R 0  [CR] ");
    EXPECT_EQ(renderMonitorLine("00\r").line, " 0 0  [CR] ");
    EXPECT_EQ(renderMonitorLine("\x06\r").line, "  [ACK]  [CR] ");
    EXPECT_EQ(renderMonitorLine("CR LAMPSTS\r").line, " C R _ L A M P S T S  [CR] ");
    EXPECT_EQ(renderMonitorLine("").line, " ");
    EXPECT_EQ(renderMonitorLine("\n").line, "  [LF]  ");
}

TEST(MonitorRendering, EveryByteValueGetsItsToken)
{
    for (int c = 0; c < 256; ++c) {
        const std::string text(1, static_cast<char>(c));
        const RenderedLine r = renderMonitorLine(text);
        std::string expected;
        if (c == 0x06)
            expected = "  [ACK] ";
        else if (c == 0x0D)
            expected = "  [CR] ";
        else if (c == 0x0A)
            expected = "  [LF]  ";
        else if (c == 0x20)
            expected = " _ ";
        else if (c >= 0x21 && c <= 0x7A)
            expected = std::string(" ") + static_cast<char>(c) + " ";
        else
            expected = " ? ";
        EXPECT_EQ(r.line, expected) << "byte " << c;
        EXPECT_EQ(r.usedCr, c == 0x0D) << "byte " << c;
        EXPECT_EQ(r.usedSpace, c == 0x20) << "byte " << c;
    }
}

TEST(MonitorRendering, BoundariesOfThePrintableRange)
{
    EXPECT_EQ(renderMonitorLine("z{|}~\x7f\x80\t").line, " z ? ? ? ? ? ? ? ");
    EXPECT_EQ(renderMonitorLine("!").line, " ! ");
    // An underscore looks like a space but does not show the space legend.
    const RenderedLine underscore = renderMonitorLine("_");
    EXPECT_EQ(underscore.line, " _ ");
    EXPECT_FALSE(underscore.usedSpace);
}

TEST(MonitorRendering, PieceByPieceEqualsAllAtOnce)
{
    const std::string reply = "000 1I\r\n\x06 abc\xff";
    for (std::size_t cut = 0; cut <= reply.size(); ++cut) {
        RenderedLine grown = renderMonitorLine(reply.substr(0, cut));
        appendMonitorTokens(grown, reply.substr(cut));
        const RenderedLine whole = renderMonitorLine(reply);
        EXPECT_EQ(grown.line, whole.line) << "cut at " << cut;
        EXPECT_EQ(grown.usedCr, whole.usedCr);
        EXPECT_EQ(grown.usedSpace, whole.usedSpace);
    }
}

} // namespace
} // namespace orva
