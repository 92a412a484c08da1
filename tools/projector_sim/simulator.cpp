#include "projector_sim/simulator.h"

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstring>
#include <optional>
#include <string_view>
#include <utility>

#include <fcntl.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

namespace orva::sim {
namespace {

constexpr std::size_t kLineMax = 4096;

long baudOf(speed_t speed)
{
    switch (speed) {
    case B0: return 0;
    case B300: return 300;
    case B1200: return 1200;
    case B2400: return 2400;
    case B4800: return 4800;
    case B9600: return 9600;
    case B19200: return 19200;
    case B38400: return 38400;
    case B57600: return 57600;
    case B115200: return 115200;
    case B230400: return 230400;
    default: return -static_cast<long>(speed); // unusual: the raw code, negated
    }
}

} // namespace

std::int64_t monotonicUs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<std::int64_t>(ts.tv_sec) * 1'000'000 + ts.tv_nsec / 1000;
}

std::string escaped(std::string_view bytes)
{
    std::string out;
    for (unsigned char c : bytes) {
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            out += static_cast<char>(c);
        } else {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        }
    }
    return out;
}

Simulator::Simulator(Options options)
    : o_(std::move(options)), model_(o_.model), outbox_(o_), stream_(o_.streamBps),
      startUs_(monotonicUs())
{
}

Simulator::~Simulator()
{
    shutDown();
}

void Simulator::note(const char* format, ...)
{
    if (o_.quiet)
        return;
    va_list args;
    va_start(args, format);
    std::fputs("orva-projector-sim: ", stderr);
    std::vfprintf(stderr, format, args);
    std::fputc('\n', stderr);
    va_end(args);
}

void Simulator::fail(const std::string& what)
{
    std::fprintf(stderr, "orva-projector-sim: %s: %s\n", what.c_str(), std::strerror(errno));
}

bool Simulator::start()
{
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) {
        fail("cannot open a pseudo-terminal");
        return false;
    }
    fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
    fcntl(master_, F_SETFD, FD_CLOEXEC);
    if (const char* name = ptsname(master_)) {
        device_ = name;
    } else {
        fail("ptsname");
        return false;
    }

    // Raw line: no echo, no line editing, no CR/LF translation, 8 bits.
    termios tio{};
    if (tcgetattr(master_, &tio) == 0) {
        cfmakeraw(&tio);
        cfsetispeed(&tio, B19200);
        cfsetospeed(&tio, B19200);
        tcsetattr(master_, TCSANOW, &tio);
    }

    // Holding the device open keeps the line up between clients, and gives
    // us a descriptor to clear what a client leaves behind (see setAttached)
    // even while an exclusive-use flag is set on it.
    keeper_ = open(device_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (keeper_ < 0) {
        fail("cannot open " + device_);
        return false;
    }

    // Clients come and go: the device's open and close events tell us.
    presence_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (presence_ >= 0 &&
        inotify_add_watch(presence_, device_.c_str(), IN_OPEN | IN_CLOSE_WRITE | IN_CLOSE_NOWRITE) < 0) {
        close(presence_);
        presence_ = -1;
    }
    if (presence_ < 0) {
        note("cannot watch %s for clients (%s); taking one as always there", device_.c_str(),
             std::strerror(errno));
        setAttached(true);
    }

    if (!o_.log.empty()) {
        log_ = std::fopen(o_.log.c_str(), "a");
        if (!log_) {
            fail("cannot open log " + o_.log);
            return false;
        }
    }

    checkSpeed();

    if (!o_.link.empty()) {
        char existing[4096];
        if (readlink(o_.link.c_str(), existing, sizeof existing) >= 0)
            unlink(o_.link.c_str()); // a stale link, from an earlier run
        if (symlink(device_.c_str(), o_.link.c_str()) != 0) {
            fail("cannot make the link " + o_.link);
            return false;
        }
        linked_ = true;
    }

    std::printf("%s\n", device_.c_str());
    std::fflush(stdout);
    note("projector on %s%s%s, stand-by", device_.c_str(), linked_ ? " <- " : "",
         linked_ ? o_.link.c_str() : "");
    return true;
}

