// The clock-watching kinds in a steady run: at a set time and every hour, with the shutdown warning.
#include "bar_fixture.h"

namespace dida::scenario {
namespace {

struct Clock : Bar {
    // Every moment the warning window opened within the next `ms`, each run until it closed itself.
    std::vector<std::int64_t> WarningsWithin(std::int64_t ms) {
        std::vector<std::int64_t> opened;
        const std::int64_t end = Now() + ms;
        while (Now() < end) {
            const auto at = RunUntilWarning(end - Now());
            if (!at) break;
            opened.push_back(*at);
            EXPECT_EQ(program->warning.标签2.Caption(), "30");
            desk.RunUntil([&] { return !program->warning.loaded(); }, 40000);
        }
        return opened;
    }
};

TEST_F(Clock, HourlyFiresEveryHourAndWarnsHalfAMinuteBefore) {
    const struct {
        const char* minute;
        int fireMinute;
        int warnMinute;
    } rows[] = {{"0", 0, 59}, {"15", 15, 14}, {"1", 1, 0}};
    for (const auto& r : rows) {
        HeadlessDesktop fresh;
        fresh.registry().SetValue(kCurrentUser, kOptionsKey, "三十秒提醒", RegValue{RegType::Sz, "1", 0, {}});
        const DateTime start = At(2015, 11, 5, 14, 0, 5);
        fresh.SetNow(start);
        Program p(fresh);
        fresh.SetStartWindow(&p.main);
        p.Start();
        fresh.Select(p.main.组合框类型, IndexOf(p.main.组合框类型, "整点"));
        fresh.TypeInto(p.main.分1, std::string("\b") + r.minute);
        fresh.Select(p.main.组合框声音, IndexOf(p.main.组合框声音, "关机"));
        fresh.Advance(1000);
        EXPECT_EQ(p.main.标签2.Caption(), "14时0分6秒") << r.minute;

        std::vector<std::int64_t> warnings;
        const std::int64_t end = fresh.Monotonic() + 2 * 3600000;
        while (fresh.Monotonic() < end) {
            if (!fresh.RunUntil([&] { return p.warning.loaded(); }, end - fresh.Monotonic())) break;
            warnings.push_back(fresh.Monotonic());
            fresh.RunUntil([&] { return !p.warning.loaded(); }, 40000);
        }
        std::vector<std::int64_t> expectedFires, expectedWarnings;
        for (int hour : {14, 15, 16}) {
            const std::int64_t fire = MsBetween(start, At(2015, 11, 5, hour, r.fireMinute, 0));
            const std::int64_t warn =
                MsBetween(start, At(2015, 11, 5, r.warnMinute == 59 ? hour - 1 : hour, r.warnMinute, 30));
            if (fire > 1000 && fire <= end) expectedFires.push_back(fire);
            if (warn > 1000 && warn <= end) expectedWarnings.push_back(warn);
        }
        std::vector<std::int64_t> fires;
        for (const SystemCall& c : fresh.systemCalls())
            if (c.what == SystemCall::What::Shutdown && c.mode == 1) fires.push_back(c.atMs);
        EXPECT_EQ(fires, expectedFires) << r.minute;
        EXPECT_EQ(Announced(fresh, kDue), expectedFires) << r.minute;  // the hour's arming is not spoken
        EXPECT_EQ(fresh.announcements().size(), expectedFires.size()) << r.minute;
        EXPECT_EQ(warnings, expectedWarnings) << r.minute;
        EXPECT_EQ(p.main.组合框声音.Content(), "关机") << r.minute;  // still armed
    }
}

TEST_F(Clock, HourlyWithoutTheWarningOptionOpensNoWarning) {
    Start(At(2015, 11, 5, 14, 0, 5));
    Arm("整点", "0", "0", "0", "关机");
    EXPECT_TRUE(WarningsWithin(3600000).empty());
    EXPECT_EQ(Shutdowns(1).size(), 1u);
}

TEST_F(Clock, AtASetTimeEarlierThanNowFiresTheNextDayAndStillWarns) {
    Store("三十秒提醒", "1");
    const DateTime start = At(2015, 11, 5, 14, 8, 42);
    Start(start);
    PickKind("指定");
    SetTime("9", "30", "0");
    PickAction("关机");
    const auto warnings = WarningsWithin(MsBetween(start, At(2015, 11, 6, 12, 0, 0)));
    EXPECT_EQ(warnings, std::vector<std::int64_t>{MsBetween(start, At(2015, 11, 6, 9, 29, 30))});
    EXPECT_EQ(Shutdowns(1), std::vector<std::int64_t>{MsBetween(start, At(2015, 11, 6, 9, 30, 0))});
    EXPECT_EQ(bar().时钟指定.Interval(), 0);
}

TEST_F(Clock, AtASetTimeLaterTodayFiresOnceAtThatSecond) {
    const DateTime start = At(2015, 11, 5, 14, 8, 42);
    Start(start);
    PickKind("指定");
    SetTime("14", "10", "5");
    PickAction("布谷鸟");
    desk.Advance(MsBetween(start, At(2015, 11, 6, 15, 0, 0)));
    EXPECT_EQ(LoopStarts(media::kBuiltinSound2),
              std::vector<std::int64_t>{MsBetween(start, At(2015, 11, 5, 14, 10, 5))});
    ASSERT_EQ(desk.announcements().size(), 1u);
    EXPECT_EQ(Announced(desk, kDue), std::vector<std::int64_t>{MsBetween(start, At(2015, 11, 5, 14, 10, 5))});
}

TEST_F(Clock, TimesNoClockShowsNeverFire) {
    const struct {
        const char *h, *m, *s;
    } rows[] = {{"14", "75", "0"}, {"24", "0", "0"}, {"14", "9", "60"}, {"", "9", "0"}};
    for (const auto& r : rows) {
        HeadlessDesktop fresh;
        fresh.SetNow(At(2015, 11, 5, 14, 8, 42));
        Program p(fresh);
        p.Start();
        fresh.Select(p.main.组合框类型, IndexOf(p.main.组合框类型, "指定"));
        p.main.时1.UserEdited(r.h);
        p.main.分1.UserEdited(r.m);
        p.main.秒1.UserEdited(r.s);
        fresh.Select(p.main.组合框声音, IndexOf(p.main.组合框声音, "嘀嗒叫"));
        fresh.Advance(25 * 3600000LL);
        for (const SoundCall& c : fresh.sounds()) EXPECT_FALSE(c.loop) << r.h << ":" << r.m << ":" << r.s;
        EXPECT_TRUE(fresh.announcements().empty()) << r.h << ":" << r.m << ":" << r.s;
        EXPECT_EQ(p.main.时钟指定.Interval(), 1000);
    }
}

}  // namespace
}  // namespace dida::scenario
