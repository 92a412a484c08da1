// The whole process `orva-ctl status` against the same query written the way
// integrators script it today (Python and pyserial), in one run on the
// projector simulator: wall time from start to exit, and memory.
//
//   orva-bench-ctl [--runs N] [--json FILE]
//
// Plain C++ with no Qt, so that the benchmark's own pages never count in the
// figures of the programs it starts.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/ptrace.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

namespace {

struct Outcome {
    bool ok = false;
    double wallMs = 0;
    std::string out;
};

struct Memory {
    long peakKiB = -1;    // VmHWM of the program itself, at its exit
    long privateKiB = -1; // pages no other process shares, at its exit
    long pssKiB = -1;     // proportional share, at its exit
};

std::vector<char*> argvOf(std::vector<std::string>& args)
{
    std::vector<char*> v;
    for (std::string& a : args)
        v.push_back(a.data());
    v.push_back(nullptr);
    return v;
}

double nowMs()
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// Runs the program to its end, its stdout gathered; the time is from the
// spawn to the reaping.
Outcome timed(std::vector<std::string> args)
{
    Outcome o;
    int pipeFds[2];
    if (::pipe(pipeFds) != 0)
        return o;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    auto argv = argvOf(args);
    const double start = nowMs();
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    if (rc != 0) {
        ::close(pipeFds[0]);
        return o;
    }
    char buf[512];
    ssize_t n = 0;
    while ((n = ::read(pipeFds[0], buf, sizeof buf)) > 0)
        o.out.append(buf, static_cast<std::size_t>(n));
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    o.wallMs = nowMs() - start;
    o.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return o;
}

long field(const std::string& path, const char* name)
{
    std::ifstream in(path);
    std::string line;
    long sum = -1;
    while (std::getline(in, line)) {
        if (line.rfind(name, 0) == 0)
            sum = (sum < 0 ? 0 : sum) + std::atol(line.c_str() + std::strlen(name));
    }
    return sum;
}

// Runs the program under ptrace, stopped at its exit to read what it used.
Memory measured(std::vector<std::string> args)
{
    Memory m;
    auto argv = argvOf(args);
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int devnull = ::open("/dev/null", O_WRONLY);
        ::dup2(devnull, 1);
        ::ptrace(PTRACE_TRACEME, 0, nullptr, nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(pid, &status, 0); // stopped at the exec
    if (!WIFSTOPPED(status))
        return m;
    ::ptrace(PTRACE_SETOPTIONS, pid, nullptr, reinterpret_cast<void*>(PTRACE_O_TRACEEXIT));
    ::ptrace(PTRACE_CONT, pid, nullptr, nullptr);
    for (;;) {
        if (::waitpid(pid, &status, 0) < 0 || WIFEXITED(status) || WIFSIGNALED(status))
            return m;
        if (status >> 8 == (SIGTRAP | (PTRACE_EVENT_EXIT << 8))) {
            const std::string proc = "/proc/" + std::to_string(pid);
            m.peakKiB = field(proc + "/status", "VmHWM:");
            const long clean = field(proc + "/smaps_rollup", "Private_Clean:");
            const long dirty = field(proc + "/smaps_rollup", "Private_Dirty:");
            m.privateKiB = clean < 0 || dirty < 0 ? -1 : clean + dirty;
            m.pssKiB = field(proc + "/smaps_rollup", "Pss:");
            ::ptrace(PTRACE_CONT, pid, nullptr, nullptr);
            continue;
        }
        // Any other stop: pass its signal on.
        const int sig = WSTOPSIG(status) == SIGTRAP ? 0 : WSTOPSIG(status);
        ::ptrace(PTRACE_CONT, pid, nullptr, reinterpret_cast<void*>(static_cast<long>(sig)));
    }
}

double median(std::vector<double> v)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double percentile(std::vector<double> v, int p)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, v.size() * static_cast<std::size_t>(p) / 100)];
}

struct Simulator {
    Simulator()
    {
        int fds[2];
        if (::pipe(fds) != 0)
            return;
        pid = ::fork();
        if (pid == 0) {
            ::dup2(fds[1], 1);
            ::close(fds[0]);
            ::execl(ORVA_SIM_PATH, ORVA_SIM_PATH, "--quiet", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(fds[1]);
        char c = 0;
        while (::read(fds[0], &c, 1) == 1 && c != '\n')
            device += c;
        ::close(fds[0]);
    }
    ~Simulator()
    {
        if (pid > 0) {
            ::kill(pid, SIGTERM);
            ::waitpid(pid, nullptr, 0);
        }
    }
    pid_t pid = -1;
    std::string device;
};

} // namespace

int main(int argc, char** argv)
{
    int runs = 40;
    std::string jsonPath;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--runs" && i + 1 < argc)
            runs = std::max(3, std::atoi(argv[++i]));
        else if (a == "--json" && i + 1 < argc)
            jsonPath = argv[++i];
        else {
            std::fprintf(stderr, "usage: orva-bench-ctl [--runs N] [--json FILE]\n");
            return 64;
        }
    }

