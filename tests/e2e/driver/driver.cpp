// Drives the running program from outside, the way a user's clicks and the shell's messages reach it.
// One command per run; results go to stdout as UTF-8, one item a line. Exit code 0 when the command did
// what it says or its condition holds, 1 when it does not (or a wait timed out), 2 for a usage error.
//
// Options before the command:
//   -w NAME                       the window the commands below call "the window": the program's window of
//                                 that name (秒表窗口, 全屏窗口, 三十秒提醒窗口); without it, the bar
//   -e MS                         watch and frames look every MS milliseconds (default 1)
//
//   wait-bar [ms]                 until the window exists and its children are all created
//   wait-gone [ms]                until the window no longer exists
//   wait-visible 0|1 [ms]         until the window's visibility is that
//   wait-painted [ms]             until the window is visible and it and its children have painted
//   rect                          the window's screen rectangle: left top width height
//   visible | topmost             1 or 0
//   bars                          how many top-level windows carry the bar's caption
//   window-enabled                1 when the window takes input, 0 when not (a modal window is up)
//   taskbar-button                1 when the shell would give the window a taskbar button
//   children                      every child: class, id, client rectangle, visible, text
//   text X Y                      the text of the smallest visible child at that client point of the window
//   settext X Y TEXT              sets it
//   select X Y INDEX              CB_SETCURSEL, then the selection-change notification to the parent
//   click X Y                     a left click on the child at that client point
//   enabled X Y                   1 when the child at that client point is enabled, 0 when not
//   dropped X Y                   1 when the list at that client point is dropped down, 0 when not
//   focus                         the child of the window with the keyboard focus: its client rectangle
//                                 (left top width height) and class, or "none"
//   frames X Y W H MS             for MS ms, a line at each change of what the screen shows of that client
//                                 rectangle: the moment, then a hash of its pixels; the first line at once
//   end-session                   asks every top-level window of the program whether the session may end
//                                 (a line per window: class and answer), then tells each that it ends;
//                                 0 when all agreed
//   tooltip-wait TEXT [ms]        until a tooltip or balloon shows TEXT
//   tooltip-gone TEXT [ms]        until none shows TEXT
//   tray MSG                      the tray callback with that mouse message (dblclk, lup, ldown, rup, rdown,
//                                 move, keyselect for Enter on the focused icon, or a number) to the program's
//                                 tray window
//   taskbar-created               broadcasts the shell's "TaskbarCreated"
//   tray-icons                    how many icons the standalone system tray shows, then each one's
//                                 screen rectangle: left top width height
//   tray-remove                   takes the program's icon out of the tray, as a restarting shell loses it
//   msgbox-wait [ms]              until a message box (or another dialog: the file dialog) is up; prints its
//                                 caption
//   msgbox-text | msgbox-title | msgbox-buttons
//   msgbox-answer ID              presses the button with that id (IDOK 1, IDYES 6, IDNO 7 …)
//   msgbox-focus                  the class and text of the box's control with the keyboard focus (the file
//                                 dialog's name field), or "none"
//   msgbox-type TEXT              the text's characters to that control, as an input method hands over the
//                                 characters it composed (WM_CHAR, one a character)
//   msgbox-gone [ms]              until no message box is up
//   menu-wait [ms] [n]            until a pop-up menu is up (n pop-ups: with n - 1 submenus open)
//   menu-gone [ms]                until no pop-up menu is up
//   menu-keys KEY…                keys to the pop-up menu: down up left right enter esc, or a character
//   menu-choose N                 the Nth selectable item of the open menu (1-based), then until the menu is gone
//   reg-read HIVE KEY NAME        a value: text as it is, a number in decimal, bytes in hex
//   reg-write HIVE KEY NAME TEXT  writes a REG_SZ
//   reg-delete HIVE KEY [NAME]    the value, or without NAME the key with everything below it
//   modules                       the file name of every module the window's process has loaded, lower case
//   wait-shown [ms]               until the bar is visible at the top edge of the screen; prints that moment
//   watch X Y MS [SX SY INDEX]    for MS ms, a line at each change of the text at that point, at each
//                                 monitor-off command broadcast to the top-level windows and when the rest
//                                 screen first shows: the moment, then the text, "<monitor-off>" or
//                                 "<rest-screen>"; the first line, at once, is the text as found.
//                                 With SX SY INDEX, right after that line it selects as select does and
//                                 prints the moment just before as "<selected>"
//   live MS                       for MS ms, a line at each live-region event of the window's process: the
//                                 moment, the control's class and client x, then the name a screen reader
//                                 reads from it
// Moments are milliseconds of the system clock since 1970 (the host's clock under Wine), with a fraction.
#include <windows.h>
#include <oleacc.h>
#include <shellapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <cwctype>
#include <string>
#include <vector>

#include "platform/win32/win32_names.h"

