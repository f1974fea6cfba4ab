// Window timers under Wine: when a new interval restarts the period, and a design interval that runs with
// its window.
#include <windows.h>

#include <gtest/gtest.h>

#include "platform/win32/win32_desktop.h"
#include "backend_fixture.h"
#include "pump.h"

namespace dida::win32 {
namespace {

struct Expiry {
    long first = -1;      // ms from the start to the first expiry; -1 for none
    long rewritten = -1;  // ms from the start to the second write
};

// A timer set to `interval`, then about half a period later set to `rewrite`: when its first expiry comes. The
// moments are measured, so a machine that runs the test late moves them together.
Expiry FirstExpiry(Win32Desktop& desk, TimerForm& f, int interval, int rewrite) {
    Expiry e;
    const DWORD start = GetTickCount();
    f.t.onTick = [&] {
        if (e.first < 0) e.first = static_cast<long>(GetTickCount() - start);
    };
    f.t.Interval(interval);
    Pump(desk, static_cast<DWORD>(interval / 2));
    e.rewritten = static_cast<long>(GetTickCount() - start);
    f.t.Interval(rewrite);
    // Two whole periods after the second write: an expiry of either period has come by then.
    PumpUntil(
        desk, [&] { return e.first >= 0; }, static_cast<DWORD>(e.rewritten + 2 * interval));
    f.t.Interval(0);
    return e;
}

TEST_F(Backend, TimerIntervalRule) {
    TimerForm f;
    ASSERT_TRUE(desk.LoadWindow(f));
    // The same value again does not restart the period: the expiry comes a period after the first write, before
    // a period after the second. (A timer never expires early; the 20 ms are the system clock's steps.)
    const Expiry same = FirstExpiry(desk, f, 600, 600);
    EXPECT_GE(same.first, 580);
    EXPECT_LT(same.first, same.rewritten + 600) << "the second write restarted the period";
    // A new value restarts it at the write.
    const Expiry changed = FirstExpiry(desk, f, 600, 601);
    EXPECT_GE(changed.first, changed.rewritten + 601 - 20);
    // Negative is stopped.
    const Expiry stopped = FirstExpiry(desk, f, 600, -5);
    EXPECT_EQ(stopped.first, -1);
    EXPECT_EQ(f.t.Interval(), 0);
    desk.UnloadWindow(f);
    Pump(desk, 30);
}

TEST_F(Backend, DesignIntervalStartsWithTheWindowAndStopsWithIt) {
    TimerForm f;
    int ticks = 0;
    f.running.onTick = [&] { ++ticks; };
    ASSERT_TRUE(desk.LoadWindow(f));
    EXPECT_TRUE(PumpUntil(
        desk, [&] { return ticks >= 1; }, 5000));
    desk.UnloadWindow(f);
    Pump(desk, 30);
    const int atClose = ticks;
    Pump(desk, 400);  // more than two periods
    EXPECT_EQ(ticks, atClose);
    EXPECT_FALSE(f.loaded());
}

}  // namespace
}  // namespace dida::win32
