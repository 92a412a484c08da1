#include "pjlink/qt_projector_server.h"

#include "ports/qt_serial_port.h"
#include "ports/qt_timer.h"
#include "pjlink/qt_listen_address.h"
#include "pjlink/session.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QHostAddress>
#include <QPointer>
#include <QRandomGenerator>
#include <QTcpSocket>
#include <QTimer>

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <fcntl.h>
#include <unistd.h>

namespace orva::pjlink {
namespace {

QHostAddress plainPeer(const QTcpSocket& socket)
{
    QHostAddress address = socket.peerAddress();
    bool mapped = false;
    const quint32 v4 = address.toIPv4Address(&mapped);
    if (mapped)
        address = QHostAddress(v4);
    return address;
}

std::string peerOf(const QTcpSocket& socket)
{
    return plainPeer(socket).toString().toStdString() + ":" + std::to_string(socket.peerPort());
}

std::string sourceOf(const QTcpSocket& socket)
{
    const QHostAddress address = plainPeer(socket);
    if (address.protocol() == QAbstractSocket::IPv4Protocol) {
        const quint32 v4 = address.toIPv4Address();
        const std::uint8_t bytes[4] = {static_cast<std::uint8_t>(v4 >> 24), static_cast<std::uint8_t>(v4 >> 16),
                                       static_cast<std::uint8_t>(v4 >> 8), static_cast<std::uint8_t>(v4)};
        return sourceKey(bytes, 4);
    }
    const Q_IPV6ADDR v6 = address.toIPv6Address();
    return sourceKey(v6.c, 16);
}

// Qt closes a socket once the peer has shut down its side, and so cannot
// answer a client that half-closed after its last command. A second
// descriptor of the connection, kept by the client, outlives that: the
// answers still owed go out on it.
bool peerHalfClosed(int descriptor)
{
    tcp_info info{};
    socklen_t length = sizeof info;
    return ::getsockopt(descriptor, IPPROTO_TCP, TCP_INFO, &info, &length) == 0
        && info.tcpi_state == TCP_CLOSE_WAIT;
}

// One client: the socket, its session and the session's idle timer.
class QtClient : public QObject, public ClientLink {
public:
    QtClient(QTcpSocket* socket, int spare, CommandHandler& handler, const Authentication& auth, QObject* parent)
        : QObject(parent), socket_(socket), spare_(spare), session_(*this, handler, idle_, auth)
    {
        socket_->setParent(this);
        socket_->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        socket_->setReadBufferSize(kReadChunk); // a burst is read a piece at a time
        connect(socket_, &QTcpSocket::readyRead, this, [this] {
            const QByteArray bytes = socket_->readAll();
            session_.received(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
        });
        connect(socket_, &QTcpSocket::disconnected, this, [this] { disconnected(); });
        // A connection reset meanwhile has gone, also when half closed.
        session_.setCaller(Caller{sourceOf(*socket_), [this] {
                                      return halfClosed_ ? peerHalfClosed(spare_)
                                                         : socket_->state() == QAbstractSocket::ConnectedState;
                                  }});
    }
    ~QtClient() override
    {
        if (spare_ >= 0)
            ::close(spare_); // the connection ends here (FIN)
    }

    Session& session() { return session_; }

    void abort()
    {
        if (halfClosed_)
            deleteLater(); // Qt's side is closed already
        else
            socket_->abort();
    }

    void send(const std::string& bytes) override
    {
        if (halfClosed_) {
            [[maybe_unused]] const auto n = ::send(spare_, bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
            if (!session_.owesAnswers())
                deleteLater();
            return;
        }
        if (socket_->state() != QAbstractSocket::ConnectedState)
            return;
        // A client that does not read what it is answered is let go, not
        // buffered for without end.
        if (socket_->bytesToWrite() > kMaxUnsent) {
            socket_->abort(); // then `disconnected`
            return;
        }
        socket_->write(bytes.data(), static_cast<qint64>(bytes.size()));
    }
    void close() override
    {
        if (halfClosed_) {
            deleteLater();
            return;
        }
        socket_->disconnectFromHost(); // after what is queued; then `disconnected`
        // ... unless the client never takes it.
        QTimer::singleShot(kCloseGraceMs, socket_, [s = socket_] { s->abort(); });
    }

private:
    static constexpr qint64 kMaxUnsent = 64 * 1024;
    static constexpr qint64 kReadChunk = 16 * 1024;
    static constexpr int kCloseGraceMs = 5000;

    void disconnected()
    {
        if (!halfClosed_ && spare_ >= 0 && session_.owesAnswers() && peerHalfClosed(spare_)) {
            halfClosed_ = true; // answered on the spare descriptor; the session's timers still end it
            return;
        }
        deleteLater();
    }

    QTcpSocket* socket_;
    int spare_;
    bool halfClosed_ = false;
    QtTimer idle_;
    Session session_;
};

} // namespace

std::string md5Hex(const std::string& text)
{
    return QCryptographicHash::hash(QByteArray::fromStdString(text), QCryptographicHash::Md5).toHex().toStdString();
}

std::array<std::uint64_t, 4> greetingKey()
{
    std::array<std::uint64_t, 4> key{};
    for (auto& k : key)
        k = QRandomGenerator::system()->generate64();
    return key;
}

QtProjectorServer::QtProjectorServer(ProjectorConfig config, Doorman& doorman, GreetingNumbers& numbers,
                                     ServerHooks hooks, Log log, QObject* parent)
    : QObject(parent),
      config_(std::move(config)),
      doorman_(doorman),
      numbers_(numbers),
      hooks_(std::move(hooks)),
      log_(std::move(log)),
      timers_(std::make_unique<QtTimerSource>())
{
    port_ = std::make_unique<QtSerialPort>(
        [](int n) { return PortResolution{std::nullopt, "COM" + std::to_string(n), "not used"}; });
    port_->setTarget(config_.target);
    port_->setPortNumber(1);
    port_->setSettings(std::to_string(config_.baud) + ",N,8,1");
    queue_ = std::make_unique<LineQueue>(*port_, *timers_);
    const std::string section = config_.section;
    queue_->setEventHandler([this, section](LineQueue::LineEvent event, const std::string& text) {
        const std::string line = config_.target.text();
        switch (event) {
        case LineQueue::LineEvent::Opened: log_(section + ": line " + line + " open"); break;
        case LineQueue::LineEvent::OpenFailed:
            log_(section + ": cannot open line " + line + ": " + text + " (trying again)");
            break;
        case LineQueue::LineEvent::Lost: log_(section + ": line " + line + " lost: " + text); break;
        case LineQueue::LineEvent::Reopened: log_(section + ": line " + line + " reopened"); break;
        }
    });
    bridge_ = std::make_unique<ProjectorBridge>(
        *queue_, Identity{config_.name, "ORVA", config_.model,
                          "orva-pjlinkd " + QCoreApplication::applicationVersion().toStdString()});
    server_.incoming = [this](qintptr descriptor) { accept(descriptor); };
    doorman_.addProjector(config_.section);
}

QtProjectorServer::~QtProjectorServer()
{
    server_.close();
    // The clients (children) go before the bridge and the queue they use.
    const QObjectList clients = children();
    qDeleteAll(clients);
    bridge_.reset();
    queue_.reset();
    port_.reset();
    doorman_.removeProjector(config_.section);
}

bool QtProjectorServer::start(std::string& error)
{
    if (!server_.listen(listenAddressOf(config_.listenHost), config_.listenPort)) {
        error = config_.section + ": cannot listen on " + config_.listenText() + ": "
            + server_.errorString().toStdString();
        return false;
    }
    queue_->start();
    return true;
}

void QtProjectorServer::accept(qintptr descriptor)
{
    auto* socket = new QTcpSocket;
    const int spare = ::fcntl(static_cast<int>(descriptor), F_DUPFD_CLOEXEC, 0);
    if (!socket->setSocketDescriptor(descriptor)) {
        ::close(static_cast<int>(descriptor));
        if (spare >= 0)
            ::close(spare);
        delete socket;
        return;
    }
    const std::string peer = peerOf(*socket);
    const std::string source = sourceOf(*socket);
    auto holder = std::make_shared<QPointer<QtClient>>();
    const std::uint64_t ticket = doorman_.admit(config_.section, source, peer, [holder] {
        if (*holder)
            (*holder)->abort(); // a newcomer needs the slot
    });
    if (ticket == 0) {
        if (hooks_.refused)
            hooks_.refused(config_.section, peer);
        if (spare >= 0)
            ::close(spare);
        socket->abort();
        delete socket;
        return;
    }
    if (hooks_.accepted)
        hooks_.accepted(config_.section, peer);
    GreetingNumbers* numbers = &numbers_;
    const Authentication auth{config_.password, [numbers] { return numbers->nextHex(); }, md5Hex};
    auto* client = new QtClient(socket, spare, *bridge_, auth, this);
    *holder = client;
    Doorman* doorman = &doorman_;
    connect(client, &QObject::destroyed, [doorman, ticket] { doorman->release(ticket); });
    const std::string section = config_.section;
    client->session().setAuthFailureHandler([this, section, source, peer] {
        if (hooks_.authFailed)
            hooks_.authFailed(section, peer);
        return doorman_.authenticationFailed(section, source, peer);
    });
    client->session().setAuthenticatedHandler([doorman, ticket] { doorman->authenticated(ticket); });
    client->session().start(doorman_.greetingDelay(source));
}

} // namespace orva::pjlink
