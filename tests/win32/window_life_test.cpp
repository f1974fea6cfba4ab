// Loading and closing windows under Wine, and the message loops around them: the queued close, the modal
// load, a window the system refuses, the first show, and what an object that goes takes with it.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "platform/fatal.h"
#include "platform/win32/win32_desktop.h"
#include "platform/win32/win32_peers.h"
#include "backend_fixture.h"
#include "pump.h"

namespace dida::win32 {
namespace {

TEST_F(Backend, UnloadIsQueuedAndUnloadingTwiceIsFatal) {
    TimerForm f;
    ASSERT_TRUE(desk.LoadWindow(f));
    HWND h = desk.HandleOf(f);
    desk.UnloadWindow(f);
    EXPECT_TRUE(IsWindow(h));  // not inside the call
    EXPECT_TRUE(f.loaded());
    Pump(desk, 30);
    EXPECT_FALSE(IsWindow(h));
    EXPECT_FALSE(f.loaded());
    EXPECT_THROW(desk.UnloadWindow(f), FatalErrorRaised);
}

TEST_F(Backend, LoadingAClosingWindowMakesANewOne) {
    TimerForm f;
    int created = 0;
    f.onCreated = [&] { ++created; };
    ASSERT_TRUE(desk.LoadWindow(f));
    HWND first = desk.HandleOf(f);
    ASSERT_TRUE(desk.LoadWindow(f));  // already open: nothing new
    EXPECT_EQ(desk.HandleOf(f), first);
    desk.UnloadWindow(f);
    ASSERT_TRUE(desk.LoadWindow(f));
    EXPECT_FALSE(IsWindow(first));
    HWND second = desk.HandleOf(f);
    EXPECT_TRUE(IsWindow(second));
    Pump(desk, 30);  // the old queued close must not reach the new window
    EXPECT_TRUE(IsWindow(second));
    EXPECT_TRUE(f.loaded());
    EXPECT_EQ(created, 2);
    desk.UnloadWindow(f);
    Pump(desk, 30);
}

TEST_F(Backend, ModalLoadDisablesTheOthersUntilItCloses) {
    TimerForm other, keptDisabled, modal;
    ASSERT_TRUE(desk.LoadWindow(other));
    ASSERT_TRUE(desk.LoadWindow(keptDisabled));
    keptDisabled.disable(true);  // the state the modal load remembers is the model's
    bool otherEnabledInside = true;
    int ticks = 0;
    modal.t.onTick = [&] {
        otherEnabledInside = IsWindowEnabled(desk.HandleOf(other));
        if (++ticks == 2) desk.UnloadWindow(modal);
    };
    modal.onCreated = [&] { modal.t.Interval(50); };
    ASSERT_TRUE(desk.LoadWindow(modal, true));
    EXPECT_EQ(ticks, 2);
    EXPECT_FALSE(modal.loaded());
    EXPECT_FALSE(otherEnabledInside);
    EXPECT_TRUE(IsWindowEnabled(desk.HandleOf(other)));
    EXPECT_FALSE(IsWindowEnabled(desk.HandleOf(keptDisabled)));
    desk.UnloadWindow(other);
    desk.UnloadWindow(keptDisabled);
    Pump(desk, 30);
}

// A window class of the same name registered before the program's: its procedure refuses to create.
LRESULT CALLBACK RefusingProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    return msg == WM_CREATE ? -1 : DefWindowProcW(h, msg, wp, lp);
}

struct RefusedForm : Window {
    RefusedForm()
        : Window(WindowDef{.name = "拒绝", .caption = "拒绝", .rect = {0, 0, 60, 40}, .visible = false, .icon = {}}),
          label(this, CommonDef{"label", {0, 0, 40, 20}}, LabelDef{.caption = "x"}), t(this, "t", 50) {}
    Label label;
    Timer t;
};

TEST_F(Backend, AWindowTheSystemRefusesIsNotLoaded) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = RefusingProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"Dida.拒绝";
    ASSERT_NE(RegisterClassExW(&wc), 0);
    RefusedForm f;
    int created = 0, ticks = 0;
    f.onCreated = [&] { ++created; };
    f.t.onTick = [&] { ++ticks; };
    for (int attempt = 0; attempt < 2; ++attempt) {
        EXPECT_FALSE(desk.LoadWindow(f)) << attempt;
        EXPECT_FALSE(f.loaded()) << attempt;
        EXPECT_EQ(desk.HandleOf(f), nullptr) << attempt;
    }
    EXPECT_EQ(created, 0);
    EXPECT_THROW((void)f.label.Caption(), FatalErrorRaised);
    Pump(desk, 150);
    EXPECT_EQ(ticks, 0);
    UnregisterClassW(L"Dida.拒绝", GetModuleHandleW(nullptr));
}

