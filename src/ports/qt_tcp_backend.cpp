#include "ports/qt_tcp_backend.h"

#include "ports/qt_host_lookup.h"
#include "ports/qt_link_platform.h"

#include <QMetaObject>
#include <QNetworkProxy>

#include <utility>

namespace orva {

TcpBackend::TcpBackend(QString host, quint16 port, QObject* parent)
    : PortBackend(parent), host_(std::move(host)), port_(port)
{
    // Straight to the device server: a web proxy of the desktop (Qt would
    // tunnel through one) is no way to a serial line on the local network.
    socket_.setProxy(QNetworkProxy::NoProxy);
    // The serial control takes what comes at every readyRead; the socket
    // itself never holds more than this either (a flood waits in the system).
    socket_.setReadBufferSize(64 * 1024);
    connect(&socket_, &QTcpSocket::connected, this, &TcpBackend::onConnected);
    connect(&socket_, &QTcpSocket::errorOccurred, this, &TcpBackend::onError);
    connect(&socket_, &QTcpSocket::disconnected, this, &TcpBackend::onDisconnected);
    connect(&socket_, &QTcpSocket::readyRead, this, &PortBackend::readyRead);
}

TcpBackend::~TcpBackend()
{
    close();
}

void TcpBackend::open(qint32)
{
    opening_ = true;
    socket_.connectToHost(host_, port_);
}

void TcpBackend::close()
{
    if (socket_.state() == QAbstractSocket::HostLookupState)
        lookupAbandoned();
    opening_ = false;
    open_ = false;
    socket_.abort();
}

QString TcpBackend::openTimedOut(int seconds) const
{
    if (socket_.state() == QAbstractSocket::HostLookupState)
        return QStringLiteral("no answer from the name server for %1 within %2 s").arg(host_).arg(seconds);
    return {};
}

void TcpBackend::onConnected()
{
    if (!opening_)
        return;
    opening_ = false;
    open_ = true;
    // Commands are a few bytes each: send them at once.
    socket_.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    keepConnectionWatched(socket_.socketDescriptor());
    emit openFinished(true, {});
}

void TcpBackend::onError(QAbstractSocket::SocketError)
{
    if (opening_) {
        opening_ = false;
        const QString why = socket_.errorString();
        QMetaObject::invokeMethod(this, [this] { socket_.abort(); }, Qt::QueuedConnection);
        emit openFinished(false, why);
        return;
    }
    if (!open_)
        return;
    switch (socket_.error()) {
    case QAbstractSocket::RemoteHostClosedError:
        loseLater(serverClosedText());
        break;
    case QAbstractSocket::SocketTimeoutError:
        loseLater(serverSilentText());
        break;
    default:
        loseLater(socket_.errorString());
        break;
    }
}

void TcpBackend::onDisconnected()
{
    if (open_)
        loseLater(serverClosedText());
}

void TcpBackend::loseLater(const QString& why)
{
    open_ = false;
    // Not inside the socket's own signal: it is still at work there.
    QMetaObject::invokeMethod(
        this,
        [this, why] {
            if (socket_.isOpen())
                leftOver_ += socket_.readAll();
            socket_.abort();
            emit lost(why);
        },
        Qt::QueuedConnection);
}

QByteArray TcpBackend::readAll()
{
    QByteArray out = std::exchange(leftOver_, {});
    if (socket_.isOpen())
        out += socket_.readAll();
    return out;
}

bool TcpBackend::write(const QByteArray& bytes, QString& error)
{
    if (!open_) {
        error = QStringLiteral("the port is closed");
        return false;
    }
    if (socket_.write(bytes) != bytes.size()) {
        error = socket_.errorString();
        return false;
    }
    return true;
}

qint64 TcpBackend::bytesToWrite() const
{
    qint64 queued = socket_.bytesToWrite();
    // And what the system holds but has not sent yet (the server's window
    // is shut when it takes no more).
    if (open_)
        queued += unsentTcpBytes(socket_.socketDescriptor());
    return queued;
}

} // namespace orva
