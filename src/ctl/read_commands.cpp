#include "ctl/read_commands.h"

#include "panel/panel_table.h"

#include <array>

namespace orva {
namespace {

#define ORVA_WORDS "the words the window shows, without its leading blank: "

constexpr std::array<ReadCommand, 7> kReads{{
    {"status", "Command44", "status", "power status",
     ORVA_WORDS "Power ON, Stand by, Count down, Cooling down, Power abnormality, Temperature abnormality "
                "or Lamp Failure"},
    {"input", "Command45", "input", "input", ORVA_WORDS "Input 1, Input 2, Input 3, Wired or Wireless/Viewer"},
    {"setting", "Command47", "setting", "mirroring setting",
     ORVA_WORDS "Normally, Top/Bottom reversal, Left/Right reversal or Top/Bottom , Left/Right reversal"},
    {"lamp-time", "Command46", "lampHours", "lamp time", "the lamp hours as a number, such as 123"},
    {"temp", "Command54", "temperatures", "temperatures",
     "the three temperatures in degrees Celsius, such as 25.5 31.0 40.2"},
    {"lamp-status", "Command55", "lampStatus", "lamp status",
     ORVA_WORDS "Lamp is ON, Lamp is OFF or Lamp is failure"},
    {"lamp-mode", "Command76", "lampMode", "lamp mode",
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
    const PanelButton* button = findPanelButton(read.button);
    return button ? std::string(button->command) + "\r" : std::string();
}

} // namespace orva
