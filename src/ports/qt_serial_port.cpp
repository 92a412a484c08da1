#include "ports/qt_serial_port.h"

#include "ports/qt_link_platform.h"
#include "ports/qt_port_backend.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QNetworkInterface>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <utility>

namespace orva {
namespace {

// Keeps the operator's input away while an open is being decided: presses,
// keys, wheel turns and close requests are dropped (not held back to act
// later, when the operator no longer expects them). Releases and moves go
// through, so a button pressed before the wait still gets its release.
class InputHold : public QObject {
public:
    InputHold()
    {
        if (QCoreApplication* app = QCoreApplication::instance())
            app->installEventFilter(this);
    }
    ~InputHold() override
    {
        if (QCoreApplication* app = QCoreApplication::instance())
            app->removeEventFilter(this);
    }

    bool eventFilter(QObject*, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::NonClientAreaMouseButtonPress:
        case QEvent::NonClientAreaMouseButtonDblClick:
        case QEvent::KeyPress:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::Wheel:
        case QEvent::TouchBegin:
        case QEvent::TabletPress:
        case QEvent::ContextMenu:
        case QEvent::Close:
            return true;
        default:
            return false;
        }
    }
};

// Every serial control of the process, for closing them on a fatal exit.
// Never freed: the exit handler that reads it may run after the program's
// static objects are gone.
std::set<QtSerialPort*>& livePorts()
{
    static auto* const ports = new std::set<QtSerialPort*>;
    return *ports;
}

void closeLivePorts()
{
    const std::set<QtSerialPort*> ports = livePorts();
    for (QtSerialPort* port : ports)
        port->close();
}

QtMessageHandler gPreviousHandler = nullptr;

void closePortsOnFatal(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type == QtFatalMsg)
        closeLivePorts();
    if (gPreviousHandler)
        gPreviousHandler(type, context, message);
}

// An IPv6 zone ("%eth0", "%2") that names no interface of this machine;
// the system would only say "Connection refused" or worse.
QString zoneProblem(const PortTarget& target)
{
    const std::size_t percent = target.host.find('%');
    if (!target.isNetwork() || percent == std::string::npos)
        return {};
    const QString zone = QString::fromStdString(target.host.substr(percent + 1));
    bool numeric = false;
    const int index = zone.toInt(&numeric);
    const bool known = numeric ? !QNetworkInterface::interfaceNameFromIndex(index).isEmpty()
                               : QNetworkInterface::interfaceIndexFromName(zone) != 0;
    return known ? QString() : QStringLiteral("no such interface: %1 (the zone after %)").arg(zone);
}

} // namespace

void QtSerialPort::releaseOnFatalExit()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    // A peer gone while it was written to (the X server at a logout, a
    // reader of the output that quit) would end the process by SIGPIPE,
    // past every exit handler. Ignored, the write fails instead and the
    // program ends its own way: through exit() and the handler below.
    letBrokenPipesFail();
    std::atexit(closeLivePorts);
    gPreviousHandler = qInstallMessageHandler(closePortsOnFatal);
}

qint32 baudOfSettings(const std::string& settings)
{
    const auto comma = settings.find(',');
    const std::string head = settings.substr(0, comma);
    if (head.empty() || head.find_first_not_of("0123456789") != std::string::npos || head.size() > 7)
        return 0;
    return static_cast<qint32>(std::stol(head));
}

QtSerialPort::QtSerialPort(Resolver resolver, QObject* parent)
    : QObject(parent), resolver_(std::move(resolver))
{
    livePorts().insert(this);
    openLimit_.setSingleShot(true);
    openLimit_.setInterval(kOpenLimitMs);
    settle_.setSingleShot(true);
    connect(&settle_, &QTimer::timeout, this, [this] { finishOpen(true, {}); });
    connect(&openLimit_, &QTimer::timeout, this, [this] {
        if (!opening_)
            return;
        const int seconds = kOpenLimitMs / 1000;
        const QString why = backend_ ? backend_->openTimedOut(seconds) : QString();
        discardBackend();
        finishOpen(false, why.isEmpty() ? QStringLiteral("no connection within %1 s").arg(seconds) : why);
    });
}

