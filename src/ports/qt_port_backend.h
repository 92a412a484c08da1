#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

namespace orva {

// How a network connection's end is told, whichever kind of port it was, so
// the notice reads the same for raw TCP and RFC 2217.
inline QString serverClosedText()
{
    return QStringLiteral("the server closed the connection");
}
inline QString serverSilentText()
{
    return QStringLiteral("the server stopped answering");
}

// One kind of line behind the serial control (a local device, a raw TCP
// stream, a telnet COM-PORT-OPTION connection), opened once: a backend that
// was closed or lost is thrown away and the next open makes a new one.
// Every backend lives on the GUI thread and signals there.
class PortBackend : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Starts opening at the given baud rate (8 data bits, no parity, 1 stop
    // bit, no flow control); openFinished follows, possibly before this
    // returns.
    virtual void open(qint32 baud) = 0;
    // Closes, or abandons an open under way. No signal follows.
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // A new baud rate for the open line.
    virtual bool setBaudRate(qint32 baud) = 0;
    // Queues every byte at once without waiting for the transmission.
    virtual bool write(const QByteArray& bytes, QString& error) = 0;
    // What was received and not read yet; after a loss, what the line left
    // unread (the last words of a server that closed the connection).
    virtual QByteArray readAll() = 0;
    // Bytes queued by write() that have not gone out yet.
    virtual qint64 bytesToWrite() const = 0;
    // Received bytes the backend itself had to drop (a flood the reader did
    // not keep up with).
    virtual quint64 droppedInput() const { return 0; }
    // Why the open under way has not finished in `seconds`, when that says
    // more than "no connection" ("no answer from the name server ...").
    virtual QString openTimedOut(int seconds) const
    {
        (void)seconds;
        return {};
    }

signals:
    void openFinished(bool opened, const QString& error);
    // Received bytes are waiting.
    void readyRead();
    // The open line went away; the backend is closed already.
    void lost(const QString& why);
};

} // namespace orva
