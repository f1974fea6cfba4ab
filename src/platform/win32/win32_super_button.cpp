// The SuperBtn peer: a flat picture button, owner-drawn, with its tooltip.
#include "platform/win32/win32_peers.h"

#include <commctrl.h>
#include <mmsystem.h>

#include <cstdint>

#include "platform/win32/win32_desktop.h"
#include "platform/win32/win32_form_host.h"
#include "platform/win32/win32_handle.h"
#include "platform/win32/win32_images.h"
#include "platform/win32/win32_libraries.h"
#include "platform/win32/win32_text.h"

namespace dida::win32 {
namespace {

// Flat and frameless, drawn by us: the caption drawn is the definition's, so the window text, which nobody
// sees, holds what the button does (its tooltip), and a screen reader names it by that. A disabled one is natively
// disabled too (a screen reader announces it as such); its hover picture and tooltip still show, the window host
// tracking the pointer for it (the muted speaker relies on both).
class SuperBtnPeer : public ControlPeer {
public:
    SuperBtnPeer(FormHost& h, SuperBtn& b, int id) : ControlPeer(h, b, id), button_(b) {}
    void Create() override {
        MakeChild(L"BUTTON", Wide(button_.RawToolTip()), BS_OWNERDRAW);
        ApplyFont(button_.design().font);
        font_ = reinterpret_cast<HFONT>(SendMessageW(hwnd_, WM_GETFONT, 0, 0));
        SetWindowSubclass(hwnd_, &SuperBtnPeer::SubProc, kPeerSubclass, reinterpret_cast<DWORD_PTR>(this));
        LoadPictures();
        host_.SetToolTip(hwnd_, button_.RawToolTip());
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
        const bool contrast = host_.highContrast();
        FillRect(dc, &rc, contrast ? host_.SystemBrush(COLOR_WINDOW) : GetSysColorBrush(COLOR_BTNFACE));
        const int push = (di.itemState & ODS_SELECTED) ? Scaled(1) : 0;
        const Picture& picture = hover_ && picIn_.bitmap ? picIn_ : picOut_;
        int textLeft = rc.left;
        const std::wstring caption = Wide(button_.design().caption);
        if (picture.bitmap) {
            BITMAP bm{};
            GetObjectW(picture.bitmap.get(), sizeof bm, &bm);
            const int x = caption.empty() ? rc.left + (rc.right - rc.left - picture.w) / 2 : rc.left;
            const int y = rc.top + (rc.bottom - rc.top - picture.h) / 2;
            const Color t = button_.design().transparent;  // RGB order
            const COLORREF key = RGB((t >> 16) & 0xFF, (t >> 8) & 0xFF, t & 0xFF);
            // A black speaker would vanish on a dark theme: under high contrast its shape is drawn in the
            // theme's text colour, or its highlight colour while the pointer is over it.
            const UniqueBitmap glyph(contrast ? GlyphOf(picture.bitmap.get(), key,
                                                        host_.SystemColor(hover_ ? COLOR_HIGHLIGHT : COLOR_WINDOWTEXT))
                                              : nullptr);
            HDC mem = CreateCompatibleDC(dc);
            HGDIOBJ old = SelectObject(mem, glyph ? glyph.get() : picture.bitmap.get());
            GdiTransparentBlt(dc, x + push, y + push, picture.w, picture.h, mem, 0, 0, bm.bmWidth, bm.bmHeight, key);
            SelectObject(mem, old);
            DeleteDC(mem);
            textLeft = x + picture.w;
        }
        if (!caption.empty()) {
            const SuperBtnDef& d = button_.design();
            const Color color = hover_ ? d.colorOver : (di.itemState & ODS_FOCUS) ? d.colorFocus : d.colorOut;
            SetTextColor(dc, host_.TextColorOf(color));
            SetBkMode(dc, TRANSPARENT);
            HGDIOBJ oldFont = SelectObject(dc, font_);
            RECT text{textLeft + push, rc.top + push, rc.right + push, rc.bottom + push};
            DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &text,
                      DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
            SelectObject(dc, oldFont);
        }
        // The focus reached by the keyboard shows; the system hides the cue while the mouse is used.
        if ((di.itemState & ODS_FOCUS) && !(di.itemState & ODS_NOFOCUSRECT)) {
            // Its dots invert what lies below them, visible on any background and in any theme.
            SetTextColor(dc, RGB(0, 0, 0));
            SetBkColor(dc, RGB(255, 255, 255));
            DrawFocusRect(dc, &rc);
        }
        return true;
    }
    bool TakesFocus() const override { return ControlPeer::TakesFocus() && !button_.RawDisabled(); }
    bool PressedByEnter() const override { return true; }
    // The proxy of an owner-drawn button may not call it a push button.
    Annotation Annotated() const override {
        Annotation a = ControlPeer::Annotated();
        a.role = ROLE_SYSTEM_PUSHBUTTON;
        return a;
    }
    bool TracksPointerWhileDisabled() const override { return true; }
    void PointerEntered() override {
        if (hover_) return;
        hover_ = true;
        InvalidateRect(hwnd_, nullptr, TRUE);
        PlayClickSound();
    }
    void PointerLeft() override {
        if (!hover_) return;
        hover_ = false;
        InvalidateRect(hwnd_, nullptr, TRUE);
    }
    void DpiChanged() override {
        ControlPeer::DpiChanged();
        font_ = reinterpret_cast<HFONT>(SendMessageW(hwnd_, WM_GETFONT, 0, 0));
        LoadPictures();
        InvalidateRect(hwnd_, nullptr, TRUE);
    }

protected:
    void OwnChanged(Prop p) override {
        if (p == Prop::PicOut || p == Prop::PicIn) {
            LoadPictures();
            InvalidateRect(hwnd_, nullptr, TRUE);
        } else if (p == Prop::ToolTip) {
            host_.SetToolTip(hwnd_, button_.RawToolTip());
            SetWindowTextW(hwnd_, Wide(button_.RawToolTip()).c_str());
        }
    }
    void ApplyDisabled() override {
        ControlPeer::ApplyDisabled();
        InvalidateRect(hwnd_, nullptr, TRUE);
    }

private:
    // A picture as it is drawn: the bitmap and its size on the screen.
    struct Picture {
        UniqueBitmap bitmap;
        int w = 0, h = 0;
    };
    // The picture's shape in one colour: every pixel but the transparent ones takes `color`.
    static HBITMAP GlyphOf(HBITMAP picture, COLORREF key, COLORREF color) {
        BITMAP bm{};
        if (!GetObjectW(picture, sizeof bm, &bm) || bm.bmWidth <= 0 || bm.bmHeight <= 0) return nullptr;
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof bi.bmiHeader;
        bi.bmiHeader.biWidth = bm.bmWidth;
        bi.bmiHeader.biHeight = -bm.bmHeight;  // top-down
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        bi.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        HBITMAP glyph = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
        if (!glyph) return nullptr;
        HDC src = CreateCompatibleDC(nullptr), dst = CreateCompatibleDC(nullptr);
        HGDIOBJ oldSrc = SelectObject(src, picture), oldDst = SelectObject(dst, glyph);
        BitBlt(dst, 0, 0, bm.bmWidth, bm.bmHeight, src, 0, 0, SRCCOPY);
        SelectObject(src, oldSrc);
        SelectObject(dst, oldDst);
        DeleteDC(src);
        DeleteDC(dst);
        GdiFlush();
        // DIB pixels are 0x00RRGGBB; a colour that is the key itself would vanish, so it moves by one step.
        const auto dib = [](COLORREF c) {
            return static_cast<std::uint32_t>(GetRValue(c)) << 16 | static_cast<std::uint32_t>(GetGValue(c)) << 8 |
                   GetBValue(c);
        };
        const std::uint32_t transparent = dib(key);
        std::uint32_t ink = dib(color);
        if (ink == transparent) ink ^= 1;
        auto* px = static_cast<std::uint32_t*>(bits);
        for (long i = 0, n = static_cast<long>(bm.bmWidth) * bm.bmHeight; i < n; ++i)
            px[i] = (px[i] & 0x00FFFFFFu) == transparent ? transparent : ink;
        return glyph;
    }
    void FreePictures() {
        picOut_ = Picture{};
        picIn_ = Picture{};
    }
    // The picture drawn for the window's scale where there is one; otherwise the design picture, enlarged
    // pixel by pixel so that its transparent colour stays exact.
    Picture PictureOf(Blob design) const {
        Picture p;
        const std::optional<BmpLayout> layout = ParseBmp(design);
        if (!layout) return p;
        p.w = Scaled(layout->width);
        p.h = Scaled(layout->height);
        const Blob drawn = host_.desktop().RenditionOf(design, static_cast<int>(host_.dpi()));
        const std::optional<BmpLayout> drawnLayout = ParseBmp(drawn);
        if (drawnLayout && drawnLayout->width == p.w && drawnLayout->height == p.h)
            p.bitmap.Reset(BitmapFromBmp(drawn));
        if (!p.bitmap) p.bitmap.Reset(BitmapFromBmp(design));
        return p;
    }
    void LoadPictures() {
        FreePictures();
        picOut_ = PictureOf(button_.RawPicOut());
        picIn_ = PictureOf(button_.RawPicIn());
    }
    static LRESULT CALLBACK SubProc(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR ref) {
        auto* self = reinterpret_cast<SuperBtnPeer*>(ref);
        switch (msg) {
        case WM_MOUSEMOVE:
            if (!self->hover_) {
                TRACKMOUSEEVENT tme{sizeof tme, TME_LEAVE, h, 0};
                TrackMouseEvent(&tme);
                self->PointerEntered();
            }
            break;
        case WM_MOUSELEAVE: self->PointerLeft(); break;
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
    Picture picOut_, picIn_;
    bool hover_ = false;
};

}  // namespace

void PlayClickSound() {
    if (const WinmmApi* mm = WinmmLibrary())
        mm->PlaySoundW(L"CLICK", Instance(), SND_RESOURCE | SND_ASYNC | SND_NODEFAULT);
}

std::unique_ptr<ControlPeer> MakeSuperBtnPeer(FormHost& host, Component& c, int id) {
    return std::make_unique<SuperBtnPeer>(host, static_cast<SuperBtn&>(c), id);
}

}  // namespace dida::win32
