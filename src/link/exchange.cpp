#include "link/exchange.h"

#include <utility>

namespace orva {

Exchange::PortTap::PortTap(SerialPort& inner, Exchange& owner) : inner_(inner), owner_(owner)
{
    inner_.setListener(this);
}

Exchange::PortTap::~PortTap()
{
    inner_.setListener(nullptr);
}

bool Exchange::PortTap::write(std::string_view frame)
{
    ++writes;
    // Not the reply: it was there before the command went out.
    discarded += inner_.read().size();
    writeOk = inner_.write(frame);
    return writeOk;
}

void Exchange::PortTap::onComm(int event)
{
    if (listener())
        listener()->onComm(event);
    owner_.received();
}

void Exchange::PortTap::onPortLost(const std::string& why)
{
    if (listener())
        listener()->onPortLost(why);
    owner_.lost(why);
}

Exchange::TimerTap::TimerTap(Timer& inner, std::function<void()> after) : inner_(inner)
{
    inner_.setHandler([this, after = std::move(after)] {
        fire();
        after();
    });
}

Exchange::TimerTap::~TimerTap()
{
    inner_.setHandler({});
}

Exchange::Exchange(SerialPort& port, Timer& replyTimer, int timeoutMs)
    : port_(port, *this),
      replyTimer_(replyTimer, [this] { timedOut(); }),
      link_(port_, replyTimer_, clearTimer_, view_),
      timeoutMs_(timeoutMs)
{
    replyTimer_.setInterval(timeoutMs_);
    clearTimer_.setInterval(timeoutMs_ + 200);
}

Exchange::~Exchange()
{
    replyTimer_.setEnabled(false);
}

void Exchange::start(const std::string& frame, const std::string& panelCommand)
{
    link_.setPanelCommand(panelCommand);
    link_.hyouji(frame, kModeSend);
    result_.discarded = port_.discarded;
    if (finished())
        return; // the port went away inside the write
    if (port_.writes != 1 || !port_.writeOk) {
        const std::string why = port_.isOpen() ? port_.errorText() : std::string("the port is closed");
        finish(Outcome::NotSent, why.empty() ? std::string("the frame could not be written") : why);
    }
}

void Exchange::received()
{
    if (finished() || link_.buffer().empty())
        return;
    // The link empties its buffer at the time-out tick: keep what it held.
    result_.reply = link_.buffer();
    result_.monitorLine = link_.receivedLine();
    result_.status = link_.status();
    if (result_.reply.find('\r') != std::string::npos) {
        result_.complete = true;
        finish(Outcome::Replied);
    }
}

void Exchange::timedOut()
{
    if (finished())
        return;
    if (!result_.reply.empty()) {
        finish(Outcome::Replied); // the reply never ended in a CR: take what came
        return;
    }
    result_.monitorLine = link_.receivedLine();
    finish(Outcome::NoReply);
}

void Exchange::lost(const std::string& why)
{
    if (!finished())
        finish(Outcome::PortLost, why);
}

void Exchange::finish(Outcome outcome, std::string error)
{
    result_.outcome = outcome;
    result_.error = std::move(error);
    replyTimer_.setEnabled(false);
    clearTimer_.setEnabled(false);
    if (onFinished_)
        onFinished_();
}

} // namespace orva
