#include "ctl/qt_ctl_platform.h"

#include <QDir>
#include <QFileInfo>
#include <QMap>
#include <QSerialPortInfo>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace orva {

std::vector<SerialDevice> serialDevicesPresent()
{
    // /dev/serial/by-id/ holds a stable name for each USB adapter: a link to
    // the device node, which may change from one plugging to the next.
    QMap<QString, QString> byId;
    const QDir ids(QStringLiteral("/dev/serial/by-id"));
    for (const QFileInfo& link : ids.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot))
        byId.insert(link.canonicalFilePath(), link.absoluteFilePath());

    std::vector<SerialDevice> devices;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        SerialDevice d;
        d.path = info.systemLocation().toStdString();
        d.byId = byId.value(QFileInfo(info.systemLocation()).canonicalFilePath()).toStdString();
        d.description = info.description().toStdString();
        d.manufacturer = info.manufacturer().toStdString();
        d.serialNumber = info.serialNumber().toStdString();
        devices.push_back(std::move(d));
    }
    return devices;
}

PathState probePath(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return PathState::Absent;
    return S_ISCHR(st.st_mode) ? PathState::CharacterDevice : PathState::NotADevice;
}

std::string deviceProblemBeforeOpen(const std::string& device)
{
    if (!QFileInfo::exists(QString::fromStdString(device)))
        return "no such device (is the adapter plugged in? orva-ctl ports lists what is there)";
    if (probePath(device) == PathState::NotADevice)
        return "not a serial device";
    return {};
}

std::string deviceProblemAfterFailedOpen(const std::string& device)
{
    if (::access(device.c_str(), R_OK | W_OK) != 0 && errno == EACCES)
        return "permission denied (on Debian: sudo adduser $USER dialout, then log in again)";
    return {};
}

} // namespace orva
