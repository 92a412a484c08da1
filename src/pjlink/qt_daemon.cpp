#include "pjlink/qt_daemon.h"

#include "ports/qt_timer.h"
#include "pjlink/config.h"
#include "pjlink/metrics_watch.h"
#include "pjlink/qt_listen_address.h"
#include "pjlink/qt_projector_server.h"
#include "settings/ini_text.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QSocketNotifier>
#include <QTcpServer>

#include <systemd/sd-daemon.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <map>
#include <algorithm>
#include <memory>
#include <set>
#include <sys/socket.h>
#include <unistd.h>
#include <variant>

namespace orva::pjlink {
namespace {

constexpr int kExitUsage = 64;  // EX_USAGE
constexpr int kExitConfig = 78; // EX_CONFIG
constexpr const char* kDefaultConfig = "/etc/orva/pjlinkd.conf";

const char kUsage[] = R"(usage: orva-pjlinkd [--config FILE] [--check]

Serves PJLink (class 1, TCP) for each projector of FILE (default
/etc/orva/pjlinkd.conf), on the projector's serial line. SIGHUP reads
FILE again; SIGTERM ends it.

  --config FILE  the configuration file
  --check        read FILE and exit: 0 when it configures a projector,
                 1 when it configures none, 78 when it is wrong
  --help         this text
  --version      the version
)";

void logLine(const std::string& line)
{
    std::fprintf(stderr, "%s\n", line.c_str());
    std::fflush(stderr);
}

// What the file configures: the projectors and the metrics.
struct Loaded {
    std::vector<ProjectorConfig> projectors;
    MetricsSettings metrics;
    std::vector<std::string> warnings; // for the log, never holding a value
};

// The configuration in the file, or what is wrong with it.
std::variant<Loaded, std::string> load(const QString& fileName)
{
    const std::string name = fileName.toStdString();
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        const bool denied = file.exists() && !QFileInfo(fileName).isReadable();
        return name + ": " + file.errorString().toStdString()
            + (denied ? " (the service reads it as a member of the group orva-pjlinkd: root:orva-pjlinkd, mode 0640)"
                      : "");
    }
    const std::string text = file.readAll().toStdString();
    // The settings library is never handed a binary value it would decode
    // by the count it declares (see screenedIni).
    if (const std::string entry = screenedIni(text).firstReplaced(); !entry.empty())
        return name + ": " + entry + ": a binary value (\"@Variant(...)\") is not a setting";
    ScannedIni ini = scanIni(text);
    QSettings settings(fileName, QSettings::IniFormat);
    if (settings.status() != QSettings::NoError)
        return name + ": not a readable INI file";
    // The store's reading of each value (quotes, escapes, comments). A value
    // with a comma it reads as a list, which loses how the parts were
    // separated: such a value keeps the text as written (a password
    // "ab,cd" is not "ab, cd").
    for (ConfigEntry& e : ini.entries) {
        if (e.section.empty())
            continue;
        const QVariant v = settings.value(QString::fromStdString(e.section + "/" + e.key));
        if (v.isValid() && v.typeId() != QMetaType::QStringList)
            e.value = v.toString().toStdString();
    }
    auto projectors = readConfig(name, ini);
    if (const auto* error = std::get_if<std::string>(&projectors))
        return *error;
    auto metrics = readMetricsSettings(name, ini);
    if (const auto* error = std::get_if<std::string>(&metrics))
        return *error;
    Loaded loaded{std::get<std::vector<ProjectorConfig>>(std::move(projectors)), std::get<MetricsSettings>(metrics),
                  configWarnings(name, ini)};
    const bool holdsPassword = !loaded.metrics.password.empty()
        || std::any_of(loaded.projectors.begin(), loaded.projectors.end(),
                       [](const ProjectorConfig& p) { return !p.password.empty(); });
    const std::string open = passwordFileWarning(
        name, holdsPassword, QFileInfo(fileName).permissions().testFlag(QFileDevice::ReadOther));
    if (!open.empty())
        loaded.warnings.push_back(open);
    return loaded;
}

std::int64_t unixNowMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

// SIGTERM, SIGINT and SIGHUP, as bytes on a socket the event loop watches.
int signalPipe[2] = {-1, -1};

