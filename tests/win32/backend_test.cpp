// The native side of the component model under Wine: windows and controls as the system sees them,
// window timers, the tray window's callback, the input dialog's template, the pop-up menu, the ICO and
// BMP readers.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/dialog_rules.h"
#include "platform/fatal.h"
#include "platform/win32/win32_desktop.h"
#include "platform/win32/win32_form_host.h"
#include "platform/win32/win32_images.h"
#include "platform/win32/win32_input_box.h"
#include "platform/win32/win32_menu.h"
#include "platform/win32/win32_text.h"
#include "fixtures.h"
#include "pump.h"
#include "ui/forms.h"
#include "ui/media/media.h"

namespace dida::win32 {
namespace {

// ---------------------------------------------------------------- helpers

void Put16(std::vector<std::uint8_t>& b, unsigned v) {
    b.push_back(v & 0xFF);
    b.push_back((v >> 8) & 0xFF);
}
void Put32(std::vector<std::uint8_t>& b, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back((v >> (8 * i)) & 0xFF);
}

struct IcoImage {
    int size;
    int bits;  // 32 or 8 (the palette then is all black)
};

// An ICO file image with one DIB entry per row, each image filled with its size as colour.
std::vector<std::uint8_t> MakeIco(const std::vector<IcoImage>& images) {
    std::vector<std::vector<std::uint8_t>> dibs;
    for (const IcoImage& im : images) {
        std::vector<std::uint8_t> d;
        Put32(d, 40);
        Put32(d, im.size);
        Put32(d, im.size * 2);
        Put16(d, 1);
        Put16(d, im.bits);
        for (int i = 0; i < 6; ++i) Put32(d, 0);
        if (im.bits == 8)
            for (int i = 0; i < 256; ++i) Put32(d, 0);
        const int stride = ((im.size * im.bits + 31) / 32) * 4;
        d.insert(d.end(), static_cast<std::size_t>(stride) * im.size, static_cast<std::uint8_t>(im.size));
        const int maskStride = ((im.size + 31) / 32) * 4;
        d.insert(d.end(), static_cast<std::size_t>(maskStride) * im.size, 0);
        dibs.push_back(d);
    }
    std::vector<std::uint8_t> ico;
    Put16(ico, 0);
    Put16(ico, 1);
    Put16(ico, static_cast<unsigned>(images.size()));
    std::size_t offset = 6 + 16 * images.size();
    for (std::size_t i = 0; i < images.size(); ++i) {
        ico.push_back(images[i].size >= 256 ? 0 : images[i].size);
        ico.push_back(images[i].size >= 256 ? 0 : images[i].size);
        ico.push_back(0);
        ico.push_back(0);
        Put16(ico, 1);
        Put16(ico, images[i].bits);
        Put32(ico, static_cast<std::uint32_t>(dibs[i].size()));
        Put32(ico, static_cast<std::uint32_t>(offset));
        offset += dibs[i].size();
    }
    for (const auto& d : dibs) ico.insert(ico.end(), d.begin(), d.end());
    return ico;
}

// A 24-bit BMP file image, bottom-up, rows padded to four bytes; pixels given top row first as 0xRRGGBB.
std::vector<std::uint8_t> MakeBmp(int w, int h, const std::vector<std::uint32_t>& rgbTopDown) {
    const int stride = ((w * 24 + 31) / 32) * 4;
    std::vector<std::uint8_t> b{'B', 'M'};
    Put32(b, static_cast<std::uint32_t>(54 + stride * h));
    Put32(b, 0);
    Put32(b, 54);
    Put32(b, 40);
    Put32(b, w);
    Put32(b, h);
    Put16(b, 1);
    Put16(b, 24);
    for (int i = 0; i < 6; ++i) Put32(b, 0);
    for (int row = h - 1; row >= 0; --row) {
        for (int x = 0; x < w; ++x) {
            const std::uint32_t c = rgbTopDown[row * w + x];
            b.push_back(c & 0xFF);
            b.push_back((c >> 8) & 0xFF);
            b.push_back((c >> 16) & 0xFF);
        }
        for (int p = w * 3; p < stride; ++p) b.push_back(0);
    }
    return b;
}

Blob AsBlob(const std::vector<std::uint8_t>& v) { return Blob(v.data(), v.size()); }

std::wstring ClassOf(HWND h) {
    wchar_t buf[64] = {};
    GetClassNameW(h, buf, 64);
    return buf;
}
RECT ClientRectIn(HWND child, HWND parent) {
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

class Backend : public GdiplusTest {
protected:
    Win32Desktop desk;
};

// ---------------------------------------------------------------- ICO and BMP

TEST(IcoReader, PicksTheEntryForEachSize) {
    const std::vector<std::uint8_t> ico = MakeIco({{32, 8}, {16, 8}, {16, 32}, {48, 32}, {32, 32}});
    const std::vector<IcoEntry> entries = ParseIcoDirectory(AsBlob(ico));
    ASSERT_EQ(entries.size(), 5u);
    struct Row {
        int cx;
        int want;
    } rows[] = {
        {16, 2},                    // exact size, the deeper of two
        {32, 4}, {48, 3}, {24, 4},  // no exact one: the smallest larger, deepest
        {64, 3},                    // none larger: the largest
    };
    for (const Row& r : rows) EXPECT_EQ(PickIcoEntry(entries, r.cx, r.cx), r.want) << "size " << r.cx;
    EXPECT_EQ(PickIcoEntry({}, 16, 16), -1);
}

TEST(IcoReader, MakesIconsOfTheAskedSize) {
    const std::vector<std::uint8_t> ico = MakeIco({{16, 32}, {32, 32}});
    for (int size : {16, 32}) {
        HICON icon = IconFromIco(AsBlob(ico), size, size);
        ASSERT_NE(icon, nullptr) << size;
        ICONINFO info{};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        BITMAP bm{};
        GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bm, &bm);
        EXPECT_EQ(bm.bmWidth, size);
        if (info.hbmColor) DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(icon);
    }
}

TEST(IcoReader, RejectsBrokenImages) {
    const std::vector<std::uint8_t> good = MakeIco({{16, 32}});
    struct Row {
        const char* what;
        std::vector<std::uint8_t> bytes;
    };
    std::vector<Row> rows;
    rows.push_back({"empty", {}});
    rows.push_back({"header only", std::vector<std::uint8_t>(good.begin(), good.begin() + 6)});
    std::vector<std::uint8_t> cursor = good;
    cursor[2] = 2;  // a cursor file, not an icon
    rows.push_back({"cursor type", cursor});
    std::vector<std::uint8_t> cut = good;
    cut.resize(good.size() - 10);  // the image runs past the end
    rows.push_back({"truncated image", cut});
    std::vector<std::uint8_t> none = good;
    none[4] = 0;
    rows.push_back({"no entries", none});
    for (const Row& r : rows) {
        EXPECT_TRUE(ParseIcoDirectory(AsBlob(r.bytes)).empty()) << r.what;
        EXPECT_EQ(IconFromIco(AsBlob(r.bytes), 16, 16), nullptr) << r.what;
    }
}

TEST(BmpReader, KeepsEveryPixelAndTheRowOrder) {
    // Three pixels wide: each row carries three padding bytes.
    const std::vector<std::uint32_t> px = {0xFF0000, 0x00FF00, 0x0000FF, 0xFF00FF, 0x000000, 0xFFFFFF};
    const std::vector<std::uint8_t> bmp = MakeBmp(3, 2, px);
    const auto layout = ParseBmp(AsBlob(bmp));
    ASSERT_TRUE(layout.has_value());
    EXPECT_EQ(layout->width, 3);
    EXPECT_EQ(layout->height, 2);
    HBITMAP bitmap = BitmapFromBmp(AsBlob(bmp));
    ASSERT_NE(bitmap, nullptr);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) {
            const std::uint32_t rgb = px[y * 3 + x];
            EXPECT_EQ(GetPixel(dc, x, y), RGB(rgb >> 16, (rgb >> 8) & 0xFF, rgb & 0xFF)) << x << "," << y;
        }
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bitmap);
}

