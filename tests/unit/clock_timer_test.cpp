// The schedule of a clock-aligned timer: what it waits for and when an expiry is due.
#include <gtest/gtest.h>

#include "platform/clock_timer.h"

namespace dida {
namespace {

constexpr std::int64_t kSecond = 1000;
constexpr std::int64_t kBase = 1'446'732'522'000;  // a whole second of the wall clock

TEST(ClockTimerSchedule, StartsForTheNextMultipleWhateverThePhase) {
    const struct {
        std::int64_t at;
        int period, slack;
        std::int64_t wait;
    } rows[] = {
        {kBase + 370, 1000, 3, 633},      // just after the next second
        {kBase, 1000, 3, 1003},           // on a second: the next one, not this one
        {kBase + 999, 1000, 3, 4},        //
        {kBase + 370, 1000, 0, 630},      // the simulated desktop's exact timers
        {kBase + 100, 250, 2, 152},       // other periods align to their own multiples
        {-1'630, 1000, 3, 633},           // before 1970 too
        {kBase + 370, 1000, 5000, 1629},  // a slack of a period or more is cut below it
    };
    for (const auto& r : rows) {
        ClockTimerSchedule s(r.period, r.slack);
        EXPECT_EQ(s.Start(r.at), r.wait) << r.at << " period " << r.period;
    }
}

TEST(ClockTimerSchedule, ExpiriesAreDueOnceTheClockPassedTheirMultiple) {
    const struct {
        const char* what;
        std::int64_t arrivedAt;  // the schedule started at kBase + 370, aiming at kBase + 1000
        bool due;
        std::int64_t wait;
    } rows[] = {
        {"on time", kBase + 1003, true, 1000},
        {"late: the next one is not", kBase + 1400, true, 603},
        {"more than a period late: missed ones collapse", kBase + 3200, true, 803},
        {"before the slack but after the second", kBase + 1001, true, 1002},
        {"early: the rest is waited for", kBase + 990, false, 13},
        {"the clock was set back half a second", kBase + 500, false, 503},
        {"set back more than a period: due, aiming at the new clock", kBase - 5400, true, 403},
    };
    for (const auto& r : rows) {
        ClockTimerSchedule s(1000, 3);
        s.Start(kBase + 370);
        const ClockTimerSchedule::Step step = s.Arrived(r.arrivedAt);
        EXPECT_EQ(step.due, r.due) << r.what;
        EXPECT_EQ(step.waitMs, r.wait) << r.what;
    }
}

TEST(ClockTimerSchedule, SettingTheClockReaimsAtOnce) {
    const struct {
        const char* what;
        std::int64_t setTo;  // the schedule started at kBase + 370, aiming at kBase + 1000
        std::int64_t wait;
    } rows[] = {
        {"on, past the moment aimed at: due now", kBase + 1100, 0},
        {"on, before it", kBase + 800, 203},
        {"back a little", kBase + 100, 903},
        {"back an hour: the next second of the new clock", kBase - 3600 * kSecond + 250, 753},
    };
    for (const auto& r : rows) {
        ClockTimerSchedule s(1000, 3);
        s.Start(kBase + 370);
        EXPECT_EQ(s.ClockSet(r.setTo), r.wait) << r.what;
        // The expiry after the re-aimed wait is due and on the second.
        const ClockTimerSchedule::Step step = s.Arrived(r.setTo + r.wait);
        EXPECT_TRUE(step.due) << r.what;
    }
}

}  // namespace
}  // namespace dida