namespace {

using dida::win32::kBarCaption;
using dida::win32::kFormClassPrefix;
using dida::win32::kTrayCallbackMessage;
using dida::win32::kTrayIconId;
using dida::win32::kTrayWindowClass;
constexpr DWORD kDefaultWait = 10000;

// The options: the window the commands work on (empty: the bar), how often watch and frames look.
std::wstring g_window;
DWORD g_every = 1;

std::string Utf8(const std::wstring& s) {
    if (s.empty()) return {};
    std::string out(WideCharToMultiByte(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0, nullptr, nullptr),
                    '\0');
    WideCharToMultiByte(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), out.data(), static_cast<int>(out.size()),
                        nullptr, nullptr);
    return out;
}

void Print(const std::wstring& line) {
    const std::string s = Utf8(line) + "\n";
    DWORD written;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), s.data(), static_cast<DWORD>(s.size()), &written, nullptr);
}

void Error(const std::wstring& line) {
    const std::string s = "driver: " + Utf8(line) + "\n";
    DWORD written;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), s.data(), static_cast<DWORD>(s.size()), &written, nullptr);
}

// Waiting keeps the driver's own queue moving: a program that broadcasts with SendMessage waits for it.
void Pump(DWORD ms) {
    const DWORD end = GetTickCount() + ms;
    for (;;) {
        MSG m;
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
        const DWORD now = GetTickCount();
        if (static_cast<LONG>(end - now) <= 0) return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, end - now < 20 ? end - now : 20, QS_ALLINPUT);
    }
}

template <class F>
bool WaitFor(DWORD ms, F condition) {
    const DWORD end = GetTickCount() + ms;
    for (;;) {
        if (condition()) return true;
        if (static_cast<LONG>(end - GetTickCount()) <= 0) return false;
        Pump(20);
    }
}

std::wstring ClassOf(HWND h) {
    wchar_t buf[256] = {};
    GetClassNameW(h, buf, 256);
    return buf;
}

std::wstring TextOf(HWND h) {
    // WM_GETTEXT, not GetWindowText: the latter does not ask windows of other processes. One message for a
    // usual text (watch asks often, and each question wakes the program), the length first only for a long one.
    std::wstring buf(512, L'\0');
    DWORD_PTR got = 0;
    if (!SendMessageTimeoutW(h, WM_GETTEXT, buf.size(), reinterpret_cast<LPARAM>(buf.data()), SMTO_ABORTIFHUNG, 2000,
                             &got))
        return {};
    if (got + 1 >= buf.size()) {
        DWORD_PTR len = 0;
        if (!SendMessageTimeoutW(h, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &len)) return {};
        buf.assign(len + 1, L'\0');
        SendMessageTimeoutW(h, WM_GETTEXT, buf.size(), reinterpret_cast<LPARAM>(buf.data()), SMTO_ABORTIFHUNG, 2000,
                            &got);
    }
    buf.resize(got);
    return buf;
}

// The window the commands work on: the bar, or the program's window that -w names.
HWND Bar() {
    if (g_window.empty()) return FindWindowW(nullptr, kBarCaption);
    return FindWindowW((kFormClassPrefix + g_window).c_str(), nullptr);
}

int Bars() {
    int n = 0;
    for (HWND h = FindWindowExW(nullptr, nullptr, nullptr, kBarCaption); h;
         h = FindWindowExW(nullptr, h, nullptr, kBarCaption))
        ++n;
    Print(std::to_wstring(n));
    return 0;
}

std::vector<HWND> ChildrenOf(HWND parent) {
    std::vector<HWND> out;
    EnumChildWindows(
        parent,
        [](HWND h, LPARAM p) -> BOOL {
            auto* v = reinterpret_cast<std::vector<HWND>*>(p);
            v->push_back(h);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&out));
    std::vector<HWND> direct;
    for (HWND h : out)
        if (GetParent(h) == parent) direct.push_back(h);
    return direct;
}

