#include "ports/qt_gensio.h"

#include "ports/qt_link_platform.h"
#include "ports/qt_tcp_backend.h"

#include <QMetaObject>

#include <gensio/gensio.h>
#include <gensio/gensio_os_funcs.h>
#include <gensio/gensio_unix.h>
#include <gensio/sergensio.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <deque>
#include <set>
#include <thread>

#include <cstdlib>
#include <cstring>

#include <arpa/inet.h>
#include <dirent.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <pthread.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

namespace orva {
namespace {

QString errorText(int err)
{
    return QString::fromLocal8Bit(gensio_err_to_str(err));
}

// The library says no more than "OS error, see logs" when the system
// refuses to send to the address at all.
QString openErrorText(int err)
{
    return err == GE_OSERR ? QStringLiteral("unreachable: the system has no route to this address") : errorText(err);
}

// The library reports trouble it cannot return to a caller through this.
// Quiet unless asked for (ORVA_GENSIO_LOG=1): the program keeps no log.
void gensioLog(gensio_os_funcs*, gensio_log_levels level, const char* format, va_list args)
{
    static const bool wanted = qEnvironmentVariableIntValue("ORVA_GENSIO_LOG") != 0;
    if (!wanted)
        return;
    std::fprintf(stderr, "gensio %s: ", gensio_log_level_to_str(level));
    std::vfprintf(stderr, format, args);
    std::fputc('\n', stderr);
}

// The port number at the end of an address as gensio reports it
// ("ipv4,127.0.0.1,41628"), or -1.
int portOf(gensio* io, unsigned option)
{
    char text[128] = "0"; // the first address
    gensiods size = sizeof text;
    if (gensio_control(io, GENSIO_CONTROL_DEPTH_FIRST, GENSIO_CONTROL_GET, option, text, &size) != 0)
        return -1;
    text[sizeof text - 1] = '\0';
    const char* comma = std::strrchr(text, ',');
    return comma ? std::atoi(comma + 1) : -1;
}

std::uint16_t portOf(const sockaddr_storage& a)
{
    if (a.ss_family == AF_INET)
        return ntohs(reinterpret_cast<const sockaddr_in&>(a).sin_port);
    if (a.ss_family == AF_INET6)
        return ntohs(reinterpret_cast<const sockaddr_in6&>(a).sin6_port);
    return 0;
}

// The descriptor of a gensio's TCP connection. The library (2.6) does not
// hand it out, so it is found among the program's own sockets by its two
// port numbers. -1 when it cannot be told.
int socketOf(gensio* io)
{
    const int local = portOf(io, GENSIO_CONTROL_LADDR);
    const int remote = portOf(io, GENSIO_CONTROL_RADDR);
    if (local <= 0 || remote <= 0)
        return -1;
    DIR* fds = ::opendir("/proc/self/fd");
    if (!fds)
        return -1;
    int found = -1;
    while (const dirent* entry = ::readdir(fds)) {
        const int fd = std::atoi(entry->d_name);
        if (fd <= 2 || fd == ::dirfd(fds))
            continue;
        sockaddr_storage mine{};
        sockaddr_storage theirs{};
        socklen_t mineSize = sizeof mine;
        socklen_t theirsSize = sizeof theirs;
        int type = 0;
        socklen_t typeSize = sizeof type;
        if (::getsockopt(fd, SOL_SOCKET, SO_TYPE, &type, &typeSize) != 0 || type != SOCK_STREAM)
            continue;
        if (::getsockname(fd, reinterpret_cast<sockaddr*>(&mine), &mineSize) != 0 ||
            ::getpeername(fd, reinterpret_cast<sockaddr*>(&theirs), &theirsSize) != 0)
            continue;
        if (portOf(mine) == local && portOf(theirs) == remote) {
            found = fd;
            break;
        }
    }
    ::closedir(fds);
    return found;
}

} // namespace

// ---- the loop ---------------------------------------------------------------

struct GensioLoop::Impl {
    int wake[2] = {-1, -1}; // [0] written by post(), [1] watched by the loop
    gensio_iod* wakeIod = nullptr;
    std::thread thread;

    std::mutex mutex;
    std::deque<std::function<void()>> jobs;

    // The loop's thread only.
    std::set<GensioConnection*> closing;
    std::deque<std::function<void()>> afterClosing;
    gensio_timer* closingLimit = nullptr; // a close that never ends holds nobody up for long