QtSerialPort::~QtSerialPort()
{
    livePorts().erase(this);
    discardBackend();
}

int QtSerialPort::settleMs(qint64 connectMs)
{
    // A refusal comes back about one round trip after the connection is up;
    // the time the connection took stands for that, twice over for safety.
    return static_cast<int>(std::clamp<qint64>(2 * connectMs + 100, 150, 1500));
}

void QtSerialPort::setTarget(std::optional<PortTarget> target)
{
    fixed_ = std::move(target);
}

bool QtSerialPort::setPortNumber(int number)
{
    if (isOpen() || opening_ || !isUsablePort(number)) {
        error_ = "port number " + std::to_string(number) + " refused";
        return false;
    }
    number_ = number;
    return true;
}

void QtSerialPort::setSettings(const std::string& settings)
{
    const qint32 baud = baudOfSettings(settings);
    if (!baud)
        return;
    baud_ = baud;
    if (backend_ && backend_->isOpen())
        backend_->setBaudRate(baud_);
}

std::string QtSerialPort::deviceName() const
{
    if (current_)
        return current_->text();
    if (fixed_)
        return fixed_->text();
    return number_ ? "COM" + std::to_string(number_) : std::string("no port");
}

std::string QtSerialPort::prefixed(const QString& why) const
{
    return deviceName() + ": " + why.toStdString();
}

bool QtSerialPort::start()
{
    if (isOpen()) {
        error_ = "already open";
        return false;
    }
    discardBackend();
    opening_ = false;
    if (!fixed_ && number_ == 0) {
        error_ = "no port chosen";
        return false;
    }
    std::optional<PortTarget> target = fixed_;
    if (!target) {
        const PortResolution r = resolver_(number_);
        if (!r.target) {
            current_.reset();
            error_ = r.name + ": " + r.error;
            return false;
        }
        target = r.target;
    }
    current_ = target;
    if (const QString why = zoneProblem(*target); !why.isEmpty()) {
        error_ = prefixed(why);
        return false;
    }
    QString refusal;
    backend_ = makePortBackend(*target, this, refusal);
    if (!backend_) {
        error_ = prefixed(refusal);
        return false;
    }
    connect(backend_, &PortBackend::openFinished, this, &QtSerialPort::backendOpened);
    connect(backend_, &PortBackend::lost, this, &QtSerialPort::onLost);
    connect(backend_, &PortBackend::readyRead, this, &QtSerialPort::onReadyRead);
    opening_ = true;
    readPending_ = false;
    input_.clear();
    dropped_ = 0;
    openClock_.start();
    if (target->isNetwork())
        openLimit_.start();
    backend_->open(baud_);
    return true;
}

bool QtSerialPort::open()
{
    reportOpen_ = false;
    if (!start())
        return false;
    if (opening_) {
        // A network port: let the event loop run (the windows paint, the
        // timers tick) but take no input until the open is decided.
        const InputHold hold;
        QEventLoop wait;
        connect(this, &QtSerialPort::openDone, &wait, &QEventLoop::quit);
        if (opening_)
            wait.exec();
        if (opening_)
            close(); // the wait was ended from outside (the application quits): the open is given up
    }
    return isOpen();
}

void QtSerialPort::beginOpen()
{
    reportOpen_ = true;
    if (!start()) {
        reportOpen_ = false;
        if (listener())
            listener()->onOpenFinished(false);
    }
    // Otherwise finishOpen reports, now or later.
}

void QtSerialPort::backendOpened(bool opened, const QString& why)
{
    if (!opening_)
        return;
    if (opened && current_ && current_->isNetwork()) {
        openLimit_.stop();
        settle_.start(settleMs(openClock_.elapsed()));
        return;
    }
    finishOpen(opened, why);
}

