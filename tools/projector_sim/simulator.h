#pragma once

#include "projector_sim/options.h"
#include "projector_sim/outbox.h"
#include "projector_sim/projector_model.h"

#include <cstdint>
#include <cstdio>
#include <string>

namespace orva::sim {

// The projector on a pseudo-terminal: the device clients open, who is
// attached, the line speed they set, the log, and the loop that reads
// commands and writes what the model and the outbox give back.
class Simulator {
public:
    explicit Simulator(Options options);
    ~Simulator();
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    // Opens the pseudo-terminal and prints its device path.
    bool start();
    // Serves until `stopFd` becomes readable (0) or the line is hung up on
    // purpose (0); 1 when polling fails.
    int run(int stopFd);

private:
    void note(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void fail(const std::string& what);
    void readPresence();
    void checkSpeed();
    void readState();
    void setAttached(bool attached);
    bool readMaster(); // false: hang up now
    bool command(const std::string& text, std::int64_t nowUs);
    void writeDue(std::int64_t nowUs);
    void stream(std::int64_t nowUs);
    int timeoutMs(std::int64_t nowUs) const;
    void shutDown();

    Options o_;
    ProjectorModel model_;
    Outbox outbox_;
    Stream stream_;
    std::int64_t startUs_;

    int master_ = -1;
    int keeper_ = -1;   // our own descriptor of the device, never read
    int presence_ = -1; // inotify on the device: who opens and closes it
    std::string device_;
    bool linked_ = false;
    std::FILE* log_ = nullptr;
    long speed_ = -1; // as last written to the speed file

    int clients_ = 0;
    bool attached_ = false;
    std::string line_;
    std::int64_t commands_ = 0;
    bool blocked_ = false; // the last write filled the line up
};

// Microseconds on CLOCK_MONOTONIC.
std::int64_t monotonicUs();

// Bytes outside printable ASCII (and the backslash) as \xNN.
std::string escaped(std::string_view bytes);

} // namespace orva::sim
