// The night: a sleeping machine is woken for a one-time reminder a person must hear or see (or for the
// shutdown), and stays up with its screen on while the alarm rings. Waking is a minute early; the
// reminder still fires from its watching timer, at its moment.
#include "bar_fixture.h"

namespace dida::scenario {
namespace {

constexpr std::int64_t kSecond = 1000;
constexpr std::int64_t kMinute = 60 * kSecond;
constexpr std::int64_t kHour = 60 * kMinute;
constexpr std::int64_t kLead = kMinute;

struct Waking : Bar {
    const DateTime evening = At(2015, 11, 5, 23, 0, 0);
    std::int64_t At7() const { return MsBetween(evening, At(2015, 11, 6, 7, 0, 0)); }
    std::vector<bool> DisplayOns() const {
        std::vector<bool> on;
        for (const auto& c : desk.displayCalls()) on.push_back(c.on);
        return on;
    }
};

TEST_F(Waking, TheWakeTimerFollowsTheOneTimeMomentArmed) {
    const struct {
        const char* kind;
        const char* h;
        const char* m;
        const char* s;
        const char* action;
        std::int64_t wakesAt;  // from the arming at 23:00; -1: no wake timer
    } rows[] = {
        {"指定", "7", "0", "0", "布谷鸟", 8 * kHour - kLead},  // tomorrow: 07:00 is past today
        {"指定", "23", "30", "0", "音乐…", 30 * kMinute - kLead},
        {"指定", "23", "30", "0", "全屏", 30 * kMinute - kLead},
        {"指定", "23", "30", "0", "关机", 30 * kMinute - kLead},
        {"指定", "23", "0", "30", "嘀嗒叫", 30 * kSecond},  // nearer than the lead: at the moment itself
        {"指定", "23", "30", "0", "休眠", -1},
        {"指定", "23", "30", "0", "关屏", -1},
        {"指定", "23", "75", "0", "风铃响", -1},  // a time no clock shows never comes
        {"倒计", "1", "0", "0", "风铃响", kHour - kLead},
        {"倒计", "1", "0", "0", "关机", kHour - kLead},
        {"倒计", "1", "0", "0", "关屏", -1},
        {"整点", "0", "30", "0", "布谷鸟", -1},  // every hour all night: never
        {"整点", "0", "30", "0", "关机", -1},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(std::string(r.kind) + " " + r.h + ":" + r.m + ":" + r.s + " " + r.action);
        HeadlessDesktop fresh;
        fresh.AddFile("C:\\music\\a.mp3", Mp3Image(40));
        fresh.registry().SetValue(kCurrentUser, kOptionsKey, "MP3路径",
                                  RegValue{RegType::Sz, "C:\\music\\a.mp3", 0, {}});
        fresh.SetNow(evening);
        Program p(fresh);
        fresh.SetStartWindow(&p.main);
        p.Start();
        fresh.Select(p.main.组合框类型, IndexOf(p.main.组合框类型, r.kind));
        for (auto [field, text] : {std::pair{&p.main.时1, r.h}, {&p.main.分1, r.m}, {&p.main.秒1, r.s}})
            fresh.TypeInto(*field, std::string(8, '\b') + text);
        EXPECT_FALSE(fresh.WakeDue()) << "nothing before the action is chosen";
        fresh.Select(p.main.组合框声音, IndexOf(p.main.组合框声音, r.action));
        if (r.wakesAt < 0) {
            for (const auto& c : fresh.wakeCalls()) EXPECT_FALSE(c.wakesAt) << "at " << c.atMs;
            continue;
        }
        EXPECT_EQ(fresh.WakeDue(), std::optional<std::int64_t>{r.wakesAt});
        fresh.Advance(10 * kSecond);
        EXPECT_EQ(fresh.WakeDue(), std::optional<std::int64_t>{r.wakesAt}) << "the ticks leave it where it is";
        // Disarmed, the machine sleeps through; closing a bar still armed takes its wake timer along too.
        fresh.Choose(p.main.停止);
        EXPECT_FALSE(fresh.WakeDue());
        fresh.Select(p.main.组合框声音, IndexOf(p.main.组合框声音, r.action));
        ASSERT_TRUE(fresh.WakeDue());
        fresh.AnswerMessage(kYes);
        fresh.RequestClose(p.main);
        ASSERT_TRUE(fresh.Quit());
        EXPECT_FALSE(fresh.WakeDue());
    }
}

// The road of the alarm: 07:00 armed at 23:00, the machine asleep all night.
TEST_F(Waking, AnAlarmForSevenWakesTheMachineAMinuteEarlyAndRingsAtSeven) {
    Start(evening);
    Arm("指定", "7", "0", "0", "布谷鸟");
    desk.Advance(kSecond);
    desk.Suspend(10 * kHour);
    EXPECT_EQ(Now(), At7() - kLead) << "woken by the timer, not at the end of the ten hours";
    EXPECT_TRUE(desk.displayCalls().empty()) << "nothing held while merely armed";
    desk.Advance(kLead - 1);
    EXPECT_TRUE(LoopStarts(media::kBuiltinSound2).empty());
    desk.Advance(1);
    EXPECT_EQ(LoopStarts(media::kBuiltinSound2), std::vector<std::int64_t>{At7()});
    EXPECT_FALSE(desk.WakeDue()) << "fired: nothing left to wake for";
    // The screen on and the machine up from the firing to the end of the ring, three minutes later.
    desk.Advance(180 * kSecond);
    ASSERT_EQ(desk.displayCalls().size(), 2u);
    EXPECT_EQ(desk.displayCalls()[0].atMs, At7());
    EXPECT_TRUE(desk.displayCalls()[0].on);
    EXPECT_EQ(desk.displayCalls()[1].atMs, At7() + 180 * kSecond);
    EXPECT_FALSE(desk.displayCalls()[1].on);
    EXPECT_FALSE(Sounding());
}

TEST_F(Waking, AShutdownAcrossSleepWakesTheMachineAndShutsItDownOnTime) {
    const struct {
        const char* kind;
        const char* h;
        const char* m;
    } rows[] = {{"指定", "23", "30"}, {"倒计", "0", "30"}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.kind);
        HeadlessDesktop fresh;
        fresh.SetNow(evening);
        Program p(fresh);
        p.Start();
        fresh.Select(p.main.组合框类型, IndexOf(p.main.组合框类型, r.kind));
        fresh.TypeInto(p.main.时1, "\b\b" + std::string(r.h));
        fresh.TypeInto(p.main.分1, "\b\b" + std::string(r.m));
        fresh.TypeInto(p.main.秒1, "\b\b0");
        fresh.Select(p.main.组合框声音, IndexOf(p.main.组合框声音, "关机"));
        fresh.Advance(10 * kMinute);
        fresh.Suspend(8 * kHour);
        EXPECT_EQ(fresh.Monotonic(), 30 * kMinute - kLead);
        fresh.Advance(kLead);
        ASSERT_EQ(fresh.systemCalls().size(), 1u);
        EXPECT_EQ(fresh.systemCalls()[0].mode, 1);
        EXPECT_EQ(fresh.systemCalls()[0].atMs, 30 * kMinute);
        EXPECT_TRUE(fresh.displayCalls().empty()) << "a machine shutting down holds nothing";
    }
}

// The wake timer keeps to the moment when the clock moves: a daylight-saving night, the user setting the
// clock. A countdown's moment is real time from its arming; a time of day is the moment the clock shows.
TEST_F(Waking, AcrossClockChangesTheMachineWakesAMinuteBeforeTheMomentThatCounts) {
    const std::int64_t unixAt2 = MsBetween(At(1970, 1, 1, 0, 0, 0), At(2015, 3, 29, 1, 0, 0));
    const struct {
        const char* name;
        bool springForward;   // Central European rules: 02:00 becomes 03:00 that night
        std::int64_t jumpMs;  // the user sets the clock by this much an hour after arming
        const char* kind;
        const char* h;
        std::int64_t wakesAt;  // from the arming at 23:00
    } rows[] = {
        {"SevenAfterTheSpringJump", true, 0, "指定", "7", 7 * kHour - kLead},
        {"CountdownAcrossTheSpringJump", true, 0, "倒计", "8", 8 * kHour - kLead},
        {"SevenAfterTheClockSetOnAnHour", false, kHour, "指定", "7", 7 * kHour - kLead},
        {"CountdownAfterTheClockSetOnAnHour", false, kHour, "倒计", "8", 8 * kHour - kLead},
        {"SevenAfterTheClockSetBackAnHour", false, -kHour, "指定", "7", 9 * kHour - kLead},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        HeadlessDesktop fresh;
        if (r.springForward) fresh.SetUtcOffsetRule([=](std::int64_t utc) { return utc >= unixAt2 ? 120 : 60; });
        fresh.SetNow(At(2015, 3, 28, 23, 0, 0));
        Program p(fresh);
        p.Start();
        fresh.Select(p.main.组合框类型, IndexOf(p.main.组合框类型, r.kind));
        fresh.TypeInto(p.main.时1, "\b\b" + std::string(r.h));
        fresh.TypeInto(p.main.分1, "\b\b0");
        fresh.TypeInto(p.main.秒1, "\b\b0");
        fresh.Select(p.main.组合框声音, IndexOf(p.main.组合框声音, "布谷鸟"));
        fresh.Advance(kHour);
        fresh.JumpWallClock(r.jumpMs);
        fresh.Advance(kSecond);
        fresh.Suspend(12 * kHour);
        EXPECT_EQ(fresh.Monotonic(), r.wakesAt);
    }
}

TEST_F(Waking, TheDisplayIsHeldFromTheFiringUntilTheRingOrTheRestScreenEnds) {
    const struct {
        const char* action;
        const char* ends;     // what ends it
        std::int64_t heldMs;  // from the firing; 0: never held
    } rows[] = {
        {"布谷鸟", "the ring duration", 180 * kSecond},
        {"布谷鸟", "the speaker button", 20 * kSecond},
        {"布谷鸟", "停止", 20 * kSecond},
        {"全屏", "the rest screen's 300 seconds", 301 * kSecond},
        {"全屏", "Esc on the rest screen", 21 * kSecond},
        {"关屏", "", 0},
        {"休眠", "", 0},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(std::string(r.action) + " until " + r.ends);
        const std::string ends = r.ends;
        HeadlessDesktop fresh;
        Program p(fresh);
        fresh.SetStartWindow(&p.main);
        p.Start();
        std::int64_t escAt = -1;
        fresh.OnModalLoop([&](Window& w) {
            if (ends == "Esc on the rest screen" && fresh.Monotonic() >= escAt) fresh.PressEsc(w);
        });
        fresh.TypeInto(p.main.分1, "\b\b0");
        fresh.TypeInto(p.main.秒1, "\b5");
        fresh.Select(p.main.组合框声音, IndexOf(p.main.组合框声音, r.action));
        const std::int64_t fired = fresh.Monotonic() + 5 * kSecond;
        escAt = fired + 21 * kSecond;
        fresh.Advance(fired - fresh.Monotonic() + 20 * kSecond);
        if (ends == "the speaker button") fresh.Click(p.main.超级按钮开始);
        if (ends == "停止") fresh.Choose(p.main.停止);
        fresh.Advance(10 * kMinute);
        if (r.heldMs == 0) {
            EXPECT_TRUE(fresh.displayCalls().empty());
            continue;
        }
        ASSERT_EQ(fresh.displayCalls().size(), 2u);
        EXPECT_TRUE(fresh.displayCalls()[0].on);
        EXPECT_EQ(fresh.displayCalls()[0].atMs, fired);
        EXPECT_FALSE(fresh.displayCalls()[1].on);
        EXPECT_EQ(fresh.displayCalls()[1].atMs, fired + r.heldMs);
    }
}

}  // namespace
}  // namespace dida::scenario