struct ShownForm : Window {
    ShownForm()
        : Window(WindowDef{.name = "显示测试", .caption = "显示测试", .rect = {0, 0, 60, 40}, .icon = {}}),
          label(this, CommonDef{"label", {0, 0, 40, 20}}, LabelDef{.caption = "x"}) {}
    Label label;
};

// Counts the moves and resizes the system makes of one window while it is hidden: every message sent to a
// window of this thread passes the hook.
struct HiddenMoves {
    HiddenMoves() { hook = SetWindowsHookExW(WH_CALLWNDPROC, &Proc, nullptr, GetCurrentThreadId()); }
    ~HiddenMoves() { UnhookWindowsHookEx(hook); }
    HiddenMoves(const HiddenMoves&) = delete;
    HiddenMoves& operator=(const HiddenMoves&) = delete;
    static LRESULT CALLBACK Proc(int code, WPARAM wp, LPARAM lp) {
        const auto* m = reinterpret_cast<const CWPSTRUCT*>(lp);
        if (code == HC_ACTION && m->hwnd == target && m->message == WM_WINDOWPOSCHANGED && !IsWindowVisible(target)) {
            const auto* pos = reinterpret_cast<const WINDOWPOS*>(m->lParam);
            if ((pos->flags & (SWP_NOMOVE | SWP_NOSIZE)) != (SWP_NOMOVE | SWP_NOSIZE)) ++count;
        }
        return CallNextHookEx(nullptr, code, wp, lp);
    }
    static inline HWND target = nullptr;
    static inline int count = 0;
    HHOOK hook = nullptr;
};

