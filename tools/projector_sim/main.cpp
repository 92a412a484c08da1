// orva-projector-sim: a projector of the QLN40/QLN45/QLN50 family on a
// pseudo-terminal, for trying and testing the control program without one.
static const char kUsage[] = R"(usage: orva-projector-sim [options]

Opens a pseudo-terminal, prints the path of its device (one line on stdout)
and answers the commands written to it like a projector: commands end in CR,
LF is ignored; set commands get ACK CR, reads their value and CR, anything
else "?" CR. Starts in stand-by. Runs until SIGTERM or SIGINT.

  --link PATH        also make a symlink PATH to the device (removed at exit)
  --log FILE         append every received command to FILE, one a line:
                     "<monotonic microseconds> <command>" (CLOCK_MONOTONIC;
                     bytes outside printable ASCII written as \xNN)
  --quiet            no traffic or notes on stderr
  --speed-file FILE  keep FILE holding the line speed a client set on the
                     device (one line, in baud, e.g. "9600"); looked at when
                     a client opens the device and before each command
  --count-down MS    time from stand-by to on (default 2000)
  --cool-down MS     time from cooling down to stand-by (default 3000)
  --lamp-hours N     lamp time at start (default 123)

Faults, all off by default:
  --delay MS         wait MS before each reply
  --split N          send each reply in pieces of N bytes ...
  --gap MS           ... MS apart (default 0)
  --no-reply         never answer
  --late MS          answer only MS after the command (beyond the time-out);
                     adds to --delay
  --garbage N        put N random unprintable bytes (control codes other
                     than ACK, LF and CR, and 0x7F-0xFF) before each reply
  --seed N           seed of those bytes (default 1; same seed, same bytes)
  --hangup-after N   on receiving the N-th command (an empty line counts),
                     close the line without answering it and exit
  --stream BPS       send unsolicited printable text, BPS bytes a second in
                     pieces every 10 ms, while a client has the line open
  --help             this text

A client may open, close and reopen the device as often as it likes; replies
still due when it closes are dropped, and so is anything it left unread.
)";

#include "projector_sim/projector_model.h"

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <utility>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

namespace {

using orva::sim::ModelSettings;
using orva::sim::ProjectorModel;

constexpr std::int64_t kStreamPeriodUs = 10'000;
constexpr std::size_t kStreamPieceMax = 64;
constexpr std::size_t kLineMax = 4096;

struct Options {
    std::string link;
    std::string log;
    std::string speedFile;
    bool quiet = false;
    ModelSettings model;
    std::int64_t delayMs = 0;
    std::size_t split = 0;
    std::int64_t gapMs = 0;
    bool noReply = false;
    std::int64_t lateMs = 0;
    std::size_t garbage = 0;
    std::uint32_t seed = 1;
    std::int64_t hangupAfter = 0;
    std::int64_t streamBps = 0;
};

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

// ---- command line --------------------------------------------------------

[[noreturn]] void usageError(const std::string& message)
{
    std::fprintf(stderr, "orva-projector-sim: %s\n(--help for the options)\n", message.c_str());
    std::exit(2);
}

std::int64_t number(std::string_view option, std::string_view text, std::int64_t min,
                    std::int64_t max)
{
    std::int64_t value = 0;
    const auto* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc{} || ptr != end || value < min || value > max)
        usageError(std::string(option) + " wants a number from " + std::to_string(min) +
                   " to " + std::to_string(max) + ", not \"" + std::string(text) + "\"");
    return value;
}

