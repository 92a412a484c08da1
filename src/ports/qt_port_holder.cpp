#include "ports/qt_port_holder.h"

#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QStringList>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <cerrno>
#include <csignal>
#include <unistd.h>

namespace orva {
namespace {

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

std::optional<PortHolder> fromLockFiles(const std::string& device)
{
    QStringList paths{QString::fromStdString(device)};
    const QString canonical = QFileInfo(paths.front()).canonicalFilePath();
    if (!canonical.isEmpty() && canonical != paths.front())
        paths << canonical;
    for (const QString& path : paths) {
        const QString name = QString::fromStdString(serialLockFileName(path.toStdString()));
        for (std::string_view dir : serialLockDirectories()) {
            const QString file = QString::fromUtf8(dir.data(), static_cast<qsizetype>(dir.size())) + '/' + name;
            const QFileInfo info(file);
            if (!info.exists())
                continue;
            qint64 pid = 0;
            QString host;
            QString app;
            if (!QLockFile(file).getLockInfo(&pid, &host, &app) || pid == ::getpid())
                continue;
            PortHolder h;
            h.lockFile = info.absoluteFilePath().toStdString();
            h.user = info.owner().toStdString();
            h.pid = static_cast<long>(pid);
            h.running = alive(pid);
            h.program = app.isEmpty() && h.running ? processName(h.pid) : app.toStdString();
            return h;
        }
    }
    return std::nullopt;
}

std::optional<PortHolder> fromSystemLocks(const std::string& device)
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
    PortHolder h;
    h.pid = *pid;
    h.program = processName(*pid);
    h.user = QFileInfo(QStringLiteral("/proc/%1").arg(*pid)).owner().toStdString();
    return h;
}

} // namespace

std::optional<PortHolder> findPortHolder(const std::string& device)
{
    if (auto h = fromLockFiles(device))
        return h;
    return fromSystemLocks(device);
}

} // namespace orva
