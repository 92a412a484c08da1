#pragma once

// Key strokes as an X server delivers them to a focused widget: time-stamped,
// and a held key as a release and a press with one time stamp, over and
// over, which Qt does not always manage to flag as auto-repeat.
#include "app/qt_input.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

namespace orva::test {

class XKeyboard {
public:
    XKeyboard()
    {
        setKeyStillDownProbe([](const QKeyEvent& e) { return e.isAutoRepeat() || held_; });
    }
    ~XKeyboard() { setKeyStillDownProbe(nullptr); }
    XKeyboard(const XKeyboard&) = delete;
    XKeyboard& operator=(const XKeyboard&) = delete;

    // One stroke: down, then up 80 ms later.
    void stroke(QWidget* w, int key)
    {
        held_ = true;
        send(w, QEvent::KeyPress, key, false);
        time_ += 80;
        held_ = false;
        send(w, QEvent::KeyRelease, key, false);
        time_ += 200;
    }

    // The key held through `repeats` rounds of auto-repeat, flagged as such
    // by Qt or not.
    void hold(QWidget* w, int key, int repeats, bool flagged)
    {
        held_ = true;
        send(w, QEvent::KeyPress, key, false);
        time_ += 500;
        for (int i = 0; i < repeats; ++i) {
            send(w, QEvent::KeyRelease, key, flagged);
            send(w, QEvent::KeyPress, key, flagged);
            time_ += 40;
        }
        held_ = false;
        send(w, QEvent::KeyRelease, key, false);
        time_ += 200;
    }

    // Only the repeats of a key that went down elsewhere, and its release.
    void heldFromElsewhere(QWidget* w, int key, int repeats)
    {
        held_ = true;
        for (int i = 0; i < repeats; ++i) {
            time_ += 40;
            send(w, QEvent::KeyRelease, key, false);
            send(w, QEvent::KeyPress, key, false);
        }
        held_ = false;
        time_ += 40;
        send(w, QEvent::KeyRelease, key, false);
    }

private:
    void send(QWidget* w, QEvent::Type type, int key, bool autoRepeat)
    {
        const QString text = key == Qt::Key_Space ? QStringLiteral(" ") : QStringLiteral("\r");
        QKeyEvent event(type, key, Qt::NoModifier, text, autoRepeat);
        event.setTimestamp(time_);
        QApplication::sendEvent(w, &event);
    }

    static inline bool held_ = false;
    quint64 time_ = 100000;
};

} // namespace orva::test
