// The window host: the top-level window, its peers, its procedure and keyboard rules.
#include "platform/win32/win32_form_host.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdlib>

#include "platform/win32/win32_boundary.h"
#include "platform/win32/win32_desktop.h"
#include "platform/win32/win32_dpi.h"
#include "platform/win32/win32_images.h"
#include "platform/win32/win32_menu.h"
#include "platform/win32/win32_system_calls.h"
#include "platform/win32/win32_text.h"

namespace dida::win32 {
namespace {

constexpr int kFirstControlId = 1000;
// Below the controls' ids, which are also their timers' ids.
constexpr UINT_PTR kPointerPollTimer = 1;
constexpr UINT kPointerPollMs = 100;
constexpr UINT_PTR kToolTipSubclass = 8;
constexpr int kEscHotKey = 1;  // per window

// Along one axis, after a change of scale: a window docked at an edge (the bar at the top, 140 design pixels
// from the right) keeps its distance to the nearer edge, scaled; one centred between them stays centred.
int Anchored(int before, int after, int lo, int hi, int size, UINT from, UINT to) {
    if (std::abs(before - after) <= 1) return lo + (hi - lo - size) / 2;
    if (before < after) return lo + MulDiv(before, static_cast<int>(to), static_cast<int>(from));
    return hi - size - MulDiv(after, static_cast<int>(to), static_cast<int>(from));
}

LRESULT CALLBACK FormTrampoline(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
        SetWindowLongPtrW(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    }
    auto* host = reinterpret_cast<FormHost*>(GetWindowLongPtrW(h, GWLP_USERDATA));
    if (!host) return DefWindowProcW(h, msg, wp, lp);
    if (msg == WM_NCDESTROY) SetWindowLongPtrW(h, GWLP_USERDATA, 0);
    // Also a message sent from outside any dispatch of ours (another process, the system) may close the window.
    const Win32Desktop::Busy busy(host->desktop());
    return host->Proc(h, msg, wp, lp);
}

std::wstring FormClassName(const Window& w) { return kFormClassPrefix + Wide(w.design().name); }

void RegisterFormClass(const std::wstring& name) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = FormTrampoline;
    wc.hInstance = Instance();
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = name.c_str();
    RegisterClassExW(&wc);  // already there from an earlier load: fine
}

}  // namespace

FormHost::FormHost(Win32Desktop& desk, Window& window) : desk_(desk), window_(window) {}

FormHost::~FormHost() { Destroy(); }

