#include "ctl/qt_ctl_port.h"

#include "ctl/port_holder.h"
#include "ctl/qt_ctl_output.h"
#include "link/qt_serial_port.h"
#include "settings/stored_settings.h"

#include <QFile>
#include <QFileInfo>
#include <QLockFile>

#ifndef _WIN32
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <cerrno>
#include <csignal>
#include <unistd.h>
#endif

namespace orva {
namespace {

#ifndef _WIN32
bool alive(qint64 pid)
{
    return pid > 0 && (::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM);
}

std::string processName(long pid)
{
    QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
    if (!comm.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLocal8Bit(comm.readAll()).trimmed().toStdString();
}

std::optional<std::string> fromLockFiles(const std::string& device)
{
    QStringList paths{QString::fromStdString(device)};
    const QString canonical = QFileInfo(paths.front()).canonicalFilePath();
    if (!canonical.isEmpty() && canonical != paths.front())
        paths << canonical;
    for (const QString& path : paths) {
        const QString name = QString::fromStdString(serialLockFileName(path.toStdString()));
        for (std::string_view dir : serialLockDirectories()) {
            const QString file = QString::fromUtf8(dir.data(), static_cast<qsizetype>(dir.size())) + '/' + name;
            if (!QFileInfo::exists(file))
                continue;
            QLockFile lock(file);
            qint64 pid = 0;
            QString host;
            QString app;
            if (lock.getLockInfo(&pid, &host, &app) && alive(pid) && pid != ::getpid()) {
                const std::string who = app.isEmpty() ? processName(static_cast<long>(pid)) : app.toStdString();
                return holderDescription(who, static_cast<long>(pid));
            }
        }
    }
    return std::nullopt;
}

std::optional<std::string> fromSystemLocks(const std::string& device)
{
    struct stat st {};
    if (::stat(device.c_str(), &st) != 0)
        return std::nullopt;
    QFile locks(QStringLiteral("/proc/locks"));
    if (!locks.open(QIODevice::ReadOnly))
        return std::nullopt;
    const std::string text = locks.readAll().toStdString();
    const auto pid = lockHolderPid(text, major(st.st_dev), minor(st.st_dev), static_cast<unsigned long>(st.st_ino));
    if (!pid || *pid == ::getpid())
        return std::nullopt;
    return holderDescription(processName(*pid), *pid);
}
#endif

} // namespace

std::optional<std::string> serialPortHolder(const std::string& device)
{
#ifdef _WIN32
    (void)device;
    return std::nullopt;
#else
    if (auto who = fromLockFiles(device))
        return who;
    return fromSystemLocks(device);
#endif
}

std::unique_ptr<SerialPort> openCtlPort(const ResolvedPort& port, std::string& problem)
{
    const std::string cannot = "cannot open " + port.label() + ": ";
    auto serial = std::make_unique<QtSerialPort>(
        [](int n) { return PortResolution{std::nullopt, "COM" + std::to_string(n), "not used"}; });
    serial->setTarget(port.target);
    serial->setPortNumber(port.com.value_or(1));
    serial->setSettings(lineSettings(port.baudCode));
    if (port.target.isNetwork()) {
        if (serial->open())
            return serial;
        problem = cannot + serial->errorText();
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

    if (const auto holder = serialPortHolder(device)) {
        problem = cannot + "held by another program: " + *holder;
        return nullptr;
    }
#ifndef _WIN32
    if (::access(device.c_str(), R_OK | W_OK) != 0 && errno == EACCES) {
        problem = cannot + "permission denied (on Debian: sudo adduser $USER dialout, then log in again)";
        return nullptr;
    }
#endif
    std::string why = serial->errorText();
    const std::string prefix = device + ": ";
    if (why.rfind(prefix, 0) == 0)
        why.erase(0, prefix.size());
    problem = cannot + why;
    return nullptr;
}

} // namespace orva