void Simulator::shutDown()
{
    if (linked_) {
        char target[4096];
        const auto n = readlink(o_.link.c_str(), target, sizeof target - 1);
        if (n >= 0 && std::string_view(target, static_cast<std::size_t>(n)) == device_)
            unlink(o_.link.c_str());
        linked_ = false;
    }
    for (int* fd : {&presence_, &keeper_, &master_}) {
        if (*fd >= 0)
            close(*fd);
        *fd = -1;
    }
    if (log_)
        std::fclose(log_);
    log_ = nullptr;
}

// The line speed is the slave's termios, which the master reads too; a
// client (or ser2net on its behalf) sets it without telling us, so look.
void Simulator::checkSpeed()
{
    if (o_.speedFile.empty())
        return;
    termios tio{};
    if (tcgetattr(master_, &tio) != 0)
        return;
    const long speed = baudOf(cfgetospeed(&tio));
    if (speed == speed_)
        return;
    speed_ = speed;
    const std::string temp = o_.speedFile + ".new";
    if (std::FILE* f = std::fopen(temp.c_str(), "w")) {
        std::fprintf(f, "%ld\n", speed);
        std::fclose(f);
        std::rename(temp.c_str(), o_.speedFile.c_str());
    }
    note("line speed %ld", speed);
}

// While the state file exists it is the condition; once it is gone, the
// command line's is again. A file that cannot be read as one keeps the
// condition as it was.
void Simulator::readState()
{
    if (o_.stateFile.empty())
        return;
    Condition wanted = o_.model.condition;
    if (std::FILE* f = std::fopen(o_.stateFile.c_str(), "r")) {
        std::string text;
        char buffer[512];
        std::size_t n = 0;
        while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0 && text.size() < 65536)
            text.append(buffer, n);
        std::fclose(f);
        const auto read = parseCondition(text);
        if (!read) {
            note("%s: not a state (kept as it was)", o_.stateFile.c_str());
            return;
        }
        wanted = *read;
    }
    if (wanted == model_.condition())
        return;
    model_.setCondition(wanted);
    note("state from %s", o_.stateFile.c_str());
}

void Simulator::readPresence()
{
    if (presence_ < 0)
        return;
    alignas(inotify_event) char buffer[4096];
    for (;;) {
        const auto n = read(presence_, buffer, sizeof buffer);
        if (n <= 0)
            break;
        // One event at a time: a close and the next open in one batch must
        // still clear the line between the two clients.
        for (char* p = buffer; p < buffer + n;) {
            const auto* event = reinterpret_cast<const inotify_event*>(p);
            if (event->mask & IN_OPEN)
                ++clients_;
            if (event->mask & (IN_CLOSE_WRITE | IN_CLOSE_NOWRITE))
                clients_ = std::max(clients_ - 1, 0);
            if (event->mask & IN_Q_OVERFLOW)
                clients_ = std::max(clients_, 1); // lost count: assume someone is there
            setAttached(clients_ > 0);
            p += sizeof(inotify_event) + event->len;
        }
    }
}

void Simulator::setAttached(bool attached)
{
    if (attached == attached_)
        return;
    attached_ = attached;
    if (attached) {
        note("client attached");
        checkSpeed();
        stream_.restart(monotonicUs());
        return;
    }
    // Nobody left: replies still due go nowhere, bytes the client left
    // unread must not greet the next one, and an exclusive-use flag it did
    // not clear must not lock the next one out.
    note("client gone");
    outbox_.clear();
    blocked_ = false;
    line_.clear();
    if (keeper_ >= 0) {
        ioctl(keeper_, TIOCNXCL);
        tcflush(keeper_, TCIFLUSH);
    }
}