TEST(BmpReader, RejectsBrokenImages) {
    const std::vector<std::uint8_t> good = MakeBmp(2, 2, {0, 0, 0, 0});
    auto with = [&](std::size_t at, std::uint8_t v) {
        std::vector<std::uint8_t> b = good;
        b[at] = v;
        return b;
    };
    struct Row {
        const char* what;
        std::vector<std::uint8_t> bytes;
    } rows[] = {
        {"not BM", with(0, 'X')},
        {"rows cut short", std::vector<std::uint8_t>(good.begin(), good.end() - 4)},
        {"8 bits per pixel", with(28, 8)},
        {"compressed", with(30, 1)},
        {"pixels before the headers", with(10, 20)},
    };
    for (const Row& r : rows) {
        EXPECT_FALSE(ParseBmp(AsBlob(r.bytes)).has_value()) << r.what;
        EXPECT_EQ(BitmapFromBmp(AsBlob(r.bytes)), nullptr) << r.what;
    }
}

// ---------------------------------------------------------------- pop-up menu

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

// ---------------------------------------------------------------- input dialog

struct DialogUnits {
    int x, y, w, h;
};

void ExpectAt(HWND dlg, int id, DialogUnits du, const char* what) {
    // The dialog manager converts position and size each on its own.
    RECT mapped{du.x, du.y, du.w, du.h};
    MapDialogRect(dlg, &mapped);
    const RECT want{mapped.left, mapped.top, mapped.left + mapped.right, mapped.top + mapped.bottom};
    HWND item = GetDlgItem(dlg, id);
    ASSERT_NE(item, nullptr) << what;
    const RECT got = ClientRectIn(item, dlg);
    EXPECT_EQ(got.left, want.left) << what;
    EXPECT_EQ(got.top, want.top) << what;
    EXPECT_EQ(got.right, want.right) << what;
    EXPECT_EQ(got.bottom, want.bottom) << what;
}

