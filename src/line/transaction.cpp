#include "line/transaction.h"

#include <utility>

namespace orva {

LineTransaction::LineTransaction(SerialPort& port, Timer& replyTimer, const Clock& clock, int timeoutMs)
    : port_(port), replyTimer_(replyTimer), clock_(clock)
{
    replyTimer_.setInterval(timeoutMs);
    replyTimer_.setHandler([this] { timedOut(); });
}

LineTransaction::~LineTransaction()
{
    replyTimer_.setEnabled(false);
    replyTimer_.setHandler({});
}

void LineTransaction::start(std::string_view frame, Done done)
{
    outcome_ = LineOutcome{};
    done_ = std::move(done);
    running_ = true;
    if (!port_.isOpen()) {
        finish(LineOutcome::Kind::NotSent, "the port is closed");
        return;
    }
    const std::size_t waiting = port_.bytesToWrite();
    if (waiting > 0 && wrote_ && clock_.nowMs() - lastWriteMs_ >= kLineStallMs) {
        finish(LineOutcome::Kind::NotSent, "the line is not taking data (" + std::to_string(waiting)
                                               + " bytes of earlier commands still wait)");
        return;
    }
    outcome_.discarded = port_.read().size(); // not the reply: it was there before the frame
    const bool written = port_.write(frame);
    if (!running_)
        return; // the port went away inside the write
    if (!written) {
        std::string why = port_.isOpen() ? port_.errorText() : std::string("the port is closed");
        finish(LineOutcome::Kind::NotSent, why.empty() ? std::string("the frame could not be written") : why);
        return;
    }
    wrote_ = true;
    lastWriteMs_ = clock_.nowMs();
    replyTimer_.setEnabled(true);
}

void LineTransaction::onComm(int event)
{
    if (event != kCommEventReceive)
        return;
    const std::string piece = port_.read();
    if (!running_ || piece.empty())
        return;
    std::string& reply = outcome_.reply;
    reply.append(piece, 0, kReplyLimit - reply.size());
    if (piece.find('\r') != std::string::npos) {
        outcome_.complete = true;
        finish(LineOutcome::Kind::Replied);
    }
}

void LineTransaction::onPortLost(const std::string& why)
{
    if (running_)
        finish(LineOutcome::Kind::PortLost, why);
}

void LineTransaction::timedOut()
{
    if (!running_)
        return;
    if (!outcome_.reply.empty()) {
        finish(LineOutcome::Kind::Replied); // it never ended in a CR: take what came
        return;
    }
    const std::size_t waiting = port_.isOpen() ? port_.bytesToWrite() : 0;
    finish(LineOutcome::Kind::NoReply,
           waiting ? "the line is not taking data (" + std::to_string(waiting) + " bytes still wait)" : "");
}

void LineTransaction::finish(LineOutcome::Kind kind, std::string reason)
{
    running_ = false;
    replyTimer_.setEnabled(false);
    outcome_.kind = kind;
    outcome_.reason = std::move(reason);
    if (Done done = std::exchange(done_, {}))
        done(outcome_);
}

} // namespace orva