RECT ClientRectOfChild(HWND parent, HWND child) {
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// Controls overlap on the bar (the time fields lie on their framing label): the smallest one at the point
// is the one a click reaches.
HWND ChildAt(HWND parent, int x, int y) {
    HWND best = nullptr;
    long bestArea = 0;
    for (HWND h : ChildrenOf(parent)) {
        if (!IsWindowVisible(h)) continue;
        const RECT r = ClientRectOfChild(parent, h);
        if (x < r.left || x >= r.right || y < r.top || y >= r.bottom) continue;
        const long area = static_cast<long>(r.right - r.left) * (r.bottom - r.top);
        if (!best || area < bestArea) {
            best = h;
            bestArea = area;
        }
    }
    return best;
}

std::vector<HWND> TopWindows(const wchar_t* cls, bool visibleOnly) {
    struct Ctx {
        const wchar_t* cls;
        bool visibleOnly;
        std::vector<HWND> found;
    } ctx{cls, visibleOnly, {}};
    EnumWindows(
        [](HWND h, LPARAM p) -> BOOL {
            auto* c = reinterpret_cast<Ctx*>(p);
            if (c->visibleOnly && !IsWindowVisible(h)) return TRUE;
            if (ClassOf(h) == c->cls) c->found.push_back(h);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&ctx));
    return ctx.found;
}

// A tooltip showing that text now: the program's own, or a balloon the shell shows for it.
bool ToolTipShows(const std::wstring& text) {
    for (HWND h : TopWindows(L"tooltips_class32", true))
        if (TextOf(h) == text) return true;
    return false;
}

HWND MessageBoxWindow() {
    const std::vector<HWND> boxes = TopWindows(L"#32770", true);
    return boxes.empty() ? nullptr : boxes.front();
}

// The pop-up menus that are up, the topmost (an open submenu) first.
std::vector<HWND> MenuWindows() { return TopWindows(L"#32768", true); }

// The first pop-up of an open menu: it lives until the whole menu closes, while a submenu's window goes when
// the submenu closes and takes the keys still waiting for it along.
HWND MenuWindow() {
    const std::vector<HWND> menus = MenuWindows();
    return menus.empty() ? nullptr : menus.back();
}

HWND TrayWindow() {
    // The program's tray window must be a plain top-level one to hear the "TaskbarCreated" broadcast,
    // but look among message-only windows too.
    HWND h = FindWindowW(kTrayWindowClass, nullptr);
    if (!h) h = FindWindowExW(HWND_MESSAGE, nullptr, kTrayWindowClass, nullptr);
    return h;
}

HKEY Hive(const std::wstring& name) {
    if (name == L"HKCU" || name == L"HKEY_CURRENT_USER") return HKEY_CURRENT_USER;
    if (name == L"HKLM" || name == L"HKEY_LOCAL_MACHINE") return HKEY_LOCAL_MACHINE;
    if (name == L"HKCR" || name == L"HKEY_CLASSES_ROOT") return HKEY_CLASSES_ROOT;
    if (name == L"HKU" || name == L"HKEY_USERS") return HKEY_USERS;
    if (name == L"HKCC" || name == L"HKEY_CURRENT_CONFIG") return HKEY_CURRENT_CONFIG;
    return nullptr;
}

struct Args {
    std::vector<std::wstring> v;
    std::size_t size() const { return v.size(); }
    const std::wstring& operator[](std::size_t i) const { return v[i]; }
    long Int(std::size_t i, long def) const { return i < v.size() ? std::wcstol(v[i].c_str(), nullptr, 0) : def; }
};

bool Usage() {
    Error(L"bad arguments; see the comment at the top of driver.cpp");
    std::exit(2);
}

HWND NeedBar() {
    HWND bar = Bar();
    if (!bar) {
        Error(L"the bar is not running");
        std::exit(1);
    }
    return bar;
}

HWND NeedChildAt(const Args& a) {
    if (a.size() < 3) Usage();
    HWND bar = NeedBar();
    HWND child = ChildAt(bar, a.Int(1, 0), a.Int(2, 0));
    if (!child) {
        Error(L"no visible control at that point");
        std::exit(1);
    }
    return child;
}

int WaitBar(const Args& a) {
    // The top window exists before its controls; the set is complete when the count stops growing.
    std::size_t last = 0;
    DWORD stableSince = GetTickCount();
    const bool ok = WaitFor(a.Int(1, kDefaultWait), [&] {
        HWND bar = Bar();
        const std::size_t n = bar ? ChildrenOf(bar).size() : 0;
        if (n != last) {
            last = n;
            stableSince = GetTickCount();
        }
        return n > 0 && GetTickCount() - stableSince >= 300;
    });
    if (!ok) Error(L"no bar");
    return ok ? 0 : 1;
}

int Children() {
    HWND bar = NeedBar();
    for (HWND h : ChildrenOf(bar)) {
        const RECT r = ClientRectOfChild(bar, h);
        wchar_t line[160];
        swprintf(line, 160, L"%ls id=%d %ld,%ld %ldx%ld visible=%d text=", ClassOf(h).c_str(), GetDlgCtrlID(h), r.left,
                 r.top, r.right - r.left, r.bottom - r.top, IsWindowVisible(h) ? 1 : 0);
        Print(line + TextOf(h));
    }
    return 0;
}

int Select(const Args& a) {
    if (a.size() < 4) Usage();
    HWND combo = NeedChildAt(a);
    const long index = a.Int(3, -1);
    DWORD_PTR r = 0;
    SendMessageTimeoutW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0, SMTO_ABORTIFHUNG, 2000, &r);
    // Posted: the handler of a choice may open a modal box, which a send would wait for.
    PostMessageW(GetParent(combo), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(combo));
    return static_cast<long>(r) == index ? 0 : 1;
}

