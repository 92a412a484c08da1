// The program's own serial layer against serial device servers: Debian's
// ser2net in front of the projector simulator (or a pty the test holds),
// raw TCP and RFC 2217; and a lost port coming back by itself, over the
// network and on a local device.
#include "link/render.h"
#include "live_program.h"
#include "pty_peer.h"
#include "qt_wait.h"
#include "ser2net.h"
#include "simulator.h"

#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QTest>
#include <QTemporaryDir>
#include <QTimer>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <memory>

namespace orva::test {
namespace {

using Mode = Ser2net::Mode;

std::string modeName(const ::testing::TestParamInfo<Mode>& info)
{
    return info.param == Mode::Raw ? "RawTcp" : "Rfc2217";
}

// The simulator behind ser2net, and the program on COM1 mapped to it.
class ThroughSer2net : public ::testing::TestWithParam<Mode> {
protected:
    void serve(QStringList simOptions = {})
    {
        simOptions << "--speed-file" << dir.filePath("speed");
        sim = std::make_unique<Simulator>(simOptions);
        ASSERT_TRUE(sim->started());
        server = std::make_unique<Ser2net>(sim->device(), GetParam());
        ASSERT_TRUE(server->start()) << server->error();
    }
    void startProgram(const std::string& baud = "192")
    {
        live = std::make_unique<LiveProgram>(server->target());
        live->store.values["StartUP/BaudRate"] = baud;
        live->program.formLoad();
        ASSERT_TRUE(live->port.isOpen()) << live->port.errorText() << "\n" << server->output();
    }
    Link& link() { return live->link(); }
    std::string lineSpeed()
    {
        QFile f(dir.filePath("speed"));
        return f.open(QIODevice::ReadOnly) ? f.readAll().trimmed().toStdString() : std::string();
    }
    bool answered(const char* button, const std::string& line)
    {
        live->click(button);
        return waitFor([&] { return link().receivedLine() == line; });
    }

