#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orva::sim {

// Power state as the status read reports it.
enum class Power {
    Standby,     // "80"
    CountDown,   // "40": lamp striking, warming up
    On,          // "00"
    CoolingDown, // "20": lamp off, fans running
};

enum class LampMode { Eco, Normal, High };

// Selected input, as the input read reports it.
enum class Input { Computer1 = 1, Computer2 = 2, Video = 3 };

// What the projector reports beyond its ordinary states, as a real one does
// when something has gone wrong.
enum class Fault {
    None,
    Lamp,        // the lamp has failed: it cools down, will not strike again;
                 // CR0 "21" cooling down, "81" stand-by; CR LAMPSTS "000 1X"
    Temperature, // CR0 reports its state with the temperature flag: "08",
                 // "48", "28", "88"
    Power,       // CR0 "10"
};

struct Condition {
    Fault fault = Fault::None;
    bool lampOff = false;           // the lamp is off (and reads so) while the power is on
    bool sensorsUnreadable = false; // CR6 "----- ----- -----"
    bool operator==(const Condition&) const = default;
};

// "lamp", "temperature", "power" or "none".
std::optional<Fault> faultNamed(std::string_view name);

struct ModelSettings {
    std::int64_t countDownMs = 2000;   // stand-by to on
    std::int64_t coolDownMs = 3000;    // on to stand-by
    std::int64_t lampHours = 123;      // lamp time at start
    Condition condition;               // at start
};

// A projector of the family as seen from its serial line: one command line in
// (the text before the CR), the reply bytes out. No I/O and no clock of its
// own: time is whatever `tick` was last told, so every run is repeatable.
//
// Replies:
//   set commands ("C" + two hex digits, "CF <keyword> <args>")  ACK CR
//   anything not understood                                    "?" CR
//   CR0  power       "00" on, "80" stand-by, "40" count down, "20" cooling down
//   CR1  input       "1" Computer 1, "2" Computer 2, "3" Video
//   CR3  lamp time   five digits, hours, zero-padded ("00123")
//   CR4  mirroring   "11" normal, "10" top/bottom, "01" left/right, "00" both
//   CR6  temperature three fields "+DD.D" separated by one blank
//   CR7, CR LAMPMODE "000 NORMAL" / "000 HIGH" / "000 ECO"
//   CR LAMPSTS       "000 1I" lamp on, "000 1O" lamp off, "000 1X" failed
// each followed by CR. An empty line gets no reply at all. The condition
// (a fault, a lamp that reads off, sensors that cannot be read) changes the
// reads as described with Fault and Condition.
class ProjectorModel {
public:
    static constexpr char kAck = '\x06';
    static constexpr char kCr = '\r';

    explicit ProjectorModel(ModelSettings settings = {});

    // Handles one command line and returns what the projector sends back.
    std::optional<std::string> answer(std::string_view command);

    // Moves model time to `nowMs` (milliseconds on any fixed origin).
    // Earlier times than the last one are ignored.
    void tick(std::int64_t nowMs);
    void advance(std::int64_t ms) { tick(nowMs_ + ms); }

    std::int64_t now() const { return nowMs_; }
    Power power() const { return power_; }
    bool lampOn() const
    {
        return (power_ == Power::CountDown || power_ == Power::On) && !condition_.lampOff;
    }
    // From now on the projector reports `condition`. A lamp failure while
    // the lamp burns sends it cooling down.
    void setCondition(const Condition& condition);
    const Condition& condition() const { return condition_; }
    Input input() const { return input_; }
    LampMode lampMode() const { return lampMode_; }
    std::int64_t lampHours() const;
    bool ceiling() const { return ceiling_; }
    bool rear() const { return rear_; }

private:
    std::optional<std::string> read(std::string_view command) const;
    bool set(std::string_view command);
    bool setWord(std::string_view keyword, std::string_view args);
    void powerOn();
    void powerOff();
    void settle();

    ModelSettings settings_;
    std::int64_t nowMs_ = 0;
    std::optional<std::int64_t> deadline_; // end of count down or cooling down
    Power power_ = Power::Standby;
    Input input_ = Input::Computer1;
    LampMode lampMode_ = LampMode::Normal;
    std::int64_t lampMs_ = 0;
    bool ceiling_ = false;
    bool rear_ = false;
    Condition condition_;
};

// The temperature field: sign, two digits, point, one digit ("+25.5").
// `tenths` is clamped to what fits.
std::string temperatureField(int tenths);

} // namespace orva::sim
