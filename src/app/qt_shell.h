#pragma once

#include "app/program.h"

#include <QPointer>

class QWidget;

namespace orva {

class QtMainWindow;
class QtPortDialog;
class QtReferenceWindow;

// The window system for the program: screen, main window, the port dialog
// and the reference window (each created anew at its next showing).
class QtShell : public Shell {
public:
    explicit QtShell(QtMainWindow& main) : main_(main) {}
    ~QtShell() override;
    QtShell(const QtShell&) = delete;
    QtShell& operator=(const QtShell&) = delete;

    Size screenTwips() const override;
    double mainOuterWidthTwips() const override;
    void moveMainWindow(double leftTwips, double topTwips) override;
    void showMainWindow() override;

    PortDialogView& createPortDialogWindow(PortDialog& dialog) override;
    void showPortDialogWindow(bool modal) override;
    void raisePortDialogWindow() override;

    ReferenceView& createReferenceWindow(ReferenceWindow& window) override;
    void showReferenceWindow() override;

    void quit() override;

    QtPortDialog* portDialogWindow() const;
    QtReferenceWindow* referenceWindow() const;

private:
    QtMainWindow& main_;
    QPointer<QtPortDialog> dialog_;
    QPointer<QtReferenceWindow> reference_;
};

} // namespace orva