bool Simulator::readMaster()
{
    char buffer[4096];
    for (;;) {
        const auto n = read(master_, buffer, sizeof buffer);
        if (n <= 0)
            return true; // EAGAIN; EIO only without our own descriptor
        checkSpeed();
        const std::int64_t nowUs = monotonicUs();
        for (char c : std::string_view(buffer, static_cast<std::size_t>(n))) {
            if (c == '\n')
                continue;
            if (c != '\r') {
                if (line_.size() < kLineMax)
                    line_ += c;
                continue;
            }
            std::string text;
            text.swap(line_);
            if (!command(text, nowUs))
                return false;
        }
    }
}

bool Simulator::command(const std::string& text, std::int64_t nowUs)
{
    ++commands_;
    if (log_) {
        std::fprintf(log_, "%lld %s\n", static_cast<long long>(nowUs), escaped(text).c_str());
        std::fflush(log_);
    }
    note("<- %s", escaped(text).c_str());
    if (o_.hangupAfter > 0 && commands_ >= o_.hangupAfter) {
        note("hanging up after %lld commands", static_cast<long long>(commands_));
        return false;
    }
    model_.tick((nowUs - startUs_) / 1000);
    readState();
    auto reply = model_.answer(text);
    if (!reply || o_.noReply || !attached_)
        return true;
    const std::string bytes = outbox_.schedule(*reply, nowUs);
    note("-> %s", escaped(bytes).c_str());
    return true;
}

void Simulator::writeDue(std::int64_t nowUs)
{
    blocked_ = false;
    while (Outbox::Piece* piece = outbox_.due(nowUs)) {
        const auto n = write(master_, piece->bytes.data(), piece->bytes.size());
        if (n < 0) {
            if (errno == EAGAIN || errno == EWOULDBLOCK)
                blocked_ = true;
            else
                outbox_.clear(); // the line is gone; nothing to deliver to
            return;
        }
        const bool whole = static_cast<std::size_t>(n) == piece->bytes.size();
        outbox_.sent(static_cast<std::size_t>(n));
        if (!whole) {
            blocked_ = true;
            return;
        }
    }
}

void Simulator::stream(std::int64_t nowUs)
{
    if (!stream_.on() || !attached_ || blocked_)
        return;
    // Replies (or pieces of them) go out in one write each, so the stream
    // falls between them and never into one.
    std::int64_t left = stream_.owed(nowUs);
    while (left > 0) {
        const auto size = static_cast<std::size_t>(std::min<std::int64_t>(left, Stream::kPieceMax));
        const std::string piece = stream_.next(size);
        const auto n = write(master_, piece.data(), piece.size());
        if (n <= 0)
            break;
        stream_.sent(static_cast<std::size_t>(n));
        left -= n;
        if (static_cast<std::size_t>(n) < size)
            break;
    }
    // What the line cannot take now is not owed later.
    if (left > 0)
        stream_.forgo(left);
}

int Simulator::timeoutMs(std::int64_t nowUs) const
{
    std::optional<std::int64_t> next;
    if (!blocked_)
        next = outbox_.nextDueUs();
    if (stream_.on() && attached_) {
        const std::int64_t tick = nowUs + Stream::kPeriodUs;
        next = next ? std::min(*next, tick) : tick;
    }
    if (!next)
        return -1;
    return static_cast<int>(std::clamp<std::int64_t>((*next - nowUs + 999) / 1000, 0, 60'000));
}

int Simulator::run(int stopFd)
{
    for (;;) {
        const std::int64_t nowUs = monotonicUs();
        writeDue(nowUs);
        stream(nowUs);

        pollfd fds[3] = {
            {stopFd, POLLIN, 0},
            {presence_, POLLIN, 0},
            {master_, static_cast<short>(POLLIN | (blocked_ ? POLLOUT : 0)), 0},
        };
        const int ready = poll(fds, 3, timeoutMs(nowUs));
        if (ready < 0 && errno != EINTR) {
            fail("poll");
            return 1;
        }
        if (fds[0].revents & POLLIN) {
            note("stopped");
            return 0;
        }
        // Opens before data: a client's first command must find it attached.
        readPresence();
        if (fds[2].revents & (POLLIN | POLLHUP | POLLERR)) {
            if (!readMaster()) {
                shutDown(); // the client sees the line drop
                return 0;
            }
        }
    }
}

} // namespace orva::sim
