#pragma once

#include "ports/qt_gensio.h"
#include "ports/qt_port_backend.h"

#include <QHostInfo>
#include <QTimer>

#include <memory>

namespace orva {

// A serial port on a device server that speaks RFC 2217 (telnet's
// COM-PORT-OPTION): ser2net "accepter: telnet(rfc2217),tcp,...", device
// servers in RFC 2217 mode. The line settings go to the server at every open
// and baud change, and telnet's byte stuffing keeps all 256 byte values
// intact both ways. Telnet and RFC 2217 are the gensio library's.
class Rfc2217Backend : public PortBackend, private GensioClient {
    Q_OBJECT
public:
    Rfc2217Backend(QString host, quint16 port, QObject* parent = nullptr);
    ~Rfc2217Backend() override;

    void open(qint32 baud) override;
    void close() override;
    bool isOpen() const override { return open_; }
    bool setBaudRate(qint32 baud) override;
    bool write(const QByteArray& bytes, QString& error) override;
    QByteArray readAll() override;
    qint64 bytesToWrite() const override;
    QString openTimedOut(int seconds) const override;
    quint64 droppedInput() const override { return dropped_ + (connection_ ? connection_->droppedReceived() : 0); }

    // The gensio description of a connection to `addresses` (already
    // resolved) on `port`.
    static std::string gensioSpec(const QList<QHostAddress>& addresses, quint16 port);

private:
    void onLookedUp(const QHostInfo& info);
    void connectTo(const QList<QHostAddress>& addresses);
    void drop();

    void gensioOpened() override;
    void gensioConnected() override { connected_ = opening_; }
    void gensioOpenFailed(const QString& why, bool serverClosed) override;
    void gensioDataWaiting() override;
    void gensioLost(const QString& why) override;

    QString host_;
    quint16 port_;
    qint32 baud_ = 19200;
    int lookup_ = -1;
    QList<QHostAddress> addresses_;
    QByteArray leftOver_;
    quint64 dropped_ = 0; // by the connections before this one
    QTimer retry_;
    bool opening_ = false;
    bool connected_ = false; // the TCP connection of the open under way is up
    int refusals_ = 0;       // connections of this open the server closed at once
    bool open_ = false;
    std::shared_ptr<GensioConnection> connection_;
};

} // namespace orva