int Click(const Args& a) {
    HWND child = NeedChildAt(a);
    if (ClassOf(child) == L"Button") {
        PostMessageW(child, BM_CLICK, 0, 0);
        return 0;
    }
    RECT r;
    GetClientRect(child, &r);
    const LPARAM at = MAKELPARAM((r.right - r.left) / 2, (r.bottom - r.top) / 2);
    PostMessageW(child, WM_MOUSEMOVE, 0, at);
    PostMessageW(child, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(child, WM_LBUTTONUP, 0, at);
    return 0;
}

int Tray(const Args& a) {
    if (a.size() < 2) Usage();
    const std::wstring& m = a[1];
    UINT msg = m == L"dblclk"      ? WM_LBUTTONDBLCLK
               : m == L"lup"       ? WM_LBUTTONUP
               : m == L"ldown"     ? WM_LBUTTONDOWN
               : m == L"rup"       ? WM_RBUTTONUP
               : m == L"rdown"     ? WM_RBUTTONDOWN
               : m == L"move"      ? WM_MOUSEMOVE
               : m == L"keyselect" ? NIN_KEYSELECT
                                   : static_cast<UINT>(a.Int(1, 0));
    if (!msg) Usage();
    HWND tray = TrayWindow();
    if (!tray) {
        Error(L"no tray window");
        return 1;
    }
    return PostMessageW(tray, kTrayCallbackMessage, kTrayIconId, msg) ? 0 : 1;
}

int TaskbarCreated() {
    const UINT msg = RegisterWindowMessageW(L"TaskbarCreated");
    DWORD_PTR r;
    return SendMessageTimeoutW(HWND_BROADCAST, msg, 0, 0, SMTO_ABORTIFHUNG, 3000, &r) ? 0 : 1;
}

int TrayIcons() {
    HWND tray = FindWindowW(L"__winex11_standalone_tray", nullptr);
    std::vector<HWND> icons;
    if (tray)
        for (HWND h : ChildrenOf(tray))
            if (ClassOf(h) == L"__winex11_tray_icon") icons.push_back(h);
    Print(std::to_wstring(icons.size()));
    for (HWND h : icons) {
        RECT r;
        GetWindowRect(h, &r);
        Print(std::to_wstring(r.left) + L" " + std::to_wstring(r.top) + L" " + std::to_wstring(r.right - r.left) +
              L" " + std::to_wstring(r.bottom - r.top));
    }
    return 0;
}

int TrayRemove() {
    HWND tray = TrayWindow();
    if (!tray) {
        Error(L"no tray window");
        return 1;
    }
    NOTIFYICONDATAW nid{};
    nid.cbSize = sizeof nid;
    nid.hWnd = tray;
    nid.uID = kTrayIconId;
    return Shell_NotifyIconW(NIM_DELETE, &nid) ? 0 : 1;
}

HWND NeedBox() {
    HWND box = MessageBoxWindow();
    if (!box) {
        Error(L"no message box");
        std::exit(1);
    }
    return box;
}

// The box's control with the keyboard focus; none when the focus is elsewhere.
HWND BoxFocus() {
    HWND box = NeedBox();
    GUITHREADINFO gi{};
    gi.cbSize = sizeof gi;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(box, nullptr), &gi) || !gi.hwndFocus || !IsChild(box, gi.hwndFocus))
        return nullptr;
    return gi.hwndFocus;
}

int MsgboxButtons() {
    for (HWND h : ChildrenOf(NeedBox()))
        if (ClassOf(h) == L"Button" && IsWindowVisible(h)) Print(std::to_wstring(GetDlgCtrlID(h)) + L" " + TextOf(h));
    return 0;
}

int MsgboxAnswer(const Args& a) {
    if (a.size() < 2) Usage();
    HWND box = NeedBox();
    const int id = a.Int(1, 0);
    if (HWND button = GetDlgItem(box, id)) return PostMessageW(button, BM_CLICK, 0, 0) ? 0 : 1;
    Error(L"the box has no button with that id");
    return 1;
}

WPARAM KeyOf(const std::wstring& k) {
    if (k == L"down") return VK_DOWN;
    if (k == L"up") return VK_UP;
    if (k == L"left") return VK_LEFT;
    if (k == L"right") return VK_RIGHT;
    if (k == L"enter") return VK_RETURN;
    if (k == L"esc") return VK_ESCAPE;
    if (k.size() == 1) return static_cast<WPARAM>(VkKeyScanW(k[0]) & 0xFF);
    Usage();
    return 0;
}

// False when the menu had closed before the key: it reached nothing.
bool MenuKey(HWND menu, WPARAM vk) {
    // The menu's own loop reads the keys from the queue of the program's thread, whichever of its pop-ups
    // they are posted to.
    if (vk == VK_RETURN) {
        // The loop chooses on the character Enter makes, which the program's thread would derive from a
        // posted key press through its keyboard state; right after the program's windows were activated again
        // (a message box closed) that character did not always come. The character itself is what chooses.
        if (!PostMessageW(menu, WM_CHAR, L'\r', 1)) return false;
    } else {
        if (!PostMessageW(menu, WM_KEYDOWN, vk, 1)) return false;
        // The key may already have closed the menu (the program runs meanwhile): then its release has no
        // window to go to, and needs none.
        PostMessageW(menu, WM_KEYUP, vk, 0xC0000001);
    }
    Pump(60);
    return true;
}

HWND NeedMenu() {
    HWND menu = MenuWindow();
    if (!menu) {
        Error(L"no pop-up menu");
        std::exit(1);
    }
    return menu;
}

