// The rest screen and the shutdown warning, as the user meets them.
#include "bar_fixture.h"

namespace dida::scenario {
namespace {

const std::string kHead = "\r\n\r\n\r\n\r\n\r\n\r\n嘀嗒温馨提醒：\r\n\r\n为了您的健康，请起身休息5分钟！\r\n";
const std::string kTailEscCloses = " 秒后自动取消黑屏\r\n\r\n（ESC取消，可设置屏蔽ESC键）";
const std::string kTailEscBlocked = " 秒后自动取消黑屏\r\n\r\n（按ESC取消失效，已设置屏蔽）";

struct Screens : Bar {
    struct Sample {
        std::int64_t at;
        std::string counter, text;
    };
    std::vector<Sample> samples;
    // Looks at the rest screen once a second, after everything due at that second has run, while its
    // modal loop runs.
    void WatchRestScreen(std::function<void(const Sample&)> act = {}) {
        desk.OnModalLoop([this, act](Window& w) {
            FullScreenForm& f = program->fullScreen;
            if (&w != &f || f.closing() || Now() % 1000 != 0) return;
            const Sample now{Now(), bar().标签全屏时间.Caption(), f.编辑框全屏.Content()};
            if (!samples.empty() && samples.back().at == now.at)
                samples.back() = now;
            else
                samples.push_back(now);
            if (act) act(samples.back());
        });
    }
};

TEST_F(Screens, RestScreenCountsFiveMinutesThenGivesTheBarBack) {
    desk.SetScreen(1600, 900);
    Start();
    WatchRestScreen();
    Arm("倒计", "0", "0", "2", "全屏");
    const std::int64_t fired = Now() + 2000;
    desk.Advance(2000 + 302000);
    FullScreenForm& f = program->fullScreen;
    EXPECT_FALSE(f.loaded());
    ASSERT_GE(samples.size(), 290u);
    // Up while it counts 300 down, one a second.
    EXPECT_EQ(samples.front().at, fired + 1000);
    EXPECT_EQ(samples.front().counter, "300");
    for (std::size_t i = 1; i < samples.size(); ++i) {
        EXPECT_EQ(samples[i].at - samples[i - 1].at, 1000);
        EXPECT_EQ(std::stoi(samples[i].counter), std::stoi(samples[i - 1].counter) - 1);
        const std::string shownNow = kHead + samples[i].counter + kTailEscCloses;
        const std::string shownLast = kHead + samples[i - 1].counter + kTailEscCloses;
        EXPECT_TRUE(samples[i].text == shownNow || samples[i].text == shownLast) << samples[i].at;
    }
    EXPECT_EQ(samples.back().counter, "1");
    EXPECT_EQ(samples.back().at, fired + 1000 + 299000);
    EXPECT_EQ(bar().标签全屏时间.Caption(), "300");
    EXPECT_EQ(bar().时钟全屏.Interval(), 0);
    EXPECT_EQ(bar().组合框声音.CurrentIndex(), -1);
    EXPECT_TRUE(bar().时1.visible());
    EXPECT_FALSE(bar().标签2.visible());
}

TEST_F(Screens, RestScreenCoversTheWholeScreen) {
    desk.SetScreen(1600, 900);
    Start();
    std::optional<Rect> seen;
    bool escCloses = false;
    desk.OnModalLoop([&](Window& w) {
        FullScreenForm& f = program->fullScreen;
        if (&w != &f || seen) return;
        seen = Rect{f.left(), f.top(), f.编辑框全屏.width(), f.编辑框全屏.height()};
        escCloses = f.EscCloses();
        desk.PressEsc(w);
    });
    Arm("倒计", "0", "0", "1", "全屏");
    desk.Advance(3000);
    ASSERT_TRUE(seen);
    EXPECT_EQ(seen->x, 0);
    EXPECT_EQ(seen->y, 0);
    EXPECT_EQ(seen->w, 1600);
    EXPECT_EQ(seen->h, 900);
    EXPECT_TRUE(escCloses);
}

TEST_F(Screens, EscClosesTheRestScreenAndTheCountdownKindKeepsTheCounter) {
    Start();
    WatchRestScreen([&](const Sample& s) {
        if (s.counter == "295") desk.PressEsc(program->fullScreen);
    });
    Arm("倒计", "0", "0", "1", "全屏");
    desk.Advance(20000);
    EXPECT_FALSE(program->fullScreen.loaded());
    EXPECT_EQ(bar().标签全屏时间.Caption(), "295");
    EXPECT_EQ(bar().组合框声音.CurrentIndex(), -1);
    EXPECT_TRUE(bar().时1.visible());
    EXPECT_EQ(bar().时钟闪烁.Interval(), 0);
}

TEST_F(Screens, EscOnAnHourlyRestScreenResetsTheCounterAndTheNextHourShowsItAgain) {
    Start(At(2015, 11, 5, 13, 59, 58));
    int opened = 0;
    desk.OnModalLoop([&](Window& w) {
        if (&w != &program->fullScreen) return;
        if (bar().标签全屏时间.Caption() == "290") {
            ++opened;
            desk.PressEsc(w);
        }
    });
    Arm("整点", "0", "0", "0", "全屏");
    desk.Advance(60000);
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(bar().标签全屏时间.Caption(), "300");
    EXPECT_EQ(bar().组合框声音.Content(), "全屏");
    desk.Advance(3600000);
    EXPECT_EQ(opened, 2);
}

TEST_F(Screens, BlockedEscIsSaidOnTheScreenAndIgnored) {
    Store("全屏ESC", "1");
    Start();
    bool pressed = false;
    WatchRestScreen([&](const Sample& s) {
        if (s.counter != "290") return;
        pressed = true;
        desk.PressEsc(program->fullScreen);
    });
    Arm("倒计", "0", "0", "1", "全屏");
    desk.Advance(1000 + 1000 + 301000);
    ASSERT_TRUE(pressed);
    ASSERT_GE(samples.size(), 290u);
    EXPECT_EQ(samples[15].text.substr(0, kHead.size()), kHead);
    EXPECT_NE(samples[15].text.find(kTailEscBlocked), std::string::npos);
    // Still up after the Esc, until it ran out.
    EXPECT_EQ(samples.back().counter, "1");
    EXPECT_FALSE(program->fullScreen.loaded());
    EXPECT_EQ(bar().标签全屏时间.Caption(), "300");
}

// Leaving while resting: the rest screen's modal loop ends with the bar, the tick that opened it (or the
// watching tick whose pending events it ran in) must not go on into a bar that is gone, and the clean-up at
// the end meets the rest screen still open.
TEST_F(Screens, LeavingWhileTheRestScreenIsUpEndsTheProgramCleanly) {
    const struct {
        const char* road;
        std::function<void(HeadlessDesktop&, MainForm&)> leave;
    } roads[] = {
        {"退出软件 from the tray",
         [](HeadlessDesktop& d, MainForm& m) {
             d.TrayEvent(m.托盘图标1, 2);
             d.Choose(m.退出软件);
         }},
        {"close request answered Yes",
         [](HeadlessDesktop& d, MainForm& m) {
             d.AnswerMessage(kYes);
             d.RequestClose(m);
         }},
    };
    for (const char* kind : {"倒计", "整点"}) {
        for (const auto& r : roads) {
            SCOPED_TRACE(std::string(kind) + ", " + r.road);
            HeadlessDesktop fresh;
            fresh.SetNow(At(2015, 11, 5, 14, 59, 58));
            Program p(fresh);
            fresh.SetStartWindow(&p.main);
            p.Start();
            bool left = false;
            fresh.OnModalLoop([&](Window& w) {
                if (&w != &p.fullScreen || left) return;
                left = true;
                r.leave(fresh, p.main);
            });
            fresh.Select(p.main.组合框类型, IndexOf(p.main.组合框类型, kind));
            fresh.TypeInto(p.main.分1, "\b\b0");
            fresh.TypeInto(p.main.秒1, "\b1");
            fresh.Select(p.main.组合框声音, IndexOf(p.main.组合框声音, "全屏"));
            EXPECT_NO_THROW(fresh.Advance(10000));
            ASSERT_TRUE(left);
            EXPECT_TRUE(fresh.Quit());
            EXPECT_FALSE(p.main.loaded());
            EXPECT_NO_THROW(fresh.DestroyAll());
            EXPECT_FALSE(p.fullScreen.loaded());
        }
    }
}

struct Warning : Bar {
    void SetUp() override {
        Store("三十秒提醒", "1");
        Start();
    }
};

TEST_F(Warning, OneMinuteShutdownWarnsCountsAndClosesBeforeTheShutdown) {
    Arm("倒计", "0", "1", "0", "关机");
    const std::int64_t armed = Now();
    const auto opened = RunUntilWarning(60000);
    ASSERT_TRUE(opened);
    EXPECT_EQ(*opened, armed + 30000);
    WarningForm& w = program->warning;
    EXPECT_EQ(w.Caption(), "嘀嗒提醒：");
    EXPECT_EQ(w.标签2.Caption(), "30");
    EXPECT_TRUE(w.按钮1.disable());
    EXPECT_EQ(bar().标签2.Caption(), "剩余：0小时0分30秒");
    desk.Advance(2000);
    EXPECT_EQ(w.标签2.Caption(), "28");
    EXPECT_TRUE(w.按钮1.disable());
    desk.Advance(1000);
    EXPECT_EQ(w.标签2.Caption(), "27");
    EXPECT_FALSE(w.按钮1.disable());
    ASSERT_TRUE(desk.RunUntil([&] { return !w.loaded(); }, 30000));
    EXPECT_EQ(Now(), armed + 30000 + 29000);
    EXPECT_TRUE(Shutdowns(1).empty());
    desk.Advance(1000);
    EXPECT_EQ(Shutdowns(1), std::vector<std::int64_t>{armed + 60000});
}

TEST_F(Warning, CancelAtTwentyDisarmsAndNothingShutsDown) {
    Arm("倒计", "0", "1", "0", "关机");
    ASSERT_TRUE(RunUntilWarning(60000));
    desk.Advance(10000);
    ASSERT_EQ(program->warning.标签2.Caption(), "20");
    desk.Click(program->warning.按钮1);
    EXPECT_FALSE(program->warning.loaded());
    EXPECT_EQ(bar().组合框声音.CurrentIndex(), -1);
    EXPECT_TRUE(bar().时1.visible());
    EXPECT_EQ(bar().时钟倒计.Interval(), 0);
    desk.Advance(120000);
    EXPECT_TRUE(desk.systemCalls().empty());
}

TEST_F(Warning, TheCancelButtonCannotBePressedInTheFirstSeconds) {
    Arm("倒计", "0", "1", "0", "关机");
    ASSERT_TRUE(RunUntilWarning(60000));
    desk.Advance(1000);
    desk.Click(program->warning.按钮1);
    EXPECT_TRUE(program->warning.loaded());
    EXPECT_EQ(bar().组合框声音.Content(), "关机");
}

TEST_F(Warning, OpensOnlyWhenTheCountPassesThirtySeconds) {
    const struct {
        const char* seconds;
        std::optional<std::int64_t> afterMs;
    } rows[] = {{"30", std::nullopt}, {"31", 1000}, {"45", 15000}, {"20", std::nullopt}};
    for (const auto& r : rows) {
        HeadlessDesktop fresh;
        fresh.registry().SetValue(kCurrentUser, kOptionsKey, "三十秒提醒", RegValue{RegType::Sz, "1", 0, {}});
        Program p(fresh);
        p.Start();
        fresh.TypeInto(p.main.分1, "\b\b0");
        fresh.TypeInto(p.main.秒1, std::string("\b") + r.seconds);
        const std::int64_t armed = fresh.Monotonic();
        fresh.Select(p.main.组合框声音, IndexOf(p.main.组合框声音, "关机"));
        const bool opened = fresh.RunUntil([&] { return p.warning.loaded(); }, 60000);
        EXPECT_EQ(opened, r.afterMs.has_value()) << r.seconds;
        if (opened && r.afterMs) {
            EXPECT_EQ(fresh.Monotonic() - armed, *r.afterMs) << r.seconds;
        }
    }
}

TEST_F(Warning, NoWarningForOtherActionsOrWithTheOptionOff) {
    Arm("倒计", "0", "1", "0", "休眠");
    EXPECT_FALSE(RunUntilWarning(70000));
    desk.Choose(bar().关机前30秒提醒);
    ASSERT_FALSE(bar().关机前30秒提醒.Checked());
    desk.Choose(bar().停止);
    PickAction("关机");
    EXPECT_FALSE(RunUntilWarning(70000));
    EXPECT_EQ(Shutdowns(1).size(), 1u);
}

}  // namespace
}  // namespace dida::scenario