bool FormHost::Create() {
    const WindowDef& d = window_.design();
    const std::wstring cls = FormClassName(window_);
    RegisterFormClass(cls);

    DWORD style = WS_POPUP | WS_CLIPCHILDREN;
    DWORD ex = 0;
    if (d.frame == Frame::ToolFixed) {
        style |= WS_CAPTION | WS_SYSMENU;
        ex |= WS_EX_TOOLWINDOW;
    }
    if (d.topMost) ex |= WS_EX_TOPMOST;
    if (d.inTaskbar) ex |= WS_EX_APPWINDOW;
    // The window's own DPI is known once it exists: the system's first, that of its monitor after.
    dpi_ = SystemDpi();
    highContrast_ = HighContrastOn();
    Rect r = PlacedRect(d.centered);
    lastRect_ = r;
    HWND owner = d.inTaskbar ? nullptr : desk_.HiddenOwner();
    applying_ = true;
    hwnd_ = CreateWindowExW(ex, cls.c_str(), Wide(d.caption).c_str(), style, r.x, r.y, r.w, r.h, owner, nullptr,
                            Instance(), this);
    applying_ = false;
    if (!hwnd_) return false;
    window_.AttachPeer(this);
    if (const UINT dpi = WindowDpi(hwnd_); dpi != dpi_) {
        dpi_ = dpi;
        r = PlacedRect(d.centered);
        applying_ = true;
        SetWindowPos(hwnd_, nullptr, r.x, r.y, r.w, r.h, SWP_NOZORDER | SWP_NOACTIVATE);
        applying_ = false;
    }
    // Only a window with a taskbar button shows its icons from the start; the others show them nowhere until
    // the user switches windows, so they take them once they are on the screen.
    if (d.inTaskbar) TakeIcons();

    // Definition order is the stacking order, bottom first. The system puts each new child below its siblings,
    // so the children are made last first and come out stacked as defined; the timers and the tray entry,
    // which have no child window, follow in definition order.
    const std::vector<Component*>& components = window_.components();
    std::vector<std::unique_ptr<ControlPeer>> made(components.size());
    const auto make = [&](std::size_t i) {
        Component& c = *components[i];
        const PeerFactory factory = PeerFactoryOf(c.kind());
        if (!factory) return;
        std::unique_ptr<ControlPeer> peer = factory(*this, c, kFirstControlId + static_cast<int>(i));
        // Known by its id already: a list asks for its row height while it is being made.
        byId_[static_cast<UINT_PTR>(peer->id())] = peer.get();
        peer->Create();
        c.AttachPeer(peer.get());
        if (peer->hwnd()) byHandle_[peer->hwnd()] = peer.get();
        made[i] = std::move(peer);
    };
    for (std::size_t i = components.size(); i-- > 0;)
        if (MakesChildWindow(components[i]->kind())) make(i);
    for (std::size_t i = 0; i < components.size(); ++i)
        if (!MakesChildWindow(components[i]->kind())) make(i);
    for (auto& peer : made)
        if (peer) peers_.push_back(std::move(peer));
    // A reader that asked while the controls were still being made finds them annotated now.
    if (accessAsked_)
        for (const auto& p : peers_) Reannotate(*p);
    StackAsDefined();
    if (window_.RawDisabled()) EnableWindow(hwnd_, FALSE);
    return true;
}

