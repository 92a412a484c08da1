#pragma once

#include <QProcess>
#include <QTemporaryDir>

#include <string>

namespace orva::test {

// Debian's ser2net in a child process, serving one device on 127.0.0.1:
// raw TCP or RFC 2217. Its port is chosen by the system (so suites running
// side by side never clash) and read back from the listening socket; stop()
// and start() again keep that port, as a restarted server would.
class Ser2net {
public:
    enum class Mode { Raw, Rfc2217 };

    Ser2net(std::string device, Mode mode);
    ~Ser2net();
    Ser2net(const Ser2net&) = delete;
    Ser2net& operator=(const Ser2net&) = delete;

    // ser2net holds back what comes from the device for a character time or
    // two, to send it in fewer packets ("chardelay", on by default).
    void setCharDelay(bool on) { charDelay_ = on; }
    // What it says to every client at connect (its "banner" option).
    void setBanner(std::string text) { banner_ = std::move(text); }

    bool start();
    void stop(); // SIGTERM to its process, by PID
    bool running() const { return process_.state() == QProcess::Running; }

    quint16 port() const { return port_; }
    // The map entry that reaches it: tcp://127.0.0.1:P or rfc2217://127.0.0.1:P.
    std::string target() const;
    const std::string& error() const { return error_; }
    std::string output(); // what it printed, for failure messages

private:
    quint16 listeningPort() const;

    std::string device_;
    Mode mode_;
    QTemporaryDir dir_;
    QProcess process_;
    quint16 port_ = 0;
    bool charDelay_ = true;
    std::string banner_;
    std::string error_;
    std::string output_;
};

// A TCP port on 127.0.0.1 that nothing listens on (refused at once).
quint16 closedLocalPort();

} // namespace orva::test