void onSignal(int number)
{
    const int saved = errno;
    const char byte = static_cast<char>(number);
    [[maybe_unused]] const auto n = ::write(signalPipe[1], &byte, 1); // non-blocking: a burst never waits here
    errno = saved;
}

class Daemon {
public:
    explicit Daemon(QString fileName) : fileName_(std::move(fileName))
    {
        hooks_.accepted = [this](const std::string& section, const std::string&) {
            metrics_.connectionAccepted(section);
        };
        hooks_.authFailed = [this](const std::string& section, const std::string&) {
            metrics_.authenticationFailed(section);
        };
    }

    // The `[metrics]` section: false when its endpoint cannot listen.
    bool applyMetrics(const MetricsSettings& settings)
    {
        const MetricsSettings& was = metrics_.settings();
        const bool moved = settings.listen != was.listen || settings.user != was.user
            || settings.password != was.password;
        std::string why;
        if (!metrics_.configure(settings, why)) {
            logLine(fileName_.toStdString() + ": [metrics] listen: " + why);
            return false;
        }
        if (moved && !settings.listen.empty())
            logLine("metrics on http://" + settings.listen + "/metrics, polling every "
                    + std::to_string(settings.pollSeconds) + " s, "
                    + (settings.user.empty() ? "no authentication (no user and password)"
                                             : "HTTP basic authentication on"));
        return true;
    }

    // Serves `projectors` in place of what is served now; a projector whose
    // section did not change keeps its server, line and clients. One whose
    // new address cannot be taken keeps serving as it was (logged); false
    // then, or when a new projector cannot listen.
    bool apply(const std::vector<ProjectorConfig>& projectors)
    {
        std::map<std::string, std::unique_ptr<QtProjectorServer>> next;
        std::set<std::string> wanted;
        for (const ProjectorConfig& p : projectors) {
            wanted.insert(p.section);
            auto it = servers_.find(p.section);
            if (it != servers_.end() && it->second->config() == p)
                next[p.section] = std::move(it->second);
        }
        // The sections that went go first, so their addresses and lines are free.
        for (auto& [section, server] : servers_) {
            if (server && !wanted.count(section)) {
                metrics_.unwatch(section);
                server.reset();
                logLine(section + ": stopped");
            }
        }
        bool ok = true;
        // Changed sections before new ones: a new one may take an address
        // a changed one leaves.
        std::set<std::string> tried;
        for (const bool changed : {true, false}) {
            for (const ProjectorConfig& p : projectors) {
                if (next.count(p.section) || tried.count(p.section))
                    continue;
                auto it = servers_.find(p.section);
                std::unique_ptr<QtProjectorServer> old = it != servers_.end() ? std::move(it->second) : nullptr;
                if (static_cast<bool>(old) != changed) {
                    if (old)
                        it->second = std::move(old);
                    continue;
                }
                tried.insert(p.section);
                auto server = replace(p, std::move(old));
                if (!server || server->config() != p)
                    ok = false;
                if (server)
                    next[p.section] = std::move(server);
            }
        }
        servers_ = std::move(next);
        return ok;
    }

    void reload()
    {
        ::sd_notify(0, "RELOADING=1");
        auto loaded = load(fileName_);
        if (const auto* error = std::get_if<std::string>(&loaded)) {
            logLine(*error + " (configuration not reloaded)");
        } else {
            logLine("reloading " + fileName_.toStdString());
            const Loaded& config = std::get<Loaded>(loaded);
            for (const std::string& warning : config.warnings)
                logLine(warning);
            apply(config.projectors);
            applyMetrics(config.metrics);
        }
        ::sd_notify(0, "READY=1");
    }

    // A server for `p` in place of `old` (none for a new section); when `p`
    // cannot listen, `old` as it was, logged, or nothing for a new section.
    std::unique_ptr<QtProjectorServer> replace(const ProjectorConfig& p, std::unique_ptr<QtProjectorServer> old)
    {
        std::string error;
        if (old) {
            const ProjectorConfig& was = old->config();
            // A new address is tried before the old server makes way for it.
            if (was.listenHost != p.listenHost || was.listenPort != p.listenPort) {
                QTcpServer probe;
                if (!probe.listen(listenAddressOf(p.listenHost), p.listenPort)) {
                    logLine(p.section + ": cannot listen on " + p.listenText() + ": "
                            + probe.errorString().toStdString() + "; still serving on "
                            + boundText(old->listeningAddress(), old->listeningPort()) + " as before");
                    return old;
                }
            }
            const ProjectorConfig previous = was;
            metrics_.unwatch(p.section);
            old.reset();
            if (auto server = start(p, error))
                return server;
            logLine(error);
            if (auto server = start(previous, error)) {
                logLine(p.section + ": its new settings are not applied");
                return server;
            }
            logLine(error);
            return nullptr;
        }
        if (auto server = start(p, error))
            return server;
        logLine(error);
        return nullptr;
    }