int MenuKeys(const Args& a) {
    HWND menu = NeedMenu();
    for (std::size_t i = 1; i < a.size(); ++i) {
        if (MenuKey(menu, KeyOf(a[i]))) continue;
        Error(L"the menu closed before the key " + a[i]);
        return 1;
    }
    return 0;
}

int MenuChoose(const Args& a) {
    const long n = a.Int(1, 0);
    if (n < 1) Usage();
    HWND menu = NeedMenu();
    // Home picks the first item whatever the menu opened with; Down steps over separators (not over greyed
    // items).
    bool reached = MenuKey(menu, VK_HOME);
    for (long i = 1; i < n && reached; ++i) reached = MenuKey(menu, VK_DOWN);
    if (!reached || !MenuKey(menu, VK_RETURN)) {
        Error(L"the menu closed before the choice");
        return 1;
    }
    // The choice is made when the menu has gone; an item that opens a submenu leaves it up.
    if (WaitFor(kDefaultWait, [] { return MenuWindow() == nullptr; })) return 0;
    Error(L"the menu is still up (" + std::to_wstring(MenuWindows().size()) + L" pop-ups): the item was not chosen");
    return 1;
}

int RegRead(const Args& a) {
    if (a.size() < 4) Usage();
    HKEY hive = Hive(a[1]);
    if (!hive) Usage();
    DWORD type = 0;
    DWORD size = 0;
    if (RegGetValueW(hive, a[2].c_str(), a[3].c_str(), RRF_RT_ANY | RRF_NOEXPAND, &type, nullptr, &size) !=
        ERROR_SUCCESS)
        return 1;
    std::vector<BYTE> data(size + 2);
    if (RegGetValueW(hive, a[2].c_str(), a[3].c_str(), RRF_RT_ANY | RRF_NOEXPAND, &type, data.data(), &size) !=
        ERROR_SUCCESS)
        return 1;
    if (type == REG_SZ || type == REG_EXPAND_SZ) {
        Print(std::wstring(reinterpret_cast<const wchar_t*>(data.data())));
    } else if (type == REG_DWORD) {
        DWORD v;
        std::memcpy(&v, data.data(), sizeof v);
        Print(std::to_wstring(v));
    } else {
        std::wstring hex;
        wchar_t b[4];
        for (DWORD i = 0; i < size; ++i) {
            swprintf(b, 4, L"%02x", data[i]);
            hex += b;
        }
        Print(hex);
    }
    return 0;
}

int RegWriteText(const Args& a) {
    if (a.size() < 5) Usage();
    HKEY hive = Hive(a[1]);
    if (!hive) Usage();
    return RegSetKeyValueW(hive, a[2].c_str(), a[3].c_str(), REG_SZ, a[4].c_str(),
                           static_cast<DWORD>((a[4].size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS
               ? 0
               : 1;
}

int RegDeleteAny(const Args& a) {
    if (a.size() < 3) Usage();
    HKEY hive = Hive(a[1]);
    if (!hive) Usage();
    if (a.size() >= 4) return RegDeleteKeyValueW(hive, a[2].c_str(), a[3].c_str()) == ERROR_SUCCESS ? 0 : 1;
    return RegDeleteTreeW(hive, a[2].c_str()) == ERROR_SUCCESS && RegDeleteKeyW(hive, a[2].c_str()) == ERROR_SUCCESS
               ? 0
               : 1;
}

int Modules() {
    DWORD pid = 0;
    GetWindowThreadProcessId(NeedBar(), &pid);
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, pid);
    if (snap == INVALID_HANDLE_VALUE) {
        Error(L"no module list of the bar's process");
        return 1;
    }
    MODULEENTRY32W m{};
    m.dwSize = sizeof m;
    for (BOOL more = Module32FirstW(snap, &m); more; more = Module32NextW(snap, &m)) {
        std::wstring name = m.szModule;
        for (wchar_t& ch : name) ch = static_cast<wchar_t>(towlower(ch));
        Print(name);
    }
    CloseHandle(snap);
    return 0;
}

std::wstring ClockMs() {
    FILETIME ft;
    GetSystemTimeAsFileTime(&ft);
    const long long hundredNs =
        (static_cast<long long>(ft.dwHighDateTime) << 32 | ft.dwLowDateTime) - 116444736000000000LL;
    wchar_t buf[32];
    swprintf(buf, 32, L"%lld.%04lld", hundredNs / 10000, hundredNs % 10000);
    return buf;
}

// Polled every millisecond: the moment is what the benchmark measures.
int WaitShown(const Args& a) {
    const DWORD end = GetTickCount() + a.Int(1, kDefaultWait);
    for (;;) {
        HWND bar = Bar();
        RECT r;
        if (bar && IsWindowVisible(bar) && GetWindowRect(bar, &r) && r.top == 0) {
            Print(ClockMs());
            return 0;
        }
        if (static_cast<LONG>(end - GetTickCount()) <= 0) return 1;
        Sleep(1);
    }
}

LRESULT CALLBACK WatchProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_SYSCOMMAND && (wp & 0xFFF0) == SC_MONITORPOWER) {
        Print(ClockMs() + L" <monitor-off>");
        return 0;
    }
    return DefWindowProcW(h, msg, wp, lp);
}

