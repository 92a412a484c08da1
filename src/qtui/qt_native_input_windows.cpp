#include "qtui/qt_native_input.h"

#include <windows.h>

namespace orva {

bool nativeKeyStillDown(const QKeyEvent&)
{
    return false; // Windows sends a held key as presses only
}

std::optional<bool> nativeMouseButtonDown()
{
    const SHORT state = GetAsyncKeyState(VK_LBUTTON) | GetAsyncKeyState(VK_MBUTTON) | GetAsyncKeyState(VK_RBUTTON);
    return (state & 0x8000) != 0;
}

} // namespace orva
