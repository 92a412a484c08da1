#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace orva {

// Receive event code: characters are waiting.
inline constexpr int kCommEventReceive = 2;

// The COM ports there are: COM1 to COM15 (port number 0 is none chosen).
inline constexpr int kFirstPort = 1;
inline constexpr int kLastPort = 15;
constexpr bool isUsablePort(int n) { return n >= kFirstPort && n <= kLastPort; }

// A frame needs a few milliseconds on the line even at 9600 baud. While bytes
// of a send are still waiting this long after it, the line is not taking
// data, and further sends are not queued behind them.
inline constexpr long long kLineStallMs = 200;

// The most one reply is held to: the window's rendering counts characters
// in a 16-bit counter. What arrives beyond it is dropped.
inline constexpr std::size_t kReplyLimit = 32766;

// What the port tells its owner, on the event thread.
class SerialListener {
public:
    virtual ~SerialListener() = default;
    // Raised as soon as one received character waits; `event` is the event
    // code (kCommEventReceive for characters, anything else is a line event).
    virtual void onComm(int event) = 0;
    // The open port went away (adapter unplugged, other end hung up, the
    // server dropped the connection). The port is already closed when this
    // arrives.
    virtual void onPortLost(const std::string& why) = 0;
    // The outcome of SerialPort::beginOpen: the port is open, or it stayed
    // closed and errorText() says why.
    virtual void onOpenFinished(bool opened) = 0;
};

// The serial control: COM port n, line settings such as "9600,N,8,1"
// (no parity, 8 data bits, 1 stop bit, no flow control). COM port n may be a
// local device or a serial line reached over the network; callers cannot
// tell the difference.
class SerialPort {
public:
    virtual ~SerialPort() = default;

    // Port number and line settings are written while the port is closed and
    // used by the next open. setPortNumber refuses numbers it cannot map.
    virtual bool setPortNumber(int number) = 0;
    virtual int portNumber() const = 0;
    virtual void setSettings(const std::string& settings) = 0;

    // Either the port is open afterwards and true is returned, or it stays
    // closed (absent, held by another program, refused) and errorText() says why.
    virtual bool open() = 0;
    // Starts opening the port without waiting for a slow open (a network
    // connection); the outcome arrives through the listener's onOpenFinished,
    // possibly before this returns. Ports that open at once need not
    // override this.
    virtual void beginOpen()
    {
        const bool opened = open();
        if (listener_)
            listener_->onOpenFinished(opened);
    }
    // The port is closed afterwards. An open begun by beginOpen and still
    // under way is abandoned: its outcome is never reported.
    virtual void close() = 0;
    virtual bool isOpen() const = 0;

    // Queues every character of `frame` at once, one byte each, without
    // waiting for the transmission. False when nothing could be queued.
    virtual bool write(std::string_view frame) = 0;
    // Every received character not yet read; removes them from the buffer.
    virtual std::string read() = 0;
    // Bytes handed to write() that have not yet gone out to the line (0 while
    // closed).
    virtual std::size_t bytesToWrite() const = 0;

    virtual std::string errorText() const = 0;
    // Device name for reports ("COM3", "/dev/ttyUSB0").
    virtual std::string deviceName() const = 0;
    // errorText() for a message that names the port already: without the
    // port's name (or `alsoAs`, another name it goes by) in front.
    std::string reasonText(const std::string& alsoAs = {}) const
    {
        std::string why = errorText();
        for (const std::string& name : {deviceName(), alsoAs})
            if (!name.empty() && why.rfind(name + ": ", 0) == 0)
                why.erase(0, name.size() + 2);
        return why;
    }

    void setListener(SerialListener* listener) { listener_ = listener; }

protected:
    SerialListener* listener() const { return listener_; }

private:
    SerialListener* listener_ = nullptr;
};

} // namespace orva
