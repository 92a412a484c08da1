#pragma once

#include "ports/qt_port_backend.h"

#include <QTcpSocket>

namespace orva {

// A raw TCP byte stream to a serial device server (ser2net "accepter:
// tcp,...", device servers in raw mode). The bytes go through unchanged; the
// line speed is whatever the server has set, since raw mode has no way to
// change it.
class TcpBackend : public PortBackend {
    Q_OBJECT
public:
    TcpBackend(QString host, quint16 port, QObject* parent = nullptr);
    ~TcpBackend() override;

    void open(qint32 baud) override;
    void close() override;
    bool isOpen() const override { return open_; }
    bool setBaudRate(qint32) override { return open_; }
    bool write(const QByteArray& bytes, QString& error) override;
    QByteArray readAll() override;
    qint64 bytesToWrite() const override;
    QString openTimedOut(int seconds) const override;

private:
    void onConnected();
    void onError(QAbstractSocket::SocketError error);
    void onDisconnected();
    void loseLater(const QString& why);

    QString host_;
    quint16 port_;
    QTcpSocket socket_;
    bool opening_ = false;
    bool open_ = false;
    QByteArray leftOver_;
};

} // namespace orva
