#pragma once

#include "panel/panel.h"

#include <QElapsedTimer>
#include <QHash>
#include <QWidget>

#include <functional>
#include <string>
#include <string_view>

class QCloseEvent;
class QTimer;
class QEvent;

namespace orva {

// The main window (`Form1`): the remote control. Built entirely from the
// panel tables; every control carries its table name as object name. The
// behaviour (Panel, Link) keeps the state and pushes it here.
class QtMainWindow : public QWidget, public MainView {
public:
    explicit QtMainWindow(QWidget* parent = nullptr);
    ~QtMainWindow() override;
    QtMainWindow(const QtMainWindow&) = delete;
    QtMainWindow& operator=(const QtMainWindow&) = delete;

    // Connects the buttons and the key preview to the panel.
    void bind(Panel& panel);
    // The buttons and keys reach no panel any more.
    void unbind() { panel_ = nullptr; }
    // Called when the window system closes the window.
    void setCloseHandler(std::function<void()> handler);
    // Called once the window system has framed the window, and whenever the
    // frame changes.
    void setFrameHandler(std::function<void()> handler);
    // Outer width (frame included) in twips; the client width plus a border
    // while the frame is not known yet.
    double outerWidthTwips() const;

    // MainView
    void setCaption(std::string_view control, const std::string& text) override;
    void appendCaption(std::string_view control, std::string_view tail, const std::string& whole) override;
    void setControlVisible(std::string_view control, bool visible) override;
    void setOuterHeight(int twips) override;
    void setExpandedAreaShown(bool shown) override;
    bool mouseButtonDown() const override;

    // The control of that object name, or nullptr.
    QWidget* control(std::string_view name) const;
    // The face the captions use: the first installed of the panel's faces.
    static QString fontFamily();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;

private:
    bool holdButtonEvent(QObject* watched, QEvent* event);
    bool keyPreviewEvent(QObject* watched, QEvent* event);
    bool platformWindowEvent(QEvent* event);
    void interruptHold();
    void applyOuterHeight();
    void frameMaybeChanged();
    void showReceivedSoon();
    void showReceivedNow();

    Panel* panel_ = nullptr;
    std::function<void()> closeHandler_;
    std::function<void()> frameHandler_;
    QHash<QString, QWidget*> controls_;
    QHash<QObject*, QString> holdButtons_;
    // Everything that only the expanded height shows.
    QWidget* expandedArea_ = nullptr;
    QObject* holdFilter_ = nullptr;
    QObject* keyFilter_ = nullptr;
    QObject* platformWindowFilter_ = nullptr;
    int outerHeightTwips_ = 0;
    QSize knownFrame_;
    // A hold ended without its release: that release, if it ever comes, is
    // not a second one.
    bool swallowRelease_ = false;
    // The received line can change with every byte that arrives, far more
    // often than a screen shows: its label takes the caption at once, or,
    // within a frame of the last time, when that frame is over.
    QString received_;
    QTimer* receivedTimer_ = nullptr;
    QElapsedTimer receivedShown_;
};

} // namespace orva
