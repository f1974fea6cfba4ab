#include "platform/win32/win32_forms.h"

#include <commctrl.h>
#include <mmsystem.h>
#include <objidl.h>
#include <shellapi.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <gdiplus.h>

#include "platform/clock_timer.h"
#include "platform/win32/win32_desktop.h"
#include "platform/win32/win32_images.h"
#include "platform/win32/win32_libraries.h"
#include "platform/win32/win32_menu.h"
#include "platform/win32/win32_text.h"

namespace dida::win32 {
namespace {

constexpr int kFirstControlId = 1000;
constexpr wchar_t kPicBoxClass[] = L"DidaPicBox";
constexpr UINT_PTR kPeerSubclass = 7;
constexpr UINT_PTR kTrayRetryTimer = 1;
constexpr UINT kTrayRetryMs = 2000;
constexpr int kTrayRetries = 30;  // a minute of waiting for the shell
constexpr UINT_PTR kAnimationTimer = 1;

HINSTANCE Instance() { return GetModuleHandleW(nullptr); }

std::wstring ClassOf(HWND h) {
    wchar_t buf[64] = {};
    GetClassNameW(h, buf, 64);
    return buf;
}

COLORREF Ref(Color c) { return static_cast<COLORREF>(c & 0x00FFFFFFu); }

// Default colours are the system's button face, as the design tables define them.
HBRUSH PaintColors(FormHost& host, HDC dc, Color text, Color back) {
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

// ---------------------------------------------------------------- Label

// A STATIC without SS_NOTIFY answers the hit test with HTTRANSPARENT, so a press on a label reaches the
// window below it: on a drag-anywhere window that is the caption hit, and the window moves.
class LabelPeer : public ControlPeer {
public:
    LabelPeer(FormHost& h, Label& l, int id) : ControlPeer(h, l, id), label_(l) {}
    void Create() override {
        const LabelDef& d = label_.design();
        DWORD style = SS_NOPREFIX | AlignStyle(d.align, SS_LEFTNOWORDWRAP, SS_CENTER, SS_RIGHT);
        if (d.vcenter) style |= SS_CENTERIMAGE;
        if (d.border) style |= WS_BORDER;
        MakeChild(L"STATIC", Wide(label_.RawCaption()), style);
        ApplyFont(d.font);
    }
    HBRUSH OnCtlColor(HDC dc) override {
        return PaintColors(host_, dc, label_.RawTextColor(), label_.design().backColor);
    }
    bool TakesFocus() const override { return false; }

protected:
    void OwnChanged(Prop p) override {
        if (p == Prop::Caption)
            SetWindowTextW(hwnd_, Wide(label_.RawCaption()).c_str());
        else if (p == Prop::TextColor)
            InvalidateRect(hwnd_, nullptr, TRUE);
    }

private:
    Label& label_;
};

// ---------------------------------------------------------------- EditBox

// A disabled edit box keeps its own colours (the full-screen text stays white on black), so it is
// not disabled natively: it lets the mouse through and hands the focus on instead.
class EditPeer : public ControlPeer {
public:
    EditPeer(FormHost& h, EditBox& e, int id) : ControlPeer(h, e, id), edit_(e) {}
    void Create() override {
        const EditDef& d = edit_.design();
        DWORD style = AlignStyle(d.align, ES_LEFT, ES_CENTER, ES_RIGHT);
        style |= d.multiLine ? ES_MULTILINE : ES_AUTOHSCROLL;
        if (d.readOnly) style |= ES_READONLY;
        if (!d.hideSelection) style |= ES_NOHIDESEL;
        MakeChild(L"EDIT", Wide(edit_.RawContent()), style, d.border ? WS_EX_CLIENTEDGE : 0);
        ApplyFont(d.font);
        SetWindowSubclass(hwnd_, &EditPeer::SubProc, kPeerSubclass, reinterpret_cast<DWORD_PTR>(this));
    }
    bool OnCommand(WORD code) override {
        if (code != EN_CHANGE || settingText_ || host_.destroying()) return false;
        edit_.UserEdited(Narrow(TextOf(hwnd_)));
        return true;
    }
    HBRUSH OnCtlColor(HDC dc) override {
        return PaintColors(host_, dc, edit_.RawTextColor(), edit_.design().backColor);
    }

protected:
    void OwnChanged(Prop p) override {
        if (p == Prop::Content) {
            settingText_ = true;
            SetWindowTextW(hwnd_, Wide(edit_.RawContent()).c_str());
            settingText_ = false;
        } else if (p == Prop::TextColor) {
            InvalidateRect(hwnd_, nullptr, TRUE);
        }
    }
    void ApplyDisabled() override {
        if (edit_.RawDisabled() && GetFocus() == hwnd_) SetFocus(host_.hwnd());
        InvalidateRect(hwnd_, nullptr, TRUE);
    }

private:
    static LRESULT CALLBACK SubProc(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR ref) {
        auto* self = reinterpret_cast<EditPeer*>(ref);
        try {
            switch (msg) {
            case WM_NCHITTEST:
                if (self->edit_.RawDisabled()) return HTTRANSPARENT;
                break;
            case WM_SETFOCUS:
                if (self->edit_.RawDisabled()) {
                    SetFocus(GetParent(h));
                    return 0;
                }
                break;
            case WM_CHAR:
                if (!EditBox::AcceptsTyped(self->edit_.design(), static_cast<char32_t>(wp))) return 0;
                break;
            case WM_LBUTTONDBLCLK: {
                const LRESULT r = DefSubclassProc(h, msg, wp, lp);
                self->edit_.UserDoubleClicked();
                return r;
            }
            case WM_NCDESTROY: RemoveWindowSubclass(h, &EditPeer::SubProc, kPeerSubclass); break;
            default: break;
            }
        } catch (...) {
        }
        return DefSubclassProc(h, msg, wp, lp);
    }

    EditBox& edit_;
    bool settingText_ = false;
};

// ---------------------------------------------------------------- ComboBox

class ComboPeer : public ControlPeer {
public:
    ComboPeer(FormHost& h, ComboBox& c, int id) : ControlPeer(h, c, id), combo_(c) {}
    // Drawn by us so that the rows can be taller than the system's: a plain list ignores the item height
    // on some systems, an owner-drawn one takes it everywhere.
    void Create() override {
        MakeChild(L"COMBOBOX", L"", CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS | WS_VSCROLL);
        ApplyFont(Font{});
        FillItems();
        const int row = SystemRowHeight() + combo_.design().extraRowHeight;
        SendMessageW(hwnd_, CB_SETITEMHEIGHT, 0, row);
        SendMessageW(hwnd_, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), row);
        SetWindowSubclass(hwnd_, &ComboPeer::SubProc, kPeerSubclass, reinterpret_cast<DWORD_PTR>(this));
    }
    bool OnDrawItem(const DRAWITEMSTRUCT& di) override {
        const bool selected = (di.itemState & ODS_SELECTED) != 0;
        RECT rc = di.rcItem;
        FillRect(di.hDC, &rc, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
        if (di.itemID != static_cast<UINT>(-1)) {
            const auto len = SendMessageW(hwnd_, CB_GETLBTEXTLEN, di.itemID, 0);
            std::wstring text(static_cast<std::size_t>(std::max<LRESULT>(len, 0)) + 1, L'\0');
            SendMessageW(hwnd_, CB_GETLBTEXT, di.itemID, reinterpret_cast<LPARAM>(text.data()));
            text.resize(static_cast<std::size_t>(std::max<LRESULT>(len, 0)));
            SetTextColor(di.hDC, selected ? GetSysColor(COLOR_HIGHLIGHTTEXT) : RGB(0, 0, 0));
            SetBkMode(di.hDC, TRANSPARENT);
            RECT t{rc.left + 2, rc.top, rc.right, rc.bottom};
            DrawTextW(di.hDC, text.c_str(), static_cast<int>(text.size()), &t,
                      DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        }
        if ((di.itemState & ODS_FOCUS) && !(di.itemState & ODS_NOFOCUSRECT)) DrawFocusRect(di.hDC, &rc);
        return true;
    }
    bool OnCommand(WORD code) override {
        if (code != CBN_SELCHANGE || host_.destroying()) return false;
        combo_.UserSelected(static_cast<int>(SendMessageW(hwnd_, CB_GETCURSEL, 0, 0)));
        return true;
    }

protected:
    // The height given to the system is the box with its dropped-down list.
    Rect NativeRect() const override {
        Rect r = combo_.RawRect();
        r.h = std::max(r.h, combo_.design().totalHeight);
        return r;
    }
    void OwnChanged(Prop p) override {
        if (p == Prop::CurrentIndex)
            SendMessageW(hwnd_, CB_SETCURSEL, static_cast<WPARAM>(combo_.RawIndex()), 0);
        else if (p == Prop::Items)
            FillItems();
    }

private:
    // What a plain list's rows are: the height of its font.
    int SystemRowHeight() const {
        HDC dc = GetDC(hwnd_);
        HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(hwnd_, WM_GETFONT, 0, 0)));
        TEXTMETRICW tm{};
        GetTextMetricsW(dc, &tm);
        SelectObject(dc, old);
        ReleaseDC(hwnd_, dc);
        return tm.tmHeight;
    }
    void FillItems() {
        SendMessageW(hwnd_, CB_RESETCONTENT, 0, 0);
        for (const std::string& item : combo_.design().items)
            SendMessageW(hwnd_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(item).c_str()));
        SendMessageW(hwnd_, CB_SETCURSEL, static_cast<WPARAM>(combo_.RawIndex()), 0);
    }
    static LRESULT CALLBACK SubProc(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR ref) {
        auto* self = reinterpret_cast<ComboPeer*>(ref);
        if (msg == WM_RBUTTONUP) {
            const LRESULT r = DefSubclassProc(h, msg, wp, lp);
            try {
                self->combo_.UserRightButtonUp();
            } catch (...) {
            }
            return r;
        }
        if (msg == WM_NCDESTROY) RemoveWindowSubclass(h, &ComboPeer::SubProc, kPeerSubclass);
        return DefSubclassProc(h, msg, wp, lp);
    }

