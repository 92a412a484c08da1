#pragma once

#include <QSettings>

#include <memory>

namespace orva {

// Whether the settings are a file this program reads and writes through the
// library (an INI file, checked before it is written back) or the system's
// own store (the Windows registry), one file per platform
// (qt_settings_place_posix.cpp, qt_settings_place_windows.cpp).
bool storeIsAFile(const QSettings& settings);

// The user's settings of organisation "ORVA" in the platform's own store:
// ~/.config/ORVA.conf, or the registry key HKEY_CURRENT_USER\Software\ORVA
// itself (Qt would put an organisation without an application one level
// lower, in "OrganizationDefaults").
std::unique_ptr<QSettings> openUserSettings();

} // namespace orva
