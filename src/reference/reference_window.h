#pragma once

#include "link/link.h"
#include "link/view.h"

#include <array>
#include <functional>
#include <string>
#include <string_view>

namespace orva {

// The command list window's controls, by the object names its view gives
// them.
namespace command_list {
inline constexpr std::string_view kBasicList = "Combo1";
inline constexpr std::string_view kExpandedSetList = "Combo2";
inline constexpr std::string_view kExpandedReadList = "Combo3";
inline constexpr std::string_view kEditBox = "Text1";
inline constexpr std::string_view kCrHint = "Label2";
inline constexpr std::string_view kParameterHint = "Label1";
inline constexpr std::string_view kSend = "Command1";
inline constexpr std::string_view kClose = "Command2";
inline constexpr std::string_view kShowBasic = "Command3";
inline constexpr std::string_view kShowExpandedSet = "Command4";
inline constexpr std::string_view kShowExpandedRead = "Command5";
} // namespace command_list

// The command list window as its behaviour sees it.
class ReferenceView : public View {
public:
    // Selects entry `index` of the list of that name (ReferenceWindow::listName).
    virtual void setCurrentIndex(std::string_view list, int index) = 0;
    virtual void setFocus(std::string_view control) = 0;
    virtual void setOuterHeight(int twips) = 0;
    virtual void setTop(std::string_view control, int twips) = 0;
    // Closes the window for good; it goes, with its behaviour, once the
    // current event has been handled.
    virtual void closeWindow() = 0;
};

// The text sent for a catalogue entry or an edit box: everything before the
// first "[" (all of it when there is none), nothing trimmed.
std::string_view commandTextOf(std::string_view entry);

// "Command List": pick a catalogued command, edit it, send it through the
// main window's link. It never changes the panel command. Once closed (or
// abandoned) every handler does nothing, so its window may still pass on
// events until it has gone.
class ReferenceWindow {
public:
    static constexpr int kBasic = 1;        // Combo1
    static constexpr int kExpandedSet = 2;  // Combo2
    static constexpr int kExpandedRead = 3; // Combo3
    static constexpr int kOuterHeight = 2500;
    static constexpr int kListTop = 1560;

    explicit ReferenceWindow(Link& link);

    // The control that shows list kBasic, kExpandedSet or kExpandedRead.
    static std::string_view listName(int list);

    void attach(ReferenceView& view) { view_ = &view; }
    // Runs once the window is gone (CLOSE, or its title-bar close box).
    void setCloseHandler(std::function<void()> handler) { onClose_ = std::move(handler); }

    void load();                               // Form_Load
    void pick(int list, int index);            // Combo1_Click .. Combo3_Click
    void editChange(const std::string& text);  // Text1_Change
    void sendCommand();                        // Command1_Click, "SEND"
    void closeWindow();                        // Command2_Click, "CLOSE"
    void closedByTitleBar();
    void switchList(int list);                 // Command3..5_Click
    // Closes without the close steps (the program itself is going).
    void abandon();

    // State, as shown.
    int visibleList() const { return visibleList_; }
    const std::string& composed() const { return composed_; }
    bool crHintVisible() const { return crHint_; }
    bool parameterHintVisible() const { return parameterHint_; }
    bool isOpen() const { return open_; }

private:
    void derive(std::string_view entry);
    void setEditText(std::string text);
    void setCrHint(bool on);
    void setParameterHint(bool on);
    void select(int list, int index);
    void showList(int list, bool on);
    void finish();

    Link& link_;
    ReferenceView* view_ = nullptr;
    std::function<void()> onClose_;

    int visibleList_ = kBasic;
    std::array<int, 4> selected_{-1, -1, -1, -1};
    std::string editText_;
    std::string composed_ = "\r";
    bool crHint_ = false;
    bool parameterHint_ = false;
    bool open_ = true;
};

} // namespace orva
