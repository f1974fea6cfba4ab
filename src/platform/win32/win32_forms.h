#pragma once
// The native side of a loaded window: its top-level HWND and one peer per component, each mirroring
// the model's state into a real child window (or a window timer, or a tray entry) and turning native
// events into the model's User* entry points.
#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "gui/window.h"
#include "platform/win32/win32_names.h"

namespace dida::win32 {

class Win32Desktop;
class FormHost;

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
    // Can the keyboard focus go here (Tab order, the first focus)?
    virtual bool TakesFocus() const;
    // Before the form's window goes: what the peer owns outside its child window.
    virtual void Release() {}

protected:
    virtual void OwnChanged(Prop /*prop*/) {}
    virtual void ApplyDisabled();
    virtual Rect NativeRect() const { return c_.RawRect(); }
    void ApplyRect();
    HWND MakeChild(const wchar_t* cls, const std::wstring& text, DWORD style, DWORD exStyle = 0);
    void ApplyFont(const Font& font);

    FormHost& host_;
    Component& c_;
    int id_;
    HWND hwnd_ = nullptr;
};

class FormHost : public WindowPeer {
public:
    FormHost(Win32Desktop& desk, Window& window);
    ~FormHost() override;
    FormHost(const FormHost&) = delete;
    FormHost& operator=(const FormHost&) = delete;

    // Builds the native window and every control, starts the timers defined running, shows it.
    void Create();
    // Destroys the native window and everything on it (timers, tray entries, GDI objects).
    void Destroy();

    void Changed(Prop prop) override;
    void Activate() override;

    HWND hwnd() const { return hwnd_; }
    Window& window() const { return window_; }
    Win32Desktop& desktop() const { return desk_; }
    bool destroying() const { return destroying_; }

    ControlPeer* PeerOf(const Component& c) const;
    ControlPeer* PeerOfHandle(HWND h) const;
    HWND HandleOf(const Component& c) const;
    HWND ToolTips();
    HFONT FontOf(const Font& font);
    HBRUSH BrushOf(Color color);

    // Keyboard rules of a loaded window (Esc closes, Enter presses the default button, Tab moves).
    bool PreTranslate(const MSG& msg);
    void FocusFirst();

    LRESULT Proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) noexcept;

private:
    LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp);
    void SyncModelRect();
    std::vector<ControlPeer*> TabStops() const;

    Win32Desktop& desk_;
    Window& window_;
    HWND hwnd_ = nullptr;
    HWND toolTips_ = nullptr;
    std::vector<std::unique_ptr<ControlPeer>> peers_;
    std::map<std::string, HFONT> fonts_;
    std::map<Color, HBRUSH> brushes_;
    bool destroying_ = false;
    HICON bigIcon_ = nullptr, smallIcon_ = nullptr;
    bool applying_ = false;  // our own SetWindowPos: the model already has the new rectangle
    Rect lastRect_{};
};

// The PicBox window class and the tray window class; registered once per process.
void RegisterPeerClasses();

// GDI+ for the animated pictures starts with the first picture; this ends it with the program (or a
// test), after every picture is gone.
class GdiplusSession {
public:
    GdiplusSession() = default;
    ~GdiplusSession();
    GdiplusSession(const GdiplusSession&) = delete;
    GdiplusSession& operator=(const GdiplusSession&) = delete;
};

// What a tray peer does when it is asked for a balloon; nullptr when the icon has no native entry.
bool ShowTrayBalloon(TrayIcon& icon, const std::string& title, const std::string& text, int kind, int timeoutMs);
// The tray icon's hidden window (for the tests), nullptr when not created.
HWND TrayWindowOf(const TrayIcon& icon);

}  // namespace dida::win32