    // A server for `p`, listening and on its line, logged; nothing and why
    // when it cannot listen.
    std::unique_ptr<QtProjectorServer> start(const ProjectorConfig& p, std::string& error)
    {
        auto server = std::make_unique<QtProjectorServer>(p, doorman_, numbers_, hooks_, logLine);
        if (!server->start(error))
            return nullptr;
        logLine(p.section + ": serving PJLink on " + boundText(server->listeningAddress(), server->listeningPort())
                + " for " + p.target.text() + ", "
                + (p.password.empty() ? "no authentication (no password)" : "authentication on"));
        metrics_.watch(p.section, server->line());
        return server;
    }

    void stop()
    {
        for (const auto& [section, server] : servers_)
            metrics_.unwatch(section);
        servers_.clear();
    }

private:
    QString fileName_;
    QtTimerSource timers_;
    Doorman doorman_{steadyClock(), timers_, logLine};
    GreetingNumbers numbers_{greetingKey()};
    ServerHooks hooks_;
    std::map<std::string, std::unique_ptr<QtProjectorServer>> servers_;
    MetricsWatch metrics_{timers_, steadyClock(), unixNowMs};
};

} // namespace

int runDaemon(const QStringList& arguments)
{
    QString fileName = QString::fromLatin1(kDefaultConfig);
    bool check = false;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (a == QLatin1String("--help")) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (a == QLatin1String("--version")) {
            std::printf("orva-pjlinkd %s\n", qPrintable(QCoreApplication::applicationVersion()));
            return 0;
        }
        if (a == QLatin1String("--check")) {
            check = true;
        } else if (a == QLatin1String("--config") && i + 1 < arguments.size()) {
            fileName = arguments[++i];
        } else if (a.startsWith(QLatin1String("--config="))) {
            fileName = a.mid(9);
        } else {
            std::fprintf(stderr, "orva-pjlinkd: unknown argument %s\n%s", qPrintable(a), kUsage);
            return kExitUsage;
        }
    }

    auto loaded = load(fileName);
    if (const auto* error = std::get_if<std::string>(&loaded)) {
        logLine(*error);
        return kExitConfig;
    }
    const auto& projectors = std::get<Loaded>(loaded).projectors;
    for (const std::string& warning : std::get<Loaded>(loaded).warnings)
        logLine(warning);
    if (check)
        return projectors.empty() ? 1 : 0;
    if (projectors.empty()) {
        logLine(fileName.toStdString() + ": no projector configured (add a section for each)");
        return kExitConfig;
    }

    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, signalPipe) != 0) {
        logLine("cannot watch signals");
        return 71; // EX_OSERR
    }
    struct sigaction action {};
    action.sa_handler = onSignal;
    action.sa_flags = SA_RESTART;
    ::sigemptyset(&action.sa_mask);
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGHUP, &action, nullptr);
    // SIGPIPE is ignored with the fatal-exit release (main).

    Daemon daemon(fileName);
    if (!daemon.apply(projectors) || !daemon.applyMetrics(std::get<Loaded>(loaded).metrics))
        return kExitConfig; // an address that cannot be taken is the file's to mend

    QSocketNotifier notifier(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&notifier, &QSocketNotifier::activated, [&daemon] {
        char byte = 0;
        if (::read(signalPipe[0], &byte, 1) != 1)
            return;
        if (byte == SIGHUP) {
            daemon.reload();
            return;
        }
        ::sd_notify(0, "STOPPING=1");
        logLine("stopping");
        QCoreApplication::quit();
    });

    ::sd_notify(0, "READY=1");
    const int status = QCoreApplication::exec();
    daemon.stop();
    return status;
}

} // namespace orva::pjlink