    ComboBox& combo_;
};

// ---------------------------------------------------------------- Button

class ButtonPeer : public ControlPeer {
public:
    ButtonPeer(FormHost& h, Button& b, int id) : ControlPeer(h, b, id), button_(b) {}
    void Create() override {
        const DWORD kind = button_.design().isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
        MakeChild(L"BUTTON", Wide(button_.RawCaption()), kind | BS_CENTER | BS_VCENTER);
        ApplyFont(button_.design().font);
    }
    bool OnCommand(WORD code) override {
        if (code != BN_CLICKED || host_.destroying()) return false;
        button_.UserClicked();
        return true;
    }

protected:
    void OwnChanged(Prop p) override {
        if (p == Prop::Caption) SetWindowTextW(hwnd_, Wide(button_.RawCaption()).c_str());
    }

private:
    Button& button_;
};

// ---------------------------------------------------------------- SuperBtn

void PlayClickSound() {
    if (const WinmmApi* mm = WinmmLibrary())
        mm->PlaySoundW(L"CLICK", Instance(), SND_RESOURCE | SND_ASYNC | SND_NODEFAULT);
}

// Flat and frameless, drawn by us. A disabled one stays natively enabled so that its hover picture and
// tooltip still show (the muted speaker relies on both); the model ignores its clicks.
class SuperBtnPeer : public ControlPeer {
public:
    SuperBtnPeer(FormHost& h, SuperBtn& b, int id) : ControlPeer(h, b, id), button_(b) {}
    void Create() override {
        MakeChild(L"BUTTON", Wide(button_.Caption()), BS_OWNERDRAW);
        ApplyFont(button_.design().font);
        font_ = reinterpret_cast<HFONT>(SendMessageW(hwnd_, WM_GETFONT, 0, 0));
        SetWindowSubclass(hwnd_, &SuperBtnPeer::SubProc, kPeerSubclass, reinterpret_cast<DWORD_PTR>(this));
        LoadPictures();
        tipText_ = Wide(button_.RawToolTip());
        TTTOOLINFOW ti{};
        ti.cbSize = TTTOOLINFOW_V2_SIZE;
        ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        ti.hwnd = host_.hwnd();
        ti.uId = reinterpret_cast<UINT_PTR>(hwnd_);
        ti.lpszText = tipText_.data();
        SendMessageW(host_.ToolTips(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
    }
    void Release() override { FreePictures(); }
    bool OnCommand(WORD code) override {
        if (code != BN_CLICKED || host_.destroying()) return false;
        if (!button_.RawDisabled()) PlayClickSound();
        button_.UserClicked();
        return true;
    }
    bool OnDrawItem(const DRAWITEMSTRUCT& di) override {
        HDC dc = di.hDC;
        RECT rc = di.rcItem;
        FillRect(dc, &rc, GetSysColorBrush(COLOR_BTNFACE));
        const int push = (di.itemState & ODS_SELECTED) ? 1 : 0;
        HBITMAP picture = hover_ && picIn_ ? picIn_ : picOut_;
        int textLeft = rc.left;
        const std::wstring caption = Wide(button_.design().caption);
        if (picture) {
            BITMAP bm{};
            GetObjectW(picture, sizeof bm, &bm);
            const int x = caption.empty() ? rc.left + (rc.right - rc.left - bm.bmWidth) / 2 : rc.left;
            const int y = rc.top + (rc.bottom - rc.top - bm.bmHeight) / 2;
            HDC mem = CreateCompatibleDC(dc);
            HGDIOBJ old = SelectObject(mem, picture);
            const Color t = button_.design().transparent;  // RGB order
            GdiTransparentBlt(dc, x + push, y + push, bm.bmWidth, bm.bmHeight, mem, 0, 0, bm.bmWidth, bm.bmHeight,
                              RGB((t >> 16) & 0xFF, (t >> 8) & 0xFF, t & 0xFF));
            SelectObject(mem, old);
            DeleteDC(mem);
            textLeft = x + bm.bmWidth;
        }
        if (!caption.empty()) {
            const SuperBtnDef& d = button_.design();
            const Color color = hover_ ? d.colorOver : (di.itemState & ODS_FOCUS) ? d.colorFocus : d.colorOut;
            SetTextColor(dc, Ref(color));
            SetBkMode(dc, TRANSPARENT);
            HGDIOBJ oldFont = SelectObject(dc, font_);
            RECT text{textLeft + push, rc.top + push, rc.right + push, rc.bottom + push};
            DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &text,
                      DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
            SelectObject(dc, oldFont);
        }
        return true;
    }
    bool TakesFocus() const override { return ControlPeer::TakesFocus() && !button_.RawDisabled(); }
    bool hover() const { return hover_; }

protected:
    void OwnChanged(Prop p) override {
        if (p == Prop::PicOut || p == Prop::PicIn) {
            LoadPictures();
            InvalidateRect(hwnd_, nullptr, TRUE);
        } else if (p == Prop::ToolTip) {
            tipText_ = Wide(button_.RawToolTip());
            TTTOOLINFOW ti{};
            ti.cbSize = TTTOOLINFOW_V2_SIZE;
            ti.uFlags = TTF_IDISHWND;
            ti.hwnd = host_.hwnd();
            ti.uId = reinterpret_cast<UINT_PTR>(hwnd_);
            ti.lpszText = tipText_.data();
            SendMessageW(host_.ToolTips(), TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&ti));
        }
    }
    void ApplyDisabled() override { InvalidateRect(hwnd_, nullptr, TRUE); }

private:
    void FreePictures() {
        if (picOut_) DeleteObject(picOut_);
        if (picIn_) DeleteObject(picIn_);
        picOut_ = picIn_ = nullptr;
    }
    void LoadPictures() {
        FreePictures();
        if (!button_.RawPicOut().empty()) picOut_ = BitmapFromBmp(button_.RawPicOut());
        if (!button_.RawPicIn().empty()) picIn_ = BitmapFromBmp(button_.RawPicIn());
    }
    static LRESULT CALLBACK SubProc(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR ref) {
        auto* self = reinterpret_cast<SuperBtnPeer*>(ref);
        switch (msg) {
        case WM_MOUSEMOVE:
            if (!self->hover_) {
                self->hover_ = true;
                TRACKMOUSEEVENT tme{sizeof tme, TME_LEAVE, h, 0};
                TrackMouseEvent(&tme);
                InvalidateRect(h, nullptr, TRUE);
                PlayClickSound();
            }
            break;
        case WM_MOUSELEAVE:
            self->hover_ = false;
            InvalidateRect(h, nullptr, TRUE);
            break;
        case WM_LBUTTONDBLCLK:
            // An owner-drawn button reports a quick second press as a double-click, not a click.
            return DefSubclassProc(h, WM_LBUTTONDOWN, wp, lp);
        case WM_NCDESTROY: RemoveWindowSubclass(h, &SuperBtnPeer::SubProc, kPeerSubclass); break;
        default: break;
        }
        return DefSubclassProc(h, msg, wp, lp);
    }

    SuperBtn& button_;
    HFONT font_ = nullptr;
    HBITMAP picOut_ = nullptr, picIn_ = nullptr;
    std::wstring tipText_;
    bool hover_ = false;
};

// ---------------------------------------------------------------- PicBox

// A picture (a GIF animates) decoded by GDI+ from the bytes themselves, drawn on the box's background.
class PicBoxPeer : public ControlPeer {
public:
    PicBoxPeer(FormHost& h, PicBox& p, int id) : ControlPeer(h, p, id), box_(p) {}
    ~PicBoxPeer() override { FreeImage(); }
    void Create() override {
        MakeChild(kPicBoxClass, L"", box_.design().border ? WS_BORDER : 0);
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        LoadImageBytes();
    }
    void Release() override {
        if (hwnd_) SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        FreeImage();
    }
    bool TakesFocus() const override { return false; }
    int frameCount() const { return frames_; }
    int frame() const { return frame_; }

