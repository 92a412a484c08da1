#include "ports/qt_win32_backend.h"

namespace orva {

namespace {
// How often the driver is asked for input: well under the shortest time a
// reply is waited for, and small beside a byte's time at 9600 baud times a
// reply's length.
constexpr int kPollMs = 5;
} // namespace

Win32Backend::Win32Backend(QString device, QObject* parent) : PortBackend(parent), device_(std::move(device))
{
    poll_.setInterval(kPollMs);
    poll_.setTimerType(Qt::PreciseTimer);
    connect(&poll_, &QTimer::timeout, this, &Win32Backend::pollLine);
}

Win32Backend::~Win32Backend()
{
    close();
}

void Win32Backend::open(qint32 baud)
{
    const std::string why = line_.open(device_.toStdString(), static_cast<std::uint32_t>(baud));
    if (!why.empty()) {
        emit openFinished(false, QString::fromStdString(why));
        return;
    }
    poll_.start();
    emit openFinished(true, {});
}

void Win32Backend::close()
{
    poll_.stop();
    line_.close();
}

bool Win32Backend::write(const QByteArray& bytes, QString& error)
{
    std::string why;
    if (line_.write(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())), why))
        return true;
    error = QString::fromStdString(why);
    return false;
}

qint64 Win32Backend::bytesToWrite() const
{
    return static_cast<qint64>(line_.bytesToWrite());
}

void Win32Backend::pollLine()
{
    const Win32SerialLine::Poll p = line_.poll();
    if (p.lost) {
        poll_.stop();
        emit lost(QString::fromStdString(*p.lost));
        return;
    }
    if (p.received)
        emit readyRead();
}

} // namespace orva
