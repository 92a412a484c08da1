#pragma once

#include "app/program.h"

#include <QList>
#include <QPointer>

class QWidget;

namespace orva {

class QtMainWindow;
class QtPortDialog;
class QtReferenceWindow;

// The window system for the program: screen, main window, the port dialog
// and the reference window (each created anew at its next showing, and
// freed by Qt once closed).
class QtShell : public Shell {
public:
    explicit QtShell(QtMainWindow& main) : main_(main) {}
    ~QtShell() override;
    QtShell(const QtShell&) = delete;
    QtShell& operator=(const QtShell&) = delete;

    Size screenTwips() const override;
    Area availableTwips() const override;
    double mainOuterWidthTwips() const override;
    void moveMainWindow(double leftTwips, double topTwips) override;
    void showMainWindow() override;
    void attachMainWindow(Panel* panel, std::function<void()> closed) override;
    void setMainFrameHandler(std::function<void()> handler) override;
    int doubleClickIntervalMs() const override;

    void createPortDialogWindow(std::unique_ptr<PortDialog> dialog) override;
    void showPortDialogWindow(bool modal) override;
    void raisePortDialogWindow() override;

    void createReferenceWindow(std::unique_ptr<ReferenceWindow> window) override;
    void showReferenceWindow() override;

    void quit() override;

    // The latest of each, or nullptr once it has gone.
    QtPortDialog* portDialogWindow() const;
    QtReferenceWindow* referenceWindow() const;

private:
    QtMainWindow& main_;
    QPointer<QtPortDialog> dialog_;
    QPointer<QtReferenceWindow> reference_;
    // Every window made here that Qt has not freed yet; what remains at the
    // end goes with the shell.
    QList<QPointer<QWidget>> windows_;
};

} // namespace orva
