// The stopwatch game and the two information boxes of the tray menu, as a user meets them.
#include <gtest/gtest.h>

#include "app/program.h"
#include "platform/headless/headless_desktop.h"
#include "tools/info.h"
#include "ui/media/media.h"

namespace dida {
namespace {

struct Stopwatch : ::testing::Test {
    HeadlessDesktop desk;
    Program program{desk};
    StopwatchForm& w = program.stopwatch;

    void SetUp() override {
        desk.SetStartWindow(&program.main);
        program.Start();
        desk.Choose(program.main.计时秒表);
        ASSERT_TRUE(w.loaded());
    }
    // One run: start, let `ms` pass, stop.
    void Run(std::int64_t ms) {
        desk.Click(w.按钮1);
        desk.Advance(ms);
        desk.Click(w.按钮1);
    }
};

TEST_F(Stopwatch, OpensIdleAndCountsWholeSecondsWhileRunning) {
    EXPECT_TRUE(SameBytes(w.图片框1.Picture(), media::kGifIdle));
    EXPECT_EQ(w.标签秒时间.Caption(), "0");
    desk.Click(w.按钮1);
    EXPECT_EQ(w.按钮1.Caption(), "停止");
    EXPECT_EQ(w.标签提示.Caption(), "速度，疯狂计时中……");
    EXPECT_TRUE(SameBytes(w.图片框1.Picture(), media::kGifRunning));
    desk.Advance(999);
    EXPECT_EQ(w.标签秒时间.Caption(), "0");
    desk.Advance(3001);
    EXPECT_EQ(w.标签秒时间.Caption(), "4");
}

TEST_F(Stopwatch, FirstRunAsksForAnother) {
    struct Row {
        std::int64_t ms;
        const char* result;
    };
    for (const Row& r : {Row{4000, "4"}, Row{300, "0"}}) {
        desk.UnloadWindow(w);
        desk.RunPending();
        desk.Choose(program.main.计时秒表);
        Run(r.ms);
        EXPECT_EQ(w.标签本次.Caption(), r.result);
        EXPECT_EQ(w.标签上次.Caption(), "");
        EXPECT_EQ(w.标签提示.Caption(), "要不再来一次，看看下次有没进步？");
        EXPECT_TRUE(SameBytes(w.图片框1.Picture(), media::kGifIdle));
        EXPECT_EQ(w.按钮1.Caption(), "开始");
    }
}

TEST_F(Stopwatch, VerdictComparesWithThePreviousRun) {
    struct Row {
        std::int64_t previousMs, thisMs;
        const char* hint;
        Blob picture;
    };
    const Row rows[] = {
        {5000, 3000, "哇，真棒，比上次快了2秒，太牛了！", media::kGifFaster},
        {3000, 5000, "嗯，比上次慢了2秒，要加油了！", media::kGifSlower},
        {4000, 4000, "呀，真巧，跟上次时间一样，再试试！", media::kGifSame},
    };
    for (const Row& r : rows) {
        Run(r.previousMs);
        Run(r.thisMs);
        EXPECT_EQ(w.标签提示.Caption(), r.hint);
        EXPECT_TRUE(SameBytes(w.图片框1.Picture(), r.picture)) << r.hint;
    }
}

TEST_F(Stopwatch, StartingMovesTheLastResultUpAndReopeningDoesNotReset) {
    Run(2000);
    desk.Click(w.按钮1);
    EXPECT_EQ(w.标签上次.Caption(), "2");
    EXPECT_EQ(w.标签本次.Caption(), "");
    desk.Advance(1000);
    desk.Choose(program.main.计时秒表);  // already open: brought forward only
    EXPECT_EQ(w.标签秒时间.Caption(), "1");
    EXPECT_EQ(w.按钮1.Caption(), "停止");
    desk.UnloadWindow(w);
    desk.RunPending();
    desk.Advance(5000);
    desk.Choose(program.main.计时秒表);
    EXPECT_EQ(w.标签秒时间.Caption(), "0");
    EXPECT_EQ(w.标签上次.Caption(), "");
    EXPECT_EQ(w.标签提示.Caption(), "按“空格”或“回车”键 开始/停止");
}

TEST(InfoBoxes, UptimeText) {
    struct Row {
        std::uint64_t tick;
        const char* text;
    };
    const Row rows[] = {
        {3725000u, "您的电脑目前已开机：1小时2分5秒"},
        {999u, "您的电脑目前已开机：0小时0分0秒"},
        {90u * 3600u * 1000u, "您的电脑目前已开机：90小时0分0秒"},
        {2147483648u, "您的电脑目前已开机：596小时31分23秒"},
        {4294967295u, "您的电脑目前已开机：1193小时2分47秒"},
        {4294967296u, "您的电脑目前已开机：1193小时2分47秒"},
        {50ull * 86400000u + 3725000u, "您的电脑目前已开机：1201小时2分5秒"},
    };
    for (const Row& r : rows) EXPECT_EQ(UptimeText(r.tick), r.text);
}

TEST(InfoBoxes, MenuShowsUptimeAndAboutBoxes) {
    HeadlessDesktop desk;
    Program program{desk};
    program.Start();
    desk.SetTickStart(std::int32_t(-2147483647 - 1));  // past 24.8 days the count is negative as signed
    desk.AnswerMessage(kOk);
    desk.AnswerMessage(kOk);
    desk.AnswerMessage(kOk);
    desk.Choose(program.main.开机时长);
    desk.Choose(program.main.关于);
    desk.SetUptime(50ll * 86400000 + 3725000);  // past 49.7 days the 32-bit count has started again from 0
    desk.Choose(program.main.开机时长);
    ASSERT_EQ(desk.messages().size(), 3u);
    EXPECT_EQ(desk.messages()[2].text, "您的电脑目前已开机：1201小时2分5秒");
    EXPECT_EQ(desk.messages()[0].text, "您的电脑目前已开机：596小时31分23秒");
    EXPECT_EQ(desk.messages()[0].title, "开机时长查看");
    EXPECT_EQ(desk.messages()[0].style, 0);
    EXPECT_EQ(desk.messages()[1].title, "关于嘀嗒");
    EXPECT_EQ(desk.messages()[1].style, 0x40);
    const std::string& about = desk.messages()[1].text;
    EXPECT_EQ(
        about.rfind(std::string(34, '-') + "\r\n        嘀嗒迷你闹钟 V1.31\r\n" + std::string(34, '-') + "\r\n\r\n", 0),
        0u);
    EXPECT_NE(about.find("如使用中有任何问题，请反馈到："), std::string::npos);
}

}  // namespace
}  // namespace dida