    QTemporaryDir dir;
    std::unique_ptr<Simulator> sim;
    std::unique_ptr<Ser2net> server;
    std::unique_ptr<LiveProgram> live;
};

TEST_P(ThroughSer2net, CommandsAreAnsweredAndDecodedAsOnALocalPort)
{
    serve();
    startProgram();
    EXPECT_EQ(live->port.deviceName(), server->target());
    EXPECT_TRUE(answered("Command44", " 8 0  [CR] ")) << link().receivedLine(); // "Status"
    EXPECT_EQ(link().status(), " Stand by");
    EXPECT_TRUE(answered("Command17", "  [ACK]  [CR] ")) << link().receivedLine(); // "On"
    live->click("Command46"); // "Lamp Time"
    EXPECT_TRUE(waitFor([&] { return link().status().find("Hour Use") != std::string::npos; }))
        << link().receivedLine();
    live->click("Command54"); // "Temp"
    EXPECT_TRUE(waitFor([&] { return link().status().find("deg C") != std::string::npos; }))
        << link().receivedLine();
    EXPECT_EQ(link().notice(), "");
}

TEST_P(ThroughSer2net, ReplyInPiecesEndsAsTheWholeReply)
{
    serve({"--split", "1", "--gap", "15"});
    startProgram();
    EXPECT_TRUE(answered("Command55", " 0 0 0 _ 1 O  [CR] ")) << link().receivedLine(); // "Lamp Status"
    EXPECT_EQ(link().status(), " Lamp is OFF");
}

TEST_P(ThroughSer2net, EveryByteValueCrossesBothWays)
{
    PtyPeer peer;
    ASSERT_FALSE(peer.device().empty());
    server = std::make_unique<Ser2net>(peer.device(), GetParam());
    ASSERT_TRUE(server->start()) << server->error();
    startProgram();
    std::string all;
    for (int c = 0; c < 256; ++c)
        all += static_cast<char>(c);

    // Out: the serial control takes any bytes (255 is telnet's IAC).
    ASSERT_TRUE(live->port.write(all + all));
    std::string got;
    ASSERT_TRUE(waitFor([&] {
        got += peer.received();
        return got.size() >= 512;
    })) << got.size();
    EXPECT_EQ(got, all + all);

    // In.
    live->click("Command44"); // a transaction to receive into
    ASSERT_TRUE(waitFor([&] { return peer.received() == "CR0\r"; }));
    ASSERT_TRUE(peer.send(all));
    ASSERT_TRUE(waitFor([&] { return link().buffer().size() >= 256; })) << link().buffer().size();
    EXPECT_EQ(link().buffer(), all);
    EXPECT_EQ(link().receivedLine(), renderMonitorLine(all).line);
}

TEST_P(ThroughSer2net, ServerStoppedIsALostPortAndItsRestartBringsItBack)
{
    serve({"--delay", "1500"});
    startProgram();
    live->click("Command44");
    // Mid-transaction: the reply is still on its way.
    spin(200);
    server->stop();
    ASSERT_TRUE(waitFor([&] { return !live->port.isOpen(); }));
    // The same words over raw TCP and RFC 2217; the window is collapsed.
    EXPECT_EQ(link().notice(), "Port lost: " + server->target() + ": the server closed the connection. Trying to "
                               "reopen it; press Ctrl+H, then COM to choose another port.");
    ASSERT_TRUE(waitFor([&] { return link().receivedLine() == " X X X X"; }));
    live->click("Command44");
    EXPECT_NE(link().notice().find("Not sent"), std::string::npos) << link().notice();
    EXPECT_TRUE(live->shell.dialogModal.empty()); // no dialog, no box

    spin(2500); // a few refused tries
    EXPECT_GE(live->program.reopen().tries(), 2);
    ASSERT_TRUE(server->start()) << server->error();
    ASSERT_TRUE(waitFor([&] { return live->port.isOpen(); }, 20000)) << live->port.errorText();
    EXPECT_EQ(link().notice(), "");
    EXPECT_TRUE(waitFor([&] { return answered("Command44", " 8 0  [CR] "); }, 20000)) << link().receivedLine();
    EXPECT_TRUE(live->shell.dialogModal.empty());
}

TEST_P(ThroughSer2net, LineSpeedOfTheDialogReachesTheDeviceOverRfc2217Only)
{
    serve();
    startProgram("96"); // 9600 baud stored
    ASSERT_TRUE(answered("Command44", " 8 0  [CR] "));
    const bool remote = GetParam() == Mode::Rfc2217;
    // Raw TCP cannot change it: the device keeps ser2net's 19200.
    EXPECT_EQ(lineSpeed(), remote ? "9600" : "19200");

    // "COM", 19200, OK: a new connection with the new speed.
    live->click("Command33");
    ASSERT_NE(live->program.portDialog(), nullptr);
    live->program.portDialog()->select(2); // "19200"
    live->program.portDialog()->ok();
    ASSERT_TRUE(live->port.isOpen()) << live->port.errorText();
    ASSERT_TRUE(waitFor([&] { return answered("Command44", " 8 0  [CR] "); }));
    EXPECT_EQ(lineSpeed(), "19200");
    EXPECT_EQ(live->store.values["StartUP/BaudRate"], "192");

    // And back to 9600 through the dialog.
    live->click("Command33");
    live->program.portDialog()->select(1); // "9600"
    live->program.portDialog()->ok();
    ASSERT_TRUE(live->port.isOpen()) << live->port.errorText() << "\n" << server->output();
    ASSERT_TRUE(waitFor([&] { return answered("Command44", " 8 0  [CR] "); }));
    EXPECT_EQ(lineSpeed(), remote ? "9600" : "19200");
}

TEST_P(ThroughSer2net, PortInUseByAnotherClientIsRefusedLikeAHeldDevice)
{
    serve();
    startProgram();
    // A second program on the same server port: ser2net takes the
    // connection, says so and closes it.
    LiveProgram second(server->target());
    second.program.formLoad();
    EXPECT_FALSE(second.port.isOpen());
    EXPECT_EQ(second.shell.dialogModal, std::vector<bool>{true});
    // Over raw TCP the server's words always reach the message. Over RFC 2217
    // they arrive with the telnet negotiation, and when the machine is busy
    // the library's telnet layer can see the close before it hands them on:
    // then the message says that the server closed the connection (once, or
    // at every try until the open gave up), never that it did not answer.
    const std::string& why = second.port.errorText();
    const bool worded = why.find("Port already in use") != std::string::npos;
    if (GetParam() == Mode::Raw)
        EXPECT_TRUE(worded) << why;
    else
        EXPECT_TRUE(worded || why.find("the server closed the connection") != std::string::npos) << why;
    EXPECT_EQ(second.store.writes, 0);
    spin(1500);
    EXPECT_EQ(second.program.reopen().tries(), 0); // a refused open is never retried
    // The first goes on working.
    EXPECT_TRUE(answered("Command44", " 8 0  [CR] ")) << link().receivedLine();
    EXPECT_TRUE(live->port.isOpen());
}

INSTANTIATE_TEST_SUITE_P(Server, ThroughSer2net, ::testing::Values(Mode::Raw, Mode::Rfc2217), modeName);

TEST_P(ThroughSer2net, PortsOneAfterTheOtherEachWork)
{
    // Port objects come and go; the connections they leave behind are closed
    // and freed on the gensio loop, which serves the next ones.
    serve();
    for (int round = 0; round < 4; ++round) {
        startProgram();
        EXPECT_TRUE(answered("Command44", " 8 0  [CR] ")) << round << ": " << link().receivedLine();
        live.reset();
        spin(300);
    }
}

// ---- opens that fail take the dialog's path ------------------------------------

struct Unopened {
    explicit Unopened(const std::string& entry) : live(entry) { live.program.formLoad(); }
    LiveProgram live;
};

TEST(NetworkOpen, RefusedConnectionGoesToTheDialog)
{
    const quint16 closed = closedLocalPort();
    ASSERT_NE(closed, 0);
    for (const char* scheme : {"tcp://", "rfc2217://"}) {
        Unopened u(scheme + std::string("127.0.0.1:") + std::to_string(closed));
        EXPECT_FALSE(u.live.port.isOpen()) << scheme;
        EXPECT_EQ(u.live.shell.dialogModal, std::vector<bool>{true}) << scheme;
        EXPECT_NE(u.live.port.errorText().find("refused"), std::string::npos) << u.live.port.errorText();
        // The dialog says why, naming the port and the address once.
        const std::string address = scheme + std::string("127.0.0.1:") + std::to_string(closed);
        const std::string& failure = u.live.shell.dialogView.failure;
        EXPECT_EQ(failure.rfind("COM1 (" + address + "): ", 0), 0u) << failure;
        EXPECT_NE(failure.find("refused"), std::string::npos) << failure;
        EXPECT_EQ(failure.find(address, 6 + address.size()), std::string::npos) << failure;
        // The dialog's OK on the same port: the warning, the dialog stays.
        ASSERT_NE(u.live.program.portDialog(), nullptr);
        u.live.program.portDialog()->select(3); // COM1
        u.live.program.portDialog()->ok();
        EXPECT_EQ(u.live.shell.dialogView.warnings, std::vector<std::string>{"Error: Retry Comport"});
        EXPECT_EQ(u.live.shell.dialogView.details.at(0), failure);
        // A failed open is never retried by itself.
        spin(1500);
        EXPECT_EQ(u.live.program.reopen().tries(), 0);
    }
}

TEST(NetworkOpen, MalformedOrUnreadableEntriesAreUnopenedPortsNeverACrash)
{
    for (const char* entry : {"tcp://127.0.0.1", "rfc2217://[::1:4000", "tcp://no such host:1", "tcp://h:99999",
                              "rfc2217://127.0.0.1:0", "ftp://127.0.0.1:21", "projector", "tcp://[::1]:x"}) {
        Unopened u(entry);
        EXPECT_FALSE(u.live.port.isOpen()) << entry;
        EXPECT_EQ(u.live.shell.dialogModal, std::vector<bool>{true}) << entry;
        EXPECT_NE(u.live.port.errorText().find("[Ports] entry COM1"), std::string::npos)
            << entry << ": " << u.live.port.errorText();
    }
    // What the settings library cannot read at all.
    LiveProgram live("/dev/null");
    live.store.values.erase("Ports/COM1");
    live.store.unreadable.insert("Ports/COM1");
    live.program.formLoad();
    EXPECT_FALSE(live.port.isOpen());
    EXPECT_EQ(live.shell.dialogModal, std::vector<bool>{true});
    EXPECT_NE(live.port.errorText().find("cannot be read"), std::string::npos) << live.port.errorText();
}

TEST(NetworkOpen, NameThatDoesNotResolveGoesToTheDialog)
{
    for (const char* scheme : {"tcp://", "rfc2217://"}) {
        Unopened u(scheme + std::string("no-such-host.invalid:4001"));
        EXPECT_FALSE(u.live.port.isOpen()) << scheme;
        EXPECT_EQ(u.live.shell.dialogModal, std::vector<bool>{true}) << scheme;
    }
}

// A server that takes no connection at all: a listening socket whose
// queue is full, so the system drops every further SYN unanswered.
class SilentServer {
public:
    SilentServer()
    {
        listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof a;
        if (::bind(listener_, reinterpret_cast<sockaddr*>(&a), size) != 0 || ::listen(listener_, 0) != 0 ||
            ::getsockname(listener_, reinterpret_cast<sockaddr*>(&a), &size) != 0)
            return;
        port_ = ntohs(a.sin_port);
        for (int i = 0; i < 4; ++i) {
            const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
            ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
            fillers_.push_back(fd);
            spin(20);
        }
    }
    ~SilentServer()
    {
        for (int fd : fillers_)
            ::close(fd);
        ::close(listener_);
    }
    quint16 port() const { return port_; }

private:
    int listener_ = -1;
    std::vector<int> fillers_;
    quint16 port_ = 0;
};

TEST(NetworkOpen, UnreachableServerFailsInTimeWhileTheEventLoopRunsWithoutInput)
{
    SilentServer silent;
    ASSERT_NE(silent.port(), 0);
    for (const char* scheme : {"tcp://", "rfc2217://"}) {
        LiveProgram live(scheme + std::string("127.0.0.1:") + std::to_string(silent.port()));
        // Ticks stand for the window's repaints: they must go on meanwhile.
        int ticks = 0;
        QTimer beat;
        QObject::connect(&beat, &QTimer::timeout, [&] { ++ticks; });
        beat.start(50);
        // The operator clicks and types meanwhile: nothing of it acts, not
        // even after the wait.
        QPushButton button("END");
        int clicks = 0;
        QObject::connect(&button, &QPushButton::clicked, [&] { ++clicks; });
        button.show();
        QTimer::singleShot(500, &button, [&] {
            QTest::mouseClick(&button, Qt::LeftButton);
            button.setFocus();
            QTest::keyClick(&button, Qt::Key_Space);
        });
        QElapsedTimer clock;
        clock.start();
        live.program.formLoad();
        const qint64 took = clock.elapsed();
        spin(100);
        EXPECT_EQ(clicks, 0) << scheme;
        QTest::mouseClick(&button, Qt::LeftButton);
        EXPECT_EQ(clicks, 1) << scheme; // and the window takes input again
        EXPECT_FALSE(live.port.isOpen()) << scheme;
        EXPECT_EQ(live.shell.dialogModal, std::vector<bool>{true}) << scheme;
        EXPECT_NE(live.port.errorText().find("no connection within 3 s"), std::string::npos)
            << live.port.errorText();
        EXPECT_LT(took, 20000) << scheme; // the limit is 3 s; this only guards against a hang
        EXPECT_GT(ticks, 5) << scheme;
    }
}

TEST(NetworkOpen, PortGoneWhileItsOpenIsUnderWayLeavesNothingBehind)
{
    SilentServer silent;
    ASSERT_NE(silent.port(), 0);
    for (const std::string& target : {"rfc2217://127.0.0.1:" + std::to_string(silent.port()),
                                      "tcp://127.0.0.1:" + std::to_string(silent.port())}) {
        struct Listener : SerialListener {
            void onComm(int) override {}
            void onPortLost(const std::string&) override {}
            void onOpenFinished(bool) override { ++outcomes; }
            int outcomes = 0;
        } listener;
        auto port = std::make_unique<QtSerialPort>(QtSerialPort::Resolver{});
        port->setListener(&listener);
        port->setTarget(parsePortTarget(target));
        port->beginOpen();
        spin(100);
        port->close(); // called off: no outcome is reported
        spin(100);
        EXPECT_EQ(listener.outcomes, 0) << target;
        port->beginOpen();
        spin(50);
        QElapsedTimer clock;
        clock.start();
        port.reset(); // and gone altogether while the next is under way
        EXPECT_LT(clock.elapsed(), 10000) << target; // guards against a hang only
        spin(100);
        EXPECT_EQ(listener.outcomes, 0) << target;
    }
}

// ---- a local device that comes back --------------------------------------------

TEST(LocalReopen, SimulatorThatHangsUpAndComesBackOnItsLinkIsReopened)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("projector");
    auto first = std::make_unique<Simulator>(QStringList{"--link", path, "--hangup-after", "2"});
    ASSERT_TRUE(first->started());
    LiveProgram live(path.toStdString());
    live.program.formLoad();
    ASSERT_TRUE(live.port.isOpen()) << live.port.errorText();
    live.click("Command44");
    ASSERT_TRUE(waitFor([&] { return live.link().status() == " Stand by"; }));
    live.click("Command44"); // the second command: it hangs up
    ASSERT_TRUE(waitFor([&] { return !live.port.isOpen(); }));
    EXPECT_NE(live.link().notice().find("Trying to reopen it"), std::string::npos) << live.link().notice();
    first.reset();
    spin(1500); // tries that find nothing there

    Simulator second({"--link", path});
    ASSERT_TRUE(second.started());
    ASSERT_TRUE(waitFor([&] { return live.port.isOpen(); }, 20000)) << live.port.errorText();
    EXPECT_EQ(live.link().notice(), "");
    live.link().clearMonitor();
    live.click("Command44");
    EXPECT_TRUE(waitFor([&] { return live.link().status() == " Stand by"; })) << live.link().receivedLine();
    EXPECT_TRUE(live.shell.dialogModal.empty());
}

} // namespace
} // namespace orva::test
