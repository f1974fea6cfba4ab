// The bar, the stopwatch, the warning and the rest screen under a high-contrast theme. Wine cannot turn high
// contrast on (SPI_SETHIGHCONTRAST fails there), so the setting and the theme's colours come from stand-ins
// that answer as Windows does with "High Contrast Black" on; the change of theme reaches the windows as the
// system announces it (WM_SYSCOLORCHANGE, WM_SETTINGCHANGE with SPI_SETHIGHCONTRAST).
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/win32/win32_desktop.h"
#include "platform/win32/win32_form_host.h"
#include "platform/win32/win32_images.h"
#include "platform/win32/win32_system_calls.h"
#include "pump.h"
#include "ui/forms.h"
#include "ui/media/media.h"

namespace dida::win32 {
namespace {

bool g_contrastOn = true;

BOOL WINAPI ContrastSetting(UINT action, UINT param, PVOID value, UINT ini) {
    if (action != SPI_GETHIGHCONTRAST) return ::SystemParametersInfoW(action, param, value, ini);
    auto* hc = static_cast<HIGHCONTRASTW*>(value);
    if (!hc || param != sizeof *hc) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    hc->dwFlags = HCF_AVAILABLE | HCF_HOTKEYAVAILABLE | (g_contrastOn ? HCF_HIGHCONTRASTON : 0);
    hc->lpszDefaultScheme = nullptr;
    return TRUE;
}

constexpr COLORREF kThemeWindow = RGB(0, 0, 0), kThemeText = RGB(255, 255, 255),
                   kThemeHighlight = RGB(0x1A, 0xEB, 0xFF);

// The system colours of "High Contrast Black" while it is on; the machine's own otherwise.
DWORD WINAPI ThemeColor(int index) {
    if (g_contrastOn) switch (index) {
        case COLOR_WINDOW:
        case COLOR_BTNFACE:
        case COLOR_HIGHLIGHTTEXT: return kThemeWindow;
        case COLOR_WINDOWTEXT:
        case COLOR_BTNTEXT: return kThemeText;
        case COLOR_HIGHLIGHT: return kThemeHighlight;
        default: break;
        }
    return ::GetSysColor(index);
}

struct Painted {
    COLORREF text, back, brush;
};

// What the window tells the system to paint a control with.
Painted ColorsOf(HWND parent, HWND child, UINT msg) {
    HDC dc = CreateCompatibleDC(nullptr);
    SetTextColor(dc, RGB(1, 2, 3));
    SetBkColor(dc, RGB(4, 5, 6));
    auto brush = reinterpret_cast<HBRUSH>(
        SendMessageW(parent, msg, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(child)));
    LOGBRUSH lb{};
    GetObjectW(brush, sizeof lb, &lb);
    const Painted p{GetTextColor(dc), GetBkColor(dc), lb.lbColor};
    DeleteDC(dc);
    return p;
}

// A control's client area as it paints itself, pixel by pixel (0x00BBGGRR).
std::vector<COLORREF> Render(HWND h, int w, int hgt) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -hgt;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP canvas = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, canvas);
    SendMessageW(h, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT | PRF_ERASEBKGND);
    GdiFlush();
    std::vector<COLORREF> out(static_cast<std::size_t>(w) * hgt);
    const auto* px = static_cast<const std::uint32_t*>(bits);
    for (std::size_t i = 0; i < out.size(); ++i) out[i] = RGB((px[i] >> 16) & 0xFF, (px[i] >> 8) & 0xFF, px[i] & 0xFF);
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(canvas);
    return out;
}

// The design picture's pixels (magenta is its transparent colour).
std::vector<COLORREF> PixelsOf(Blob bmp, int w, int h) {
    HBITMAP b = BitmapFromBmp(bmp);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, b);
    std::vector<COLORREF> out;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) out.push_back(GetPixel(dc, x, y));
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(b);
    return out;
}

constexpr COLORREF kMagenta = RGB(255, 0, 255);

