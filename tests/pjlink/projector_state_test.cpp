// Reading the projector's replies the metrics rest on.
#include "pjlink/projector_state.h"

#include <gtest/gtest.h>

namespace orva::pjlink {
namespace {

TEST(ProjectorState, TemperaturesFromTheThreeFieldsOfCR6)
{
    const auto read = [](std::string text, LineReply::Outcome outcome = LineReply::Outcome::Reply) {
        return temperatures(LineReply{outcome, std::move(text), {}});
    };
    EXPECT_EQ(read("+25.5 +31.0 +40.2\r"), (Temperatures{25.5, 31.0, 40.2}));
    EXPECT_EQ(read("-05.0 +00.0 +99.9\r"), (Temperatures{-5.0, 0.0, 99.9}));
    EXPECT_EQ(read("+25.5 ----- +4x.2\r"), (Temperatures{25.5, std::nullopt, std::nullopt}));
    for (const char* bad : {"+25.5 +31.0\r", "+25.5 +31.0 +40.2 +1.0\r", "?\r", ""})
        EXPECT_FALSE(read(bad)) << bad;
    EXPECT_FALSE(read("+25.5 +31.0 +40.2\r", LineReply::Outcome::Timeout));
}

} // namespace
} // namespace orva::pjlink