    void runWaiting()
    {
        std::deque<std::function<void()>> waiting;
        waiting.swap(afterClosing);
        for (auto& job : waiting)
            job();
    }
};

GensioLoop& GensioLoop::instance()
{
    static GensioLoop* const loop = new GensioLoop; // never deleted: see the class
    return *loop;
}

GensioLoop::GensioLoop() : impl_(new Impl)
{
    // No wake signal: only the loop's thread ever calls into the library.
    if (gensio_unix_funcs_alloc(nullptr, 0, &os_) != 0) {
        os_ = nullptr;
        error_ = "the gensio library cannot start";
        return;
    }
    gensio_os_funcs_set_vlog(os_, gensioLog);

    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, impl_->wake) != 0) {
        error_ = "the gensio loop cannot start: no socket pair";
        return;
    }
    int rv = os_->add_iod(os_, GENSIO_IOD_SOCKET, impl_->wake[1], &impl_->wakeIod);
    if (rv == 0) {
        rv = os_->set_fd_handlers(
            impl_->wakeIod, this,
            [](gensio_iod*, void* self) {
                auto* loop = static_cast<GensioLoop*>(self);
                char drain[256];
                while (::read(loop->impl_->wake[1], drain, sizeof drain) > 0) {
                }
                std::deque<std::function<void()>> jobs;
                {
                    const std::lock_guard<std::mutex> lock(loop->impl_->mutex);
                    jobs.swap(loop->impl_->jobs);
                }
                for (auto& job : jobs)
                    job();
            },
            nullptr, nullptr, nullptr);
    }
    if (rv != 0) {
        error_ = "the gensio loop cannot start: " + std::string(gensio_err_to_str(rv));
        return;
    }
    os_->set_read_handler(impl_->wakeIod, true);
    impl_->closingLimit = os_->alloc_timer(
        os_, [](gensio_timer*, void* impl) { static_cast<Impl*>(impl)->runWaiting(); }, impl_);

    // The thread takes no signals: they are the GUI thread's business (and
    // a connection that breaks must not raise SIGPIPE).
    sigset_t all;
    sigset_t previous;
    sigfillset(&all);
    pthread_sigmask(SIG_SETMASK, &all, &previous);
    impl_->thread = std::thread([this] {
        for (;;)
            os_->service(os_, nullptr); // sleeps until there is something to do
    });
    impl_->thread.detach(); // ends with the process
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
}

void GensioLoop::post(std::function<void()> job)
{
    {
        const std::lock_guard<std::mutex> lock(impl_->mutex);
        impl_->jobs.push_back(std::move(job));
    }
    const char byte = 1;
    // A full socket means a wake-up is pending already.
    [[maybe_unused]] const auto n = ::write(impl_->wake[0], &byte, 1);
}

void GensioLoop::closing(GensioConnection* connection)
{
    impl_->closing.insert(connection);
}

void GensioLoop::closed(GensioConnection* connection)
{
    if (impl_->closing.erase(connection) == 0 || !impl_->closing.empty())
        return;
    if (impl_->closingLimit)
        os_->stop_timer(impl_->closingLimit);
    impl_->runWaiting();
}

void GensioLoop::afterClosing(std::function<void()> job)
{
    if (impl_->closing.empty()) {
        job();
        return;
    }
    impl_->afterClosing.push_back(std::move(job));
    if (impl_->closingLimit && impl_->afterClosing.size() == 1) {
        gensio_time limit{1, 0};
        os_->start_timer(impl_->closingLimit, &limit);
    }
}

// ---- one connection ------------------------------------------------------------

std::shared_ptr<GensioConnection> GensioConnection::create(GensioLoop& loop, QObject* receiver,
                                                           GensioClient* client)
{
    return std::shared_ptr<GensioConnection>(new GensioConnection(loop, receiver, client));
}

GensioConnection::GensioConnection(GensioLoop& loop, QObject* receiver, GensioClient* client)
    : loop_(loop), receiver_(receiver), client_(client)
{
}

GensioConnection::~GensioConnection() = default;

void GensioConnection::open(std::string spec, LineSettings settings)
{
    // A new connection waits until the ones being closed are gone: a server
    // still busy with the last one (ser2net is, for a moment after a telnet
    // session) would take the new one and close it again.
    loop_.post([self = shared_from_this(), spec = std::move(spec), settings]() mutable {
        self->loop_.afterClosing([self, spec = std::move(spec), settings] { self->start(spec, settings); });
    });
}

void GensioConnection::write(const QByteArray& bytes)
{
    pendingOut_ += bytes.size();
    loop_.post([self = shared_from_this(), bytes] { self->send(bytes); });
}

void GensioConnection::setBaudRate(unsigned baud)
{
    loop_.post([self = shared_from_this(), baud] {
        self->settings_.baud = baud;
        if (self->open_)
            self->applySettings(self->settings_);
    });
}

