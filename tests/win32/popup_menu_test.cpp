// The pop-up menu under Wine: built from the items under its top item as they stand at that moment, its
// commands running the chosen item, and its keys (and a message box's) reaching it while a timer ticks.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "platform/dialog_rules.h"
#include "platform/win32/win32_desktop.h"
#include "platform/win32/win32_menu.h"
#include "platform/win32/win32_text.h"
#include "backend_fixture.h"
#include "pump.h"

namespace dida::win32 {
namespace {

struct MenuForm : Window {
    MenuForm()
        : Window(WindowDef{.name = "菜单测试", .caption = "菜单测试", .rect = {0, 0, 50, 50}, .icon = {}}),
          top(this, "top", MenuDef{.caption = "top", .level = 0, .hidden = true}),
          a(this, "a", MenuDef{.caption = "甲", .level = 1}), sub(this, "sub", MenuDef{.caption = "乙", .level = 1}),
          s1(this, "s1", MenuDef{.caption = "乙一", .level = 2, .checked = true}),
          sep(this, "sep", MenuDef{.caption = "-", .level = 2}),
          s2(this, "s2", MenuDef{.caption = "乙二", .level = 2, .disabled = true}),
          hiddenSub(this, "hiddenSub", MenuDef{.caption = "丙", .level = 1, .hidden = true}),
          h1(this, "h1", MenuDef{.caption = "丙一", .level = 2}),
          sep2(this, "sep2", MenuDef{.caption = "-", .level = 1}),
          last(this, "last", MenuDef{.caption = "丁", .level = 1}),
          other(this, "other", MenuDef{.caption = "other", .level = 0}),
          o1(this, "o1", MenuDef{.caption = "戊", .level = 1}) {}
    MenuItem top, a, sub, s1, sep, s2, hiddenSub, h1, sep2, last, other, o1;
};

std::wstring MenuText(HMENU m, int pos) {
    wchar_t buf[64] = {};
    GetMenuStringW(m, static_cast<UINT>(pos), buf, 64, MF_BYPOSITION);
    return buf;
}

TEST_F(Backend, PopupMenuFollowsTheItemsOfItsTopItem) {
    MenuForm f;
    ASSERT_TRUE(desk.LoadWindow(f));
    HMENU m = BuildPopupMenu(f, f.top);
    ASSERT_EQ(GetMenuItemCount(m), 4);  // 甲, 乙 ▸, separator, 丁: 丙 and what it opens are hidden
    EXPECT_EQ(MenuText(m, 0), L"甲");
    EXPECT_EQ(MenuText(m, 1), L"乙");
    EXPECT_TRUE(GetMenuState(m, 2, MF_BYPOSITION) & MF_SEPARATOR);
    EXPECT_EQ(MenuText(m, 3), L"丁");
    HMENU sub = GetSubMenu(m, 1);
    ASSERT_NE(sub, nullptr);
    ASSERT_EQ(GetMenuItemCount(sub), 3);
    EXPECT_TRUE(GetMenuState(sub, 0, MF_BYPOSITION) & MF_CHECKED);
    EXPECT_TRUE(GetMenuState(sub, 1, MF_BYPOSITION) & MF_SEPARATOR);
    EXPECT_TRUE(GetMenuState(sub, 2, MF_BYPOSITION) & MF_GRAYED);
    // Each command names its own item.
    for (auto [menu, pos, item] : {std::tuple{m, 0, &f.a}, {m, 3, &f.last}, {sub, 0, &f.s1}, {sub, 2, &f.s2}})
        EXPECT_EQ(MenuItemOfCommand(f, GetMenuItemID(menu, pos)), item) << Narrow(MenuText(menu, pos));
    DestroyMenu(m);

    HMENU o = BuildPopupMenu(f, f.other);
    ASSERT_EQ(GetMenuItemCount(o), 1);
    EXPECT_EQ(MenuText(o, 0), L"戊");
    DestroyMenu(o);
}

TEST_F(Backend, PopupMenuShowsTheStateOfTheMomentItIsBuilt) {
    MenuForm f;
    ASSERT_TRUE(desk.LoadWindow(f));
    f.a.Checked(true);
    f.s1.Checked(false);
    f.s2.Disabled(false);
    f.hiddenSub.Visible(true);
    f.last.Caption("戊己");
    HMENU m = BuildPopupMenu(f, f.top);
    ASSERT_EQ(GetMenuItemCount(m), 5);
    EXPECT_TRUE(GetMenuState(m, 0, MF_BYPOSITION) & MF_CHECKED);
    EXPECT_EQ(MenuText(m, 2), L"丙");
    EXPECT_EQ(GetMenuItemCount(GetSubMenu(m, 2)), 1);
    EXPECT_EQ(MenuText(m, 4), L"戊己");
    HMENU sub = GetSubMenu(m, 1);
    EXPECT_FALSE(GetMenuState(sub, 0, MF_BYPOSITION) & MF_CHECKED);
    EXPECT_FALSE(GetMenuState(sub, 2, MF_BYPOSITION) & MF_GRAYED);
    DestroyMenu(m);
}

// A timer of the logic that lets the events through (as the countdown's does every second) may tick while the
// user works the tray menu with the keyboard: the keys that are waiting belong to the menu's loop, which must
// still get them. Likewise inside a message box.
struct KeysWhileTicking {
    static inline Win32Desktop* desk = nullptr;
    static inline const wchar_t* cls = nullptr;  // of the system's window the keys go to
    static inline std::vector<std::pair<UINT, WPARAM>> keys;
    static inline bool sent = false;
    static inline DWORD sentAt = 0;
    static inline HWND target = nullptr;
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        if (sent) {
            // Keys that went astray leave the menu or the box up: they are ended so that the test fails, not hangs.
            if (GetTickCount() - sentAt > 3000 && IsWindow(target)) {
                EndMenu();
                PostMessageW(target, WM_COMMAND, IDCANCEL, 0);
            }
            return;
        }
        target = nullptr;
        for (HWND w = GetTopWindow(nullptr); w && !target; w = GetWindow(w, GW_HWNDNEXT))
            if (IsWindowVisible(w) && GetWindowThreadProcessId(w, nullptr) == GetCurrentThreadId() && ClassOf(w) == cls)
                target = w;
        if (!target) return;
        sent = true;
        sentAt = GetTickCount();
        for (const auto& [msg, wp] : keys) PostMessageW(target, msg, wp, msg == WM_KEYDOWN ? 1 : 0x1C0001);
        desk->ProcessEvents();
    }
};

TEST_F(Backend, LettingTheEventsThroughLeavesTheKeysOfAMenuOrAMessageBoxToIt) {
    MenuForm f;
    int chosen = 0;
    f.a.onChosen = [&] { ++chosen; };
    ASSERT_TRUE(desk.LoadWindow(f));
    KeysWhileTicking::desk = &desk;
    const UINT_PTR timer = SetTimer(nullptr, 0, 30, &KeysWhileTicking::Tick);

    // Home, then Enter as the character it makes: the first item.
    KeysWhileTicking::cls = L"#32768";
    KeysWhileTicking::keys = {{WM_KEYDOWN, VK_HOME}, {WM_CHAR, L'\r'}};
    KeysWhileTicking::sent = false;
    const DWORD before = GetTickCount();
    desk.PopupMenu(f, f.top, 10, 10);  // returns when the menu has closed
    Pump(desk, 30);
    EXPECT_TRUE(KeysWhileTicking::sent);
    EXPECT_EQ(chosen, 1);
    EXPECT_LT(GetTickCount() - before, 5000u);

    // Enter on the message box's button.
    KeysWhileTicking::cls = L"#32770";
    KeysWhileTicking::keys = {{WM_KEYDOWN, VK_RETURN}};
    KeysWhileTicking::sent = false;
    const int answer = desk.ShowMessage("确定？", 1);  // OK and Cancel: Enter presses OK
    EXPECT_TRUE(KeysWhileTicking::sent);
    EXPECT_EQ(answer, MessageResultFromButtonId(IDOK));

    KillTimer(nullptr, timer);
    desk.DestroyAll();
}

TEST_F(Backend, MenuCommandRunsTheChosenItem) {
    MenuForm f;
    int chosen = 0;
    f.last.onChosen = [&] { ++chosen; };
    f.s2.onChosen = [&] { chosen += 100; };
    ASSERT_TRUE(desk.LoadWindow(f));
    HWND h = desk.HandleOf(f);
    HMENU m = BuildPopupMenu(f, f.top);
    PostMessageW(h, WM_COMMAND, GetMenuItemID(m, 3), 0);
    PostMessageW(h, WM_COMMAND, GetMenuItemID(GetSubMenu(m, 1), 2), 0);  // greyed: nothing runs
    Pump(desk, 50);
    EXPECT_EQ(chosen, 1);
    DestroyMenu(m);
    desk.DestroyAll();
    EXPECT_FALSE(f.loaded());
}

}  // namespace
}  // namespace dida::win32