TEST(InputDialog, LayoutWithAPrompt) {
    InputDialogState st;
    st.prompt = "请输入闹铃时长";
    st.caption = "设置";
    st.initial = "180";
    st.mode = 2;
    HWND dlg = CreateInputDialog(st, nullptr);
    ASSERT_NE(dlg, nullptr);
    RECT client;
    GetClientRect(dlg, &client);
    RECT want{0, 0, 252, 92};
    MapDialogRect(dlg, &want);
    EXPECT_EQ(client.right, want.right);
    EXPECT_EQ(client.bottom, want.bottom);
    ExpectAt(dlg, kInputFrameId, {7, 7, 238, 35}, "frame");
    ExpectAt(dlg, kInputPromptId, {12, 11, 229, 27}, "prompt");
    ExpectAt(dlg, kInputEditId, {7, 45, 238, 12}, "edit");
    ExpectAt(dlg, IDOK, {63, 66, 55, 19}, "confirm");
    ExpectAt(dlg, IDCANCEL, {134, 66, 55, 19}, "cancel");
    EXPECT_EQ(TextOf(dlg), L"设置");
    EXPECT_EQ(TextOf(GetDlgItem(dlg, kInputPromptId)), L"请输入闹铃时长");
    EXPECT_EQ(TextOf(GetDlgItem(dlg, IDOK)), L"确认输入(&O)");
    EXPECT_EQ(TextOf(GetDlgItem(dlg, IDCANCEL)), L"取消(&C)");
    EXPECT_TRUE(GetWindowLongW(GetDlgItem(dlg, IDOK), GWL_STYLE) & BS_DEFPUSHBUTTON);
    HWND edit = GetDlgItem(dlg, kInputEditId);
    EXPECT_EQ(TextOf(edit), L"180");
    DWORD from = 1, to = 0;
    SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
    EXPECT_EQ(from, 0u);
    EXPECT_EQ(to, 3u);
    DestroyWindow(dlg);
}

TEST(InputDialog, LayoutWithoutAPrompt) {
    InputDialogState st;
    st.caption = "请输入：";
    HWND dlg = CreateInputDialog(st, nullptr);
    ASSERT_NE(dlg, nullptr);
    RECT client;
    GetClientRect(dlg, &client);
    RECT want{0, 0, 214, 56};
    MapDialogRect(dlg, &want);
    EXPECT_EQ(client.right, want.right);
    EXPECT_EQ(client.bottom, want.bottom);
    EXPECT_EQ(GetDlgItem(dlg, kInputPromptId), nullptr);
    EXPECT_EQ(GetDlgItem(dlg, kInputFrameId), nullptr);
    ExpectAt(dlg, kInputEditId, {7, 7, 200, 12}, "edit");
    ExpectAt(dlg, IDOK, {82, 30, 55, 19}, "confirm");
    ExpectAt(dlg, IDCANCEL, {151, 30, 55, 19}, "cancel");
    DestroyWindow(dlg);
}

TEST(InputDialog, FiltersTypedCharactersByMode) {
    struct Row {
        int mode;
        const wchar_t* typed;
        const wchar_t* kept;
        bool password;
    } rows[] = {
        {1, L"a1-.中", L"a1-.中", false}, {2, L"a1-.2x", L"1-2", false},
        {3, L"a1-.2x", L"1-.2", false},   {2, L"12\b3", L"13", false},  // Backspace still works
        {4, L"pw1!", L"pw1!", true},
    };
    for (const Row& r : rows) {
        InputDialogState st;
        st.prompt = "p";
        st.caption = "c";
        st.mode = r.mode;
        HWND dlg = CreateInputDialog(st, nullptr);
        ASSERT_NE(dlg, nullptr);
        HWND edit = GetDlgItem(dlg, kInputEditId);
        for (const wchar_t* c = r.typed; *c; ++c) SendMessageW(edit, WM_CHAR, *c, 0);
        EXPECT_EQ(TextOf(edit), r.kept) << "mode " << r.mode;
        EXPECT_EQ((GetWindowLongW(edit, GWL_STYLE) & ES_PASSWORD) != 0, r.password) << "mode " << r.mode;
        // Confirming hands over the text and closes the box.
        SendMessageW(dlg, WM_COMMAND, IDOK, 0);
        EXPECT_TRUE(st.confirmed);
        EXPECT_EQ(Wide(st.entry), r.kept);
        EXPECT_FALSE(IsWindow(dlg));
    }
}

