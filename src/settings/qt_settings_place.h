#pragma once

#include <QSettings>

namespace orva {

// Whether the settings are a file this program reads and writes through the
// library (an INI file, checked before it is written back) or the system's
// own store (the Windows registry), one file per platform
// (qt_settings_place_posix.cpp, qt_settings_place_windows.cpp).
bool storeIsAFile(const QSettings& settings);

} // namespace orva
