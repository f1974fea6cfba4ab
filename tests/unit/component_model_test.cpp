// The component model on the simulated desktop: timer rules, nested loops, the queued close, the
// loaded check, window events, the registry rules — through the program's own windows and control names.
#include <gtest/gtest.h>

#include "gui/menu_tree.h"
#include "platform/fatal.h"
#include "platform/headless/headless_desktop.h"
#include "ui/forms.h"

namespace dida {
namespace {

struct Model : ::testing::Test {
    HeadlessDesktop desk;
    MainForm main;
    WarningForm warning;
    FullScreenForm full;
    std::vector<std::int64_t> ticks;

    void SetUp() override { ASSERT_TRUE(desk.LoadWindow(main, false)); }
    void CountTicks(Timer& t) {
        t.onTick = [this] { ticks.push_back(desk.Monotonic()); };
    }
};

TEST_F(Model, IntervalRuleTable) {
    struct Row {
        const char* what;
        int write;
        int readBack;
    };
    const Row rows[] = {{"negative stops", -5, 0}, {"zero stops", 0, 0}, {"positive runs", 250, 250}};
    for (const Row& r : rows) {
        main.时钟倒计.Interval(1000);
        main.时钟倒计.Interval(r.write);
        EXPECT_EQ(main.时钟倒计.Interval(), r.readBack) << r.what;
    }
}

TEST_F(Model, WritingTheSameIntervalDoesNotRestartThePeriod) {
    CountTicks(main.时钟倒计);
    main.时钟倒计.Interval(1000);
    desk.Advance(600);
    main.时钟倒计.Interval(1000);
    desk.Advance(500);
    ASSERT_EQ(ticks.size(), 1u);
    EXPECT_EQ(ticks[0], 1000);
}

TEST_F(Model, ANewIntervalRestartsThePeriodNow) {
    CountTicks(main.时钟倒计);
    main.时钟倒计.Interval(1000);
    desk.Advance(600);
    main.时钟倒计.Interval(2000);
    desk.Advance(2000);
    ASSERT_EQ(ticks.size(), 1u);
    EXPECT_EQ(ticks[0], 2600);
}

TEST_F(Model, MissedExpiriesCollapseIntoOne) {
    int n = 0;
    main.时钟闪烁.onTick = [&] {
        ++n;
        if (n == 1) desk.Delay(1000);  // the handler blocks for four periods
    };
    main.时钟闪烁.Interval(250);
    desk.Advance(1260);
    // 250: first tick (blocks to 1250), 1250: one collapsed expiry; the next is due at 1500.
    EXPECT_EQ(n, 2);
    desk.Advance(250);
    EXPECT_EQ(n, 3);
}

TEST_F(Model, TimersTickInsideANestedMessageBoxLoop) {
    CountTicks(main.时钟倒计);
    main.时钟倒计.Interval(1000);
    desk.AnswerMessage([&](const MessageCall&) {
        desk.Advance(3500);
        return MessageAnswer{kYes};
    });
    const int result = desk.ShowMessage("q", 0x24, "");
    EXPECT_EQ(result, kYes);
    EXPECT_EQ(ticks.size(), 3u);
    ASSERT_EQ(desk.messages().size(), 1u);
    EXPECT_EQ(desk.messages()[0].title, "信息：");
}

TEST_F(Model, WritingContentRaisesChangedButCurrentIndexRaisesNothing) {
    int changed = 0, selected = 0;
    main.分1.onChange = [&] { ++changed; };
    main.组合框声音.onSelChange = [&] { ++selected; };
    main.分1.Content("30");  // the same text again still raises it
    main.分1.Content("15");
    main.组合框声音.CurrentIndex(3);
    EXPECT_EQ(changed, 2);
    EXPECT_EQ(selected, 0);
    EXPECT_EQ(main.组合框声音.Content(), "音乐…");
    main.组合框声音.CurrentIndex(99);
    EXPECT_EQ(main.组合框声音.Content(), "关屏");
    main.组合框声音.CurrentIndex(-7);
    EXPECT_EQ(main.组合框声音.CurrentIndex(), -1);
    EXPECT_EQ(main.组合框声音.Content(), "");
}

TEST_F(Model, ASelectionFromThePeerIsClampedAsTheProgramsIs) {
    struct Row {
        int picked;
        int index;
        const char* content;
    } rows[] = {{3, 3, "音乐…"}, {99, 9, "关屏"}, {-5, -1, ""}, {10, 9, "关屏"}};
    int raised = 0;
    main.组合框声音.onSelChange = [&] { ++raised; };
    for (const Row& r : rows) {
        desk.Select(main.组合框声音, r.picked);
        EXPECT_EQ(main.组合框声音.CurrentIndex(), r.index) << r.picked;
        EXPECT_EQ(main.组合框声音.Content(), r.content) << r.picked;
    }
    EXPECT_EQ(raised, 4);
}

// A menu item's Disabled / Visible and the common disable / visible are one state: greying 停止 through
// either name shows in the pop-up and stops its handler.
TEST_F(Model, AMenuItemHasOneSetOfFlags) {
    int stopped = 0;
    main.停止.onChosen = [&] { ++stopped; };
    auto shownGreyed = [&](const MenuItem& item) {
        for (const PopupEntry& e : PopupOf(main, main.右键))
            if (e.item == &item) return std::optional<bool>(e.item->RawDisabled());
        return std::optional<bool>();
    };
    main.停止.disable(true);
    EXPECT_TRUE(main.停止.Disabled());
    EXPECT_EQ(shownGreyed(main.停止), std::optional<bool>(true));
    desk.Choose(main.停止);
    EXPECT_EQ(stopped, 0);
    main.停止.Disabled(false);
    EXPECT_FALSE(main.停止.disable());
    desk.Choose(main.停止);
    EXPECT_EQ(stopped, 1);
    main.关于.visible(false);
    EXPECT_FALSE(main.关于.Visible());
    EXPECT_FALSE(shownGreyed(main.关于).has_value());  // not in the pop-up at all
    EXPECT_FALSE(main.右键.visible());                 // defined hidden, under either name
}

TEST_F(Model, TypingPassesTheTimeFieldFilter) {
    main.秒1.Content("");
    desk.TypeInto(main.秒1, "1a-2b\b3");
    EXPECT_EQ(main.秒1.Content(), "1-3");
}

TEST_F(Model, AFreshWindowShowsItsDefinition) {
    main.组合框类型.CurrentIndex(2);
    main.分1.Content("7");
    desk.UnloadWindow(main);
    desk.RunPending();
    ASSERT_TRUE(desk.LoadWindow(main, false));
    EXPECT_EQ(main.组合框类型.Content(), "倒计");
    EXPECT_EQ(main.组合框声音.Content(), "嘀嗒叫");
    EXPECT_EQ(main.时1.Content(), "0");
    EXPECT_EQ(main.分1.Content(), "30");
    EXPECT_EQ(main.秒1.Content(), "0");
    EXPECT_TRUE(main.关机前30秒提醒.Checked());
    EXPECT_FALSE(main.右键.Visible());
    EXPECT_EQ(main.CommonByIndex(2), 316);
    EXPECT_EQ(main.CommonByIndex(3), 105);
}

TEST_F(Model, CloseIsQueuedUntilTheHandlerEnds) {
    desk.LoadWindow(warning, false);
    desk.UnloadWindow(warning);
    // Still there inside the same handler.
    EXPECT_EQ(warning.标签2.Caption(), "30");
    EXPECT_TRUE(warning.closing());
    desk.RunPending();
    EXPECT_FALSE(warning.loaded());
    try {
        (void)warning.标签2.Caption();
        FAIL() << "reading a control of an unloaded window must be fatal";
    } catch (const FatalErrorRaised& e) {
        EXPECT_STREQ(e.what(), "未载入欲访问窗口组件所在的窗口");
    }
}

TEST_F(Model, UnloadingAWindowThatIsNotLoadedIsFatal) {
    try {
        desk.UnloadWindow(warning);
        FAIL();
    } catch (const FatalErrorRaised& e) {
        EXPECT_STREQ(e.what(), "指定窗口或窗口组件不存在或尚未载入");
    }
    EXPECT_EQ(FatalBoxText("x"), "运行时出错!\r\n\r\n错误信息：x\r\n");
}

TEST_F(Model, LoadingWhileACloseIsPendingCreatesItAnew) {
    int created = 0, destroyed = 0;
    warning.onCreated = [&] { ++created; };
    warning.onDestroying = [&] { ++destroyed; };
    desk.LoadWindow(warning, false);
    warning.标签2.Caption("12");
    desk.UnloadWindow(warning);
    desk.LoadWindow(warning, false);
    EXPECT_EQ(created, 2);
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(warning.标签2.Caption(), "30");
    desk.RunPending();  // the stale close must not take the new window
    EXPECT_TRUE(warning.loaded());
}

TEST_F(Model, LoadingAnOpenWindowCreatesNoSecondCopy) {
    int created = 0;
    warning.onCreated = [&] { ++created; };
    desk.LoadWindow(warning, false);
    warning.标签2.Caption("20");
    EXPECT_TRUE(desk.LoadWindow(warning, true));  // returns at once, also when asked modal
    EXPECT_EQ(created, 1);
    EXPECT_EQ(warning.标签2.Caption(), "20");
}

TEST_F(Model, WindowEventsComeInOrderAndDesignTimersStart) {
    std::vector<std::string> order;
    warning.onCreated = [&] { order.push_back("created"); };
    warning.onPosChanged = [&] { order.push_back("pos"); };
    warning.onSizeChanged = [&] { order.push_back("size"); };
    int ticks30 = 0;
    warning.时钟三十秒.onTick = [&] { ++ticks30; };
    desk.LoadWindow(warning, false);
    EXPECT_EQ(order, (std::vector<std::string>{"created", "pos", "size"}));
    desk.Advance(3000);
    EXPECT_EQ(ticks30, 3);
    desk.UnloadWindow(warning);
    desk.Advance(3000);
    EXPECT_EQ(ticks30, 3);  // destroying the window cancelled its timer
}

TEST_F(Model, ModalLoadRunsANestedLoopAndDisablesTheOtherWindows) {
    int textTicks = 0;
    full.时钟更新文本.onTick = [&] {
        ++textTicks;
        EXPECT_TRUE(main.disable());
        if (textTicks == 5) desk.UnloadWindow(full);
    };
    full.onCreated = [&] { full.时钟更新文本.Interval(1000); };
    main.disable(false);
    EXPECT_TRUE(desk.LoadWindow(full, true));
    EXPECT_FALSE(full.loaded());
    EXPECT_EQ(textTicks, 5);
    EXPECT_EQ(desk.Monotonic(), 5000);
    EXPECT_FALSE(main.disable());
}

TEST_F(Model, EscClosesOnlyWhenTheWindowSaysSo) {
    desk.LoadWindow(warning, false);
    desk.PressEsc(warning);
    EXPECT_TRUE(warning.loaded());
    desk.LoadWindow(full, false);
    full.EscCloses(true);
    desk.PressEsc(full);
    EXPECT_FALSE(full.loaded());
}

TEST_F(Model, RegistryRules) {
    auto& reg = desk.registry();
    const std::string flag = "Software\\TORV\\长鸣";
    EXPECT_EQ(desk.RegReadText(kCurrentUser, flag, "空"), "空");  // no key
    reg.CreateKey(kCurrentUser, "Software\\TORV");
    EXPECT_EQ(desk.RegReadText(kCurrentUser, flag, "空"), "空");  // key without the value
    EXPECT_TRUE(desk.RegWrite(kCurrentUser, flag, std::int32_t{1}));
    EXPECT_EQ(desk.RegReadText(kCurrentUser, flag, "空"), "空");  // a number is not a text
    reg.SetEnvironment("SystemRoot", "C:\\windows");
    reg.SetValue(kCurrentUser, "Software\\TORV", "MP3路径", RegValue{RegType::ExpandSz, "%SYSTEMROOT%\\x", 0, {}});
    EXPECT_EQ(desk.RegReadText(kCurrentUser, "Software\\TORV\\MP3路径"), "C:\\windows\\x");
    EXPECT_EQ(desk.RegReadText(static_cast<RootKey>(7), "Software\\TORV\\MP3路径"),
              "C:\\windows\\x");  // unknown hive → current user

    EXPECT_TRUE(desk.RegWrite(kLocalMachine, "Software\\New\\Deep\\v", std::string("1")));
    EXPECT_TRUE(reg.KeyExists(kLocalMachine, "Software\\New"));
    EXPECT_EQ(desk.RegReadText(kLocalMachine, "software\\NEW\\deep\\V"), "1");
    EXPECT_TRUE(desk.RegDelete(kLocalMachine, "Software\\New\\Deep\\v"));
    EXPECT_FALSE(desk.RegDelete(kLocalMachine, "Software\\New\\Deep\\v"));  // gone; no key of that path either
    EXPECT_FALSE(desk.RegDelete(kLocalMachine, "Software\\New"));           // still has a sub-key
    EXPECT_TRUE(desk.RegDelete(kLocalMachine, "Software\\New\\Deep"));      // the empty key itself

    reg.SetWriteProtected(kLocalMachine, true);
    EXPECT_FALSE(
        desk.RegWrite(kLocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion\\Run\\TORV", std::string("x")));
    EXPECT_FALSE(reg.Text(kLocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion\\Run\\TORV"));
}

TEST_F(Model, ClocksMoveApartOnJumpsAndTogetherOnSuspend) {
    desk.SetNow(ToDateTime("2024年5月1日23时59分59秒"));
    const auto tick0 = desk.TickCount();
    desk.Advance(1000);
    EXPECT_EQ(DateTimeToText(desk.Now()), "2024年5月2日");
    desk.JumpWallClock(-3600 * 1000);
    EXPECT_EQ(DateTimeToText(desk.Now()), "2024年5月1日23时");
    EXPECT_EQ(desk.TickCount() - tick0, 1000);
    desk.Suspend(7200 * 1000);
    EXPECT_EQ(DateTimeToText(desk.Now()), "2024年5月2日1时");
    EXPECT_EQ(desk.TickCount() - tick0, 7201000);
}

TEST_F(Model, LateTicksAndDroppedExpiries) {
    CountTicks(main.时钟倒计);
    desk.SetTimerLateness([](std::int64_t due) { return due == 2000 ? 900 : 0; });
    desk.SetTimerDrop([](std::int64_t due) { return due == 4000; });
    main.时钟倒计.Interval(1000);
    desk.Advance(5000);
    EXPECT_EQ(ticks, (std::vector<std::int64_t>{1000, 2900, 3000, 5000}));
}

}  // namespace
}  // namespace dida
