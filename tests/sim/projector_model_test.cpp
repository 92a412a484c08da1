// The simulator's projector model: reply bytes, power transitions on model
// time, and what it refuses.
#include "projector_sim/projector_model.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>

namespace orva::sim {
namespace {

const std::string kAck = "\x06\r";
const std::string kRefused = "?\r";

std::string reply(ProjectorModel& model, std::string_view command)
{
    auto r = model.answer(command);
    return r ? *r : std::string("<none>");
}

ModelSettings quick()
{
    ModelSettings s;
    s.countDownMs = 1000;
    s.coolDownMs = 2000;
    s.lampHours = 123;
    return s;
}

// ---- reply bytes ---------------------------------------------------------

TEST(ProjectorModelReplies, EveryReadIsByteExactAtStart)
{
    ProjectorModel model(quick());
    EXPECT_EQ(reply(model, "CR0"), "80\r");
    EXPECT_EQ(reply(model, "CR1"), "1\r");
    EXPECT_EQ(reply(model, "CR3"), "00123\r");
    EXPECT_EQ(reply(model, "CR4"), "11\r");
    EXPECT_EQ(reply(model, "CR LAMPSTS"), "000 1O\r");
    EXPECT_EQ(reply(model, "CR7"), "000 NORMAL\r");
    EXPECT_EQ(reply(model, "CR LAMPMODE"), "000 NORMAL\r");
    EXPECT_EQ(reply(model, "CR6").size(), 18u);
}

// The temperature reply is three five-character fields one blank apart and a
// CR: the fields sit at 0-4, 6-10 and 12-16 in every power state.
TEST(ProjectorModelReplies, TemperaturesKeepTheirLayoutInEveryState)
{
    ProjectorModel model(quick());
    auto checkLayout = [&](const char* state) -> std::string {
        const std::string r = reply(model, "CR6");
        EXPECT_EQ(r.size(), 18u) << state << ": " << r;
        if (r.size() != 18)
            return r;
        EXPECT_EQ(r[5], ' ') << state;
        EXPECT_EQ(r[11], ' ') << state;
        EXPECT_EQ(r[17], '\r') << state;
        for (std::size_t field : {0u, 6u, 12u}) {
            const std::string f = r.substr(field, 5);
            EXPECT_TRUE(f[0] == '+' || f[0] == '-') << state << ": " << f;
            EXPECT_TRUE(std::isdigit(static_cast<unsigned char>(f[1])) &&
                        std::isdigit(static_cast<unsigned char>(f[2])) && f[3] == '.' &&
                        std::isdigit(static_cast<unsigned char>(f[4])))
                << state << ": " << f;
        }
        return r;
    };
    const std::string standby = checkLayout("stand-by");
    model.answer("C00");
    checkLayout("count down");
    model.advance(1000);
    const std::string on = checkLayout("on");
    model.answer("C02");
    checkLayout("cooling down");
    EXPECT_NE(standby, on) << "a lit lamp warms the projector";
}

TEST(ProjectorModelReplies, TemperatureFieldIsFiveCharactersOverItsWholeRange)
{
    EXPECT_EQ(temperatureField(255), "+25.5");
    EXPECT_EQ(temperatureField(402), "+40.2");
    EXPECT_EQ(temperatureField(0), "+00.0");
    EXPECT_EQ(temperatureField(-50), "-05.0");
    EXPECT_EQ(temperatureField(999), "+99.9");
    EXPECT_EQ(temperatureField(12345), "+99.9");
    EXPECT_EQ(temperatureField(-12345), "-99.9");
}

TEST(ProjectorModelReplies, EveryCodedSetCommandIsAcknowledged)
{
    const char* codes[] = {
        "00", "01", "02", "05", "06", "07", "09", "0A", "0B", "0C", "0D", "0E", "0F", "10",
        "11", "12", "13", "14", "15", "16", "17", "18", "19", "1C", "1D", "1E", "20", "21",
        "27", "28", "29", "2A", "2B", "2E", "30", "31", "34", "39", "3A", "3B", "3C", "3D",
        "3F", "43", "44", "50", "51", "54", "89", "8A", "8B", "8E", "8F",
    };
    ProjectorModel model(quick());
    for (const char* code : codes)
        EXPECT_EQ(reply(model, std::string("C") + code), kAck) << code;
}

TEST(ProjectorModelReplies, WordSetCommandsAreAcknowledged)
{
    ProjectorModel model(quick());
    for (const char* command : {"CF BRIGHT UP", "CF BRIGHT 050", "CF WBAL-R DN", "CF LOGO 1234 OFF",
                                "CF INPUT COMPUTER1 S-VIDEO", "CF P-MANETIME 15", "CF LANG ENG",
                                "CF FDEFAULT RST", "CF LAMPMODE ECO", "CF MIC OFF"})
        EXPECT_EQ(reply(model, command), kAck) << command;
}

TEST(ProjectorModelReplies, WhatIsNotACommandIsRefused)
{
    ProjectorModel model(quick());
    for (const char* command : {
             // codes outside the list, lower-case hex
             "C03", "C1A", "C0a", "C8f", "C", "C0", "C000",
             // reads that do not exist, in the wrong case, with stray blanks
             "CR2", "CR5", "CR8", "cr0", "Cr0", "cR0", "CR0 ", " CR0", "CR 0", "CR",
             "CR lampsts", "CR LAMPSTS ", "CR  LAMPSTS", "CRLAMPSTS",
             // word commands: no argument, unknown keyword, lower case, blanks,
             // a placeholder left in
             "CF", "CF ", "CF POWER", "CF POWER ", "CF NOSUCH ON", "CF power on",
             "CF POWER on", "CF POWER  ON", "CF  POWER ON", "CF BRIGHT 0%%",
             // word commands whose argument must be one of a few
             "CF POWER STANDBY", "CF LAMPMODE BRIGHT", "CF LAMPH 0", "CF CEIL YES",
             "CF INPUT COMPUTER3",
             // anything else
             "HELLO", "?", "\x06", "C00\x06"})
        EXPECT_EQ(reply(model, command), kRefused) << '"' << command << '"';
}

TEST(ProjectorModelReplies, EmptyLineGetsNoReply)
{
    ProjectorModel model(quick());
    EXPECT_FALSE(model.answer("").has_value());
}

// ---- power ---------------------------------------------------------------

TEST(ProjectorModelPower, PowerOnCountsDownThenIsOn)
{
    ProjectorModel model(quick());
    EXPECT_EQ(reply(model, "C00"), kAck);
    EXPECT_EQ(reply(model, "CR0"), "40\r");
    EXPECT_EQ(reply(model, "CR LAMPSTS"), "000 1I\r") << "the lamp strikes at once";
    model.advance(999);
    EXPECT_EQ(reply(model, "CR0"), "40\r");
    model.advance(1);
    EXPECT_EQ(reply(model, "CR0"), "00\r");
    EXPECT_EQ(reply(model, "CR LAMPSTS"), "000 1I\r");
}

TEST(ProjectorModelPower, BothPowerOffsCoolDownThenStandBy)
{
    for (const char* off : {"C01", "C02", "CF POWER OFF"}) {
        ProjectorModel model(quick());
        model.answer("C00");
        model.advance(1000);
        EXPECT_EQ(reply(model, off), kAck) << off;
        EXPECT_EQ(reply(model, "CR0"), "20\r") << off;
        EXPECT_EQ(reply(model, "CR LAMPSTS"), "000 1O\r") << off;
        model.advance(1999);
        EXPECT_EQ(reply(model, "CR0"), "20\r") << off;
        model.advance(1);
        EXPECT_EQ(reply(model, "CR0"), "80\r") << off;
    }
}

TEST(ProjectorModelPower, CommandsThatDoNotFitTheStateChangeNothing)
{
    ProjectorModel model(quick());
    EXPECT_EQ(reply(model, "C02"), kAck);
    EXPECT_EQ(reply(model, "CR0"), "80\r") << "off in stand-by";

    model.answer("CF POWER ON");
    model.advance(500);
    EXPECT_EQ(reply(model, "C00"), kAck);
    model.advance(500);
    EXPECT_EQ(reply(model, "CR0"), "00\r") << "a second on does not restart the count down";

    model.answer("C02");
    model.advance(1000);
    EXPECT_EQ(reply(model, "C00"), kAck);
    EXPECT_EQ(reply(model, "CR0"), "20\r") << "cooling down finishes first";
    model.advance(1000);
    EXPECT_EQ(reply(model, "CR0"), "80\r");
}

TEST(ProjectorModelPower, OffDuringCountDownCoolsDown)
{
    ProjectorModel model(quick());
    model.answer("C00");
    model.advance(300);
    model.answer("C02");
    EXPECT_EQ(reply(model, "CR0"), "20\r");
    model.advance(1000);
    EXPECT_EQ(reply(model, "CR0"), "20\r") << "the count down's end does not switch it on";
    model.advance(1000);
    EXPECT_EQ(reply(model, "CR0"), "80\r");
}

TEST(ProjectorModelPower, OneLongTickRunsTheWholeTransitionAndTimeNeverGoesBack)
{
    ProjectorModel model(quick());
    model.tick(10'000);
    model.answer("C00");
    model.tick(500'000);
    EXPECT_EQ(reply(model, "CR0"), "00\r");
    model.tick(1'000);
    EXPECT_EQ(model.now(), 500'000);
    model.answer("C01");
    model.tick(501'999);
    EXPECT_EQ(reply(model, "CR0"), "20\r");
    model.tick(502'000);
    EXPECT_EQ(reply(model, "CR0"), "80\r");
}

TEST(ProjectorModelPower, ZeroDurationsSwitchAtOnce)
{
    ModelSettings s;
    s.countDownMs = 0;
    s.coolDownMs = 0;
    ProjectorModel model(s);
    model.answer("C00");
    EXPECT_EQ(reply(model, "CR0"), "00\r");
    model.answer("C02");
    EXPECT_EQ(reply(model, "CR0"), "80\r");
}

// ---- conditions ----------------------------------------------------------

// What each condition makes the reads say, in stand-by, while on and while
// cooling down (power on or off is asked for where the row says so).
TEST(ProjectorModelConditions, EachConditionChangesOnlyItsReads)
{
    struct Row {
        const char* what;
        Condition condition;
        const char* power; // "C00", "C02" after being on, or "" for stand-by
        const char* cr0;
        const char* lampsts;
        const char* cr6; // "" when the ordinary temperatures
    };
    const Row rows[] = {
        {"none, on", {}, "C00", "00\r", "000 1I\r", ""},
        {"temperature, stand-by", {Fault::Temperature}, "", "88\r", "000 1O\r", ""},
        {"temperature, on", {Fault::Temperature}, "C00", "08\r", "000 1I\r", ""},
        {"temperature, cooling", {Fault::Temperature}, "C02", "28\r", "000 1O\r", ""},
        {"power", {Fault::Power}, "C00", "10\r", "000 1I\r", ""},
        {"lamp, stand-by: will not strike", {Fault::Lamp}, "C00", "81\r", "000 1X\r", ""},
        {"lamp off while on", {Fault::None, true}, "C00", "00\r", "000 1O\r", ""},
        {"sensors", {Fault::None, false, true}, "C00", "00\r", "000 1I\r", "----- ----- -----\r"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        ModelSettings s = quick();
        s.condition = row.condition;
        ProjectorModel model(s);
        if (std::string_view(row.power) == "C02") {
            model.answer("C00");
            model.advance(5000);
        }
        if (*row.power)
            model.answer(row.power);
        model.advance(500);
        if (std::string_view(row.power) == "C00")
            model.advance(1000);
        EXPECT_EQ(reply(model, "CR0"), row.cr0);
        EXPECT_EQ(reply(model, "CR LAMPSTS"), row.lampsts);
        if (*row.cr6)
            EXPECT_EQ(reply(model, "CR6"), row.cr6);
        else
            EXPECT_NE(reply(model, "CR6").find('.'), std::string::npos);
    }
}

// A lamp that fails while it burns cools the projector down; one that is off
// adds no lamp time; clearing the fault lets it power on again.
TEST(ProjectorModelConditions, ALampFailureWhileOnCoolsDown)
{
    ModelSettings s = quick();
    s.lampHours = 0;
    ProjectorModel model(s);
    model.answer("C00");
    model.advance(1000);
    model.setCondition({Fault::Lamp});
    EXPECT_EQ(reply(model, "CR0"), "21\r");
    model.advance(2000);
    EXPECT_EQ(reply(model, "CR0"), "81\r");
    model.setCondition({Fault::None, true});
    model.answer("C00");
    model.advance(3 * 3'600'000LL);
    EXPECT_EQ(reply(model, "CR0"), "00\r");
    EXPECT_EQ(reply(model, "CR3"), "00000\r");
}

// ---- lamp ----------------------------------------------------------------

TEST(ProjectorModelLamp, LampTimeRunsOnlyWhileTheLampIsLit)
{
    ModelSettings s = quick();
    s.lampHours = 0;
    ProjectorModel model(s);
    model.advance(10 * 3'600'000LL);
    EXPECT_EQ(reply(model, "CR3"), "00000\r") << "stand-by";
    model.answer("C00");
    model.advance(3'600'000LL - 1);
    EXPECT_EQ(reply(model, "CR3"), "00000\r");
    model.advance(1);
    EXPECT_EQ(reply(model, "CR3"), "00001\r") << "count down counts too";
    model.advance(3'600'000LL - 1000);
    EXPECT_EQ(reply(model, "CR3"), "00001\r") << "a second short of two hours";
    model.answer("C02");
    model.advance(5 * 3'600'000LL);
    EXPECT_EQ(reply(model, "CR3"), "00001\r") << "not while cooling down";
}

TEST(ProjectorModelLamp, LampTimeStaysFiveDigitsAndResets)
{
    ModelSettings s = quick();
    s.lampHours = 99'999;
    ProjectorModel model(s);
    model.answer("C00");
    model.advance(10 * 3'600'000LL);
    EXPECT_EQ(reply(model, "CR3"), "99999\r");
    EXPECT_EQ(reply(model, "CF LAMPH RST"), kAck);
    EXPECT_EQ(reply(model, "CR3"), "00000\r");
}

TEST(ProjectorModelLamp, LampModeIsReadTheSameByBothReads)
{
    ProjectorModel model(quick());
    struct Step {
        const char* command;
        const char* mode;
    };
    for (const Step& step : {Step{"CF LAMPMODE ECO", "000 ECO\r"},
                             Step{"CF LAMPMODE DN", "000 ECO\r"},
                             Step{"CF LAMPMODE UP", "000 NORMAL\r"},
                             Step{"CF LAMPMODE UP", "000 HIGH\r"},
                             Step{"CF LAMPMODE UP", "000 HIGH\r"},
                             Step{"CF LAMPMODE NORMAL", "000 NORMAL\r"},
                             Step{"CF LAMPMODE HIGH", "000 HIGH\r"},
                             Step{"CF LAMPMODE DN", "000 NORMAL\r"}}) {
        EXPECT_EQ(reply(model, step.command), kAck) << step.command;
        EXPECT_EQ(reply(model, "CR7"), step.mode) << step.command;
        EXPECT_EQ(reply(model, "CR LAMPMODE"), step.mode) << step.command;
    }
}

// ---- input and mirroring -------------------------------------------------

TEST(ProjectorModelSettings, InputFollowsCodedAndWordCommands)
{
    ProjectorModel model(quick());
    struct Step {
        const char* command;
        const char* input;
    };
    for (const Step& step : {Step{"C06", "2\r"}, Step{"C07", "3\r"}, Step{"C05", "1\r"},
                             Step{"CF INPUT VIDEO", "3\r"}, Step{"CF INPUT UP", "1\r"},
                             Step{"CF INPUT DN", "3\r"}, Step{"CF INPUT DN", "2\r"},
                             Step{"CF INPUT COMPUTER1 YPBPR", "1\r"},
                             Step{"CF INPUT2 ANALOG", "2\r"}, Step{"C54", "1\r"},
                             Step{"CF INPUT3 VIDEO", "3\r"}, Step{"C0B", "3\r"}}) {
        EXPECT_EQ(reply(model, step.command), kAck) << step.command;
        EXPECT_EQ(reply(model, "CR1"), step.input) << step.command;
    }
}

TEST(ProjectorModelSettings, MirroringFollowsCeilingAndRear)
{
    ProjectorModel model(quick());
    model.answer("CF REAR ON");
    EXPECT_EQ(reply(model, "CR4"), "01\r") << "left/right";
    model.answer("CF CEIL ON");
    EXPECT_EQ(reply(model, "CR4"), "10\r") << "top/bottom";
    model.answer("CF REAR OFF");
    EXPECT_EQ(reply(model, "CR4"), "00\r") << "both";
    model.answer("CF CEIL OFF");
    EXPECT_EQ(reply(model, "CR4"), "11\r");
}

TEST(ProjectorModelSettings, RefusedCommandsChangeNothing)
{
    ProjectorModel model(quick());
    model.answer("CF POWER STANDBY");
    model.answer("c00");
    model.answer("CF LAMPMODE eco");
    model.answer("CF INPUT COMPUTER3");
    model.answer("CF LAMPH 0");
    EXPECT_EQ(reply(model, "CR0"), "80\r");
    EXPECT_EQ(reply(model, "CR7"), "000 NORMAL\r");
    EXPECT_EQ(reply(model, "CR1"), "1\r");
    EXPECT_EQ(reply(model, "CR3"), "00123\r");
}

} // namespace
} // namespace orva::sim
