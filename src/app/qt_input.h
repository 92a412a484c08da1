#pragma once

// The keyboard and the mouse as the windows need them beyond what Qt's
// widgets do by themselves.
class QAbstractButton;
class QKeyEvent;

namespace orva {

// Whether a mouse button (left, middle or right) is down at this moment. On
// X11 and Windows the device itself is asked, so a release that went to
// another program counts; elsewhere it is what Qt last saw.
bool anyMouseButtonDown();

// Whether the key of a release event is still held: then the release is one
// of the key's auto-repeat, not the operator's. On X11 the keyboard itself
// is asked (Qt's own auto-repeat flag depends on the next event having
// arrived in time); elsewhere Qt's flag is trusted.
bool keyStillDown(const QKeyEvent& release);
// Tests replace the question; nullptr puts the real one back.
using KeyStillDownProbe = bool (*)(const QKeyEvent& release);
void setKeyStillDownProbe(KeyStillDownProbe probe);

// Space and Return both click the focused button, once per key stroke: the
// button goes down at the key's press and clicks at its release, and the
// key's auto-repeat does nothing. The button's own keyboard handling of
// those keys is replaced.
void clickOnSpaceAndReturn(QAbstractButton* button);

} // namespace orva
