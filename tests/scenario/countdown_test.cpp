// Arming from the action list and the countdown road: preview, checks, the count on the bar, the ring.
#include "bar_fixture.h"

namespace dida::scenario {
namespace {

using Countdown = Bar;

TEST_F(Countdown, ThirtySecondsFromArmingToTheEndOfAThreeMinuteRing) {
    Start();
    Arm("倒计", "0", "0", "30", "布谷鸟");
    const std::int64_t armed = Now();
    MainForm& m = bar();
    EXPECT_EQ(Previews(media::kBuiltinSound2), std::vector<std::int64_t>{armed});
    EXPECT_EQ(Stored("默认事件"), "1");
    EXPECT_EQ(m.标签2.Caption(), "剩余：0小时0分30秒");
    EXPECT_TRUE(m.标签2.visible());
    EXPECT_FALSE(m.时1.visible());
    EXPECT_FALSE(m.标签设定.visible());

    desk.Advance(1000);
    EXPECT_EQ(m.标签2.Caption(), "剩余：0小时0分29秒");
    desk.Advance(28000);
    EXPECT_EQ(m.标签2.Caption(), "剩余：0小时0分1秒");
    EXPECT_TRUE(LoopStarts(media::kBuiltinSound2).empty());
    desk.Advance(1000);
    EXPECT_EQ(m.标签2.Caption(), "剩余：0小时0分0秒");
    EXPECT_EQ(LoopStarts(media::kBuiltinSound2), std::vector<std::int64_t>{armed + 30000});
    EXPECT_EQ(m.时钟倒计.Interval(), 0);
    EXPECT_EQ(m.时钟闪烁.Interval(), 250);
    desk.Advance(250);
    EXPECT_EQ(m.标签2.TextColor(), 255u);
    desk.Advance(250);
    EXPECT_EQ(m.标签2.TextColor(), 0u);

    // Still ringing a moment before the three minutes are over, quiet right at them.
    desk.Advance(180000 - 500 - 1);
    EXPECT_TRUE(Sounding());
    desk.Advance(1);
    EXPECT_FALSE(Sounding());
    EXPECT_EQ(m.时钟闪烁.Interval(), 0);
    EXPECT_EQ(m.标签2.TextColor(), 0u);
    EXPECT_FALSE(Flashing());
    // The ring ended by itself: the action stays, the final count stays shown.
    EXPECT_EQ(m.组合框声音.Content(), "布谷鸟");
    EXPECT_EQ(m.标签2.Caption(), "剩余：0小时0分0秒");
    EXPECT_TRUE(m.标签2.visible());
    EXPECT_FALSE(m.时1.visible());
    // A screen reader is told twice: the count as it starts, and the moment; not each second between.
    EXPECT_EQ(desk.announcements().size(), 2u);
    EXPECT_EQ(Announced(desk, "剩余：0小时0分30秒"), std::vector<std::int64_t>{armed});
    EXPECT_EQ(Announced(desk, kDue), std::vector<std::int64_t>{armed + 30000});
}

TEST_F(Countdown, OneHourShowsFiftyNineMinutesFiftyNineSecondsAfterOneTick) {
    Start();
    Arm("倒计", "1", "0", "0", "嘀嗒叫");
    EXPECT_EQ(bar().标签2.Caption(), "剩余：1小时0分0秒");
    desk.Advance(1000);
    EXPECT_EQ(bar().标签2.Caption(), "剩余：0小时59分59秒");
}

TEST_F(Countdown, RemainingTimeTexts) {
    const struct {
        const char *h, *m, *s, *shown;
    } rows[] = {{"0", "0", "90", "剩余：0小时1分30秒"},
                {"2", "75", "0", "剩余：3小时15分0秒"},
                {"0", "abc", "5", "剩余：0小时0分5秒"},
                {"10", "0", "1", "剩余：10小时0分1秒"}};
    Start();
    for (const auto& r : rows) {
        bar().时1.UserEdited(r.h);
        bar().分1.UserEdited(r.m);
        bar().秒1.UserEdited(r.s);
        PickAction("风铃响");
        EXPECT_EQ(bar().标签2.Caption(), r.shown) << r.h << "/" << r.m << "/" << r.s;
        desk.Choose(bar().停止);
    }
}

TEST_F(Countdown, ZeroOrNegativeTotalFiresOnTheFirstTick) {
    for (const char* seconds : {"0", "-5"}) {
        HeadlessDesktop fresh;
        Program p(fresh);
        p.Start();
        fresh.TypeInto(p.main.分1, "\b\b\b0");
        fresh.TypeInto(p.main.秒1, std::string("\b\b") + seconds);
        const std::int64_t armed = fresh.Monotonic();
        fresh.Select(p.main.组合框声音, IndexOf(p.main.组合框声音, "嘀嗒叫"));
        fresh.Advance(1000);
        EXPECT_EQ(p.main.标签2.Caption(), "剩余：0小时0分0秒") << seconds;
        int loops = 0;
        for (const SoundCall& c : fresh.sounds())
            if (c.loop) {
                ++loops;
                EXPECT_EQ(c.atMs, armed + 1000) << seconds;
            }
        EXPECT_EQ(loops, 1) << seconds;
        EXPECT_EQ(p.main.时钟倒计.Interval(), 0) << seconds;
    }
}

TEST_F(Countdown, PastedFieldTextsLoseOneLeadingZeroOnly) {
    const struct {
        const char* pasted;
        const char* kept;
    } rows[] = {{"07", "7"}, {"00", "0"}, {"09", "9"}, {"10", "10"}, {"007", "007"}, {"0", "0"}, {"0a", "0a"}};
    Start();
    for (const auto& r : rows) {
        bar().秒1.UserEdited(r.pasted);
        EXPECT_EQ(bar().秒1.Content(), r.kept) << r.pasted;
    }
}

TEST_F(Countdown, TypingZeroThenADigitLeavesTheDigit) {
    Start();
    Type(bar().秒1, "07");
    EXPECT_EQ(bar().秒1.Content(), "7");
    Type(bar().分1, "10");
    EXPECT_EQ(bar().分1.Content(), "10");
}

TEST_F(Countdown, DoubleClickSetsTheFieldToZeroAndTakesBackTheAction) {
    Start();
    PickAction("布谷鸟");
    desk.RunPending();
    bar().分1.UserDoubleClicked();
    EXPECT_EQ(bar().分1.Content(), "0");
    EXPECT_EQ(bar().组合框声音.CurrentIndex(), -1);
}

TEST_F(Countdown, RightClickDuringTheCountdownReachesZeroSilently) {
    Start();
    Arm("倒计", "0", "0", "10", "布谷鸟");
    desk.Advance(3000);
    bar().组合框声音.UserRightButtonUp();
    EXPECT_EQ(bar().组合框声音.CurrentIndex(), -1);
    desk.Advance(1000);
    EXPECT_EQ(bar().标签2.Caption(), "剩余：0小时0分6秒");  // still counting
    desk.Advance(6000);
    EXPECT_EQ(bar().标签2.Caption(), "剩余：0小时0分0秒");
    EXPECT_TRUE(LoopStarts(media::kBuiltinSound2).empty());
    EXPECT_FALSE(Sounding());
    EXPECT_FALSE(Flashing());
    EXPECT_EQ(bar().时钟监视变量.Interval(), 0);
    EXPECT_TRUE(desk.balloons().empty());
    EXPECT_TRUE(Announced(desk, kDue).empty());
}

TEST_F(Countdown, EditingATimeWhileArmedTakesBackTheActionButNotTheCount) {
    Start();
    Arm("倒计", "0", "1", "0", "嘀嗒叫");
    desk.Advance(2000);
    // The fields are hidden while counting; a program write reaches them all the same.
    bar().时1.Content("0");
    EXPECT_EQ(bar().组合框声音.CurrentIndex(), -1);
    desk.Advance(1000);
    EXPECT_EQ(bar().标签2.Caption(), "剩余：0小时0分57秒");
}

TEST_F(Countdown, ChangingTheKindLeavesNothingSelected) {
    Start();
    PickAction("布谷鸟");
    for (const char* kind : {"指定", "整点", "倒计"}) {
        PickAction("风铃响");
        PickKind(kind);
        EXPECT_EQ(bar().组合框声音.CurrentIndex(), -1) << kind;
        EXPECT_TRUE(bar().时1.visible()) << kind;
    }
}

TEST_F(Countdown, ChoosingASeparatorClearsTheListAndDisarms) {
    Start();
    Arm("倒计", "0", "0", "30", "布谷鸟");
    desk.Advance(2000);
    const std::size_t before = desk.sounds().size();
    desk.Select(bar().组合框声音, 4);
    EXPECT_EQ(bar().组合框声音.CurrentIndex(), -1);
    EXPECT_EQ(bar().时钟倒计.Interval(), 0);
    EXPECT_TRUE(bar().时1.visible());
    EXPECT_FALSE(bar().标签2.visible());
    ASSERT_GT(desk.sounds().size(), before);
    EXPECT_EQ(desk.sounds().back().what, SoundCall::What::StopAudio);
    desk.Select(bar().组合框声音, 6);
    EXPECT_EQ(bar().组合框声音.CurrentIndex(), -1);
    desk.Advance(60000);
    EXPECT_TRUE(LoopStarts(media::kBuiltinSound2).empty());
}

TEST_F(Countdown, StopDisarms) {
    Start();
    Arm("倒计", "0", "0", "5", "嘀嗒叫");
    desk.Advance(6000);
    ASSERT_TRUE(Sounding());
    desk.Choose(bar().停止);
    EXPECT_FALSE(Sounding());
    EXPECT_EQ(bar().组合框声音.CurrentIndex(), -1);
    EXPECT_TRUE(bar().时1.visible());
    EXPECT_EQ(bar().时钟闪烁.Interval(), 0);
    EXPECT_EQ(bar().标签2.TextColor(), 0u);
}

TEST_F(Countdown, EachActionStoresItsCode) {
    const struct {
        const char* action;
        const char* code;
    } rows[] = {{"嘀嗒叫", "0"}, {"布谷鸟", "1"}, {"风铃响", "2"}, {"音乐…", "3"},
                {"全屏", "5"},   {"关机", "7"},   {"休眠", "8"},   {"关屏", "9"}};
    desk.AddFile("C:\\music\\a.mp3");
    Store("MP3路径", "C:\\music\\a.mp3");
    Start();
    for (const auto& r : rows) {
        PickAction(r.action);
        EXPECT_EQ(Stored("默认事件"), r.code) << r.action;
        EXPECT_EQ(bar().组合框声音.Content(), r.action);
        desk.Choose(bar().停止);
    }
}

TEST_F(Countdown, MutedChimeShowsTheNoticePlaysNothingAndStillArms) {
    Store("软件静音", "1");
    Store("闹铃时长", "3");  // would ask with the sounding speaker; the crossed one asks nothing
    Start();
    desk.AnswerMessage(kOk);
    Arm("倒计", "0", "0", "5", "布谷鸟");
    ASSERT_EQ(desk.messages().size(), 1u);
    EXPECT_EQ(desk.messages()[0].text, "软件已设置静音运行，所设置的声音将被忽略！（软件设置里可取消静音运行）");
    EXPECT_EQ(desk.messages()[0].title, "重要提醒：");
    EXPECT_EQ(desk.messages()[0].style, 0x40);
    EXPECT_TRUE(desk.sounds().empty());
    EXPECT_FALSE(Stored("默认事件"));
    EXPECT_EQ(bar().标签2.Caption(), "剩余：0小时0分5秒");
    desk.Advance(5000);
    EXPECT_FALSE(Sounding());
    EXPECT_TRUE(Flashing());
}

TEST_F(Countdown, ShortRingIsQuestionedUpToThreeSeconds) {
    const struct {
        const char* duration;
        bool asks;
    } rows[] = {{"3", true}, {"3.5", false}, {"2", true}, {"0", true}, {"abc", true}, {"4", false}, {"180", false}};
    for (const auto& r : rows) {
        HeadlessDesktop fresh;
        fresh.registry().SetValue(kCurrentUser, kOptionsKey, "闹铃时长", RegValue{RegType::Sz, r.duration, 0, {}});
        Program p(fresh);
        p.Start();
        if (r.asks) fresh.AnswerMessage(kYes);
        fresh.Select(p.main.组合框声音, IndexOf(p.main.组合框声音, "嘀嗒叫"));
        ASSERT_EQ(fresh.messages().size(), r.asks ? 1u : 0u) << r.duration;
        if (r.asks) {
            EXPECT_EQ(fresh.messages()[0].text,
                      std::string("你的闹钟响铃时间太短，只有 ") + r.duration + " 秒，点“是”继续，点“否”返回操作。");
            EXPECT_EQ(fresh.messages()[0].title, "响铃时间过短");
            EXPECT_EQ(fresh.messages()[0].style, 0x24);
        }
        EXPECT_EQ(p.main.时钟倒计.Interval(), 1000) << r.duration;
    }
}

TEST_F(Countdown, NoToTheShortRingQuestionArmsNothingButKeepsTheChoice) {
    Store("闹铃时长", "3");
    Start();
    desk.AnswerMessage(kNo);
    PickAction("风铃响");
    EXPECT_EQ(bar().组合框声音.Content(), "风铃响");
    EXPECT_EQ(bar().时钟倒计.Interval(), 0);
    EXPECT_TRUE(bar().时1.visible());
    desk.Advance(40 * 60 * 1000);
    EXPECT_TRUE(LoopStarts(media::kBuiltinSound3).empty());
}

// The short-ring question is about the new choice: until it is answered Yes that choice is not armed, so
// the arming it replaces cannot carry it out. A shutdown the user declined, or had not confirmed yet, never
// runs at the old moment.
TEST_F(Countdown, TheShortRingQuestionArmsTheNewChoiceOnlyOnYes) {
    const struct {
        const char* road;
        bool rightClickFirst;
        std::int64_t askedMs;  // how long the question stays open
        int answer;
        std::optional<std::int64_t> shutdownAfterAnswerMs;
    } rows[] = {
        {"No while the old countdown runs", false, 0, kNo, std::nullopt},
        {"No after a right-click took back the old choice", true, 0, kNo, std::nullopt},
        {"the old moment passes while asking, then No", false, 15000, kNo, std::nullopt},
        {"the old moment passes while asking, then Yes", false, 15000, kYes, 10000},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.road);
        HeadlessDesktop fresh;
        fresh.registry().SetValue(kCurrentUser, kOptionsKey, "闹铃时长", RegValue{RegType::Sz, "3", 0, {}});
        Program p(fresh);
        p.Start();
        fresh.TypeInto(p.main.分1, "\b\b0");
        fresh.TypeInto(p.main.秒1, "\b10");
        fresh.AnswerMessage(kYes);
        fresh.Select(p.main.组合框声音, IndexOf(p.main.组合框声音, "布谷鸟"));
        fresh.Advance(2000);
        if (r.rightClickFirst) p.main.组合框声音.UserRightButtonUp();
        std::int64_t answered = 0;
        fresh.AnswerMessage([&](const MessageCall&) {
            fresh.Advance(r.askedMs);
            answered = fresh.Monotonic();
            return MessageAnswer{r.answer};
        });
        fresh.Select(p.main.组合框声音, IndexOf(p.main.组合框声音, "关机"));
        fresh.Advance(60000);
        std::vector<std::int64_t> shutdowns;
        for (const SystemCall& c : fresh.systemCalls())
            if (c.what == SystemCall::What::Shutdown) shutdowns.push_back(c.atMs);
        if (r.shutdownAfterAnswerMs) {
            EXPECT_EQ(shutdowns, std::vector<std::int64_t>{answered + *r.shutdownAfterAnswerMs});
        } else {
            EXPECT_TRUE(shutdowns.empty());
            for (Timer* t : {&p.main.时钟倒计, &p.main.时钟指定, &p.main.时钟整点})
                EXPECT_EQ(t->Interval(), 0) << t->name();
        }
    }
}

TEST_F(Countdown, KeepsCountingWhileTheShortRingQuestionIsOpen) {
    Store("闹铃时长", "3");
    Start();
    desk.AnswerMessage(kYes);
    Arm("倒计", "0", "0", "30", "嘀嗒叫");
    desk.Advance(5000);
    ASSERT_EQ(bar().标签2.Caption(), "剩余：0小时0分25秒");
    std::string shownWhileAsking;
    desk.AnswerMessage([&](const MessageCall&) {
        desk.Advance(10000);
        shownWhileAsking = bar().标签2.Caption();
        return MessageAnswer{kYes};
    });
    PickAction("风铃响");
    EXPECT_EQ(shownWhileAsking, "剩余：0小时0分15秒");
    // Choosing again re-arms from the hidden fields.
    const std::int64_t rearmed = Now();
    EXPECT_EQ(bar().标签2.Caption(), "剩余：0小时0分30秒");
    desk.Advance(31000);
    EXPECT_TRUE(LoopStarts(media::kBuiltinSound1).empty());
    ASSERT_EQ(LoopStarts(media::kBuiltinSound3).size(), 1u);
    EXPECT_GE(LoopStarts(media::kBuiltinSound3)[0], rearmed + 30000);
    EXPECT_LT(LoopStarts(media::kBuiltinSound3)[0], rearmed + 31000);
}

TEST_F(Countdown, MusicWithoutAStoredPathAsksForAFile) {
    Start();
    desk.AnswerFile(true, "C:\\music\\wake.mp3");
    PickAction("音乐…");
    ASSERT_EQ(desk.fileDialogs().size(), 1u);
    EXPECT_EQ(desk.fileDialogs()[0].filter, "MP3文件（*.mp3）|*.mp3||");
    EXPECT_EQ(Stored("MP3路径"), "C:\\music\\wake.mp3");
    EXPECT_EQ(bar().时钟倒计.Interval(), 1000);
}

TEST_F(Countdown, MusicDialogCancelledStoresTheLastConfirmedName) {
    Start();
    desk.AnswerFile(true, "C:\\music\\first.mp3");
    desk.Choose(bar().自定义闹铃音乐);
    desk.registry().DeleteValue(kCurrentUser, kOptionsKey, "MP3路径");
    desk.AnswerFile(false, "");
    PickAction("音乐…");
    EXPECT_EQ(Stored("MP3路径"), "C:\\music\\first.mp3");
    EXPECT_EQ(bar().组合框声音.Content(), "音乐…");
}

TEST_F(Countdown, MissingMusicFileIsReportedForgottenAndAskedForAgain) {
    Store("MP3路径", "C:\\gone\\old.mp3");
    Start();
    desk.AnswerMessage(kOk);
    desk.AnswerFile(true, "C:\\music\\new.mp3");
    PickAction("音乐…");
    ASSERT_EQ(desk.messages().size(), 1u);
    EXPECT_EQ(desk.messages()[0].text, "“C:\\gone\\old.mp3” 文件不存在，请重新指定！");
    EXPECT_EQ(desk.messages()[0].title, "错误：");
    EXPECT_EQ(desk.messages()[0].style, 0x10);
    EXPECT_EQ(desk.fileDialogs().size(), 1u);
    EXPECT_EQ(Stored("MP3路径"), "C:\\music\\new.mp3");
}

TEST_F(Countdown, ExistingMusicFileIsTakenWithoutAsking) {
    desk.AddFile("C:\\music\\a.mp3");
    Store("MP3路径", "C:\\music\\a.mp3");
    Start();
    PickAction("音乐…");
    EXPECT_TRUE(desk.fileDialogs().empty());
    EXPECT_TRUE(desk.messages().empty());
    EXPECT_EQ(bar().时钟倒计.Interval(), 1000);
}

}  // namespace
}  // namespace dida::scenario
