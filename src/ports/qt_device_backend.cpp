#include "ports/qt_device_backend.h"

#include "ports/qt_port_holder.h"

#include <QMetaObject>

#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>

namespace orva {

DeviceBackend::DeviceBackend(QString device, QObject* parent) : PortBackend(parent), device_(device)
{
    port_.setPortName(device);
    connect(&port_, &QSerialPort::readyRead, this, &PortBackend::readyRead);
    connect(&port_, &QSerialPort::errorOccurred, this, &DeviceBackend::onError);
}

DeviceBackend::~DeviceBackend()
{
    close();
}

void DeviceBackend::open(qint32 baud)
{
    if (!port_.open(QIODevice::ReadWrite)) {
        QString why = port_.errorString();
        const bool perhapsHeld = port_.error() == QSerialPort::PermissionError;
        port_.clearError();
        if (perhapsHeld) {
            // Its lock could not be taken: say whose it is.
            if (const auto holder = findPortHolder(device_.toStdString()))
                why = QString::fromStdString(heldPortReason(*holder));
        }
        emit openFinished(false, why);
        return;
    }
    // Qt locks the port against other Qt programs and sets exclusive mode;
    // also take the advisory lock that other serial tools honour, so a port
    // another program holds is refused rather than shared.
    if (::flock(static_cast<int>(port_.handle()), LOCK_EX | LOCK_NB) != 0) {
        port_.close();
        const auto holder = findPortHolder(device_.toStdString());
        emit openFinished(false, holder ? QString::fromStdString(heldPortReason(*holder))
                                        : QStringLiteral("in use by another program"));
        return;
    }
    const bool configured = port_.setBaudRate(baud) && port_.setDataBits(QSerialPort::Data8) &&
                            port_.setParity(QSerialPort::NoParity) &&
                            port_.setStopBits(QSerialPort::OneStop) &&
                            port_.setFlowControl(QSerialPort::NoFlowControl);
    if (!configured) {
        const QString why = port_.errorString();
        port_.close();
        port_.clearError();
        emit openFinished(false, why);
        return;
    }
    port_.clear();
    emit openFinished(true, {});
}

void DeviceBackend::close()
{
    if (port_.isOpen())
        port_.close();
}

bool DeviceBackend::write(const QByteArray& bytes, QString& error)
{
    if (!port_.isOpen()) {
        error = QStringLiteral("the port is closed");
        return false;
    }
    if (port_.write(bytes) != bytes.size()) {
        error = port_.errorString();
        return false;
    }
    // Hand the bytes to the system now rather than when the event loop next
    // gets round to it (after a repaint, say), so a repeat leaves on its
    // tick; but only when the line takes data at all: the library reports a
    // write the system refuses for now as an error.
    pollfd writable{static_cast<int>(port_.handle()), POLLOUT, 0};
    if (::poll(&writable, 1, 0) == 1 && (writable.revents & POLLOUT))
        port_.flush();
    return true;
}

qint64 DeviceBackend::bytesToWrite() const
{
    qint64 queued = port_.bytesToWrite();
    // And what the driver holds but has not put on the wire yet.
    int inDriver = 0;
    if (port_.isOpen() && ::ioctl(static_cast<int>(port_.handle()), TIOCOUTQ, &inDriver) == 0 && inDriver > 0)
        queued += inDriver;
    return queued;
}

void DeviceBackend::onError(QSerialPort::SerialPortError error)
{
    if (error != QSerialPort::ResourceError && error != QSerialPort::ReadError &&
        error != QSerialPort::PermissionError)
        return;
    if (!port_.isOpen() || losing_)
        return; // a failed open reports itself through openFinished
    losing_ = true;
    const QString why = port_.errorString();
    // Close outside the signal: QSerialPort is still inside its notifier.
    QMetaObject::invokeMethod(
        this,
        [this, why] {
            if (!port_.isOpen())
                return;
            port_.close();
            port_.clearError();
            emit lost(why);
        },
        Qt::QueuedConnection);
}

} // namespace orva
