#pragma once
// The window host: the native side of a loaded window. It owns the top-level HWND and one peer per component
// (win32_peers.h), runs the window's procedure and the keyboard rules of the window (Esc, Enter, Tab).
#include <windows.h>

#include <oleacc.h>

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "gui/window.h"
#include "platform/win32/win32_handle.h"
#include "platform/win32/win32_names.h"
#include "platform/win32/win32_peers.h"

namespace dida::win32 {

class Win32Desktop;

class FormHost : public ComponentPeer {
public:
    FormHost(Win32Desktop& desk, Window& window);
    ~FormHost() override;
    FormHost(const FormHost&) = delete;
    FormHost& operator=(const FormHost&) = delete;

    // Builds the native window and every control, hidden, and starts the timers defined running. False when
    // the system refused the window.
    bool Create();
    // Shows the window just created as the model has it, after its created handlers have run.
    void ShowFirst();
    // Destroys the native window and everything on it (timers, tray entries, GDI objects).
    void Destroy();

    void Changed(Prop prop) override;
    // Restores a minimised window, otherwise brings it to the front.
    void Activate();

    HWND hwnd() const { return hwnd_; }
    Window& window() const { return window_; }
    Win32Desktop& desktop() const { return desk_; }
    bool destroying() const { return destroying_; }

    ControlPeer* PeerOf(const Component& c) const;
    ControlPeer* PeerOfHandle(HWND h) const;
    HWND HandleOf(const Component& c) const;
    // The window's tooltip window, made at the first call (after the window is first shown, or sooner when
    // something needs it) with every tip set so far.
    HWND ToolTips();
    // The tip a child shows under the pointer, set or changed.
    void SetToolTip(HWND tool, const std::string& text);
    // The font at the window's DPI: a control's own character height scaled, or the default GUI font for it.
    HFONT FontOf(const Font& font);
    HBRUSH BrushOf(Color color);
    // High contrast on, as the window last heard: everything is drawn in the theme's colours then.
    bool highContrast() const { return highContrast_; }
    // A system colour of the theme, and a brush of it.
    COLORREF SystemColor(int index) const;
    HBRUSH SystemBrush(int index);
    // Under high contrast a text's design colour becomes the theme's: black and white are the text colour,
    // every other (the red of the flashing and the stopwatch, the buttons' orange) the highlight colour.
    COLORREF TextColorOf(Color design) const;
    // The height of a line of text in that font (its tmHeight), kept for the next control that asks.
    int LineHeightOf(HFONT font);
    // The DPI the window is laid out for; its peers turn design pixels into device pixels by it.
    UINT dpi() const { return dpi_; }

    // An assistive program asked the window or one of its controls for its accessible object: the controls'
    // annotations are made now, once for the window, before the system's proxy answers.
    void AccessibilityAsked();
    // A control's annotation changed; told to the readers once they have asked.
    void Reannotate(const ControlPeer& peer);

    // Keyboard rules of a loaded window (Esc closes, Enter presses the default button, Tab moves).
    bool PreTranslate(const MSG& msg);
    void FocusFirst();
    // The user came to the window with the keyboard (the tray icon's Enter): it takes the foreground and the
    // focus, which shows.
    void FocusFromKeyboard();

    LRESULT Proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) noexcept;

private:
    LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp);
    // The pointer over a disabled child, tracked here for it: entered, left, and (when it moved) its tooltip.
    void TrackDisabledPointer(bool moved);
    static LRESULT CALLBACK ToolTipProc(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR ref);
    void SyncModelRect();
    // The native rectangle of the model's: device pixels, a centred window centred on the screen.
    Rect PlacedRect(bool centre);
    // A design rectangle in device pixels; a value that still reads as the device value it came from keeps it.
    Rect DeviceOf(const Rect& design) const;
    // The model's rectangle given to the window, when the logic changed it since.
    void PlaceNow();
    // The window and its icons at their sizes for the window's DPI.
    void TakeIcons();
    // A new DPI (another monitor, another scale): everything again at once, the window kept where it was.
    void Rescale(UINT dpi, const RECT* suggested);
    std::vector<ControlPeer*> TabStops() const;
    // The children stacked in definition order, bottom first, moved only where the system stacked them otherwise.
    void StackAsDefined();
    void SendTip(UINT msg, HWND tool, std::wstring& text);
    // Esc as a hot key of the window while it is up and Esc closes it from anywhere: the keystroke reaches it
    // also when the system kept the keyboard with another program.
    void SyncEscHotKey();
    void ShowFocusCues();
    // The theme changed: the setting read again, everything drawn again at once.
    void ColorsChanged();

    Win32Desktop& desk_;
    Window& window_;
    HWND hwnd_ = nullptr;
    HWND toolTips_ = nullptr;
    std::map<HWND, std::wstring> tips_;                // by child; the tooltip window keeps a copy of its own
    std::vector<std::unique_ptr<ControlPeer>> peers_;  // definition order
    std::map<UINT_PTR, ControlPeer*> byId_;
    std::map<HWND, ControlPeer*> byHandle_;
    std::map<std::string, UniqueFont> fonts_;
    std::map<Color, UniqueBrush> brushes_;
    std::map<HFONT, int> lineHeights_;
    bool destroying_ = false;
    UniqueIcon bigIcon_, smallIcon_;
    bool applying_ = false;             // our own SetWindowPos: the model already has the new rectangle
    ControlPeer* pointerOn_ = nullptr;  // the disabled child the pointer is over
    Rect lastRect_{};                   // device pixels
    UINT dpi_ = 96;
    bool inSizeMove_ = false;    // the user drags the window
    bool firstShown_ = false;    // ShowFirst has run: the logic's changes of place apply at once
    bool placePending_ = false;  // the logic changed the place before that
    bool escHotKey_ = false;     // Esc is registered as the window's hot key
    bool highContrast_ = false;
    bool accessAsked_ = false;  // an assistive program asked; the annotations are made
    IAccPropServices* annotations_ = nullptr;
    std::set<HWND> annotated_;  // the controls that carry an annotation
};

}  // namespace dida::win32
