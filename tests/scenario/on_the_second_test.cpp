// The clock-watching kinds tick just after each second of the wall clock, whenever they were armed, and
// stay there after late, lost and slow ticks and after the clock is set; the countdown keeps counting
// from its arming.
#include "bar_fixture.h"

namespace dida::scenario {
namespace {

constexpr std::int64_t kHour = 3600000;

struct Tick {
    std::int64_t mono;    // when it came
    std::int64_t intoMs;  // how far into its second the wall clock was
    bool changed;         // the live clock on the bar changed
};

struct OnTheSecond : Bar {
    std::vector<Tick> ticks;
    std::vector<std::int64_t> jumps;  // monotonic moments of clock jumps

    // Records every tick of the hourly watcher, then runs it.
    void WatchHourlyTicks() {
        auto inner = bar().时钟整点.onTick;
        bar().时钟整点.onTick = [this, inner] {
            const std::int64_t mono = desk.Monotonic(), utc = desk.UtcMs();
            const std::string before = bar().标签2.Caption();
            inner();
            ticks.push_back(Tick{mono, ((utc % 1000) + 1000) % 1000, bar().标签2.Caption() != before});
        };
    }
    // Arms the hourly kind `intoMs` into a second of the clock (the run starts on a whole second).
    void ArmHourlyAt(std::int64_t intoMs) {
        Start(At(2015, 11, 5, 14, 8, 42));
        desk.Advance(intoMs);
        Arm("整点", "0", "0", "0", "嘀嗒叫");
        WatchHourlyTicks();
    }
    void Jump(std::int64_t ms) {
        desk.JumpWallClock(ms);
        jumps.push_back(desk.Monotonic());
        desk.RunPending();
    }
    bool AtAJump(const Tick& t) const { return std::find(jumps.begin(), jumps.end(), t.mono) != jumps.end(); }
};

struct HourlyFault {
    const char* name;
    std::function<int(std::int64_t)> late;  // by due moment
    std::function<bool(std::int64_t)> lost;
    double slowdown;
    std::int64_t lateTickAt;  // the one expiry made 700 ms late; -1 none; -2 every odd second 900 ms late
};
const HourlyFault kHourlyFaults[] = {
    {"NoFault", nullptr, nullptr, 1.0, -1},
    {"EveryTick30MsLate", [](std::int64_t) { return 30; }, nullptr, 1.0, -1},
    {"TimerRunningSlow", nullptr, nullptr, 1.015, -1},
    {"TheThirdTick700MsLate", [](std::int64_t due) { return due == 3000 ? 700 : 0; }, nullptr, 1.0, 3000},
    {"TheThirdTickLost", nullptr, [](std::int64_t due) { return due == 3000; }, 1.0, -1},
    {"Ticks20And900MsLateByTurns", [](std::int64_t due) { return (due / 1000) % 2 == 0 ? 20 : 900; }, nullptr, 1.0, -2},
};

void PrintTo(const HourlyFault& f, std::ostream* os) { *os << f.name; }

struct HourlyWithFaults : OnTheSecond, ::testing::WithParamInterface<HourlyFault> {};

TEST_P(HourlyWithFaults, ArmedAt370MsItTicksJustAfterEachSecond) {
    const HourlyFault& r = GetParam();
    if (r.late) desk.SetTimerLateness(r.late);
    if (r.lost) desk.SetTimerDrop(r.lost);
    desk.SetTimerSlowdown(r.slowdown);
    ArmHourlyAt(370);
    desk.Advance(20000);
    ASSERT_GE(ticks.size(), r.lost ? 18u : 19u);
    for (const Tick& k : ticks) {
        EXPECT_TRUE(k.changed) << "every tick shows a new second, at " << k.mono;
        const bool faulted = r.lateTickAt == -2 ? (k.mono / 1000) % 2 == 1 : k.mono == r.lateTickAt + 700;
        if (!faulted) {
            EXPECT_LT(k.intoMs, 50) << "tick at " << k.mono;
        }
    }
    if (r.lateTickAt >= 0) {
        EXPECT_EQ(ticks[2].mono, r.lateTickAt + 700) << "the late tick itself is late, the rest not";
    }
}

INSTANTIATE_TEST_SUITE_P(Faults, HourlyWithFaults, ::testing::ValuesIn(kHourlyFaults),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(OnTheSecond, AfterTheClockIsSetTheTicksFollowTheNewSeconds) {
    ArmHourlyAt(370);
    desk.Advance(2430);  // 14:08:44.800
    Jump(300);           // forward over a second boundary: that second's tick comes at once
    desk.Advance(3250);
    Jump(-1300);  // back by more than a second
    desk.Advance(4100);
    Jump(kHour + 250);  // the user corrects the clock by an hour
    desk.Advance(5000);
    Jump(-2 * kHour - 640);
    desk.Advance(5000);
    ASSERT_GE(ticks.size(), 18u);
    for (const Tick& k : ticks) {
        if (!AtAJump(k)) {
            EXPECT_LT(k.intoMs, 50) << "tick at " << k.mono;
        }
    }
    for (std::size_t i = 1; i < ticks.size(); ++i) EXPECT_GT(ticks[i].mono, ticks[i - 1].mono) << "twice at once";
    // After each jump the next tick is the next second of the new clock, never the old one's.
    for (const std::int64_t at : jumps) {
        const auto next = std::find_if(ticks.begin(), ticks.end(), [&](const Tick& k) { return k.mono >= at; });
        ASSERT_NE(next, ticks.end());
        EXPECT_LE(next->mono - at, 1000) << "jump at " << at;
    }
}

struct SetTimeRoad {
    const char* name;
    std::int64_t armIntoMs;
    std::function<int(std::int64_t)> late;
    std::int64_t jumpAfterMs;  // 0: no jump
    std::int64_t jumpBy;
};
const SetTimeRoad kSetTimeRoads[] = {
    {"ArmedAt370", 370, nullptr, 0, 0},
    {"ArmedAt999", 999, nullptr, 0, 0},
    {"ArmedAt001", 1, nullptr, 0, 0},
    {"Every600MsLateButTheOneAtTheMoment", 370, [](std::int64_t due) { return due == 6000 ? 0 : 600; }, 0, 0},
    {"ClockSetBack1700MsOnTheWay", 370, nullptr, 2000, -1700},
    {"ClockSetOn450MsOnTheWay", 370, nullptr, 2000, 450},
};

void PrintTo(const SetTimeRoad& r, std::ostream* os) { *os << r.name; }

struct AtASetTime : OnTheSecond, ::testing::WithParamInterface<SetTimeRoad> {};

TEST_P(AtASetTime, FiresWithinFiftyMsOfItsSecond) {
    const SetTimeRoad& r = GetParam();
    if (r.late) desk.SetTimerLateness(r.late);
    const DateTime start = At(2015, 11, 5, 14, 8, 42);
    Start(start);
    desk.Advance(r.armIntoMs);
    PickKind("指定");
    SetTime("14", "8", "48");
    PickAction("布谷鸟");
    std::int64_t moment = MsBetween(start, At(2015, 11, 5, 14, 8, 48));  // on the monotonic clock
    if (r.jumpAfterMs) {
        desk.Advance(r.jumpAfterMs);
        desk.JumpWallClock(r.jumpBy);
        moment -= r.jumpBy;
    }
    desk.Advance(10000);
    const auto fired = LoopStarts(media::kBuiltinSound2);
    ASSERT_EQ(fired.size(), 1u);
    EXPECT_GE(fired[0], moment);
    EXPECT_LT(fired[0], moment + 50);
}

INSTANTIATE_TEST_SUITE_P(Roads, AtASetTime, ::testing::ValuesIn(kSetTimeRoads),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(OnTheSecond, WritingTheSameIntervalKeepsTheTicksAndANewOneAimsAtTheNextSecond) {
    ArmHourlyAt(370);
    desk.Advance(1500);  // ticks at 1000 and 2000 ... now 1870
    bar().时钟整点.Interval(1000);
    desk.Advance(1000);
    ASSERT_EQ(ticks.size(), 2u);
    EXPECT_EQ(ticks[1].mono, 2000) << "the same value does not restart it";
    bar().时钟整点.Interval(0);
    desk.Advance(1000);  // 3870: stopped, nothing came at 3000
    EXPECT_EQ(ticks.size(), 2u);
    bar().时钟整点.Interval(1000);
    desk.Advance(1000);
    ASSERT_EQ(ticks.size(), 3u);
    EXPECT_EQ(ticks[2].mono, 4000) << "a new value aims at the next second, not a second after the write";
}

TEST_F(OnTheSecond, TheCountdownStillCountsFromItsArming) {
    Start();
    desk.Advance(370);
    Arm("倒计", "0", "0", "3", "嘀嗒叫");
    desk.Advance(5000);
    EXPECT_EQ(LoopStarts(media::kBuiltinSound1), std::vector<std::int64_t>{370 + 3000});
}

}  // namespace
}  // namespace dida::scenario
