// An alarm's one promise: when the moment comes, the user hears it. Each group is a road on which it
// used to break: music that cannot sound, a ring duration at the edge of the numbers, a machine asleep
// at the moment, an action chosen with no kind to arm.
#include "bar_fixture.h"

namespace dida::scenario {
namespace {

constexpr std::int64_t kSecond = 1000;
constexpr std::int64_t kMinute = 60 * kSecond;
constexpr std::int64_t kHour = 60 * kMinute;

// ---------------------------------------------------------------- music that cannot sound

struct Music : Bar {
    static constexpr const char* kGood = "C:\\music\\晨曲.mp3";
    void SetUp() override {
        std::vector<std::uint8_t> noise(64 * 1024);
        std::uint32_t state = 2015;
        for (auto& b : noise) b = std::uint8_t((state = state * 1664525u + 1013904223u) >> 24);
        desk.AddFile(kGood, Mp3Image(40));  // passes of 1045 ms
        desk.AddFile("C:\\music\\空.mp3", {});
        desk.AddFile("C:\\music\\wave.mp3", {media::kBuiltinSound2.begin(), media::kBuiltinSound2.end()});
        desk.AddFile("C:\\music\\noise.mp3", noise);
    }
    // 倒计 0 / 0 / 3 with "音乐…" and the stored path; returns the moment of firing. The path exists, so
    // arming asks nothing (a box would throw: none is scripted).
    std::int64_t ArmMusicCountdown(const std::string& storedPath) {
        Store("MP3路径", storedPath);
        Start();
        Arm("倒计", "0", "0", "3", "音乐…");
        return Now() + 3000;
    }
    std::vector<std::int64_t> Chime1Loops() const { return LoopStarts(media::kBuiltinSound1); }
    bool RingsChime1() const {
        for (const auto& s : desk.playing())
            if (s.loop && SameBytes(s.bytes, media::kBuiltinSound1)) return true;
        return false;
    }
    std::vector<std::string> MusicPlaying() const {
        for (const auto& s : desk.playing())
            if (!s.mp3.empty()) return s.mp3;
        return {};
    }
};

struct MusicRow {
    const char* name;
    const char* path;
    bool plays;
};

void PrintTo(const MusicRow& r, std::ostream* os) { *os << r.path; }

struct MusicAtFiring : Music, ::testing::WithParamInterface<MusicRow> {};

TEST_P(MusicAtFiring, RingsItOrTheFirstChime) {
    const MusicRow& r = GetParam();
    ASSERT_TRUE(desk.FileExists(r.path)) << "it exists, and still may not sound";
    const std::int64_t fireAt = ArmMusicCountdown(r.path);
    desk.Advance(3000);
    if (r.plays) {
        EXPECT_EQ(MusicPlaying(), std::vector<std::string>{r.path});
        EXPECT_TRUE(Chime1Loops().empty());
        const SoundCall& play = desk.sounds().back();
        EXPECT_EQ(play.what, SoundCall::What::PlayMp3);
        EXPECT_EQ(play.times, -1);
        EXPECT_TRUE(SameBytes(play.bytes, media::kBuiltinSound1)) << "the player's own fallback";
    } else {
        EXPECT_TRUE(MusicPlaying().empty());
        EXPECT_EQ(Chime1Loops(), std::vector<std::int64_t>{fireAt});
        EXPECT_TRUE(RingsChime1());
    }
    EXPECT_TRUE(desk.messages().empty()) << "no box at firing: the user may be away";
    desk.Advance(179000);
    EXPECT_TRUE(Sounding()) << "rings on for the whole duration";
    EXPECT_TRUE(Flashing());
    desk.Advance(fireAt + 180000 - Now());
    EXPECT_FALSE(Sounding()) << "and ends with it";
}

INSTANTIATE_TEST_SUITE_P(Table, MusicAtFiring,
                         ::testing::Values(MusicRow{"Directory", "C:\\music", false},
                                           MusicRow{"WildcardMatchingAGoodFile", "C:\\music\\*.mp3", false},
                                           MusicRow{"EmptyFile", "C:\\music\\空.mp3", false},
                                           MusicRow{"WavRenamed", "C:\\music\\wave.mp3", false},
                                           MusicRow{"RandomBytes", "C:\\music\\noise.mp3", false},
                                           MusicRow{"GoodMp3", Music::kGood, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Music, MusicThatStopsSoundingWhileItRingsGivesWayToTheFirstChime) {
    const std::int64_t fireAt = ArmMusicCountdown(kGood);
    desk.Advance(3500);
    ASSERT_EQ(MusicPlaying(), std::vector<std::string>{kGood});
    desk.AddFile(kGood, {});  // emptied by another program meanwhile
    desk.Advance(fireAt + 1045 - Now() - 1);
    EXPECT_FALSE(RingsChime1()) << "the pass under way plays on";
    desk.Advance(1);
    EXPECT_TRUE(MusicPlaying().empty());
    EXPECT_TRUE(RingsChime1()) << "the next pass finds nothing to sound";
    EXPECT_TRUE(desk.messages().empty());
    desk.Advance(fireAt + 180000 - Now());
    EXPECT_FALSE(Sounding()) << "the ring still ends on time";
}

// ---------------------------------------------------------------- the ring duration at the edges

TEST_F(Bar, RingDurationOfZeroOrLessEndsTheRingOnTheFirstWatcherTickWhateverItsSize) {
    const struct {
        const char* duration;
        std::int64_t ringsMs;  // from the firing to the end; 0: not within two hours
        bool asks;             // 3 seconds or less: arming asks first
    } rows[] = {
        {"-1", 1000, true},           {"0", 1000, true},      {"-2147483648", 1000, true}, {"-2147483649", 1000, true},
        {"-99999999999", 1000, true}, {"-1e309", 1000, true}, {"3.5", 3000, false},        {"99999999999", 0, false},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.duration);
        HeadlessDesktop fresh;
        fresh.registry().SetValue(kCurrentUser, kOptionsKey, "闹铃时长", RegValue{RegType::Sz, r.duration, 0, {}});
        Program p(fresh);
        p.Start();
        if (r.asks) fresh.AnswerMessage(kYes);
        fresh.TypeInto(p.main.分1, "\b\b0");
        fresh.TypeInto(p.main.秒1, "\b1");
        fresh.Select(p.main.组合框声音, IndexOf(p.main.组合框声音, "嘀嗒叫"));
        EXPECT_EQ(fresh.messages().size(), r.asks ? 1u : 0u);
        fresh.Advance(1000);
        ASSERT_FALSE(fresh.playing().empty());
        if (r.ringsMs == 0) {
            fresh.Advance(2 * kHour);
            EXPECT_FALSE(fresh.playing().empty());
            EXPECT_EQ(p.main.时钟监视变量.Interval(), 1000);
            continue;
        }
        fresh.Advance(r.ringsMs - 1);
        EXPECT_FALSE(fresh.playing().empty());
        EXPECT_EQ(p.main.时钟闪烁.Interval(), 250);
        fresh.Advance(1);
        EXPECT_TRUE(fresh.playing().empty());
        EXPECT_EQ(p.main.时钟闪烁.Interval(), 0);
        EXPECT_EQ(p.main.时钟监视变量.Interval(), 0);
    }
}

TEST_F(Bar, LongRingAtTheFloorOfTheNumbersStillEndsOnTheTickAfterItIsSwitchedOff) {
    Store("闹铃时长", "-2147483648");
    Store("长鸣", "1");
    Start();
    desk.AnswerMessage(kYes);
    Arm("倒计", "0", "0", "1", "布谷鸟");
    desk.Advance(1000 + 10 * kMinute);
    EXPECT_TRUE(Sounding());
    desk.Choose(bar().无操作时长鸣);
    desk.Advance(1000);
    EXPECT_FALSE(Sounding());
    EXPECT_EQ(bar().时钟监视变量.Interval(), 0);
}

TEST_F(Bar, ACountdownBeyondTheCeilingCountsDownFromItAcrossTheTickCountsWrap) {
    desk.SetTickStart(std::numeric_limits<std::int32_t>::max() - 5000);  // wraps five seconds in
    Start();
    Arm("倒计", "999", "0", "0", "布谷鸟");
    EXPECT_EQ(bar().标签2.Caption(), "剩余：596小时31分23秒");
    desk.Advance(10 * kSecond);  // 2147473647 ms left, shown to the nearest second
    EXPECT_EQ(bar().标签2.Caption(), "剩余：596小时31分14秒");
    desk.Advance(24 * kHour);
    EXPECT_EQ(bar().标签2.Caption(), "剩余：572小时31分14秒");
    EXPECT_TRUE(LoopStarts(media::kBuiltinSound2).empty());
}

// ---------------------------------------------------------------- a machine asleep at the moment

enum class Outcome {
    OnWaking,   // fires once at the first tick after waking
    NotMadeUp,  // nothing on waking, still armed: the next occurrence comes as usual
    Dropped,    // a system action too late: nothing on waking; 指定 disarms as if it had fired
};

struct SleepRow {
    const char* kind;
    const char* action;
    std::int64_t gapMs;
    Outcome outcome;
};

std::vector<SleepRow> SleepRows() {
    const struct {
        const char* action;
        std::int64_t gapMs;
        Outcome outcome;
    } table[] = {
        {"布谷鸟", 10 * kSecond, Outcome::OnWaking}, {"布谷鸟", 59 * kSecond, Outcome::OnWaking},
        {"布谷鸟", 61 * kSecond, Outcome::OnWaking}, {"布谷鸟", 2 * kMinute, Outcome::OnWaking},
        {"布谷鸟", 2 * kHour, Outcome::OnWaking},    {"布谷鸟", 13 * kHour, Outcome::NotMadeUp},
        {"全屏", 10 * kSecond, Outcome::OnWaking},   {"全屏", 59 * kSecond, Outcome::OnWaking},
        {"全屏", 61 * kSecond, Outcome::OnWaking},   {"全屏", 2 * kMinute, Outcome::OnWaking},
        {"全屏", 2 * kHour, Outcome::OnWaking},      {"全屏", 13 * kHour, Outcome::NotMadeUp},
        {"关机", 10 * kSecond, Outcome::OnWaking},   {"关机", 59 * kSecond, Outcome::OnWaking},
        {"关机", 61 * kSecond, Outcome::Dropped},    {"关机", 2 * kMinute, Outcome::Dropped},
        {"关机", 2 * kHour, Outcome::Dropped},       {"关机", 13 * kHour, Outcome::Dropped},
    };
    std::vector<SleepRow> rows;
    for (const char* kind : {"指定", "整点"})
        for (const auto& t : table) rows.push_back({kind, t.action, t.gapMs, t.outcome});
    return rows;
}

void PrintTo(const SleepRow& r, std::ostream* os) { *os << r.kind << " " << r.action << " " << r.gapMs << " ms"; }

std::string SleepRowName(const ::testing::TestParamInfo<SleepRow>& info) {
    const SleepRow& r = info.param;
    const std::string kind = std::string(r.kind) == "指定" ? "AtASetTime" : "Hourly";
    const std::string action = std::string(r.action) == "布谷鸟" ? "Chime"
                               : std::string(r.action) == "全屏" ? "RestScreen"
                                                                 : "Shutdown";
    const std::int64_t s = r.gapMs / kSecond;
    const std::string gap = s % 3600 == 0 ? std::to_string(s / 3600) + "h"
                            : s % 60 == 0 ? std::to_string(s / 60) + "min"
                                          : std::to_string(s) + "s";
    return kind + "_" + action + "_" + gap;
}

struct Sleep : Bar {
    const DateTime start = At(2015, 11, 5, 10, 58, 0);
    const std::int64_t moment = MsBetween(start, At(2015, 11, 5, 11, 0, 0));  // 11:00:00, for either kind
    std::vector<std::int64_t> restScreens;                                    // when the rest screen opened

    void SetUp() override {
        // What is made up on waking: a machine that does not wake for timers (the power plan allows none,
        // or a standby that no timer ends).
        desk.SetWakeTimersAllowed(false);
        // The rest screen is modal; the user leaves it at once, which is when it is counted.
        desk.OnModalLoop([this](Window& w) {
            if (&w == &program->fullScreen) restScreens.push_back(Now());
            desk.PressEsc(w);
        });
    }
    void ArmFor11(const std::string& kind, const std::string& action) {
        Start(start);
        if (kind == "指定")
            Arm(kind, "11", "0", "0", action);
        else
            Arm(kind, "0", "0", "0", action);
    }
    // When the action fired: the chime's loop, the music, the system call, or the rest screen's first tick
    // less its second.
    std::vector<std::int64_t> Firings(const std::string& action) {
        if (action == "关机") return Shutdowns(1);
        if (action == "休眠") return Shutdowns(4);
        if (action == "嘀嗒叫") return LoopStarts(media::kBuiltinSound1);
        if (action == "布谷鸟") return LoopStarts(media::kBuiltinSound2);
        if (action == "风铃响") return LoopStarts(media::kBuiltinSound3);
        std::vector<std::int64_t> at;
        if (action == "音乐…") {
            for (const SoundCall& c : desk.sounds())
                if (c.what == SoundCall::What::PlayMp3) at.push_back(c.atMs);
        } else if (action == "关屏") {
            for (const SystemCall& c : desk.systemCalls())
                if (c.what == SystemCall::What::TurnOffMonitor) at.push_back(c.atMs);
        } else {
            for (std::int64_t t : restScreens) at.push_back(t - kSecond);
        }
        return at;
    }
    // Long enough after a firing for it to show: the rest screen opens on the second after.
    static std::int64_t Shows(const std::string& action) { return action == "全屏" ? kSecond : 0; }
};

struct SleepAcross : Sleep, ::testing::WithParamInterface<SleepRow> {};

TEST_P(SleepAcross, TheMoment) {
    const SleepRow& r = GetParam();
    const std::string kind = r.kind, action = r.action;
    ArmFor11(kind, action);
    // The last tick before the moment comes at 10:59:59; the machine goes to sleep right after it.
    desk.Advance(moment - kSecond + 1);
    ASSERT_TRUE(Firings(action).empty());
    desk.Suspend(r.gapMs);
    const std::int64_t woke = Now();
    desk.Advance(0);  // the first tick after waking
    const std::vector<std::int64_t> none;
    if (action == "全屏") {
        // The rest screen opens on the driver's first tick, a second after the firing.
        EXPECT_EQ(bar().时钟全屏.Interval(), r.outcome == Outcome::OnWaking ? 1000 : 0);
        if (r.outcome == Outcome::OnWaking) desk.Advance(kSecond);
    }
    EXPECT_EQ(Firings(action), r.outcome == Outcome::OnWaking ? std::vector<std::int64_t>{woke} : none);

    if (kind == "指定") {
        EXPECT_EQ(bar().时钟指定.Interval(), r.outcome == Outcome::NotMadeUp ? 1000 : 0);
        if (r.outcome == Outcome::Dropped) {
            EXPECT_EQ(bar().组合框声音.Content(), "") << "the bar does not pretend to be armed";
            EXPECT_TRUE(bar().时1.visible());
            EXPECT_FALSE(Sounding());
        }
        if (r.outcome == Outcome::NotMadeUp) {
            EXPECT_EQ(bar().组合框声音.Content(), action);
            const std::int64_t tomorrow = MsBetween(start, At(2015, 11, 6, 11, 0, 0));
            desk.Advance(tomorrow + Shows(action) - Now());
            EXPECT_EQ(Firings(action), std::vector<std::int64_t>{tomorrow}) << "the next day, at its time";
        }
        return;
    }
    // However long the sleep, the hourly kind stays armed and goes on with the next full hour.
    EXPECT_EQ(bar().时钟整点.Interval(), 1000);
    EXPECT_EQ(bar().组合框声音.Content(), action);
    const std::size_t before = Firings(action).size();
    // (Two hours to the second: the rest screen of the made-up firing is still opening at 13:00:00, and
    // that hour's firing joins it. The next full hour after it shows the kind going on.)
    std::int64_t nextHour = moment;
    while (nextHour <= Now()) nextHour += kHour;
    desk.Advance(nextHour - 1 - Now());
    EXPECT_EQ(Firings(action).size(), before) << "one firing makes up for the whole gap";
    desk.Advance(1 + Shows(action));
    const std::vector<std::int64_t> after = Firings(action);
    ASSERT_EQ(after.size(), before + 1);
    EXPECT_EQ(after.back(), nextHour);
}

INSTANTIATE_TEST_SUITE_P(Table, SleepAcross, ::testing::ValuesIn(SleepRows()), SleepRowName);

TEST_F(Sleep, ACountdownKeepsItsDeadlineAcrossSleep) {
    Start(start);
    Arm("倒计", "0", "5", "0", "布谷鸟");
    const std::int64_t deadline = Now() + 5 * kMinute;
    desk.Advance(kMinute + 1);
    desk.Suspend(kMinute);  // wakes with three minutes left
    desk.Advance(0);
    EXPECT_EQ(bar().标签2.Caption(), "剩余：0小时3分0秒");
    desk.Advance(deadline - Now());
    EXPECT_EQ(Firings("布谷鸟"), std::vector<std::int64_t>{deadline});

    desk.Choose(bar().停止);
    Arm("倒计", "0", "5", "0", "布谷鸟");
    desk.Advance(kMinute + 1);
    desk.Suspend(2 * kHour);  // wakes long after the deadline
    const std::int64_t woke = Now();
    desk.Advance(10 * kSecond);
    EXPECT_EQ(Firings("布谷鸟"), (std::vector<std::int64_t>{deadline, woke})) << "once, on waking";
}

// The countdown keeps its deadline on the tick count, which runs on while the machine sleeps: waking after
// the deadline it is as late as the clock kinds are, and follows their rule.
struct CountdownSleepRow {
    const char* action;
    std::int64_t gapMs;  // asleep from just after the last tick before the deadline, so this less a second late
    bool runs;           // otherwise nothing happens and the bar is disarmed
};

std::vector<CountdownSleepRow> CountdownSleepRows() {
    std::vector<CountdownSleepRow> rows;
    for (const char* action : {"嘀嗒叫", "布谷鸟", "风铃响", "音乐…", "全屏", "关机", "休眠", "关屏"}) {
        const std::string a = action;
        const bool system = a == "关机" || a == "休眠" || a == "关屏";
        for (std::int64_t gap : {10 * kSecond, 59 * kSecond, 61 * kSecond, 2 * kMinute, 8 * kHour})
            rows.push_back({action, gap, !system || gap - kSecond < kMinute});
    }
    return rows;
}

void PrintTo(const CountdownSleepRow& r, std::ostream* os) { *os << r.action << " " << r.gapMs << " ms"; }

std::string CountdownSleepRowName(const ::testing::TestParamInfo<CountdownSleepRow>& info) {
    const std::pair<std::string, const char*> names[] = {
        {"嘀嗒叫", "Chime1"},   {"布谷鸟", "Chime2"}, {"风铃响", "Chime3"}, {"音乐…", "Music"},
        {"全屏", "RestScreen"}, {"关机", "Shutdown"}, {"休眠", "Suspend"},  {"关屏", "MonitorOff"}};
    std::string name;
    for (const auto& [action, ascii] : names)
        if (action == info.param.action) name = ascii;
    return name + "_" + std::to_string(info.param.gapMs / kSecond) + "s";
}

struct CountdownAcrossSleep : Sleep, ::testing::WithParamInterface<CountdownSleepRow> {};

TEST_P(CountdownAcrossSleep, ASystemActionMoreThanAMinuteLateIsNotRun) {
    const CountdownSleepRow& r = GetParam();
    const std::string action = r.action;
    desk.AddFile("C:\\music\\晨曲.mp3", Mp3Image(40));
    Store("MP3路径", "C:\\music\\晨曲.mp3");
    Start(start);
    Arm("倒计", "0", "2", "0", action);
    const std::int64_t deadline = Now() + 2 * kMinute;
    desk.Advance(deadline - kSecond + 1 - Now());
    ASSERT_TRUE(Firings(action).empty());
    desk.Suspend(r.gapMs);
    const std::int64_t woke = Now();
    desk.Advance(Shows(action));
    const std::vector<std::int64_t> none;
    EXPECT_EQ(Firings(action), r.runs ? std::vector<std::int64_t>{woke} : none);
    EXPECT_EQ(bar().时钟倒计.Interval(), 0);
    if (r.runs) return;
    EXPECT_EQ(bar().组合框声音.Content(), "") << "the bar does not pretend to be armed";
    EXPECT_TRUE(bar().时1.visible());
    EXPECT_FALSE(bar().标签2.visible());
    EXPECT_EQ(bar().时钟监视变量.Interval(), 0) << "no ring either";
}

INSTANTIATE_TEST_SUITE_P(Table, CountdownAcrossSleep, ::testing::ValuesIn(CountdownSleepRows()), CountdownSleepRowName);

// Set below zero, a countdown's moment is its first tick: nothing was slept through, its shutdown runs.
TEST_F(Bar, ACountdownSetBelowZeroShutsDownOnItsFirstTick) {
    Start();
    Arm("倒计", "0", "-120", "0", "关机");
    desk.Advance(1000);
    EXPECT_EQ(Shutdowns(1).size(), 1u);
}

// The clock set forward and then a sleep across the moment, with no tick between: which came first is not
// known at waking, so a shutdown counts as late as it may have been, never later than its grace allows.
TEST_F(Sleep, AClockSetForwardThenASleepAcrossTheMomentIsLateByTheSleep) {
    const struct {
        const char* kind;
        std::int64_t sleepMs;
        bool runs;
    } rows[] = {{"指定", 152 * kSecond, false},
                {"指定", 129 * kSecond, true},
                {"整点", 152 * kSecond, false},
                {"整点", 129 * kSecond, true}};
    for (const auto& r : rows) {
        SCOPED_TRACE(std::string(r.kind) + " " + std::to_string(r.sleepMs) + " ms asleep");
        HeadlessDesktop fresh;
        fresh.SetWakeTimersAllowed(false);  // nothing wakes the machine before the user does
        fresh.SetNow(start);
        Program p(fresh);
        fresh.SetStartWindow(&p.main);
        p.Start();
        fresh.Select(p.main.组合框类型, IndexOf(p.main.组合框类型, r.kind));
        if (std::string(r.kind) == "指定") {
            fresh.TypeInto(p.main.时1, "\b\b11");
            fresh.TypeInto(p.main.分1, "\b\b0");
            fresh.TypeInto(p.main.秒1, "\b\b0");
        }
        fresh.Select(p.main.组合框声音, IndexOf(p.main.组合框声音, "关机"));
        fresh.Advance(kSecond + 1);         // the last tick, at 10:58:01
        fresh.JumpWallClock(30 * kSecond);  // set to 10:58:31, then asleep: 11:00:00 comes 89 s into the sleep
        fresh.Suspend(r.sleepMs);
        fresh.Advance(0);
        EXPECT_EQ(fresh.systemCalls().size(), r.runs ? 1u : 0u);
    }
}

// The 30-second warning announces only a shutdown that will still happen.
struct SleepWarning : Sleep {
    void ArmShutdown(const std::string& kind) {
        Store("三十秒提醒", "1");
        ArmFor11(kind, "关机");
    }
    bool WarningOpen() { return program->warning.loaded() && !program->warning.closing(); }
};

TEST_F(SleepWarning, SleptThroughTheWarningOnlyItOpensOnWakingAndTheShutdownComesOnTime) {
    ArmShutdown("指定");
    desk.Advance(moment - 41 * kSecond + 1);  // asleep from 10:59:19 to 10:59:39
    desk.Suspend(20 * kSecond);
    desk.Advance(0);
    EXPECT_TRUE(WarningOpen());
    desk.Advance(moment - 1 - Now());
    EXPECT_TRUE(Shutdowns(1).empty());
    desk.Advance(1);
    EXPECT_EQ(Shutdowns(1), std::vector<std::int64_t>{moment});
}

TEST_F(SleepWarning, AShutdownMadeUpOnWakingIsAnnouncedAtTheSameTick) {
    ArmShutdown("指定");
    desk.Advance(moment - 41 * kSecond + 1);  // asleep from 10:59:19 to 11:00:39: 39 s late
    desk.Suspend(80 * kSecond);
    const std::int64_t woke = Now();
    desk.Advance(0);
    EXPECT_TRUE(WarningOpen());
    EXPECT_EQ(Shutdowns(1), std::vector<std::int64_t>{woke});
}

TEST_F(SleepWarning, AShutdownAtASetTimeTooLateOpensNoWarningAndDisarms) {
    ArmShutdown("指定");
    desk.Advance(moment - 41 * kSecond + 1);  // asleep from 10:59:19 to 11:01:19
    desk.Suspend(2 * kMinute);
    desk.Advance(0);
    EXPECT_FALSE(WarningOpen());
    EXPECT_TRUE(Shutdowns(1).empty());
    EXPECT_EQ(bar().组合框声音.Content(), "");
    EXPECT_EQ(bar().时钟指定.Interval(), 0);
}

TEST_F(SleepWarning, AnHourlyShutdownTooLateOpensNoWarningAndTheNextHourComesAsUsual) {
    ArmShutdown("整点");
    desk.Advance(moment - 41 * kSecond + 1);  // asleep from 10:59:19 to 11:01:19
    desk.Suspend(2 * kMinute);
    desk.Advance(0);
    EXPECT_FALSE(WarningOpen());
    EXPECT_TRUE(Shutdowns(1).empty());
    const auto warned = RunUntilWarning(kHour);
    ASSERT_TRUE(warned);
    EXPECT_EQ(*warned, moment + kHour - 30 * kSecond);
    desk.Advance(moment + kHour - Now());
    EXPECT_EQ(Shutdowns(1), std::vector<std::int64_t>{moment + kHour});
}

TEST_F(SleepWarning, AWarningOpenWhenTheMachineSleptClosesWithTheShutdownItAnnounced) {
    ArmShutdown("指定");
    desk.Advance(moment - 25 * kSecond + 1);  // the warning opened at 10:59:30; asleep from 10:59:35
    ASSERT_TRUE(WarningOpen());
    desk.Suspend(2 * kHour);
    desk.Advance(0);
    EXPECT_FALSE(WarningOpen());
    EXPECT_TRUE(Shutdowns(1).empty());
    EXPECT_EQ(bar().组合框声音.Content(), "");
    EXPECT_EQ(bar().时钟指定.Interval(), 0);
}

TEST_F(SleepWarning, ACountdownShutdownSleptThroughOpensNoWarningOnWaking) {
    Store("三十秒提醒", "1");
    Start(start);
    Arm("倒计", "1", "0", "0", "关机");
    desk.Advance(10 * kMinute);
    desk.Suspend(8 * kHour);
    desk.Advance(0);
    EXPECT_FALSE(program->warning.loaded());
    EXPECT_TRUE(Shutdowns(1).empty());
    EXPECT_EQ(bar().组合框声音.Content(), "");
}

// ---------------------------------------------------------------- an action with no kind to arm

TEST_F(Bar, WithNoKindChoosingAnActionArmsNothingAndTakesItselfBack) {
    const char* actions[] = {"嘀嗒叫", "布谷鸟", "风铃响", "音乐…", "全屏", "关机", "休眠", "关屏"};
    for (const char* action : actions) {
        SCOPED_TRACE(action);
        HeadlessDesktop fresh;
        fresh.registry().SetValue(kCurrentUser, kOptionsKey, "默认功能", RegValue{RegType::Sz, "-1", 0, {}});
        Program p(fresh);
        fresh.SetStartWindow(&p.main);
        p.Start();
        ASSERT_EQ(p.main.组合框类型.CurrentIndex(), -1);
        // No file dialog: none is scripted, so it would throw.
        fresh.Select(p.main.组合框声音, IndexOf(p.main.组合框声音, action));
        EXPECT_EQ(p.main.组合框声音.CurrentIndex(), -1);
        for (Timer* t : {&p.main.时钟倒计, &p.main.时钟指定, &p.main.时钟整点})
            EXPECT_EQ(t->Interval(), 0) << t->name();
        EXPECT_FALSE(fresh.registry().Text(kCurrentUser, "Software\\TORV\\默认事件"));
        fresh.Advance(25 * kHour);
        EXPECT_TRUE(fresh.sounds().empty());
        EXPECT_TRUE(fresh.systemCalls().empty());
        // Nothing is armed, so closing asks nothing.
        fresh.RequestClose(p.main);
        EXPECT_TRUE(fresh.Quit());
    }
}

}  // namespace
}  // namespace dida::scenario
