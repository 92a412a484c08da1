#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orva {

// What orva-control's command line asks for before any window exists: its
// own options (--help, --version) are answered on `out` at once, with no
// display and no port; anything else is left to the toolkit, which takes
// its standard options (-display, -platform, ...).
// Returns the exit status when the program is done, nothing when it runs.
std::optional<int> answerCommandLine(const std::vector<std::string_view>& arguments, std::string_view version,
                                     std::FILE* out);

// Why the window cannot be shown, from the command line and the
// environment alone: a platform (-platform, else QT_QPA_PLATFORM) that needs
// a display server whose address (-display, else DISPLAY or WAYLAND_DISPLAY)
// is not set. Nothing when it may be tried (the toolkit may still fail to
// reach the server).
struct DisplayEnvironment {
    const char* platform = nullptr;
    const char* x11Display = nullptr;
    const char* waylandDisplay = nullptr;
};
std::optional<std::string> missingDisplay(const std::vector<std::string_view>& arguments, DisplayEnvironment env);

// The one line said when the window has no display, and the exit status.
std::string noDisplayLine(const std::string& why);
inline constexpr int kNoDisplayStatus = 1;
// An argument that is neither ours nor the toolkit's.
inline constexpr int kUsageStatus = 64;

} // namespace orva
