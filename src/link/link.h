#pragma once

#include "line/clock.h"
#include "link/monitor_controls.h"
#include "link/render.h"
#include "line/reopen.h"
#include "line/serial_port.h"
#include "line/timer.h"
#include "link/timer_situation.h"
#include "link/view.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>

namespace orva {

inline constexpr int kModeSend = 1;
inline constexpr int kModeReceived = 2;

// The projector link: every command goes out and every reply comes in
// through `hyouji`. Owns the reply buffer, the awaiting-reply flag, the panel
// command and the captions of the line monitor; the view mirrors them.
//
// A transaction is one write followed by a time window (`Timer2`) in which
// everything that arrives is the reply; `Timer4` then clears the monitor.
class Link : public SerialListener {
public:
    static constexpr std::size_t kBufferLimit = kReplyLimit;

    Link(SerialPort& port, Timer& replyTimer, Timer& clearTimer, View& view);
    // The clock that times the line (the machine's own unless set).
    void setClock(const Clock& clock) { clock_ = &clock; }
    ~Link() override;
    Link(const Link&) = delete;
    Link& operator=(const Link&) = delete;

    // Mode 1 (kModeSend): `text` is a command frame; write it, show it, arm
    // both timers. Any other mode: `text` is the reply buffer; show it and
    // decode it.
    void hyouji(const std::string& text, int mode);

    // Serial control events.
    void onComm(int event) override;
    void onPortLost(const std::string& why) override;
    void onOpenFinished(bool opened) override;

    // The rule that brings a lost port back; without one a lost port stays
    // closed until the operator reopens it.
    void setReopen(Reopen* reopen) { reopen_ = reopen; }
    // The operator took over from the automatic reopen ("COM", "END").
    void reopenStopped();

    // Timer ticks.
    void replyTimeout(); // Timer2_Timer
    void clearMonitor(); // Timer4_Timer

    // The frame a panel control last prepared: the key of reply decoding.
    const std::string& panelCommand() const { return panelCommand_; }
    void setPanelCommand(std::string frame) { panelCommand_ = std::move(frame); }

    // Start-up's reset of the transaction state.
    void resetTransaction();
    // The end of a hold empties the monitor lines and the buffer.
    void clearMonitorLines();
    void clearBuffer();
    // The port is usable again (opened by start-up or the port dialog).
    void portOpened();
    // A notice that stands while nothing more pressing is said (a port
    // choice that could not be stored); empty to withdraw it.
    void setStandingNotice(std::string text);
    // Whether the "COM" button is on show: the notices that send the
    // operator there say how to reach it ("Ctrl+H, then COM") when it is not.
    void setComShown(bool shown);

    // The countdowns. Entering a situation sets the intervals of both from
    // the one table (a running countdown starts over with its new interval).
    void enter(TimerSituation situation);
    // Stopped before a send and started again after it, each counts its
    // full interval from that send (the command list's SEND).
    void stopCountdowns();
    void restartCountdowns();
    // The end of a hold: no time-out for its last command, and the monitor
    // is cleared one interval from now.
    void stopReplyTimeout();
    void startMonitorClear();
    SerialPort& port() { return port_; }

    const std::string& buffer() const { return buffer_; }
    bool awaitingReply() const { return awaiting_ != 0; }
    const std::string& sentLine() const { return sentLine_; }
    const std::string& receivedLine() const { return receivedLine_; }
    const std::string& status() const { return status_; }
    const std::string& notice() const { return notice_; }
    bool crLegendVisible() const { return crLegend_; }
    bool spaceLegendVisible() const { return spaceLegend_; }
    std::uint64_t droppedCharacters() const { return dropped_; }

private:
    void setSent(std::string text);
    void setReceived(std::string text);
    void setStatus(std::string text);
    void setNotice(std::string text); // what went wrong just now; empty when all went well
    void showNotice();
    void showLegends(const RenderedLine& r);
    void hideLegends();
    void showReceivedBuffer(std::size_t renderedBefore);
    void showLostNotice();
    bool reopening() const { return reopen_ && reopen_->active(); }
    bool lineNotTakingData();
    void noteWritten(std::size_t bytes);
    void forgetWrites();

    SerialPort& port_;
    Timer& replyTimer_;
    Timer& clearTimer_;
    View& view_;
    Reopen* reopen_ = nullptr;
    const Clock* clock_ = &steadyClock();

    // Sends whose bytes may still wait in the port, oldest first: where each
    // ends in the count of bytes written since the port opened, and when.
    struct Write {
        std::uint64_t end = 0;
        std::int64_t atMs = 0;
    };
    std::deque<Write> unsent_;
    std::uint64_t written_ = 0;

    std::string panelCommand_;
    std::string buffer_;
    RenderedLine bufferRendering_{" ", false, false}; // of buffer_, grown per piece
    // The received line is the rendering of the buffer (as it was before the
    // latest piece), so a piece only adds its own tokens to it.
    bool receivedShowsBuffer_ = false;
    std::uint8_t awaiting_ = 0;
    std::uint64_t dropped_ = 0;

    std::string sentLine_;
    std::string receivedLine_;
    std::string status_;
    std::string notice_;   // as shown: the problem, else the standing notice
    std::string problem_;
    std::string standing_;
    std::string lostReason_; // why the port went, until it opens again
    bool comShown_ = true;
    bool crLegend_ = false;
    bool spaceLegend_ = false;
};

} // namespace orva
