#include "ctl/read_commands.h"

#include <array>

namespace orva {
namespace {

#define ORVA_WORDS "the words the window shows, without its leading blank: "

constexpr std::array<ReadCommand, 7> kReads{{
    {"status", Read::Power, "status", "power status",
     ORVA_WORDS "Power ON, Stand by, Count down, Cooling down, Power abnormality, Temperature abnormality "
                "or Lamp Failure"},
    {"input", Read::Input, "input", "input", ORVA_WORDS "Input 1, Input 2, Input 3, Wired or Wireless/Viewer"},
    {"setting", Read::Mirroring, "setting", "mirroring setting",
     ORVA_WORDS "Normally, Top/Bottom reversal, Left/Right reversal or Top/Bottom , Left/Right reversal"},
    {"lamp-time", Read::LampHours, "lampHours", "lamp time", "the lamp hours as a number, such as 123"},
    {"temp", Read::Temperatures, "temperatures", "temperatures",
     "the three temperatures in degrees Celsius, such as 25.5 31.0 40.2"},
    {"lamp-status", Read::LampState, "lampStatus", "lamp status",
     ORVA_WORDS "Lamp is ON, Lamp is OFF or Lamp is failure"},
    {"lamp-mode", Read::LampMode, "lampMode", "lamp mode",
     ORVA_WORDS "Lamp Mode is NORMAL, Lamp Mode is High or Lamp Mode is Eco"},
}};

#undef ORVA_WORDS

} // namespace

std::span<const ReadCommand> readCommands()
{
    return kReads;
}

const ReadCommand* findReadCommand(std::string_view name)
{
    for (const ReadCommand& r : kReads) {
        if (r.name == name)
            return &r;
    }
    return nullptr;
}

std::string readFrame(const ReadCommand& read)
{
    return frameOf(read.read);
}

} // namespace orva
