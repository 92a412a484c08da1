#include "settings/port_dialog.h"

#include <string_view>
#include <utility>

namespace orva {
namespace {

constexpr std::array<std::string_view, PortDialog::kOptions + 1> kOptionNames{
    "", "Option1", "Option2", "Option3", "Option4", "Option5", "Option6", "Option7"};
using port_dialog::kOtherField;

bool isBaudOption(int option)
{
    return option == PortDialog::kOption9600 || option == PortDialog::kOption19200;
}

bool isOption(int option)
{
    return option >= 1 && option <= PortDialog::kOptions;
}

// The options that exclude each other with `option`: its group.
std::pair<int, int> groupOf(int option)
{
    if (isBaudOption(option))
        return {PortDialog::kOption9600, PortDialog::kOption19200};
    return {PortDialog::kOptionCom1, PortDialog::kOptionCom5};
}

// Option3 is COM1.
constexpr int kComOffset = PortDialog::kOptionCom1 - 1;

} // namespace

std::string OpenFailure::text() const
{
    return (target.empty() ? port : port + " (" + target + ")") + ": " + reason;
}

OpenFailure openFailureOf(int number, const SerialPort& port)
{
    OpenFailure f;
    f.port = "COM" + std::to_string(number);
    f.target = port.deviceName();
    f.reason = port.reasonText(f.port); // the port is named once, here
    if (f.target == f.port)
        f.target.clear();
    if (f.reason.empty())
        f.reason = "it did not open";
    return f;
}

std::string_view PortDialog::optionName(int option)
{
    return isOption(option) ? kOptionNames[static_cast<std::size_t>(option)] : std::string_view();
}

PortDialog::PortDialog(PortChoice& choice, SerialPort& port, SettingsStore& store,
                       PortDialogHost& host)
    : choice_(choice), port_(port), store_(store), host_(host)
{
}

void PortDialog::load()
{
    const int option = choice_.portNumber + kComOffset;
    if (option >= kOptionCom1 && option <= kOptionCom5)
        select(option);
    applyBaudOption();
    if (view_)
        view_->selectText(kOtherField, 0, 1);
}

void PortDialog::applyBaudOption()
{
    if (choice_.baudCode == kBaud9600) {
        port_.setSettings(lineSettings(kBaud9600));
        select(kOption9600);
    } else {
        port_.setSettings(lineSettings(kBaud19200));
        select(kOption19200);
        choice_.baudCode = kBaud19200;
    }
}

void PortDialog::select(int option)
{
    if (!open_ || !isOption(option))
        return;
    const auto [first, last] = groupOf(option);
    for (int o = first; o <= last; ++o) {
        const bool on = (o == option);
        if (checked_[static_cast<std::size_t>(o)] != on) {
            checked_[static_cast<std::size_t>(o)] = on;
            if (view_)
                view_->setChecked(optionName(o), on);
        }
    }
    optionClick(option);
}

void PortDialog::optionClick(int option)
{
    if (!open_ || !isOption(option))
        return;
    // The operator's click checks the option in the window; keep the model
    // in step without raising the handler twice.
    const auto [first, last] = groupOf(option);
    for (int o = first; o <= last; ++o)
        checked_[static_cast<std::size_t>(o)] = (o == option);

    if (option == kOption9600)
        choice_.baudCode = kBaud9600;
    else if (option == kOption19200)
        choice_.baudCode = kBaud19200;
    else
        choice_.portNumber = static_cast<std::int16_t>(option - kComOffset);
}

void PortDialog::setOtherField(const std::string& text)
{
    if (!open_ || text == otherField_)
        return;
    otherField_ = text;
    if (view_)
        view_->setCaption(kOtherField, otherField_);
    otherFieldChange(otherField_);
}

void PortDialog::otherFieldChange(const std::string& text)
{
    if (!open_)
        return;
    otherField_ = text;
    if (const auto port = otherFieldPort(text)) {
        choice_.portNumber = *port;
        return;
    }
    // Not a usable port: back to "0", the port number unchanged.
    setOtherField("0");
}

void PortDialog::ok()
{
    if (!open_)
        return;
    port_.setSettings(lineSettings(choice_.baudCode));
    if (choice_.portNumber == 0) {
        warn("No port is chosen: pick COM1 to COM5, or type 1 to 15 in OTHER.");
        return;
    }
    if (!port_.setPortNumber(choice_.portNumber) || !port_.open()) {
        openFailed();
        return;
    }
    const StoreOutcome stored = storePortChoice(store_, choice_.portNumber, choice_.baudCode);
    host_.portOpened();
    host_.choiceStored(stored);
    finish();
    host_.showMainWindow();
}

void PortDialog::cancel()
{
    if (!open_)
        return;
    choice_.portNumber = choice_.previousPortNumber;
    if (isUsablePort(choice_.portNumber)) {
        choice_.baudCode = choice_.previousBaudCode;
        applyBaudOption();
        if (!port_.setPortNumber(choice_.portNumber) || !port_.open()) {
            openFailed();
            return;
        }
        host_.portOpened();
        finish();
        host_.showMainWindow();
        return;
    }
    // No port to go back to. The port is closed while this dialog is open,
    // so in practice only the warning is shown and the dialog stays.
    // (The warning comes first here: closing ends the dialog's window.)
    warn("There is no earlier port to go back to: choose a port and press OK.");
    if (port_.isOpen()) {
        port_.close();
        finish();
    }
}

void PortDialog::closedByWindowSystem()
{
    if (!open_)
        return;
    open_ = false;
    host_.portDialogClosed(*this);
}

void PortDialog::abandon()
{
    if (!open_)
        return;
    open_ = false;
    if (view_)
        view_->closeWindow();
}

void PortDialog::reportOpenFailure(const OpenFailure& failure)
{
    if (open_ && view_)
        view_->showOpenFailure(failure.brief(), failure.text());
}

void PortDialog::openFailed()
{
    const OpenFailure failure = openFailureOf(choice_.portNumber, port_);
    reportOpenFailure(failure);
    warn(failure.text());
}

void PortDialog::warn(const std::string& detail)
{
    if (!view_)
        return;
    view_->showWarning(kWarningText, kWarningTitle, detail);
    host_.warningClosed();
}

void PortDialog::finish()
{
    if (!open_)
        return;
    open_ = false;
    if (view_)
        view_->closeWindow();
    host_.portDialogClosed(*this);
}

} // namespace orva