QByteArray GensioConnection::takeReceived()
{
    const std::lock_guard<std::mutex> lock(mutex_);
    QByteArray out;
    out.swap(inbound_);
    return out;
}

void GensioConnection::detach()
{
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        receiver_ = nullptr;
        client_ = nullptr;
        inbound_.clear();
    }
    loop_.post([self = shared_from_this()] { self->shutDown(); });
}

void GensioConnection::post(std::function<void(GensioClient&)> call)
{
    const std::lock_guard<std::mutex> lock(mutex_);
    if (!receiver_)
        return;
    QMetaObject::invokeMethod(
        receiver_,
        [self = shared_from_this(), call = std::move(call)] {
            GensioClient* client = nullptr;
            {
                const std::lock_guard<std::mutex> lock(self->mutex_);
                client = self->client_;
            }
            if (client) // not detached since this was posted
                call(*client);
        },
        Qt::QueuedConnection);
}

// The loop's thread from here on.

void GensioConnection::start(const std::string& spec, LineSettings settings)
{
    if (closing_)
        return; // detached before it began
    settings_ = settings;
    // A filter over a transport ("telnet(rfc2217),tcp,...") is opened in two
    // steps, so that a server that takes the connection but never speaks the
    // filter's protocol can be told from one that cannot be reached.
    std::string transport = spec;
    filter_.clear();
    if (const std::size_t close = spec.find("),"); spec.rfind("telnet(", 0) == 0 && close != std::string::npos) {
        filter_ = spec.substr(0, close + 1);
        transport = spec.substr(close + 2);
    }
    gensio_os_funcs* os = loop_.os();
    int rv = str_to_gensio(transport.c_str(), os, &GensioConnection::onEvent, this, &io_);
    if (rv != 0) {
        io_ = nullptr;
        post([why = errorText(rv)](GensioClient& c) { c.gensioOpenFailed(why, false); });
        return;
    }
    self_ = shared_from_this();
    opening_ = true;
    rv = gensio_open(
        io_, [](gensio*, int err, void* self) { static_cast<GensioConnection*>(self)->transportDone(err); },
        this);
    if (rv != 0) {
        opening_ = false;
        post([why = openErrorText(rv)](GensioClient& c) { c.gensioOpenFailed(why, false); });
        freeLater();
    }
}

void GensioConnection::transportDone(int err)
{
    if (!opening_)
        return; // abandoned: the close under way finishes it
    if (err != 0 || filter_.empty()) {
        openDone(err);
        return;
    }
    post([](GensioClient& c) { c.gensioConnected(); });
    gensio* top = nullptr;
    int rv = str_to_gensio_child(io_, filter_.c_str(), loop_.os(), &GensioConnection::onEvent, this, &top);
    if (rv == 0) {
        io_ = top;
        rv = gensio_open_nochild(
            io_, [](gensio*, int e, void* self) { static_cast<GensioConnection*>(self)->openDone(e); }, this);
    }
    if (rv != 0) {
        opening_ = false;
        post([why = errorText(rv)](GensioClient& c) { c.gensioOpenFailed(why, false); });
        closeGensio();
    }
}

void GensioConnection::openDone(int err)
{
    if (!opening_)
        return; // abandoned: the close under way finishes it
    opening_ = false;
    if (err != 0) {
        openFailed(err);
        return;
    }
    open_ = true;
    applySettings(settings_);
    // A server that vanishes without a word (powered off) must still show
    // as lost: have the system watch the connection.
    const int fd = socketOf(io_);
    if (fd >= 0)
        keepConnectionWatched(fd);
    gensio_set_read_callback_enable(io_, true);
    post([](GensioClient& c) { c.gensioOpened(); });
}

void GensioConnection::openFailed(int err)
{
    post([why = openErrorText(err), closed = err == GE_REMCLOSE](GensioClient& c) { c.gensioOpenFailed(why, closed); });
    freeLater();
}

void GensioConnection::applySettings(LineSettings settings)
{
    // Sent, not awaited: some servers (ser2net on a pty among them) never
    // acknowledge every option, and the data that follows goes out after
    // these on the same stream anyway. Without a callback the library keeps
    // no record of the request either (one left unanswered would be lost
    // with the connection).
    sergensio* sio = gensio_to_sergensio(io_);
    if (!sio)
        return;
    if (settings.baud)
        sergensio_baud(sio, settings.baud, nullptr, nullptr);
    sergensio_datasize(sio, 8, nullptr, nullptr);
    sergensio_parity(sio, SERGENSIO_PARITY_NONE, nullptr, nullptr);
    sergensio_stopbits(sio, 1, nullptr, nullptr);
    sergensio_flowcontrol(sio, SERGENSIO_FLOWCONTROL_NONE, nullptr, nullptr);
}

