#pragma once
// Inside the Windows backend: the peers of the controls, one file per kind (win32_label.cpp, win32_edit.cpp,
// win32_combo_box.cpp, win32_button.cpp, win32_super_button.cpp, win32_picture_box.cpp, win32_timer.cpp,
// win32_tray_icon.cpp), behind this one header. A peer mirrors its component's model state into a native child
// window (or a window timer, or a tray entry) and turns native events into the model's User* entry points. The
// window host (win32_form_host.cpp) makes one for each component through PeerFactoryOf.
#include <windows.h>

#include <memory>
#include <optional>
#include <string>

#include "gui/window.h"
#include "platform/win32/win32_accessibility.h"

namespace dida::win32 {

class FormHost;

// The subclass id under which a peer watches its own child window.
inline constexpr UINT_PTR kPeerSubclass = 7;
// The subclass id under which every child tells its window host that an assistive program asks for it.
inline constexpr UINT_PTR kAccessSubclass = 9;

// Everything a peer of a control needs from the window it sits on.
class ControlPeer : public ComponentPeer {
public:
    ControlPeer(FormHost& host, Component& c, int id) : host_(host), c_(c), id_(id) {}
    ~ControlPeer() override = default;

    virtual void Create() = 0;
    void Changed(Prop prop) override;

    HWND hwnd() const { return hwnd_; }
    int id() const { return id_; }
    Component& component() const { return c_; }

    // From the parent window's procedure; true when handled.
    virtual bool OnCommand(WORD /*code*/) { return false; }
    virtual HBRUSH OnCtlColor(HDC /*dc*/) { return nullptr; }
    virtual bool OnDrawItem(const DRAWITEMSTRUCT& /*item*/) { return false; }
    // Also while the child is being made, before hwnd() is known.
    virtual bool OnMeasureItem(MEASUREITEMSTRUCT& /*item*/) { return false; }
    // The window timer of the peer's id expired.
    virtual void OnTimer() {}
    // The system clock was set (WM_TIMECHANGE).
    virtual void OnClockSet() {}
    // Can the keyboard focus go here (Tab order, the first focus)?
    virtual bool TakesFocus() const;
    // The Tab key brings the focus here.
    virtual void FocusByTab() { SetFocus(hwnd_); }
    // Enter presses it.
    virtual bool IsDefaultButton() const { return false; }
    // A button: Enter presses it while it has the focus, as in a dialog.
    virtual bool PressedByEnter() const { return false; }
    // Its list is dropped down: Esc and Enter are the list's.
    virtual bool ListDropped() const { return false; }
    // Before the form's window goes: what the peer owns outside its child window.
    virtual void Release() {}
    // A natively disabled child gets no mouse input of its own; a peer that still shows the pointer over it
    // (a hover picture, a tooltip) has the window host track the pointer for it and tell it.
    virtual bool TracksPointerWhileDisabled() const { return false; }
    virtual void PointerEntered() {}
    virtual void PointerLeft() {}
    // The window went to another DPI: what was made for the old one is made again (rectangle and font here).
    virtual void DpiChanged();
    // The system's colours or the high-contrast setting changed; the host redraws everything after it.
    virtual void ColorsChanged() {}
    // What a screen reader is told about the control beyond what the system's proxy finds (the definition's
    // name, kept out of view).
    virtual Annotation Annotated() const;
    // The program has something for screen readers to speak from this control (a live region).
    virtual void Announce(const std::string& /*text*/) {}

protected:
    virtual void OwnChanged(Prop /*prop*/) {}
    virtual void ApplyDisabled();
    // The rectangle the native control is given, in design pixels.
    virtual Rect DesignRect() const { return c_.RawRect(); }
    Rect NativeRect() const;
    void ApplyRect();
    HWND MakeChild(const wchar_t* cls, const std::wstring& text, DWORD style, DWORD exStyle = 0);
    void ApplyFont(const Font& font);
    // A design length in device pixels at the window's DPI.
    int Scaled(int design) const;

    FormHost& host_;
    Component& c_;
    int id_;
    HWND hwnd_ = nullptr;
    std::optional<Font> appliedFont_;  // made again for a new DPI
};

// Makes the peer of one component; the component is of the kind the factory was chosen for.
using PeerFactory = std::unique_ptr<ControlPeer> (*)(FormHost& host, Component& c, int id);
// nullptr for the kinds without a native side of their own: menu items are built at each pop-up, the file
// dialog exists only while it is shown.
PeerFactory PeerFactoryOf(Kind kind);
// True for the kinds whose peer is a child window of the form; timers and the tray entry are not.
bool MakesChildWindow(Kind kind);

std::unique_ptr<ControlPeer> MakeLabelPeer(FormHost& host, Component& c, int id);
std::unique_ptr<ControlPeer> MakeEditPeer(FormHost& host, Component& c, int id);
std::unique_ptr<ControlPeer> MakeComboBoxPeer(FormHost& host, Component& c, int id);
std::unique_ptr<ControlPeer> MakeButtonPeer(FormHost& host, Component& c, int id);
std::unique_ptr<ControlPeer> MakeSuperBtnPeer(FormHost& host, Component& c, int id);
std::unique_ptr<ControlPeer> MakePicBoxPeer(FormHost& host, Component& c, int id);
std::unique_ptr<ControlPeer> MakeTimerPeer(FormHost& host, Component& c, int id);
std::unique_ptr<ControlPeer> MakeTrayPeer(FormHost& host, Component& c, int id);

// ---- shared by the peers
HINSTANCE Instance();
COLORREF Ref(Color c);
// Whether the user has a high-contrast theme on (SPI_GETHIGHCONTRAST).
bool HighContrastOn();
// Sets the colours of a control's text and background; default colours are the system's button face, as
// the design tables define them, and under high contrast those of the host (FormHost::TextColorOf).
// Returns the background brush.
HBRUSH PaintColors(FormHost& host, HDC dc, Color text, Color back);
DWORD AlignStyle(Align a, DWORD left, DWORD center, DWORD right);
// The standard click of the flat picture buttons (the executable's WAVE resource CLICK).
void PlayClickSound();

// ---- the picture box: GDI+ for the animated pictures starts with the first picture; this ends it with the
// program (or a test), after every picture is gone.
class GdiplusSession {
public:
    GdiplusSession() = default;
    ~GdiplusSession();
    GdiplusSession(const GdiplusSession&) = delete;
    GdiplusSession& operator=(const GdiplusSession&) = delete;
};

// ---- the tray icon
// What a tray peer does when it is asked for a balloon; false when the icon has no native entry.
bool ShowTrayBalloon(TrayIcon& icon, const std::string& title, const std::string& text, int kind, int timeoutMs);
// The tray icon's hidden window (for the tests), nullptr when not created.
HWND TrayWindowOf(const TrayIcon& icon);

}  // namespace dida::win32
