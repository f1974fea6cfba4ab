// The EditBox peer: an EDIT with the typed-character filter of the model.
#include "platform/win32/win32_peers.h"

#include <commctrl.h>

#include "platform/win32/win32_boundary.h"
#include "platform/win32/win32_form_host.h"
#include "platform/win32/win32_text.h"

namespace dida::win32 {
namespace {

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
    // As in a dialog: a field reached by Tab has its whole text selected.
    void FocusByTab() override {
        SetFocus(hwnd_);
        SendMessageW(hwnd_, EM_SETSEL, 0, -1);
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
        return AtTheBoundary(
            L"edit box",
            [&]() -> std::optional<LRESULT> {
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
                return std::nullopt;
            },
            [&] { return DefSubclassProc(h, msg, wp, lp); });
    }

    EditBox& edit_;
    bool settingText_ = false;
};

}  // namespace

std::unique_ptr<ControlPeer> MakeEditPeer(FormHost& host, Component& c, int id) {
    return std::make_unique<EditPeer>(host, static_cast<EditBox&>(c), id);
}

}  // namespace dida::win32