// The created handler does the start-up work (settings, placement) on a window the user does not see yet:
// the window first appears as the handler left it, never at its design place first, and a place given side
// by side (left, top, height) moves it once, not once for each.
TEST_F(Backend, AWindowIsFirstShownAsItsCreatedHandlerLeftIt) {
    struct Row {
        const char* what;
        std::function<void(ShownForm&)> handler;
        bool shownAfter;
        int hiddenMoves;  // before it is first shown (or, hidden, by the time the load returns)
    };
    const Row rows[] = {
        {"moved",
         [](ShownForm& f) {
             f.left(230);
             f.top(0);
             f.height(22);
         },
         true, 1},
        {"moved and shown by the handler",
         [](ShownForm& f) {
             f.left(230);
             f.top(0);
             f.height(22);
             f.visible(true);
             f.left(230);  // its place again, now that it shows: nothing to move
         },
         true, 1},
        {"moved and hidden",
         [](ShownForm& f) {
             f.left(230);
             f.top(0);
             f.height(22);
             f.visible(false);
         },
         false, 1},
        {"left where it was made", [](ShownForm&) {}, true, 0},
        {"hidden", [](ShownForm& f) { f.visible(false); }, false, 0},
        {"closed", [&](ShownForm& f) { desk.UnloadWindow(f); }, false, 0},
    };
    for (const Row& r : rows) {
        ShownForm f;
        HiddenMoves moves;
        bool visibleInside = true;
        f.onCreated = [&] {
            HiddenMoves::target = desk.HandleOf(f);
            HiddenMoves::count = 0;
            visibleInside = IsWindowVisible(HiddenMoves::target) != FALSE;
            r.handler(f);
        };
        ASSERT_TRUE(desk.LoadWindow(f)) << r.what;
        HWND h = desk.HandleOf(f);
        EXPECT_FALSE(visibleInside) << r.what;
        EXPECT_EQ(IsWindowVisible(h) != FALSE, r.shownAfter) << r.what;
        EXPECT_EQ(HiddenMoves::count, r.hiddenMoves) << r.what;
        if (r.hiddenMoves > 0) {
            RECT rc{};
            GetWindowRect(h, &rc);
            EXPECT_EQ(rc.left, 230) << r.what;
            EXPECT_EQ(rc.top, 0) << r.what;
            EXPECT_EQ(rc.bottom - rc.top, 22) << r.what;
            // The model keeps the place it gave while the system catches up.
            Pump(desk, 30);
            EXPECT_EQ(f.left(), 230) << r.what;
            EXPECT_EQ(f.height(), 22) << r.what;
        }
        if (r.hiddenMoves > 0 && !r.shownAfter) {
            // Shown later, it shows where the handler put it.
            f.visible(true);
            RECT later{};
            GetWindowRect(h, &later);
            EXPECT_EQ(later.left, 230) << r.what;
        }
        HiddenMoves::target = nullptr;
        if (!f.closing()) desk.UnloadWindow(f);
        Pump(desk, 30);
        EXPECT_FALSE(f.loaded()) << r.what;
    }
}

TEST_F(Backend, AWindowObjectThatGoesTakesItsNativeWindowsWithIt) {
    const std::vector<std::uint8_t> ico = MakeIco({{16, 32}});
    HWND h = nullptr, tray = nullptr;
    {
        TrayForm f(AsBlob(ico));
        ASSERT_TRUE(desk.LoadWindow(f));
        h = desk.HandleOf(f);
        tray = TrayWindowOf(f.tray);
        ASSERT_TRUE(IsWindow(h));
        ASSERT_TRUE(IsWindow(tray));
    }
    EXPECT_FALSE(IsWindow(h));
    EXPECT_FALSE(IsWindow(tray));
    // The desktop's own end (this fixture's) then finds nothing of it.
}

// Esc is handled before the message reaches a window procedure; the close it asks for may destroy the window
// inside a nested loop of the close-query handler. The host that is handling Esc must outlive that.
TEST_F(Backend, AHostOutlivesItsOwnKeyHandling) {
    TimerForm f;
    bool goneInside = false;
    std::size_t retiredInside = 0;
    f.onCloseQuery = [&] {
        desk.UnloadWindow(f);
        desk.ProcessEvents();  // the queued close comes through here
        goneInside = !f.loaded();
        retiredInside = desk.RetiredHosts();
        return true;
    };
    ASSERT_TRUE(desk.LoadWindow(f));
    f.EscCloses(true);
    MSG esc{desk.HandleOf(f), WM_KEYDOWN, VK_ESCAPE, 0, 0, {}};
    desk.Dispatch(esc);
    EXPECT_TRUE(goneInside);
    EXPECT_EQ(retiredInside, 1u);        // kept while its keyboard rules were on the stack
    EXPECT_EQ(desk.RetiredHosts(), 0u);  // deleted once the dispatch had returned
}

TEST_F(Backend, ProcessEventsLeavesTheQuitMessageQueued) {
    TimerForm f;
    int seen = 0;
    f.onCreated = [] {};
    ASSERT_TRUE(desk.LoadWindow(f));
    f.t.onTick = [&] { ++seen; };
    desk.UnloadWindow(f);
    PostQuitMessage(7);
    desk.ProcessEvents();
    EXPECT_FALSE(f.loaded());  // the queued close ran inside
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 7u);
    EXPECT_EQ(seen, 0);
}

}  // namespace
}  // namespace dida::win32
