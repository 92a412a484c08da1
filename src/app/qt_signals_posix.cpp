#include "app/qt_signals.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace orva {

namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

int gSignalSockets[2] = {-1, -1}; // [0] written by the handler, [1] read by the event loop

extern "C" void writeSignalNumber(int signal)
{
    const int saved = errno;
    const auto byte = static_cast<unsigned char>(signal);
    if (::write(gSignalSockets[0], &byte, 1) < 0) {
        // Full or gone: a signal is already waiting to be read.
    }
    errno = saved;
}

void setHandler(void (*handler)(int))
{
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int s : kSignals)
        sigaction(s, &action, nullptr);
}

} // namespace

QtTerminationSignals::QtTerminationSignals(std::function<void(int)> shutDown, QObject* parent)
    : QObject(parent), shutDown_(std::move(shutDown))
{
    if (gSignalSockets[0] >= 0)
        return; // one watcher per program
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, gSignalSockets) != 0)
        return;
    for (int fd : gSignalSockets)
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    auto* notifier = new QSocketNotifier(gSignalSockets[1], QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, [this] {
        unsigned char byte = 0;
        int signal = 0;
        while (::read(gSignalSockets[1], &byte, 1) == 1)
            signal = byte;
        if (signal != 0)
            arrived(signal);
    });
    watcher_ = notifier;
    installed_ = true;
    setHandler(writeSignalNumber);
}

QtTerminationSignals::~QtTerminationSignals()
{
    if (!installed_)
        return;
    setHandler(SIG_DFL);
    delete watcher_;
    for (int& fd : gSignalSockets) {
        ::close(fd);
        fd = -1;
    }
}

void QtTerminationSignals::arrived(int signal)
{
    if (taken_)
        return;
    taken_ = true;
    setHandler(SIG_DFL); // a second signal ends the program at once
    if (shutDown_)
        shutDown_(signal);
}

} // namespace orva
