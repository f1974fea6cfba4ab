// Start-up: what the bar and its menu show for what the registry holds.
#include "bar_fixture.h"

namespace dida::scenario {
namespace {

using Startup = Bar;

TEST_F(Startup, EmptyRegistryGivesEveryOptionOffAndTheCountdownKind) {
    Start(At(2015, 11, 5, 14, 8, 42));
    MainForm& m = bar();
    for (MenuItem* item :
         {&m.随系统启动, &m.气泡提醒, &m.无操作时长鸣, &m.全屏时屏蔽ESC, &m.软件静音运行, &m.关机前30秒提醒})
        EXPECT_FALSE(item->Checked()) << item->name();
    EXPECT_EQ(m.超级按钮开始.ToolTip(), "停止当前音乐");
    EXPECT_TRUE(SameBytes(m.超级按钮开始.PicOut(), media::kSpeakerWaves));
    EXPECT_TRUE(SameBytes(m.超级按钮开始.PicIn(), media::kSpeakerCrossedOrange));
    EXPECT_FALSE(m.超级按钮开始.disable());
    EXPECT_EQ(m.标签闹铃时长.Caption(), "180");
    EXPECT_EQ(m.组合框类型.Content(), "倒计");
    EXPECT_EQ(m.时1.Content(), "0");
    EXPECT_EQ(m.分1.Content(), "30");
    EXPECT_EQ(m.秒1.Content(), "0");
    EXPECT_TRUE(m.时1.visible());
    EXPECT_FALSE(m.标签2.visible());
    EXPECT_EQ(m.组合框声音.CurrentIndex(), -1);
    EXPECT_EQ(Stored("默认功能"), "0");
    EXPECT_FALSE(Stored("默认事件"));
    EXPECT_EQ(m.标签1.Caption(), "2015年11月5日14时8分42秒");
    // Nothing armed: no watching timer runs.
    EXPECT_EQ(m.时钟倒计.Interval() + m.时钟指定.Interval() + m.时钟整点.Interval(), 0);
}

// Docked on the work area: with the taskbar at the bottom, as it is by default, that is the screen's top edge.
TEST_F(Startup, TheBarIsAStripAtTheTopEdge) {
    const struct {
        int screenWidth;
        std::optional<Rect> workArea;  // else the default taskbar's
        int left, top;
    } rows[] = {{1920, {}, 1464, 0},
                {1024, {}, 568, 0},
                {300, {}, -156, 0},
                {1920, Rect{0, 48, 1920, 720}, 1464, 48},  // the taskbar at the top
                {1920, Rect{0, 0, 1860, 768}, 1404, 0},    // on the right
                {1920, Rect{62, 0, 1858, 768}, 1464, 0}};  // on the left
    for (const auto& r : rows) {
        HeadlessDesktop fresh;
        fresh.SetScreen(r.screenWidth, 768);
        if (r.workArea) fresh.SetWorkArea(*r.workArea);
        Program p(fresh);
        p.Start();
        EXPECT_EQ(p.main.height(), 22) << r.screenWidth;
        EXPECT_EQ(p.main.top(), r.top) << r.screenWidth;
        EXPECT_EQ(p.main.left(), r.left) << r.screenWidth;
    }
}

TEST_F(Startup, OnlyTheSingleCharacterOneTurnsAFlagOn) {
    struct Flag {
        const char* value;
        MenuItem MainForm::*item;
    };
    const Flag flags[] = {{"气球提示", &MainForm::气泡提醒},
                          {"三十秒提醒", &MainForm::关机前30秒提醒},
                          {"长鸣", &MainForm::无操作时长鸣},
                          {"全屏ESC", &MainForm::全屏时屏蔽ESC},
                          {"软件静音", &MainForm::软件静音运行}};
    const struct {
        const char* text;
        bool on;
    } texts[] = {{"1", true}, {"01", false}, {"true", false}, {" 1", false}, {"1 ", false}, {"", false}, {"空", false}};
    for (const Flag& f : flags) {
        for (const auto& t : texts) {
            HeadlessDesktop fresh;
            fresh.registry().SetValue(kCurrentUser, kOptionsKey, f.value, RegValue{RegType::Sz, t.text, 0, {}});
            Program p(fresh);
            p.Start();
            EXPECT_EQ((p.main.*f.item).Checked(), t.on) << f.value << " = \"" << t.text << "\"";
        }
    }
}

TEST_F(Startup, AFlagStoredAsANumberReadsAsOff) {
    desk.registry().SetValue(kCurrentUser, kOptionsKey, "气球提示", RegValue{RegType::Dword, {}, 1, {}});
    Start();
    EXPECT_FALSE(bar().气泡提醒.Checked());
}

TEST_F(Startup, StoredKindTable) {
    struct Row {
        const char* stored;
        DateTime now;
        int index;
        const char *h, *m, *s;
        std::optional<std::string> storedAfter;
    };
    const Row rows[] = {
        {"0", At(2015, 11, 5, 14, 8, 42), 0, "0", "30", "0", "0"},
        {"2", At(2015, 11, 5, 14, 8, 42), 2, "0", "0", "0", "2"},
        {"1", At(2015, 11, 5, 14, 8, 42), 1, "14", "9", "0", "1"},
        {"1", At(2015, 11, 5, 14, 59, 10), 1, "15", "0", "0", "1"},  // carried into the next hour
        {"1", At(2015, 11, 5, 23, 59, 59), 1, "0", "0", "0", "1"},   // and past midnight
        {"1", At(2015, 11, 5, 9, 0, 0), 1, "9", "1", "0", "1"},
        {"7", At(2015, 11, 5, 14, 8, 42), 2, "0", "0", "0", "2"},
        {"2.9", At(2015, 11, 5, 14, 8, 42), 2, "0", "0", "0", "2"},
        {" 1", At(2015, 11, 5, 14, 8, 42), 1, "14", "9", "0", "1"},
        {"abc", At(2015, 11, 5, 14, 8, 42), 0, "0", "30", "0", "0"},
        {"-3", At(2015, 11, 5, 14, 8, 42), -1, "0", "30", "0", "-3"},  // no kind: nothing filled, nothing written
    };
    for (const Row& r : rows) {
        HeadlessDesktop fresh;
        fresh.registry().SetValue(kCurrentUser, kOptionsKey, "默认功能", RegValue{RegType::Sz, r.stored, 0, {}});
        fresh.SetNow(r.now);
        Program p(fresh);
        p.Start();
        const std::string what = std::string("默认功能 = ") + r.stored + " at " + DateTimeToText(r.now);
        EXPECT_EQ(p.main.组合框类型.CurrentIndex(), r.index) << what;
        EXPECT_EQ(p.main.时1.Content(), r.h) << what;
        EXPECT_EQ(p.main.分1.Content(), r.m) << what;
        EXPECT_EQ(p.main.秒1.Content(), r.s) << what;
        EXPECT_EQ(fresh.registry().Text(kCurrentUser, "Software\\TORV\\默认功能"), r.storedAfter) << what;
        EXPECT_EQ(p.main.组合框声音.CurrentIndex(), -1) << what;
    }
}

TEST_F(Startup, RingDurationIsTakenAsStored) {
    for (const char* text : {"45", "3.5", "abc", ""}) {
        HeadlessDesktop fresh;
        fresh.registry().SetValue(kCurrentUser, kOptionsKey, "闹铃时长", RegValue{RegType::Sz, text, 0, {}});
        Program p(fresh);
        p.Start();
        EXPECT_EQ(p.main.标签闹铃时长.Caption(), text);
    }
}

TEST_F(Startup, MutedStartShowsTheCrossedSpeakerDisabled) {
    Store("软件静音", "1");
    Start();
    EXPECT_TRUE(bar().软件静音运行.Checked());
    EXPECT_EQ(bar().超级按钮开始.ToolTip(), "已设置为静音");
    EXPECT_TRUE(SameBytes(bar().超级按钮开始.PicOut(), media::kSpeakerCrossed));
    EXPECT_TRUE(SameBytes(bar().超级按钮开始.PicIn(), media::kSpeakerCrossedOrange));
    EXPECT_TRUE(bar().超级按钮开始.disable());
}

TEST_F(Startup, LongRingStoredLeavesTheDurationItemEnabledUntilToggledThroughTheMenu) {
    Store("长鸣", "1");
    Start();
    EXPECT_TRUE(bar().无操作时长鸣.Checked());
    EXPECT_FALSE(bar().设置闹铃时长.Disabled());
    desk.Choose(bar().无操作时长鸣);
    EXPECT_FALSE(bar().设置闹铃时长.Disabled());
    desk.Choose(bar().无操作时长鸣);
    EXPECT_TRUE(bar().无操作时长鸣.Checked());
    EXPECT_TRUE(bar().设置闹铃时长.Disabled());
}

TEST_F(Startup, RunEntryCountsWithOrWithoutQuotesButNotForAnotherPath) {
    const std::string path = "C:\\Program Files\\嘀嗒\\DidaMiniClock.exe";
    const struct {
        std::string entry;
        bool on;
    } rows[] = {{path, true},
                {"\"" + path + "\"", true},
                {"D:\\old\\DidaMiniClock.exe", false},
                {"c:\\program files\\嘀嗒\\didaminiclock.exe", false},  // byte for byte
                {"\"" + path, false}};
    for (const auto& r : rows) {
        HeadlessDesktop fresh;
        fresh.SetProgramPath("C:\\Program Files\\嘀嗒", "DidaMiniClock.exe");
        fresh.AddFile(path);
        fresh.AddFile("D:\\old\\DidaMiniClock.exe");  // another copy
        fresh.registry().SetValue(kLocalMachine, kRunKey, "TORV", RegValue{RegType::Sz, r.entry, 0, {}});
        Program p(fresh);
        p.Start();
        EXPECT_EQ(p.main.随系统启动.Checked(), r.on) << r.entry;
        // An entry naming a program that is there stays until the user changes the option.
        EXPECT_EQ(fresh.registry().Text(kLocalMachine, std::string(kRunKey) + "\\TORV"), r.entry);
    }
}

}  // namespace
}  // namespace dida::scenario