void FormHost::StackAsDefined() {
    std::vector<HWND> wanted;  // top first
    for (auto it = peers_.rbegin(); it != peers_.rend(); ++it)
        if ((*it)->hwnd() && GetParent((*it)->hwnd()) == hwnd_) wanted.push_back((*it)->hwnd());
    std::size_t at = 0;
    HWND h = GetWindow(hwnd_, GW_CHILD);
    for (; h && at < wanted.size() && h == wanted[at]; h = GetWindow(h, GW_HWNDNEXT)) ++at;
    if (!h && at == wanted.size()) return;
    // A system that stacks new children otherwise: each child in turn goes on top.
    for (auto it = wanted.rbegin(); it != wanted.rend(); ++it)
        SetWindowPos(*it, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void FormHost::ShowFirst() {
    if (!hwnd_) return;
    firstShown_ = true;
    PlaceNow();
    // A created handler that showed or hid the window has had its way already.
    if (!IsWindowVisible(hwnd_) && window_.RawVisible()) {
        ShowWindow(hwnd_, SW_SHOW);
        UpdateWindow(hwnd_);
        // The documented way to the keyboard: a window opened by a timer while the user works in another
        // program is refused it, and the system flashes its taskbar button instead.
        if (window_.design().inTaskbar) Sys().SetForegroundWindow(hwnd_);
        if (GetActiveWindow() == hwnd_) FocusFirst();
    }
    SyncEscHotKey();
    // What the first sight of the window does not need comes after it.
    if (!bigIcon_) TakeIcons();
    ToolTips();
}

void FormHost::Destroy() {
    if (destroying_ && !hwnd_) return;
    destroying_ = true;
    pointerOn_ = nullptr;
    // Destroyed while the user drags it: the drag's loop ends with it.
    if (inSizeMove_) desk_.LeaveSystemLoop();
    inSizeMove_ = false;
    SyncEscHotKey();
    if (annotations_) {
        for (HWND h : annotated_) ClearAnnotation(*annotations_, h);
        annotations_->Release();
        annotations_ = nullptr;
    }
    annotated_.clear();
    accessAsked_ = false;
    for (const auto& p : peers_) {
        p->Release();
        if (p->component().peer() == p.get()) p->component().AttachPeer(nullptr);
    }
    if (window_.peer() == this) window_.AttachPeer(nullptr);
    if (hwnd_) {
        HWND h = hwnd_;
        DestroyWindow(h);
        hwnd_ = nullptr;
    }
    if (toolTips_) DestroyWindow(toolTips_);
    toolTips_ = nullptr;
    tips_.clear();
    byId_.clear();
    byHandle_.clear();
    peers_.clear();
    fonts_.clear();
    lineHeights_.clear();
    brushes_.clear();
    bigIcon_.Reset();
    smallIcon_.Reset();
}

void FormHost::Changed(Prop prop) {
    if (!hwnd_) return;
    switch (prop) {
    case Prop::Left:
    case Prop::Top:
    case Prop::Width:
    case Prop::Height:
        // A created handler places the window side by side (left, then top, then height): it moves once, when
        // it is first shown.
        placePending_ = true;
        if (firstShown_) PlaceNow();
        break;
    case Prop::Visible:
        PlaceNow();
        // The bar is a tool on top of everything: showing it must not take the focus from the user's work.
        ShowWindow(hwnd_, window_.RawVisible() ? (window_.design().inTaskbar ? SW_SHOW : SW_SHOWNA) : SW_HIDE);
        SyncEscHotKey();
        break;
    case Prop::Disable: EnableWindow(hwnd_, !window_.RawDisabled()); break;
    case Prop::EscCloses: SyncEscHotKey(); break;
    default: break;
    }
}

void FormHost::SyncEscHotKey() {
    // Only while the window is up and takes keys: a message box or dialog over it gets its Esc back.
    const bool wanted = hwnd_ && !destroying_ && firstShown_ && window_.design().escAnywhere && window_.EscCloses() &&
                        IsWindowVisible(hwnd_) && IsWindowEnabled(hwnd_);
    if (wanted == escHotKey_) return;
    if (wanted)
        escHotKey_ = RegisterHotKey(hwnd_, kEscHotKey, MOD_NOREPEAT, VK_ESCAPE) != FALSE;
    else {
        UnregisterHotKey(hwnd_, kEscHotKey);
        escHotKey_ = false;
    }
}

void FormHost::PlaceNow() {
    if (!placePending_ || !hwnd_) return;
    placePending_ = false;
    const Rect r = DeviceOf(window_.RawRect());
    applying_ = true;
    SetWindowPos(hwnd_, nullptr, r.x, r.y, r.w, r.h, SWP_NOZORDER | SWP_NOACTIVATE);
    applying_ = false;
}

void FormHost::Activate() {
    if (!hwnd_) return;
    PlaceNow();
    if (IsIconic(hwnd_)) {
        ShowWindow(hwnd_, SW_RESTORE);
        return;
    }
    Sys().SetForegroundWindow(hwnd_);
    BringWindowToTop(hwnd_);
}

void FormHost::AccessibilityAsked() {
    if (accessAsked_ || destroying_ || !hwnd_) return;
    accessAsked_ = true;
    if (FAILED(Sys().CreateAccPropServices(&annotations_))) annotations_ = nullptr;
    for (const auto& p : peers_) Reannotate(*p);
}

void FormHost::Reannotate(const ControlPeer& peer) {
    if (!annotations_ || !peer.hwnd()) return;
    const Annotation a = peer.Annotated();
    const bool any = a.name || a.role || a.state || a.liveSetting;
    // A control that never carried one is left alone: the proxy's answer is all it needs.
    if (!any && !annotated_.count(peer.hwnd())) return;
    Annotate(*annotations_, peer.hwnd(), a);
    annotated_.insert(peer.hwnd());
}

ControlPeer* FormHost::PeerOf(const Component& c) const {
    for (const auto& p : peers_)
        if (&p->component() == &c) return p.get();
    return nullptr;
}

ControlPeer* FormHost::PeerOfHandle(HWND h) const {
    const auto it = byHandle_.find(h);
    return it == byHandle_.end() ? nullptr : it->second;
}

HWND FormHost::HandleOf(const Component& c) const {
    if (&c == &window_) return hwnd_;
    const ControlPeer* p = PeerOf(c);
    return p ? p->hwnd() : nullptr;
}

HWND FormHost::ToolTips() {
    if (!toolTips_ && hwnd_ && !destroying_) {
        toolTips_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                    CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr,
                                    Instance(), nullptr);
        if (toolTips_) {
            SetWindowSubclass(toolTips_, &FormHost::ToolTipProc, kToolTipSubclass, reinterpret_cast<DWORD_PTR>(this));
            for (auto& [tool, text] : tips_) SendTip(TTM_ADDTOOLW, tool, text);
        }
    }
    return toolTips_;
}

void FormHost::SetToolTip(HWND tool, const std::string& text) {
    if (!tool) return;
    const auto [it, added] = tips_.insert_or_assign(tool, Wide(text));
    // Before the window is first shown the text is only kept: the tooltip window is made then.
    if (toolTips_) SendTip(added ? TTM_ADDTOOLW : TTM_UPDATETIPTEXTW, tool, it->second);
}

void FormHost::SendTip(UINT msg, HWND tool, std::wstring& text) {
    TTTOOLINFOW ti{};
    ti.cbSize = TTTOOLINFOW_V2_SIZE;
    ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    ti.hwnd = hwnd_;
    ti.uId = reinterpret_cast<UINT_PTR>(tool);
    ti.lpszText = text.data();
    SendMessageW(toolTips_, msg, 0, reinterpret_cast<LPARAM>(&ti));
}

// The tooltip asks which window is under the pointer before it shows a tip. The system does not name a
// disabled child there, so the tip of the disabled child the pointer is over would never show.
LRESULT CALLBACK FormHost::ToolTipProc(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR ref) {
    auto* self = reinterpret_cast<FormHost*>(ref);
    if (msg == TTM_WINDOWFROMPOINT && lp && self->pointerOn_) {
        RECT r;
        GetWindowRect(self->pointerOn_->hwnd(), &r);
        if (PtInRect(&r, *reinterpret_cast<const POINT*>(lp)))
            return reinterpret_cast<LRESULT>(self->pointerOn_->hwnd());
    }
    if (msg == WM_NCDESTROY) RemoveWindowSubclass(h, &FormHost::ToolTipProc, kToolTipSubclass);
    return DefSubclassProc(h, msg, wp, lp);
}

void FormHost::TrackDisabledPointer(bool moved) {
    if (!hwnd_ || destroying_) return;
    POINT screen{};
    GetCursorPos(&screen);
    ControlPeer* over = nullptr;
    // Only while nothing of another window lies between the pointer and this one.
    if (IsWindowVisible(hwnd_) && GetAncestor(WindowFromPoint(screen), GA_ROOT) == hwnd_) {
        POINT pt = screen;
        ScreenToClient(hwnd_, &pt);
        HWND child = ChildWindowFromPointEx(hwnd_, pt, CWP_SKIPINVISIBLE);
        ControlPeer* p = child != hwnd_ ? PeerOfHandle(child) : nullptr;
        if (p && p->TracksPointerWhileDisabled() && !IsWindowEnabled(child)) over = p;
    }
    if (over != pointerOn_) {
        if (pointerOn_) pointerOn_->PointerLeft();
        pointerOn_ = over;
        if (over) {
            over->PointerEntered();
            // Nothing tells this window when the pointer leaves the child for another window: it looks.
            SetTimer(hwnd_, kPointerPollTimer, kPointerPollMs, nullptr);
        } else {
            KillTimer(hwnd_, kPointerPollTimer);
        }
    }
    if (over && moved) {
        // The tooltip learns of the pointer from the child's own messages, which a disabled child does not get.
        POINT at = screen;
        ScreenToClient(over->hwnd(), &at);
        MSG m{over->hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(at.x, at.y), static_cast<DWORD>(GetMessageTime()), screen};
        SendMessageW(ToolTips(), TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&m));
    }
}

