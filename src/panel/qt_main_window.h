#pragma once

#include "panel/panel.h"

#include <QHash>
#include <QWidget>

#include <functional>
#include <string>
#include <string_view>

class QCloseEvent;
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
    // Called when the window system closes the window.
    void setCloseHandler(std::function<void()> handler);
    // Outer width (frame included) in twips; the client width plus a border
    // while the frame is not known yet.
    double outerWidthTwips() const;

    // MainView
    void setCaption(std::string_view control, const std::string& text) override;
    void setControlVisible(std::string_view control, bool visible) override;
    void setOuterHeight(int twips) override;

    // The control of that object name, or nullptr.
    QWidget* control(std::string_view name) const;
    // The face the captions use: the first installed of the panel's faces.
    static QString fontFamily();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    bool holdButtonEvent(QObject* watched, QEvent* event);
    bool keyPreviewEvent(QObject* watched, QEvent* event);

    Panel* panel_ = nullptr;
    std::function<void()> closeHandler_;
    QHash<QString, QWidget*> controls_;
    QHash<QObject*, QString> holdButtons_;
    QObject* holdFilter_ = nullptr;
    QObject* keyFilter_ = nullptr;
};

} // namespace orva
