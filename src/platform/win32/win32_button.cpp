// The Button peer: a push button.
#include "platform/win32/win32_peers.h"

#include "platform/win32/win32_form_host.h"
#include "platform/win32/win32_text.h"

namespace dida::win32 {
namespace {

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
    bool IsDefaultButton() const override { return button_.design().isDefault; }
    bool PressedByEnter() const override { return true; }

protected:
    void OwnChanged(Prop p) override {
        if (p == Prop::Caption) SetWindowTextW(hwnd_, Wide(button_.RawCaption()).c_str());
    }

private:
    Button& button_;
};

}  // namespace

std::unique_ptr<ControlPeer> MakeButtonPeer(FormHost& host, Component& c, int id) {
    return std::make_unique<ButtonPeer>(host, static_cast<Button&>(c), id);
}

}  // namespace dida::win32
