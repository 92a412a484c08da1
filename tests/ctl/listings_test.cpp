// ports, commands, map and the choice of port, on a fake settings store.
#include "ctl/ctl_port.h"
#include "ctl/listings.h"
#include "ports/port_holder.h"

#include "fakes.h"

#include <gtest/gtest.h>

#include <set>

namespace orva::test {
namespace {

Request request(std::vector<std::string> args, std::map<std::string, std::string> options = {})
{
    auto r = interpretCommandLine(CommandLineWords{std::move(args), std::move(options)});
    EXPECT_TRUE(std::holds_alternative<Request>(r));
    return std::get<Request>(r);
}

struct Disk {
    std::set<std::string> devices{"/dev/ttyS0", "/dev/ttyUSB0"};
    std::set<std::string> files{"/etc/passwd"};
    PathProbe probe()
    {
        return [this](const std::string& p) {
            if (devices.count(p))
                return PathState::CharacterDevice;
            return files.count(p) ? PathState::NotADevice : PathState::Absent;
        };
    }
};

class RecordingWriter : public PortMapWriter {
public:
    bool writeMapping(const std::string& key, const std::optional<std::string>& value, std::string& error) override
    {
        writes.emplace_back(key, value);
        if (fail) {
            error = "read-only file system";
            return false;
        }
        if (value)
            store.values["Ports/" + key] = *value;
        else
            store.values.erase("Ports/" + key);
        return true;
    }
    std::string location() const override { return "/home/u/.config/ORVA.conf"; }

    explicit RecordingWriter(FakeStore& s) : store(s) {}
    FakeStore& store;
    bool fail = false;
    std::vector<std::pair<std::string, std::optional<std::string>>> writes;
};

TEST(CtlCommands, TheCataloguesAsTheyAreWithoutBlankEntries)
{
    const Answer all = commandsAnswer(std::nullopt, "");
    const JsonValue allJson(all.json);
    const auto* list = allJson.find("commands")->array();
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->size(), 59u + 314u + 88u);
    // Two aligned columns, the widest command and two blanks.
    EXPECT_EQ(all.out.substr(0, all.out.find('\n')), "C00[CR]" + std::string(26, ' ') + "POWER ON");
    EXPECT_EQ(all.out.substr(all.out.rfind('\n') + 1),
              "CR TEMPFAIL[CR]" + std::string(18, ' ') + ":Get temperature when sensors approach abnomal temperature");

    EXPECT_EQ(JsonValue(commandsAnswer(Catalogue::Basic, "").json).find("commands")->array()->size(), 59u);
    const Answer set = commandsAnswer(Catalogue::ExpandedSet, "");
    EXPECT_NE(set.out.find("CF MIC OFF[CR]\n"), std::string::npos);
    EXPECT_EQ(set.out.find('\t'), std::string::npos);