Options parse(int argc, char** argv)
{
    Options o;
    constexpr std::int64_t kMaxMs = 86'400'000;
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        std::optional<std::string_view> inlineValue;
        if (const auto eq = arg.find('='); arg.starts_with("--") && eq != std::string_view::npos) {
            inlineValue = arg.substr(eq + 1);
            arg = arg.substr(0, eq);
        }
        auto value = [&]() -> std::string_view {
            if (inlineValue)
                return *inlineValue;
            if (i + 1 >= argc)
                usageError(std::string(arg) + " wants a value");
            return argv[++i];
        };
        auto flag = [&] {
            if (inlineValue)
                usageError(std::string(arg) + " takes no value");
        };
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            std::exit(0);
        } else if (arg == "--link") {
            o.link = value();
        } else if (arg == "--log") {
            o.log = value();
        } else if (arg == "--speed-file") {
            o.speedFile = value();
        } else if (arg == "--quiet") {
            flag();
            o.quiet = true;
        } else if (arg == "--count-down") {
            o.model.countDownMs = number(arg, value(), 0, kMaxMs);
        } else if (arg == "--cool-down") {
            o.model.coolDownMs = number(arg, value(), 0, kMaxMs);
        } else if (arg == "--lamp-hours") {
            o.model.lampHours = number(arg, value(), 0, 99'999);
        } else if (arg == "--delay") {
            o.delayMs = number(arg, value(), 0, kMaxMs);
        } else if (arg == "--split") {
            o.split = static_cast<std::size_t>(number(arg, value(), 1, 1'000'000));
        } else if (arg == "--gap") {
            o.gapMs = number(arg, value(), 0, kMaxMs);
        } else if (arg == "--no-reply") {
            flag();
            o.noReply = true;
        } else if (arg == "--late") {
            o.lateMs = number(arg, value(), 0, kMaxMs);
        } else if (arg == "--garbage") {
            o.garbage = static_cast<std::size_t>(number(arg, value(), 0, 65'536));
        } else if (arg == "--seed") {
            o.seed = static_cast<std::uint32_t>(number(arg, value(), 0, 0xFFFF'FFFF));
        } else if (arg == "--hangup-after") {
            o.hangupAfter = number(arg, value(), 1, INT64_MAX);
        } else if (arg == "--stream") {
            o.streamBps = number(arg, value(), 1, 100'000'000);
        } else {
            usageError("unknown option \"" + std::string(arg) + "\"");
        }
    }
    if (o.gapMs > 0 && o.split == 0)
        usageError("--gap goes with --split");
    return o;
}

// ---- signals -------------------------------------------------------------

int gSignalPipe[2] = {-1, -1};

extern "C" void onSignal(int)
{
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const auto n = write(gSignalPipe[1], &byte, 1);
    errno = saved;
}

bool installSignals()
{
    if (pipe(gSignalPipe) != 0)
        return false;
    for (int fd : gSignalPipe) {
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
        fcntl(fd, F_SETFD, FD_CLOEXEC);
    }
    struct sigaction sa{};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    for (int sig : {SIGTERM, SIGINT, SIGHUP})
        sigaction(sig, &sa, nullptr);
    signal(SIGPIPE, SIG_IGN);
    return true;
}

// ---- the simulator -------------------------------------------------------

class Simulator {
public:
    explicit Simulator(Options options)
        : o_(std::move(options))
        , model_(o_.model)
        , noise_(o_.seed)
    {
    }
    ~Simulator() { shutDown(); }

    bool start();
    int run();

private:
    void note(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void fail(const char* what)
    {
        std::fprintf(stderr, "orva-projector-sim: %s: %s\n", what, std::strerror(errno));
    }
    void readPresence();
    void checkSpeed();
    void setAttached(bool attached);
    bool readMaster(); // false: hang up now
    bool command(const std::string& text, std::int64_t nowUs);
    void schedule(std::string reply, std::int64_t nowUs);
    void writeDue(std::int64_t nowUs);
    void stream(std::int64_t nowUs);
    int timeoutMs(std::int64_t nowUs) const;
    void shutDown();

    struct Piece {
        std::int64_t dueUs;
        std::string bytes;
    };

    Options o_;
    ProjectorModel model_;
    std::mt19937 noise_;
    std::int64_t startUs_ = monotonicUs();

    int master_ = -1;
    int keeper_ = -1;  // our own descriptor of the device, never read
    int presence_ = -1; // inotify on the device: who opens and closes it
    std::string device_;
    bool linked_ = false;
    std::FILE* log_ = nullptr;
    long speed_ = -1; // as last written to the speed file

    int clients_ = 0;
    bool attached_ = false;
    std::string line_;
    std::int64_t commands_ = 0;
    std::deque<Piece> out_;
    bool blocked_ = false; // the last write filled the line up
    std::int64_t streamStartUs_ = 0;
    std::int64_t streamSent_ = 0;
    std::size_t streamPos_ = 0;
};

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

bool Simulator::start()
{
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) {
        fail("cannot open a pseudo-terminal");
        return false;
    }
    fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
    fcntl(master_, F_SETFD, FD_CLOEXEC);
    if (const char* name = ptsname(master_))
        device_ = name;
    else {
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
        fail(("cannot open " + device_).c_str());
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
            fail(("cannot open log " + o_.log).c_str());
            return false;
        }
    }

    checkSpeed();

    if (!o_.link.empty()) {
        char existing[4096];
        if (readlink(o_.link.c_str(), existing, sizeof existing) >= 0)
            unlink(o_.link.c_str()); // a stale link, from an earlier run
        if (symlink(device_.c_str(), o_.link.c_str()) != 0) {
            fail(("cannot make the link " + o_.link).c_str());
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
        streamStartUs_ = monotonicUs();
        streamSent_ = 0;
        return;
    }
    // Nobody left: replies still due go nowhere, bytes the client left
    // unread must not greet the next one, and an exclusive-use flag it did
    // not clear must not lock the next one out.
    note("client gone");
    out_.clear();
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
    auto reply = model_.answer(text);
    if (!reply || o_.noReply || !attached_)
        return true;
    schedule(std::move(*reply), nowUs);
    return true;
}

void Simulator::schedule(std::string reply, std::int64_t nowUs)
{
    // Control codes the program shows as "?", never ACK, LF or CR, then the
    // upper half.
    static const std::string kNoise = [] {
        std::string s;
        for (int c = 0; c < 0x20; ++c)
            if (c != 0x06 && c != 0x0A && c != 0x0D)
                s += static_cast<char>(c);
        for (int c = 0x7F; c <= 0xFF; ++c)
            s += static_cast<char>(c);
        return s;
    }();
    std::string bytes;
    for (std::size_t i = 0; i < o_.garbage; ++i)
        bytes += kNoise[noise_() % kNoise.size()];
    bytes += reply;
    note("-> %s", escaped(bytes).c_str());

    // One reply after the other, as a projector on one line would send them.
    std::int64_t due = nowUs + (o_.delayMs + o_.lateMs) * 1000;
    if (!out_.empty())
        due = std::max(due, out_.back().dueUs);
    const std::size_t piece = o_.split > 0 ? o_.split : bytes.size();
    for (std::size_t at = 0; at < bytes.size(); at += piece) {
        out_.push_back({due, bytes.substr(at, piece)});
        due += o_.gapMs * 1000;
    }
}

void Simulator::writeDue(std::int64_t nowUs)
{
    blocked_ = false;
    while (!out_.empty() && out_.front().dueUs <= nowUs) {
        auto& bytes = out_.front().bytes;
        const auto n = write(master_, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EAGAIN || errno == EWOULDBLOCK)
                blocked_ = true;
            else
                out_.clear(); // the line is gone; nothing to deliver to
            return;
        }
        bytes.erase(0, static_cast<std::size_t>(n));
        if (!bytes.empty()) {
            blocked_ = true;
            return;
        }
        out_.pop_front();
    }
}

void Simulator::stream(std::int64_t nowUs)
{
    if (o_.streamBps <= 0 || !attached_ || blocked_)
        return;
    // Replies (or pieces of them) go out in one write each, so the stream
    // falls between them and never into one.
    static constexpr std::string_view kText =
        "ORVA STREAM 0123456789 ABCDEFGHIJKLMNOPQRSTUVWXYZ abcdefghijklmnopqrstuvwxyz ";
    const std::int64_t owed = (nowUs - streamStartUs_) * o_.streamBps / 1'000'000 - streamSent_;
    std::int64_t left = owed;
    while (left > 0) {
        std::string piece;
        const auto size = static_cast<std::size_t>(std::min<std::int64_t>(left, kStreamPieceMax));
        for (std::size_t i = 0; i < size; ++i)
            piece += kText[(streamPos_ + i) % kText.size()];
        const auto n = write(master_, piece.data(), piece.size());
        if (n <= 0)
            break;
        streamPos_ = (streamPos_ + static_cast<std::size_t>(n)) % kText.size();
        streamSent_ += n;
        left -= n;
        if (static_cast<std::size_t>(n) < size)
            break;
    }
    // What the line cannot take now is not owed later.
    if (left > 0)
        streamSent_ += left;
}

int Simulator::timeoutMs(std::int64_t nowUs) const
{
    std::optional<std::int64_t> next;
    if (!out_.empty() && !blocked_)
        next = out_.front().dueUs;
    if (o_.streamBps > 0 && attached_) {
        const std::int64_t tick = nowUs + kStreamPeriodUs;
        next = next ? std::min(*next, tick) : tick;
    }
    if (!next)
        return -1;
    return static_cast<int>(std::clamp<std::int64_t>((*next - nowUs + 999) / 1000, 0, 60'000));
}

int Simulator::run()
{
    for (;;) {
        const std::int64_t nowUs = monotonicUs();
        writeDue(nowUs);
        stream(nowUs);

        pollfd fds[3] = {
            {gSignalPipe[0], POLLIN, 0},
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

} // namespace

int main(int argc, char** argv)
{
    Options options = parse(argc, argv);
    if (!installSignals()) {
        std::perror("orva-projector-sim: pipe");
        return 1;
    }
    Simulator simulator(std::move(options));
    if (!simulator.start())
        return 1;
    return simulator.run();
}
