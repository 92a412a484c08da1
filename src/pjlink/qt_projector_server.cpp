#include "pjlink/qt_projector_server.h"

#include "link/qt_serial_port.h"
#include "link/qt_timer.h"
#include "pjlink/qt_listen_address.h"
#include "pjlink/session.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QHostAddress>
#include <QRandomGenerator>
#include <QTcpSocket>
#include <QTimer>

namespace orva::pjlink {
namespace {

std::string peerOf(const QTcpSocket& socket)
{
    QHostAddress address = socket.peerAddress();
    bool mapped = false;
    const quint32 v4 = address.toIPv4Address(&mapped);
    if (mapped)
        address = QHostAddress(v4);
    return address.toString().toStdString() + ":" + std::to_string(socket.peerPort());
}

// One client: the socket, its session and the session's idle timer.
class QtClient : public QObject, public ClientLink {
public:
    QtClient(QTcpSocket* socket, CommandHandler& handler, const Authentication& auth, QObject* parent)
        : QObject(parent), socket_(socket), session_(*this, handler, idle_, auth)
    {
        socket_->setParent(this);
        socket_->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        connect(socket_, &QTcpSocket::readyRead, this, [this] {
            const QByteArray bytes = socket_->readAll();
            session_.received(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
        });
        connect(socket_, &QTcpSocket::disconnected, this, &QObject::deleteLater);
    }

    Session& session() { return session_; }

    void send(const std::string& bytes) override
    {
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
        socket_->disconnectFromHost(); // after what is queued; then `disconnected`
        // ... unless the client never takes it.
        QTimer::singleShot(kCloseGraceMs, socket_, [s = socket_] { s->abort(); });
    }

private:
    static constexpr qint64 kMaxUnsent = 64 * 1024;
    static constexpr int kCloseGraceMs = 5000;

    QTcpSocket* socket_;
    QtTimer idle_;
    Session session_;
};

} // namespace

std::string md5Hex(const std::string& text)
{
    return QCryptographicHash::hash(QByteArray::fromStdString(text), QCryptographicHash::Md5).toHex().toStdString();
}

std::string randomHex8()
{
    return QString::number(QRandomGenerator::system()->generate(), 16)
        .rightJustified(8, QLatin1Char('0'))
        .toStdString();
}

QtProjectorServer::QtProjectorServer(ProjectorConfig config, ConnectionBudget& budget, ServerHooks hooks, Log log,
                                     QObject* parent)
    : QObject(parent),
      config_(std::move(config)),
      budget_(budget),
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
    server_.setMaxPendingConnections(64);
    connect(&server_, &QTcpServer::newConnection, this, &QtProjectorServer::accept);
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

void QtProjectorServer::accept()
{
    while (QTcpSocket* socket = server_.nextPendingConnection()) {
        const std::string peer = peerOf(*socket);
        if (!budget_.take()) {
            log_(config_.section + ": connection from " + peer + " refused: "
                 + std::to_string(budget_.limit()) + " connections are open");
            if (hooks_.refused)
                hooks_.refused(config_.section, peer);
            socket->abort();
            socket->deleteLater();
            continue;
        }
        if (hooks_.accepted)
            hooks_.accepted(config_.section, peer);
        const Authentication auth{config_.password, randomHex8, md5Hex};
        auto* client = new QtClient(socket, *bridge_, auth, this);
        ConnectionBudget* budget = &budget_;
        connect(client, &QObject::destroyed, [budget] { budget->give(); });
        const std::string section = config_.section;
        client->session().setAuthFailureHandler([this, section, peer] {
            log_(section + ": authentication failed for " + peer);
            if (hooks_.authFailed)
                hooks_.authFailed(section, peer);
        });
        client->session().start();
    }
}

} // namespace orva::pjlink
