// The Label peer: a STATIC.
#include "platform/win32/win32_peers.h"

#include "platform/win32/win32_form_host.h"
#include "platform/win32/win32_text.h"

namespace dida::win32 {
namespace {

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
    Annotation Annotated() const override {
        Annotation a = ControlPeer::Annotated();
        if (label_.design().liveRegion) a.liveSetting = kLiveAssertive;
        if (!spoken_.empty()) a.name = spoken_;
        return a;
    }
    // A reader speaks the live region's name when told it changed: a text the label does not show is its
    // name until the label shows something new.
    void Announce(const std::string& text) override {
        const std::wstring w = Wide(text);
        spoken_ = w == Wide(label_.RawCaption()) ? std::wstring() : w;
        host_.Reannotate(*this);
        RaiseLiveRegionChanged(hwnd_);
    }

protected:
    void OwnChanged(Prop p) override {
        if (p == Prop::Caption) {
            SetWindowTextW(hwnd_, Wide(label_.RawCaption()).c_str());
            if (!spoken_.empty()) {
                spoken_.clear();
                host_.Reannotate(*this);
            }
        } else if (p == Prop::TextColor) {
            InvalidateRect(hwnd_, nullptr, TRUE);
        }
    }

private:
    Label& label_;
    std::wstring spoken_;  // what the last announcement said, where the label does not show it
};

}  // namespace

std::unique_ptr<ControlPeer> MakeLabelPeer(FormHost& host, Component& c, int id) {
    return std::make_unique<LabelPeer>(host, static_cast<Label&>(c), id);
}

}  // namespace dida::win32