    static LRESULT CALLBACK Proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) noexcept {
        auto* self = reinterpret_cast<PicBoxPeer*>(GetWindowLongPtrW(h, GWLP_USERDATA));
        try {
            if (self && msg == WM_PAINT) {
                PAINTSTRUCT ps;
                HDC dc = BeginPaint(h, &ps);
                self->Paint(dc);
                EndPaint(h, &ps);
                return 0;
            }
            if (self && msg == WM_ERASEBKGND) return 1;
            if (self && msg == WM_TIMER && wp == kAnimationTimer) {
                self->NextFrame();
                return 0;
            }
            if (msg == WM_NCHITTEST) return HTTRANSPARENT;
        } catch (...) {
        }
        return DefWindowProcW(h, msg, wp, lp);
    }

protected:
    void OwnChanged(Prop p) override {
        if (p == Prop::Picture)
            LoadImageBytes();
        else if (p == Prop::PlayAnimation)
            Animate();
    }

private:
    void FreeImage() {
        if (hwnd_) KillTimer(hwnd_, kAnimationTimer);
        if (image_) gdip_->GdipDisposeImage(image_);
        image_ = nullptr;
        if (stream_) stream_->Release();
        stream_ = nullptr;
        frames_ = 0;
        frame_ = 0;
        delays_.clear();
    }
    void LoadImageBytes() {
        FreeImage();
        const Blob bytes = box_.RawPicture();
        // Without GDI+ the box shows its background only.
        gdip_ = bytes.empty() ? nullptr : GdiplusLibrary();
        if (gdip_) {
            HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
            if (mem) {
                void* p = GlobalLock(mem);
                std::copy(bytes.begin(), bytes.end(), static_cast<std::uint8_t*>(p));
                GlobalUnlock(mem);
                if (gdip_->CreateStreamOnHGlobal(mem, TRUE, &stream_) != S_OK) {
                    GlobalFree(mem);
                    stream_ = nullptr;
                }
            }
            if (stream_ && gdip_->GdipLoadImageFromStream(stream_, &image_) != Gdiplus::Ok) image_ = nullptr;
            if (image_) ReadFrames(*gdip_);
        }
        InvalidateRect(hwnd_, nullptr, FALSE);
        Animate();
    }
    void ReadFrames(const GdiplusApi& gdip) {
        UINT dims = 0;
        gdip.GdipImageGetFrameDimensionsCount(image_, &dims);
        frames_ = 1;
        if (dims > 0) {
            std::vector<GUID> ids(dims);
            gdip.GdipImageGetFrameDimensionsList(image_, ids.data(), dims);
            dimension_ = ids[0];
            UINT count = 0;
            if (gdip.GdipImageGetFrameCount(image_, &dimension_, &count) == Gdiplus::Ok && count > 0)
                frames_ = static_cast<int>(count);
        }
        UINT size = 0;
        if (frames_ > 1 && gdip.GdipGetPropertyItemSize(image_, PropertyTagFrameDelay, &size) == Gdiplus::Ok &&
            size > 0) {
            std::vector<std::uint8_t> buf(size);
            auto* item = reinterpret_cast<Gdiplus::PropertyItem*>(buf.data());
            if (gdip.GdipGetPropertyItem(image_, PropertyTagFrameDelay, size, item) == Gdiplus::Ok) {
                const auto* v = static_cast<const std::uint32_t*>(item->value);
                for (ULONG i = 0; i < item->length / 4; ++i) delays_.push_back(static_cast<int>(v[i]));
            }
        }
    }
    // A frame's delay in ms; pictures that ask for (almost) none get the usual tenth of a second.
    UINT DelayOf(int frame) const {
        const int hundredths = frame < static_cast<int>(delays_.size()) ? delays_[frame] : 0;
        return hundredths < 2 ? 100u : static_cast<UINT>(hundredths) * 10u;
    }
    void Animate() {
        KillTimer(hwnd_, kAnimationTimer);
        if (image_ && frames_ > 1 && box_.RawPicture().size() && PlayAnimationOn())
            SetTimer(hwnd_, kAnimationTimer, DelayOf(frame_), nullptr);
    }
    bool PlayAnimationOn() const { return box_.window()->loaded() ? box_.PlayAnimation() : false; }
    void NextFrame() {
        if (!image_ || frames_ <= 1) return;
        frame_ = (frame_ + 1) % frames_;
        gdip_->GdipImageSelectActiveFrame(image_, &dimension_, static_cast<UINT>(frame_));
        InvalidateRect(hwnd_, nullptr, FALSE);
        SetTimer(hwnd_, kAnimationTimer, DelayOf(frame_), nullptr);
    }
    void Paint(HDC dc) {
        RECT rc;
        GetClientRect(hwnd_, &rc);
        const int w = rc.right, h = rc.bottom;
        HDC mem = CreateCompatibleDC(dc);
        HBITMAP canvas = CreateCompatibleBitmap(dc, std::max(w, 1), std::max(h, 1));
        HGDIOBJ old = SelectObject(mem, canvas);
        const Color back = box_.design().backColor;
        FillRect(mem, &rc, back == kDefaultColor ? GetSysColorBrush(COLOR_BTNFACE) : host_.BrushOf(back));
        if (image_) {
            const GdiplusApi& gdip = *gdip_;
            UINT iw = 0, ih = 0;
            gdip.GdipGetImageWidth(image_, &iw);
            gdip.GdipGetImageHeight(image_, &ih);
            int dw = static_cast<int>(iw), dh = static_cast<int>(ih), x = 0, y = 0;
            if (box_.design().centerShrink && iw > 0 && ih > 0) {
                const double scale = std::min({1.0, double(w) / iw, double(h) / ih});
                dw = static_cast<int>(iw * scale);
                dh = static_cast<int>(ih * scale);
                x = (w - dw) / 2;
                y = (h - dh) / 2;
            }
            Gdiplus::GpGraphics* g = nullptr;
            if (gdip.GdipCreateFromHDC(mem, &g) == Gdiplus::Ok) {
                gdip.GdipDrawImageRectI(g, image_, x, y, dw, dh);
                gdip.GdipDeleteGraphics(g);
            }
        }
        BitBlt(dc, 0, 0, w, h, mem, 0, 0, SRCCOPY);
        SelectObject(mem, old);
        DeleteObject(canvas);
        DeleteDC(mem);
    }

