#pragma once

#include "ports/qt_port_backend.h"

#include <QSerialPort>

namespace orva {

// A local serial device (/dev/ttyUSB0, /dev/serial/by-id/...) on
// QSerialPort, held exclusively. Opens at once. (On Windows: Win32Backend.)
class DeviceBackend : public PortBackend {
    Q_OBJECT
public:
    explicit DeviceBackend(QString device, QObject* parent = nullptr);
    ~DeviceBackend() override;

    void open(qint32 baud) override;
    void close() override;
    bool isOpen() const override { return port_.isOpen(); }
    bool setBaudRate(qint32 baud) override { return port_.isOpen() && port_.setBaudRate(baud); }
    bool write(const QByteArray& bytes, QString& error) override;
    QByteArray readAll() override { return port_.isOpen() ? port_.readAll() : QByteArray(); }
    qint64 bytesToWrite() const override;

private:
    void onError(QSerialPort::SerialPortError error);

    QString device_;
    QSerialPort port_;
    bool losing_ = false;
};

} // namespace orva