HFONT FormHost::FontOf(const Font& font) {
    if (font.IsDefault() && dpi_ == SystemDpi()) return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    const std::string key = font.face + "|" + std::to_string(font.height) + "|" + std::to_string(font.weight) + "|" +
                            (font.italic ? "i" : "") + (font.underline ? "u" : "") + (font.strikeOut ? "s" : "") + "@" +
                            std::to_string(dpi_);
    auto it = fonts_.find(key);
    if (it != fonts_.end()) return it->second.get();
    HFONT f = nullptr;
    if (font.IsDefault()) {
        const LOGFONTW lf = DefaultGuiFontFor(dpi_);
        f = CreateFontIndirectW(&lf);
    } else {
        // The character height is the em height: a negative height asks for exactly that, without the leading.
        f = CreateFontW(-ToDevice(font.height, dpi_), 0, 0, 0, font.weight, font.italic, font.underline, font.strikeOut,
                        DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, PROOF_QUALITY, DEFAULT_PITCH,
                        Wide(font.face).c_str());
    }
    fonts_[key].Reset(f);
    return f;
}

int FormHost::LineHeightOf(HFONT font) {
    if (const auto it = lineHeights_.find(font); it != lineHeights_.end()) return it->second;
    HDC dc = GetDC(hwnd_);
    HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(hwnd_, dc);
    lineHeights_[font] = tm.tmHeight;
    return tm.tmHeight;
}

