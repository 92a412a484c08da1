#include "ser2net.h"

#include "qt_wait.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTcpServer>

#include <set>

#include <unistd.h>

namespace orva::test {
namespace {

// Inodes of the sockets a process holds.
std::set<unsigned long> socketInodes(qint64 pid)
{
    std::set<unsigned long> out;
    const QDir fds(QStringLiteral("/proc/%1/fd").arg(pid));
    for (const QString& fd : fds.entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::System)) {
        char target[256];
        const std::string path = fds.filePath(fd).toStdString();
        const ssize_t n = ::readlink(path.c_str(), target, sizeof target - 1);
        if (n <= 0)
            continue;
        const std::string link(target, static_cast<std::size_t>(n));
        if (link.rfind("socket:[", 0) == 0)
            out.insert(std::stoul(link.substr(8)));
    }
    return out;
}

} // namespace

Ser2net::Ser2net(std::string device, Mode mode) : device_(std::move(device)), mode_(mode)
{
    process_.setProcessChannelMode(QProcess::MergedChannels);
}

Ser2net::~Ser2net()
{
    stop();
}

std::string Ser2net::target() const
{
    return (mode_ == Mode::Raw ? "tcp://127.0.0.1:" : "rfc2217://127.0.0.1:") + std::to_string(port_);
}

bool Ser2net::start()
{
    error_.clear();
    const QString program = QStandardPaths::findExecutable(
        "ser2net", {"/usr/sbin", "/usr/bin", "/sbin", "/bin", "/usr/local/sbin", "/usr/local/bin"});
    if (program.isEmpty()) {
        error_ = "ser2net is not installed (Debian package ser2net)";
        return false;
    }
    const std::string accepter = mode_ == Mode::Raw ? "tcp" : "telnet(rfc2217),tcp";
    const QString config = dir_.filePath("ser2net.yaml");
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        error_ = "cannot write " + config.toStdString();
        return false;
    }
    const std::string yaml = "connection: &projector\n"
                             "  accepter: " + accepter + ",127.0.0.1," + std::to_string(port_) + "\n"
                             "  connector: serialdev," + device_ + ",19200n81,local\n"
                             "  options:\n"
                             "    chardelay: " + (charDelay_ ? "true" : "false") + "\n"
                             + (banner_.empty() ? "" : "    banner: \"" + banner_ + "\"\n");
    file.write(yaml.c_str());
    file.close();
    // -n: in the foreground; -u: no UUCP lock files; -P: its own pid file,
    // not the system's.
    process_.start(program, {"-n", "-u", "-c", config, "-P", dir_.filePath("ser2net.pid")});
    if (!process_.waitForStarted(10000)) {
        error_ = "ser2net did not start: " + process_.errorString().toStdString();
        return false;
    }
    quint16 found = 0;
    waitFor([&] {
        found = listeningPort();
        return found != 0 || process_.state() != QProcess::Running;
    });
    if (found == 0) {
        error_ = "ser2net does not listen: " + output();
        stop();
        return false;
    }
    port_ = found;
    return true;
}

quint16 Ser2net::listeningPort() const
{
    const std::set<unsigned long> inodes = socketInodes(process_.processId());
    if (inodes.empty())
        return 0;
    QFile table("/proc/net/tcp");
    if (!table.open(QIODevice::ReadOnly))
        return 0;
    table.readLine(); // the heading
    while (!table.atEnd()) {
        const QList<QByteArray> f = table.readLine().simplified().split(' ');
        // sl local rem st tx:rx tr:when retrnsmt uid timeout inode
        if (f.size() < 10 || f[3] != "0A") // 0A: listening
            continue;
        if (!inodes.count(f[9].toULong()))
            continue;
        const QList<QByteArray> local = f[1].split(':');
        if (local.size() == 2)
            return static_cast<quint16>(local[1].toUInt(nullptr, 16));
    }
    return 0;
}

void Ser2net::stop()
{
    if (process_.state() == QProcess::NotRunning)
        return;
    process_.terminate();
    if (!process_.waitForFinished(10000)) {
        process_.kill();
        process_.waitForFinished(5000);
    }
    output_ += process_.readAll().toStdString();
}

std::string Ser2net::output()
{
    output_ += process_.readAll().toStdString();
    return output_;
}

quint16 closedLocalPort()
{
    QTcpServer server;
    if (!server.listen(QHostAddress::LocalHost, 0))
        return 0;
    const quint16 port = server.serverPort();
    server.close(); // refused from now on (another program taking it is unlikely)
    return port;
}

} // namespace orva::test
