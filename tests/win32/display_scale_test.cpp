// The windows at the display scale they run at: every design value in device pixels scaled by dpi / 96 while
// the model keeps reading the design values. These run with the other Windows tests at 96 DPI and again in
// prefixes at LogPixels 120, 144 and 192 (tests/win32/at_scale.sh), where DIDA_EXPECT_DPI names the scale.
// A change of scale while the program runs is told by the system's WM_DPICHANGED, sent here by hand.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/program.h"
#include "platform/win32/win32_desktop.h"
#include "platform/win32/win32_dpi.h"
#include "platform/win32/win32_form_host.h"
#include "platform/win32/win32_images.h"
#include "platform/win32/win32_input_box.h"
#include "platform/win32/win32_peers.h"
#include "fixtures.h"
#include "pixels.h"
#include "pump.h"
#include "ui/media/media.h"
#include "ui/renditions.h"

namespace dida::win32 {
namespace {

// The scale the system runs at, as the screen reports it: what the prefix's LogPixels says.
UINT ScreenDpi() {
    HDC dc = GetDC(nullptr);
    const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(nullptr, dc);
    return static_cast<UINT>(dpi);
}

int At(int design, UINT dpi) { return MulDiv(design, static_cast<int>(dpi), 96); }

RECT RectIn(HWND child, HWND parent) {
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

RECT WindowRect(HWND h) {
    RECT r;
    GetWindowRect(h, &r);
    return r;
}

LOGFONTW FontOfControl(HWND h) {
    LOGFONTW lf{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(h, WM_GETFONT, 0, 0)), sizeof lf, &lf);
    return lf;
}

LONG StockGuiFontHeight() {
    LOGFONTW lf{};
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof lf, &lf);
    return lf.lfHeight;
}

// The system's own number for a metric at a DPI, where the system has it.
int SystemMetricAt(int index, UINT dpi) {
    using Fn = int(WINAPI*)(int, UINT);
    const auto fn = reinterpret_cast<Fn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetSystemMetricsForDpi")));
    return fn ? fn(index, dpi) : MulDiv(GetSystemMetrics(index), static_cast<int>(dpi), static_cast<int>(ScreenDpi()));
}

int IconWidth(HICON icon) {
    ICONINFO info{};
    if (!icon || !GetIconInfo(icon, &info)) return 0;
    BITMAP bm{};
    GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bm, &bm);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return bm.bmWidth;
}

