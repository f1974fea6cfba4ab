// The tray icon as Windows 10/11 treats it: one identifier from run to run, the version set after every add
// (also after the shell restarted), an add that reports a time-out although the shell took the icon, the keyboard
// on the focused icon, a balloon that is dropped rather than shown late. The shell's answers come through a
// stand-in that passes every call on to the real tray and records it. Then, on the real tray alone, the tray
// window's callback turned into events and the balloon that needs the icon in the tray.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/win32/win32_desktop.h"
#include "platform/win32/win32_names.h"
#include "platform/win32/win32_peers.h"
#include "platform/win32/win32_system_calls.h"
#include "backend_fixture.h"
#include "pump.h"
#include "ui/media/media.h"

namespace dida::win32 {
namespace {

struct Call {
    DWORD message;
    HWND hwnd;
    UINT id;
    UINT flags;
    UINT version;
    std::wstring tip;
};
std::vector<Call> g_calls;
// At logon the shell can do what it was asked and still let the call time out: it then reports a failure.
std::vector<DWORD> g_timingOut;

BOOL WINAPI RecordingTray(DWORD message, PNOTIFYICONDATAW nid) {
    g_calls.push_back({message, nid->hWnd, nid->uID, nid->uFlags, nid->uVersion, nid->szTip});
    const BOOL ok = ::Shell_NotifyIconW(message, nid);
    if (std::find(g_timingOut.begin(), g_timingOut.end(), message) != g_timingOut.end()) {
        SetLastError(ERROR_TIMEOUT);
        return FALSE;
    }
    return ok;
}

std::vector<DWORD> Messages() {
    std::vector<DWORD> m;
    for (const Call& c : g_calls) m.push_back(c.message);
    return m;
}

// The icons Wine's own tray shows (-1 without that tray).
int IconsShown() {
    HWND tray = FindWindowW(L"__winex11_standalone_tray", nullptr);
    if (!tray) return -1;
    int n = 0;
    for (HWND h = GetWindow(tray, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) {
        wchar_t cls[64] = {};
        GetClassNameW(h, cls, 64);
        if (std::wstring(cls) == L"__winex11_tray_icon") ++n;
    }
    return n;
}

struct IconForm : Window {
    IconForm()
        : Window(WindowDef{.name = "图标测试", .caption = "图标测试", .rect = {0, 0, 60, 40}, .visible = false}),
          tray(this, "tray", TrayIconDef{.icon = media::kAppIcon, .tipText = "嘀嗒\r\n测试", .inTray = true}) {}
    TrayIcon tray;
};

class Tray : public ::testing::Test {
protected:
    void SetUp() override {
        g_calls.clear();
        g_timingOut.clear();
    }
    void TearDown() override { g_timingOut.clear(); }
    Win32Desktop desk;
    StandIn<decltype(SystemCalls::Shell_NotifyIconW)> shell{Sys().Shell_NotifyIconW, &RecordingTray};
};

TEST_F(Tray, EveryRunAddsTheSameIconAndSetsItsVersionAfterEveryAdd) {
    std::vector<UINT> ids;
    for (int run = 0; run < 2; ++run) {
        IconForm f;
        ASSERT_TRUE(desk.LoadWindow(f));
        HWND tray = TrayWindowOf(f.tray);
        // The shell restarted: the icon is added anew, and its version set again.
        SendMessageW(tray, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
        desk.UnloadWindow(f);
        Pump(desk, 30);
        for (std::size_t i = 0; i < g_calls.size(); ++i) {
            const Call& c = g_calls[i];
            if (c.message != NIM_ADD) continue;
            ids.push_back(c.id);
            // Windows ties an identifying GUID to the program's path; the plain identifier it keeps by program.
            EXPECT_FALSE(c.flags & NIF_GUID);
            ASSERT_LT(i + 1, g_calls.size());
            EXPECT_EQ(g_calls[i + 1].message, static_cast<DWORD>(NIM_SETVERSION)) << "run " << run;
            EXPECT_EQ(g_calls[i + 1].version, static_cast<UINT>(NOTIFYICON_VERSION)) << "run " << run;
            EXPECT_EQ(g_calls[i + 1].id, c.id);
        }
        g_calls.clear();
    }
    ASSERT_EQ(ids.size(), 4u) << "an add at each start and at each shell restart";
    for (UINT id : ids) EXPECT_EQ(id, ids.front()) << "the icon of another window, another start";
}

TEST_F(Tray, AnAddThatTimesOutAfterTheShellTookTheIconCountsAsAdded) {
    std::vector<std::pair<HWND, DWORD>> filtered;
    static std::vector<std::pair<HWND, DWORD>>* seen = nullptr;
    seen = &filtered;
    const StandIn<decltype(SystemCalls::ChangeWindowMessageFilterEx)> filter{
        Sys().ChangeWindowMessageFilterEx, [](HWND h, UINT msg, DWORD action, PCHANGEFILTERSTRUCT) -> BOOL {
            if (msg == RegisterWindowMessageW(L"TaskbarCreated")) seen->push_back({h, action});
            return TRUE;
        }};
    g_timingOut = {NIM_ADD};
    {
        IconForm f;
        ASSERT_TRUE(desk.LoadWindow(f));
        HWND tray = TrayWindowOf(f.tray);
        ASSERT_GE(IconsShown(), 1) << "the shell took the icon";
        // An elevated copy hears the restarted shell too.
        EXPECT_EQ(filtered, (std::vector<std::pair<HWND, DWORD>>{{tray, MSGFLT_ALLOW}}));
        EXPECT_EQ(Messages(), (std::vector<DWORD>{NIM_ADD, NIM_MODIFY, NIM_SETVERSION}));

        g_calls.clear();
        f.tray.TipText("新的提示");
        ASSERT_EQ(Messages(), std::vector<DWORD>{NIM_MODIFY});
        EXPECT_EQ(g_calls[0].tip, L"新的提示");

        g_calls.clear();
        desk.UnloadWindow(f);
        Pump(desk, 30);
        // Wine takes away the icons of a window that goes by itself; Windows needs the delete.
        EXPECT_EQ(Messages(), std::vector<DWORD>{NIM_DELETE});
    }

    // Busier still, the change times out too: the icon is not taken for added, yet it goes with the program.
    g_timingOut = {NIM_ADD, NIM_MODIFY};
    {
        IconForm f;
        ASSERT_TRUE(desk.LoadWindow(f));
        ASSERT_GE(IconsShown(), 1) << "the shell took the icon";
        g_calls.clear();
        desk.UnloadWindow(f);
        Pump(desk, 30);
        EXPECT_EQ(Messages(), std::vector<DWORD>{NIM_DELETE});
    }
}

TEST_F(Tray, TheKeyboardOnTheFocusedIconDoesWhatTheMouseDoes) {
    IconForm f;
    std::vector<int> events;
    f.tray.onDblClick = [&] { events.push_back(1); };
    f.tray.onRightUp = [&] { events.push_back(2); };
    ASSERT_TRUE(desk.LoadWindow(f));
    HWND tray = TrayWindowOf(f.tray);
    const struct {
        const char* what;
        std::vector<UINT> notifications;
        std::vector<int> events;
    } rows[] = {
        {"Enter or Space: as a double-click", {NIN_KEYSELECT}, {1}},
        {"the menu key or Shift+F10: the menu", {WM_CONTEXTMENU}, {2}},
        {"a right-click: one menu", {WM_RBUTTONDOWN, WM_RBUTTONUP, WM_CONTEXTMENU}, {2}},
        {"a right-click, then the menu key", {WM_RBUTTONDOWN, WM_RBUTTONUP, WM_CONTEXTMENU, WM_CONTEXTMENU}, {2, 2}},
    };
    for (const auto& r : rows) {
        events.clear();
        for (UINT n : r.notifications) SendMessageW(tray, kTrayCallbackMessage, kTrayIconId, n);
        EXPECT_EQ(events, r.events) << r.what;
    }
    desk.UnloadWindow(f);
    Pump(desk, 30);
}

TEST_F(Tray, ABalloonTheSystemCannotShowNowIsDropped) {
    IconForm f;
    ASSERT_TRUE(desk.LoadWindow(f));
    g_calls.clear();
    ASSERT_TRUE(desk.ShowBalloon(f.tray, "嘀嗒提醒：", "注意，到时间了！！！", 1, 0));
    ASSERT_FALSE(g_calls.empty());
    EXPECT_EQ(g_calls.back().flags & (NIF_INFO | NIF_REALTIME), static_cast<UINT>(NIF_INFO | NIF_REALTIME));
    desk.UnloadWindow(f);
    Pump(desk, 30);
}

TEST_F(Backend, TrayCallbackBecomesEventsInDeliveryOrder) {
    const std::vector<std::uint8_t> ico = MakeIco({{16, 32}, {32, 32}});
    TrayForm f(AsBlob(ico));
    std::vector<int> events;
    f.tray.onClick = [&] { events.push_back(0); };
    f.tray.onDblClick = [&] { events.push_back(1); };
    f.tray.onRightUp = [&] { events.push_back(2); };
    f.tray.onMouseMove = [&](int, int) { events.push_back(3); };
    ASSERT_TRUE(desk.LoadWindow(f));
    HWND tray = TrayWindowOf(f.tray);
    ASSERT_NE(tray, nullptr);
    EXPECT_EQ(FindWindowW(kTrayWindowClass, nullptr), tray);

    struct Row {
        const char* what;
        std::vector<UINT> messages;
        std::vector<int> events;
    } rows[] = {
        {"click", {WM_LBUTTONDOWN, WM_LBUTTONUP}, {0}},
        {"double-click", {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP}, {0, 1, 0}},
        {"right-click with its context menu message", {WM_RBUTTONDOWN, WM_RBUTTONUP, WM_CONTEXTMENU}, {2}},
        {"mouse move", {WM_MOUSEMOVE}, {3}},
        {"middle button", {WM_MBUTTONDOWN, WM_MBUTTONUP}, {}},
    };
    for (const Row& r : rows) {
        events.clear();
        for (UINT m : r.messages) SendMessageW(tray, kTrayCallbackMessage, 1, m);
        EXPECT_EQ(events, r.events) << r.what;
    }
    desk.UnloadWindow(f);
    Pump(desk, 30);
    EXPECT_FALSE(IsWindow(tray));
}

TEST_F(Backend, BalloonNeedsTheIconInTheTray) {
    const std::vector<std::uint8_t> ico = MakeIco({{16, 32}});
    TrayForm f(AsBlob(ico));
    ASSERT_TRUE(desk.LoadWindow(f));
    EXPECT_TRUE(desk.ShowBalloon(f.tray, "嘀嗒提醒：", "注意，到时间了！！！", 7, 0));
    f.tray.InTray(false);
    EXPECT_FALSE(desk.ShowBalloon(f.tray, "t", "x", 1, 0));
    f.tray.InTray(true);
    EXPECT_TRUE(desk.ShowBalloon(f.tray, std::string(100, 'a'), std::string(400, 'b'), 1, 0));
    desk.UnloadWindow(f);
    Pump(desk, 30);
}

}  // namespace
}  // namespace dida::win32
