// The bar's life: placed at start, shown and hidden through the tray, and the ways of closing.
#include <gtest/gtest.h>

#include "app/program.h"
#include "gui/menu_tree.h"
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

TEST_F(Shell, TheBarFollowsTheWorkAreaUntilTheUserDragsItAway) {
    desk.SetWorkArea({0, 48, 1920, 1032});  // the taskbar moved to the top
    EXPECT_EQ(bar.left(), 1464);
    EXPECT_EQ(bar.top(), 48);
    desk.SetScreen(1280, 720);  // another resolution; the taskbar at the bottom again
    EXPECT_EQ(bar.left(), 824);
    EXPECT_EQ(bar.top(), 0);
    bar.UserMoved({300, 200, bar.width(), bar.height()});  // dragged by the user
    desk.SetWorkArea({0, 0, 1220, 720});
    EXPECT_EQ(bar.left(), 300);
    EXPECT_EQ(bar.top(), 200);
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

// The pop-up as a list of lines: a submenu's items indented under it, "-" for a separator.
void Describe(const std::vector<PopupEntry>& entries, const std::string& indent, std::vector<std::string>& out) {
    for (const PopupEntry& e : entries) {
        out.push_back(indent + (e.separator ? "-" : e.item->RawCaption()) + (e.opensSubmenu ? " >" : ""));
        Describe(e.submenu, indent + "  ", out);
    }
}

TEST_F(Shell, RightClickOnTheTrayPopsUpTheMenuOnce) {
    desk.TrayEvent(bar.托盘图标1, 2);
    EXPECT_EQ(desk.popupCount(), 1);
    ASSERT_EQ(desk.popups().size(), 1u);
    const PopupCall& shown = desk.popups()[0];
    EXPECT_EQ(shown.owner, "主窗口");
    EXPECT_EQ(shown.menu, "右键");
    EXPECT_FALSE(shown.x || shown.y);  // at the cursor
    std::vector<std::string> lines;
    Describe(shown.entries, "", lines);
    // After start-up no option has its check mark; the lines are the items of levels 1 and 2 in order.
    const std::vector<std::string> want = {"显示界面",
                                           "软件设置 >",
                                           "  随系统启动",
                                           "  气泡提醒",
                                           "  -",
                                           "  无操作时长鸣",
                                           "  设置闹铃时长",
                                           "  自定义闹铃音乐",
                                           "  软件静音运行",
                                           "  -",
                                           "  全屏时屏蔽ESC",
                                           "  关机前30秒提醒",
                                           "辅助功能 >",
                                           "  计时秒表",
                                           "  开机时长",
                                           "-",
                                           "停止",
                                           "-",
                                           "关于",
                                           "退出软件"};
    EXPECT_EQ(lines, want);
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

// A second start of the program reaches this copy as the tray's another-start event: the bar shows as
// 显示界面 shows it, and what runs goes on as it was.
TEST_F(Shell, AnotherStartShowsTheBarAndChangesNothingElse) {
    desk.Select(bar.组合框类型, 0);
    bar.时1.Content("0");
    bar.分1.Content("0");
    bar.秒1.Content("5");
    desk.Select(bar.组合框声音, 1);
    desk.Click(bar.超级按钮最小化);
    desk.Advance(1000);
    const std::string left = bar.标签2.Caption();
    desk.TrayEvent(bar.托盘图标1, 4);
    EXPECT_TRUE(bar.visible());
    EXPECT_EQ(bar.组合框声音.CurrentIndex(), 1) << "still armed";
    EXPECT_EQ(bar.标签2.Caption(), left);
    desk.Advance(1000);
    EXPECT_NE(bar.标签2.Caption(), left) << "still counting";
    // Hidden while it rings: shown again, and the ring goes on.
    desk.Advance(3000 + 250);
    ASSERT_FALSE(desk.playing().empty());
    desk.Click(bar.超级按钮最小化);
    desk.TrayEvent(bar.托盘图标1, 4);
    EXPECT_TRUE(bar.visible());
    EXPECT_FALSE(desk.playing().empty());
    EXPECT_NE(bar.时钟监视变量.Interval(), 0);
}

TEST_F(Shell, AnotherStartWhileTheBarIsClosingDoesNotBringItBack) {
    desk.Click(bar.超级按钮最小化);
    desk.UnloadWindow(bar);
    bar.托盘图标1.UserEvent(4);
    EXPECT_FALSE(bar.visible());
    desk.RunPending();
    EXPECT_FALSE(bar.loaded());
    EXPECT_TRUE(desk.Quit());
}

// Leaving from the tray while a box or the file dialog of the action list is up: the dialog's loop ends
// with the program (a box closed that way answers as cancelled) and the handler that opened it stops
// there, without touching the bar that has gone.
TEST(LeavingDuringADialog, TheHandlerThatOpenedItStops) {
    enum class First { Message, File, MessageThenFile };
    const struct {
        const char* road;
        std::function<void(HeadlessDesktop&, Program&)> before;
        const char* action;
        First dialog;
    } rows[] = {
        {"music, nothing stored: the file dialog", {}, "音乐…", First::File},
        {"music, the stored file is gone: the box saying so",
         [](HeadlessDesktop& d, Program&) {
             d.registry().SetValue(kCurrentUser, "Software\\TORV", "MP3路径",
                                   RegValue{RegType::Sz, "C:\\没了.mp3", 0, {}});
         },
         "音乐…", First::Message},
        {"music, the stored file is gone: the file dialog after the box",
         [](HeadlessDesktop& d, Program&) {
             d.registry().SetValue(kCurrentUser, "Software\\TORV", "MP3路径",
                                   RegValue{RegType::Sz, "C:\\没了.mp3", 0, {}});
         },
         "音乐…", First::MessageThenFile},
        {"a chime while muted: the notice", [](HeadlessDesktop& d, Program& p) { d.Choose(p.main.软件静音运行); },
         "布谷鸟", First::Message},
        {"a ring of three seconds: the question",
         [](HeadlessDesktop& d, Program& p) {
             d.AnswerInput(true, "3");
             d.Choose(p.main.设置闹铃时长);
         },
         "布谷鸟", First::Message},
    };
    for (const auto& r : rows) {
        HeadlessDesktop desk;
        Program p(desk);
        desk.SetStartWindow(&p.main);
        p.Start();
        if (r.before) r.before(desk, p);
        auto leave = [&] {
            desk.TrayEvent(p.main.托盘图标1, 2);
            desk.Choose(p.main.退出软件);
        };
        if (r.dialog == First::MessageThenFile) desk.AnswerMessage(kOk);
        if (r.dialog == First::Message) {
            desk.AnswerMessage([&](const MessageCall&) {
                leave();
                return MessageAnswer{kCancel};
            });
        } else {
            desk.AnswerFile([&](const DialogCall&) {
                leave();
                return FileAnswer{false, ""};
            });
        }
        const auto& items = p.main.组合框声音.Items();
        const int index = static_cast<int>(std::find(items.begin(), items.end(), r.action) - items.begin());
        EXPECT_NO_THROW(desk.Select(p.main.组合框声音, index)) << r.road;
        EXPECT_TRUE(desk.Quit()) << r.road;
        EXPECT_NO_THROW(desk.DestroyAll()) << r.road;
    }
}

}  // namespace
}  // namespace dida
