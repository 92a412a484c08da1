#pragma once

namespace orva {

// The application object as the program runs it: organisation "ORVA" for the
// settings, its icon, and no display name (Qt would append one to every
// window title, which must read exactly as the window's caption). The
// program ends with its main window, not with the last window.
void configureApplication();

} // namespace orva
