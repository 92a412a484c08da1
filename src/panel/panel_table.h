#pragma once

#include <span>
#include <string_view>

namespace orva {

// Positions and sizes in twips (1/1440 inch; 15 twips = one logical pixel).
struct TwipsRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    constexpr int right() const { return left + width; }
    constexpr int bottom() const { return top + height; }
};

enum class Face { Green, Red, Yellow, Orange, Cyan, Teal, Plain };
enum class Arrow { None, Up, Down, Left, Right };
enum class Action {
    Click,        // sends its command
    Hold,         // sends at the press and every 100 ms while held
    End,          // "END"
    Com,          // "COM"
    CommandTable, // "Command Table"
};

// One button of the main panel. The table of these drives both the layout
// and the behaviour.
struct PanelButton {
    std::string_view name;    // object name, e.g. "Command17"
    std::string_view group;   // title of its group, "" for none; a two-line
                              // title joined by a blank ("Power Management")
    std::string_view caption; // "" for the arrow buttons
    Arrow arrow;
    Face face;
    Action action;
    std::string_view command; // without the CR; "" for the panel extras
    std::string_view meaning; // in plain words, for tooltips and accessibility
    int repeatCode;           // 1..12 for the hold buttons, else 0
    TwipsRect geometry;       // in the window's client area
    int fontCentiPoints;      // 975 = 9.75 pt
};

// A titled group: a frame with one or two bold title labels at its top.
struct PanelGroup {
    std::string_view name;    // frame object name, e.g. "Frame1"
    std::string_view title;   // "Power"; the second line of a two-line title below
    std::string_view title2;  // "" unless the title has two labels
    TwipsRect geometry;       // in the window's client area
    int titleFontCentiPoints;
    bool darkRedTitle;
    std::string_view titleName;  // object names of the title labels, "" for none
    std::string_view title2Name;
    TwipsRect titleGeometry;     // in the window's client area
    TwipsRect title2Geometry;
};

// A label that is not a group title (line monitor, status, legends).
struct PanelLabel {
    std::string_view name;
    std::string_view caption; // at start
    TwipsRect geometry;       // in the window's client area
    int fontCentiPoints;
};

std::span<const PanelButton> panelButtons();
std::span<const PanelGroup> panelGroups();
std::span<const PanelLabel> panelLabels();

// The button of that name, or nullptr.
const PanelButton* findPanelButton(std::string_view name);
// The hold button with that repeat code, or nullptr.
const PanelButton* findRepeatButton(int repeatCode);

// The status frame: "Status" and the status label, hidden while the command
// list is open.
inline constexpr std::string_view kStatusFrame = "Frame15";
// The captions beside the monitor lines and the status label.
inline constexpr std::string_view kSentCaption = "Label9";     // "TxD"
inline constexpr std::string_view kReceivedCaption = "Label10"; // "RxD"
inline constexpr std::string_view kStatusCaption = "Label26";  // "Status"

// Client area of the window, and the heights (outer, title and border
// included) it switches between.
inline constexpr int kClientWidth = 10185;
inline constexpr int kClientHeight = 7620;
inline constexpr int kCollapsedHeight = 5780;
inline constexpr int kExpandedHeight = 8100;
inline constexpr int kExpandedThreshold = 7000;
// Everything at this top or lower lies in the part only the expanded height shows.
inline constexpr int kExpandedAreaTop = 5380;
// Everything else ends at or above this: the client height the collapsed
// window leaves.
inline constexpr int kCollapsedClientBottom = 5300;

} // namespace orva