// How many pixels of the rendered button differ from the picture drawn in `ink` on `ground`.
int MismatchesWithGlyph(const std::vector<COLORREF>& shown, const std::vector<COLORREF>& design, COLORREF ink,
                        COLORREF ground) {
    int bad = 0;
    for (std::size_t i = 0; i < design.size(); ++i) bad += shown[i] != (design[i] == kMagenta ? ground : ink);
    return bad;
}

class HighContrast : public ::testing::Test {
protected:
    void SetUp() override { g_contrastOn = true; }
    HWND HandleOf(Window& w, Component& c) { return desk.HostOf(w)->HandleOf(c); }

    Win32Desktop desk;
    StandIn<decltype(SystemCalls::SystemParametersInfoW)> setting{Sys().SystemParametersInfoW, &ContrastSetting};
    StandIn<decltype(SystemCalls::GetSysColor)> colors{Sys().GetSysColor, &ThemeColor};
};

TEST_F(HighContrast, TextsAndBackgroundsTakeTheThemesColoursAndTheFlashingAlternatesTextAndHighlight) {
    MainForm bar;
    StopwatchForm stopwatch;
    FullScreenForm rest;
    WarningForm warning;
    const struct Row {
        const char* what;
        Window* w;
        Component* c;
        std::function<void()> before;
        UINT msg;
        COLORREF normalText, normalBack;  // kDefaultColor: the system's button face
        COLORREF themeText;
    } rows[] = {
        {"the fields' frame", &bar, &bar.标签设定, {}, WM_CTLCOLORSTATIC, RGB(0, 0, 0), kDefaultColor, kThemeText},
        {"status, flashed red", &bar, &bar.标签2, [&] { bar.标签2.TextColor(255); }, WM_CTLCOLORSTATIC, RGB(255, 0, 0),
         kDefaultColor, kThemeHighlight},
        {"status, flashed back", &bar, &bar.标签2, [&] { bar.标签2.TextColor(0); }, WM_CTLCOLORSTATIC, RGB(0, 0, 0),
         kDefaultColor, kThemeText},
        {"a field, flashed red", &bar, &bar.时1, [&] { bar.时1.TextColor(255); }, WM_CTLCOLOREDIT, RGB(255, 0, 0),
         kDefaultColor, kThemeHighlight},
        {"the stopwatch's seconds, red on white",
         &stopwatch,
         &stopwatch.标签秒时间,
         {},
         WM_CTLCOLORSTATIC,
         RGB(255, 0, 0),
         RGB(255, 255, 255),
         kThemeHighlight},
        {"the stopwatch's last time",
         &stopwatch,
         &stopwatch.标签2,
         {},
         WM_CTLCOLORSTATIC,
         RGB(0, 0, 0),
         kDefaultColor,
         kThemeText},
        {"the warning", &warning, &warning.标签1, {}, WM_CTLCOLORSTATIC, RGB(0, 0, 0), kDefaultColor, kThemeText},
        {"the rest screen, white on black",
         &rest,
         &rest.编辑框全屏,
         {},
         WM_CTLCOLORSTATIC,
         RGB(255, 255, 255),
         RGB(0, 0, 0),
         kThemeText},
    };
    for (bool on : {true, false}) {
        g_contrastOn = on;
        for (const Row& r : rows) {
            const std::string what = std::string(r.what) + (on ? ", high contrast" : ", normal contrast");
            if (!r.w->loaded()) {
                ASSERT_TRUE(desk.LoadWindow(*r.w)) << what;
            }
            if (r.before) r.before();
            const Painted p = ColorsOf(desk.HandleOf(*r.w), HandleOf(*r.w, *r.c), r.msg);
            const COLORREF back = r.normalBack == kDefaultColor ? ::GetSysColor(COLOR_BTNFACE) : r.normalBack;
            EXPECT_EQ(p.text, on ? r.themeText : r.normalText) << what;
            EXPECT_EQ(p.back, on ? kThemeWindow : back) << what;
            EXPECT_EQ(p.brush, on ? kThemeWindow : back) << what;
        }
        for (Window* w : {static_cast<Window*>(&bar), static_cast<Window*>(&stopwatch), static_cast<Window*>(&rest),
                          static_cast<Window*>(&warning)})
            desk.UnloadWindow(*w);
        Pump(desk, 30);
    }
}

