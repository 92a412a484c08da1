#include "ctl/qt_ctl_platform.h"

#include "ports/win32_serial_line.h"

#include <QSettings>
#include <QStringList>

#include <algorithm>

#include <windows.h>

namespace orva {

std::vector<SerialDevice> serialDevicesPresent()
{
    // The system's list of serial ports: a value per port, its data the
    // port's name ("COM3"), its name the driver's device.
    QSettings map(QStringLiteral("HKEY_LOCAL_MACHINE\\HARDWARE\\DEVICEMAP\\SERIALCOMM"), QSettings::NativeFormat);
    std::vector<SerialDevice> devices;
    for (const QString& key : map.allKeys()) {
        SerialDevice d;
        d.path = map.value(key).toString().toStdString();
        d.description = key.section('/', -1).toStdString();
        if (!d.path.empty())
            devices.push_back(std::move(d));
    }
    std::sort(devices.begin(), devices.end(), [](const SerialDevice& a, const SerialDevice& b) {
        return a.path.size() != b.path.size() ? a.path.size() < b.path.size() : a.path < b.path;
    });
    return devices;
}

PathState probePath(const std::string& path)
{
    const auto device = win32DevicePath(path);
    if (!device)
        return PathState::NotADevice;
    // The DOS device name, COM3, without the \\.\ in front.
    char target[512];
    return QueryDosDeviceA(device->substr(4).c_str(), target, sizeof target) != 0 ? PathState::CharacterDevice
                                                                                 : PathState::Absent;
}

std::string deviceProblemBeforeOpen(const std::string&)
{
    return {}; // opening tells it all (no such port, held by another program)
}

std::string deviceProblemAfterFailedOpen(const std::string&)
{
    return {};
}

} // namespace orva
