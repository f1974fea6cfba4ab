// The options submenu: each command's live effect and what it leaves in the registry.
#include "bar_fixture.h"

namespace dida::scenario {
namespace {

using Options = Bar;

TEST_F(Options, PlainSwitchesWriteOneAndDeleteTheValue) {
    struct Row {
        MenuItem MainForm::*item;
        const char* value;
    };
    const Row rows[] = {{&MainForm::气泡提醒, "气球提示"},
                        {&MainForm::无操作时长鸣, "长鸣"},
                        {&MainForm::软件静音运行, "软件静音"},
                        {&MainForm::全屏时屏蔽ESC, "全屏ESC"},
                        {&MainForm::关机前30秒提醒, "三十秒提醒"}};
    Start();
    for (const Row& r : rows) {
        MenuItem& item = bar().*r.item;
        ASSERT_FALSE(item.Checked()) << r.value;
        desk.Choose(item);
        EXPECT_TRUE(item.Checked()) << r.value;
        EXPECT_EQ(Stored(r.value), "1") << r.value;
        desk.Choose(item);
        EXPECT_FALSE(item.Checked()) << r.value;
        EXPECT_FALSE(Stored(r.value)) << r.value;
        EXPECT_TRUE(desk.registry().KeyExists(kCurrentUser, kOptionsKey));
    }
}

TEST_F(Options, SwitchesSurviveARestart) {
    Start();
    desk.Choose(bar().气泡提醒);
    desk.Choose(bar().全屏时屏蔽ESC);
    desk.Choose(bar().随系统启动);
    Program again(desk);
    again.Start();
    EXPECT_TRUE(again.main.气泡提醒.Checked());
    EXPECT_TRUE(again.main.全屏时屏蔽ESC.Checked());
    EXPECT_TRUE(again.main.随系统启动.Checked());
    EXPECT_FALSE(again.main.关机前30秒提醒.Checked());
}

TEST_F(Options, StartWithTheSystemWritesTheQuotedPathUnderTheMachine) {
    desk.SetProgramPath("C:\\Program Files\\嘀嗒", "DidaMiniClock.exe");
    Start();
    desk.Choose(bar().随系统启动);
    EXPECT_TRUE(bar().随系统启动.Checked());
    EXPECT_EQ(RunEntry(), "\"C:\\Program Files\\嘀嗒\\DidaMiniClock.exe\"");
    EXPECT_FALSE(desk.registry().Text(kCurrentUser, std::string(kRunKey) + "\\TORV"));
    desk.Choose(bar().随系统启动);
    EXPECT_FALSE(bar().随系统启动.Checked());
    EXPECT_FALSE(RunEntry());
}

TEST_F(Options, TurningStartOffDeletesWhateverPathTheEntryHeld) {
    desk.registry().SetValue(kLocalMachine, kRunKey, "TORV", RegValue{RegType::Sz, "D:\\old\\clock.exe", 0, {}});
    desk.AddFile("D:\\old\\clock.exe");  // another copy, still there
    Start();
    ASSERT_FALSE(bar().随系统启动.Checked());
    desk.Choose(bar().随系统启动);
    desk.Choose(bar().随系统启动);
    EXPECT_FALSE(RunEntry());
}

TEST_F(Options, AFailedWriteOrDeleteKeepsTheOldCheckMark) {
    Start();
    // Where the machine refuses, the user's own entry is written; only with both refusing the mark stays off.
    desk.registry().SetWriteProtected(kLocalMachine, true);
    desk.registry().SetWriteProtected(kCurrentUser, true);
    desk.Choose(bar().随系统启动);
    EXPECT_FALSE(bar().随系统启动.Checked());
    EXPECT_FALSE(RunEntry());

    desk.registry().SetWriteProtected(kLocalMachine, false);
    desk.registry().SetWriteProtected(kCurrentUser, false);
    desk.Choose(bar().随系统启动);
    ASSERT_TRUE(bar().随系统启动.Checked());
    desk.registry().SetWriteProtected(kLocalMachine, true);
    desk.AnswerMessage(kOk);
    desk.Choose(bar().随系统启动);
    EXPECT_TRUE(bar().随系统启动.Checked());
    EXPECT_TRUE(RunEntry());

    desk.registry().SetWriteProtected(kCurrentUser, true);
    desk.Choose(bar().软件静音运行);
    EXPECT_FALSE(bar().软件静音运行.Checked());
    EXPECT_FALSE(bar().超级按钮开始.disable());
    desk.Choose(bar().无操作时长鸣);
    EXPECT_FALSE(bar().无操作时长鸣.Checked());
    EXPECT_FALSE(bar().设置闹铃时长.Disabled());
}

TEST_F(Options, TurningOffAValueAlreadyGoneCountsAsDone) {
    Store("气球提示", "1");
    Start();
    ASSERT_TRUE(bar().气泡提醒.Checked());
    desk.registry().DeleteValue(kCurrentUser, kOptionsKey, "气球提示");
    desk.Choose(bar().气泡提醒);
    EXPECT_FALSE(bar().气泡提醒.Checked());
}

TEST_F(Options, LongRingGreysTheDurationItem) {
    Start();
    desk.Choose(bar().无操作时长鸣);
    EXPECT_TRUE(bar().设置闹铃时长.Disabled());
    desk.Choose(bar().设置闹铃时长);  // greyed: nothing asks
    EXPECT_TRUE(desk.inputs().empty());
    desk.Choose(bar().无操作时长鸣);
    EXPECT_FALSE(bar().设置闹铃时长.Disabled());
}

TEST_F(Options, MuteSwapsTheSpeakerPicturesAndTooltips) {
    Start();
    SuperBtn& speaker = bar().超级按钮开始;
    desk.Choose(bar().软件静音运行);
    EXPECT_TRUE(speaker.disable());
    EXPECT_EQ(speaker.ToolTip(), "已设置为静音");
    EXPECT_TRUE(SameBytes(speaker.PicOut(), media::kSpeakerCrossed));
    EXPECT_TRUE(SameBytes(speaker.PicIn(), media::kSpeakerCrossedOrange));
    desk.Choose(bar().软件静音运行);
    EXPECT_FALSE(speaker.disable());
    EXPECT_EQ(speaker.ToolTip(), "点击关闭声音");
    EXPECT_TRUE(SameBytes(speaker.PicOut(), media::kSpeakerWaves));
    EXPECT_TRUE(SameBytes(speaker.PicIn(), media::kSpeakerWavesOrange));
    // Sounding again: a short ring is questioned once more.
    desk.AnswerInput(true, "2");
    desk.Choose(bar().设置闹铃时长);
    desk.AnswerMessage(kNo);
    PickAction("嘀嗒叫");
    EXPECT_EQ(desk.messages().size(), 1u);
}

TEST_F(Options, RingDurationBox) {
    const struct {
        bool confirm;
        const char* typed;
        const char* caption;
        std::optional<std::string> stored;
    } rows[] = {{true, "45", "45", "45"},
                {true, "", "", ""},
                {true, "4x5", "45", "45"},  // the box takes digits and '-' only
                {false, "60", "180", std::nullopt}};
    for (const auto& r : rows) {
        HeadlessDesktop fresh;
        Program p(fresh);
        p.Start();
        fresh.AnswerInput(r.confirm, r.typed);
        fresh.Choose(p.main.设置闹铃时长);
        ASSERT_EQ(fresh.inputs().size(), 1u);
        EXPECT_EQ(fresh.inputs()[0].prompt, "请输入闹铃的时长，单位为“秒”");
        EXPECT_EQ(fresh.inputs()[0].caption, "输入时间：");
        EXPECT_EQ(fresh.inputs()[0].initial, "180");
        EXPECT_EQ(fresh.inputs()[0].mode, 2);
        EXPECT_EQ(p.main.标签闹铃时长.Caption(), r.caption) << r.typed;
        EXPECT_EQ(fresh.registry().Text(kCurrentUser, "Software\\TORV\\闹铃时长"), r.stored) << r.typed;
    }
}

TEST_F(Options, MusicCommandPlaysTheChosenFileOnceAndStoresIt) {
    Start();
    desk.AddFile("C:\\music\\wake.mp3");
    desk.AnswerFile(true, "C:\\music\\wake.mp3");
    desk.Choose(bar().自定义闹铃音乐);
    // Whatever played stops first: the chosen music is heard alone.
    ASSERT_EQ(desk.sounds().size(), 2u);
    EXPECT_EQ(desk.sounds()[0].what, SoundCall::What::StopAudio);
    EXPECT_EQ(desk.sounds()[1].what, SoundCall::What::PlayMp3);
    EXPECT_EQ(desk.sounds()[1].times, 1);
    EXPECT_EQ(desk.sounds()[1].files, std::vector<std::string>{"C:\\music\\wake.mp3"});
    EXPECT_EQ(Stored("MP3路径"), "C:\\music\\wake.mp3");
}

TEST_F(Options, CancellingTheMusicDialogChangesNothing) {
    Store("MP3路径", "C:\\music\\kept.mp3");
    Start();
    desk.AnswerFile(false, "");
    desk.Choose(bar().自定义闹铃音乐);
    EXPECT_TRUE(desk.sounds().empty());
    EXPECT_EQ(Stored("MP3路径"), "C:\\music\\kept.mp3");
}

}  // namespace
}  // namespace dida::scenario
