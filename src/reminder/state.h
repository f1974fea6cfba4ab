#pragma once
// What the reminder keeps between its handlers beyond what the controls show.
#include <cstdint>
#include <string>

#include "platform/datetime.h"

namespace dida {
struct Action;

// The program-wide reminder variables, owned by the program for its whole run.
struct ReminderState {
    std::int32_t ringSecondsLeft = 0;
    std::int32_t countdownMsLeft = 0;
    std::string todayYearText, todayMonthText, todayDayText;
    DateTime targetTime = 0;
    DateTime warningTime = 0;
    std::string mp3FileName;
    // The action whose ring found no output device to sound on; none when none waits.
    const Action* ringSoundWaiting = nullptr;
    // The ring watcher counts the ring's seconds by the tick count: the count at its last tick (or at the
    // firing) and the milliseconds not yet taken off as a whole second.
    std::int32_t ringLastTick = 0;
    std::int32_t ringMsCounted = 0;
    // The short-ring question about a new choice is open: that choice is not armed yet.
    bool askingShortRing = false;

    // Ticks are not trusted to arrive on time: the countdown keeps its deadline on the monotonic tick
    // count, the clock-watching kinds remember when and at what local time the previous tick came.
    std::int32_t countdownDeadlineTick = 0;
    bool haveLastSetTimeTick = false;
    std::int32_t lastSetTimeTick = 0;
    DateTime lastSetTimeNow = 0;
    bool haveLastHourlyTick = false;
    std::int32_t lastHourlyTick = 0;
    DateTime lastHourlyNow = 0;

    // What the wake timer is aimed at, so that a tick aims it again only when the armed moment changed;
    // and whether the display is held on for a ring or the rest screen.
    enum class WakeAim { None, Clock, Tick } wakeAim = WakeAim::None;
    DateTime wakeMoment = 0;
    std::int32_t wakeTick = 0;
    bool ringing = false;  // a chime or the music rings, from the firing to its end
    bool displayHeld = false;
};

}  // namespace dida
