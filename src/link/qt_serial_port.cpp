#include "link/qt_serial_port.h"

#include <QMetaObject>

#ifndef _WIN32
#include <poll.h>
#include <sys/file.h>
#endif

namespace orva {

qint32 baudOfSettings(const std::string& settings)
{
    const auto comma = settings.find(',');
    const std::string head = settings.substr(0, comma);
    if (head.empty() || head.find_first_not_of("0123456789") != std::string::npos || head.size() > 7)
        return 0;
    return static_cast<qint32>(std::stol(head));
}

QtSerialPort::QtSerialPort(Resolver resolver, QObject* parent)
    : QObject(parent), resolver_(std::move(resolver))
{
    connect(&port_, &QSerialPort::readyRead, this, &QtSerialPort::onReadyRead);
    connect(&port_, &QSerialPort::errorOccurred, this, &QtSerialPort::onError);
}

QtSerialPort::~QtSerialPort()
{
    if (port_.isOpen())
        port_.close();
}

bool QtSerialPort::setPortNumber(int number)
{
    if (port_.isOpen() || number < 1 || number > 15) {
        error_ = "port number " + std::to_string(number) + " refused";
        return false;
    }
    number_ = number;
    return true;
}

void QtSerialPort::setSettings(const std::string& settings)
{
    if (const qint32 baud = baudOfSettings(settings))
        baud_ = baud;
}

std::string QtSerialPort::deviceName() const
{
    return number_ ? resolver_(number_) : std::string("no port");
}

bool QtSerialPort::open()
{
    if (port_.isOpen()) {
        error_ = "already open";
        return false;
    }
    if (number_ == 0) {
        error_ = "no port chosen";
        return false;
    }
    port_.setPortName(QString::fromStdString(resolver_(number_)));
    if (!port_.open(QIODevice::ReadWrite)) {
        error_ = deviceName() + ": " + port_.errorString().toStdString();
        port_.clearError();
        return false;
    }
#ifndef _WIN32
    // Qt locks the port against other Qt programs and sets exclusive mode;
    // also take the advisory lock that other serial tools honour, so a port
    // another program holds is refused rather than shared.
    if (::flock(static_cast<int>(port_.handle()), LOCK_EX | LOCK_NB) != 0) {
        port_.close();
        error_ = deviceName() + ": in use by another program";
        return false;
    }
#endif
    const bool configured = port_.setBaudRate(baud_) && port_.setDataBits(QSerialPort::Data8) &&
                            port_.setParity(QSerialPort::NoParity) &&
                            port_.setStopBits(QSerialPort::OneStop) &&
                            port_.setFlowControl(QSerialPort::NoFlowControl);
    if (!configured) {
        error_ = deviceName() + ": " + port_.errorString().toStdString();
        port_.close();
        port_.clearError();
        return false;
    }
    port_.clear();
    error_.clear();
    return true;
}

void QtSerialPort::close()
{
    if (port_.isOpen())
        port_.close();
}

bool QtSerialPort::isOpen() const
{
    return port_.isOpen();
}

bool QtSerialPort::write(std::string_view frame)
{
    if (!port_.isOpen()) {
        error_ = "the port is closed";
        return false;
    }
    const qint64 n = port_.write(frame.data(), static_cast<qint64>(frame.size()));
    if (n != static_cast<qint64>(frame.size())) {
        error_ = port_.errorString().toStdString();
        return false;
    }
    // Hand the bytes to the system now rather than when the event loop next
    // gets round to it (after a repaint, say), so a repeat leaves on its
    // tick; but only when the line takes data at all: the library reports a
    // write the system refuses for now as an error.
#ifdef _WIN32
    port_.flush();
#else
    pollfd writable{static_cast<int>(port_.handle()), POLLOUT, 0};
    if (::poll(&writable, 1, 0) == 1 && (writable.revents & POLLOUT))
        port_.flush();
#endif
    return true;
}

std::string QtSerialPort::read()
{
    const QByteArray bytes = port_.readAll();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

std::size_t QtSerialPort::bytesToWrite() const
{
    return port_.isOpen() ? static_cast<std::size_t>(port_.bytesToWrite()) : 0;
}

void QtSerialPort::onReadyRead()
{
    if (listener())
        listener()->onComm(kCommEventReceive);
}

void QtSerialPort::onError(QSerialPort::SerialPortError error)
{
    if (error != QSerialPort::ResourceError && error != QSerialPort::ReadError &&
        error != QSerialPort::PermissionError)
        return;
    if (!port_.isOpen())
        return; // a failed open reports itself through open()
    const std::string why = deviceName() + ": " + port_.errorString().toStdString();
    // Close outside the signal: QSerialPort is still inside its notifier.
    QMetaObject::invokeMethod(
        this,
        [this, why] {
            if (!port_.isOpen())
                return;
            port_.close();
            port_.clearError();
            error_ = why;
            if (listener())
                listener()->onPortLost(why);
        },
        Qt::QueuedConnection);
}

} // namespace orva