    PicBox& box_;
    const GdiplusApi* gdip_ = nullptr;  // set with image_
    IStream* stream_ = nullptr;
    Gdiplus::GpImage* image_ = nullptr;
    GUID dimension_{};
    int frames_ = 0, frame_ = 0;
    std::vector<int> delays_;
};

// ---------------------------------------------------------------- Timer

// The system clock as a clock-aligned timer reads it: the same clock GetLocalTime, and so Now(), shows.
std::int64_t WallClockMs() {
    FILETIME ft;
    GetSystemTimeAsFileTime(&ft);
    const std::int64_t hundredNs = (static_cast<std::int64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
    return (hundredNs - 116444736000000000LL) / 10000;
}

// A window timer and the handler's clock do not tick together: a few ms past the second the handler
// surely reads the new one.
constexpr int kClockTimerSlackMs = 3;

// A window timer on the form, under the control's id. The model has already dropped writes of the
// value it holds, so every change here restarts the period. A clock-aligned one is re-armed at each
// expiry for what is left to the clock's next second.
class TimerPeer : public ControlPeer {
public:
    TimerPeer(FormHost& h, Timer& t, int id) : ControlPeer(h, t, id), timer_(t) {}
    void Create() override { Start(); }
    void Changed(Prop p) override {
        if (p == Prop::Interval) Start();
    }
    void Release() override { KillTimer(host_.hwnd(), static_cast<UINT_PTR>(id_)); }
    bool TakesFocus() const override { return false; }
    void Expired() {
        if (clock_ && timer_.RawInterval() > 0) {
            const ClockTimerSchedule::Step step = clock_->Arrived(WallClockMs());
            Arm(step.waitMs);
            if (!step.due) return;
        }
        timer_.Expired();
    }
    // The system clock was set (WM_TIMECHANGE).
    void ClockSet() {
        if (clock_ && timer_.RawInterval() > 0) Arm(clock_->ClockSet(WallClockMs()));
    }

private:
    void Start() {
        KillTimer(host_.hwnd(), static_cast<UINT_PTR>(id_));
        clock_.reset();
        const int interval = timer_.RawInterval();
        if (interval <= 0) return;
        if (!timer_.clockAligned()) {
            SetTimer(host_.hwnd(), static_cast<UINT_PTR>(id_), static_cast<UINT>(interval), nullptr);
            return;
        }
        clock_.emplace(interval, kClockTimerSlackMs);
        Arm(clock_->Start(WallClockMs()));
    }
    void Arm(std::int64_t waitMs) {
        SetTimer(host_.hwnd(), static_cast<UINT_PTR>(id_), static_cast<UINT>(std::max<std::int64_t>(waitMs, 0)),
                 nullptr);
    }
    Timer& timer_;
    std::optional<ClockTimerSchedule> clock_;
};

// ---------------------------------------------------------------- TrayIcon

// Its own hidden top-level window: it receives the icon's callback and the shell's "TaskbarCreated"
// broadcast (message-only windows get no broadcasts).
class TrayPeer : public ControlPeer {
public:
    TrayPeer(FormHost& h, TrayIcon& t, int id) : ControlPeer(h, t, id), tray_(t) {}
    ~TrayPeer() override { TrayPeer::Release(); }

    void Create() override {
        hwnd_ = CreateWindowExW(0, kTrayWindowClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, Instance(), this);
        Update();
    }
    void Changed(Prop p) override {
        if (p == Prop::Icon) {
            FreeIcon();
            Update();
        } else if (p == Prop::TipText || p == Prop::InTray) {
            Update();
        }
    }
    void Release() override {
        Remove();
        FreeIcon();
        if (hwnd_) {
            SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
            DestroyWindow(hwnd_);
            hwnd_ = nullptr;
        }
    }
    bool TakesFocus() const override { return false; }

    bool Balloon(const std::string& title, const std::string& text, int kind, int timeoutMs) {
        NOTIFYICONDATAW nid = Record();
        nid.uVersion = NOTIFYICON_VERSION;
        if (!Shell_NotifyIconW(NIM_SETVERSION, &nid)) return false;
        nid = Record();
        nid.uFlags = NIF_INFO;
        nid.dwInfoFlags = (kind >= 0 && kind <= 3) ? static_cast<DWORD>(kind) : NIIF_INFO;
        nid.uTimeout = static_cast<UINT>(timeoutMs);
        CopyField(nid.szInfoTitle, title);
        CopyField(nid.szInfo, text);
        return Shell_NotifyIconW(NIM_MODIFY, &nid) != FALSE;
    }

    static LRESULT CALLBACK Proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) noexcept {
        if (msg == WM_NCCREATE) {
            auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
            SetWindowLongPtrW(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
        }
        auto* self = reinterpret_cast<TrayPeer*>(GetWindowLongPtrW(h, GWLP_USERDATA));
        try {
            if (self) {
                if (msg == kTrayCallbackMessage) {
                    self->Callback(static_cast<UINT>(LOWORD(lp)));
                    return 0;
                }
                if (msg == TaskbarCreated()) {
                    self->ReAdd();
                    return 0;
                }
                if (msg == WM_TIMER && wp == kTrayRetryTimer) {
                    self->Retry();
                    return 0;
                }
            }
            if (msg == WM_QUERYENDSESSION) return TRUE;
        } catch (...) {
        }
        return DefWindowProcW(h, msg, wp, lp);
    }

    static UINT TaskbarCreated() {
        static const UINT msg = RegisterWindowMessageW(L"TaskbarCreated");
        return msg;
    }

private:
    NOTIFYICONDATAW Record() const {
        NOTIFYICONDATAW nid{};
        nid.cbSize = sizeof nid;
        nid.hWnd = hwnd_;
        // The hidden window is both the owner and the identifier of the entry.
        nid.uID = static_cast<UINT>(reinterpret_cast<UINT_PTR>(hwnd_));
        return nid;
    }
    bool Wanted() const { return tray_.RawInTray() && !tray_.RawIcon().empty(); }
    void Update() {
        if (!Wanted()) {
            Remove();
            return;
        }
        if (!icon_) icon_ = IconFromIco(tray_.RawIcon(), GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON));
        NOTIFYICONDATAW nid = Record();
        nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
        nid.uCallbackMessage = kTrayCallbackMessage;
        nid.hIcon = icon_;
        CopyField(nid.szTip, tray_.RawTipText());
        if (added_) {
            Shell_NotifyIconW(NIM_MODIFY, &nid);
            return;
        }
        added_ = Shell_NotifyIconW(NIM_ADD, &nid) != FALSE;
        if (!added_ && hwnd_) {
            retries_ = 0;
            SetTimer(hwnd_, kTrayRetryTimer, kTrayRetryMs, nullptr);
        }
    }
    void Remove() {
        if (hwnd_) KillTimer(hwnd_, kTrayRetryTimer);
        if (!added_) return;
        NOTIFYICONDATAW nid = Record();
        Shell_NotifyIconW(NIM_DELETE, &nid);
        added_ = false;
    }
    void FreeIcon() {
        if (icon_) DestroyIcon(icon_);
        icon_ = nullptr;
    }
    // A restarted shell has lost every icon; one that is still there is replaced, never doubled.
    void ReAdd() {
        if (!Wanted()) return;
        NOTIFYICONDATAW nid = Record();
        Shell_NotifyIconW(NIM_DELETE, &nid);
        added_ = false;
        Update();
    }
    void Retry() {
        if (added_ || !Wanted() || ++retries_ > kTrayRetries) {
            KillTimer(hwnd_, kTrayRetryTimer);
            return;
        }
        Update();
        if (added_) KillTimer(hwnd_, kTrayRetryTimer);
    }
    void Callback(UINT mouse) {
        if (host_.destroying()) return;
        switch (mouse) {
        case WM_LBUTTONUP: tray_.UserEvent(0); break;
        case WM_LBUTTONDBLCLK: tray_.UserEvent(1); break;
        case WM_RBUTTONUP: tray_.UserEvent(2); break;  // not WM_CONTEXTMENU too: one menu per click
        case WM_MOUSEMOVE: {
            POINT pt{};
            GetCursorPos(&pt);
            tray_.UserEvent(3, pt.x, pt.y);
            break;
        }
        default: break;
        }
    }

    TrayIcon& tray_;
    HICON icon_ = nullptr;
    bool added_ = false;
    int retries_ = 0;
};

// ---------------------------------------------------------------- the form's window class

LRESULT CALLBACK FormTrampoline(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
        SetWindowLongPtrW(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    }
    auto* host = reinterpret_cast<FormHost*>(GetWindowLongPtrW(h, GWLP_USERDATA));
    if (!host) return DefWindowProcW(h, msg, wp, lp);
    if (msg == WM_NCDESTROY) SetWindowLongPtrW(h, GWLP_USERDATA, 0);
    return host->Proc(h, msg, wp, lp);
}

std::wstring FormClassName(const Window& w) { return L"Dida." + Wide(w.design().name); }

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
    return hwnd_;
}

