#include "qtui/qt_native_input.h"

#include <QGuiApplication>

// Asked of the X server when Qt runs on X11 and libxcb was found; else (a
// Wayland session, offscreen) nothing can be asked.
#if defined(ORVA_HAVE_XCB) && QT_CONFIG(xcb)
#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>

#include <cstdlib>

namespace orva {
namespace {

xcb_connection_t* x11Connection()
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

} // namespace

bool nativeKeyStillDown(const QKeyEvent& release)
{
    // On X11 the native scan code is the key code.
    const quint32 code = release.nativeScanCode();
    xcb_connection_t* c = x11Connection();
    if (!c || code == 0 || code > 255)
        return false;
    xcb_query_keymap_reply_t* keys = xcb_query_keymap_reply(c, xcb_query_keymap(c), nullptr);
    if (!keys)
        return false;
    const bool down = (keys->keys[code / 8] >> (code % 8)) & 1;
    std::free(keys);
    return down;
}

std::optional<bool> nativeMouseButtonDown()
{
    xcb_connection_t* c = x11Connection();
    if (!c)
        return std::nullopt;
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    if (!screen)
        return std::nullopt;
    xcb_query_pointer_reply_t* pointer = xcb_query_pointer_reply(c, xcb_query_pointer(c, screen->root), nullptr);
    if (!pointer)
        return std::nullopt;
    const bool down =
        pointer->mask & (XCB_KEY_BUT_MASK_BUTTON_1 | XCB_KEY_BUT_MASK_BUTTON_2 | XCB_KEY_BUT_MASK_BUTTON_3);
    std::free(pointer);
    return down;
}

} // namespace orva

#else

namespace orva {

bool nativeKeyStillDown(const QKeyEvent&)
{
    return false;
}

std::optional<bool> nativeMouseButtonDown()
{
    return std::nullopt;
}

} // namespace orva

#endif
