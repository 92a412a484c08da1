#pragma once

#include "projector_sim/options.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <random>
#include <string>

namespace orva::sim {

// The replies on their way out, as the fault options shape them: garbage
// before each, delayed, cut into pieces a gap apart, one reply after the
// other as a projector on one line sends them. Times in microseconds on any
// fixed origin.
class Outbox {
public:
    struct Piece {
        std::int64_t dueUs;
        std::string bytes;
    };

    explicit Outbox(const Options& options);

    // Queues a reply to a command received at `nowUs`; returns the bytes it
    // goes out as (the garbage included).
    std::string schedule(const std::string& reply, std::int64_t nowUs);

    // The first piece, when it is due by `nowUs`.
    Piece* due(std::int64_t nowUs);
    // `n` bytes of the first piece went out.
    void sent(std::size_t n);
    void clear() { pieces_.clear(); }
    bool empty() const { return pieces_.empty(); }
    std::optional<std::int64_t> nextDueUs() const;

private:
    std::int64_t delayUs_;
    std::size_t split_;
    std::int64_t gapUs_;
    std::size_t garbage_;
    std::mt19937 noise_;
    std::deque<Piece> pieces_;
};

// Unsolicited printable text at a steady rate, while a client is there.
class Stream {
public:
    static constexpr std::int64_t kPeriodUs = 10'000;
    static constexpr std::size_t kPieceMax = 64;

    explicit Stream(std::int64_t bytesPerSecond) : bps_(bytesPerSecond) {}

    bool on() const { return bps_ > 0; }
    // A client came: the rate counts from now.
    void restart(std::int64_t nowUs);
    // Bytes due by `nowUs` that have not gone out.
    std::int64_t owed(std::int64_t nowUs) const;
    // The next `n` characters of the text.
    std::string next(std::size_t n) const;
    // `n` of them went out.
    void sent(std::size_t n);
    // `n` owed bytes the line could not take now: not owed later.
    void forgo(std::int64_t n) { sent_ += n; }

private:
    std::int64_t bps_;
    std::int64_t startUs_ = 0;
    std::int64_t sent_ = 0;
    std::size_t position_ = 0;
};

} // namespace orva::sim