TEST(InputDialog, CancelLeavesNothing) {
    InputDialogState st;
    st.caption = "c";
    st.initial = "keep";
    HWND dlg = CreateInputDialog(st, nullptr);
    ASSERT_NE(dlg, nullptr);
    SendMessageW(dlg, WM_COMMAND, IDCANCEL, 0);
    EXPECT_FALSE(st.confirmed);
    EXPECT_TRUE(st.entry.empty());
    EXPECT_FALSE(IsWindow(dlg));
}

// ---------------------------------------------------------------- timers

struct TimerForm : Window {
    TimerForm()
        : Window(WindowDef{
              .name = "计时测试", .caption = "计时测试", .rect = {0, 0, 60, 40}, .visible = false, .icon = {}}),
          t(this, "t"), running(this, "running", 150) {}
    Timer t;
    Timer running;
};

struct Expiry {
    long first = -1;      // ms from the start to the first expiry; -1 for none
    long rewritten = -1;  // ms from the start to the second write
};

// A timer set to `interval`, then about half a period later set to `rewrite`: when its first expiry comes. The
// moments are measured, so a machine that runs the test late moves them together.
Expiry FirstExpiry(Win32Desktop& desk, TimerForm& f, int interval, int rewrite) {
    Expiry e;
    const DWORD start = GetTickCount();
    f.t.onTick = [&] {
        if (e.first < 0) e.first = static_cast<long>(GetTickCount() - start);
    };
    f.t.Interval(interval);
    Pump(desk, static_cast<DWORD>(interval / 2));
    e.rewritten = static_cast<long>(GetTickCount() - start);
    f.t.Interval(rewrite);
    // Two whole periods after the second write: an expiry of either period has come by then.
    PumpUntil(
        desk, [&] { return e.first >= 0; }, static_cast<DWORD>(e.rewritten + 2 * interval));
    f.t.Interval(0);
    return e;
}

TEST_F(Backend, TimerIntervalRule) {
    TimerForm f;
    ASSERT_TRUE(desk.LoadWindow(f));
    // The same value again does not restart the period: the expiry comes a period after the first write, before
    // a period after the second. (A timer never expires early; the 20 ms are the system clock's steps.)
    const Expiry same = FirstExpiry(desk, f, 600, 600);
    EXPECT_GE(same.first, 580);
    EXPECT_LT(same.first, same.rewritten + 600) << "the second write restarted the period";
    // A new value restarts it at the write.
    const Expiry changed = FirstExpiry(desk, f, 600, 601);
    EXPECT_GE(changed.first, changed.rewritten + 601 - 20);
    // Negative is stopped.
    const Expiry stopped = FirstExpiry(desk, f, 600, -5);
    EXPECT_EQ(stopped.first, -1);
    EXPECT_EQ(f.t.Interval(), 0);
    desk.UnloadWindow(f);
    Pump(desk, 30);
}

TEST_F(Backend, DesignIntervalStartsWithTheWindowAndStopsWithIt) {
    TimerForm f;
    int ticks = 0;
    f.running.onTick = [&] { ++ticks; };
    ASSERT_TRUE(desk.LoadWindow(f));
    EXPECT_TRUE(PumpUntil(
        desk, [&] { return ticks >= 1; }, 5000));
    desk.UnloadWindow(f);
    Pump(desk, 30);
    const int atClose = ticks;
    Pump(desk, 400);  // more than two periods
    EXPECT_EQ(ticks, atClose);
    EXPECT_FALSE(f.loaded());
}

// ---------------------------------------------------------------- tray

struct TrayForm : Window {
    explicit TrayForm(Blob icon)
        : Window(WindowDef{
              .name = "托盘测试", .caption = "托盘测试", .rect = {0, 0, 60, 40}, .visible = false, .icon = {}}),
          tray(this, "tray", TrayIconDef{.icon = icon, .tipText = "嘀嗒\r\n测试", .inTray = true}) {}
    TrayIcon tray;
};

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

