#pragma once

#include "link/serial_port.h"

#include <QObject>
#include <QSerialPort>

#include <functional>

namespace orva {

// The serial control on QSerialPort: 8 data bits, no parity, 1 stop bit, no
// flow control, the baud rate of the line settings string. COM port n is
// mapped to a device by the resolver given at construction.
class QtSerialPort : public QObject, public SerialPort {
    Q_OBJECT
public:
    using Resolver = std::function<std::string(int portNumber)>;
    explicit QtSerialPort(Resolver resolver, QObject* parent = nullptr);
    ~QtSerialPort() override;

    bool setPortNumber(int number) override;
    int portNumber() const override { return number_; }
    void setSettings(const std::string& settings) override;
    bool open() override;
    void close() override;
    bool isOpen() const override;
    bool write(std::string_view frame) override;
    std::string read() override;
    std::size_t bytesToWrite() const override;
    std::string errorText() const override { return error_; }
    std::string deviceName() const override;

    qint32 baudRate() const { return baud_; }

private:
    void onReadyRead();
    void onError(QSerialPort::SerialPortError error);

    Resolver resolver_;
    QSerialPort port_;
    int number_ = 0;
    qint32 baud_ = 19200;
    std::string error_;
};

// The numbers of a line settings string such as "9600,N,8,1": the baud
// rate, or 0 when the string is not of that form.
qint32 baudOfSettings(const std::string& settings);

} // namespace orva
