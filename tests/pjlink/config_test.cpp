// The configuration file: what it serves, and each thing refused with its line.
#include "pjlink/config.h"

#include <gtest/gtest.h>

#include <variant>

namespace orva::pjlink {
namespace {

std::variant<std::vector<ProjectorConfig>, std::string> read(const std::string& text)
{
    return readConfig("p.conf", scanIni(text));
}

TEST(PjlinkConfig, ProjectorsWithTheirDefaultsAndTheMetricsSectionLeftAlone)
{
    const auto result = read("; comment\n[hall-a]\ntarget=rfc2217://192.0.2.10:2217 ; the line\nbaud=9600\n"
                             "listen=[::1]:4353\npassword=secret\nname=Hall A\nmodel=QLN50\n\n"
                             "[metrics]\nlisten=127.0.0.1:9100\npoll=10\n[b]\ntarget=/dev/ttyUSB0\n");
    ASSERT_TRUE(std::holds_alternative<std::vector<ProjectorConfig>>(result)) << std::get<std::string>(result);
    const auto& p = std::get<std::vector<ProjectorConfig>>(result);
    ASSERT_EQ(p.size(), 2u);
    EXPECT_EQ(p[0].target.text(), "rfc2217://192.0.2.10:2217");
    EXPECT_EQ(p[0].baud, 9600);
    EXPECT_EQ(p[0].listenText(), "[::1]:4353");
    EXPECT_EQ(p[0].password, "secret");
    EXPECT_EQ(p[0].name, "Hall A");
    EXPECT_EQ(p[1].name, "b");
    EXPECT_EQ(p[1].baud, 19200);
    EXPECT_EQ(p[1].listenText(), "0.0.0.0:4352");
    EXPECT_TRUE(p[1].password.empty());
    EXPECT_TRUE(std::get<std::vector<ProjectorConfig>>(read("; nothing yet\n")).empty());
}

TEST(PjlinkConfig, RefusedWithFileLineAndReason)
{
    const std::pair<std::string, std::string> cases[] = {
        {"[a]\ntarget=/dev/x\nbaud=4800\n", "p.conf:3: [a] baud: \"4800\" is not 9600 or 19200"},
        {"[a]\ntarget=ftp://x:1\n", "p.conf:2: [a] target: \"ftp://x:1\" is not"},
        {"[a]\nlisten=127.0.0.1:1\n", "p.conf:1: [a] target: missing"},
        {"[a]\ntarget=/dev/x\nlisten=localhost:4352\n", "p.conf:3: [a] listen:"},
        {"[a]\ntarget=/dev/x\nlisten=1.2.3.4:0\n", "p.conf:3: [a] listen:"},
        {"[a]\ntarget=/dev/x\ncolour=red\n", "p.conf:3: [a] colour: not a key"},
        {"target=/dev/x\n", "p.conf:1: target: a key outside"},
        {"[a]\ntarget=/dev/x\npassword=" + std::string(33, 'p') + "\n", "p.conf:3: [a] password:"},
        {"[a]\ntarget=/dev/x\n[b]\ntarget=/dev/y\n", "p.conf:3: [b] listen: 0.0.0.0:4352 is taken by [a]"},
        {"[a]\ntarget=/dev/x\nlisten=127.0.0.1:4352\n[b]\ntarget=/dev/y\nlisten=0.0.0.0:4352\n",
         "p.conf:4: [b] listen:"},
        {"[a]\ntarget=/dev/x\nlisten=127.0.0.1:1\n[b]\ntarget=/dev/x\nlisten=127.0.0.1:2\n",
         "p.conf:4: [b] target: /dev/x is already the line of [a]"},
        {"[a]\ntarget=/dev/x\n[a]\n", "p.conf:3: [a] the section appears twice"},
    };
    for (const auto& [text, message] : cases) {
        const auto result = read(text);
        ASSERT_TRUE(std::holds_alternative<std::string>(result)) << text;
        EXPECT_EQ(std::get<std::string>(result).rfind(message, 0), 0u) << std::get<std::string>(result);
    }
}

} // namespace
} // namespace orva::pjlink