int Watch(const Args& a) {
    if (a.size() < 4) Usage();
    // A plain hidden top-level window: broadcasts reach it, message-only windows they do not.
    WNDCLASSW wc{};
    wc.lpfnWndProc = WatchProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"DidaDriverWatch";
    RegisterClassW(&wc);
    HWND listener =
        CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, wc.hInstance, nullptr);
    const int x = a.Int(1, 0), y = a.Int(2, 0);
    const DWORD end = GetTickCount() + a.Int(3, 0);
    bool first = true, restShown = false;
    std::wstring last;
    for (;;) {
        MSG m;
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
        if (!restShown) {
            HWND rest = FindWindowW((kFormClassPrefix + std::wstring(L"全屏窗口")).c_str(), nullptr);
            if (rest && IsWindowVisible(rest)) {
                restShown = true;
                Print(ClockMs() + L" <rest-screen>");
            }
        }
        // Looked up at every poll: the control at the point changes the moment another one is shown.
        HWND bar = Bar();
        HWND child = bar ? ChildAt(bar, x, y) : nullptr;
        const std::wstring text = child ? TextOf(child) : L"";
        if (first || text != last) Print(ClockMs() + L" " + text);
        if (first && a.size() >= 7) {
            Print(ClockMs() + L" <selected>");
            Select(Args{{L"select", a[4], a[5], a[6]}});
        }
        first = false;
        last = text;
        if (static_cast<LONG>(end - GetTickCount()) <= 0) break;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, g_every, QS_ALLINPUT);
    }
    DestroyWindow(listener);
    return 0;
}

// The window has painted when neither it nor a visible child of it has anything left to paint; a message
// sent afterwards comes back once its thread is waiting again, and the system puts a waiting thread's drawing
// on the screen.
bool Painted(HWND win) {
    if (!IsWindowVisible(win) || GetUpdateRect(win, nullptr, FALSE)) return false;
    for (HWND h : ChildrenOf(win))
        if (IsWindowVisible(h) && GetUpdateRect(h, nullptr, FALSE)) return false;
    DWORD_PTR r;
    return SendMessageTimeoutW(win, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &r) != 0;
}

int Focus() {
    HWND win = NeedBar();
    GUITHREADINFO gi{};
    gi.cbSize = sizeof gi;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(win, nullptr), &gi) || !gi.hwndFocus ||
        (gi.hwndFocus != win && !IsChild(win, gi.hwndFocus))) {
        Print(L"none");
        return 1;
    }
    // A list's edit or a control's inner part has the focus for its control, the child of the window.
    HWND h = gi.hwndFocus;
    while (h != win && GetParent(h) != win) h = GetParent(h);
    const RECT r = ClientRectOfChild(win, h);
    Print(std::to_wstring(r.left) + L" " + std::to_wstring(r.top) + L" " + std::to_wstring(r.right - r.left) + L" " +
          std::to_wstring(r.bottom - r.top) + L" " + ClassOf(h));
    return 0;
}

// What the screen shows of a rectangle, as one number: the screen's own pixels, so a picture counts only once
// it has reached the display.
unsigned long long ScreenHash(HDC screen, HDC mem, HBITMAP bmp, const RECT& r) {
    const int w = r.right - r.left, h = r.bottom - r.top;
    BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    std::vector<DWORD> px(static_cast<std::size_t>(w) * h);
    GetDIBits(mem, bmp, 0, h, px.data(), &bi, DIB_RGB_COLORS);
    unsigned long long hash = 1469598103934665603ULL;
    for (DWORD p : px) hash = (hash ^ (p & 0xFFFFFF)) * 1099511628211ULL;
    return hash;
}

int Frames(const Args& a) {
    if (a.size() < 6) Usage();
    HWND win = NeedBar();
    POINT at{a.Int(1, 0), a.Int(2, 0)};
    ClientToScreen(win, &at);
    const RECT r{at.x, at.y, at.x + a.Int(3, 0), at.y + a.Int(4, 0)};
    if (r.right <= r.left || r.bottom <= r.top) Usage();
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, r.right - r.left, r.bottom - r.top);
    HGDIOBJ old = SelectObject(mem, bmp);
    const DWORD end = GetTickCount() + a.Int(5, 0);
    bool first = true;
    unsigned long long last = 0;
    for (;;) {
        const unsigned long long hash = ScreenHash(screen, mem, bmp, r);
        if (first || hash != last) {
            wchar_t line[32];
            swprintf(line, 32, L"%016llx", hash);
            Print(ClockMs() + L" " + line);
        }
        first = false;
        last = hash;
        if (static_cast<LONG>(end - GetTickCount()) <= 0) break;
        Pump(g_every);
    }
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return 0;
}