    const Answer lamp = commandsAnswer(std::nullopt, "LaMpMoDe");
    EXPECT_EQ(lamp.out, "CF LAMPMODE NORMAL[CR]  :Select Lamp mode\nCF LAMPMODE ECO[CR]\nCF LAMPMODE HIGH[CR]\n"
                        "CF LAMPMODE UP[CR]\nCF LAMPMODE DN[CR]\nCR LAMPMODE[CR]         :Get Lamp Mode status");
    EXPECT_EQ(lamp.status, ExitStatus::Answered);
    const JsonValue first = JsonValue(lamp.json).find("commands")->array()->front();
    EXPECT_EQ(*first.find("catalogue")->string(), "set");
    EXPECT_EQ(*first.find("index")->number(), 180);
    EXPECT_EQ(*first.find("command")->string(), "CF LAMPMODE NORMAL");
    EXPECT_EQ(*first.find("entry")->string(), "CF LAMPMODE NORMAL[CR]\t\t:Select Lamp mode"); // as it is
    // Nothing found is 1, as grep has it.
    const Answer none = commandsAnswer(std::nullopt, "no such thing");
    EXPECT_EQ(none.out, "");
    EXPECT_EQ(none.status, ExitStatus::NothingFound);
    EXPECT_EQ(exitCode(none.status), 1);
}

TEST(CtlPorts, TheComMapWithDefaultsStatesAndTheStoredPort)
{
    FakeStore store;
    Disk disk;
    store.values["Ports/COM3"] = "/dev/ttyUSB0";
    store.values["Ports/COM4"] = "tcp://pj-4.lab:4001";
    store.values["Ports/COM5"] = "ttyUSB1";
    store.values["Ports/COM6"] = "/etc/passwd";
    store.values["StartUP/ComPort"] = "3";
    store.values["StartUP/BaudRate"] = "96";
    const std::vector<SerialDevice> devices{{"/dev/ttyUSB0", "/dev/serial/by-id/usb-FTDI-if00-port0",
                                             "FT232R USB UART", "FTDI", "A50285BI"},
                                            {"/dev/ttyS0", "", "", "", ""}};
    const Answer a = portsAnswer(devices, store, disk.probe(), "/home/u/.config/ORVA.conf");
    EXPECT_EQ(a.status, ExitStatus::Answered);
    EXPECT_EQ(a.out, "Serial devices present:\n"
                     "  /dev/ttyUSB0  FT232R USB UART, FTDI, serial number A50285BI\n"
                     "                /dev/serial/by-id/usb-FTDI-if00-port0\n"
                     "  /dev/ttyS0\n"
                     "\n"
                     "COM ports (the map in /home/u/.config/ORVA.conf); * the stored port, 9600 baud:\n"
                     "  COM1   /dev/ttyS0 (default)               present\n"
                     "  COM2   /dev/ttyS1 (default)               absent\n"
                     "* COM3   /dev/ttyUSB0                       present\n"
                     "  COM4   tcp://pj-4.lab:4001                network address\n"
                     "  COM5   ttyUSB1                            not a device path or network address\n"
                     "  COM6   /etc/passwd                        not a serial device\n"
                     "  COM7   /dev/ttyS6 (default)               absent\n"
                     "  COM8   /dev/ttyS7 (default)               absent\n"
                     "  COM9   /dev/ttyS8 (default)               absent\n"
                     "  COM10  /dev/ttyS9 (default)               absent\n"
                     "  COM11  /dev/ttyS10 (default)              absent\n"
                     "  COM12  /dev/ttyS11 (default)              absent\n"
                     "  COM13  /dev/ttyS12 (default)              absent\n"
                     "  COM14  /dev/ttyS13 (default)              absent\n"
                     "  COM15  /dev/ttyS14 (default)              absent");
    const JsonValue json(a.json);
    const auto& map = *json.find("map")->array();
    ASSERT_EQ(map.size(), 15u);
    EXPECT_EQ(*map[2].find("target")->string(), "/dev/ttyUSB0");
    EXPECT_TRUE(*map[2].find("mapped")->boolean());
    EXPECT_TRUE(*map[2].find("stored")->boolean());
    EXPECT_TRUE(*map[2].find("exists")->boolean());
    EXPECT_TRUE(map[3].find("exists")->isNull());
    EXPECT_FALSE(*map[1].find("mapped")->boolean());
    EXPECT_EQ(*json.find("storedPort")->string(), "COM3");
    EXPECT_EQ(*json.find("storedBaud")->number(), 9600);
    EXPECT_TRUE(json.find("devices")->array()->at(1).find("byId")->isNull());
    EXPECT_EQ(store.writes, 0);
}

TEST(CtlMap, WritesTheOneKeyAndNothingWhenNothingChanges)
{
    FakeStore store;
    Disk disk;
    RecordingWriter writer(store);
    store.values["Ports/COM1"] = "/dev/ttyS0";

    Answer a = mapAnswer(request({"map", "COM3", "/dev/ttyUSB0"}), store, writer, disk.probe());
    EXPECT_EQ(a.status, ExitStatus::Answered);
    EXPECT_EQ(a.out, "COM3 now maps to /dev/ttyUSB0 (in /home/u/.config/ORVA.conf)");
    ASSERT_EQ(writer.writes.size(), 1u);
    EXPECT_EQ(writer.writes[0].first, "COM3");
    EXPECT_EQ(writer.writes[0].second, "/dev/ttyUSB0");
    EXPECT_TRUE(*JsonValue(a.json).find("changed")->boolean());

    a = mapAnswer(request({"map", "COM3", "/dev/ttyUSB0"}), store, writer, disk.probe());
    EXPECT_EQ(a.out, "COM3 already maps to /dev/ttyUSB0");
    EXPECT_EQ(writer.writes.size(), 1u);

    // Network addresses are written in their plain form.
    mapAnswer(request({"map", "COM4", "TCP://pj:4001/"}), store, writer, disk.probe());
    EXPECT_EQ(store.values["Ports/COM4"], "tcp://pj:4001");

    a = mapAnswer(request({"map", "COM3"}, {{"remove", ""}}), store, writer, disk.probe());
    EXPECT_EQ(a.out, "COM3 no longer mapped (was /dev/ttyUSB0); it is /dev/ttyS2 again");
    EXPECT_EQ(writer.writes.back().second, std::nullopt);
    const std::size_t writes = writer.writes.size();
    a = mapAnswer(request({"map", "COM3"}, {{"remove", ""}}), store, writer, disk.probe());
    EXPECT_EQ(a.out, "COM3 was not mapped; it is /dev/ttyS2");
    EXPECT_EQ(writer.writes.size(), writes);
    EXPECT_EQ(store.values["Ports/COM1"], "/dev/ttyS0");
}

TEST(CtlMap, RefusesWhatIsNotASerialDeviceAndReportsAFailedWrite)
{
    FakeStore store;
    Disk disk;
    RecordingWriter writer(store);
    Answer a = mapAnswer(request({"map", "COM2", "/etc/passwd"}), store, writer, disk.probe());
    EXPECT_EQ(a.status, ExitStatus::Usage);
    EXPECT_EQ(a.err, "/etc/passwd is not a serial device; nothing written");
    EXPECT_TRUE(writer.writes.empty());

    // An adapter that is not plugged in now may be mapped: it is said.
    a = mapAnswer(request({"map", "COM2", "/dev/ttyUSB7"}), store, writer, disk.probe());
    EXPECT_EQ(a.status, ExitStatus::Answered);
    EXPECT_EQ(a.err, "note: /dev/ttyUSB7 does not exist now; mapped all the same");
    EXPECT_EQ(writer.writes.size(), 1u);

    writer.fail = true;
    a = mapAnswer(request({"map", "COM2", "/dev/ttyUSB0"}), store, writer, disk.probe());
    EXPECT_EQ(a.status, ExitStatus::Failed);
    EXPECT_EQ(a.err, "could not write /home/u/.config/ORVA.conf: read-only file system");
    EXPECT_EQ(a.out, "");
}

TEST(CtlPort, TheStoredPortUnlessOneIsGiven)
{
    FakeStore store;
    auto problem = [&](const Request& r) {
        auto p = resolvePort(r, store);
        return std::holds_alternative<std::string>(p) ? std::get<std::string>(p) : std::string();
    };
    EXPECT_NE(problem(request({"status"})).find("no port given and none stored"), std::string::npos);

    store.values["StartUP/ComPort"] = "2";
    store.values["Ports/COM2"] = "/dev/ttyUSB0";
    auto p = std::get<ResolvedPort>(resolvePort(request({"status"}), store));
    EXPECT_EQ(p.com, 2);
    EXPECT_EQ(p.target.device, "/dev/ttyUSB0");
    EXPECT_EQ(p.baudRate(), 19200); // no baud stored: 19200, as the window
    EXPECT_EQ(p.label(), "COM2 (/dev/ttyUSB0)");

    store.values["StartUP/BaudRate"] = "96";
    EXPECT_EQ(std::get<ResolvedPort>(resolvePort(request({"status"}), store)).baudRate(), 9600);
    EXPECT_EQ(std::get<ResolvedPort>(resolvePort(request({"status"}, {{"baud", "19200"}}), store)).baudRate(), 19200);

    p = std::get<ResolvedPort>(resolvePort(request({"status"}, {{"port", "COM5"}}), store));
    EXPECT_EQ(p.target.device, "/dev/ttyS4");
    p = std::get<ResolvedPort>(resolvePort(request({"status"}, {{"port", "/dev/pts/7"}}), store));
    EXPECT_FALSE(p.com);
    EXPECT_EQ(p.name(), "/dev/pts/7");
    EXPECT_EQ(p.label(), "/dev/pts/7");
    p = std::get<ResolvedPort>(resolvePort(request({"status"}, {{"port", "rfc2217://pj:7000"}}), store));
    EXPECT_TRUE(p.target.isNetwork());

    store.values["Ports/COM6"] = "COM6 on the desk";
    EXPECT_NE(problem(request({"status"}, {{"port", "COM6"}})).find("orva-ctl map COM6 TARGET"), std::string::npos);
    store.values["StartUP/ComPort"] = "16";
    EXPECT_NE(problem(request({"status"})).find("none stored"), std::string::npos);
    EXPECT_EQ(store.writes, 0);
}

TEST(CtlPortHolder, LockFileNamesAndTheSystemsLockTable)
{
    EXPECT_EQ(serialLockFileName("/dev/ttyUSB0"), "LCK..ttyUSB0");
    EXPECT_EQ(serialLockFileName("/dev/pts/5"), "LCK..pts_5");
    EXPECT_EQ(serialLockFileName("/tmp/projector"), "LCK.._tmp_projector");
    EXPECT_NE(std::find(serialLockDirectories().begin(), serialLockDirectories().end(), "/run/lock"),
              serialLockDirectories().end());

    const std::string locks = "1: POSIX  ADVISORY  WRITE 700 08:01:1234 0 EOF\n"
                              "2: FLOCK  ADVISORY  WRITE 16036 00:1a:6 0 EOF\n"
                              "2: -> FLOCK  ADVISORY  WRITE 17000 00:1a:6 0 EOF\n"
                              "3: OFDLCK ADVISORY  READ  -1 00:1a:9 0 EOF\n"
                              "garbage\n";
    EXPECT_EQ(lockHolderPid(locks, 0, 0x1a, 6), 16036);
    EXPECT_EQ(lockHolderPid(locks, 8, 1, 1234), 700);
    EXPECT_EQ(lockHolderPid(locks, 0, 0x1a, 9), std::nullopt);
    EXPECT_EQ(lockHolderPid(locks, 0, 26, 7), std::nullopt);
    EXPECT_EQ(lockHolderPid("", 0, 0, 0), std::nullopt);
    EXPECT_EQ(holderDescription("orva-control", 4242), "orva-control (PID 4242)");
    EXPECT_EQ(holderDescription("", 4242), "PID 4242");
    // Names from lock files and /proc reach terminals and the journal escaped.
    EXPECT_EQ(holderDescription("evil\x1b[2J", 7), "evil\\x1b[2J (PID 7)");
    PortHolder h;
    h.program = "evil\x1b]0;x\x07";
    h.pid = 7;
    h.running = true;
    h.user = "bob\n";
    EXPECT_EQ(heldPortReason(h), "held by another program: evil\\x1b]0;x\\x07 (PID 7, user bob\\n)");
}

} // namespace
} // namespace orva::test
