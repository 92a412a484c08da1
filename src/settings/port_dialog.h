#pragma once

#include "line/serial_port.h"
#include "link/view.h"
#include "settings/settings_store.h"
#include "settings/stored_settings.h"

#include <array>
#include <string>

namespace orva {

// The port dialog's controls, by the object names its view gives them; the
// option buttons are PortDialog::optionName(1..7).
namespace port_dialog {
inline constexpr std::string_view kBaudFrame = "Frame1";
inline constexpr std::string_view kPortFrame = "Frame2";
inline constexpr std::string_view kOtherField = "Text1";
inline constexpr std::string_view kOtherLabel = "Label1";
inline constexpr std::string_view kOk = "Command1";
inline constexpr std::string_view kCancel = "Command2";
} // namespace port_dialog

// The port dialog's window: option buttons (checked or not), the OTHER
// field, the warning box and closing.
class PortDialogView : public View {
public:
    virtual void setChecked(std::string_view option, bool checked) = 0;
    virtual void selectText(std::string_view field, int start, int length) = 0;
    // The modal warning: exclamation icon and one OK button, and under its
    // text `detail`: which port, and why it did not open.
    virtual void showWarning(const std::string& text, const std::string& title, const std::string& detail) = 0;
    // Why the last open failed, in a red line at the dialog's foot (`brief`:
    // the port and the reason) with all of it (`full`) at hand; empty hides
    // it.
    virtual void showOpenFailure(const std::string& brief, const std::string& full) = 0;
    // Closes the dialog window for good; it goes, with its behaviour, once
    // the current event has been handled.
    virtual void closeWindow() = 0;
};

class PortDialog;

// Why COM port `number` did not open, for the operator: the port, what it
// maps to and the system's reason.
struct OpenFailure {
    std::string port;   // "COM3"
    std::string target; // "/dev/ttyUSB0"; empty when there is none to name
    std::string reason;
    // "COM3 (/dev/ttyUSB0): No such file or directory"
    std::string text() const;
    // "COM3: No such file or directory"
    std::string brief() const { return port + ": " + reason; }
};
OpenFailure openFailureOf(int number, const SerialPort& port);

// What the dialog needs of the rest of the program.
class PortDialogHost {
public:
    virtual ~PortDialogHost() = default;
    virtual void showMainWindow() = 0;
    // The port opened (by OK or by Cancel's return to the previous port).
    virtual void portOpened() = 0;
    // OK stored the choice, or says why it could not (the port is open
    // either way).
    virtual void choiceStored(const StoreOutcome& outcome) = 0;
    // The dialog is over (OK or Cancel succeeded, or it was closed through
    // the window system): it will call nothing any more.
    virtual void portDialogClosed(PortDialog& dialog) = 0;
    // The operator has dismissed the warning box.
    virtual void warningClosed() = 0;
};

// "  COM PORT": picks the COM port and baud rate, applies them to the serial
// control, opens the port and stores the choice. Once it is over (closed, or
// abandoned) every handler does nothing, so its window may still pass on
// events until it has gone.
class PortDialog {
public:
    static constexpr const char* kWarningText = "Retry Comport";
    static constexpr const char* kWarningTitle = "Error";

    // The option buttons, by number: the two baud rates, then COM1 to COM5.
    static constexpr int kOption9600 = 1;
    static constexpr int kOption19200 = 2;
    static constexpr int kOptionCom1 = 3;
    static constexpr int kOptionCom5 = 7;
    static constexpr int kOptions = 7;
    // "Option1" .. "Option7".
    static std::string_view optionName(int option);

    PortDialog(PortChoice& choice, SerialPort& port, SettingsStore& store, PortDialogHost& host);

    void attach(PortDialogView& view) { view_ = &view; }

    void load();                                // Form_Load
    void optionClick(int option);               // Option1_Click .. Option7_Click
    void otherFieldChange(const std::string& text); // Text1_Change
    void ok();                                  // Command1_Click
    void cancel();                              // Command2_Click
    void closedByWindowSystem();
    // Start-up could not open the stored port: the dialog says why.
    void reportOpenFailure(const OpenFailure& failure);
    // Ends the dialog without telling the host (the host itself is going).
    void abandon();

    // State, as shown.
    bool isChecked(int option) const { return checked_.at(static_cast<std::size_t>(option)); }
    const std::string& otherField() const { return otherField_; }
    bool isOpen() const { return open_; }

    // Selects an option as the program does: it becomes checked (clearing
    // the others of its group) and its click handler runs.
    void select(int option);
    // Sets the OTHER field's text; its change handler runs when it changed.
    void setOtherField(const std::string& text);

private:
    void applyBaudOption();
    void warn(const std::string& detail);
    void openFailed();
    void finish();

    PortChoice& choice_;
    SerialPort& port_;
    SettingsStore& store_;
    PortDialogHost& host_;
    PortDialogView* view_ = nullptr;

    std::array<bool, kOptions + 1> checked_{}; // index 1..kOptions
    std::string otherField_ = "0";
    bool open_ = true;
};

} // namespace orva
