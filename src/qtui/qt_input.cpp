#include "qtui/qt_input.h"

#include "qtui/qt_native_input.h"

#include <QAbstractButton>
#include <QGuiApplication>
#include <QKeyEvent>


namespace orva {
namespace {

bool realKeyStillDown(const QKeyEvent& release)
{
    return release.isAutoRepeat() || nativeKeyStillDown(release);
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
    if (const std::optional<bool> down = nativeMouseButtonDown())
        return *down;
    return (QGuiApplication::mouseButtons() & (Qt::LeftButton | Qt::MiddleButton | Qt::RightButton)) != 0;
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
