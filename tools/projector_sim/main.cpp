// orva-projector-sim: a projector of the QLN40/QLN45/QLN50 family on a
// pseudo-terminal, for trying and testing the control program without one.
#include "projector_sim/options.h"
#include "projector_sim/simulator.h"

#include <cerrno>
#include <cstdio>

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

namespace {

int gSignalPipe[2] = {-1, -1};

extern "C" void onSignal(int)
{
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const auto n = write(gSignalPipe[1], &byte, 1);
    errno = saved;
}

// SIGTERM, SIGINT and SIGHUP end the loop through a pipe it watches, so the
// link and the log are cleaned up on the way out.
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

} // namespace

int main(int argc, char** argv)
{
    using namespace orva::sim;
    const ParsedOptions parsed = parseOptions(argc, argv);
    if (std::holds_alternative<HelpWanted>(parsed)) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (const auto* error = std::get_if<UsageError>(&parsed)) {
        std::fprintf(stderr, "orva-projector-sim: %s\n(--help for the options)\n", error->message.c_str());
        return 2;
    }
    if (!installSignals()) {
        std::perror("orva-projector-sim: pipe");
        return 1;
    }
    Simulator simulator(std::get<Options>(parsed));
    if (!simulator.start())
        return 1;
    return simulator.run(gSignalPipe[0]);
}