void ControlPeer::ApplyFont(const Font& font) {
    SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(host_.FontOf(font)), FALSE);
}

// ---------------------------------------------------------------- FormHost

FormHost::FormHost(Win32Desktop& desk, Window& window) : desk_(desk), window_(window) {}

FormHost::~FormHost() { Destroy(); }

void FormHost::Create() {
    RegisterPeerClasses();
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
    Rect r = window_.RawRect();
    if (d.centered) {
        r.x = (GetSystemMetrics(SM_CXSCREEN) - r.w) / 2;
        r.y = (GetSystemMetrics(SM_CYSCREEN) - r.h) / 2;
        window_.UserMoved(r);
    }
    lastRect_ = r;
    HWND owner = d.inTaskbar ? nullptr : desk_.HiddenOwner();
    applying_ = true;
    hwnd_ = CreateWindowExW(ex, cls.c_str(), Wide(d.caption).c_str(), style, r.x, r.y, r.w, r.h, owner, nullptr,
                            Instance(), this);
    applying_ = false;
    if (!hwnd_) return;
    window_.AttachPeer(this);

    if (!d.icon.empty()) {
        bigIcon_ = IconFromIco(d.icon, GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON));
        smallIcon_ = IconFromIco(d.icon, GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON));
        SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_));
        SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_));
    }

    int id = kFirstControlId;
    for (Component* c : window_.components()) {
        std::unique_ptr<ControlPeer> peer;
        switch (c->kind()) {
        case Kind::Label: peer = std::make_unique<LabelPeer>(*this, *static_cast<Label*>(c), id); break;
        case Kind::EditBox: peer = std::make_unique<EditPeer>(*this, *static_cast<EditBox*>(c), id); break;
        case Kind::ComboBox: peer = std::make_unique<ComboPeer>(*this, *static_cast<ComboBox*>(c), id); break;
        case Kind::Button: peer = std::make_unique<ButtonPeer>(*this, *static_cast<Button*>(c), id); break;
        case Kind::SuperBtn: peer = std::make_unique<SuperBtnPeer>(*this, *static_cast<SuperBtn*>(c), id); break;
        case Kind::PicBox: peer = std::make_unique<PicBoxPeer>(*this, *static_cast<PicBox*>(c), id); break;
        case Kind::Timer: peer = std::make_unique<TimerPeer>(*this, *static_cast<Timer*>(c), id); break;
        case Kind::TrayIcon: peer = std::make_unique<TrayPeer>(*this, *static_cast<TrayIcon*>(c), id); break;
        default: break;  // menu items are built at each pop-up; the file dialog exists only while it is shown
        }
        ++id;
        if (!peer) continue;
        peer->Create();
        c->AttachPeer(peer.get());
        peers_.push_back(std::move(peer));
    }
    // Definition order is the stacking order, bottom first: each child in turn goes on top.
    for (const auto& p : peers_)
        if (p->hwnd() && GetParent(p->hwnd()) == hwnd_)
            SetWindowPos(p->hwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

    if (window_.RawVisible()) {
        ShowWindow(hwnd_, SW_SHOW);
        UpdateWindow(hwnd_);
        if (GetActiveWindow() == hwnd_) FocusFirst();
    }
    if (window_.RawDisabled()) EnableWindow(hwnd_, FALSE);
}

