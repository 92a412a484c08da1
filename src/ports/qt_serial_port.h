#pragma once

#include "ports/port_target.h"
#include "line/serial_port.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>

namespace orva {

class PortBackend;

// The serial control of the program (and of any tool that talks to a
// projector): COM port n, through the port map, to a local device, a raw TCP
// stream or an RFC 2217 port on a device server, all of them 8 data bits, no
// parity, 1 stop bit, no flow control, at the baud rate of the line settings
// string. Uses Qt Core and Network only (on Linux also SerialPort and the
// gensio library; on Windows the Win32 serial API, and no RFC 2217), so a
// program without widgets can use it.
//
// The map is read afresh at every open. A network port that does not answer
// within kOpenLimitMs is a port that cannot be opened; open() waits for it
// with the event loop running (windows keep painting) but takes no user
// input meanwhile. A server that takes the connection and closes it again at
// once (ser2net does, with "Port already in use", when another client has
// the line) has refused the port, like a local device held by another
// program: a new connection counts as open only once it has stood for a
// moment (settleMs).
class QtSerialPort : public QObject, public SerialPort {
    Q_OBJECT
public:
    // COM n to what it leads to (the settings' port map: portMapOf).
    using Resolver = PortResolver;
    static constexpr int kOpenLimitMs = 3000;
    // Received bytes are taken from the line as they come, from the moment
    // of connect (also while an open is being decided), and held here until
    // read; beyond this many unread ones, what comes is dropped and counted,
    // so a far end that floods the line never grows the program.
    static constexpr qsizetype kInputLimit = 64 * 1024;
    // How long a new connection must stand, given how long it took to make.
    static int settleMs(qint64 connectMs);

    explicit QtSerialPort(Resolver resolver, QObject* parent = nullptr);
    ~QtSerialPort() override;

    // From now on, an end of the program that skips its own shut-down (the
    // X connection lost, where Qt calls exit(); a fatal message, where it
    // aborts) still closes every open port of the process, which releases
    // the device and removes its lock file for the next program, maybe
    // another user's. Call once, early in main().
    static void releaseOnFatalExit();

    // Opens `target` whatever the port number (nothing: back to the map).
    // For tools given a device or an address outright.
    void setTarget(std::optional<PortTarget> target);

    bool setPortNumber(int number) override;
    int portNumber() const override { return number_; }
    void setSettings(const std::string& settings) override;
    bool open() override;
    void beginOpen() override;
    void close() override;
    bool isOpen() const override;
    bool write(std::string_view frame) override;
    std::string read() override;
    // Bytes written that have not gone out yet.
    std::size_t bytesToWrite() const override;
    std::string errorText() const override { return error_; }
    // What the port opens (or last tried to): "/dev/ttyUSB0",
    // "rfc2217://server:2001"; "COM3" before the first open.
    std::string deviceName() const override;

    qint32 baudRate() const { return baud_; }
    // Received bytes dropped because kInputLimit unread ones were waiting
    // (here or in the backend) since the last open began.
    quint64 droppedInput() const;

signals:
    void openDone(); // an open finished, either way

private:
    bool start();
    void backendOpened(bool opened, const QString& why);
    void finishOpen(bool opened, const QString& why);
    void onLost(const QString& why);
    void onReadyRead();
    void takeInput();
    void discardBackend();
    std::string prefixed(const QString& why) const;

    Resolver resolver_;
    std::optional<PortTarget> fixed_;
    std::optional<PortTarget> current_;
    PortBackend* backend_ = nullptr;
    QTimer openLimit_;
    QTimer settle_;
    QElapsedTimer openClock_;
    int number_ = 0;
    qint32 baud_ = 19200;
    bool opening_ = false;
    bool reportOpen_ = false; // the open was begun by beginOpen
    bool readPending_ = false; // data came while the open was not decided yet
    QByteArray input_;         // received, not read yet
    quint64 dropped_ = 0;
    std::string error_;
};

// The numbers of a line settings string such as "9600,N,8,1": the baud
// rate, or 0 when the string is not of that form.
qint32 baudOfSettings(const std::string& settings);

} // namespace orva
