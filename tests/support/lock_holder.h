#pragma once

#include "qt_wait.h"

#include <QProcess>
#include <QString>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <string>

namespace orva::test {

// Another program holding a device's advisory lock (util-linux `flock`), as a
// terminal program or a second control program would. `holding()` turns true
// once the lock is really taken; the holder is ended with this object.
class LockHolder {
public:
    explicit LockHolder(const std::string& device)
    {
        process_.start(QStringLiteral("flock"),
                       {QStringLiteral("--nonblock"), QString::fromStdString(device), QStringLiteral("sleep"),
                        QStringLiteral("30")});
        if (!process_.waitForStarted(5000))
            return;
        const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (fd < 0)
            return;
        holding_ = waitFor([&] {
            if (::flock(fd, LOCK_EX | LOCK_NB) != 0)
                return true;
            ::flock(fd, LOCK_UN);
            return false;
        });
        ::close(fd);
    }
    ~LockHolder()
    {
        process_.kill();
        process_.waitForFinished(5000);
    }
    LockHolder(const LockHolder&) = delete;
    LockHolder& operator=(const LockHolder&) = delete;

    bool holding() const { return holding_; }

private:
    QProcess process_;
    bool holding_ = false;
};

} // namespace orva::test
