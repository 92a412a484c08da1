#include "ctl/qt_ctl_port.h"

#include "ctl/qt_ctl_output.h"
#include "link/qt_serial_port.h"
#include "settings/stored_settings.h"

#include <QFileInfo>

#ifndef _WIN32
#include <cerrno>
#include <unistd.h>
#endif

namespace orva {

std::unique_ptr<SerialPort> openCtlPort(const ResolvedPort& port, std::string& problem)
{
    const std::string cannot = "cannot open " + port.label() + ": ";
    auto serial = std::make_unique<QtSerialPort>(
        [](int n) { return PortResolution{std::nullopt, "COM" + std::to_string(n), "not used"}; });
    serial->setTarget(port.target);
    serial->setPortNumber(port.com.value_or(1));
    serial->setSettings(lineSettings(port.baudCode));
    // The serial control's reasons start with the device or address, which
    // `cannot` names already.
    auto reason = [&serial] { return serial->reasonText(); };
    if (port.target.isNetwork()) {
        if (serial->open())
            return serial;
        problem = cannot + reason();
        return nullptr;
    }

    const std::string device = port.target.device;
#ifndef _WIN32
    if (!QFileInfo::exists(QString::fromStdString(device))) {
        problem = cannot + "no such device (is the adapter plugged in? orva-ctl ports lists what is there)";
        return nullptr;
    }
    if (probePath(device) == PathState::NotADevice) {
        problem = cannot + "not a serial device";
        return nullptr;
    }
#endif
    if (serial->open())
        return serial;

#ifndef _WIN32
    if (::access(device.c_str(), R_OK | W_OK) != 0 && errno == EACCES) {
        problem = cannot + "permission denied (on Debian: sudo adduser $USER dialout, then log in again)";
        return nullptr;
    }
#endif
    problem = cannot + reason();
    return nullptr;
}

} // namespace orva