HBRUSH FormHost::BrushOf(Color color) {
    auto it = brushes_.find(color);
    if (it != brushes_.end()) return it->second.get();
    HBRUSH b = CreateSolidBrush(Ref(color));
    brushes_[color].Reset(b);
    return b;
}

COLORREF FormHost::SystemColor(int index) const { return Sys().GetSysColor(index); }

HBRUSH FormHost::SystemBrush(int index) { return BrushOf(static_cast<Color>(SystemColor(index))); }

COLORREF FormHost::TextColorOf(Color design) const {
    if (!highContrast_) return Ref(design);
    const Color rgb = design & 0x00FFFFFFu;
    return SystemColor(rgb == 0 || rgb == 0xFFFFFF ? COLOR_WINDOWTEXT : COLOR_HIGHLIGHT);
}

void FormHost::ColorsChanged() {
    if (!hwnd_ || destroying_) return;
    highContrast_ = HighContrastOn();
    // Brushes of the old colours are not needed again.
    brushes_.clear();
    for (const auto& p : peers_) {
        p->ColorsChanged();
        // Common controls hear of a change of colours from their parent.
        if (p->hwnd()) SendMessageW(p->hwnd(), WM_SYSCOLORCHANGE, 0, 0);
    }
    RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

std::vector<ControlPeer*> FormHost::TabStops() const {
    std::vector<ControlPeer*> stops;
    for (const auto& p : peers_)
        if (p->TakesFocus()) stops.push_back(p.get());
    return stops;
}

void FormHost::ShowFocusCues() {
    // As a dialog does on Tab: the focus is shown from now on in every control of the window.
    if (hwnd_) SendMessageW(hwnd_, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
}

void FormHost::FocusFromKeyboard() {
    if (!hwnd_ || !IsWindowVisible(hwnd_)) return;
    Activate();
    FocusFirst();
    ShowFocusCues();
}

void FormHost::FocusFirst() {
    const std::vector<ControlPeer*> stops = TabStops();
    if (!stops.empty()) SetFocus(stops.front()->hwnd());
}

bool FormHost::PreTranslate(const MSG& msg) {
    if (msg.message != WM_KEYDOWN || !hwnd_) return false;
    HWND focus = msg.hwnd;
    const ControlPeer* focused = PeerOfHandle(focus);
    const bool droppedList = focused && focused->ListDropped();
    switch (msg.wParam) {
    case VK_ESCAPE: return !droppedList && desk_.windows().EscPressed(window_);
    case VK_RETURN:
        if (droppedList) return false;
        if (focused && focused->PressedByEnter() && IsWindowEnabled(focus)) {
            SendMessageW(focus, BM_CLICK, 0, 0);
            return true;
        }
        for (const auto& p : peers_) {
            if (!p->IsDefaultButton()) continue;
            if (!IsWindowVisible(p->hwnd()) || p->component().RawDisabled()) return false;
            SendMessageW(p->hwnd(), BM_CLICK, 0, 0);
            return true;
        }
        return false;
    case VK_TAB: {
        const std::vector<ControlPeer*> stops = TabStops();
        if (stops.empty()) return false;
        const bool back = GetKeyState(VK_SHIFT) < 0;
        std::size_t at = stops.size();
        for (std::size_t i = 0; i < stops.size(); ++i)
            if (stops[i]->hwnd() == focus || IsChild(stops[i]->hwnd(), focus)) at = i;
        std::size_t next;
        if (at == stops.size())
            next = back ? stops.size() - 1 : 0;
        else
            next = back ? (at + stops.size() - 1) % stops.size() : (at + 1) % stops.size();
        stops[next]->FocusByTab();
        ShowFocusCues();
        return true;
    }
    default: return false;
    }
}

Rect FormHost::PlacedRect(bool centre) {
    Rect r = ToDevice(window_.RawRect(), dpi_);
    if (centre) {
        r.x = (GetSystemMetrics(SM_CXSCREEN) - r.w) / 2;
        r.y = (GetSystemMetrics(SM_CYSCREEN) - r.h) / 2;
        window_.UserMoved(ToDesign(r, dpi_));
    }
    return r;
}

Rect FormHost::DeviceOf(const Rect& design) const {
    // Device values between two design ones (a window dragged at 150 %) stay as they are while the logic
    // changes another side of the rectangle.
    const auto keep = [this](int want, int last) { return ToDesign(last, dpi_) == want ? last : ToDevice(want, dpi_); };
    return {keep(design.x, lastRect_.x), keep(design.y, lastRect_.y), keep(design.w, lastRect_.w),
            keep(design.h, lastRect_.h)};
}

void FormHost::TakeIcons() {
    const Blob icon = window_.design().icon;
    if (icon.empty() || !hwnd_) return;
    HICON big = IconFromIco(icon, MetricForDpi(SM_CXICON, dpi_), MetricForDpi(SM_CYICON, dpi_));
    HICON little = IconFromIco(icon, MetricForDpi(SM_CXSMICON, dpi_), MetricForDpi(SM_CYSMICON, dpi_));
    SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
    SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(little));
    // The window shows the new icons by now, so the old ones may go.
    bigIcon_.Reset(big);
    smallIcon_.Reset(little);
}

void FormHost::Rescale(UINT dpi, const RECT* suggested) {
    if (!hwnd_ || dpi == 0 || dpi == dpi_) return;
    PlaceNow();
    const UINT old = dpi_;
    RECT wr;
    GetWindowRect(hwnd_, &wr);
    const Rect design = window_.RawRect();
    Rect r{0, 0, ToDevice(design.w, dpi), ToDevice(design.h, dpi)};
    MONITORINFO mi{};
    mi.cbSize = sizeof mi;
    GetMonitorInfoW(MonitorFromWindow(hwnd_, MONITOR_DEFAULTTONEAREST), &mi);
    const RECT& m = mi.rcMonitor;
    if (inSizeMove_ && suggested) {
        // Dragged onto a monitor of another scale: the system's place keeps it under the pointer.
        r.x = suggested->left;
        r.y = suggested->top;
    } else if (wr.left <= m.left && wr.top <= m.top && wr.right >= m.right && wr.bottom >= m.bottom) {
        // A window over the whole screen keeps covering it; the model then reads its new design size.
        r = {m.left, m.top, m.right - m.left, m.bottom - m.top};
    } else {
        r.x = Anchored(wr.left - m.left, m.right - wr.right, m.left, m.right, r.w, old, dpi);
        r.y = Anchored(wr.top - m.top, m.bottom - wr.bottom, m.top, m.bottom, r.h, old, dpi);
    }
    dpi_ = dpi;
    TakeIcons();
    for (const auto& p : peers_) p->DpiChanged();
    // The system's change, not the logic's: the model reads the new place and the window's events follow.
    SetWindowPos(hwnd_, nullptr, r.x, r.y, r.w, r.h, SWP_NOZORDER | SWP_NOACTIVATE);
    // Also where the window keeps its device rectangle (over the whole screen) and the system sends nothing.
    SyncModelRect();
    InvalidateRect(hwnd_, nullptr, TRUE);
}

void FormHost::SyncModelRect() {
    // Until a place the logic gave is applied, the model's rectangle is the one that holds.
    if (!hwnd_ || IsIconic(hwnd_) || destroying_ || placePending_) return;
    RECT wr;
    GetWindowRect(hwnd_, &wr);
    lastRect_ = Rect{wr.left, wr.top, wr.right - wr.left, wr.bottom - wr.top};
    const Rect r = ToDesign(lastRect_, dpi_);
    const Rect before = window_.RawRect();
    window_.UserMoved(r);
    // Only changes the system made are events; the logic's own writes raise nothing.
    if (applying_ || !window_.loaded()) return;
    if ((r.x != before.x || r.y != before.y) && window_.onPosChanged) window_.onPosChanged();
    if ((r.w != before.w || r.h != before.h) && window_.loaded() && window_.onSizeChanged) window_.onSizeChanged();
}

LRESULT FormHost::Proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) noexcept {
    if (!hwnd_ && !destroying_) hwnd_ = h;
    return AtTheBoundary(
        L"window procedure", [&] { return std::optional<LRESULT>(Handle(msg, wp, lp)); },
        [&] { return DefWindowProcW(h, msg, wp, lp); });
}

