#include "ctl/qt_ctl_port.h"

#include "ctl/qt_ctl_platform.h"
#include "ports/qt_serial_port.h"
#include "settings/stored_settings.h"

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
    if (const std::string why = deviceProblemBeforeOpen(device); !why.empty()) {
        problem = cannot + why;
        return nullptr;
    }
    if (serial->open())
        return serial;
    if (const std::string why = deviceProblemAfterFailedOpen(device); !why.empty()) {
        problem = cannot + why;
        return nullptr;
    }
    problem = cannot + reason();
    return nullptr;
}

} // namespace orva
