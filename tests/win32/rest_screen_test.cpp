// The keyboard while the user types in another program, as Windows 10/11 has it: a window a timer opens is
// refused the foreground (the stand-in answers so), the keystrokes stay with the user's program. Esc still
// closes the rest screen, by a hot key that is registered only while the screen is up and Esc closes it; the
// bar showing itself takes nothing from the user's program.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "platform/win32/win32_desktop.h"
#include "platform/win32/win32_system_calls.h"
#include "pump.h"
#include "ui/forms.h"

namespace dida::win32 {
namespace {

std::vector<HWND> g_askedForeground;
BOOL WINAPI RefuseForeground(HWND h) {
    g_askedForeground.push_back(h);
    return FALSE;
}

// Whether some window holds Esc as its hot key: a second registration of the same keys is refused.
bool EscIsAHotKey() {
    constexpr int kProbe = 0xBFFE;
    if (RegisterHotKey(nullptr, kProbe, MOD_NOREPEAT, VK_ESCAPE)) {
        UnregisterHotKey(nullptr, kProbe);
        return false;
    }
    return GetLastError() == ERROR_HOTKEY_ALREADY_REGISTERED;
}

// The program the user types in, with the keyboard: it counts the Esc keys it is given.
int g_userEscs = 0;
LRESULT CALLBACK UserProgramProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_KEYDOWN && wp == VK_ESCAPE) ++g_userEscs;
    return DefWindowProcW(h, msg, wp, lp);
}

class Keyboard : public ::testing::Test {
protected:
    void SetUp() override {
        g_askedForeground.clear();
        g_userEscs = 0;
        WNDCLASSW wc{};
        wc.lpfnWndProc = UserProgramProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"DidaUserProgram";
        RegisterClassW(&wc);
        user = CreateWindowExW(0, wc.lpszClassName, L"用户的程序", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 200, 100,
                               nullptr, nullptr, wc.hInstance, nullptr);
        GiveUserTheKeyboard();
    }
    void TearDown() override { DestroyWindow(user); }
    // Where Windows leaves the keyboard when it refuses the program the foreground (Wine hands it over freely).
    void GiveUserTheKeyboard() {
        ::SetForegroundWindow(user);
        SetFocus(user);
        Pump(desk, 20);
    }
    static void TypeEsc() {
        INPUT keys[2] = {};
        keys[0].type = keys[1].type = INPUT_KEYBOARD;
        keys[0].ki.wVk = keys[1].ki.wVk = VK_ESCAPE;
        keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
        SendInput(2, keys, sizeof(INPUT));
    }

    Win32Desktop desk;
    HWND user = nullptr;
    StandIn<decltype(SystemCalls::SetForegroundWindow)> foreground{Sys().SetForegroundWindow, &RefuseForeground};
};

TEST_F(Keyboard, EscIsTheRestScreensHotKeyOnlyWhileItIsUpAndEscClosesIt) {
    FullScreenForm rest;
    MainForm bar;
    const struct {
        const char* what;
        std::function<void()> act;
        bool hotKey;
    } steps[] = {
        {"before the rest screen", [] {}, false},
        {"the rest screen up", [&] { desk.LoadWindow(rest); }, true},
        {"Esc blocked", [&] { rest.EscCloses(false); }, false},
        {"Esc allowed again", [&] { rest.EscCloses(true); }, true},
        {"hidden", [&] { rest.visible(false); }, false},
        {"shown again", [&] { rest.visible(true); }, true},
        // As a message box or dialog does to the program's windows: the box gets its Esc.
        {"disabled under a box", [&] { EnableWindow(desk.HandleOf(rest), FALSE); }, false},
        {"the box gone", [&] { EnableWindow(desk.HandleOf(rest), TRUE); }, true},
        {"closed",
         [&] {
             desk.UnloadWindow(rest);
             Pump(desk, 30);
         },
         false},
        {"the bar, which Esc closes only with the keyboard", [&] { desk.LoadWindow(bar); }, false},
    };
    for (const auto& s : steps) {
        s.act();
        EXPECT_EQ(EscIsAHotKey(), s.hotKey) << s.what;
    }
    desk.UnloadWindow(bar);
    Pump(desk, 30);
}

TEST_F(Keyboard, EscTypedWhileTheUserProgramHasTheKeyboardClosesTheRestScreenUnlessBlocked) {
    for (const bool escCloses : {true, false}) {
        g_userEscs = 0;
        g_askedForeground.clear();
        FullScreenForm rest;
        ASSERT_TRUE(desk.LoadWindow(rest));
        HWND screen = desk.HandleOf(rest);
        rest.EscCloses(escCloses);
        // It asked for the foreground, as documented, and was refused.
        EXPECT_NE(std::find(g_askedForeground.begin(), g_askedForeground.end(), screen), g_askedForeground.end());
        GiveUserTheKeyboard();
        ASSERT_EQ(GetFocus(), user);
        TypeEsc();
        if (escCloses) {
            EXPECT_TRUE(PumpUntil(
                desk, [&] { return !rest.loaded(); }, 3000))
                << "the rest screen closed";
            EXPECT_EQ(g_userEscs, 0) << "the Esc was the rest screen's, not the hidden program's";
            EXPECT_EQ(GetFocus(), user);
        } else {
            EXPECT_TRUE(PumpUntil(
                desk, [] { return g_userEscs == 1; }, 3000))
                << "the user's program had the Esc";
            EXPECT_TRUE(rest.loaded()) << "blocked, the rest screen stays";
            desk.UnloadWindow(rest);
            Pump(desk, 30);
        }
    }
}

TEST_F(Keyboard, TheBarShowingItselfLeavesTheKeyboardWithTheUserProgram) {
    MainForm bar;
    ASSERT_TRUE(desk.LoadWindow(bar));
    GiveUserTheKeyboard();
    // Hidden to the tray, then shown by a firing (the flashing tick), by the tray or by 显示界面: all the same
    // property; and placed again while shown.
    bar.visible(false);
    Pump(desk, 20);
    bar.visible(true);
    bar.top(0);
    Pump(desk, 50);
    EXPECT_TRUE(IsWindowVisible(desk.HandleOf(bar)));
    EXPECT_EQ(GetForegroundWindow(), user);
    EXPECT_EQ(GetFocus(), user);
    desk.UnloadWindow(bar);
    Pump(desk, 30);
}

}  // namespace
}  // namespace dida::win32
