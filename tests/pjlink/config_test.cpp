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
        // Addresses the system's parser refuses never fall back to 0.0.0.0.
        {"[a]\ntarget=/dev/x\nlisten=[:::::]:4352\n", "p.conf:3: [a] listen:"},
        {"[a]\ntarget=/dev/x\nlisten=[1::2::3]:4352\n", "p.conf:3: [a] listen:"},
        {"[a]\ntarget=/dev/x\nlisten=[::1.2.3.4.5]:4352\n", "p.conf:3: [a] listen:"},
        // Clashes are found on the address, however it is spelt.
        {"[a]\ntarget=/dev/x\nlisten=127.0.0.1:4352\n[b]\ntarget=/dev/y\nlisten=127.000.000.001:4352\n",
         "p.conf:4: [b] listen: 127.0.0.1:4352 is taken by [a]"},
        {"[a]\ntarget=/dev/x\nlisten=[::1]:4352\n[b]\ntarget=/dev/y\nlisten=[0::0:1]:4352\n",
         "p.conf:4: [b] listen: [::1]:4352 is taken by [a]"},
        {"[a]\ntarget=/dev/x\nlisten=[::]:4352\n[b]\ntarget=/dev/y\nlisten=127.0.0.1:4352\n",
         "p.conf:4: [b] listen:"},
        // A line without "=" may be a password written alone: its text is never shown.
        {"[a]\ntarget=/dev/x\nhunter2;x\n", "p.conf:3: [a] a line without \"=\" (not shown"},
        {"[metrics]\nhunter2\n", "p.conf:2: [metrics] a line without \"=\""},
    };
    for (const auto& [text, message] : cases) {
        const auto result = read(text);
        ASSERT_TRUE(std::holds_alternative<std::string>(result)) << text;
        EXPECT_EQ(std::get<std::string>(result).rfind(message, 0), 0u) << std::get<std::string>(result);
        EXPECT_EQ(std::get<std::string>(result).find("hunter2"), std::string::npos);
    }
}

TEST(PjlinkConfig, AValueCutAtASemicolonIsWarnedAboutNeverShown)
{
    const ScannedIni ini = scanIni("[a]\ntarget=/dev/x ; the line\npassword=hunter2;x\nname=\"A;B\" ; quoted\n"
                                   "model=;\n");
    EXPECT_EQ(ini.entries[1].value, "hunter2");
    EXPECT_EQ(configWarnings("p.conf", ini),
              (std::vector<std::string>{
                  "p.conf:3: [a] password: the value ends at a \";\", which starts a comment; to keep a \";\" in "
                  "it, write the value in double quotes (password=\"...\")",
                  "p.conf:5: [a] model: the value ends at a \";\", which starts a comment; to keep a \";\" in it, "
                  "write the value in double quotes (model=\"...\")"}));
    EXPECT_TRUE(passwordFileWarning("p.conf", true, false).empty());
    EXPECT_TRUE(passwordFileWarning("p.conf", false, true).empty());
    EXPECT_NE(passwordFileWarning("p.conf", true, true).find("every user of this machine can read it"),
              std::string::npos);
}

} // namespace
} // namespace orva::pjlink
