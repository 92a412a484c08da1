#pragma once

#include <QKeyEvent>

#include <optional>

namespace orva {

// What the window system itself says of the keyboard and the mouse, beyond
// Qt's events; one file per platform (qt_native_input_x11.cpp,
// qt_native_input_windows.cpp).

// Whether the key `release` lets go of is in fact still held: false when it
// is up or cannot be told.
bool nativeKeyStillDown(const QKeyEvent& release);

// Whether a mouse button (left, middle, right) is down now, asked of the
// system rather than of Qt's record of its events; nothing when it cannot
// be asked.
std::optional<bool> nativeMouseButtonDown();

} // namespace orva
