#pragma once

#include "link/link.h"
#include "line/serial_port.h"
#include "line/timer.h"
#include "link/view.h"

#include <functional>
#include <string>

namespace orva {

// One transaction for a script, through the window's own link: the frame is
// written once and the reply gathered and decoded exactly as the window does
// it. A script waits for nothing more than the reply, so the exchange ends at
// the first CR received (the end of every reply), and otherwise when the
// link's reply time-out ends the transaction.
//
// The reply is only what arrives after the frame was written: whatever the
// port holds from before (a device server's greeting at connect, the tail of
// an earlier answer) is read and dropped just before the write. The window
// keeps its own rule (text with no send outstanding is shown and decoded).
class Exchange {
public:
    enum class Outcome {
        Pending,
        Replied,  // something came back (complete: a CR was among it)
        NoReply,  // nothing within the time-out
        NotSent,  // the frame could not be written
        PortLost, // the port went away before the reply was complete
    };

    struct Result {
        Outcome outcome = Outcome::Pending;
        bool complete = false;   // ended by a CR rather than by the time-out
        std::string reply;       // the characters received, as they came
        std::string monitorLine; // the received line as the monitor shows it (" X X X X" for none)
        std::string status;      // the status label after decoding ("" when nothing decoded)
        std::string error;       // why, for NotSent and PortLost
        std::size_t discarded = 0; // characters that were waiting before the write, dropped
    };

    // `replyTimer` becomes the link's reply time-out (`Timer2`), with an
    // interval of `timeoutMs`.
    Exchange(SerialPort& port, Timer& replyTimer, int timeoutMs);
    ~Exchange();
    Exchange(const Exchange&) = delete;
    Exchange& operator=(const Exchange&) = delete;

    // Sends `frame`; `panelCommand` is the key of reply decoding (the frame
    // of a read button, or "" for no decoding).
    void start(const std::string& frame, const std::string& panelCommand);

    bool finished() const { return result_.outcome != Outcome::Pending; }
    const Result& result() const { return result_; }
    // Called once, when the result is known.
    void setFinishedHandler(std::function<void()> handler) { onFinished_ = std::move(handler); }

private:
    // Stands between the link and the port: sees what the link writes and
    // learns of every receive event after the link has handled it.
    class PortTap : public SerialPort, public SerialListener {
    public:
        PortTap(SerialPort& inner, Exchange& owner);
        ~PortTap() override;
        bool setPortNumber(int number) override { return inner_.setPortNumber(number); }
        int portNumber() const override { return inner_.portNumber(); }
        void setSettings(const std::string& s) override { inner_.setSettings(s); }
        bool open() override { return inner_.open(); }
        void close() override { inner_.close(); }
        bool isOpen() const override { return inner_.isOpen(); }
        bool write(std::string_view frame) override;
        std::string read() override { return inner_.read(); }
        std::size_t bytesToWrite() const override { return inner_.bytesToWrite(); }
        std::string errorText() const override { return inner_.errorText(); }
        std::string deviceName() const override { return inner_.deviceName(); }
        void onComm(int event) override;
        void onPortLost(const std::string& why) override;
        // The exchange is given a port that is already open.
        void onOpenFinished(bool) override {}

        int writes = 0;
        bool writeOk = false;
        std::size_t discarded = 0;

    private:
        SerialPort& inner_;
        Exchange& owner_;
    };

    // The reply timer, with a look after each of its ticks.
    class TimerTap : public Timer {
    public:
        TimerTap(Timer& inner, std::function<void()> after);
        ~TimerTap() override;
        void setInterval(int ms) override { inner_.setInterval(ms); }
        int interval() const override { return inner_.interval(); }
        void setEnabled(bool on) override { inner_.setEnabled(on); }
        bool isEnabled() const override { return inner_.isEnabled(); }

    private:
        Timer& inner_;
    };

    // The monitor-clear timer: there is no monitor to clear, and the
    // exchange is over by the time-out tick anyway.
    class InertTimer : public Timer {
    public:
        void setInterval(int ms) override { interval_ = ms; }
        int interval() const override { return interval_; }
        void setEnabled(bool on) override { enabled_ = on; }
        bool isEnabled() const override { return enabled_; }

    private:
        int interval_ = 0;
        bool enabled_ = false;
    };

    class NullView : public View {
    public:
        void setCaption(std::string_view, const std::string&) override {}
        void setControlVisible(std::string_view, bool) override {}
    };

    void received();
    void timedOut();
    void lost(const std::string& why);
    void finish(Outcome outcome, std::string error = {});

    PortTap port_;
    TimerTap replyTimer_;
    InertTimer clearTimer_;
    NullView view_;
    Link link_;
    int timeoutMs_;
    Result result_;
    std::function<void()> onFinished_;
};

} // namespace orva
