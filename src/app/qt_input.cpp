#include "app/qt_input.h"

#include <QAbstractButton>
#include <QGuiApplication>
#include <QKeyEvent>

#if defined(ORVA_HAVE_XCB) && QT_CONFIG(xcb)
#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>

#include <cstdlib>
#define ORVA_ASK_X11 1
#endif

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace orva {
namespace {

#ifdef ORVA_ASK_X11
xcb_connection_t* x11Connection()
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}
#endif

bool realKeyStillDown(const QKeyEvent& release)
{
    if (release.isAutoRepeat())
        return true;
#ifdef ORVA_ASK_X11
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
#else
    return false;
#endif
}

KeyStillDownProbe stillDownProbe = nullptr;

bool isActivationKey(int key)
{
    return key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter;
}

// One key stroke, one click.
class KeyClick : public QObject {
public:
    explicit KeyClick(QAbstractButton* button) : QObject(button), button_(button)
    {
        button->installEventFilter(this);
    }

    bool eventFilter(QObject*, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::KeyPress:
            return keyPress(*static_cast<QKeyEvent*>(event));
        case QEvent::KeyRelease:
            return keyRelease(*static_cast<QKeyEvent*>(event));
        case QEvent::FocusOut:
        case QEvent::Hide:
        case QEvent::EnabledChange:
            // The stroke cannot end here any more: no click.
            if (key_ != 0) {
                key_ = 0;
                button_->setDown(false);
            }
            return false;
        default:
            return false;
        }
    }

private:
    bool keyPress(const QKeyEvent& press)
    {
        if (!isActivationKey(press.key()))
            return false;
        // X sends a held key as a release and a press with the same time
        // stamp, over and over; a press like that is no new stroke, also
        // when the key went down while another window had the focus.
        const bool repeat = press.isAutoRepeat()
            || (press.timestamp() != 0 && press.timestamp() == releasedAt_ && press.key() == releasedKey_);
        if (key_ == 0 && !repeat && button_->isEnabled()) {
            key_ = press.key();
            button_->setDown(true);
        }
        return true;
    }

    bool keyRelease(const QKeyEvent& release)
    {
        if (!isActivationKey(release.key()))
            return false;
        releasedAt_ = release.timestamp();
        releasedKey_ = release.key();
        if (release.key() != key_ || keyStillDown(release))
            return true;
        key_ = 0;
        button_->setDown(false);
        button_->click(); // may close the window; it goes only later
        return true;
    }

    QAbstractButton* button_;
    int key_ = 0; // the key of the stroke under way
    quint64 releasedAt_ = 0;
    int releasedKey_ = 0;
};

} // namespace

bool anyMouseButtonDown()
{
#ifdef ORVA_ASK_X11
    if (xcb_connection_t* c = x11Connection()) {
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
        if (screen) {
            xcb_query_pointer_reply_t* pointer =
                xcb_query_pointer_reply(c, xcb_query_pointer(c, screen->root), nullptr);
            if (pointer) {
                const bool down = pointer->mask
                    & (XCB_KEY_BUT_MASK_BUTTON_1 | XCB_KEY_BUT_MASK_BUTTON_2 | XCB_KEY_BUT_MASK_BUTTON_3);
                std::free(pointer);
                return down;
            }
        }
    }
#endif
#ifdef Q_OS_WIN
    return ((GetAsyncKeyState(VK_LBUTTON) | GetAsyncKeyState(VK_MBUTTON) | GetAsyncKeyState(VK_RBUTTON)) & 0x8000) != 0;
#else
    return (QGuiApplication::mouseButtons() & (Qt::LeftButton | Qt::MiddleButton | Qt::RightButton)) != 0;
#endif
}

bool keyStillDown(const QKeyEvent& release)
{
    return stillDownProbe ? stillDownProbe(release) : realKeyStillDown(release);
}

void setKeyStillDownProbe(KeyStillDownProbe probe)
{
    stillDownProbe = probe;
}

void clickOnSpaceAndReturn(QAbstractButton* button)
{
    new KeyClick(button);
}

} // namespace orva
