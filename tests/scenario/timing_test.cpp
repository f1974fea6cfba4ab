// Timer faults: late, jittering, lost and slow ticks, a sleeping machine, daylight-saving nights. The
// reminder must still come at its moment (or at the first tick after it), never early, never lost.
#include "bar_fixture.h"

namespace dida::scenario {
namespace {

constexpr std::int64_t kHour = 3600000;

// The seconds a countdown caption "剩余：0小时M分S秒" shows.
std::int64_t ShownSeconds(const std::string& caption) {
    const auto h = caption.find("小时"), m = caption.find("分"), s = caption.find("秒");
    if (h == std::string::npos || m == std::string::npos || s == std::string::npos) return -1;
    const std::size_t hEnd = h + std::string("小时").size(), mEnd = m + std::string("分").size();
    return std::stoll(caption.substr(hEnd, m - hEnd)) * 60 + std::stoll(caption.substr(mEnd, s - mEnd));
}

std::int64_t UnixMs(DateTime utc) { return MsBetween(At(1970, 1, 1, 0, 0, 0), utc); }

struct Timing : Bar {
    // Late by 20 ms on even seconds and 900 ms on odd ones: with ticks just before a second boundary
    // every odd second of the clock is jumped over.
    void JitterAcrossSecondBoundaries() {
        desk.SetTimerLateness([](std::int64_t due) { return (due / 1000) % 2 == 0 ? 20 : 900; });
    }
};

TEST_F(Timing, LateTicksNeitherEndTheCountdownEarlyNorLate) {
    const struct {
        const char* what;
        std::function<int(std::int64_t)> late;
    } rows[] = {{"20 to 900 ms", [](std::int64_t due) { return static_cast<int>(20 + (due / 1000 * 7919) % 881); }},
                {"alternating 20 / 900 ms", [](std::int64_t due) { return (due / 1000) % 2 == 0 ? 20 : 900; }},
                {"always 600 ms", [](std::int64_t) { return 600; }}};
    for (const auto& r : rows) {
        HeadlessDesktop fresh;
        fresh.SetTimerLateness(r.late);
        Program p(fresh);
        p.Start();
        fresh.Advance(950);  // ticks fall just before the clock's second boundaries
        fresh.TypeInto(p.main.分1, "\b\b2");
        const std::int64_t deadline = fresh.Monotonic() + 120000;
        fresh.Select(p.main.组合框声音, IndexOf(p.main.组合框声音, "布谷鸟"));
        std::int64_t fired = -1;
        while (fired < 0 && fresh.Monotonic() < deadline + 5000) {
            fresh.Advance(50);
            for (const SoundCall& c : fresh.sounds())
                if (c.loop) fired = c.atMs;
            if (fired >= 0) break;
            // The bar shows the time left at its last tick, to the second: never less than what is
            // really left, never more than a late tick's worth above it, and never 0 while not ringing.
            const std::int64_t left = deadline - fresh.Monotonic();
            const std::int64_t shown = ShownSeconds(p.main.标签2.Caption());
            EXPECT_GE(shown * 1000, left - 500) << r.what << " at " << left << " ms left";
            EXPECT_LE(shown * 1000, left + 1900 + 500) << r.what << " at " << left << " ms left";
            EXPECT_GT(shown, 0) << r.what << " at " << left << " ms left";
        }
        EXPECT_GE(fired, deadline) << r.what;
        EXPECT_LT(fired, deadline + 1000) << r.what;
    }
}

TEST_F(Timing, LostExpiriesDelayTheCountdownByOneTickAtMost) {
    desk.SetTimerDrop([](std::int64_t due) { return (due / 1000) % 3 == 0; });
    Start();
    Arm("倒计", "0", "0", "30", "嘀嗒叫");  // the tick due at the deadline is lost
    const std::int64_t deadline = Now() + 30000;
    desk.Advance(35000);
    EXPECT_EQ(LoopStarts(media::kBuiltinSound1), std::vector<std::int64_t>{deadline + 1000});
}

TEST_F(Timing, ThreeHourCountdownWithSlowTicksEndsOnTime) {
    desk.SetTimerSlowdown(1.015);
    Start();
    Arm("倒计", "3", "0", "0", "风铃响");
    const std::int64_t armed = Now();
    desk.Advance(kHour);
    const std::string shown = bar().标签2.Caption();
    EXPECT_TRUE(shown == "剩余：2小时0分1秒" || shown == "剩余：2小时0分0秒") << shown;
    desk.Advance(2 * kHour + 5000);
    const auto fired = LoopStarts(media::kBuiltinSound3);
    ASSERT_EQ(fired.size(), 1u);
    EXPECT_GE(fired[0], armed + 3 * kHour);
    EXPECT_LT(fired[0], armed + 3 * kHour + 1015);
}

TEST_F(Timing, AtASetTimeFiresWhenItsSecondIsJumpedOver) {
    JitterAcrossSecondBoundaries();
    const DateTime start = At(2015, 11, 5, 14, 8, 42);
    Start(start);
    desk.Advance(950);
    PickKind("指定");
    SetTime("14", "10", "5");  // an odd second: no tick ever sees it on the clock
    PickAction("布谷鸟");
    desk.Advance(3 * 60000);
    const std::int64_t moment = MsBetween(start, At(2015, 11, 5, 14, 10, 5));
    const auto fired = LoopStarts(media::kBuiltinSound2);
    ASSERT_EQ(fired.size(), 1u);
    EXPECT_GE(fired[0], moment);
    EXPECT_LT(fired[0], moment + 2000);
}

TEST_F(Timing, AtASetTimeFiresOnTheTickAfterALostOne) {
    const DateTime start = At(2015, 11, 5, 14, 8, 42);
    const std::int64_t moment = MsBetween(start, At(2015, 11, 5, 14, 10, 5));
    desk.SetTimerDrop([moment](std::int64_t due) { return due == moment; });
    Start(start);
    PickKind("指定");
    SetTime("14", "10", "5");
    PickAction("嘀嗒叫");
    desk.Advance(3 * 60000);
    EXPECT_EQ(LoopStarts(media::kBuiltinSound1), std::vector<std::int64_t>{moment + 1000});
}

TEST_F(Timing, HourlyWithJitteredTicksFiresEveryHourAndWarnsEveryHour) {
    JitterAcrossSecondBoundaries();
    Store("三十秒提醒", "1");
    const DateTime start = At(2015, 11, 5, 13, 58, 0);
    Start(start);
    desk.Advance(950);
    Arm("整点", "0", "1", "0", "关机");  // the warning at minute 0, second 30; the firing at minute 1, second 0
    std::vector<std::int64_t> warnings;
    const std::int64_t end = Now() + 3 * kHour;
    while (auto at = RunUntilWarning(end - Now())) {
        warnings.push_back(*at);
        desk.RunUntil([&] { return !program->warning.loaded(); }, 40000);
    }
    const auto fires = Shutdowns(1);
    ASSERT_EQ(fires.size(), 3u);
    ASSERT_EQ(warnings.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        const std::int64_t fireAt = MsBetween(start, At(2015, 11, 5, 14 + i, 1, 0));
        const std::int64_t warnAt = MsBetween(start, At(2015, 11, 5, 14 + i, 0, 30));
        EXPECT_GE(fires[i], fireAt);
        EXPECT_LT(fires[i], fireAt + 2000);
        EXPECT_GE(warnings[i], warnAt);
        EXPECT_LT(warnings[i], warnAt + 2000);
    }
}

// Regression: a sleep of more than a minute across the moment used to lose that day's alarm.
TEST_F(Timing, SleepingHoursAcrossTheMomentRingsOnceOnWakingNotTheNextDay) {
    const DateTime start = At(2015, 11, 5, 10, 0, 0);
    desk.SetWakeTimersAllowed(false);  // what is made up on waking, where no timer wakes the machine
    Start(start);
    PickKind("指定");
    SetTime("11", "0", "0");
    PickAction("布谷鸟");
    desk.Advance(30 * 60000);
    desk.Suspend(2 * kHour);  // wakes at 12:30
    const std::int64_t woke = Now();
    desk.Advance(MsBetween(start, At(2015, 11, 6, 11, 1, 0)) - Now());
    EXPECT_EQ(LoopStarts(media::kBuiltinSound2), std::vector<std::int64_t>{woke});
}

TEST_F(Timing, AShortSleepAcrossTheMomentStillFiresOnWaking) {
    const DateTime start = At(2015, 11, 5, 10, 59, 0);
    desk.SetWakeTimersAllowed(false);  // what is made up on waking, where no timer wakes the machine
    Start(start);
    PickKind("指定");
    SetTime("11", "0", "0");
    PickAction("布谷鸟");
    desk.Advance(50000);
    desk.Suspend(20000);
    desk.Advance(2000);
    const auto fired = LoopStarts(media::kBuiltinSound2);
    ASSERT_EQ(fired.size(), 1u);
    EXPECT_GE(fired[0], 70000);
    EXPECT_LT(fired[0], 71001);
}

TEST_F(Timing, CountdownIgnoresTheWallClock) {
    Start();
    Arm("倒计", "0", "0", "30", "嘀嗒叫");
    const std::int64_t armed = Now();
    desk.Advance(10000);
    desk.JumpWallClock(-kHour);
    desk.Advance(20000);
    EXPECT_EQ(LoopStarts(media::kBuiltinSound1), std::vector<std::int64_t>{armed + 30000});
}

// Central European rules of 2015: +1 h, +2 h from 03-29 01:00 UTC to 10-25 01:00 UTC.
struct Dst : Bar {
    void SetUp() override {
        const std::int64_t spring = UnixMs(At(2015, 3, 29, 1, 0, 0));
        const std::int64_t fall = UnixMs(At(2015, 10, 25, 1, 0, 0));
        desk.SetUtcOffsetRule([=](std::int64_t utc) { return utc >= spring && utc < fall ? 120 : 60; });
    }
    std::vector<std::int64_t> Fires() { return LoopStarts(media::kBuiltinSound2); }
};

TEST_F(Dst, SpringForwardOverTheMomentStillFiresOnce) {
    Start(At(2015, 3, 29, 1, 0, 0));
    PickKind("指定");
    SetTime("2", "30", "0");  // a time the clock never shows that night
    PickAction("布谷鸟");
    desk.Advance(3 * kHour);
    EXPECT_EQ(Fires(), std::vector<std::int64_t>{kHour});  // at 03:00:00, the first second after the jump
}

TEST_F(Dst, FallBackFiresTheRepeatedTimeOnlyOnce) {
    Start(At(2015, 10, 25, 1, 0, 0));
    PickKind("指定");
    SetTime("2", "30", "0");  // shown twice that night
    PickAction("布谷鸟");
    desk.Advance(4 * kHour);
    EXPECT_EQ(Fires(), std::vector<std::int64_t>{kHour + kHour / 2});
}

TEST_F(Dst, HourlyOnSpringForwardNightFiresForTheSkippedHourAtTheJump) {
    Start(At(2015, 3, 29, 1, 0, 0));
    Arm("整点", "0", "30", "0", "布谷鸟");
    desk.Advance(2 * kHour);
    EXPECT_EQ(Fires(), (std::vector<std::int64_t>{kHour / 2, kHour, kHour + kHour / 2}));
}

TEST_F(Dst, HourlyOnFallBackNightFiresEveryRealHour) {
    Start(At(2015, 10, 25, 1, 0, 0));
    Arm("整点", "0", "30", "0", "布谷鸟");
    desk.Advance(4 * kHour);
    EXPECT_EQ(Fires(),
              (std::vector<std::int64_t>{kHour / 2, kHour + kHour / 2, 2 * kHour + kHour / 2, 3 * kHour + kHour / 2}));
}

}  // namespace
}  // namespace dida::scenario
