// The bar's life: placed at start, shown and hidden through the tray, and the ways of closing.
#include <gtest/gtest.h>

#include "app/program.h"
#include "platform/headless/headless_desktop.h"

namespace dida {
namespace {

struct Shell : ::testing::Test {
    HeadlessDesktop desk;
    Program program{desk};
    MainForm& bar = program.main;

    void SetUp() override {
        desk.SetScreen(1920, 1080);
        desk.SetStartWindow(&bar);
        program.Start();
    }
    void Arm() {
        desk.Select(bar.组合框声音, 5);  // "全屏": arms without a preview sound
        ASSERT_EQ(bar.组合框声音.CurrentIndex(), 5);
    }
};

TEST_F(Shell, StartPlacesTheBarAtTheTopEdge) {
    EXPECT_EQ(bar.left(), 1464);
    EXPECT_EQ(bar.top(), 0);
    EXPECT_EQ(bar.width(), 316);
    EXPECT_EQ(bar.height(), 22);
    EXPECT_TRUE(bar.visible());
    EXPECT_EQ(bar.组合框声音.CurrentIndex(), -1);
}

TEST_F(Shell, TrayDoubleClickTogglesAndShowItemOnlyShows) {
    desk.TrayEvent(bar.托盘图标1, 1);
    EXPECT_FALSE(bar.visible());
    desk.TrayEvent(bar.托盘图标1, 1);
    EXPECT_TRUE(bar.visible());
    desk.Choose(bar.显示界面);
    EXPECT_TRUE(bar.visible());
    desk.Click(bar.超级按钮最小化);
    EXPECT_FALSE(bar.visible());
    desk.TrayEvent(bar.托盘图标1, 0);  // a single click does nothing
    EXPECT_FALSE(bar.visible());
    desk.Choose(bar.显示界面);
    EXPECT_TRUE(bar.visible());
}

TEST_F(Shell, RightClickOnTheTrayPopsUpTheMenuOnce) {
    desk.TrayEvent(bar.托盘图标1, 2);
    EXPECT_EQ(desk.popupCount(), 1);
}

TEST_F(Shell, CloseButtonWithNothingArmedClosesWithoutAQuestion) {
    desk.Click(bar.超级按钮1);
    EXPECT_TRUE(desk.messages().empty());
    EXPECT_FALSE(bar.loaded());
    EXPECT_TRUE(desk.Quit());
}

TEST_F(Shell, LeavingWhileArmedAsksFirst) {
    struct Row {
        const char* road;
        std::function<void(Shell&)> act;
    };
    const Row rows[] = {
        {"close button", [](Shell& s) { s.desk.Click(s.bar.超级按钮1); }},
        {"Esc on the bar", [](Shell& s) { s.desk.PressEsc(s.bar); }},
        {"close request", [](Shell& s) { s.desk.RequestClose(s.bar); }},
    };
    for (const Row& r : rows) {
        Arm();
        desk.AnswerMessage(kNo);
        r.act(*this);
        ASSERT_FALSE(desk.messages().empty()) << r.road;
        const MessageCall& asked = desk.messages().back();
        EXPECT_EQ(asked.text, "闹钟提醒正在运行，确定要关闭软件吗？") << r.road;
        EXPECT_EQ(asked.title, "重要提示：");
        EXPECT_EQ(asked.style, 0x34);
        EXPECT_TRUE(bar.loaded()) << r.road;
        EXPECT_EQ(bar.组合框声音.CurrentIndex(), 5) << r.road << ": still armed";
    }
    desk.AnswerMessage(kYes);
    desk.PressEsc(bar);
    EXPECT_FALSE(bar.loaded());
}

TEST_F(Shell, ExitItemClosesAtOnceWhileArmed) {
    Arm();
    desk.Choose(bar.退出软件);
    EXPECT_TRUE(desk.messages().empty());
    EXPECT_FALSE(bar.loaded());
}

TEST_F(Shell, HiddenBarKeepsCountingAndShowsItselfWhenItFires) {
    desk.Select(bar.组合框类型, 0);
    bar.时1.Content("0");
    bar.分1.Content("0");
    bar.秒1.Content("3");
    desk.Select(bar.组合框声音, 1);
    desk.Click(bar.超级按钮最小化);
    desk.Advance(2000);
    EXPECT_FALSE(bar.visible());
    desk.Advance(1000 + 250);
    EXPECT_TRUE(bar.visible());
}

}  // namespace
}  // namespace dida
