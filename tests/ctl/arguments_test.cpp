// What orva-ctl's command line means, and what it refuses.
#include "ctl/ctl_arguments.h"

#include <gtest/gtest.h>

namespace orva::test {
namespace {

CommandLineWords words(std::vector<std::string> arguments, std::map<std::string, std::string> options = {})
{
    return CommandLineWords{std::move(arguments), std::move(options)};
}

Request accepted(const CommandLineWords& w)
{
    auto r = interpretCommandLine(w);
    if (const auto* e = std::get_if<UsageError>(&r)) {
        ADD_FAILURE() << "refused: " << e->message;
        return {};
    }
    return std::get<Request>(r);
}

std::string refused(const CommandLineWords& w)
{
    auto r = interpretCommandLine(w);
    if (const auto* e = std::get_if<UsageError>(&r))
        return e->message;
    ADD_FAILURE() << "accepted";
    return {};
}

TEST(CtlArguments, EveryCommandIsKnownAndTheReadsSendThePanelsFrames)
{
    for (const char* name : {"ports", "send", "status", "input", "setting", "lamp-time", "temp", "lamp-status",
                             "lamp-mode", "commands", "help", "map"})
        ASSERT_NE(findCommand(name), nullptr) << name;
    const std::map<std::string, std::string> frames{
        {"status", "CR0\r"},     {"input", "CR1\r"},   {"setting", "CR4\r"},
        {"lamp-time", "CR3\r"},  {"temp", "CR6\r"},    {"lamp-status", "CR LAMPSTS\r"},
        {"lamp-mode", "CR7\r"},
    };
    for (const auto& [name, frame] : frames) {
        const Request r = accepted(words({name}));
        ASSERT_NE(r.command->read, nullptr) << name;
        EXPECT_EQ(readFrame(*r.command->read), frame);
        EXPECT_EQ(r.timeoutMs, 1000);
        EXPECT_FALSE(r.port);
    }
    EXPECT_EQ(refused(words({})), "a command is needed");
    EXPECT_EQ(refused(words({"stat"})), "unknown command \"stat\"");
    EXPECT_EQ(refused(words({"status", "now"})), "unexpected argument \"now\"");
}

TEST(CtlArguments, CommonOptionsEverywhereAndOwnOptionsOnlyOnTheirCommand)
{
    const Request r = accepted(words({"commands", "set"}, {{"port", "COM3"}, {"baud", "9600"}, {"timeout", "250"},
                                                           {"json", ""}, {"grep", "lamp"}}));
    EXPECT_EQ(r.port, "COM3");
    EXPECT_EQ(r.baudCode, 96);
    EXPECT_EQ(r.timeoutMs, 250);
    EXPECT_TRUE(r.json);
    EXPECT_EQ(r.catalogue, Catalogue::ExpandedSet);
    EXPECT_EQ(r.grep, "lamp");

    EXPECT_EQ(refused(words({"status"}, {{"monitor", ""}})), "--monitor is an option of send only");
    EXPECT_EQ(refused(words({"send", "C00"}, {{"remove", ""}})), "--remove is an option of map only");
    EXPECT_EQ(refused(words({"ports"}, {{"grep", "x"}})), "--grep is an option of commands only");
}

TEST(CtlArguments, PortBaudAndTimeoutValues)
{
    for (const char* port : {"COM1", "com15", "COM7", "/dev/ttyUSB0", "/dev/serial/by-id/usb-x", "tcp://pj-3:4001",
                             "rfc2217://[::1]:7000"})
        EXPECT_EQ(accepted(words({"status"}, {{"port", port}})).port, port);
    EXPECT_EQ(refused(words({"status"}, {{"port", "COM16"}})), "--port COM16: COM ports are COM1 to COM15");
    EXPECT_EQ(refused(words({"status"}, {{"port", "COM0"}})), "--port COM0: COM ports are COM1 to COM15");
    EXPECT_NE(refused(words({"status"}, {{"port", "ttyUSB0"}})).find("did you mean /dev/ttyUSB0?"),
              std::string::npos);
    // A relative path to something that is there is that device, for --port
    // and for map alike.
    const ExistingPath here = [](const std::string& p) {
        return p == "pts/4" || p == "ttyUSB0" ? std::optional("/dev/" + p) : std::nullopt;
    };
    for (const char* port : {"pts/4", "ttyUSB0"}) {
        const auto r = std::get<Request>(interpretCommandLine(words({"status"}, {{"port", port}}), here));
        EXPECT_EQ(r.port, "/dev/" + std::string(port));
        const auto m = std::get<Request>(interpretCommandLine(words({"map", "COM2", port}), here));
        EXPECT_EQ(m.target->device, "/dev/" + std::string(port));
    }
    EXPECT_TRUE(std::holds_alternative<UsageError>(interpretCommandLine(words({"status"}, {{"port", "ttyS9"}}), here)));
    EXPECT_NE(refused(words({"status"}, {{"port", "tcp://host"}})).find("network address"), std::string::npos);

    EXPECT_EQ(accepted(words({"status"}, {{"baud", "19200"}})).baudCode, 192);
    for (const char* baud : {"96", "192", "38400", "", "9600x"})
        EXPECT_NE(refused(words({"status"}, {{"baud", baud}})).find("9600 or 19200"), std::string::npos) << baud;

    EXPECT_EQ(accepted(words({"status"}, {{"timeout", "1"}})).timeoutMs, 1);
    EXPECT_EQ(accepted(words({"status"}, {{"timeout", "3600000"}})).timeoutMs, 3600000);
    for (const char* t : {"0", "-5", "3600001", "1.5", "", "99999999999", "10ms"})
        EXPECT_NE(refused(words({"status"}, {{"timeout", t}})).find("milliseconds"), std::string::npos) << t;
}

TEST(CtlArguments, SendTakesOneLineOfPrintableTextWithoutPlaceholders)
{
    EXPECT_EQ(accepted(words({"send", "CR LAMPSTS"})).text, "CR LAMPSTS");
    EXPECT_EQ(accepted(words({"send", "CF", "BRIGHT", "050"})).text, "CF BRIGHT 050");
    EXPECT_TRUE(accepted(words({"send", "C00"}, {{"monitor", ""}})).monitor);

    EXPECT_EQ(refused(words({"send", "CF BRIGHT 0%%"})),
              "\"CF BRIGHT 0%%\" still holds the placeholder \"%%\" at position 12 (each \"%\" stands for one "
              "digit, 0-9): put the digits in its place");
    EXPECT_NE(refused(words({"send", "CF LOGO %%%% OFF"})).find("\"%%%%\" at position 9"), std::string::npos);
    EXPECT_EQ(refused(words({"send"})), "send needs a non-empty TEXT");
    EXPECT_EQ(refused(words({"send", ""})), "send needs a non-empty TEXT");
    // A CR inside would make two frames; the frame is one line.
    EXPECT_NE(refused(words({"send", "C00\rC01"})).find("\\x0d at position 4"), std::string::npos);
    EXPECT_NE(refused(words({"send", "C0\tB"})).find("\\x09"), std::string::npos);
    EXPECT_NE(refused(words({"send", "CF LANG \xc3\xa9"})).find("\\xc3"), std::string::npos);
    EXPECT_EQ(refused(words({"send", "C00[CR]"})), "TEXT holds \"[CR]\": leave it out, the CR is added");
}

TEST(CtlArguments, MapNeedsAComPortAndATargetOrRemove)
{
    const Request set = accepted(words({"map", "com3", "/dev/ttyUSB0"}));
    EXPECT_EQ(set.com, 3);
    ASSERT_TRUE(set.target);
    EXPECT_EQ(set.target->device, "/dev/ttyUSB0");
    const Request net = accepted(words({"map", "COM15", "RFC2217://pj:4001"}));
    ASSERT_TRUE(net.target);
    EXPECT_EQ(net.target->text(), "rfc2217://pj:4001");
    const Request remove = accepted(words({"map", "COM1"}, {{"remove", ""}}));
    EXPECT_TRUE(remove.remove);
    EXPECT_FALSE(remove.target);

    EXPECT_EQ(refused(words({"map"})), "map needs COMn and a TARGET, or COMn --remove");
    EXPECT_EQ(refused(words({"map", "COM3"})), "map needs a TARGET after COM3, or --remove");
    EXPECT_EQ(refused(words({"map", "COM16", "/dev/x"})), "COM16 is out of range: COM1 to COM15");
    EXPECT_EQ(refused(words({"map", "COM0", "/dev/x"})), "COM0 is out of range: COM1 to COM15");
    EXPECT_EQ(refused(words({"map", "3", "/dev/x"})), "\"3\" is not a COM port: COM1 to COM15");
    EXPECT_EQ(refused(words({"map", "COM3", "/dev/x"}, {{"remove", ""}})), "unexpected argument \"/dev/x\"");
    EXPECT_EQ(refused(words({"map", "COM3", "/dev/x", "/dev/y"})), "unexpected argument \"/dev/y\"");
    for (const char* bad : {"ttyUSB0", "dev/ttyUSB0", "tcp://pj", "tcp://pj:0", "ftp://pj:21", "/dev/tty\x01"})
        EXPECT_NE(refused(words({"map", "COM3", bad})).find("neither a device path"), std::string::npos) << bad;
}

TEST(CtlArguments, CataloguesAndHelp)
{
    EXPECT_FALSE(accepted(words({"commands"})).catalogue);
    EXPECT_EQ(accepted(words({"commands", "basic"})).catalogue, Catalogue::Basic);
    EXPECT_EQ(accepted(words({"commands", "read"})).catalogue, Catalogue::ExpandedRead);
    EXPECT_EQ(refused(words({"commands", "all"})), "no catalogue \"all\": basic, set or read");

    EXPECT_EQ(accepted(words({"help"})).helpFor, nullptr);
    EXPECT_EQ(accepted(words({"help", "map"})).helpFor, findCommand("map"));
    EXPECT_EQ(refused(words({"help", "nothing"})), "unknown command \"nothing\"");

    const std::string overview = overviewText();
    for (const char* line : {"  0   answered", "  2   the port cannot be opened", "  3   no reply",
                             "  4   a reply that does not decode", "  64  the command line is wrong"})
        EXPECT_NE(overview.find(line), std::string::npos) << line;
}

TEST(CtlArguments, ComNamesAndPlaceholders)
{
    EXPECT_EQ(comNumber("COM3"), 3);
    EXPECT_EQ(comNumber("Com12"), 12);
    EXPECT_EQ(comNumber("COM99"), 99);
    for (const char* no : {"COM", "COM-1", "COM3x", "CON3", "3", "", "COM123456789012"})
        EXPECT_EQ(comNumber(no), std::nullopt) << no;
    EXPECT_FALSE(findPlaceholder("CF BRIGHT 050"));
    const auto p = findPlaceholder("CF FSYNC 00%%");
    ASSERT_TRUE(p);
    EXPECT_EQ(p->position, 11u);
    EXPECT_EQ(p->length, 2u);
}

} // namespace
} // namespace orva::test
