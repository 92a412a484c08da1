#pragma once

// What the benchmark programs share: the clock the simulator's log uses,
// CPU time, an event loop that runs without spinning, percentiles, and the
// simulator in a child process.
#include <QEventLoop>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace orva::bench {

// Microseconds on the monotonic clock: the clock of the simulator's --log.
inline std::int64_t nowUs()
{
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// CPU seconds used so far by the process (RUSAGE_SELF) or the calling thread
// (RUSAGE_THREAD).
inline double cpuSeconds(int who = RUSAGE_SELF)
{
    rusage u{};
    getrusage(who, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec)
        + static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// Runs the event loop for `ms` without spinning, so CPU use is the program's.
inline void runFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

// The q-th quantile (0..1) by the nearest rank; 0 for no values.
inline double percentile(std::vector<double> v, double q)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    const auto rank = static_cast<std::size_t>(std::ceil(q * static_cast<double>(v.size())));
    return v[std::min(rank == 0 ? 0 : rank - 1, v.size() - 1)];
}

// The simulator in a child process; `device` is the pty it printed.
struct Sim {
    explicit Sim(QStringList options)
    {
        options << "--quiet";
        process.start(QStringLiteral(ORVA_SIM_PATH), options);
        process.waitForStarted(5000);
        while (!process.canReadLine() && process.waitForReadyRead(5000)) {
        }
        device = QString::fromLocal8Bit(process.readLine()).trimmed().toStdString();
    }
    ~Sim()
    {
        process.terminate();
        process.waitForFinished(3000);
    }
    Sim(const Sim&) = delete;
    Sim& operator=(const Sim&) = delete;

    QProcess process;
    std::string device;
};

} // namespace orva::bench