// ---------------------------------------------------------------- loading, closing, loops

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

// ---------------------------------------------------------------- exceptions at the boundary

// What the program told the debugger. OutputDebugString raises a debug-print exception for a debugger to
// show; a vectored handler sees it before anyone and lets it go on.
std::vector<std::wstring> g_debugLines;

LONG CALLBACK SeeDebugPrint(EXCEPTION_POINTERS* info) {
    constexpr DWORD kPrint = 0x40010006;      // DBG_PRINTEXCEPTION_C: length, ANSI text
    constexpr DWORD kPrintWide = 0x4001000A;  // DBG_PRINTEXCEPTION_WIDE_C: length, UTF-16 text
    const EXCEPTION_RECORD& r = *info->ExceptionRecord;
    if (r.NumberParameters >= 2 && r.ExceptionCode == kPrintWide) {
        g_debugLines.emplace_back(reinterpret_cast<const wchar_t*>(r.ExceptionInformation[1]));
    } else if (r.NumberParameters >= 2 && r.ExceptionCode == kPrint) {
        const char* text = reinterpret_cast<const char*>(r.ExceptionInformation[1]);
        wchar_t wide[1024] = {};
        MultiByteToWideChar(CP_ACP, 0, text, -1, wide, 1023);
        g_debugLines.emplace_back(wide);
    }
    return EXCEPTION_CONTINUE_SEARCH;
}

struct BoundaryForm : Window {
    explicit BoundaryForm(Blob icon)
        : Window(WindowDef{
              .name = "边界测试", .caption = "边界测试", .rect = {0, 0, 200, 60}, .visible = false, .icon = {}}),
          button(this, CommonDef{"button", {0, 0, 60, 20}}, ButtonDef{.caption = "按"}),
          edit(this, CommonDef{"edit", {60, 0, 60, 20}}, EditDef{.content = "1"}),
          combo(this, CommonDef{"combo", {120, 0, 60, 20}}, ComboDef{.items = {"甲", "乙"}, .index = 0}),
          tray(this, "tray", TrayIconDef{.icon = icon, .tipText = "边界", .inTray = true}) {}
    Button button;
    EditBox edit;
    ComboBox combo;
    TrayIcon tray;
};

TEST_F(Backend, AnExceptionStoppedAtTheBoundaryIsReportedToTheDebugger) {
    const std::vector<std::uint8_t> ico = MakeIco({{16, 32}});
    BoundaryForm f(AsBlob(ico));
    auto thrower = [](const char* what) { return [what] { throw std::runtime_error(what); }; };
    f.button.onClick = thrower("button handler failed");
    f.edit.onDblClick = thrower("double-click handler failed");
    f.combo.onRightUp = thrower("right-button handler failed");
    f.tray.onDblClick = thrower("tray handler failed");
    ASSERT_TRUE(desk.LoadWindow(f));
    FormHost* host = desk.HostOf(f);
    HWND button = host->HandleOf(f.button);
    struct Row {
        const char* what;
        std::function<void()> act;
        const wchar_t* want;
    } rows[] = {
        {"window procedure",
         [&] {
             SendMessageW(desk.HandleOf(f), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                          reinterpret_cast<LPARAM>(button));
         },
         L"window procedure: button handler failed"},
        {"edit subclass", [&] { SendMessageW(host->HandleOf(f.edit), WM_LBUTTONDBLCLK, 0, 0); },
         L"edit box: double-click handler failed"},
        {"combo subclass", [&] { SendMessageW(host->HandleOf(f.combo), WM_RBUTTONUP, 0, 0); },
         L"combo box: right-button handler failed"},
        {"tray window", [&] { SendMessageW(TrayWindowOf(f.tray), kTrayCallbackMessage, 0, WM_LBUTTONDBLCLK); },
         L"tray icon: tray handler failed"},
    };
    PVOID watcher = AddVectoredExceptionHandler(1, SeeDebugPrint);
    ASSERT_NE(watcher, nullptr);
    for (const Row& r : rows) {
        g_debugLines.clear();
        r.act();
        bool reported = false;
        for (const std::wstring& line : g_debugLines) reported |= line.find(r.want) != std::wstring::npos;
        EXPECT_TRUE(reported) << r.what << ": " << (g_debugLines.empty() ? "nothing" : Narrow(g_debugLines[0]));
    }
    RemoveVectoredExceptionHandler(watcher);
    EXPECT_TRUE(f.loaded());  // the program goes on
    desk.UnloadWindow(f);
    Pump(desk, 30);
}

