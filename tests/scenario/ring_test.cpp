// Firing and ringing: what each action does at its moment, how a ring ends.
#include <set>

#include "bar_fixture.h"

namespace dida::scenario {
namespace {

using Ring = Bar;

TEST_F(Ring, SystemActionsAtTheirMoment) {
    const struct {
        const char* action;
        std::vector<SystemCall::What> calls;
        int mode;
    } rows[] = {{"关机", {SystemCall::What::Shutdown}, 1},
                {"休眠", {SystemCall::What::Shutdown}, 4},
                {"关屏", {SystemCall::What::TurnOffMonitor, SystemCall::What::Delay}, 0}};
    for (const auto& r : rows) {
        HeadlessDesktop fresh;
        Program p(fresh);
        p.Start();
        fresh.TypeInto(p.main.分1, "\b\b0");
        fresh.TypeInto(p.main.秒1, "\b3");
        const std::int64_t armed = fresh.Monotonic();
        fresh.Select(p.main.组合框声音, IndexOf(p.main.组合框声音, r.action));
        fresh.Advance(2999);
        EXPECT_TRUE(fresh.systemCalls().empty()) << r.action;
        fresh.Advance(1);
        ASSERT_EQ(fresh.systemCalls().size(), r.calls.size()) << r.action;
        for (std::size_t i = 0; i < r.calls.size(); ++i) {
            EXPECT_EQ(fresh.systemCalls()[i].what, r.calls[i]) << r.action;
            EXPECT_EQ(fresh.systemCalls()[i].atMs, armed + 3000) << r.action;
        }
        if (r.mode) {
            EXPECT_EQ(fresh.systemCalls()[0].mode, r.mode);
            EXPECT_TRUE(fresh.systemCalls()[0].force);
        } else {
            EXPECT_EQ(fresh.systemCalls()[1].ms, 1000);
        }
        // No sound: the firing only ends whatever played before it.
        for (const SoundCall& c : fresh.sounds()) EXPECT_EQ(c.what, SoundCall::What::StopAudio) << r.action;
        EXPECT_TRUE(fresh.playing().empty()) << r.action;
        EXPECT_EQ(p.main.时钟监视变量.Interval(), 1000) << r.action;  // the ring watcher runs for every action
        // Told to a screen reader before the machine goes.
        EXPECT_EQ(Announced(fresh, kDue), std::vector<std::int64_t>{armed + 3000}) << r.action;
    }
}

TEST_F(Ring, BalloonAfterTheMonitorIsOffAndNoneForTheRestScreen) {
    Store("气球提示", "1");
    Start();
    Arm("倒计", "0", "0", "2", "关屏");
    const std::int64_t armed = Now();
    desk.Advance(2000);
    ASSERT_EQ(desk.balloons().size(), 1u);
    EXPECT_EQ(desk.balloons()[0].title, "嘀嗒提醒：");
    EXPECT_EQ(desk.balloons()[0].text, "注意，到时间了！！！");
    EXPECT_EQ(desk.balloons()[0].iconKind, 1);
    EXPECT_EQ(desk.balloons()[0].timeout, 0);
    EXPECT_EQ(desk.balloons()[0].trayName, "托盘图标1");
    EXPECT_EQ(desk.balloons()[0].atMs, armed + 2000 + 1000);

    desk.Choose(bar().停止);
    desk.OnModalLoop([&](Window& w) { desk.PressEsc(w); });
    PickAction("全屏");
    desk.Advance(40 * 60 * 1000);
    EXPECT_EQ(desk.balloons().size(), 1u);
}

TEST_F(Ring, NoBalloonWhileTheOptionIsOff) {
    Start();
    Arm("倒计", "0", "0", "2", "布谷鸟");
    desk.Advance(3000);
    ASSERT_EQ(LoopStarts(media::kBuiltinSound2).size(), 1u);
    EXPECT_TRUE(desk.balloons().empty());
}

TEST_F(Ring, MusicRepeatsWithoutEndOrFallsBackToTheFirstChime) {
    const struct {
        bool fileThere;
        bool mp3;
    } rows[] = {{true, true}, {false, false}};
    for (const auto& r : rows) {
        HeadlessDesktop fresh;
        fresh.AddFile("C:\\music\\a.mp3", Mp3Image(40));
        fresh.registry().SetValue(kCurrentUser, kOptionsKey, "MP3路径",
                                  RegValue{RegType::Sz, "C:\\music\\a.mp3", 0, {}});
        Program p(fresh);
        p.Start();
        fresh.TypeInto(p.main.分1, "\b\b0");
        fresh.TypeInto(p.main.秒1, "\b2");
        fresh.Select(p.main.组合框声音, IndexOf(p.main.组合框声音, "音乐…"));
        if (!r.fileThere) fresh.RemoveFile("C:\\music\\a.mp3");
        fresh.Advance(2000);
        ASSERT_FALSE(fresh.sounds().empty());
        const SoundCall& last = fresh.sounds().back();
        if (r.mp3) {
            EXPECT_EQ(last.what, SoundCall::What::PlayMp3);
            EXPECT_EQ(last.times, -1);
            EXPECT_EQ(last.files, std::vector<std::string>{"C:\\music\\a.mp3"});
        } else {
            EXPECT_EQ(last.what, SoundCall::What::PlayAudio);
            EXPECT_TRUE(last.loop);
            EXPECT_TRUE(SameBytes(last.bytes, media::kBuiltinSound1));
        }
        fresh.Advance(120000);
        EXPECT_FALSE(fresh.playing().empty()) << r.fileThere;  // still ringing inside the 180 s
    }
}

// No output device when the alarm fires (HDMI sound with the monitor asleep, a headset unplugged): while the
// ring lasts it tries again every second, and a device that appears starts it.
TEST_F(Ring, WithoutAnOutputDeviceTheRingTriesEverySecond) {
    enum class End { DeviceAppears, RingRunsOut, SpeakerClicked };
    const struct {
        const char* action;
        End end;
        std::size_t tries;  // the one at the firing included
    } rows[] = {{"布谷鸟", End::DeviceAppears, 4},
                {"音乐…", End::DeviceAppears, 4},
                {"风铃响", End::RingRunsOut, 5},
                {"嘀嗒叫", End::SpeakerClicked, 3}};
    for (const auto& r : rows) {
        HeadlessDesktop fresh;
        fresh.AddFile("C:\\music\\a.mp3", Mp3Image(40));
        fresh.registry().SetValue(kCurrentUser, kOptionsKey, "MP3路径",
                                  RegValue{RegType::Sz, "C:\\music\\a.mp3", 0, {}});
        fresh.registry().SetValue(kCurrentUser, kOptionsKey, "闹铃时长", RegValue{RegType::Sz, "5", 0, {}});
        fresh.SetAudioOutput(false);
        Program p(fresh);
        p.Start();
        fresh.TypeInto(p.main.分1, "\b\b0");
        fresh.TypeInto(p.main.秒1, "\b2");
        fresh.Select(p.main.组合框声音, IndexOf(p.main.组合框声音, r.action));
        auto tries = [&] {
            std::set<std::int64_t> at;
            for (const SoundCall& c : fresh.sounds())
                if (c.what == SoundCall::What::PlayMp3 || (c.what == SoundCall::What::PlayAudio && c.loop))
                    at.insert(c.atMs);
            return at;
        };
        fresh.Advance(2000 + 2500);
        ASSERT_EQ(tries().size(), 3u) << r.action;
        EXPECT_TRUE(fresh.playing().empty()) << r.action;
        if (r.end == End::SpeakerClicked) fresh.Click(p.main.超级按钮开始);
        if (r.end == End::RingRunsOut) fresh.Advance(2500);
        fresh.SetAudioOutput(true);
        fresh.Advance(1000);
        EXPECT_EQ(fresh.playing().empty(), r.end != End::DeviceAppears) << r.action;
        if (r.end == End::DeviceAppears) {
            const auto playing = fresh.playing();
            ASSERT_EQ(playing.size(), 1u) << r.action;
            EXPECT_EQ(playing[0].mp3.empty(), r.action != std::string("音乐…")) << r.action;
        }
        fresh.Advance(5000);
        EXPECT_EQ(tries().size(), r.tries) << r.action;
        EXPECT_TRUE(fresh.playing().empty()) << r.action << ": the ring ended by itself";
    }
}

TEST_F(Ring, LongRingRingsOnUntilUnchecked) {
    Store("闹铃时长", "5");
    Store("长鸣", "1");
    Start();
    Arm("倒计", "0", "0", "2", "风铃响");
    desk.Advance(2000 + 60000);
    EXPECT_TRUE(Sounding());
    EXPECT_TRUE(Flashing());
    desk.Choose(bar().无操作时长鸣);
    EXPECT_FALSE(bar().无操作时长鸣.Checked());
    desk.Advance(1000);
    EXPECT_FALSE(Sounding());
    EXPECT_EQ(bar().时钟闪烁.Interval(), 0);
    EXPECT_EQ(bar().时钟监视变量.Interval(), 0);
}

// The process takes its sounds with it: a ring that would go on without end stops with the program, on
// every road out.
TEST(Leaving, SilencesALongRing) {
    const struct {
        const char* road;
        void (*leave)(HeadlessDesktop&, MainForm&);
    } rows[] = {
        {"退出软件", [](HeadlessDesktop& d, MainForm& m) { d.Choose(m.退出软件); }},
        {"close button, Yes",
         [](HeadlessDesktop& d, MainForm& m) {
             d.AnswerMessage(kYes);
             d.Click(m.超级按钮1);
         }},
    };
    for (const auto& r : rows) {
        HeadlessDesktop fresh;
        fresh.registry().SetValue(kCurrentUser, Bar::kOptionsKey, "长鸣", RegValue{RegType::Sz, "1", 0, {}});
        Program p(fresh);
        fresh.SetStartWindow(&p.main);
        p.Start();
        fresh.Select(p.main.组合框类型, 0);
        p.main.时1.Content("0");
        p.main.分1.Content("0");
        p.main.秒1.Content("2");
        fresh.Select(p.main.组合框声音, 2);  // 风铃响
        fresh.Advance(2000 + 200000);
        ASSERT_FALSE(fresh.playing().empty()) << r.road << ": rings on past the ring duration";
        r.leave(fresh, p.main);
        EXPECT_TRUE(fresh.Quit()) << r.road;
        EXPECT_TRUE(fresh.playing().empty()) << r.road;
    }
}

TEST_F(Ring, RingDurationCountsWholeSeconds) {
    const struct {
        const char* duration;
        int ringsMs;  // from the firing to the end
    } rows[] = {{"5", 5000}, {"5.9", 5000}, {"abc", 1000}, {"-4", 1000}};
    for (const auto& r : rows) {
        HeadlessDesktop fresh;
        fresh.registry().SetValue(kCurrentUser, kOptionsKey, "闹铃时长", RegValue{RegType::Sz, r.duration, 0, {}});
        Program p(fresh);
        p.Start();
        fresh.AnswerMessage(kYes);  // durations under 3 s are questioned
        fresh.AnswerMessage(kYes);
        fresh.TypeInto(p.main.分1, "\b\b0");
        fresh.TypeInto(p.main.秒1, "\b1");
        fresh.Select(p.main.组合框声音, IndexOf(p.main.组合框声音, "嘀嗒叫"));
        fresh.Advance(1000);
        ASSERT_FALSE(fresh.playing().empty()) << r.duration;
        fresh.Advance(r.ringsMs - 1);
        EXPECT_FALSE(fresh.playing().empty()) << r.duration;
        fresh.Advance(1);
        EXPECT_TRUE(fresh.playing().empty()) << r.duration;
    }
}

// The ring lasts its duration by the clock, not by the number of watcher ticks that arrived: lost, slow
// or late ticks neither stretch it nor cut it short.
TEST_F(Ring, TheRingLastsItsDurationWhateverTheTicksDo) {
    const struct {
        const char* ticks;
        std::function<void(HeadlessDesktop&)> fault;
    } rows[] = {
        {"every third lost",
         [](HeadlessDesktop& d) { d.SetTimerDrop([](std::int64_t due) { return due / 1000 % 3 == 0; }); }},
        {"1.5 % slow", [](HeadlessDesktop& d) { d.SetTimerSlowdown(1.015); }},
        {"late by 20 to 900 ms",
         [](HeadlessDesktop& d) {
             d.SetTimerLateness([](std::int64_t due) { return static_cast<int>(20 + (due / 1000 * 7919) % 881); });
         }},
    };
    for (const auto& r : rows) {
        HeadlessDesktop fresh;
        r.fault(fresh);
        Program p(fresh);
        p.Start();
        fresh.TypeInto(p.main.分1, "\b\b0");
        fresh.TypeInto(p.main.秒1, "\b1");
        fresh.Select(p.main.组合框声音, IndexOf(p.main.组合框声音, "嘀嗒叫"));
        auto loops = [&] {
            return std::any_of(fresh.sounds().begin(), fresh.sounds().end(), [](const SoundCall& c) { return c.loop; });
        };
        ASSERT_TRUE(fresh.RunUntil(loops, 5000)) << r.ticks;
        const std::int64_t fired = fresh.Monotonic();
        fresh.RunUntil([&] { return fresh.playing().empty(); }, 200000);
        EXPECT_GE(fresh.Monotonic(), fired + 180000) << r.ticks;
        EXPECT_LE(fresh.Monotonic(), fired + 182000) << r.ticks;
    }
}

// The end of an hourly ring does not bring back the hourly reminder disarmed while it rang.
TEST_F(Ring, DisarmedDuringAnHourlyRingStaysDisarmed) {
    const struct {
        const char* road;
        std::function<void(HeadlessDesktop&, Program&)> disarm;
    } rows[] = {
        {"停止", [](HeadlessDesktop& d, Program& p) { d.Choose(p.main.停止); }},
        {"a shutdown declined at the short-ring question",
         [](HeadlessDesktop& d, Program& p) {
             d.AnswerInput(true, "3");
             d.Choose(p.main.设置闹铃时长);
             d.AnswerMessage(kNo);
             d.Select(p.main.组合框声音, IndexOf(p.main.组合框声音, "关机"));
         }},
    };
    for (const auto& r : rows) {
        HeadlessDesktop fresh;
        fresh.SetNow(At(2015, 11, 5, 13, 59, 50));
        Program p(fresh);
        p.Start();
        fresh.Select(p.main.组合框类型, 2);
        fresh.Select(p.main.组合框声音, IndexOf(p.main.组合框声音, "布谷鸟"));
        fresh.Advance(12000);
        ASSERT_FALSE(fresh.playing().empty()) << r.road;
        r.disarm(fresh, p);
        fresh.Advance(200000);
        EXPECT_EQ(p.main.时钟整点.Interval(), 0) << r.road;
        fresh.Advance(2 * 3600000);
        EXPECT_EQ(
            std::count_if(fresh.sounds().begin(), fresh.sounds().end(), [](const SoundCall& c) { return c.loop; }), 1)
            << r.road << ": only the first hour rang";
        EXPECT_TRUE(fresh.systemCalls().empty()) << r.road;
    }
}

TEST_F(Ring, SpeakerButtonDuringAnHourlyRingSilencesItAndTheNextHourStillFires) {
    Start(At(2015, 11, 5, 13, 59, 50));
    Arm("整点", "0", "0", "0", "布谷鸟");
    desk.Advance(10000);
    ASSERT_EQ(LoopStarts(media::kBuiltinSound2).size(), 1u);
    desk.Advance(5000);
    desk.Click(bar().超级按钮开始);
    EXPECT_FALSE(Sounding());
    EXPECT_EQ(bar().时钟闪烁.Interval(), 0);
    EXPECT_EQ(bar().标签2.TextColor(), 0u);
    EXPECT_TRUE(bar().时1.visible());
    EXPECT_FALSE(bar().标签2.visible());
    EXPECT_EQ(bar().组合框声音.Content(), "布谷鸟");
    EXPECT_EQ(bar().超级按钮开始.ToolTip(), "停止当前音乐");
    desk.Advance(3600000);
    const auto starts = LoopStarts(media::kBuiltinSound2);
    ASSERT_EQ(starts.size(), 2u);
    EXPECT_EQ(starts[1] - starts[0], 3600000);
}

TEST_F(Ring, SpeakerButtonDuringACountdownRingTakesBackTheAction) {
    Start();
    Arm("倒计", "0", "0", "3", "嘀嗒叫");
    desk.Advance(4000);
    desk.Click(bar().超级按钮开始);
    EXPECT_FALSE(Sounding());
    EXPECT_EQ(bar().组合框声音.CurrentIndex(), -1);
    EXPECT_TRUE(bar().时1.visible());
}

TEST_F(Ring, HiddenBarShowsItselfOnTheFirstFlash) {
    Start();
    Arm("倒计", "0", "0", "4", "嘀嗒叫");
    desk.Click(bar().超级按钮最小化);
    ASSERT_FALSE(bar().visible());
    desk.Advance(4000);
    EXPECT_FALSE(bar().visible());
    desk.Advance(250);
    EXPECT_TRUE(bar().visible());
}

TEST_F(Ring, AtASetTimeFlashesTheFieldsToo) {
    Start(At(2015, 11, 5, 14, 8, 42));
    PickKind("指定");
    SetTime("14", "9", "0");
    PickAction("风铃响");
    EXPECT_TRUE(bar().时1.visible());
    desk.Advance(18000);
    ASSERT_EQ(LoopStarts(media::kBuiltinSound3).size(), 1u);
    EXPECT_EQ(bar().时钟指定.Interval(), 0);
    desk.Advance(250);
    for (EditBox* f : {&bar().时1, &bar().分1, &bar().秒1}) EXPECT_EQ(f->TextColor(), 255u) << f->name();
    EXPECT_EQ(bar().标签设定.TextColor(), 255u);
    desk.Advance(250);
    EXPECT_EQ(bar().时1.TextColor(), 0u);
}

TEST_F(Ring, MutingDuringARingLetsItRingOn) {
    Start();
    Arm("倒计", "0", "0", "2", "布谷鸟");
    desk.Advance(3000);
    desk.Choose(bar().软件静音运行);
    EXPECT_TRUE(Sounding());
    EXPECT_TRUE(bar().超级按钮开始.disable());
}

// One sound at a time: a sound the program starts takes the place of the one playing, so a preview never
// sounds over another or over a ring, and a new ring never over the last one; a firing without a sound of
// its own ends the ring before it.
TEST_F(Ring, ANewSoundTakesThePlaceOfTheOnePlaying) {
    const struct {
        const char* road;
        std::function<void(Ring&)> act;
        Blob heard;  // what plays afterwards; empty: the chosen music
    } rows[] = {
        {"a preview over a preview", [](Ring& r) { r.PickAction("嘀嗒叫"); }, media::kBuiltinSound1},
        {"a preview over a ring", [](Ring& r) { r.PickAction("风铃响"); }, media::kBuiltinSound3},
        {"a ring over a ring",
         [](Ring& r) {
             r.PickAction("风铃响");
             r.desk.Advance(2000);
         },
         media::kBuiltinSound3},
        {"a shutdown's firing over a ring",
         [](Ring& r) {
             r.PickAction("关机");
             r.desk.Advance(2000);
         },
         {}},
        {"music chosen over a ring",
         [](Ring& r) {
             r.desk.AnswerFile(true, "C:\\music\\晨曲.mp3");
             r.desk.Choose(r.bar().自定义闹铃音乐);
         },
         {}},
    };
    desk.AddFile("C:\\music\\晨曲.mp3", Mp3Image(400));
    Start();
    for (const auto& r : rows) {
        Arm("倒计", "0", "0", "1", "嘀嗒叫");
        if (std::string(r.road) != "a preview over a preview") desk.Advance(1500);
        ASSERT_EQ(desk.playing().size(), 1u) << r.road;
        r.act(*this);
        const auto playing = desk.playing();
        const bool silent = std::string(r.road) == "a shutdown's firing over a ring";
        EXPECT_EQ(playing.size(), silent ? 0u : 1u) << r.road;
        if (playing.size() == 1) {
            EXPECT_TRUE(r.heard.empty() ? !playing[0].mp3.empty() : SameBytes(playing[0].bytes, r.heard)) << r.road;
        }
        desk.Choose(bar().停止);
    }
}

}  // namespace
}  // namespace dida::scenario
