#pragma once

#include <array>
#include <cstddef>

namespace orva {

// The situations of the panel that set the intervals of the link's two
// countdowns: Timer2, the reply time-out, and Timer4, the monitor clear.
// Each pair stays in force until the next situation is entered.
enum class TimerSituation {
    // As the window was designed, before start-up sets them; so also after
    // a start-up at which the port did not open, even once the port dialog
    // has opened it.
    Design,
    AfterStartUp,      // the port opened at start-up
    CommandListOpen,   // "Command Table" pressed
    CommandListClosed, // the command list's CLOSE
    Holding,           // a hold-to-repeat button is held
    AfterHold,         // a hold has ended
};

struct CountdownIntervals {
    TimerSituation situation;
    int replyMs; // Timer2
    int clearMs; // Timer4
};

// The one table of them.
inline constexpr std::array<CountdownIntervals, 6> kCountdownIntervals{{
    {TimerSituation::Design, 5000, 5500},
    {TimerSituation::AfterStartUp, 1000, 1200},
    {TimerSituation::CommandListOpen, 5000, 5500},
    {TimerSituation::CommandListClosed, 1000, 1200},
    {TimerSituation::Holding, 150, 200},
    {TimerSituation::AfterHold, 500, 1000},
}};

constexpr const CountdownIntervals& intervalsIn(TimerSituation situation)
{
    return kCountdownIntervals[static_cast<std::size_t>(situation)];
}

static_assert([] {
    for (std::size_t i = 0; i < kCountdownIntervals.size(); ++i)
        if (static_cast<std::size_t>(kCountdownIntervals[i].situation) != i)
            return false;
    return true;
}(), "one row per situation, in the order of the enum");

} // namespace orva
