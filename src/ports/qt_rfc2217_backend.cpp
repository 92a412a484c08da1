#include "ports/qt_rfc2217_backend.h"

#include "ports/qt_host_lookup.h"

#include <QMetaObject>

#include <utility>

namespace orva {

// A server that is still closing the previous connection to its port
// (ser2net takes a moment after a telnet session ends) takes the next one and
// closes it at once. Such an open is tried again, this often, until the open
// limit of the serial control gives up on it.
static constexpr int kBusyRetryMs = 200;

Rfc2217Backend::Rfc2217Backend(QString host, quint16 port, QObject* parent)
    : PortBackend(parent), host_(std::move(host)), port_(port)
{
    retry_.setSingleShot(true);
    retry_.setInterval(kBusyRetryMs);
    connect(&retry_, &QTimer::timeout, this, [this] {
        if (opening_)
            connectTo(addresses_);
    });
}

Rfc2217Backend::~Rfc2217Backend()
{
    close();
}

std::string Rfc2217Backend::gensioSpec(const QList<QHostAddress>& addresses, quint16 port)
{
    // Tried in order until one answers.
    std::string spec = "telnet(rfc2217),tcp(nodelay)";
    for (const QHostAddress& a : addresses)
        spec += "," + a.toString().toStdString() + "," + std::to_string(port);
    return spec;
}

void Rfc2217Backend::open(qint32 baud)
{
    baud_ = baud;
    opening_ = true;
    refusals_ = 0;
    if (const std::string& trouble = GensioLoop::instance().error(); !trouble.empty()) {
        const QString why = QString::fromStdString(trouble);
        QMetaObject::invokeMethod(
            this,
            [this, why] {
                if (!opening_)
                    return;
                opening_ = false;
                emit openFinished(false, why);
            },
            Qt::QueuedConnection);
        return;
    }
    // The name is looked up here, where it can be given up on; the library
    // is handed addresses only and never waits for a name server.
    lookup_ = QHostInfo::lookupHost(host_, this, &Rfc2217Backend::onLookedUp);
}

void Rfc2217Backend::onLookedUp(const QHostInfo& info)
{
    lookup_ = -1;
    if (!opening_)
        return;
    if (info.error() != QHostInfo::NoError || info.addresses().isEmpty()) {
        opening_ = false;
        emit openFinished(false, info.errorString());
        return;
    }
    addresses_ = info.addresses();
    connectTo(addresses_);
}

QString Rfc2217Backend::openTimedOut(int seconds) const
{
    if (lookup_ >= 0)
        return QStringLiteral("no answer from the name server for %1 within %2 s").arg(host_).arg(seconds);
    if (refusals_ > 0) {
        // Every try was taken and closed: not a server that cannot speak the
        // protocol, but one that will not give this client the port.
        return QStringLiteral("the server closed the connection at once, %1 times in %2 s (another client may hold "
                              "the port)")
            .arg(refusals_)
            .arg(seconds);
    }
    if (connected_)
        return QStringLiteral("RFC 2217 negotiation failed: the server took the connection but gave no telnet "
                              "COM-PORT-OPTION answer within %1 s (a raw TCP port is written tcp://)")
            .arg(seconds);
    return {};
}

void Rfc2217Backend::connectTo(const QList<QHostAddress>& addresses)
{
    connected_ = false;
    connection_ = GensioConnection::create(GensioLoop::instance(), this, this);
    connection_->open(gensioSpec(addresses, port_), GensioConnection::LineSettings{static_cast<unsigned>(baud_)});
}

void Rfc2217Backend::drop()
{
    if (connection_) {
        dropped_ += connection_->droppedReceived();
        connection_->detach();
        connection_.reset();
    }
}

void Rfc2217Backend::close()
{
    if (lookup_ >= 0) {
        lookupAbandoned();
        QHostInfo::abortHostLookup(lookup_);
        lookup_ = -1;
    }
    retry_.stop();
    opening_ = false;
    open_ = false;
    drop();
}

bool Rfc2217Backend::setBaudRate(qint32 baud)
{
    baud_ = baud;
    if (!open_)
        return false;
    connection_->setBaudRate(static_cast<unsigned>(baud));
    return true;
}

bool Rfc2217Backend::write(const QByteArray& bytes, QString& error)
{
    if (!open_) {
        error = QStringLiteral("the port is closed");
        return false;
    }
    connection_->write(bytes);
    return true;
}

QByteArray Rfc2217Backend::readAll()
{
    QByteArray out = std::exchange(leftOver_, {});
    if (connection_)
        out += connection_->takeReceived();
    return out;
}

qint64 Rfc2217Backend::bytesToWrite() const
{
    return connection_ ? connection_->bytesToWrite() : 0;
}

void Rfc2217Backend::gensioOpened()
{
    if (!opening_)
        return;
    opening_ = false;
    open_ = true;
    emit openFinished(true, {});
}

void Rfc2217Backend::gensioOpenFailed(const QString& why, bool serverClosed)
{
    if (!opening_)
        return;
    drop();
    if (serverClosed) {
        ++refusals_;
        retry_.start();
        return;
    }
    opening_ = false;
    emit openFinished(false, why);
}

void Rfc2217Backend::gensioDataWaiting()
{
    if (open_)
        emit readyRead();
}

void Rfc2217Backend::gensioLost(const QString& why)
{
    if (!open_)
        return;
    open_ = false;
    if (connection_)
        leftOver_ += connection_->takeReceived();
    drop();
    emit lost(why);
}

} // namespace orva
