// What every peer shares: the base class, the table from control kind to peer, the painting helpers.
#include "platform/win32/win32_peers.h"

#include "platform/win32/win32_dpi.h"
#include "platform/win32/win32_form_host.h"
#include "platform/win32/win32_system_calls.h"
#include "platform/win32/win32_text.h"

#include <commctrl.h>

namespace dida::win32 {
namespace {

// A reader's first question about any control of the window is when the window's annotations are made:
// until then nothing needs COM, oleacc or the annotation object.
LRESULT CALLBACK AccessProc(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR ref) {
    if (msg == WM_GETOBJECT) reinterpret_cast<FormHost*>(ref)->AccessibilityAsked();
    if (msg == WM_NCDESTROY) RemoveWindowSubclass(h, &AccessProc, kAccessSubclass);
    return DefSubclassProc(h, msg, wp, lp);
}

}  // namespace

// ---------------------------------------------------------------- the kinds

PeerFactory PeerFactoryOf(Kind kind) {
    struct Row {
        Kind kind;
        PeerFactory make;
    };
    static constexpr Row kTable[] = {
        {Kind::Label, &MakeLabelPeer},   {Kind::EditBox, &MakeEditPeer},      {Kind::ComboBox, &MakeComboBoxPeer},
        {Kind::Button, &MakeButtonPeer}, {Kind::SuperBtn, &MakeSuperBtnPeer}, {Kind::PicBox, &MakePicBoxPeer},
        {Kind::Timer, &MakeTimerPeer},   {Kind::TrayIcon, &MakeTrayPeer},
    };
    for (const Row& r : kTable)
        if (r.kind == kind) return r.make;
    return nullptr;
}

bool MakesChildWindow(Kind kind) { return kind != Kind::Timer && kind != Kind::TrayIcon && PeerFactoryOf(kind); }

// ---------------------------------------------------------------- shared

HINSTANCE Instance() { return GetModuleHandleW(nullptr); }

COLORREF Ref(Color c) { return static_cast<COLORREF>(c & 0x00FFFFFFu); }

bool HighContrastOn() {
    HIGHCONTRASTW hc{};
    hc.cbSize = sizeof hc;
    return Sys().SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof hc, &hc, 0) && (hc.dwFlags & HCF_HIGHCONTRASTON);
}

HBRUSH PaintColors(FormHost& host, HDC dc, Color text, Color back) {
    if (host.highContrast()) {
        SetTextColor(dc, host.TextColorOf(text));
        SetBkMode(dc, OPAQUE);
        SetBkColor(dc, host.SystemColor(COLOR_WINDOW));
        return host.SystemBrush(COLOR_WINDOW);
    }
    SetTextColor(dc, Ref(text));
    SetBkMode(dc, OPAQUE);
    if (back == kDefaultColor) {
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        return GetSysColorBrush(COLOR_BTNFACE);
    }
    SetBkColor(dc, Ref(back));
    return host.BrushOf(back);
}

DWORD AlignStyle(Align a, DWORD left, DWORD center, DWORD right) {
    return a == Align::Center ? center : a == Align::Right ? right : left;
}

// ---------------------------------------------------------------- ControlPeer

void ControlPeer::Changed(Prop prop) {
    switch (prop) {
    case Prop::Left:
    case Prop::Top:
    case Prop::Width:
    case Prop::Height: ApplyRect(); break;
    case Prop::Visible: ShowWindow(hwnd_, c_.RawVisible() ? SW_SHOWNA : SW_HIDE); break;
    case Prop::Disable: ApplyDisabled(); break;
    default: OwnChanged(prop); break;
    }
}

void ControlPeer::ApplyDisabled() { EnableWindow(hwnd_, !c_.RawDisabled()); }

bool ControlPeer::TakesFocus() const {
    return hwnd_ && c_.tabStop() && IsWindowVisible(hwnd_) && IsWindowEnabled(hwnd_) && !c_.RawDisabled();
}

Rect ControlPeer::NativeRect() const { return ToDevice(DesignRect(), host_.dpi()); }

int ControlPeer::Scaled(int design) const { return ToDevice(design, host_.dpi()); }

void ControlPeer::DpiChanged() {
    if (!hwnd_) return;
    if (appliedFont_) SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(host_.FontOf(*appliedFont_)), TRUE);
    ApplyRect();
}

void ControlPeer::ApplyRect() {
    const Rect r = NativeRect();
    SetWindowPos(hwnd_, nullptr, r.x, r.y, r.w, r.h, SWP_NOZORDER | SWP_NOACTIVATE);
}

HWND ControlPeer::MakeChild(const wchar_t* cls, const std::wstring& text, DWORD style, DWORD exStyle) {
    style |= WS_CHILD | WS_CLIPSIBLINGS;
    if (c_.RawVisible()) style |= WS_VISIBLE;
    if (c_.tabStop()) style |= WS_TABSTOP;
    const Rect r = NativeRect();
    hwnd_ = CreateWindowExW(exStyle, cls, text.c_str(), style, r.x, r.y, r.w, r.h, host_.hwnd(),
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id_)), Instance(), nullptr);
    if (hwnd_ && c_.RawDisabled()) ApplyDisabled();
    if (hwnd_) SetWindowSubclass(hwnd_, &AccessProc, kAccessSubclass, reinterpret_cast<DWORD_PTR>(&host_));
    return hwnd_;
}

Annotation ControlPeer::Annotated() const {
    Annotation a;
    const CommonDef& d = c_.def();
    if (!d.accessibleName.empty()) a.name = Wide(d.accessibleName);
    if (d.accessibleHidden) a.state = STATE_SYSTEM_INVISIBLE;
    return a;
}

void ControlPeer::ApplyFont(const Font& font) {
    appliedFont_ = font;
    SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(host_.FontOf(font)), FALSE);
}

}  // namespace dida::win32
