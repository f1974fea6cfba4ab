// The SuperBtn peer: a flat picture button, owner-drawn, with its tooltip.
#include "platform/win32/win32_peers.h"

#include <commctrl.h>
#include <mmsystem.h>

#include "platform/win32/win32_form_host.h"
#include "platform/win32/win32_images.h"
#include "platform/win32/win32_libraries.h"
#include "platform/win32/win32_text.h"

namespace dida::win32 {
namespace {

// Flat and frameless, drawn by us. A disabled one is natively disabled too (a screen reader announces it as
// such); its hover picture and tooltip still show, the window host tracking the pointer for it (the muted
// speaker relies on both).
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
    void ApplyDisabled() override {
        ControlPeer::ApplyDisabled();
        InvalidateRect(hwnd_, nullptr, TRUE);
    }

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
    HBITMAP picOut_ = nullptr, picIn_ = nullptr;
    std::wstring tipText_;
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
