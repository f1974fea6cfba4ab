#pragma once
// The schedule of a timer that follows the wall clock: each expiry comes `slackMs` after the clock passes
// a whole multiple of the period (for 1000 ms: just after each second of the clock), whenever the timer
// was started. A window timer counts its period from the moment it was armed, so a one-second watcher
// would see each new second up to a whole second late; this one re-aims at the clock after every expiry,
// so a late or slow native timer never carries over to the next one. Both desktops drive it the same
// way: a native one-shot wait of the returned length, then Arrived with the clock at that moment.
// Wall-clock values are milliseconds since 1970 (UTC: the local clock's seconds change at the same
// moments, as time zones differ by whole minutes).
#include <cstdint>

namespace dida {

class ClockTimerSchedule {
public:
    ClockTimerSchedule(int periodMs, int slackMs);

    // (Re)started at wall-clock `wallMs`: the wait in ms until the first expiry.
    std::int64_t Start(std::int64_t wallMs);

    struct Step {
        bool due;             // raise the timer event now
        std::int64_t waitMs;  // until the next native expiry
    };
    // The native wait ended at wall-clock `wallMs`. Early (the clock was set back a little, or the
    // native timer runs ahead of the clock): not due, wait for the rest. Set back by more than a period:
    // due, a period has passed all the same.
    Step Arrived(std::int64_t wallMs);

    // The wall clock was set to `wallMs`: the wait until the next expiry, 0 when the moment aimed at
    // has just been jumped over.
    std::int64_t ClockSet(std::int64_t wallMs);

private:
    std::int64_t NextMultipleAfter(std::int64_t wallMs) const;
    std::int64_t period_, slack_;
    std::int64_t target_ = 0;  // the multiple of the period the next expiry is for
};

}  // namespace dida