void SendDpiChanged(HWND h, UINT dpi) {
    RECT suggested = WindowRect(h);  // the system's suggestion only counts while the user drags
    SendMessageW(h, kDpiChanged, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
}

class DisplayScale : public GdiplusTest {
protected:
    // Every native control of a loaded window where its design rectangle says, scaled by `dpi`; the model
    // still holding the design rectangle. A list's height is its box with the dropped-down list: left out.
    void ExpectControlsScaled(Window& w, UINT at) {
        FormHost* host = desk.HostOf(w);
        ASSERT_NE(host, nullptr) << w.name();
        int checked = 0;
        for (Component* c : w.components()) {
            HWND h = host->HandleOf(*c);
            if (!h || GetParent(h) != host->hwnd()) continue;
            const Rect d = c->def().rect;
            EXPECT_EQ(c->RawRect().x, d.x) << c->name();
            EXPECT_EQ(c->RawRect().w, d.w) << c->name();
            const RECT got = RectIn(h, host->hwnd());
            EXPECT_EQ(got.left, At(d.x, at)) << c->name() << " at " << at;
            EXPECT_EQ(got.top, At(d.y, at)) << c->name() << " at " << at;
            EXPECT_EQ(got.right - got.left, At(d.w, at)) << c->name() << " at " << at;
            if (c->kind() != Kind::ComboBox) {
                EXPECT_EQ(got.bottom - got.top, At(d.h, at)) << c->name() << " at " << at;
            }
            ++checked;
        }
        EXPECT_GT(checked, 0) << w.name();
    }

    // Own fonts at their scaled character height, the others at the default GUI font for the window's DPI.
    void ExpectFontsScaled(Window& w, UINT at) {
        FormHost* host = desk.HostOf(w);
        ASSERT_NE(host, nullptr);
        const auto own = [](Component* c) -> const Font* {
            if (auto* l = dynamic_cast<Label*>(c)) return &l->design().font;
            if (auto* e = dynamic_cast<EditBox*>(c)) return &e->design().font;
            if (auto* b = dynamic_cast<Button*>(c)) return &b->design().font;
            if (auto* s = dynamic_cast<SuperBtn*>(c)) return &s->design().font;
            if (dynamic_cast<ComboBox*>(c)) {
                static const Font kDefault;
                return &kDefault;
            }
            return nullptr;
        };
        for (Component* c : w.components()) {
            const Font* font = own(c);
            HWND h = host->HandleOf(*c);
            if (!font || !h) continue;
            const LONG want = font->IsDefault()
                                  ? MulDiv(StockGuiFontHeight(), static_cast<int>(at), static_cast<int>(ScreenDpi()))
                                  : -At(font->height, at);
            EXPECT_EQ(FontOfControl(h).lfHeight, want) << c->name() << " at " << at;
        }
    }

    CleanSettings settings;             // some of these start the program, which stores what it starts with
    Win32Desktop desk{&DrawnForScale};  // as the program starts it
    const UINT dpi = ScreenDpi();
};

TEST_F(DisplayScale, RunsAtTheScaleItWasStartedFor) {
    // The bench's own prefix is at 100 %; a copy at another scale names it.
    const char* want = std::getenv("DIDA_EXPECT_DPI");
    EXPECT_EQ(dpi, want ? static_cast<UINT>(std::atoi(want)) : 96u);
}

TEST_F(DisplayScale, TheProcessIsPerMonitorAware) {
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    using Context = HANDLE(WINAPI*)();
    using Awareness = int(WINAPI*)(HANDLE);
    const auto context =
        reinterpret_cast<Context>(reinterpret_cast<void*>(GetProcAddress(user32, "GetThreadDpiAwarenessContext")));
    const auto awareness = reinterpret_cast<Awareness>(
        reinterpret_cast<void*>(GetProcAddress(user32, "GetAwarenessFromDpiAwarenessContext")));
    if (!context || !awareness) GTEST_SKIP() << "a system without per-monitor awareness";
    EXPECT_EQ(awareness(context()), 2);  // DPI_AWARENESS_PER_MONITOR_AWARE, from the manifest
}

TEST_F(DisplayScale, TheBarIsDockedAtItsScaledPlaceAndSize) {
    Program p(desk);
    p.Start();
    HWND bar = desk.HandleOf(p.main);
    ASSERT_NE(bar, nullptr);
    const RECT r = WindowRect(bar);
    const int screen = GetSystemMetrics(SM_CXSCREEN);
    std::printf("the bar at %u DPI: left %ld top %ld, %ld x %ld, right edge %ld from the screen's (%d wide)\n", dpi,
                r.left, r.top, r.right - r.left, r.bottom - r.top, screen - r.right, screen);
    EXPECT_EQ(r.right - r.left, At(316, dpi));
    EXPECT_EQ(r.bottom - r.top, At(22, dpi));
    EXPECT_EQ(r.top, 0);
    EXPECT_NEAR(screen - r.right, 140.0 * dpi / 96, 1.0);
    // The logic placed it in design pixels and reads them back.
    EXPECT_EQ(desk.ScreenWidth(), MulDiv(screen, 96, static_cast<int>(dpi)));
    EXPECT_EQ(p.main.width(), 316);
    EXPECT_EQ(p.main.height(), 22);
    EXPECT_EQ(p.main.top(), 0);
    EXPECT_EQ(p.main.left(), desk.ScreenWidth() - 316 - 140);
    ExpectControlsScaled(p.main, dpi);
    ExpectFontsScaled(p.main, dpi);
    EXPECT_EQ(IconWidth(reinterpret_cast<HICON>(SendMessageW(bar, WM_GETICON, ICON_SMALL, 0))),
              SystemMetricAt(SM_CXSMICON, dpi));
    EXPECT_EQ(IconWidth(reinterpret_cast<HICON>(SendMessageW(bar, WM_GETICON, ICON_BIG, 0))),
              SystemMetricAt(SM_CXICON, dpi));
    desk.UnloadWindow(p.main);
    Pump(desk, 30);
}

TEST_F(DisplayScale, EveryWindowAndControlIsScaled) {
    MainForm m;
    StopwatchForm s;
    FullScreenForm f;
    WarningForm w;
    for (Window* win : std::vector<Window*>{&m, &s, &f, &w}) {
        SCOPED_TRACE(win->name());
        ASSERT_TRUE(desk.LoadWindow(*win));
        const RECT r = WindowRect(desk.HandleOf(*win));
        const Rect d = win->design().rect;
        EXPECT_EQ(r.right - r.left, At(d.w, dpi));
        EXPECT_EQ(r.bottom - r.top, At(d.h, dpi));
        EXPECT_EQ(win->width(), d.w);
        EXPECT_EQ(win->height(), d.h);
        if (win->design().centered) {
            EXPECT_EQ(r.left, (GetSystemMetrics(SM_CXSCREEN) - At(d.w, dpi)) / 2);
            EXPECT_EQ(r.top, (GetSystemMetrics(SM_CYSCREEN) - At(d.h, dpi)) / 2);
        } else {
            EXPECT_EQ(r.left, At(d.x, dpi));
            EXPECT_EQ(r.top, At(d.y, dpi));
        }
        ExpectControlsScaled(*win, dpi);
        ExpectFontsScaled(*win, dpi);
    }
    desk.DestroyAll();
}

// What the bar shows fits in it: one line of each label's text within the label, the lists' rows as tall
// as their font plus their extra design pixels.
TEST_F(DisplayScale, TheBarsTextsFit) {
    MainForm m;
    ASSERT_TRUE(desk.LoadWindow(m));
    FormHost* host = desk.HostOf(m);
    for (Label* l : {&m.标签设定, &m.标签2}) {
        HWND h = host->HandleOf(*l);
        HDC dc = GetDC(h);
        HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(h, WM_GETFONT, 0, 0)));
        RECT text{0, 0, 0, 0};
        DrawTextW(dc, L"     时    分    秒", -1, &text, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
        SelectObject(dc, old);
        ReleaseDC(h, dc);
        RECT client;
        GetClientRect(h, &client);
        EXPECT_LE(text.bottom, client.bottom) << l->name();
        EXPECT_LE(text.right, client.right) << l->name();
    }
    for (ComboBox* c : {&m.组合框类型, &m.组合框声音}) {
        HWND h = host->HandleOf(*c);
        HDC dc = GetDC(h);
        HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(h, WM_GETFONT, 0, 0)));
        TEXTMETRICW tm{};
        GetTextMetricsW(dc, &tm);
        SelectObject(dc, old);
        ReleaseDC(h, dc);
        EXPECT_EQ(SendMessageW(h, CB_GETITEMHEIGHT, 0, 0), tm.tmHeight + At(c->design().extraRowHeight, dpi))
            << c->name();
    }
    desk.DestroyAll();
}

