#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

struct gensio;
struct gensio_os_funcs;

namespace orva {

class GensioLoop;

// What a gensio connection tells the Qt side. Called on the GUI thread (the
// connection posts to it); never after the Qt side detached.
class GensioClient {
public:
    virtual ~GensioClient() = default;
    virtual void gensioOpened() = 0;
    // The connection under a filter (telnet over TCP) is up; the filter's
    // own negotiation follows.
    virtual void gensioConnected() {}
    // `serverClosed`: the server took the connection and closed it again
    // (busy, for example still closing the previous one).
    virtual void gensioOpenFailed(const QString& why, bool serverClosed) = 0;
    virtual void gensioDataWaiting() = 0;
    virtual void gensioLost(const QString& why) = 0;
};

// One gensio connection (for example "telnet(rfc2217),tcp,127.0.0.1,2000"),
// shared between the Qt side and the gensio loop's thread.
//
// The gensio object itself is touched on the loop's thread only. The Qt
// side calls the public functions below from the GUI thread; they hand the
// work over to the loop. What comes back (opened, data, lost) is posted to
// the client's thread. Received bytes wait here, under a lock, until read.
class GensioConnection : public std::enable_shared_from_this<GensioConnection> {
public:
    // Line settings for serial gensios; 0 leaves the baud rate as it is.
    struct LineSettings {
        unsigned baud = 0;
    };

    // `receiver` is the QObject the client's callbacks run on (its thread
    // and lifetime).
    static std::shared_ptr<GensioConnection> create(GensioLoop& loop, QObject* receiver,
                                                    GensioClient* client);
    ~GensioConnection();

    // Received bytes held for the reader at most; what comes beyond is dropped.
    static constexpr qsizetype kInboundLimit = 64 * 1024;

    // GUI thread.
    void open(std::string spec, LineSettings settings);
    void write(const QByteArray& bytes);
    void setBaudRate(unsigned baud);
    QByteArray takeReceived();
    // Received bytes dropped because kInboundLimit were waiting.
    quint64 droppedReceived() const { return dropped_.load(); }
    // Bytes handed to write() that the connection has not passed on yet.
    qint64 bytesToWrite() const { return pendingOut_.load(); }
    // No more callbacks; the connection is closed (or its open abandoned)
    // on the loop and freed there.
    void detach();

private:
    friend class GensioLoop;
    GensioConnection(GensioLoop& loop, QObject* receiver, GensioClient* client);

    // The loop's thread.
    void start(const std::string& spec, LineSettings settings);
    void transportDone(int err);
    void openDone(int err);
    void openFailed(int err);
    void applySettings(LineSettings settings);
    void send(const QByteArray& bytes);
    void flush();
    void received(const unsigned char* bytes, std::size_t n);
    void lose(int err);
    void shutDown();
    void closeGensio();
    void freeLater();
    void release();
    static int onEvent(gensio* io, void* self, int event, int err, unsigned char* buf,
                       unsigned long* buflen, const char* const* auxdata);
    void post(std::function<void(GensioClient&)> call);

    GensioLoop& loop_;

    // Shared with the GUI thread. The receiver and client are cleared by
    // detach() before the Qt side goes away; the loop posts to them only
    // under the lock.
    mutable std::mutex mutex_;
    QObject* receiver_ = nullptr;
    GensioClient* client_ = nullptr;
    QByteArray inbound_;
    bool dataPosted_ = false;
    std::atomic<qint64> pendingOut_{0};
    std::atomic<quint64> dropped_{0};

    // The loop's thread only.
    gensio* io_ = nullptr;
    bool opening_ = false;
    bool open_ = false;
    bool closing_ = false;
    bool closeStarted_ = false;
    LineSettings settings_;
    std::string filter_; // opened over the transport once it is up ("telnet(rfc2217)")
    QByteArray outbound_;
    std::shared_ptr<GensioConnection> self_; // alive while the gensio exists
};

// The gensio library's event loop on a thread of its own, one for the whole
// process and kept to its end: the library ties process-wide state to the
// OS functions it is first used with, so they, and the loop that services
// them, are never taken down and set up again. Work comes in through post();
// the thread sleeps in the library's own wait (epoll) between events and is
// woken through a socket pair, so it never polls. No signals are used for
// waking (the library's wake signal is off), and the thread blocks them all,
// so the program's own signal handling is left alone.
class GensioLoop {
public:
    // Started at the first call.
    static GensioLoop& instance();
    GensioLoop(const GensioLoop&) = delete;
    GensioLoop& operator=(const GensioLoop&) = delete;

    // Why the loop could not start; empty when it runs.
    const std::string& error() const { return error_; }
    gensio_os_funcs* os() const { return os_; }

    // Runs `job` on the loop's thread, in the order posted.
    void post(std::function<void()> job);

private:
    friend class GensioConnection;
    GensioLoop();
    ~GensioLoop() = delete; // lives as long as the process
    // The loop's thread: a new connection waits for those being closed.
    void closing(GensioConnection* connection);
    void closed(GensioConnection* connection);
    // Runs `job` once no connection is closing any more.
    void afterClosing(std::function<void()> job);
    struct Impl;
    Impl* impl_;
    gensio_os_funcs* os_ = nullptr;
    std::string error_;
};

} // namespace orva
