#include "app/command_line.h"

namespace orva {
namespace {

constexpr const char* kHelp =
    "Usage: orva-control [OPTION]...\n"
    "A remote control for ORVA QLN40, QLN45 and QLN50 projectors over RS-232C:\n"
    "buttons that send commands, a line monitor of what goes out and comes back,\n"
    "the replies in words, and the projector's command catalogues.\n"
    "\n"
    "  -h, --help     show this help and exit\n"
    "  -v, --version  show the version and exit\n"
    "\n"
    "The standard options of Qt programs (-display, -platform, ...) are taken too.\n"
    "The port and baud rate are chosen in the window and stored in\n"
    "$XDG_CONFIG_HOME/ORVA.conf (~/.config/ORVA.conf), whose [Ports] section maps\n"
    "COM1-COM15 to devices, tcp://HOST:PORT or rfc2217://HOST:PORT.\n"
    "The window needs a display; orva-ctl(1) commands the projector from the shell.\n"
    "\n"
    "Exit status: 0 after END or closing the window, 1 without a display,\n"
    "64 for an argument it does not know.\n"
    "See orva-control(1).\n";

bool empty(const char* s)
{
    return !s || !*s;
}

} // namespace

std::optional<int> answerCommandLine(const std::vector<std::string_view>& arguments, std::string_view version,
                                     std::FILE* out)
{
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string_view a = arguments[i];
        if (a == "--")
            break;
        if (a == "-h" || a == "--help") {
            std::fputs(kHelp, out);
            return 0;
        }
        if (a == "-v" || a == "--version") {
            std::fprintf(out, "orva-control %.*s\n", static_cast<int>(version.size()), version.data());
            return 0;
        }
    }
    return std::nullopt;
}

std::optional<std::string> missingDisplay(const std::vector<std::string_view>& arguments, DisplayEnvironment env)
{
    const char* platform = env.platform;
    const char* x11Display = env.x11Display;
    for (std::size_t i = 1; i + 1 < arguments.size(); ++i) {
        if (arguments[i] == "-platform")
            platform = arguments[i + 1].data();
        else if (arguments[i] == "-display")
            x11Display = arguments[i + 1].data();
    }
    const char* waylandDisplay = env.waylandDisplay;
    const std::string_view p = empty(platform) ? std::string_view() : std::string_view(platform);
    const bool x11 = p.empty() || p.starts_with("xcb");
    const bool wayland = p.starts_with("wayland");
    if (p.empty() && (!empty(x11Display) || !empty(waylandDisplay)))
        return std::nullopt;
    if (x11 && empty(x11Display))
        return std::string("DISPLAY is not set");
    if (wayland && empty(waylandDisplay))
        return std::string("WAYLAND_DISPLAY is not set");
    return std::nullopt;
}

std::string noDisplayLine(const std::string& why)
{
    return "orva-control: no display to show the window on (" + why
        + "); start it in a desktop session, or use orva-ctl from the shell";
}

} // namespace orva
