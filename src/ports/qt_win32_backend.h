#pragma once

#include "ports/qt_port_backend.h"
#include "ports/win32_comm_windows.h"
#include "ports/win32_serial_line.h"

#include <QTimer>

namespace orva {

// A COM port on Windows (COM3, \\.\COM12), on the Win32 serial API through
// Win32SerialLine, which holds its rules; this only gives it the event loop.
// A short timer asks for received input while the port is open. Held
// exclusively (Windows knows no other way). Opens at once.
class Win32Backend : public PortBackend {
    Q_OBJECT
public:
    explicit Win32Backend(QString device, QObject* parent = nullptr);
    ~Win32Backend() override;

    void open(qint32 baud) override;
    void close() override;
    bool isOpen() const override { return line_.isOpen(); }
    bool setBaudRate(qint32 baud) override { return line_.setBaudRate(static_cast<std::uint32_t>(baud)); }
    bool write(const QByteArray& bytes, QString& error) override;
    QByteArray readAll() override { return QByteArray::fromStdString(line_.take()); }
    qint64 bytesToWrite() const override;
    quint64 droppedInput() const override { return line_.droppedInput(); }

private:
    void pollLine();

    QString device_;
    SystemWin32Comm comm_;
    mutable Win32SerialLine line_{comm_};
    QTimer poll_;
};

} // namespace orva
