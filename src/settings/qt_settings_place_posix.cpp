#include "settings/qt_settings_place.h"

namespace orva {

bool storeIsAFile(const QSettings&)
{
    return true; // the native format is an INI file here
}

std::unique_ptr<QSettings> openUserSettings()
{
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("ORVA"));
}

} // namespace orva
