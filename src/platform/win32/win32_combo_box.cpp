// The ComboBox peer: an owner-drawn drop-down list.
#include "platform/win32/win32_peers.h"

#include <commctrl.h>

#include <algorithm>
#include <utility>

#include "platform/win32/win32_boundary.h"
#include "platform/win32/win32_form_host.h"
#include "platform/win32/win32_text.h"

namespace dida::win32 {
namespace {

class ComboPeer : public ControlPeer {
public:
    ComboPeer(FormHost& h, ComboBox& c, int id) : ControlPeer(h, c, id), combo_(c) {}
    // Drawn by us so that the rows can be taller than the system's: a plain list ignores the item height
    // on some systems, an owner-drawn one takes it everywhere.
    void Create() override {
        MakeChild(L"COMBOBOX", L"", CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS | WS_VSCROLL);
        ApplyFont(Font{});
        FillItems();
        // The rows took their height when the box asked for it while it was made; a system that did not ask
        // has it set now. The box's own field is set in any case: taking the font lays it out anew.
        const int row = RowHeight();
        if (SendMessageW(hwnd_, CB_GETITEMHEIGHT, 0, 0) != row) SendMessageW(hwnd_, CB_SETITEMHEIGHT, 0, row);
        SendMessageW(hwnd_, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), row);
        SetWindowSubclass(hwnd_, &ComboPeer::SubProc, kPeerSubclass, reinterpret_cast<DWORD_PTR>(this));
    }
    bool OnMeasureItem(MEASUREITEMSTRUCT& mi) override {
        mi.itemHeight = static_cast<UINT>(RowHeight());
        return true;
    }
    bool OnDrawItem(const DRAWITEMSTRUCT& di) override {
        const bool selected = (di.itemState & ODS_SELECTED) != 0;
        const bool contrast = host_.highContrast();
        RECT rc = di.rcItem;
        if (contrast)
            FillRect(di.hDC, &rc, host_.SystemBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
        else
            FillRect(di.hDC, &rc, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
        if (di.itemID != static_cast<UINT>(-1)) {
            const auto len = SendMessageW(hwnd_, CB_GETLBTEXTLEN, di.itemID, 0);
            std::wstring text(static_cast<std::size_t>(std::max<LRESULT>(len, 0)) + 1, L'\0');
            SendMessageW(hwnd_, CB_GETLBTEXT, di.itemID, reinterpret_cast<LPARAM>(text.data()));
            text.resize(static_cast<std::size_t>(std::max<LRESULT>(len, 0)));
            if (contrast)
                SetTextColor(di.hDC, host_.SystemColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
            else
                SetTextColor(di.hDC, selected ? GetSysColor(COLOR_HIGHLIGHTTEXT) : RGB(0, 0, 0));
            SetBkMode(di.hDC, TRANSPARENT);
            RECT t{rc.left + Scaled(2), rc.top, rc.right, rc.bottom};
            DrawTextW(di.hDC, text.c_str(), static_cast<int>(text.size()), &t,
                      DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        }
        if ((di.itemState & ODS_FOCUS) && !(di.itemState & ODS_NOFOCUSRECT)) DrawFocusRect(di.hDC, &rc);
        return true;
    }
    void DpiChanged() override {
        ControlPeer::DpiChanged();
        ApplyRowHeight();
    }
    bool ListDropped() const override { return SendMessageW(hwnd_, CB_GETDROPPEDSTATE, 0, 0) != 0; }
    // While the list is down, the arrow keys walk through it and each item they pass is the selection; what
    // is chosen is the item the list closes on with Enter or a click. Acting on each one passed would arm
    // every action on the way (the file dialog of 音乐…, a separator that clears the list and leaves the
    // arrows no way past it). Closed, an arrow chooses at once, as a click does.
    bool OnCommand(WORD code) override {
        if (host_.destroying()) return false;
        switch (code) {
        case CBN_SELCHANGE:
            if (ListDropped())
                passing_ = true;
            else
                Chosen();
            return true;
        case CBN_SELENDOK: closedOk_ = true; return true;
        case CBN_SELENDCANCEL: closedOk_ = false; return true;
        case CBN_CLOSEUP:
            if (std::exchange(passing_, false)) {
                if (closedOk_)
                    Chosen();
                else
                    SendMessageW(hwnd_, CB_SETCURSEL, static_cast<WPARAM>(combo_.RawIndex()), 0);
            }
            return true;
        default: return false;
        }
    }

protected:
    // The height given to the system is the box with its dropped-down list.
    Rect DesignRect() const override {
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
    // The rows, and the box's own field with them: what a plain list's rows are (the height of its font) and
    // the extra design pixels.
    int RowHeight() const { return host_.LineHeightOf(host_.FontOf(Font{})) + Scaled(combo_.design().extraRowHeight); }
    void ApplyRowHeight() {
        const int row = RowHeight();
        SendMessageW(hwnd_, CB_SETITEMHEIGHT, 0, row);
        SendMessageW(hwnd_, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), row);
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
            return AtTheBoundary(
                L"combo box",
                [&]() -> std::optional<LRESULT> {
                    self->combo_.UserRightButtonUp();
                    return r;
                },
                [r] { return r; });
        }
        if (msg == WM_NCDESTROY) RemoveWindowSubclass(h, &ComboPeer::SubProc, kPeerSubclass);
        return DefSubclassProc(h, msg, wp, lp);
    }

    void Chosen() { combo_.UserSelected(static_cast<int>(SendMessageW(hwnd_, CB_GETCURSEL, 0, 0))); }

    ComboBox& combo_;
    bool passing_ = false;   // the open list's selection moved; nothing chosen yet
    bool closedOk_ = false;  // the list's last closing took its selection
};

}  // namespace

std::unique_ptr<ControlPeer> MakeComboBoxPeer(FormHost& host, Component& c, int id) {
    return std::make_unique<ComboPeer>(host, static_cast<ComboBox&>(c), id);
}

}  // namespace dida::win32