// As the system ends a session: first the question to every top-level window of the program, then, when all
// agreed, the end.
int EndSession() {
    DWORD pid = 0;
    GetWindowThreadProcessId(NeedBar(), &pid);
    struct Ctx {
        DWORD pid;
        std::vector<HWND> found;
    } ctx{pid, {}};
    EnumWindows(
        [](HWND h, LPARAM p) -> BOOL {
            auto* c = reinterpret_cast<Ctx*>(p);
            DWORD owner = 0;
            GetWindowThreadProcessId(h, &owner);
            if (owner == c->pid) c->found.push_back(h);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&ctx));
    bool all = true;
    for (HWND h : ctx.found) {
        DWORD_PTR answer = 0;
        const bool answered = SendMessageTimeoutW(h, WM_QUERYENDSESSION, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer) != 0;
        Print(ClassOf(h) + L" " + (answered ? std::to_wstring(answer) : L"no answer"));
        all = all && answered && answer;
    }
    if (!all) return 1;
    for (HWND h : ctx.found) {
        DWORD_PTR r;
        SendMessageTimeoutW(h, WM_ENDSESSION, TRUE, 0, SMTO_ABORTIFHUNG, 5000, &r);
    }
    return 0;
}

DWORD g_barProcess = 0;
HWND g_bar = nullptr;

void CALLBACK OnLiveRegion(HWINEVENTHOOK, DWORD, HWND h, LONG object, LONG child, DWORD, DWORD) {
    std::wstring name = L"?";
    IAccessible* acc = nullptr;
    VARIANT id{};
    if (SUCCEEDED(AccessibleObjectFromEvent(h, static_cast<DWORD>(object), static_cast<DWORD>(child), &acc, &id)) &&
        acc) {
        BSTR text = nullptr;
        name = acc->get_accName(id, &text) == S_OK && text ? text : L"";
        SysFreeString(text);
        acc->Release();
    }
    const RECT r = ClientRectOfChild(g_bar, h);
    Print(ClockMs() + L" " + ClassOf(h) + L" " + std::to_wstring(r.left) + L" " + name);
}

// Listens as a screen reader does, in a process of its own.
int Live(const Args& a) {
    if (a.size() < 2) Usage();
    g_bar = NeedBar();
    GetWindowThreadProcessId(g_bar, &g_barProcess);
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    constexpr DWORD kLiveRegionChanged = 0x8019;  // EVENT_OBJECT_LIVEREGIONCHANGED
    HWINEVENTHOOK hook = SetWinEventHook(kLiveRegionChanged, kLiveRegionChanged, nullptr, &OnLiveRegion, g_barProcess,
                                         0, WINEVENT_OUTOFCONTEXT);
    if (!hook) return 1;
    Print(ClockMs() + L" <listening>");
    Pump(static_cast<DWORD>(a.Int(1, 0)));
    UnhookWinEvent(hook);
    CoUninitialize();
    return 0;
}

