#include "app/qt_shell.h"

#include "panel/qt_main_window.h"
#include "qtui/qt_twips.h"
#include "reference/qt_reference_window.h"
#include "settings/qt_port_dialog.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QStyleHints>

namespace orva {

QtShell::~QtShell()
{
    main_.setFrameHandler({});
    main_.unbind();
    main_.setCloseHandler({});
    for (const QPointer<QWidget>& w : windows_)
        delete w.data();
}

QtPortDialog* QtShell::portDialogWindow() const
{
    return dialog_.data();
}

QtReferenceWindow* QtShell::referenceWindow() const
{
    return reference_.data();
}

Shell::Size QtShell::screenTwips() const
{
    const QScreen* screen = main_.screen() ? main_.screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return {};
    const QRect r = screen->geometry();
    return {r.width() * double{kTwipsPerPixel}, r.height() * double{kTwipsPerPixel}};
}

Shell::Area QtShell::availableTwips() const
{
    const QScreen* screen = main_.screen() ? main_.screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return {};
    const QRect r = screen->availableGeometry();
    const double t = kTwipsPerPixel;
    return {r.left() * t, r.top() * t, r.width() * t, r.height() * t};
}

double QtShell::mainOuterWidthTwips() const
{
    return main_.outerWidthTwips();
}

void QtShell::moveMainWindow(double leftTwips, double topTwips)
{
    main_.move(static_cast<int>(leftTwips / kTwipsPerPixel), static_cast<int>(topTwips / kTwipsPerPixel));
}

void QtShell::showMainWindow()
{
    main_.show();
    main_.raise();
    main_.activateWindow();
}

void QtShell::attachMainWindow(Panel* panel, std::function<void()> closed)
{
    if (panel)
        main_.bind(*panel);
    else
        main_.unbind();
    main_.setCloseHandler(std::move(closed));
}

void QtShell::setMainFrameHandler(std::function<void()> handler)
{
    main_.setFrameHandler(std::move(handler));
}

int QtShell::doubleClickIntervalMs() const
{
    return QGuiApplication::styleHints()->mouseDoubleClickInterval();
}

void QtShell::createPortDialogWindow(std::unique_ptr<PortDialog> dialog)
{
    windows_.removeIf([](const QPointer<QWidget>& w) { return w.isNull(); });
    dialog_ = new QtPortDialog(std::move(dialog));
    windows_.append(dialog_.data());
}

void QtShell::showPortDialogWindow(bool modal)
{
    if (!dialog_)
        return;
    dialog_->setWindowModality(modal ? Qt::ApplicationModal : Qt::NonModal);
    dialog_->show();
    dialog_->raise();
    dialog_->activateWindow();
}

void QtShell::raisePortDialogWindow()
{
    if (dialog_) {
        dialog_->raise();
        dialog_->activateWindow();
    }
}

void QtShell::createReferenceWindow(std::unique_ptr<ReferenceWindow> window)
{
    windows_.removeIf([](const QPointer<QWidget>& w) { return w.isNull(); });
    reference_ = new QtReferenceWindow(std::move(window));
    windows_.append(reference_.data());
}

void QtShell::showReferenceWindow()
{
    if (reference_) {
        reference_->show();
        reference_->raise();
        reference_->activateWindow();
    }
}

void QtShell::quit()
{
    if (dialog_)
        dialog_->hide();
    if (reference_)
        reference_->hide();
    QApplication::quit();
}

} // namespace orva