// ---------------------------------------------------------------- the bar

struct ChildRow {
    Component* c;
    const wchar_t* cls;
    RECT rect;  // client coordinates of the bar; a list's height is with its dropped-down list
    const wchar_t* text;
    DWORD styleOn;
    DWORD styleOff;
};

TEST_F(Backend, TheBarAsTheSystemSeesIt) {
    MainForm m;
    ASSERT_TRUE(desk.LoadWindow(m));
    HWND bar = desk.HandleOf(m);
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(TextOf(bar), L"嘀嗒闹钟");
    EXPECT_EQ(TextOf(bar), kBarCaption);  // what the end-to-end driver looks for
    EXPECT_EQ(Wide(m.design().caption), kBarCaption);
    const LONG style = GetWindowLongW(bar, GWL_STYLE);
    const LONG ex = GetWindowLongW(bar, GWL_EXSTYLE);
    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_FALSE(style & (WS_CAPTION | WS_THICKFRAME));
    EXPECT_TRUE(ex & WS_EX_TOPMOST);
    EXPECT_FALSE(ex & WS_EX_APPWINDOW);
    HWND owner = GetWindow(bar, GW_OWNER);
    ASSERT_NE(owner, nullptr);  // an owned window gets no taskbar button
    EXPECT_FALSE(IsWindowVisible(owner));
    EXPECT_TRUE(IsWindowVisible(bar));
    EXPECT_NE(SendMessageW(bar, WM_GETICON, ICON_SMALL, 0), 0);

    const ChildRow rows[] = {
        {&m.组合框类型, L"ComboBox", {1, 1, 48, 161}, L"倒计", CBS_DROPDOWNLIST | WS_TABSTOP, 0},
        {&m.标签设定, L"Static", {52, 1, 180, 21}, L"     时    分    秒", WS_BORDER | SS_CENTERIMAGE, SS_NOTIFY},
        {&m.标签2, L"Static", {52, 1, 180, 21}, L"", WS_BORDER | SS_CENTER | SS_CENTERIMAGE, WS_VISIBLE},
        {&m.时1, L"Edit", {62, 2, 82, 20}, L"0", ES_CENTER | WS_TABSTOP, WS_BORDER},
        {&m.分1, L"Edit", {98, 2, 118, 20}, L"30", ES_CENTER | WS_TABSTOP, WS_BORDER},
        {&m.秒1, L"Edit", {134, 2, 154, 20}, L"0", ES_CENTER | WS_TABSTOP, WS_BORDER},
        {&m.组合框声音, L"ComboBox", {184, 1, 243, 161}, L"嘀嗒叫", CBS_DROPDOWNLIST | WS_TABSTOP, 0},
        // A button drawn by the program holds what it does as its window text, which is not shown.
        {&m.超级按钮开始, L"Button", {251, 1, 271, 21}, L"点击关闭声音", BS_OWNERDRAW | WS_TABSTOP, 0},
        {&m.超级按钮最小化, L"Button", {274, 2, 294, 22}, L"隐藏到托盘", BS_OWNERDRAW, 0},
        {&m.超级按钮1, L"Button", {292, 2, 312, 22}, L"关闭软件", BS_OWNERDRAW, 0},
        {&m.标签闹铃时长, L"Static", {234, 48, 258, 72}, L"180", 0, WS_BORDER},
        {&m.标签全屏时间, L"Static", {261, 48, 285, 72}, L"300", 0, WS_BORDER},
    };
    FormHost* host = desk.HostOf(m);
    ASSERT_NE(host, nullptr);
    for (const ChildRow& r : rows) {
        const std::string name = r.c->name();
        HWND h = host->HandleOf(*r.c);
        ASSERT_NE(h, nullptr) << name;
        EXPECT_EQ(GetParent(h), bar) << name;
        EXPECT_EQ(ClassOf(h), r.cls) << name;
        const RECT got = ClientRectIn(h, bar);
        EXPECT_EQ(got.left, r.rect.left) << name;
        EXPECT_EQ(got.top, r.rect.top) << name;
        EXPECT_EQ(got.right, r.rect.right) << name;
        if (ClassOf(h) != L"ComboBox") {
            EXPECT_EQ(got.bottom, r.rect.bottom) << name;
        }
        EXPECT_EQ(TextOf(h), r.text) << name;
        const DWORD s = static_cast<DWORD>(GetWindowLongW(h, GWL_STYLE));
        EXPECT_EQ(s & r.styleOn, r.styleOn) << name;
        EXPECT_EQ(s & r.styleOff, 0u) << name;
    }
    // A list's items, in order, unsorted.
    HWND sound = host->HandleOf(m.组合框声音);
    ASSERT_EQ(SendMessageW(sound, CB_GETCOUNT, 0, 0), 10);
    wchar_t item[32] = {};
    SendMessageW(sound, CB_GETLBTEXT, 3, reinterpret_cast<LPARAM>(item));
    EXPECT_STREQ(item, L"音乐…");
    // The kind list's rows are taller than the sound list's.
    EXPECT_EQ(SendMessageW(host->HandleOf(m.组合框类型), CB_GETITEMHEIGHT, 0, 0),
              SendMessageW(sound, CB_GETITEMHEIGHT, 0, 0) + 2);

    // The time fields lie above the framing label.
    for (HWND h = GetWindow(host->HandleOf(m.时1), GW_HWNDNEXT); h; h = GetWindow(h, GW_HWNDNEXT))
        EXPECT_NE(h, host->HandleOf(m.分1)) << "分1 below 时1";
    bool labelBelow = false;
    for (HWND h = GetWindow(host->HandleOf(m.时1), GW_HWNDNEXT); h; h = GetWindow(h, GW_HWNDNEXT))
        labelBelow |= h == host->HandleOf(m.标签设定);
    EXPECT_TRUE(labelBelow);
    // The whole stack, top first, is the definition order backwards.
    std::vector<HWND> wanted;
    for (Component* c : m.components())
        if (HWND h = host->HandleOf(*c); h && GetParent(h) == desk.HandleOf(m)) wanted.insert(wanted.begin(), h);
    std::vector<HWND> stacked;
    for (HWND h = GetWindow(desk.HandleOf(m), GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) stacked.push_back(h);
    EXPECT_EQ(stacked, wanted);
    desk.UnloadWindow(m);
    Pump(desk, 30);
}

// A pixel where two pictures of the same size differ, neither of them transparent there.
struct PixelPair {
    POINT at;
    COLORREF a, b;
};
PixelPair WhereTheyDiffer(Blob a, Blob b) {
    HBITMAP ba = BitmapFromBmp(a), bb = BitmapFromBmp(b);
    HDC da = CreateCompatibleDC(nullptr), db = CreateCompatibleDC(nullptr);
    HGDIOBJ oa = SelectObject(da, ba), ob = SelectObject(db, bb);
    PixelPair found{{-1, -1}, 0, 0};
    const COLORREF magenta = RGB(255, 0, 255);
    for (int y = 0; y < 20 && found.at.x < 0; ++y)
        for (int x = 0; x < 20 && found.at.x < 0; ++x) {
            const COLORREF ca = GetPixel(da, x, y), cb = GetPixel(db, x, y);
            if (ca != cb && ca != magenta && cb != magenta) found = {{x, y}, ca, cb};
        }
    SelectObject(da, oa);
    SelectObject(db, ob);
    DeleteDC(da);
    DeleteDC(db);
    DeleteObject(ba);
    DeleteObject(bb);
    return found;
}

HWND ToolTipOf(HWND owner) {
    struct Ctx {
        HWND owner, found;
    } ctx{owner, nullptr};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND h, LPARAM p) -> BOOL {
            auto* c = reinterpret_cast<Ctx*>(p);
            if (ClassOf(h) == TOOLTIPS_CLASSW && GetWindow(h, GW_OWNER) == c->owner) c->found = h;
            return c->found == nullptr;
        },
        reinterpret_cast<LPARAM>(&ctx));
    return ctx.found;
}