int Run(Args a) {
    while (a.size() >= 2 && (a[0] == L"-w" || a[0] == L"-e")) {
        if (a[0] == L"-w") g_window = a[1];
        if (a[0] == L"-e") g_every = static_cast<DWORD>(std::max(1L, a.Int(1, 1)));
        a.v.erase(a.v.begin(), a.v.begin() + 2);
    }
    if (a.size() < 1) Usage();
    const std::wstring& c = a[0];
    if (c == L"wait-bar") return WaitBar(a);
    if (c == L"wait-gone") return WaitFor(a.Int(1, kDefaultWait), [] { return Bar() == nullptr; }) ? 0 : 1;
    if (c == L"wait-visible") {
        const bool want = a.Int(1, 1) != 0;
        return WaitFor(a.Int(2, kDefaultWait),
                       [&] {
                           HWND bar = Bar();
                           return bar && (IsWindowVisible(bar) != 0) == want;
                       })
                   ? 0
                   : 1;
    }
    if (c == L"bars") return Bars();
    if (c == L"wait-painted")
        return WaitFor(a.Int(1, kDefaultWait),
                       [] {
                           HWND win = Bar();
                           return win && Painted(win);
                       })
                   ? 0
                   : 1;
    if (c == L"window-enabled") {
        const bool v = IsWindowEnabled(NeedBar()) != 0;
        Print(v ? L"1" : L"0");
        return 0;
    }
    if (c == L"dropped") {
        DWORD_PTR r = 0;
        SendMessageTimeoutW(NeedChildAt(a), CB_GETDROPPEDSTATE, 0, 0, SMTO_ABORTIFHUNG, 2000, &r);
        Print(r ? L"1" : L"0");
        return 0;
    }
    if (c == L"focus") return Focus();
    if (c == L"frames") return Frames(a);
    if (c == L"end-session") return EndSession();
    if (c == L"rect") {
        RECT r;
        GetWindowRect(NeedBar(), &r);
        Print(std::to_wstring(r.left) + L" " + std::to_wstring(r.top) + L" " + std::to_wstring(r.right - r.left) +
              L" " + std::to_wstring(r.bottom - r.top));
        return 0;
    }
    if (c == L"visible") {
        const bool v = IsWindowVisible(NeedBar());
        Print(v ? L"1" : L"0");
        return v ? 0 : 1;
    }
    if (c == L"topmost") {
        const bool v = (GetWindowLongPtrW(NeedBar(), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
        Print(v ? L"1" : L"0");
        return v ? 0 : 1;
    }
    if (c == L"taskbar-button") {
        // The shell's rule: a visible top-level window gets a button when it has WS_EX_APPWINDOW, or when
        // it is neither owned nor a tool window.
        HWND bar = NeedBar();
        const LONG_PTR ex = GetWindowLongPtrW(bar, GWL_EXSTYLE);
        const bool owned = GetWindow(bar, GW_OWNER) != nullptr;
        const bool v = (ex & WS_EX_APPWINDOW) || (!owned && !(ex & WS_EX_TOOLWINDOW));
        Print(v ? L"1" : L"0");
        return v ? 0 : 1;
    }
    if (c == L"children") return Children();
    if (c == L"text") {
        Print(TextOf(NeedChildAt(a)));
        return 0;
    }
    if (c == L"settext") {
        if (a.size() < 4) Usage();
        DWORD_PTR r = 0;
        return SendMessageTimeoutW(NeedChildAt(a), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(a[3].c_str()),
                                   SMTO_ABORTIFHUNG, 3000, &r) &&
                       r
                   ? 0
                   : 1;
    }
    if (c == L"select") return Select(a);
    if (c == L"click") return Click(a);
    if (c == L"enabled") {
        const bool v = IsWindowEnabled(NeedChildAt(a)) != 0;
        Print(v ? L"1" : L"0");
        return 0;
    }
    if (c == L"tooltip-wait" || c == L"tooltip-gone") {
        if (a.size() < 2) Usage();
        const bool want = c == L"tooltip-wait";
        return WaitFor(a.Int(2, kDefaultWait), [&] { return ToolTipShows(a[1]) == want; }) ? 0 : 1;
    }
    if (c == L"tray") return Tray(a);
    if (c == L"taskbar-created") return TaskbarCreated();
    if (c == L"tray-icons") return TrayIcons();
    if (c == L"tray-remove") return TrayRemove();
    if (c == L"msgbox-wait") {
        if (!WaitFor(a.Int(1, kDefaultWait), [] { return MessageBoxWindow() != nullptr; })) return 1;
        Print(TextOf(MessageBoxWindow()));
        return 0;
    }
    if (c == L"msgbox-title") {
        Print(TextOf(NeedBox()));
        return 0;
    }
    if (c == L"msgbox-text") {
        HWND body = GetDlgItem(NeedBox(), 0xFFFF);
        if (!body) return 1;
        Print(TextOf(body));
        return 0;
    }
    if (c == L"msgbox-focus") {
        HWND field = BoxFocus();
        if (!field) {
            Print(L"none");
            return 1;
        }
        Print(ClassOf(field) + L" " + TextOf(field));
        return 0;
    }
    if (c == L"msgbox-type") {
        HWND field = BoxFocus();
        if (!field || a.size() < 2) return 1;
        for (wchar_t ch : a[1])
            if (!PostMessageW(field, WM_CHAR, ch, 1)) return 1;
        return 0;
    }
    if (c == L"msgbox-buttons") return MsgboxButtons();
    if (c == L"msgbox-answer") return MsgboxAnswer(a);
    if (c == L"msgbox-gone")
        return WaitFor(a.Int(1, kDefaultWait), [] { return MessageBoxWindow() == nullptr; }) ? 0 : 1;
    if (c == L"menu-wait") {
        const std::size_t count = static_cast<std::size_t>(a.Int(2, 1));
        if (WaitFor(a.Int(1, kDefaultWait), [&] { return MenuWindows().size() >= count; })) return 0;
        if (a.Int(1, kDefaultWait) > 0)
            Error(L"menu-wait: " + std::to_wstring(MenuWindows().size()) + L" pop-ups up, waited for " +
                  std::to_wstring(count));
        return 1;
    }
    if (c == L"menu-gone") {
        if (WaitFor(a.Int(1, kDefaultWait), [] { return MenuWindow() == nullptr; })) return 0;
        if (a.Int(1, kDefaultWait) > 0)
            Error(L"menu-gone: still " + std::to_wstring(MenuWindows().size()) + L" pop-ups up");
        return 1;
    }
    if (c == L"menu-keys") return MenuKeys(a);
    if (c == L"menu-choose") return MenuChoose(a);
    if (c == L"reg-read") return RegRead(a);
    if (c == L"reg-write") return RegWriteText(a);
    if (c == L"reg-delete") return RegDeleteAny(a);
    if (c == L"modules") return Modules();
    if (c == L"wait-shown") return WaitShown(a);
    if (c == L"watch") return Watch(a);
    if (c == L"live") return Live(a);
    Usage();
    return 2;
}

}  // namespace

int main() {
    // The command line as Unicode: registry names and texts are Chinese.
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    Args a;
    for (int i = 1; i < argc; ++i) a.v.emplace_back(argv[i]);
    LocalFree(argv);
    return Run(a);
}