// The speaker button shows the picture drawn for the scale pixel for pixel, not the design one enlarged.
TEST_F(DisplayScale, TheSpeakerIsDrawnForTheScale) {
    Program p(desk);
    p.Start();
    HWND button = desk.HostOf(p.main)->HandleOf(p.main.超级按钮开始);
    ASSERT_NE(button, nullptr);
    const Blob drawn = DrawnForScale(media::kSpeakerWaves, static_cast<int>(dpi));
    const Blob picture = drawn.empty() ? media::kSpeakerWaves : drawn;
    const auto layout = ParseBmp(picture);
    ASSERT_TRUE(layout.has_value());
    const int n = At(20, dpi);
    ASSERT_EQ(layout->width, n);
    const ClientPixels shown(button);
    const int x0 = (shown.width() - n) / 2, y0 = (shown.height() - n) / 2;
    const int stride = (n * 3 + 3) / 4 * 4;
    int ink = 0, wrong = 0;
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            const std::uint8_t* px = picture.data() + layout->bitsOffset + (n - 1 - y) * stride + x * 3;
            const bool isInk = !(px[2] == 0xFF && px[1] == 0x00 && px[0] == 0xFF);
            const COLORREF got = shown.At(x0 + x, y0 + y);
            ink += isInk;
            wrong += isInk ? got != RGB(px[2], px[1], px[0]) : got != GetSysColor(COLOR_BTNFACE);
        }
    EXPECT_GT(ink, n * n / 5);
    EXPECT_EQ(wrong, 0) << "pixels unlike the picture drawn for " << dpi << " DPI";
    desk.UnloadWindow(p.main);
    Pump(desk, 30);
}

