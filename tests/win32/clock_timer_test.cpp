// A clock-aligned window timer under the real message loop: armed anywhere in a second, it ticks just
// after each second of the system clock.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "platform/win32/win32_desktop.h"
#include "platform/win32/win32_form_host.h"
#include "pump.h"

namespace dida::win32 {
namespace {

std::int64_t WallMs() {
    FILETIME ft;
    GetSystemTimeAsFileTime(&ft);
    return ((static_cast<std::int64_t>(ft.dwHighDateTime) << 32 | ft.dwLowDateTime) - 116444736000000000LL) / 10000;
}

// Runs the message handling until the system clock reads `wallMs`; generous, for a loaded machine.
void PumpUntilWall(Win32Desktop& desk, std::int64_t wallMs) {
    PumpUntil(
        desk, [&] { return WallMs() >= wallMs; },
        static_cast<DWORD>(std::max<std::int64_t>(0, wallMs - WallMs())) + 5000);
}

struct ClockForm : Window {
    ClockForm()
        : Window(WindowDef{.name = "秒表测试", .caption = "秒表测试", .rect = {0, 0, 60, 40}, .visible = false}),
          watch(this, "watch", TimerDef{.clockAligned = true}) {}
    Timer watch;
};

TEST(ClockAlignedTimer, ArmedAt370MsItTicksJustAfterEachSecondOfTheSystemClock) {
    Win32Desktop desk;
    ClockForm f;
    ASSERT_TRUE(desk.LoadWindow(f));
    std::vector<std::int64_t> ticks;  // wall-clock ms of each tick
    f.watch.onTick = [&] { ticks.push_back(WallMs()); };
    PumpUntilWall(desk, (WallMs() / 1000 + 1) * 1000 + 370);
    const std::int64_t armed = WallMs();
    f.watch.Interval(1000);
    // Between the second tick and the third the system says the clock was set: the timer aims afresh and
    // neither ticks twice nor skips. Each wait is for the ticks themselves, with room for a loaded machine.
    PumpUntil(
        desk, [&] { return ticks.size() >= 2; }, 10000);
    PumpUntilWall(desk, armed / 1000 * 1000 + 2500);
    SendMessageW(desk.HandleOf(f), WM_TIMECHANGE, 0, 0);
    PumpUntil(
        desk, [&] { return ticks.size() >= 4; }, 10000);
    // Half a second more: a tick doubled by the change would come within it.
    PumpUntilWall(desk, armed / 1000 * 1000 + 4500);
    f.watch.Interval(0);
    desk.UnloadWindow(f);
    Pump(desk, 30);

    ASSERT_EQ(ticks.size(), 4u);
    int onTheSecond = 0;
    for (std::size_t i = 0; i < ticks.size(); ++i) {
        EXPECT_EQ(ticks[i] / 1000, armed / 1000 + 1 + static_cast<std::int64_t>(i)) << "tick " << i << " in its second";
        if (ticks[i] % 1000 < 250) ++onTheSecond;
    }
    // Unaligned, a tick would come 370 ms into its second at the soonest; aligned it comes within a few ms of the
    // second, unless a loaded machine holds the message back: half the ticks within 250 ms tell the two apart.
    EXPECT_GE(onTheSecond, 2) << "ticks " << ticks[0] % 1000 << " " << ticks[1] % 1000 << " " << ticks[2] % 1000 << " "
                              << ticks[3] % 1000 << " ms into their seconds";
}

}  // namespace
}  // namespace dida::win32