// Muted, the speaker button is natively disabled, and still the pointer over it shows the orange picture and
// the tooltip "已设置为静音", as the start-up code sets them; moving away takes both back.
TEST_F(Backend, TheMutedSpeakerIsDisabledYetShowsItsHoverPictureAndTooltip) {
    MainForm m;
    ASSERT_TRUE(desk.LoadWindow(m));
    SuperBtn& speaker = m.超级按钮开始;
    speaker.ToolTip("已设置为静音");
    speaker.PicOut(media::kSpeakerCrossed);
    speaker.PicIn(media::kSpeakerCrossedOrange);
    speaker.disable(true);
    HWND bar = desk.HandleOf(m);
    HWND button = desk.HostOf(m)->HandleOf(speaker);
    EXPECT_FALSE(IsWindowEnabled(button));

    const PixelPair probe = WhereTheyDiffer(media::kSpeakerCrossed, media::kSpeakerCrossedOrange);
    ASSERT_GE(probe.at.x, 0);
    auto shown = [&] {
        HDC dc = GetDC(button);
        const COLORREF c = GetPixel(dc, probe.at.x, probe.at.y);
        ReleaseDC(button, dc);
        return c;
    };
    auto tipShows = [&](const wchar_t* text) {
        HWND tip = ToolTipOf(bar);
        return tip && IsWindowVisible(tip) && TextOf(tip) == text;
    };
    EXPECT_TRUE(PumpUntil(
        desk, [&] { return shown() == probe.a; }, 2000))
        << "the normal picture first";

    RECT r;
    GetWindowRect(button, &r);
    SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);  // a mouse move, as the system makes it
    EXPECT_TRUE(PumpUntil(
        desk, [&] { return shown() == probe.b; }, 3000))
        << "the hover picture";
    EXPECT_TRUE(PumpUntil(
        desk, [&] { return tipShows(L"已设置为静音"); }, 4000))
        << "the tooltip";

    GetWindowRect(bar, &r);
    SetCursorPos(r.left + 10, r.bottom + 200);  // off the bar
    EXPECT_TRUE(PumpUntil(
        desk, [&] { return shown() == probe.a; }, 3000))
        << "the normal picture again";
    EXPECT_TRUE(PumpUntil(
        desk, [&] { return !tipShows(L"已设置为静音"); }, 4000))
        << "the tooltip gone";

    // Enabled again (mute off), it is an ordinary button.
    speaker.disable(false);
    EXPECT_TRUE(IsWindowEnabled(button));
    desk.UnloadWindow(m);
    Pump(desk, 30);
}