// The input box is laid out in dialog units of its 9-point font, which the system sizes for its DPI.
TEST_F(DisplayScale, TheInputBoxGrowsWithItsFont) {
    InputDialogState st;
    st.prompt = "请输入闹铃时长";
    st.caption = "设置";
    HWND dlg = CreateInputDialog(st, nullptr);
    ASSERT_NE(dlg, nullptr);
    RECT client;
    GetClientRect(dlg, &client);
    // Its width in dialog units of 宋体 at a pixel height, as the dialog manager takes them.
    const auto widthFor = [](int pixels) {
        HDC dc = GetDC(nullptr);
        HFONT font = CreateFontW(-pixels, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"宋体");
        HGDIOBJ old = SelectObject(dc, font);
        SIZE letters{};
        GetTextExtentPoint32W(dc, L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", 52, &letters);
        SelectObject(dc, old);
        DeleteObject(font);
        ReleaseDC(nullptr, dc);
        return MulDiv(252, (letters.cx / 26 + 1) / 2, 4);
    };
    EXPECT_EQ(client.right, widthFor(MulDiv(9, static_cast<int>(dpi), 72)));
    // Against the 12-pixel font of 96 DPI: the scale, give or take the one pixel a base unit is rounded by.
    const int width96 = widthFor(12);
    EXPECT_NEAR(double(client.right) / width96, dpi / 96.0, 252.0 / 4 / width96) << client.right << " / " << width96;
    HWND edit = GetDlgItem(dlg, kInputEditId);
    EXPECT_EQ(FontOfControl(edit).lfHeight, -MulDiv(9, static_cast<int>(dpi), 72));
    DestroyWindow(dlg);
}

// A change of scale while the program runs (another monitor, another setting): the bar is laid out again
// for it at once and stays docked, the other windows too, and going back restores every pixel.
TEST_F(DisplayScale, AChangeOfScaleLaysEverythingOutAgain) {
    const UINT other = dpi == 96 ? 144 : 96;
    Program p(desk);
    p.Start();
    ASSERT_TRUE(desk.LoadWindow(p.stopwatch));
    HWND bar = desk.HandleOf(p.main);
    HWND watch = desk.HandleOf(p.stopwatch);
    const RECT barBefore = WindowRect(bar), watchBefore = WindowRect(watch);
    const int screenW = GetSystemMetrics(SM_CXSCREEN), screenH = GetSystemMetrics(SM_CYSCREEN);

    SendDpiChanged(bar, other);
    SendDpiChanged(watch, other);
    const RECT r = WindowRect(bar);
    EXPECT_EQ(r.right - r.left, At(316, other));
    EXPECT_EQ(r.bottom - r.top, At(22, other));
    EXPECT_EQ(r.top, 0);
    EXPECT_NEAR(screenW - r.right, 140.0 * other / 96, 1.0);
    EXPECT_EQ(p.main.width(), 316);
    EXPECT_EQ(p.main.height(), 22);
    EXPECT_EQ(p.main.left(), MulDiv(r.left, 96, static_cast<int>(other)));
    ExpectControlsScaled(p.main, other);
    ExpectFontsScaled(p.main, other);
    EXPECT_EQ(IconWidth(reinterpret_cast<HICON>(SendMessageW(bar, WM_GETICON, ICON_SMALL, 0))),
              SystemMetricAt(SM_CXSMICON, other));
    const RECT w = WindowRect(watch);
    EXPECT_EQ(w.right - w.left, At(410, other));
    EXPECT_EQ(w.bottom - w.top, At(308, other));
    EXPECT_NEAR(w.left, (screenW - At(410, other)) / 2, 1);
    EXPECT_NEAR(w.top, (screenH - At(308, other)) / 2, 1);
    ExpectControlsScaled(p.stopwatch, other);
    ExpectFontsScaled(p.stopwatch, other);

    SendDpiChanged(bar, dpi);
    SendDpiChanged(watch, dpi);
    const RECT barAfter = WindowRect(bar), watchAfter = WindowRect(watch);
    EXPECT_TRUE(EqualRect(&barAfter, &barBefore));
    EXPECT_TRUE(EqualRect(&watchAfter, &watchBefore));
    EXPECT_EQ(p.main.left(), desk.ScreenWidth() - 316 - 140);
    ExpectControlsScaled(p.main, dpi);
    ExpectFontsScaled(p.main, dpi);
    desk.DestroyAll();
}

// At 150 % most device pixels lie between two design ones. A window the user left at such a place stays on it
// while the logic changes another side of it, and the model reads the nearest design pixels.
TEST_F(DisplayScale, ADevicePlaceBetweenDesignPixelsStaysPut) {
    MainForm m;
    ASSERT_TRUE(desk.LoadWindow(m));
    HWND bar = desk.HandleOf(m);
    if (dpi != 144) SendDpiChanged(bar, 144);
    // 1000 and 7 read as 667 and 5, which would be 1001 and 8 again.
    SetWindowPos(bar, nullptr, 1000, 7, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(m.left(), 667);
    EXPECT_EQ(m.top(), 5);
    m.height(30);
    RECT r = WindowRect(bar);
    EXPECT_EQ(r.left, 1000);
    EXPECT_EQ(r.top, 7);
    EXPECT_EQ(r.bottom - r.top, At(30, 144));
    EXPECT_EQ(m.height(), 30);
    // A new value is placed by the scale.
    m.left(700);
    r = WindowRect(bar);
    EXPECT_EQ(r.left, At(700, 144));
    EXPECT_EQ(r.top, 7);
    desk.DestroyAll();
}

// A window over the whole screen covers it at the new scale too; its size in design pixels changes, and the
// size-changed event lets the logic fit its contents.
TEST_F(DisplayScale, AFullScreenWindowStaysFullScreen) {
    const UINT other = dpi == 96 ? 144 : 96;
    FullScreenForm f;
    int sizeEvents = 0;
    f.onSizeChanged = [&] { ++sizeEvents; };
    ASSERT_TRUE(desk.LoadWindow(f));
    sizeEvents = 0;
    f.left(0);
    f.top(0);
    f.width(desk.ScreenWidth());
    f.height(desk.ScreenHeight());
    const int screenW = GetSystemMetrics(SM_CXSCREEN), screenH = GetSystemMetrics(SM_CYSCREEN);
    const RECT before = WindowRect(desk.HandleOf(f));
    EXPECT_EQ(before.right, screenW);
    EXPECT_EQ(before.bottom, screenH);
    SendDpiChanged(desk.HandleOf(f), other);
    const RECT r = WindowRect(desk.HandleOf(f));
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.right, screenW);
    EXPECT_EQ(r.bottom, screenH);
    EXPECT_EQ(f.width(), MulDiv(screenW, 96, static_cast<int>(other)));
    EXPECT_EQ(f.height(), MulDiv(screenH, 96, static_cast<int>(other)));
    EXPECT_EQ(sizeEvents, 1);
    desk.DestroyAll();
}

// ---------------------------------------------------------------- icons at sizes the file does not hold

TEST(IconScaleDown, AveragesTheAreaEachPixelCovers) {
    const std::uint32_t black = 0xFF000000, white = 0xFFFFFFFF, clear = 0x00FF0000, blue = 0xFF0000FF;
    struct Row {
        const char* what;
        Argb source;
        int from, to;
        Argb want;
    } rows[] = {
        {"2:1 of a checkerboard is grey", {black, white, white, black}, 2, 1, {0xFF808080}},
        {"transparent pixels lend no colour", {clear, blue, clear, blue}, 2, 1, {0x800000FF}},
        {"fully transparent stays so", {clear, clear, clear, clear}, 2, 1, {0x00000000}},
        {"3:2 keeps a uniform picture", Argb(9, blue), 3, 2, Argb(4, blue)},
        {"3:2 shares the middle column",
         {black, white, white, black, white, white, black, white, white},
         3,
         2,
         // the first target column: all of column 0 and half of column 1
         {0xFF555555, 0xFFFFFFFF, 0xFF555555, 0xFFFFFFFF}},
    };
    for (const Row& r : rows) {
        const Argb got = ScaleDown(r.source, r.from, r.to);
        ASSERT_EQ(got.size(), r.want.size()) << r.what;
        for (std::size_t i = 0; i < got.size(); ++i) {
            for (int shift : {24, 16, 8, 0})
                EXPECT_NEAR(int((got[i] >> shift) & 0xFF), int((r.want[i] >> shift) & 0xFF), 1)
                    << r.what << " pixel " << i << " channel " << shift;
        }
    }
    EXPECT_TRUE(ScaleDown(Argb(4, blue), 2, 3).empty()) << "never up";
    EXPECT_TRUE(ScaleDown(Argb(3, blue), 2, 1).empty()) << "not a square of that size";
}

TEST(IconScaleDown, TheProgramsIconAtEverySizeTheSystemAsksFor) {
    const std::vector<IcoEntry> entries = ParseIcoDirectory(media::kAppIcon);
    ASSERT_FALSE(entries.empty());
    // Small and large icons at 100, 125, 150, 200 %.
    for (int size : {16, 20, 24, 32, 40, 48, 64}) {
        HICON icon = IconFromIco(media::kAppIcon, size, size);
        ASSERT_NE(icon, nullptr) << size;
        EXPECT_EQ(IconWidth(icon), size);
        DestroyIcon(icon);
    }
    // The 32-bit images carry colours; the PNG and palette images do not count as sources.
    int sources = 0;
    for (const IcoEntry& e : entries) sources += !IcoEntryPixels(media::kAppIcon, e).empty();
    EXPECT_EQ(sources, 3);  // 16, 32 and 48 at 32 bits
}

}  // namespace
}  // namespace dida::win32
