#include "settings/qt_settings_place.h"

namespace orva {

bool storeIsAFile(const QSettings&)
{
    return true; // the native format is an INI file here
}

} // namespace orva
