#pragma once

#include <QSettings>

#include <memory>

namespace orva {

// Whether the settings are a file this program reads and writes through the
// library (an INI file, checked before it is written back) or the system's
// own store (the Windows registry), one file per platform
// (qt_settings_place_posix.cpp, qt_settings_place_windows.cpp).
bool storeIsAFile(const QSettings& settings);

// The user's own settings of the program: ~/.config/ORVA.conf
// ($XDG_CONFIG_HOME), on Windows the registry key
// HKEY_CURRENT_USER\Software\ORVA itself (the library's own choice for an
// organisation without an application would be a key below it).
std::unique_ptr<QSettings> openUserSettings();

} // namespace orva