LRESULT FormHost::Handle(UINT msg, WPARAM wp, LPARAM lp) {
    HWND self = hwnd_;
    switch (msg) {
    case WM_COMMAND:
        if (lp != 0) {
            if (ControlPeer* p = PeerOfHandle(reinterpret_cast<HWND>(lp)); p && p->OnCommand(HIWORD(wp))) return 0;
        } else if (HIWORD(wp) == 0 && !destroying_) {
            // A pop-up menu's choice arrives here after the menu has closed.
            if (MenuItem* item = MenuItemOfCommand(window_, LOWORD(wp))) item->UserChose();
            return 0;
        }
        break;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
        if (ControlPeer* p = PeerOfHandle(reinterpret_cast<HWND>(lp)))
            if (HBRUSH b = p->OnCtlColor(reinterpret_cast<HDC>(wp))) return reinterpret_cast<LRESULT>(b);
        break;
    case WM_MEASUREITEM: {
        auto* mi = reinterpret_cast<MEASUREITEMSTRUCT*>(lp);
        if (const auto it = byId_.find(mi->CtlID); mi->CtlType != ODT_MENU && it != byId_.end())
            if (it->second->OnMeasureItem(*mi)) return TRUE;
        break;
    }
    case WM_DRAWITEM: {
        const auto* di = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
        if (ControlPeer* p = PeerOfHandle(di->hwndItem); p && p->OnDrawItem(*di)) return TRUE;
        break;
    }
    case WM_SETCURSOR:
    case WM_MOUSEMOVE:
        // WM_SETCURSOR comes from the child under the pointer too, also from a disabled one.
        TrackDisabledPointer(true);
        break;
    case WM_TIMER:
        if (wp == kPointerPollTimer) {
            TrackDisabledPointer(false);
            return 0;
        }
        // A timer control's window timer runs on this window under the control's id.
        if (const auto it = byId_.find(static_cast<UINT_PTR>(wp)); it != byId_.end()) {
            it->second->OnTimer();
            return 0;
        }
        break;
    case WM_TIMECHANGE:
        for (const auto& p : peers_) p->OnClockSet();
        desk_.ClockSet();  // every top-level window hears it; aiming again is the same each time
        break;
    case WM_DISPLAYCHANGE: window_.DisplayChanged(); break;
    case WM_SETTINGCHANGE:
        // The taskbar moved, resized, or showed or hid itself.
        if (wp == SPI_SETWORKAREA) window_.DisplayChanged();
        if (wp == SPI_SETHIGHCONTRAST) ColorsChanged();
        break;
    case WM_SYSCOLORCHANGE: ColorsChanged(); break;
    case WM_ERASEBKGND:
        if (highContrast_) {
            RECT rc;
            GetClientRect(self, &rc);
            FillRect(reinterpret_cast<HDC>(wp), &rc, SystemBrush(COLOR_WINDOW));
            return 1;
        }
        break;
    case WM_NCHITTEST: {
        const LRESULT hit = DefWindowProcW(self, msg, wp, lp);
        return hit == HTCLIENT && window_.design().dragAnywhere ? HTCAPTION : hit;
    }
    case WM_NCLBUTTONDBLCLK:
        // The whole bar is its caption: a double-click on it must not maximise it.
        if (wp == HTCAPTION && window_.design().dragAnywhere && window_.design().frame == Frame::None) return 0;
        break;
    case WM_CLOSE: desk_.windows().RequestClose(window_); return 0;
    case kUnloadMessage: desk_.windows().CloseArrived(static_cast<std::uint64_t>(wp)); return 0;
    case WM_WINDOWPOSCHANGED: {
        const LRESULT r = DefWindowProcW(self, msg, wp, lp);
        SyncModelRect();
        return r;
    }
    case WM_ENTERSIZEMOVE:
        if (!inSizeMove_) desk_.EnterSystemLoop();
        inSizeMove_ = true;
        break;
    case WM_EXITSIZEMOVE:
        if (inSizeMove_) desk_.LeaveSystemLoop();
        inSizeMove_ = false;
        break;
    case kDpiChanged: Rescale(HIWORD(wp), reinterpret_cast<const RECT*>(lp)); return 0;
    case kGetDpiScaledSize: {
        // The size at the coming DPI, so that the system's suggested place fits it.
        auto* size = reinterpret_cast<SIZE*>(lp);
        const Rect design = window_.RawRect();
        size->cx = ToDevice(design.w, static_cast<UINT>(wp));
        size->cy = ToDevice(design.h, static_cast<UINT>(wp));
        return TRUE;
    }
    case WM_HOTKEY:
        if (wp == kEscHotKey) {
            desk_.windows().EscPressed(window_);
            return 0;
        }
        break;
    case WM_ENABLE: SyncEscHotKey(); break;
    case WM_GETOBJECT: AccessibilityAsked(); break;
    case WM_QUERYENDSESSION: return TRUE;  // the session may end; nothing is kept that needs saving
    case WM_ENDSESSION: return 0;
    case WM_NCDESTROY: hwnd_ = nullptr; break;
    default: break;
    }
    return DefWindowProcW(self, msg, wp, lp);
}

}  // namespace dida::win32