TEST_F(Backend, TheBarMovesFromItsBackgroundAndLabelsOnly) {
    MainForm m;
    ASSERT_TRUE(desk.LoadWindow(m));
    HWND bar = desk.HandleOf(m);
    FormHost* host = desk.HostOf(m);
    RECT wr;
    GetWindowRect(bar, &wr);
    struct Row {
        const char* what;
        POINT client;
        LRESULT hit;
    } rows[] = {
        {"background", {250, 40}, HTCAPTION}, {"framing label", {56, 10}, HTCAPTION},
        {"time field", {70, 10}, HTCLIENT},   {"list", {20, 10}, HTCLIENT},
        {"button", {300, 10}, HTCLIENT},
    };
    for (const Row& r : rows) {
        const POINT screen{wr.left + r.client.x, wr.top + r.client.y};
        // What the system does: the child under the point answers, a transparent one hands it on.
        HWND child = ChildWindowFromPointEx(bar, r.client, CWP_SKIPINVISIBLE);
        LRESULT hit = SendMessageW(child, WM_NCHITTEST, 0, MAKELPARAM(screen.x, screen.y));
        if (hit == HTTRANSPARENT) hit = SendMessageW(bar, WM_NCHITTEST, 0, MAKELPARAM(screen.x, screen.y));
        EXPECT_EQ(hit, r.hit) << r.what;
    }
    (void)host;
    desk.UnloadWindow(m);
    Pump(desk, 30);
}

TEST_F(Backend, TimeFieldsTakeDigitsAndMinusOnly) {
    MainForm m;
    ASSERT_TRUE(desk.LoadWindow(m));
    HWND field = desk.HostOf(m)->HandleOf(m.秒1);
    int changes = 0;
    m.秒1.onChange = [&] { ++changes; };
    SetFocus(field);
    SendMessageW(field, EM_SETSEL, 0, -1);
    for (wchar_t c : std::wstring(L"a4b-x2")) SendMessageW(field, WM_CHAR, c, 0);
    EXPECT_EQ(TextOf(field), L"4-2");
    EXPECT_EQ(m.秒1.Content(), "4-2");  // typing reaches the model
    EXPECT_EQ(changes, 3);
    m.秒1.Content("15");  // the program's write shows, and raises its one change event
    EXPECT_EQ(TextOf(field), L"15");
    EXPECT_EQ(changes, 4);
    desk.UnloadWindow(m);
    Pump(desk, 30);
}

TEST_F(Backend, EscOnTheBarAsksTheCloseQuestion) {
    MainForm m;
    int asked = 0;
    bool allow = false;
    m.onCloseQuery = [&] {
        ++asked;
        return allow;
    };
    ASSERT_TRUE(desk.LoadWindow(m));
    HWND field = desk.HostOf(m)->HandleOf(m.时1);
    auto esc = [&] {
        MSG msg{field, WM_KEYDOWN, VK_ESCAPE, 0, 0, {}};
        desk.Dispatch(msg);
    };
    esc();
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(m.loaded());
    allow = true;
    esc();
    EXPECT_EQ(asked, 2);
    EXPECT_FALSE(m.loaded());
}

}  // namespace
}  // namespace dida::win32
