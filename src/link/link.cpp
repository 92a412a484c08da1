#include "link/link.h"

#include "link/decode.h"

#include <utility>

namespace orva {
namespace {

// Stands in a notice for the way to the "COM" button, which depends on the
// window's height at the time it shows.
constexpr char kComWay = '\x01';
const std::string kPressCom = std::string("ress ") + kComWay;

} // namespace

Link::Link(SerialPort& port, Timer& replyTimer, Timer& clearTimer, View& view)
    : port_(port), replyTimer_(replyTimer), clearTimer_(clearTimer), view_(view)
{
    port_.setListener(this);
    replyTimer_.setHandler([this] { replyTimeout(); });
    clearTimer_.setHandler([this] { clearMonitor(); });
}

Link::~Link()
{
    port_.setListener(nullptr);
    replyTimer_.setHandler({});
    clearTimer_.setHandler({});
}

void Link::hyouji(const std::string& text, int mode)
{
    if (mode == kModeSend) {
        // A frame that cannot go out is still shown, so the operator sees
        // what was meant; the notice says why nothing left.
        if (!port_.isOpen()) {
            if (lostReason_.empty())
                setNotice("Not sent: the port is closed. P" + kPressCom + " to choose a port.");
            else if (reopening())
                setNotice("Not sent: the port was lost (" + lostReason_ + "); trying to reopen it.");
            else
                setNotice("Not sent: the port was lost (" + lostReason_ + "). P" + kPressCom + " to reopen it.");
        } else if (lineNotTakingData()) {
            setNotice("Not sent: the line is not taking data (" + std::to_string(port_.bytesToWrite())
                      + " bytes of earlier commands still wait). Check the cable and the device at the other end.");
        } else if (!port_.write(text)) {
            setNotice("Not sent: " + port_.errorText());
        } else {
            noteWritten(text.size());
            setNotice({});
        }
        setReceived({});
        clearBuffer();
        RenderedLine r = renderMonitorLine(text);
        showLegends(r);
        setSent(std::move(r.line));
        replyTimer_.setEnabled(true);
        awaiting_ = 1;
        clearTimer_.setEnabled(true);
        return;
    }

    RenderedLine r = renderMonitorLine(text);
    showLegends(r);
    setReceived(std::move(r.line));
    if (auto words = decodeReply(receivedLine_, text.size(), panelCommand_, status_))
        setStatus(std::move(*words));
}

void Link::showReceivedBuffer(std::size_t renderedBefore)
{
    showLegends(bufferRendering_);
    if (receivedShowsBuffer_ && receivedLine_.size() == renderedBefore) {
        // The same caption as setting the whole rendering, without copying
        // (and the view converting) all of a long line for every piece.
        const std::string_view tail = std::string_view(bufferRendering_.line).substr(renderedBefore);
        if (!tail.empty()) {
            receivedLine_.append(tail);
            view_.appendCaption(monitor::kReceivedLine, tail, receivedLine_);
        }
    } else {
        setReceived(bufferRendering_.line);
        receivedShowsBuffer_ = true;
    }
    if (auto words = decodeReply(receivedLine_, buffer_.size(), panelCommand_, status_))
        setStatus(std::move(*words));
}

void Link::onComm(int event)
{
    if (event != kCommEventReceive)
        return;
    std::string piece = port_.read();
    if (piece.empty())
        return; // nothing was waiting after all: nothing new to show or decode
    awaiting_ = 0;

    const std::size_t room = kBufferLimit - buffer_.size();
    if (piece.size() > room) {
        dropped_ += piece.size() - room;
        piece.resize(room);
        setNotice("Receive buffer full: characters beyond 32766 are dropped until the next send.");
        if (piece.empty())
            return;
    }
    const std::size_t before = buffer_.size();
    const std::size_t renderedBefore = bufferRendering_.line.size();
    buffer_ += piece;
    // The same as hyouji(buffer_, kModeReceived), but the rendering of the
    // buffer grows by the new piece instead of starting over each time.
    appendMonitorTokens(bufferRendering_, std::string_view(buffer_).substr(before));
    showReceivedBuffer(renderedBefore);
}

bool Link::lineNotTakingData()
{
    const std::size_t waiting = port_.bytesToWrite();
    if (waiting == 0) {
        unsent_.clear();
        return false;
    }
    const std::uint64_t sent = written_ > waiting ? written_ - waiting : 0;
    while (!unsent_.empty() && unsent_.front().end <= sent)
        unsent_.pop_front();
    return !unsent_.empty() && clock_->nowMs() - unsent_.front().atMs >= kLineStallMs;
}

void Link::noteWritten(std::size_t bytes)
{
    if (bytes == 0)
        return;
    written_ += bytes;
    unsent_.push_back({written_, clock_->nowMs()});
}

void Link::forgetWrites()
{
    unsent_.clear();
    written_ = 0;
}

void Link::onPortLost(const std::string& why)
{
    forgetWrites();
    lostReason_ = why;
    if (reopen_)
        reopen_->portLost();
    showLostNotice();
}

void Link::onOpenFinished(bool opened)
{
    if (reopen_ && reopen_->openFinished(opened))
        portOpened(); // back by itself: the notice goes, the next command goes out
}

void Link::reopenStopped()
{
    if (!lostReason_.empty() && !port_.isOpen())
        showLostNotice();
}

void Link::showLostNotice()
{
    if (reopening())
        setNotice("Port lost: " + lostReason_ + ". Trying to reopen it; p" + kPressCom + " to choose another port.");
    else
        setNotice("Port lost: " + lostReason_ + ". P" + kPressCom + " to reopen it.");
}

void Link::replyTimeout()
{
    if (awaiting_ == 1)
        setReceived(" X X X X");
    replyTimer_.setEnabled(false);
    hideLegends();
    clearBuffer();
    awaiting_ = 0;
}

void Link::clearMonitor()
{
    setSent({});
    setReceived({});
    setStatus({});
    clearTimer_.setEnabled(false);
}

void Link::enter(TimerSituation situation)
{
    const CountdownIntervals& i = intervalsIn(situation);
    replyTimer_.setInterval(i.replyMs);
    clearTimer_.setInterval(i.clearMs);
}

void Link::stopCountdowns()
{
    replyTimer_.setEnabled(false);
    clearTimer_.setEnabled(false);
}

void Link::restartCountdowns()
{
    replyTimer_.setEnabled(true);
    clearTimer_.setEnabled(true);
}

void Link::stopReplyTimeout()
{
    replyTimer_.setEnabled(false);
}

void Link::startMonitorClear()
{
    clearTimer_.setEnabled(true);
}

void Link::resetTransaction()
{
    awaiting_ = 0;
    clearBuffer();
}

void Link::clearMonitorLines()
{
    setSent({});
    setReceived({});
}

void Link::clearBuffer()
{
    receivedShowsBuffer_ = false;
    buffer_.clear();
    bufferRendering_ = RenderedLine{" ", false, false};
}

void Link::portOpened()
{
    forgetWrites();
    lostReason_.clear();
    setNotice({});
}

void Link::setSent(std::string text)
{
    if (text == sentLine_)
        return;
    sentLine_ = std::move(text);
    view_.setCaption(monitor::kSentLine, sentLine_);
}

void Link::setReceived(std::string text)
{
    receivedShowsBuffer_ = false;
    if (text == receivedLine_)
        return;
    receivedLine_ = std::move(text);
    view_.setCaption(monitor::kReceivedLine, receivedLine_);
}

void Link::setStatus(std::string text)
{
    if (text == status_)
        return;
    status_ = std::move(text);
    view_.setCaption(monitor::kStatus, status_);
}

void Link::setNotice(std::string text)
{
    problem_ = std::move(text);
    showNotice();
}

void Link::setStandingNotice(std::string text)
{
    standing_ = std::move(text);
    showNotice();
}

void Link::setComShown(bool shown)
{
    if (comShown_ == shown)
        return;
    comShown_ = shown;
    showNotice();
}

void Link::showNotice()
{
    std::string shown = problem_.empty() ? standing_ : problem_;
    if (const std::size_t at = shown.find(kComWay); at != std::string::npos)
        shown.replace(at, 1, comShown_ ? "COM" : "Ctrl+H, then COM");
    if (shown == notice_)
        return;
    notice_ = shown;
    view_.setCaption(monitor::kNotice, notice_);
}

void Link::showLegends(const RenderedLine& r)
{
    if (r.usedSpace && !spaceLegend_) {
        spaceLegend_ = true;
        view_.setControlVisible(monitor::kSpaceLegend, true);
    }
    if (r.usedCr && !crLegend_) {
        crLegend_ = true;
        view_.setControlVisible(monitor::kCrLegend, true);
    }
}

void Link::hideLegends()
{
    if (spaceLegend_) {
        spaceLegend_ = false;
        view_.setControlVisible(monitor::kSpaceLegend, false);
    }
    if (crLegend_) {
        crLegend_ = false;
        view_.setControlVisible(monitor::kCrLegend, false);
    }
}

} // namespace orva