void GensioConnection::send(const QByteArray& bytes)
{
    if (!open_) {
        pendingOut_ -= bytes.size();
        return;
    }
    outbound_.append(bytes);
    flush();
}

void GensioConnection::flush()
{
    while (open_ && !outbound_.isEmpty()) {
        gensiods count = 0;
        const int rv = gensio_write(io_, &count, outbound_.constData(),
                                    static_cast<gensiods>(outbound_.size()), nullptr);
        if (rv != 0) {
            lose(rv);
            return;
        }
        outbound_.remove(0, static_cast<qsizetype>(count));
        pendingOut_ -= static_cast<qint64>(count);
        if (!outbound_.isEmpty()) {
            gensio_set_write_callback_enable(io_, true); // the rest when there is room
            return;
        }
    }
    if (io_ && open_)
        gensio_set_write_callback_enable(io_, false);
}

void GensioConnection::received(const unsigned char* bytes, std::size_t n)
{
    const std::lock_guard<std::mutex> lock(mutex_);
    if (!receiver_)
        return;
    // Bounded like the serial control's own input: a flood the GUI thread
    // does not keep up with is dropped here rather than held.
    const qsizetype room = std::max<qsizetype>(0, kInboundLimit - inbound_.size());
    if (static_cast<qsizetype>(n) > room)
        dropped_ += static_cast<quint64>(static_cast<qsizetype>(n) - room);
    inbound_.append(reinterpret_cast<const char*>(bytes), std::min(room, static_cast<qsizetype>(n)));
    if (dataPosted_)
        return; // the reader takes everything that waits
    dataPosted_ = true;
    QMetaObject::invokeMethod(
        receiver_,
        [self = shared_from_this()] {
            GensioClient* client = nullptr;
            bool waiting = false;
            {
                const std::lock_guard<std::mutex> lock(self->mutex_);
                self->dataPosted_ = false;
                client = self->client_;
                waiting = !self->inbound_.isEmpty();
            }
            if (client && waiting)
                client->gensioDataWaiting();
        },
        Qt::QueuedConnection);
}

int GensioConnection::onEvent(gensio*, void* user, int event, int err, unsigned char* buf,
                              unsigned long* buflen, const char* const*)
{
    auto* self = static_cast<GensioConnection*>(user);
    switch (event) {
    case GENSIO_EVENT_READ:
        if (err != 0) {
            self->lose(err);
            return 0;
        }
        if (!self->closing_)
            self->received(buf, *buflen);
        return 0; // *buflen: all of it taken
    case GENSIO_EVENT_WRITE_READY:
        self->flush();
        return 0;
    default:
        return GE_NOTSUP; // modem and line state reports: not used
    }
}

void GensioConnection::lose(int err)
{
    if (!open_)
        return;
    open_ = false;
    const QString why = err == GE_REMCLOSE ? serverClosedText()
                        : err == GE_TIMEDOUT ? serverSilentText()
                                             : errorText(err);
    post([why](GensioClient& c) { c.gensioLost(why); });
    closeGensio();
}

void GensioConnection::shutDown()
{
    if (closing_)
        return;
    closing_ = true;
    open_ = false;
    closeGensio();
}

void GensioConnection::closeGensio()
{
    pendingOut_ -= outbound_.size();
    outbound_.clear();
    if (closeStarted_)
        return;
    closeStarted_ = true;
    if (!io_) {
        release();
        return;
    }
    loop_.closing(this);
    opening_ = false;
    gensio_set_read_callback_enable(io_, false);
    gensio_set_write_callback_enable(io_, false);
    const int rv = gensio_close(
        io_,
        [](gensio* io, void* self) {
            gensio_free(io);
            auto* c = static_cast<GensioConnection*>(self);
            c->io_ = nullptr;
            c->release();
        },
        this);
    if (rv != 0) // never opened: free it outright
        freeLater();
}

void GensioConnection::freeLater()
{
    // Not from inside one of the gensio's own callbacks.
    closeStarted_ = true;
    loop_.post([self = shared_from_this()] {
        if (self->io_)
            gensio_free(self->io_);
        self->io_ = nullptr;
        self->release();
    });
}

void GensioConnection::release()
{
    if (io_)
        return;
    loop_.closed(this);
    const std::shared_ptr<GensioConnection> last = std::move(self_); // may end this object
}

} // namespace orva