void FormHost::Destroy() {
    if (destroying_ && !hwnd_) return;
    destroying_ = true;
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
    peers_.clear();
    for (auto& [key, font] : fonts_) DeleteObject(font);
    fonts_.clear();
    for (auto& [key, brush] : brushes_) DeleteObject(brush);
    brushes_.clear();
    if (bigIcon_) DestroyIcon(bigIcon_);
    if (smallIcon_) DestroyIcon(smallIcon_);
    bigIcon_ = smallIcon_ = nullptr;
}

void FormHost::Changed(Prop prop) {
    if (!hwnd_) return;
    switch (prop) {
    case Prop::Left:
    case Prop::Top:
    case Prop::Width:
    case Prop::Height: {
        const Rect r = window_.RawRect();
        applying_ = true;
        SetWindowPos(hwnd_, nullptr, r.x, r.y, r.w, r.h, SWP_NOZORDER | SWP_NOACTIVATE);
        applying_ = false;
        break;
    }
    case Prop::Visible:
        // The bar is a tool on top of everything: showing it must not take the focus from the user's work.
        ShowWindow(hwnd_, window_.RawVisible() ? (window_.design().inTaskbar ? SW_SHOW : SW_SHOWNA) : SW_HIDE);
        break;
    case Prop::Disable: EnableWindow(hwnd_, !window_.RawDisabled()); break;
    default: break;  // EscCloses is read when Esc is pressed
    }
}

