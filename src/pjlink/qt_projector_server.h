#pragma once

#include "pjlink/bridge.h"
#include "pjlink/config.h"
#include "pjlink/doorman.h"
#include "pjlink/line_queue.h"
#include "pjlink/server_hooks.h"

#include <QObject>
#include <QTcpServer>

#include <functional>
#include <memory>

namespace orva {
class QtSerialPort;
class QtTimerSource;
}

namespace orva::pjlink {

// One projector on the network: its listening socket, its line (a serial
// control of its own, kept open), its queue and its bridge. Clients are
// children of the server and go with it.
class QtProjectorServer : public QObject {
    Q_OBJECT
public:
    using Log = std::function<void(const std::string& line)>;

    QtProjectorServer(ProjectorConfig config, Doorman& doorman, GreetingNumbers& numbers, ServerHooks hooks,
                      Log log, QObject* parent = nullptr);
    ~QtProjectorServer() override;

    // Listens and opens the line; false with `error` when the address
    // cannot be taken.
    bool start(std::string& error);

    const ProjectorConfig& config() const { return config_; }
    LineQueue& line() { return *queue_; }
    quint16 listeningPort() const { return server_.serverPort(); }
    QHostAddress listeningAddress() const { return server_.serverAddress(); }

private:
    class Listener : public QTcpServer {
    public:
        std::function<void(qintptr)> incoming;

    protected:
        void incomingConnection(qintptr descriptor) override { incoming(descriptor); }
    };

    void accept(qintptr descriptor);

    ProjectorConfig config_;
    Doorman& doorman_;
    GreetingNumbers& numbers_;
    ServerHooks hooks_;
    Log log_;
    Listener server_;
    std::unique_ptr<QtTimerSource> timers_;
    std::unique_ptr<QtSerialPort> port_;
    std::unique_ptr<LineQueue> queue_;
    std::unique_ptr<ProjectorBridge> bridge_;
};

// MD5 of `text` in lower-case hex.
std::string md5Hex(const std::string& text);
// The key of the greeting numbers, from the system's random source.
std::array<std::uint64_t, 4> greetingKey();

} // namespace orva::pjlink
