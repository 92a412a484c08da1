// The simulator's command line and the shape of its replies on the way out.
#include "projector_sim/options.h"
#include "projector_sim/outbox.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orva::sim {
namespace {

ParsedOptions parse(std::vector<const char*> args)
{
    args.insert(args.begin(), "orva-projector-sim");
    return parseOptions(static_cast<int>(args.size()), args.data());
}

std::string errorOf(const ParsedOptions& parsed)
{
    const auto* e = std::get_if<UsageError>(&parsed);
    return e ? e->message : "<no error>";
}

TEST(SimOptions, ValuesInlineOrAsTheNextArgument)
{
    const auto parsed = parse({"--link", "/tmp/p", "--log=/tmp/l", "--quiet", "--count-down", "300",
                               "--split=2", "--gap", "50", "--seed", "4294967295", "--no-reply"});
    ASSERT_TRUE(std::holds_alternative<Options>(parsed)) << errorOf(parsed);
    const Options& o = std::get<Options>(parsed);
    EXPECT_EQ(o.link, "/tmp/p");
    EXPECT_EQ(o.log, "/tmp/l");
    EXPECT_TRUE(o.quiet);
    EXPECT_TRUE(o.noReply);
    EXPECT_EQ(o.model.countDownMs, 300);
    EXPECT_EQ(o.model.coolDownMs, 3000);
    EXPECT_EQ(o.split, 2u);
    EXPECT_EQ(o.gapMs, 50);
    EXPECT_EQ(o.seed, 4294967295u);
    EXPECT_TRUE(std::holds_alternative<HelpWanted>(parse({"--quiet", "--help"})));

    const auto faulty = parse({"--fault=temperature", "--lamp-off", "--sensors-unreadable", "--state-file", "/tmp/s"});
    ASSERT_TRUE(std::holds_alternative<Options>(faulty)) << errorOf(faulty);
    const Condition wanted{Fault::Temperature, true, true};
    EXPECT_EQ(std::get<Options>(faulty).model.condition, wanted);
    EXPECT_EQ(std::get<Options>(faulty).stateFile, "/tmp/s");
}

TEST(SimOptions, AStateFileReadsLikeTheOptions)
{
    const Condition lamp{Fault::Lamp, true, false};
    EXPECT_EQ(parseCondition("# failed\n\n  fault=lamp \r\nlamp-off\n"), lamp);
    EXPECT_EQ(parseCondition(""), Condition{});
    EXPECT_EQ(parseCondition("sensors-unreadable"), (Condition{Fault::None, false, true}));
    EXPECT_FALSE(parseCondition("fault=fire\n"));
    EXPECT_FALSE(parseCondition("lamp-off=yes\n"));
}

TEST(SimOptions, WhatCannotBeFollowedIsSaid)
{
    EXPECT_EQ(errorOf(parse({"--bogus"})), "unknown option \"--bogus\"");
    EXPECT_EQ(errorOf(parse({"--delay"})), "--delay wants a value");
    EXPECT_EQ(errorOf(parse({"--quiet=yes"})), "--quiet takes no value");
    EXPECT_EQ(errorOf(parse({"--split", "0"})), "--split wants a number from 1 to 1000000, not \"0\"");
    EXPECT_EQ(errorOf(parse({"--delay", "5ms"})), "--delay wants a number from 0 to 86400000, not \"5ms\"");
    EXPECT_EQ(errorOf(parse({"--lamp-hours="})), "--lamp-hours wants a number from 0 to 99999, not \"\"");
    EXPECT_EQ(errorOf(parse({"--gap", "5"})), "--gap goes with --split");
    EXPECT_EQ(errorOf(parse({"--fault", "fire"})), "--fault wants lamp, temperature, power or none, not \"fire\"");
}

TEST(SimOutbox, RepliesGoOutDelayedInPiecesOneAfterTheOther)
{
    Options o;
    o.delayMs = 10;
    o.lateMs = 5;
    o.split = 2;
    o.gapMs = 1;
    Outbox box(o);
    EXPECT_EQ(box.schedule("80\r", 0), "80\r");
    box.schedule("1\r", 500); // due (15.5 ms) before the first has gone: waits behind it
    EXPECT_EQ(box.nextDueUs(), 15'000);
    EXPECT_EQ(box.due(14'999), nullptr);

    std::vector<std::pair<std::int64_t, std::string>> out;
    for (std::int64_t t = 15'000; t <= 20'000; t += 500) {
        while (Outbox::Piece* p = box.due(t)) {
            out.emplace_back(p->dueUs, p->bytes);
            box.sent(p->bytes.size());
        }
    }
    const std::vector<std::pair<std::int64_t, std::string>> expected{
        {15'000, "80"}, {16'000, "\r"}, {16'000, "1\r"}};
    EXPECT_EQ(out, expected);
    EXPECT_TRUE(box.empty());
}

TEST(SimOutbox, APartWriteLeavesTheRestFirst)
{
    Outbox box(Options{});
    box.schedule("000 NORMAL\r", 0);
    box.sent(4);
    ASSERT_NE(box.due(0), nullptr);
    EXPECT_EQ(box.due(0)->bytes, "NORMAL\r");
}

TEST(SimOutbox, GarbageIsUnprintableAndTheSameForTheSameSeed)
{
    Options o;
    o.garbage = 64;
    o.seed = 7;
    Outbox a(o);
    Outbox b(o);
    const std::string bytes = a.schedule("00\r", 0);
    EXPECT_EQ(bytes, b.schedule("00\r", 0));
    ASSERT_EQ(bytes.size(), 67u);
    for (std::size_t i = 0; i < 64; ++i) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        EXPECT_TRUE((c < 0x20 && c != 0x06 && c != 0x0A && c != 0x0D) || c >= 0x7F) << i;
    }
}

TEST(SimStream, OwesBytesAtItsRateAndForgetsWhatTheLineRefused)
{
    Stream s(1000);
    s.restart(1'000'000);
    EXPECT_EQ(s.owed(1'500'000), 500);
    EXPECT_EQ(s.next(12), "ORVA STREAM ");
    s.sent(5);
    EXPECT_EQ(s.next(3), "STR");
    EXPECT_EQ(s.owed(1'500'000), 495);
    s.forgo(495);
    EXPECT_EQ(s.owed(1'500'000), 0);
    s.restart(2'000'000); // the next client
    EXPECT_EQ(s.owed(2'010'000), 10);
}

} // namespace
} // namespace orva::sim