void FormHost::Activate() {
    if (!hwnd_) return;
    if (IsIconic(hwnd_)) {
        ShowWindow(hwnd_, SW_RESTORE);
        return;
    }
    SetForegroundWindow(hwnd_);
    BringWindowToTop(hwnd_);
}

ControlPeer* FormHost::PeerOf(const Component& c) const {
    for (const auto& p : peers_)
        if (&p->component() == &c) return p.get();
    return nullptr;
}

ControlPeer* FormHost::PeerOfHandle(HWND h) const {
    if (!h) return nullptr;
    for (const auto& p : peers_)
        if (p->hwnd() == h) return p.get();
    return nullptr;
}

HWND FormHost::HandleOf(const Component& c) const {
    if (&c == &window_) return hwnd_;
    const ControlPeer* p = PeerOf(c);
    return p ? p->hwnd() : nullptr;
}

HWND FormHost::ToolTips() {
    if (!toolTips_) {
        toolTips_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                    CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr,
                                    Instance(), nullptr);
    }
    return toolTips_;
}

HFONT FormHost::FontOf(const Font& font) {
    if (font.IsDefault()) return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    const std::string key = font.face + "|" + std::to_string(font.height) + "|" + std::to_string(font.weight) + "|" +
                            (font.italic ? "i" : "") + (font.underline ? "u" : "") + (font.strikeOut ? "s" : "");
    auto it = fonts_.find(key);
    if (it != fonts_.end()) return it->second;
    // The character height is the em height: a negative height asks for exactly that, without the leading.
    HFONT f =
        CreateFontW(-font.height, 0, 0, 0, font.weight, font.italic, font.underline, font.strikeOut, DEFAULT_CHARSET,
                    OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, PROOF_QUALITY, DEFAULT_PITCH, Wide(font.face).c_str());
    fonts_[key] = f;
    return f;
}