    Simulator sim;
    if (sim.device.empty()) {
        std::fprintf(stderr, "orva-bench-ctl: the simulator did not start\n");
        return 1;
    }
    const std::vector<std::string> ctl{ORVA_CTL_PATH, "status", "--port", sim.device};
    const std::vector<std::string> python{"/usr/bin/python3", ORVA_SOURCE_DIR "/bench/pyserial_status.py", sim.device};

    // Both once, to check they agree and to warm the caches.
    for (int i = 0; i < 3; ++i) {
        const Outcome a = timed(ctl);
        const Outcome b = timed(python);
        if (!a.ok || !b.ok || a.out != b.out) {
            std::fprintf(stderr, "orva-bench-ctl: the two do not agree: orva-ctl %s(%d), python %s(%d)\n",
                         a.out.c_str(), a.ok, b.out.c_str(), b.ok);
            return 1;
        }
    }

    // Alternating, so that both see the same machine.
    std::vector<double> ctlMs;
    std::vector<double> pyMs;
    int failures = 0;
    for (int i = 0; i < runs; ++i) {
        const Outcome a = timed(ctl);
        const Outcome b = timed(python);
        failures += !a.ok + !b.ok;
        ctlMs.push_back(a.wallMs);
        pyMs.push_back(b.wallMs);
    }
    std::vector<double> ctlPeak, ctlPrivate, ctlPss, pyPeak, pyPrivate, pyPss;
    for (int i = 0; i < std::min(runs, 10); ++i) {
        const Memory a = measured(ctl);
        const Memory b = measured(python);
        ctlPeak.push_back(static_cast<double>(a.peakKiB));
        ctlPrivate.push_back(static_cast<double>(a.privateKiB));
        ctlPss.push_back(static_cast<double>(a.pssKiB));
        pyPeak.push_back(static_cast<double>(b.peakKiB));
        pyPrivate.push_back(static_cast<double>(b.privateKiB));
        pyPss.push_back(static_cast<double>(b.pssKiB));
    }

    const double wallRatio = median(ctlMs) / median(pyMs);
    const double peakRatio = median(ctlPeak) / median(pyPeak);
    const double privateRatio = median(ctlPrivate) / median(pyPrivate);
    std::printf("`orva-ctl status` against a pyserial script, %d runs each on the simulator (%s)\n\n", runs,
                sim.device.c_str());
    std::printf("| Figure | orva-ctl | Python + pyserial | ratio | target |\n|---|---|---|---|---|\n");
    std::printf("| wall time, start to exit (median / p90) | %.1f / %.1f ms | %.1f / %.1f ms | %.2f | <= 0.50 |\n",
                median(ctlMs), percentile(ctlMs, 90), median(pyMs), percentile(pyMs, 90), wallRatio);
    std::printf("| peak resident memory (VmHWM) | %.0f KiB | %.0f KiB | %.2f | <= 0.33 |\n", median(ctlPeak),
                median(pyPeak), peakRatio);
    std::printf("| private memory at exit | %.0f KiB | %.0f KiB | %.2f | |\n", median(ctlPrivate),
                median(pyPrivate), privateRatio);
    std::printf("| proportional share (PSS) at exit | %.0f KiB | %.0f KiB | %.2f | |\n", median(ctlPss),
                median(pyPss), median(ctlPss) / median(pyPss));
    if (failures)
        std::printf("\n%d runs did not answer\n", failures);

    if (!jsonPath.empty()) {
        std::ostringstream j;
        j << "{\"runs\": " << runs << ", \"failures\": " << failures << ",\n"
          << " \"ctl\": {\"wall_ms_median\": " << median(ctlMs) << ", \"wall_ms_p90\": " << percentile(ctlMs, 90)
          << ", \"peak_kib\": " << median(ctlPeak) << ", \"private_kib\": " << median(ctlPrivate)
          << ", \"pss_kib\": " << median(ctlPss) << "},\n"
          << " \"python\": {\"wall_ms_median\": " << median(pyMs) << ", \"wall_ms_p90\": " << percentile(pyMs, 90)
          << ", \"peak_kib\": " << median(pyPeak) << ", \"private_kib\": " << median(pyPrivate)
          << ", \"pss_kib\": " << median(pyPss) << "},\n"
          << " \"wall_ratio\": " << wallRatio << ", \"peak_ratio\": " << peakRatio
          << ", \"private_ratio\": " << privateRatio << "}\n";
        std::ofstream(jsonPath) << j.str();
    }
    return failures ? 1 : 0;
}
