#include "projector_sim/outbox.h"

#include <algorithm>
#include <string_view>

namespace orva::sim {
namespace {

// Control codes the program shows as "?", never ACK, LF or CR, then the
// upper half.
const std::string& noiseBytes()
{
    static const std::string bytes = [] {
        std::string s;
        for (int c = 0; c < 0x20; ++c)
            if (c != 0x06 && c != 0x0A && c != 0x0D)
                s += static_cast<char>(c);
        for (int c = 0x7F; c <= 0xFF; ++c)
            s += static_cast<char>(c);
        return s;
    }();
    return bytes;
}

constexpr std::string_view kStreamText =
    "ORVA STREAM 0123456789 ABCDEFGHIJKLMNOPQRSTUVWXYZ abcdefghijklmnopqrstuvwxyz ";

} // namespace

Outbox::Outbox(const Options& o)
    : delayUs_((o.delayMs + o.lateMs) * 1000), split_(o.split), gapUs_(o.gapMs * 1000),
      garbage_(o.garbage), noise_(o.seed)
{
}

std::string Outbox::schedule(const std::string& reply, std::int64_t nowUs)
{
    const std::string& noise = noiseBytes();
    std::string bytes;
    for (std::size_t i = 0; i < garbage_; ++i)
        bytes += noise[noise_() % noise.size()];
    bytes += reply;

    std::int64_t due = nowUs + delayUs_;
    if (!pieces_.empty())
        due = std::max(due, pieces_.back().dueUs);
    const std::size_t piece = split_ > 0 ? split_ : bytes.size();
    for (std::size_t at = 0; at < bytes.size(); at += piece) {
        pieces_.push_back({due, bytes.substr(at, piece)});
        due += gapUs_;
    }
    return bytes;
}

Outbox::Piece* Outbox::due(std::int64_t nowUs)
{
    if (pieces_.empty() || pieces_.front().dueUs > nowUs)
        return nullptr;
    return &pieces_.front();
}

void Outbox::sent(std::size_t n)
{
    if (pieces_.empty())
        return;
    std::string& bytes = pieces_.front().bytes;
    bytes.erase(0, n);
    if (bytes.empty())
        pieces_.pop_front();
}

std::optional<std::int64_t> Outbox::nextDueUs() const
{
    if (pieces_.empty())
        return std::nullopt;
    return pieces_.front().dueUs;
}

void Stream::restart(std::int64_t nowUs)
{
    startUs_ = nowUs;
    sent_ = 0;
}

std::int64_t Stream::owed(std::int64_t nowUs) const
{
    return (nowUs - startUs_) * bps_ / 1'000'000 - sent_;
}

std::string Stream::next(std::size_t n) const
{
    std::string piece;
    for (std::size_t i = 0; i < n; ++i)
        piece += kStreamText[(position_ + i) % kStreamText.size()];
    return piece;
}

void Stream::sent(std::size_t n)
{
    position_ = (position_ + n) % kStreamText.size();
    sent_ += static_cast<std::int64_t>(n);
}

} // namespace orva::sim