HBRUSH FormHost::BrushOf(Color color) {
    auto it = brushes_.find(color);
    if (it != brushes_.end()) return it->second;
    HBRUSH b = CreateSolidBrush(Ref(color));
    brushes_[color] = b;
    return b;
}

std::vector<ControlPeer*> FormHost::TabStops() const {
    std::vector<ControlPeer*> stops;
    for (const auto& p : peers_)
        if (p->TakesFocus()) stops.push_back(p.get());
    return stops;
}

void FormHost::FocusFirst() {
    const std::vector<ControlPeer*> stops = TabStops();
    if (!stops.empty()) SetFocus(stops.front()->hwnd());
}

bool FormHost::PreTranslate(const MSG& msg) {
    if (msg.message != WM_KEYDOWN || !hwnd_) return false;
    HWND focus = msg.hwnd;
    const bool droppedList = ClassOf(focus) == L"ComboBox" && SendMessageW(focus, CB_GETDROPPEDSTATE, 0, 0);
    switch (msg.wParam) {
    case VK_ESCAPE:
        if (droppedList || !window_.loaded() || !window_.EscCloses()) return false;
        desk_.RequestClose(window_);
        return true;
    case VK_RETURN:
        if (droppedList) return false;
        for (const auto& p : peers_) {
            if (p->component().kind() != Kind::Button) continue;
            if (!static_cast<Button&>(p->component()).design().isDefault) continue;
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
        HWND target = stops[next]->hwnd();
        SetFocus(target);
        if (ClassOf(target) == L"Edit") SendMessageW(target, EM_SETSEL, 0, -1);
        return true;
    }
    default: return false;
    }
}

void FormHost::SyncModelRect() {
    if (!hwnd_ || IsIconic(hwnd_) || destroying_) return;
    RECT wr;
    GetWindowRect(hwnd_, &wr);
    const Rect r{wr.left, wr.top, wr.right - wr.left, wr.bottom - wr.top};
    const Rect before = lastRect_;
    lastRect_ = r;
    window_.UserMoved(r);
    // Only changes the system made are events; the logic's own writes raise nothing.
    if (applying_ || !window_.loaded()) return;
    if ((r.x != before.x || r.y != before.y) && window_.onPosChanged) window_.onPosChanged();
    if ((r.w != before.w || r.h != before.h) && window_.loaded() && window_.onSizeChanged) window_.onSizeChanged();
}

LRESULT FormHost::Proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) noexcept {
    if (!hwnd_ && !destroying_) hwnd_ = h;
    try {
        return Handle(msg, wp, lp);
    } catch (...) {
        // Nothing may cross into the system; a handler that failed has done what it could.
        return DefWindowProcW(h, msg, wp, lp);
    }
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
    case WM_DRAWITEM: {
        const auto* di = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
        if (ControlPeer* p = PeerOfHandle(di->hwndItem); p && p->OnDrawItem(*di)) return TRUE;
        break;
    }
    case WM_TIMER:
        for (const auto& p : peers_)
            if (p->component().kind() == Kind::Timer && static_cast<UINT_PTR>(p->id()) == wp) {
                static_cast<TimerPeer*>(p.get())->Expired();
                return 0;
            }
        break;
    case WM_TIMECHANGE:
        for (const auto& p : peers_)
            if (p->component().kind() == Kind::Timer) static_cast<TimerPeer*>(p.get())->ClockSet();
        break;
    case WM_NCHITTEST: {
        const LRESULT hit = DefWindowProcW(self, msg, wp, lp);
        return hit == HTCLIENT && window_.design().dragAnywhere ? HTCAPTION : hit;
    }
    case WM_NCLBUTTONDBLCLK:
        // The whole bar is its caption: a double-click on it must not maximise it.
        if (wp == HTCAPTION && window_.design().dragAnywhere && window_.design().frame == Frame::None) return 0;
        break;
    case WM_CLOSE: desk_.RequestClose(window_); return 0;
    case kUnloadMessage: desk_.UnloadArrived(window_); return 0;
    case WM_WINDOWPOSCHANGED: {
        const LRESULT r = DefWindowProcW(self, msg, wp, lp);
        SyncModelRect();
        return r;
    }
    case WM_QUERYENDSESSION: return TRUE;  // the session may end; nothing is kept that needs saving
    case WM_ENDSESSION: return 0;
    case WM_NCDESTROY: hwnd_ = nullptr; break;
    default: break;
    }
    return DefWindowProcW(self, msg, wp, lp);
}

// ---------------------------------------------------------------- classes, GDI+, balloons

void RegisterPeerClasses() {
    static bool done = false;
    if (done) return;
    done = true;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.hInstance = Instance();
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpfnWndProc = &PicBoxPeer::Proc;
    wc.lpszClassName = kPicBoxClass;
    RegisterClassExW(&wc);
    wc.lpfnWndProc = &TrayPeer::Proc;
    wc.lpszClassName = kTrayWindowClass;
    RegisterClassExW(&wc);
}

GdiplusSession::~GdiplusSession() { ShutdownGdiplus(); }

bool ShowTrayBalloon(TrayIcon& icon, const std::string& title, const std::string& text, int kind, int timeoutMs) {
    auto* peer = dynamic_cast<TrayPeer*>(icon.peer());
    return peer && peer->Balloon(title, text, kind, timeoutMs);
}

HWND TrayWindowOf(const TrayIcon& icon) {
    auto* peer = dynamic_cast<TrayPeer*>(icon.peer());
    return peer ? peer->hwnd() : nullptr;
}

}  // namespace dida::win32
