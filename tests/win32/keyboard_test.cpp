// The bar without a mouse: Tab and Shift+Tab through its tab stops with the focus shown, Space and Enter on
// a focused button, the lists walked with the arrow keys, and the tray icon's Enter handing the bar the
// keyboard. Keys go through the program's own message handling, as the message loop gives them.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/win32/win32_desktop.h"
#include "platform/win32/win32_form_host.h"
#include "platform/win32/win32_names.h"
#include "platform/win32/win32_peers.h"
#include "pump.h"
#include "ui/forms.h"

namespace dida::win32 {
namespace {

class BarKeys : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(desk.LoadWindow(bar));
        SetForegroundWindow(desk.HandleOf(bar));
    }
    void TearDown() override {
        Shift(false);
        if (bar.loaded()) desk.UnloadWindow(bar);
        Pump(desk, 30);
    }
    HWND HandleOf(Component& c) { return desk.HostOf(bar)->HandleOf(c); }
    // A key pressed and released on the control with the focus.
    void Press(WPARAM vk) {
        for (UINT msg : {WM_KEYDOWN, WM_KEYUP}) {
            MSG m{GetFocus(), msg, vk, msg == WM_KEYUP ? 0xC0000001 : 1, static_cast<DWORD>(GetMessageTime()), {}};
            desk.Dispatch(m);
        }
        Pump(desk, 10);
    }
    static void Shift(bool down) {
        BYTE keys[256];
        GetKeyboardState(keys);
        keys[VK_SHIFT] = down ? 0x80 : 0;
        SetKeyboardState(keys);
    }

    Win32Desktop desk;
    MainForm bar;
};

TEST_F(BarKeys, TabAndShiftTabWalkTheStopsInTheirOrderAndSkipWhatIsHiddenOrMuted) {
    const struct {
        const char* what;
        bool fieldsHidden, muted;
        std::vector<Component*> order;
    } rows[] = {
        {"idle",
         false,
         false,
         {&bar.组合框类型, &bar.时1, &bar.分1, &bar.秒1, &bar.组合框声音, &bar.超级按钮开始, &bar.超级按钮最小化,
          &bar.超级按钮1}},
        {"counting down: the fields are hidden",
         true,
         false,
         {&bar.组合框类型, &bar.组合框声音, &bar.超级按钮开始, &bar.超级按钮最小化, &bar.超级按钮1}},
        {"muted: the speaker is disabled",
         false,
         true,
         {&bar.组合框类型, &bar.时1, &bar.分1, &bar.秒1, &bar.组合框声音, &bar.超级按钮最小化, &bar.超级按钮1}},
    };
    for (const auto& r : rows) {
        for (Component* f :
             {static_cast<Component*>(&bar.时1), static_cast<Component*>(&bar.分1), static_cast<Component*>(&bar.秒1)})
            f->visible(!r.fieldsHidden);
        bar.超级按钮开始.disable(r.muted);
        SetFocus(HandleOf(*r.order.front()));
        for (std::size_t i = 1; i <= r.order.size(); ++i) {
            Press(VK_TAB);
            Component* want = r.order[i % r.order.size()];
            EXPECT_EQ(GetFocus(), HandleOf(*want)) << r.what << ": Tab to " << want->name();
        }
        Shift(true);
        for (std::size_t i = r.order.size(); i-- > 0;) {
            Press(VK_TAB);
            EXPECT_EQ(GetFocus(), HandleOf(*r.order[i])) << r.what << ": Shift+Tab to " << r.order[i]->name();
        }
        Shift(false);
    }
}

// The button as it paints itself.
std::vector<COLORREF> Render(HWND h) {
    RECT rc;
    GetClientRect(h, &rc);
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP canvas = CreateCompatibleBitmap(screen, rc.right, rc.bottom);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, canvas);
    SendMessageW(h, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT | PRF_ERASEBKGND);
    std::vector<COLORREF> px;
    for (int y = 0; y < rc.bottom; ++y)
        for (int x = 0; x < rc.right; ++x) px.push_back(GetPixel(dc, x, y));
    SelectObject(dc, old);
    DeleteObject(canvas);
    DeleteDC(dc);
    return px;
}

