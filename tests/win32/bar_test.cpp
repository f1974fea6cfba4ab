// The bar as the system sees it under Wine: its window and controls, the muted speaker's hover picture and
// tooltip, where it can be dragged, the time fields' characters, and Esc.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/win32/win32_desktop.h"
#include "platform/win32/win32_form_host.h"
#include "platform/win32/win32_images.h"
#include "platform/win32/win32_names.h"
#include "platform/win32/win32_text.h"
#include "backend_fixture.h"
#include "pump.h"
#include "ui/forms.h"
#include "ui/media/media.h"

namespace dida::win32 {
namespace {

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
