#include "pjlink/qt_daemon.h"

#include "link/qt_timer.h"
#include "pjlink/config.h"
#include "pjlink/metrics_watch.h"
#include "pjlink/qt_projector_server.h"

#include <QCoreApplication>
#include <QFile>
#include <QSettings>
#include <QSocketNotifier>

#include <systemd/sd-daemon.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <map>
#include <memory>
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
};

// The configuration in the file, or what is wrong with it.
std::variant<Loaded, std::string> load(const QString& fileName)
{
    const std::string name = fileName.toStdString();
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return name + ": " + file.errorString().toStdString();
    ScannedIni ini = scanIni(file.readAll().toStdString());
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
    return Loaded{std::get<std::vector<ProjectorConfig>>(std::move(projectors)), std::get<MetricsSettings>(metrics)};
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
        const bool moved = settings.listen != metrics_.settings().listen;
        std::string why;
        if (!metrics_.configure(settings, why)) {
            logLine(fileName_.toStdString() + ": [metrics] listen: " + why);
            return false;
        }
        if (moved && !settings.listen.empty())
            logLine("metrics on http://" + settings.listen + "/metrics, polling every "
                    + std::to_string(settings.pollSeconds) + " s");
        return true;
    }

    // Serves `projectors` in place of what is served now; a projector whose
    // section did not change keeps its server, line and clients.
    bool apply(const std::vector<ProjectorConfig>& projectors)
    {
        std::map<std::string, std::unique_ptr<QtProjectorServer>> kept;
        for (const ProjectorConfig& p : projectors) {
            auto it = servers_.find(p.section);
            if (it != servers_.end() && it->second->config() == p)
                kept[p.section] = std::move(it->second);
        }
        // The others go first, so their addresses and lines are free.
        for (auto& [section, server] : servers_) {
            if (server) {
                metrics_.unwatch(section);
                logLine(section + ": stopped");
            }
        }
        servers_.clear();
        servers_ = std::move(kept);
        bool ok = true;
        for (const ProjectorConfig& p : projectors) {
            if (servers_.count(p.section))
                continue;
            auto server = std::make_unique<QtProjectorServer>(p, doorman_, numbers_, hooks_, logLine);
            std::string error;
            if (!server->start(error)) {
                logLine(error);
                ok = false;
                continue;
            }
            logLine(p.section + ": serving PJLink on " + p.listenText() + " for " + p.target.text());
            metrics_.watch(p.section, server->line());
            servers_[p.section] = std::move(server);
        }
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
            apply(config.projectors);
            applyMetrics(config.metrics);
        }
        ::sd_notify(0, "READY=1");
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
