// The window life cycle as the logic sees it, run on both desktops from this one source: loading and its
// events, the queued close, a load during a pending close, modal loads nested in each other and in timers,
// destruction with running timers, a window object that goes while loaded, close requests, Esc, balloons and
// pop-up menus of windows that are not loaded.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "harness.h"
#include "platform/fatal.h"
#include "ui/media/media.h"

namespace dida::lifecycle {
namespace {

// A small window with one of everything the life cycle cares about.
struct Probe : Window {
    explicit Probe(const char* name, int designInterval = 0)
        : Window(WindowDef{.name = name, .caption = name, .rect = {20, 20, 160, 90}, .visible = false, .icon = {}}),
          label(this, CommonDef{"label", {4, 4, 100, 20}}, LabelDef{.caption = "定义"}),
          tick(this, "tick", designInterval),
          tray(this, "tray", TrayIconDef{.icon = media::kAppIcon, .tipText = name, .inTray = false}),
          top(this, "top", MenuDef{.caption = "top", .level = 0, .hidden = true}),
          item(this, "item", MenuDef{.caption = "项", .level = 1}) {}
    Label label;
    Timer tick;
    TrayIcon tray;
    MenuItem top, item;
};

template <class F>
void ExpectFatal(F&& f, const char* text, const char* what) {
    try {
        f();
        ADD_FAILURE() << what << ": expected the fatal error " << text;
    } catch (const FatalErrorRaised& e) {
        EXPECT_STREQ(e.what(), text) << what;
    }
}

struct LifeCycle : ::testing::Test {
    std::unique_ptr<Harness> h = MakeHarness();
    Desktop& desk = h->desk();
    // Generous for the real desktop under a loaded machine; the simulated one gets there in no time.
    static constexpr int kLimitMs = 5000;
};

TEST_F(LifeCycle, LoadRaisesItsEventsInOrderFromTheDefinition) {
    Probe w("事件");
    std::vector<std::string> order;
    w.onCreated = [&] {
        order.push_back("created:" + w.label.Caption());
        w.label.Caption("改过");
    };
    w.onPosChanged = [&] { order.push_back("pos"); };
    w.onSizeChanged = [&] { order.push_back("size"); };
    w.onDestroying = [&] { order.push_back("destroying:" + w.label.Caption()); };
    ASSERT_TRUE(desk.LoadWindow(w));
    EXPECT_EQ(order, (std::vector<std::string>{"created:定义", "pos", "size"}));
    desk.UnloadWindow(w);
    ASSERT_TRUE(h->RunUntil([&] { return !w.loaded(); }, kLimitMs));
    // Loaded again: every control starts from its definition.
    ASSERT_TRUE(desk.LoadWindow(w));
    EXPECT_EQ(order, (std::vector<std::string>{"created:定义", "pos", "size", "destroying:改过", "created:定义", "pos",
                                               "size"}));
    desk.UnloadWindow(w);
    ASSERT_TRUE(h->RunUntil([&] { return !w.loaded(); }, kLimitMs));
}

TEST_F(LifeCycle, AHandlerThatClosesTheWindowStopsTheEventsAfterIt) {
    Probe w("早关");
    std::vector<std::string> order;
    w.onCreated = [&] {
        order.push_back("created");
        desk.UnloadWindow(w);  // queued: the window is still there for the events that follow
    };
    w.onPosChanged = [&] { order.push_back("pos"); };
    w.onSizeChanged = [&] { order.push_back("size"); };
    ASSERT_TRUE(desk.LoadWindow(w, true));  // modal: returns when the queued close has come through
    EXPECT_EQ(order, (std::vector<std::string>{"created", "pos", "size"}));
    EXPECT_FALSE(w.loaded());
}

TEST_F(LifeCycle, CloseIsQueuedBehindTheRunningHandler) {
    Probe w("排队");
    ASSERT_TRUE(desk.LoadWindow(w));
    desk.UnloadWindow(w);
    // Still there in the same handler, marked closing, and its controls can be read.
    EXPECT_TRUE(w.loaded());
    EXPECT_TRUE(w.closing());
    EXPECT_EQ(w.label.Caption(), "定义");
    ASSERT_TRUE(h->RunUntil([&] { return !w.loaded(); }, kLimitMs));
    ExpectFatal([&] { (void)w.label.Caption(); }, kErrNotLoaded, "a control of the closed window");
    ExpectFatal([&] { desk.UnloadWindow(w); }, kErrNoSuchWindow, "unloading it again");
}

TEST_F(LifeCycle, LoadDuringAPendingCloseMakesTheWindowAnew) {
    Probe w("重载");
    int created = 0, destroyed = 0;
    w.onCreated = [&] { ++created; };
    w.onDestroying = [&] { ++destroyed; };
    ASSERT_TRUE(desk.LoadWindow(w));
    const auto first = w.serial();
    w.label.Caption("旧");
    desk.UnloadWindow(w);
    ASSERT_TRUE(desk.LoadWindow(w));
    EXPECT_EQ(created, 2);
    EXPECT_EQ(destroyed, 1);
    EXPECT_NE(w.serial(), first);
    EXPECT_FALSE(w.closing());
    EXPECT_EQ(w.label.Caption(), "定义");
    // The close queued for the old window must not take the new one.
    h->Run(200);
    EXPECT_TRUE(w.loaded());
    EXPECT_EQ(destroyed, 1);
    // An open window with no close pending is only activated, also when asked for modally.
    w.label.Caption("新");
    EXPECT_TRUE(desk.LoadWindow(w, true));
    EXPECT_EQ(created, 2);
    EXPECT_EQ(w.label.Caption(), "新");
    desk.UnloadWindow(w);
    ASSERT_TRUE(h->RunUntil([&] { return !w.loaded(); }, kLimitMs));
}

// M is loaded modally; its timer loads M again (nothing happens), then loads N modally, whose timer closes N;
// after that M's timer closes M. Each modal load disables the program's other windows in the model and gives
// each its own state back.
TEST_F(LifeCycle, ModalLoadsNestInTimersAndGiveEveryWindowItsStateBack) {
    Probe other("其他"), kept("原本禁用"), m("模态甲"), n("模态乙");
    ASSERT_TRUE(desk.LoadWindow(other));
    ASSERT_TRUE(desk.LoadWindow(kept));
    kept.disable(true);

    struct Seen {
        bool other, kept, m;
    };
    std::vector<std::pair<std::string, Seen>> seen;
    auto look = [&](const char* when) {
        seen.push_back({when, Seen{other.disable(), kept.disable(), m.loaded() && m.disable()}});
    };
    int createdM = 0, mTicks = 0, nTicks = 0;
    bool reloadReturnedAtOnce = false;
    m.onCreated = [&] {
        ++createdM;
        m.tick.Interval(40);
    };
    m.tick.onTick = [&] {
        ++mTicks;
        if (mTicks == 1) {
            reloadReturnedAtOnce = desk.LoadWindow(m, true) && m.loaded() && !m.closing();
        } else if (mTicks == 2) {
            look("in M");
            EXPECT_TRUE(desk.LoadWindow(n, true));
            look("M after N");
            desk.UnloadWindow(m);
        }
    };
    n.onCreated = [&] { n.tick.Interval(40); };
    n.tick.onTick = [&] {
        if (++nTicks == 1) look("in N");
        if (nTicks == 2) desk.UnloadWindow(n);
    };

    ASSERT_TRUE(desk.LoadWindow(m, true));
    look("after M");
    EXPECT_FALSE(m.loaded());
    EXPECT_FALSE(n.loaded());
    EXPECT_EQ(createdM, 1);
    EXPECT_TRUE(reloadReturnedAtOnce);
    ASSERT_EQ(seen.size(), 4u);
    struct Row {
        const char* when;
        Seen want;
    } rows[] = {
        {"in M", {true, true, false}},
        {"in N", {true, true, true}},
        {"M after N", {true, true, false}},
        {"after M", {false, true, false}},
    };
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(seen[i].first, rows[i].when);
        EXPECT_EQ(seen[i].second.other, rows[i].want.other) << rows[i].when << ": 其他";
        EXPECT_EQ(seen[i].second.kept, rows[i].want.kept) << rows[i].when << ": 原本禁用";
        EXPECT_EQ(seen[i].second.m, rows[i].want.m) << rows[i].when << ": 模态甲";
    }
    desk.UnloadWindow(other);
    desk.UnloadWindow(kept);
    ASSERT_TRUE(h->RunUntil([&] { return !other.loaded() && !kept.loaded(); }, kLimitMs));
}

TEST_F(LifeCycle, DestroyingAWindowStopsItsTimers) {
    Probe w("计时", 30);  // defined running
    int design = 0, written = 0;
    w.tick.onTick = [&] { ++design; };
    ASSERT_TRUE(desk.LoadWindow(w));
    ASSERT_TRUE(h->RunUntil([&] { return design >= 2; }, kLimitMs));
    w.tick.Interval(25);  // a new period from now
    w.tick.onTick = [&] { ++written; };
    ASSERT_TRUE(h->RunUntil([&] { return written >= 1; }, kLimitMs));
    desk.UnloadWindow(w);
    ASSERT_TRUE(h->RunUntil([&] { return !w.loaded(); }, kLimitMs));
    const int atClose = written;
    h->Run(300);
    EXPECT_EQ(written, atClose);
    ExpectFatal([&] { (void)w.tick.Interval(); }, kErrNotLoaded, "the timer of a closed window");
    // Loaded again, the design interval runs again.
    design = 0;
    w.tick.onTick = [&] { ++design; };
    ASSERT_TRUE(desk.LoadWindow(w));
    EXPECT_EQ(w.tick.Interval(), 30);
    EXPECT_TRUE(h->RunUntil([&] { return design >= 1; }, kLimitMs));
    desk.UnloadWindow(w);
    ASSERT_TRUE(h->RunUntil([&] { return !w.loaded(); }, kLimitMs));
}

// A window object that goes while it is loaded (a test that fails after LoadWindow) must leave nothing the
// desktop could still reach: its timers stop, and later modal loads (which disable every listed window) and
// the desktop's own end do not touch it.
TEST_F(LifeCycle, AWindowObjectThatGoesWhileLoadedLeavesTheDesktop) {
    int ticks = 0;
    auto doomed = std::make_unique<Probe>("半途", 30);
    doomed->tick.onTick = [&] { ++ticks; };
    ASSERT_TRUE(desk.LoadWindow(*doomed));
    ASSERT_TRUE(h->RunUntil([&] { return ticks >= 1; }, kLimitMs));
    doomed.reset();
    const int atDelete = ticks;
    h->Run(200);
    EXPECT_EQ(ticks, atDelete);

    Probe modal("之后");
    modal.onCreated = [&] { modal.tick.Interval(30); };
    modal.tick.onTick = [&] { desk.UnloadWindow(modal); };
    EXPECT_TRUE(desk.LoadWindow(modal, true));
    EXPECT_FALSE(modal.loaded());
    // And the same for a form whose last control goes first: here, a form destroyed while its modal loop of
    // another window runs.
    auto inner = std::make_unique<Probe>("里面", 30);
    ASSERT_TRUE(desk.LoadWindow(*inner));
    Probe host("外面");
    host.onCreated = [&] { host.tick.Interval(30); };
    int hostTicks = 0;
    host.tick.onTick = [&] {
        if (++hostTicks == 1) inner.reset();
        if (hostTicks == 2) desk.UnloadWindow(host);
    };
    EXPECT_TRUE(desk.LoadWindow(host, true));
    EXPECT_EQ(inner, nullptr);
}

TEST_F(LifeCycle, ACloseRequestAsksTheCloseQueryAndClosesAtOnce) {
    struct Row {
        const char* what;
        int answer;  // -1 no handler, 0 no, 1 yes, 2 yes after closing it itself
        bool goes;
    } rows[] = {
        {"no handler", -1, true},
        {"the handler says no", 0, false},
        {"the handler says yes", 1, true},
        {"the handler closes it and says yes", 2, true},
    };
    for (const Row& r : rows) {
        Probe w("关闭请求");
        int asked = 0, destroyed = 0;
        if (r.answer >= 0)
            w.onCloseQuery = [&] {
                ++asked;
                if (r.answer == 2) desk.UnloadWindow(w);
                return r.answer != 0;
            };
        w.onDestroying = [&] { ++destroyed; };
        ASSERT_TRUE(desk.LoadWindow(w)) << r.what;
        h->RequestClose(w);
        EXPECT_EQ(asked, r.answer >= 0 ? 1 : 0) << r.what;
        EXPECT_EQ(w.loaded(), !r.goes) << r.what;
        h->Run(100);  // a close the handler queued finds the window gone
        EXPECT_EQ(destroyed, r.goes ? 1 : 0) << r.what;
        if (w.loaded()) {
            desk.UnloadWindow(w);
            ASSERT_TRUE(h->RunUntil([&] { return !w.loaded(); }, kLimitMs)) << r.what;
        }
    }
}

TEST_F(LifeCycle, EscClosesOnlyAWindowThatSaysSo) {
    for (bool escCloses : {false, true}) {
        Probe w("退出键");
        int asked = 0;
        w.onCloseQuery = [&] {
            ++asked;
            return true;
        };
        ASSERT_TRUE(desk.LoadWindow(w));
        w.EscCloses(escCloses);
        h->PressEsc(w);
        EXPECT_EQ(asked, escCloses ? 1 : 0) << escCloses;
        EXPECT_EQ(w.loaded(), !escCloses) << escCloses;
        if (w.loaded()) {
            desk.UnloadWindow(w);
            ASSERT_TRUE(h->RunUntil([&] { return !w.loaded(); }, kLimitMs));
        }
    }
}

TEST_F(LifeCycle, DestroyingTheStartWindowEndsTheLoop) {
    Probe start("开始"), other("别的");
    h->SetStartWindow(&start);
    ASSERT_TRUE(desk.LoadWindow(start));
    ASSERT_TRUE(desk.LoadWindow(other));
    desk.UnloadWindow(other);
    ASSERT_TRUE(h->RunUntil([&] { return !other.loaded(); }, kLimitMs));
    EXPECT_FALSE(h->Quit());
    desk.UnloadWindow(start);
    EXPECT_TRUE(h->RunUntil([&] { return h->Quit(); }, kLimitMs));
    EXPECT_FALSE(start.loaded());
}

TEST_F(LifeCycle, BalloonsAndPopupMenusOfWindowsThatAreNotLoaded) {
    Probe w("气球"), stranger("别人");
    ExpectFatal([&] { desk.ShowBalloon(w.tray, "t", "x", 1, 0); }, kErrNotLoaded, "balloon, window not loaded");
    ExpectFatal([&] { desk.PopupMenu(w, w.top); }, kErrNotLoaded, "pop-up, window not loaded");
    ASSERT_TRUE(desk.LoadWindow(w));
    EXPECT_FALSE(desk.ShowBalloon(w.tray, "t", "x", 1, 0));  // the icon is not in the tray
    ExpectFatal([&] { desk.PopupMenu(w, stranger.top); }, kErrNoSuchWindow, "pop-up of another window's menu");
    desk.UnloadWindow(w);
    ASSERT_TRUE(h->RunUntil([&] { return !w.loaded(); }, kLimitMs));
    ExpectFatal([&] { desk.ShowBalloon(w.tray, "t", "x", 1, 0); }, kErrNotLoaded, "balloon, window closed");
}

}  // namespace
}  // namespace dida::lifecycle