TEST_F(HighContrast, TheSpeakerIsDrawnInTheThemesTextColourAndInItsHighlightUnderThePointer) {
    MainForm bar;
    ASSERT_TRUE(desk.LoadWindow(bar));
    bar.超级按钮开始.PicOut(media::kSpeakerWaves);
    bar.超级按钮开始.PicIn(media::kSpeakerCrossedOrange);
    HWND speaker = HandleOf(bar, bar.超级按钮开始);
    RECT rc;
    GetClientRect(speaker, &rc);
    ASSERT_EQ(rc.right, 20);
    const std::vector<COLORREF> waves = PixelsOf(media::kSpeakerWaves, 20, 20);
    const std::vector<COLORREF> crossed = PixelsOf(media::kSpeakerCrossedOrange, 20, 20);
    EXPECT_EQ(MismatchesWithGlyph(Render(speaker, 20, 20), waves, kThemeText, kThemeWindow), 0);
    ControlPeer* peer = desk.HostOf(bar)->PeerOf(bar.超级按钮开始);
    peer->PointerEntered();
    EXPECT_EQ(MismatchesWithGlyph(Render(speaker, 20, 20), crossed, kThemeHighlight, kThemeWindow), 0);
    peer->PointerLeft();
    // The close button's × in the theme's text colour, nothing of the normal face left.
    const std::vector<COLORREF> close = Render(HandleOf(bar, bar.超级按钮1), 20, 20);
    int ink = 0, face = 0;
    for (COLORREF c : close) {
        ink += c == kThemeText;
        face += c == ::GetSysColor(COLOR_BTNFACE);
    }
    EXPECT_GT(ink, 5);
    EXPECT_EQ(face, 0);
    desk.UnloadWindow(bar);
    Pump(desk, 30);
}

TEST_F(HighContrast, SwitchingTheThemeTakesEffectAtOnce) {
    const struct {
        const char* what;
        UINT msg;
        WPARAM wp;
    } rows[] = {{"colours changed", WM_SYSCOLORCHANGE, 0},
                {"high contrast set", WM_SETTINGCHANGE, SPI_SETHIGHCONTRAST}};
    for (const auto& r : rows) {
        g_contrastOn = false;
        MainForm bar;
        ASSERT_TRUE(desk.LoadWindow(bar)) << r.what;
        bar.超级按钮开始.PicOut(media::kSpeakerWaves);
        HWND h = desk.HandleOf(bar), frame = HandleOf(bar, bar.标签设定), speaker = HandleOf(bar, bar.超级按钮开始);
        const std::vector<COLORREF> waves = PixelsOf(media::kSpeakerWaves, 20, 20);
        const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
        EXPECT_EQ(ColorsOf(h, frame, WM_CTLCOLORSTATIC).back, face) << r.what;
        EXPECT_NE(MismatchesWithGlyph(Render(speaker, 20, 20), waves, kThemeText, kThemeWindow), 0) << r.what;
        for (bool on : {true, false}) {
            g_contrastOn = on;
            SendMessageW(h, r.msg, r.wp, 0);
            const Painted p = ColorsOf(h, frame, WM_CTLCOLORSTATIC);
            EXPECT_EQ(p.back, on ? kThemeWindow : face) << r.what << (on ? " on" : " off");
            EXPECT_EQ(p.text, on ? kThemeText : RGB(0, 0, 0)) << r.what << (on ? " on" : " off");
            EXPECT_EQ(MismatchesWithGlyph(Render(speaker, 20, 20), waves, kThemeText, kThemeWindow) == 0, on)
                << r.what << (on ? " on" : " off");
        }
        desk.UnloadWindow(bar);
        Pump(desk, 30);
    }
}

}  // namespace
}  // namespace dida::win32
