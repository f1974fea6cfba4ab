// The wake timer against the real waitable timers. Wine never sleeps, so whether a machine wakes for the
// timer cannot be seen here: what can is that the timer is aimed at the right absolute moment, aimed again,
// cancelled, and really signalled. The machine's time zone is put in the seam, since Wine takes the host's.
#include "platform/win32/win32_wake_timer.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/win32/win32_desktop.h"
#include "platform/win32/win32_system_calls.h"

namespace dida::win32 {
namespace {

constexpr std::int64_t kFileTimeOf1970 = 116444736000000000LL;

// Central European and North American Eastern rules as Windows describes them: the last Sunday of March
// and October; the second Sunday of March and the first of November.
TIME_ZONE_INFORMATION Zone(LONG bias, SYSTEMTIME standard, SYSTEMTIME daylight) {
    TIME_ZONE_INFORMATION z{};
    z.Bias = bias;
    z.StandardDate = standard;
    z.DaylightDate = daylight;
    z.DaylightBias = -60;
    return z;
}
const TIME_ZONE_INFORMATION kBerlin = Zone(-60, {0, 10, 0, 5, 3, 0, 0, 0}, {0, 3, 0, 5, 2, 0, 0, 0});
const TIME_ZONE_INFORMATION kNewYork = Zone(300, {0, 11, 0, 1, 2, 0, 0, 0}, {0, 3, 0, 2, 2, 0, 0, 0});

const TIME_ZONE_INFORMATION* machineZone = &kBerlin;
BOOL WINAPI InMachineZone(const TIME_ZONE_INFORMATION*, const SYSTEMTIME* utc, SYSTEMTIME* local) {
    return ::SystemTimeToTzSpecificLocalTime(machineZone, utc, local);
}

std::vector<std::int64_t> dueTimes;  // every due time the backend set, in 100 ns units since 1601
BOOL WINAPI RecordingSetWaitableTimer(HANDLE h, const LARGE_INTEGER* due, LONG period, PTIMERAPCROUTINE apc, LPVOID arg,
                                      BOOL resume) {
    dueTimes.push_back(due->QuadPart);
    return ::SetWaitableTimer(h, due, period, apc, arg, resume);
}

// What Windows documents for a machine that cannot be woken by a timer: the call succeeds, the last error
// says ERROR_NOT_SUPPORTED.
BOOL WINAPI WithoutWaking(HANDLE h, const LARGE_INTEGER* due, LONG period, PTIMERAPCROUTINE apc, LPVOID arg, BOOL) {
    const BOOL set = ::SetWaitableTimer(h, due, period, apc, arg, FALSE);
    SetLastError(ERROR_NOT_SUPPORTED);
    return set;
}

std::int64_t FileTimeUnits(const DateFields& utc) {
    return UnixSecondsOf(MakeDateTime(utc)) * 10000000LL + kFileTimeOf1970;
}

struct WakeTimerAim : ::testing::Test {
    StandIn<decltype(&::SystemTimeToTzSpecificLocalTime)> zone{Sys().SystemTimeToTzSpecificLocalTime, InMachineZone};
    StandIn<decltype(&::SetWaitableTimer)> set{Sys().SetWaitableTimer, RecordingSetWaitableTimer};
    void SetUp() override {
        dueTimes.clear();
        machineZone = &kBerlin;
    }
};

TEST_F(WakeTimerAim, AMinuteBeforeTheFirstInstantTheLocalClockShowsTheMoment) {
    const struct {
        DateFields local, utc;
    } rows[] = {
        {{2035, 1, 10, 7, 0, 0}, {2035, 1, 10, 6, 0, 0}},
        {{2035, 7, 10, 7, 0, 0}, {2035, 7, 10, 5, 0, 0}},
        {{2035, 3, 25, 2, 30, 0}, {2035, 3, 25, 1, 0, 0}},     // never shown: when the clock jumps to 03:00
        {{2035, 10, 28, 2, 30, 0}, {2035, 10, 28, 0, 30, 0}},  // shown twice: the first time
    };
    WakeTimer timer;
    for (const auto& r : rows) {
        SCOPED_TRACE(DateTimeToText(MakeDateTime(r.local)));
        dueTimes.clear();
        EXPECT_TRUE(timer.AimAt(MakeDateTime(r.local), 60000));
        ASSERT_EQ(dueTimes.size(), 1u);
        EXPECT_EQ(dueTimes[0], FileTimeUnits(r.utc) - 60 * 10000000LL);
        EXPECT_GT(dueTimes[0], 0) << "absolute: a relative due time would leave out the time asleep";
    }
}

TEST_F(WakeTimerAim, AClockOrZoneChangeAimsItAgainInTheZoneOfTheMachineNow) {
    WakeTimer timer;
    timer.AimAt(MakeDateTime({2035, 1, 10, 7, 0, 0}), 0);
    machineZone = &kNewYork;
    timer.ClockSet();
    ASSERT_EQ(dueTimes.size(), 2u);
    EXPECT_EQ(dueTimes[1], FileTimeUnits({2035, 1, 10, 12, 0, 0}));
    timer.Cancel();
    timer.ClockSet();
    EXPECT_EQ(dueTimes.size(), 2u) << "a cancelled timer stays cancelled";
}

TEST(WakeTimer, WhereTheMachineCannotWakeForATimerItSaysSo) {
    const StandIn<decltype(&::SetWaitableTimer)> set{Sys().SetWaitableTimer, WithoutWaking};
    WakeTimer timer;
    EXPECT_FALSE(timer.AimAtTick(static_cast<std::int32_t>(GetTickCount()) + 3600000, 60000));
}

// The real timer: signalled at its moment, a lead already past leaving it at the moment itself; aimed anew
// it forgets the old moment; cancelled it stays unsignalled.
TEST(WakeTimer, ReallySignalsAtItsMomentAndNotOnceCancelled) {
    const DWORD start = GetTickCount();
    WakeTimer soon, replaced, cancelled;
    cancelled.AimAtTick(static_cast<std::int32_t>(start + 200), 0);
    cancelled.Cancel();
    soon.AimAtTick(static_cast<std::int32_t>(start + 400), 60000);
    replaced.AimAtTick(static_cast<std::int32_t>(start + 60000), 0);
    replaced.AimAtTick(static_cast<std::int32_t>(start + 300), 0);
    ASSERT_NE(soon.handle(), nullptr);
    EXPECT_EQ(WaitForSingleObject(replaced.handle(), 10000), WAIT_OBJECT_0) << "aimed again, at 300 ms";
    EXPECT_EQ(WaitForSingleObject(soon.handle(), 10000), WAIT_OBJECT_0);
    EXPECT_GE(GetTickCount() - start, 380u) << "not before its moment";
    EXPECT_EQ(WaitForSingleObject(cancelled.handle(), 0), WAIT_TIMEOUT) << "its 200 ms went by unsignalled";
}

TEST(KeepDisplayOn, HoldsTheSystemAndTheDisplayUntilAskedNoMore) {
    Win32Desktop desk;
    desk.KeepDisplayOn(true);
    // The state is the thread's: asking again tells what was held.
    EXPECT_EQ(SetThreadExecutionState(ES_CONTINUOUS | ES_SYSTEM_REQUIRED | ES_DISPLAY_REQUIRED),
              static_cast<EXECUTION_STATE>(ES_CONTINUOUS | ES_SYSTEM_REQUIRED | ES_DISPLAY_REQUIRED));
    desk.KeepDisplayOn(false);
    EXPECT_EQ(SetThreadExecutionState(ES_CONTINUOUS), static_cast<EXECUTION_STATE>(ES_CONTINUOUS));
}

}  // namespace
}  // namespace dida::win32