void QtSerialPort::finishOpen(bool opened, const QString& why)
{
    if (!opening_)
        return;
    opening_ = false;
    openLimit_.stop();
    settle_.stop();
    if (opened) {
        error_.clear();
    } else {
        error_ = prefixed(why);
        discardBackend();
    }
    emit openDone();
    if (reportOpen_) {
        reportOpen_ = false;
        if (listener())
            listener()->onOpenFinished(opened);
    }
    if (opened && readPending_) {
        // What the line sent while the open was being decided.
        readPending_ = false;
        QMetaObject::invokeMethod(this, &QtSerialPort::onReadyRead, Qt::QueuedConnection);
    }
}

namespace {

// What a server said before it closed, fit for a message.
QString lastWords(const QByteArray& bytes)
{
    QString out;
    for (char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if (u >= 0x20 && u < 0x7F)
            out += QChar(u);
        else if (!out.endsWith(' '))
            out += ' ';
    }
    out = out.simplified();
    if (out.size() > 80)
        out = out.left(77) + "...";
    return out;
}

} // namespace

quint64 QtSerialPort::droppedInput() const
{
    return dropped_ + (backend_ ? backend_->droppedInput() : 0);
}

void QtSerialPort::takeInput()
{
    if (!backend_)
        return;
    const QByteArray bytes = backend_->readAll();
    const qsizetype room = std::max<qsizetype>(0, kInputLimit - input_.size());
    if (bytes.size() > room)
        dropped_ += static_cast<quint64>(bytes.size() - room);
    input_.append(bytes.constData(), std::min(room, bytes.size()));
}

void QtSerialPort::onReadyRead()
{
    takeInput();
    if (opening_) {
        readPending_ = !input_.isEmpty(); // told once the port is open
        return;
    }
    if (listener() && isOpen() && !input_.isEmpty())
        listener()->onComm(kCommEventReceive);
}

void QtSerialPort::onLost(const QString& why)
{
    if (opening_) {
        // Taken and dropped at once: the server refused the port.
        takeInput();
        const QString said = lastWords(std::exchange(input_, {}));
        discardBackend();
        finishOpen(false, said.isEmpty() ? why : why + " (\"" + said + "\")");
        return;
    }
    error_ = prefixed(why);
    discardBackend();
    if (listener())
        listener()->onPortLost(error_);
}

void QtSerialPort::discardBackend()
{
    if (!backend_)
        return;
    PortBackend* b = backend_;
    backend_ = nullptr;
    b->disconnect(this);
    b->close();
    b->deleteLater(); // it may be in the middle of one of its own signals
}

void QtSerialPort::close()
{
    const bool wasOpening = opening_;
    opening_ = false;
    reportOpen_ = false;
    readPending_ = false;
    input_.clear();
    openLimit_.stop();
    settle_.stop();
    discardBackend();
    if (wasOpening) {
        error_ = deviceName() + ": closed before it opened";
        emit openDone(); // a waiting open() ends, unopened
    }
}

bool QtSerialPort::isOpen() const
{
    return backend_ && !opening_ && backend_->isOpen();
}

bool QtSerialPort::write(std::string_view frame)
{
    if (!isOpen()) {
        error_ = "the port is closed";
        return false;
    }
    QString why;
    if (!backend_->write(QByteArray(frame.data(), static_cast<qsizetype>(frame.size())), why)) {
        error_ = why.toStdString();
        return false;
    }
    return true;
}

std::string QtSerialPort::read()
{
    takeInput();
    const QByteArray bytes = std::exchange(input_, {});
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

std::size_t QtSerialPort::bytesToWrite() const
{
    return backend_ ? static_cast<std::size_t>(std::max<qint64>(0, backend_->bytesToWrite())) : 0;
}

} // namespace orva