TEST_F(BarKeys, APictureButtonReachedByTabShowsTheFocusAndSpaceOrEnterPressesIt) {
    int clicks = 0;
    for (SuperBtn* b : {&bar.超级按钮开始, &bar.超级按钮最小化, &bar.超级按钮1}) b->onClick = [&] { ++clicks; };
    const struct {
        SuperBtn* button;
        Component* before;  // the tab stop just before it
    } rows[] = {{&bar.超级按钮开始, &bar.组合框声音},
                {&bar.超级按钮最小化, &bar.超级按钮开始},
                {&bar.超级按钮1, &bar.超级按钮最小化}};
    for (const auto& r : rows) {
        const std::string what = r.button->name();
        HWND h = HandleOf(*r.button);
        const std::vector<COLORREF> unfocused = Render(h);
        SetFocus(HandleOf(*r.before));
        Press(VK_TAB);
        ASSERT_EQ(GetFocus(), h) << what;
        EXPECT_NE(Render(h), unfocused) << what << ": the focus shows";
        for (WPARAM key : {WPARAM{VK_SPACE}, WPARAM{VK_RETURN}}) {
            clicks = 0;
            Press(key);
            EXPECT_EQ(clicks, 1) << what << (key == VK_SPACE ? ": Space" : ": Enter");
        }
    }
}

TEST_F(BarKeys, TheOpenListIsWalkedWithTheArrowsAndTheItemItClosesOnIsChosen) {
    ComboBox& list = bar.组合框声音;
    std::vector<int> chosen;
    list.onSelChange = [&] { chosen.push_back(list.CurrentIndex()); };
    list.CurrentIndex(0);
    HWND h = HandleOf(list);
    SetFocus(h);
    const struct {
        const char* what;
        std::vector<WPARAM> keys;
        std::vector<int> chosen;
        int shown;
    } rows[] = {
        {"closed, an arrow chooses at once", {VK_DOWN}, {1}, 1},
        {"open, the arrows choose nothing on the way; Enter chooses",
         {VK_F4, VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN},
         {4},
         4},
        {"open past the separators to 全屏, Enter", {VK_F4, VK_DOWN, VK_RETURN}, {5}, 5},
        {"open, Esc: the choice stays what it was", {VK_F4, VK_DOWN, VK_DOWN, VK_ESCAPE}, {}, 5},
    };
    for (const auto& r : rows) {
        chosen.clear();
        for (WPARAM k : r.keys) Press(k);
        EXPECT_EQ(chosen, r.chosen) << r.what;
        EXPECT_EQ(SendMessageW(h, CB_GETCURSEL, 0, 0), r.shown) << r.what;
        EXPECT_FALSE(SendMessageW(h, CB_GETDROPPEDSTATE, 0, 0)) << r.what;
    }
}

TEST_F(BarKeys, EnterOnTheTrayIconGivesTheBarItShowsTheKeyboard) {
    TrayIcon& tray = bar.托盘图标1;
    tray.onDblClick = [&] { bar.visible(!bar.visible()); };
    bar.visible(false);
    HWND user = CreateWindowExW(0, L"STATIC", L"用户的程序", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 200, 100,
                                nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    SetForegroundWindow(user);
    SetFocus(user);
    SendMessageW(TrayWindowOf(tray), kTrayCallbackMessage, kTrayIconId, NIN_KEYSELECT);
    EXPECT_TRUE(IsWindowVisible(desk.HandleOf(bar)));
    EXPECT_EQ(GetForegroundWindow(), desk.HandleOf(bar));
    EXPECT_EQ(GetFocus(), HandleOf(bar.组合框类型)) << "the first tab stop";
    // Once more: the bar goes, as a double-click takes it.
    SendMessageW(TrayWindowOf(tray), kTrayCallbackMessage, kTrayIconId, NIN_KEYSELECT);
    EXPECT_FALSE(IsWindowVisible(desk.HandleOf(bar)));
    DestroyWindow(user);
}

}  // namespace
}  // namespace dida::win32
