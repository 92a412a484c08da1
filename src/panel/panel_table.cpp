#include "panel/panel_table.h"

#include "link/monitor_controls.h"

#include <algorithm>
#include <array>

namespace orva {
namespace {

// The window is laid out on a grid of whole pixels (15 twips): outer frames
// 120 from the window's edges and 90 apart; buttons 105 inside their frame,
// 90 apart; a frame's title 45 below its top, its first row of buttons 300
// below it. The bands start at tops 0, 800, 1600 and 2400; bands two to four
// share the column edges 1185 / 8205 of the "Computer 1" group, and the
// image block and everything below it share the columns 2910 / 6375 / 8265.

constexpr std::array kButtons = {
    // "Power": "On" above "Off", tall enough to reach into the second band.
    PanelButton{"Command17", "Power", "On", Arrow::None, Face::Green, Action::Click, "C00", "power on", 0, {225, 300, 765, 450}, 900},
    PanelButton{"Command18", "Power", "Off", Arrow::None, Face::Red, Action::Click, "C01", "power off (quick)", 0, {225, 980, 765, 450}, 900},
    // "Computer 1"
    PanelButton{"Command27", "Computer 1", "Computer1", Arrow::None, Face::Teal, Action::Click, "C05", "select input Computer 1", 0, {1290, 300, 1290, 330}, 975},
    PanelButton{"Command28", "Computer 1", "Analog RGB", Arrow::None, Face::Teal, Action::Click, "C50", "Computer 1, analog RGB source", 0, {2670, 300, 1290, 330}, 975},
    PanelButton{"Command53", "Computer 1", "Component", Arrow::None, Face::Teal, Action::Click, "C54", "Computer 1, component source", 0, {4050, 300, 1290, 330}, 975},
    PanelButton{"Command41", "Computer 1", "S-video", Arrow::None, Face::Teal, Action::Click, "C34", "Computer 1, S-video source", 0, {5430, 300, 1290, 330}, 975},
    PanelButton{"Command29", "Computer 1", "Scart", Arrow::None, Face::Teal, Action::Click, "C51", "Computer 1, Scart source", 0, {6810, 300, 1290, 330}, 975},
    // "Power" over "Management", at the right edge.
    PanelButton{"Command71", "Power Management", "Ready", Arrow::None, Face::Teal, Action::Click, "C2A", "power management: ready", 0, {8400, 540, 1560, 330}, 900},
    PanelButton{"Command72", "Power Management", "Off", Arrow::None, Face::Teal, Action::Click, "C2B", "power management: off", 0, {8400, 945, 1560, 330}, 900},
    PanelButton{"Command56", "Power Management", "Shut down", Arrow::None, Face::Teal, Action::Click, "C2E", "power management: shut down", 0, {8400, 1350, 1560, 330}, 900},
    // "Computer 2"
    PanelButton{"Command11", "Computer 2", "Analog RGB", Arrow::None, Face::Teal, Action::Click, "C06", "select input Computer 2", 0, {1290, 1100, 1530, 330}, 975},
    // "Video"
    PanelButton{"Command12", "Video", "Video", Arrow::None, Face::Teal, Action::Click, "C07", "select input Video", 0, {3120, 1100, 1530, 330}, 975},
    // "Screen"
    PanelButton{"Command31", "Screen", "Normal", Arrow::None, Face::Teal, Action::Click, "C0F", "screen normal size (4:3)", 0, {4950, 1100, 1530, 330}, 975},
    PanelButton{"Command32", "Screen", "Wide", Arrow::None, Face::Teal, Action::Click, "C10", "screen wide size (16:9)", 0, {6570, 1100, 1530, 330}, 975},
    // "Audio Mute"
    PanelButton{"Command19", "Audio Mute", "On", Arrow::None, Face::Green, Action::Click, "C0B", "audio mute on", 0, {225, 1900, 825, 330}, 900},
    PanelButton{"Command20", "Audio Mute", "Off", Arrow::None, Face::Red, Action::Click, "C0C", "audio mute off", 0, {1140, 1900, 825, 330}, 900},
    // "Video Mute"
    PanelButton{"Command21", "Video Mute", "On", Arrow::None, Face::Green, Action::Click, "C0D", "video mute on", 0, {2265, 1900, 825, 330}, 900},
    PanelButton{"Command22", "Video Mute", "Off", Arrow::None, Face::Red, Action::Click, "C0E", "video mute off", 0, {3180, 1900, 825, 330}, 900},
    // "Freeze"
    PanelButton{"Command25", "Freeze", "On", Arrow::None, Face::Green, Action::Click, "C43", "freeze on", 0, {4305, 1900, 825, 330}, 900},
    PanelButton{"Command26", "Freeze", "Off", Arrow::None, Face::Red, Action::Click, "C44", "freeze off", 0, {5220, 1900, 825, 330}, 900},
    // "On Start"
    PanelButton{"Command69", "On Start", "Enable", Arrow::None, Face::Green, Action::Click, "C28", "direct power-on enabled", 0, {6345, 1900, 825, 330}, 975},
    PanelButton{"Command70", "On Start", "Disable", Arrow::None, Face::Red, Action::Click, "C29", "direct power-on disabled", 0, {7260, 1900, 825, 330}, 975},
    // "Lamp Mode"
    PanelButton{"Command9", "Lamp Mode", "High", Arrow::None, Face::Teal, Action::Click, "CF LAMPMODE HIGH", "lamp mode high", 0, {8400, 2150, 1560, 330}, 900},
    PanelButton{"Command68", "Lamp Mode", "Normal", Arrow::None, Face::Teal, Action::Click, "CF LAMPMODE NORMAL", "lamp mode normal", 0, {8400, 2555, 1560, 330}, 900},
    PanelButton{"Command75", "Lamp Mode", "Eco", Arrow::None, Face::Teal, Action::Click, "CF LAMPMODE ECO", "lamp mode eco", 0, {8400, 2960, 1560, 330}, 900},
    // "Menu": a column of three beside a cross of arrows, on the same three rows.
    PanelButton{"Command23", "Menu", "On", Arrow::None, Face::Green, Action::Click, "C1C", "on-screen menu on", 0, {225, 2700, 975, 375}, 900},
    PanelButton{"Command24", "Menu", "Off", Arrow::None, Face::Red, Action::Click, "C1D", "on-screen menu off", 0, {225, 3285, 975, 375}, 900},
    PanelButton{"Command6", "Menu", "Enter", Arrow::None, Face::Orange, Action::Click, "C3F", "enter", 0, {225, 3870, 975, 375}, 900},
    PanelButton{"Command5", "Menu", "", Arrow::Up, Face::Yellow, Action::Hold, "C3C", "pointer up", 3, {1830, 2700, 405, 375}, 900},
    PanelButton{"Command38", "Menu", "", Arrow::Left, Face::Yellow, Action::Hold, "C3B", "pointer left", 5, {1350, 3285, 405, 375}, 900},
    PanelButton{"Command8", "Menu", "", Arrow::Right, Face::Yellow, Action::Hold, "C3A", "pointer right", 6, {2310, 3285, 405, 375}, 900},
    PanelButton{"Command7", "Menu", "", Arrow::Down, Face::Yellow, Action::Hold, "C3D", "pointer down", 4, {1830, 3870, 405, 375}, 900},
    // The adjustment groups: an up arrow above a down arrow.
    // "Volume"
    PanelButton{"Command1", "Volume", "", Arrow::Up, Face::Yellow, Action::Hold, "C09", "volume up", 1, {3225, 2700, 630, 300}, 900},
    PanelButton{"Command2", "Volume", "", Arrow::Down, Face::Yellow, Action::Hold, "C0A", "volume down", 2, {3225, 3075, 630, 300}, 900},
    // "Bright"
    PanelButton{"Command30", "Bright", "", Arrow::Up, Face::Yellow, Action::Hold, "C20", "brightness up", 7, {4575, 2700, 630, 300}, 900},
    PanelButton{"Command42", "Bright", "", Arrow::Down, Face::Yellow, Action::Hold, "C21", "brightness down", 8, {4575, 3075, 630, 300}, 900},
    // "D.Zoom"
    PanelButton{"Command48", "D.Zoom", "", Arrow::Up, Face::Yellow, Action::Hold, "C30", "digital zoom in", 9, {5925, 2700, 630, 300}, 900},
    PanelButton{"Command49", "D.Zoom", "", Arrow::Down, Face::Yellow, Action::Hold, "C31", "digital zoom out", 10, {5925, 3075, 630, 300}, 900},
    // "Keystone"
    PanelButton{"Command10", "Keystone", "", Arrow::Up, Face::Yellow, Action::Hold, "C8E", "keystone up", 11, {7260, 2700, 630, 300}, 900},
    PanelButton{"Command35", "Keystone", "", Arrow::Down, Face::Yellow, Action::Hold, "C8F", "keystone down", 12, {7260, 3075, 630, 300}, 900},
    // The image block (three by three) and its two columns, without frames.
    PanelButton{"Command4", "", "Standard", Arrow::None, Face::Teal, Action::Click, "C11", "image standard", 0, {2910, 3600, 1065, 285}, 975},
    PanelButton{"Command36", "", "Real", Arrow::None, Face::Teal, Action::Click, "C12", "image real", 0, {4065, 3600, 1065, 285}, 975},
    PanelButton{"Command37", "", "Cinema", Arrow::None, Face::Teal, Action::Click, "C13", "image cinema", 0, {5220, 3600, 1065, 285}, 975},
    PanelButton{"Command50", "", "Image 1", Arrow::None, Face::Teal, Action::Click, "C14", "image 1", 0, {2910, 3910, 1065, 285}, 975},
    PanelButton{"Command51", "", "Image 2", Arrow::None, Face::Teal, Action::Click, "C15", "image 2", 0, {4065, 3910, 1065, 285}, 975},
    PanelButton{"Command52", "", "Image 3", Arrow::None, Face::Teal, Action::Click, "C16", "image 3", 0, {5220, 3910, 1065, 285}, 975},
    PanelButton{"Command57", "", "Image 4", Arrow::None, Face::Teal, Action::Click, "C17", "image 4", 0, {2910, 4230, 1065, 285}, 975},
    PanelButton{"Command58", "", "B.Board", Arrow::None, Face::Teal, Action::Click, "C18", "blackboard image", 0, {4065, 4230, 1065, 285}, 975},
    PanelButton{"Command59", "", "Dynamic", Arrow::None, Face::Teal, Action::Click, "C19", "image dynamic", 0, {5220, 4230, 1065, 285}, 975},
    PanelButton{"Command3", "", "Display Clear", Arrow::None, Face::Teal, Action::Click, "C1E", "clear the on-screen display", 0, {6375, 3600, 1800, 285}, 900},
    PanelButton{"Command73", "", "Image (Toggle)", Arrow::None, Face::Teal, Action::Click, "C27", "step to the next image mode", 0, {6375, 3910, 1800, 285}, 900},
    PanelButton{"Command15", "", "Image Colorboard", Arrow::None, Face::Teal, Action::Click, "C39", "colorboard image", 0, {6375, 4230, 1800, 285}, 900},
    PanelButton{"Command13", "", "Auto Pc Adj", Arrow::None, Face::Teal, Action::Click, "C89", "automatic PC adjustment", 0, {8265, 3600, 1800, 285}, 900},
    PanelButton{"Command14", "", "P-Timer", Arrow::None, Face::Teal, Action::Click, "C8A", "presentation timer", 0, {8265, 3910, 1800, 285}, 900},
    PanelButton{"Command34", "", "P-Timer (Exit)", Arrow::None, Face::Teal, Action::Click, "C8B", "leave the presentation timer", 0, {8265, 4230, 1800, 285}, 900},
    // "R/C Key Off"
    PanelButton{"Command60", "R/C Key Off", "NONE", Arrow::None, Face::Teal, Action::Click, "CF KEYDIS NONE", "no keys disabled", 0, {225, 4870, 770, 300}, 975},
    PanelButton{"Command61", "R/C Key Off", "R/C", Arrow::None, Face::Teal, Action::Click, "CF KEYDIS RC", "remote-control keys disabled", 0, {1085, 4870, 770, 300}, 975},
    PanelButton{"Command62", "R/C Key Off", "KEY", Arrow::None, Face::Teal, Action::Click, "CF KEYDIS KEY", "projector panel keys disabled", 0, {1945, 4870, 770, 300}, 975},
    // "END" at the right of the sixth band; then the expanded area: the
    // read-out column, "Command Table" above "COM".
    PanelButton{"Command16", "", "END", Arrow::None, Face::Plain, Action::End, "", "end the program", 0, {8265, 4680, 1800, 495}, 1200},
    PanelButton{"Command44", "", "Status", Arrow::None, Face::Cyan, Action::Click, "CR0", "read status", 0, {8265, 5380, 1800, 270}, 975},
    PanelButton{"Command45", "", "Input Mode", Arrow::None, Face::Cyan, Action::Click, "CR1", "read input mode", 0, {8265, 5680, 1800, 270}, 975},
    PanelButton{"Command54", "", "Temp", Arrow::None, Face::Cyan, Action::Click, "CR6", "read temperatures", 0, {8265, 5980, 1800, 270}, 975},
    PanelButton{"Command47", "", "Setting", Arrow::None, Face::Cyan, Action::Click, "CR4", "read setting (image reversal)", 0, {8265, 6280, 1800, 270}, 975},
    PanelButton{"Command46", "", "Lamp Time", Arrow::None, Face::Cyan, Action::Click, "CR3", "read lamp time", 0, {8265, 6580, 1800, 270}, 975},
    PanelButton{"Command55", "", "Lamp Status", Arrow::None, Face::Cyan, Action::Click, "CR LAMPSTS", "read lamp lighting status", 0, {8265, 6880, 1800, 270}, 900},
    PanelButton{"Command76", "", "Lamp Mode", Arrow::None, Face::Cyan, Action::Click, "CR7", "read lamp mode", 0, {8265, 7180, 1800, 270}, 900},
    PanelButton{"Command74", "", "Command Table", Arrow::None, Face::Plain, Action::CommandTable, "", "open the command reference window", 0, {6375, 6660, 1800, 375}, 975},
    PanelButton{"Command33", "", "COM", Arrow::None, Face::Plain, Action::Com, "", "close the port and open the port dialog", 0, {6375, 7080, 1800, 375}, 975},
};

constexpr std::array kGroups = {
    // name, title, second title, frame, title font, dark red,
    // title label names, title label geometry
    PanelGroup{"Frame1", "Power", "", {120, 0, 975, 1520}, 900, true,
               "Label1", "", {225, 45, 765, 225}, {}},
    PanelGroup{"Frame2", "Computer 1", "", {1185, 0, 7020, 720}, 900, false,
               "Label2", "", {1290, 45, 6810, 225}, {}},
    PanelGroup{"Frame3", "Power", "Management", {8295, 0, 1770, 1770}, 900, false,
               "Label3", "Label4", {8400, 45, 1560, 225}, {8400, 270, 1560, 225}},
    PanelGroup{"Frame4", "Computer 2", "", {1185, 800, 1740, 720}, 900, false,
               "Label5", "", {1290, 845, 1530, 225}, {}},
    PanelGroup{"Frame5", "Video", "", {3015, 800, 1740, 720}, 900, false,
               "Label6", "", {3120, 845, 1530, 225}, {}},
    PanelGroup{"Frame6", "Screen", "", {4845, 800, 3360, 720}, 900, false,
               "Label7", "", {4950, 845, 3150, 225}, {}},
    PanelGroup{"Frame7", "Audio Mute", "", {120, 1600, 1950, 720}, 900, false,
               "Label8", "", {225, 1645, 1740, 225}, {}},
    PanelGroup{"Frame8", "Video Mute", "", {2160, 1600, 1950, 720}, 900, false,
               "Label13", "", {2265, 1645, 1740, 225}, {}},
    // The line monitor: "TxD" and the sent line above "RxD" and the received line.
    PanelGroup{"Frame9", "", "", {120, 5400, 8055, 945}, 0, false, "", "", {}, {}},
    PanelGroup{"Frame10", "Freeze", "", {4200, 1600, 1950, 720}, 900, false,
               "Label14", "", {4305, 1645, 1740, 225}, {}},
    PanelGroup{"Frame11", "On Start", "", {6240, 1600, 1965, 720}, 975, false,
               "Label15", "", {6345, 1645, 1740, 225}, {}},
    PanelGroup{"Frame12", "Lamp Mode", "", {8295, 1850, 1770, 1530}, 900, false,
               "Label16", "", {8400, 1895, 1560, 225}, {}},
    PanelGroup{"Frame13", "Menu", "", {120, 2400, 2700, 1935}, 900, false,
               "Label17", "", {225, 2445, 2490, 225}, {}},
    PanelGroup{"Frame14", "Volume", "", {2910, 2400, 1260, 1065}, 900, false,
               "Label18", "", {3015, 2445, 1050, 225}, {}},
    // The status frame: "Status" and the status label.
    PanelGroup{kStatusFrame, "", "", {120, 6840, 6165, 690}, 0, false, "", "", {}, {}},
    PanelGroup{"Frame16", "Bright", "", {4260, 2400, 1260, 1065}, 900, false,
               "Label19", "", {4365, 2445, 1050, 225}, {}},
    PanelGroup{"Frame17", "D.Zoom", "", {5610, 2400, 1260, 1065}, 900, false,
               "Label20", "", {5715, 2445, 1050, 225}, {}},
    PanelGroup{"Frame18", "Keystone", "", {6960, 2400, 1245, 1065}, 900, false,
               "Label21", "", {7065, 2445, 1035, 225}, {}},
    // The sixth band is lower than the others so that it ends inside the
    // collapsed height.
    PanelGroup{"Frame19", "R/C Key Off", "", {120, 4600, 2700, 660}, 975, false,
               "Label22", "", {225, 4630, 2490, 225}, {}},
};

constexpr std::array kLabels = {
    // Why a frame did not go out, or that the port was lost: between
    // "R/C Key Off" and "END", where the collapsed window still shows it.
    PanelLabel{monitor::kNotice, "", {2910, 4620, 5265, 600}, 900},
    // The line monitor.
    PanelLabel{kSentCaption, "TxD", {240, 5490, 540, 345}, 975},
    PanelLabel{monitor::kSentLine, "", {855, 5490, 7200, 345}, 1200},
    PanelLabel{kReceivedCaption, "RxD", {240, 5910, 540, 345}, 975},
    PanelLabel{monitor::kReceivedLine, "", {855, 5910, 7200, 345}, 1200},
    // The legends, side by side below the monitor.
    PanelLabel{monitor::kCrLegend, "[CR] :Carriage Return Code (0x0D)", {240, 6405, 3300, 240}, 975},
    PanelLabel{monitor::kSpaceLegend, "_ :Space Code (0x20)", {3660, 6405, 2100, 240}, 975},
    // The status frame.
    PanelLabel{kStatusCaption, "Status", {240, 7005, 720, 360}, 975},
    PanelLabel{monitor::kStatus, "", {1020, 7005, 5145, 360}, 1050},
};

} // namespace

std::span<const PanelButton> panelButtons()
{
    return kButtons;
}

std::span<const PanelGroup> panelGroups()
{
    return kGroups;
}

std::span<const PanelLabel> panelLabels()
{
    return kLabels;
}

const PanelButton* findPanelButton(std::string_view name)
{
    auto it = std::find_if(kButtons.begin(), kButtons.end(),
                           [name](const PanelButton& b) { return b.name == name; });
    return it == kButtons.end() ? nullptr : &*it;
}

const PanelButton* findRepeatButton(int repeatCode)
{
    if (repeatCode == 0)
        return nullptr;
    auto it = std::find_if(kButtons.begin(), kButtons.end(),
                           [repeatCode](const PanelButton& b) { return b.repeatCode == repeatCode; });
    return it == kButtons.end() ? nullptr : &*it;
}

} // namespace orva
