#include "settings/qt_settings_place.h"

namespace orva {

bool storeIsAFile(const QSettings& settings)
{
    // The native format is the registry (HKEY_CURRENT_USER\Software\ORVA).
    return settings.format() != QSettings::NativeFormat;
}

std::unique_ptr<QSettings> openUserSettings()
{
    return std::make_unique<QSettings>(QStringLiteral("HKEY_CURRENT_USER\\Software\\ORVA"), QSettings::NativeFormat);
}

} // namespace orva
