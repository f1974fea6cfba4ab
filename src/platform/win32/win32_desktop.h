#pragma once
// The real desktop: windows and controls as native Win32 windows, the message loop and its nested
// loops, the system dialogs, tray balloons and pop-up menus, the registry and system calls of
// win32_services and the sound of Win32Sound.
#include <windows.h>

#include <map>
#include <memory>
#include <vector>

#include "gui/desktop.h"
#include "gui/lifecycle.h"
#include "gui/renditions.h"
#include "platform/win32/win32_sound.h"
#include "platform/win32/win32_wake_timer.h"

namespace dida::win32 {

class FormHost;

class Win32Desktop : public Desktop, private NativeWindows {
public:
    // renditions: where the pictures drawn for a display scale above 100 % come from; without it every
    // picture is the design one, enlarged.
    explicit Win32Desktop(RenditionSource renditions = {});
    ~Win32Desktop() override;
    Win32Desktop(const Win32Desktop&) = delete;
    Win32Desktop& operator=(const Win32Desktop&) = delete;

    // Destroying this window ends the message loop (WM_QUIT).
    void SetStartWindow(Window* w) { windows_.SetStartWindow(w); }
    // The top-level loop: until WM_QUIT; returns its exit code.
    int RunMessageLoop();
    // At the end, while the windows' objects still live: every window still open is destroyed.
    void DestroyAll();
    // One message through the program's keyboard rules, then to its window.
    void Dispatch(MSG& msg);
    // The picture `design` drawn for `dpi`; empty where there is none (the design scale, another picture).
    Blob RenditionOf(Blob design, int dpi) const;

    // Held while a dispatch or a window procedure of ours runs: the hosts of windows destroyed meanwhile are
    // deleted only when the outermost one has returned, never under a running member of theirs.
    class Busy {
    public:
        explicit Busy(Win32Desktop& desk) : desk_(desk) { ++desk_.depth_; }
        ~Busy();
        Busy(const Busy&) = delete;
        Busy& operator=(const Busy&) = delete;

    private:
        Win32Desktop& desk_;
    };

    // Held while a loop of the system's runs the messages (a pop-up menu, a message box, the file dialog, a
    // window being dragged): that loop reads the keys and clicks it waits for from the queue, so the logic's
    // own "let the events through" (ProcessEvents) must not take them away from it meanwhile.
    class SystemLoop {
    public:
        explicit SystemLoop(Win32Desktop& desk) : desk_(desk) { ++desk_.systemLoops_; }
        ~SystemLoop() { --desk_.systemLoops_; }
        SystemLoop(const SystemLoop&) = delete;
        SystemLoop& operator=(const SystemLoop&) = delete;

    private:
        Win32Desktop& desk_;
    };
    void EnterSystemLoop() { ++systemLoops_; }
    void LeaveSystemLoop() { --systemLoops_; }

    DateTime Now() override;
    std::int32_t TickCount() override;
    void Delay(int ms) override;
    void ProcessEvents() override;

    int ShowMessage(const std::string& text, int style = 0, const std::string& title = "") override;
    bool InputBox(const std::string& prompt, const std::string& title, const std::string& initial, InputTarget target,
                  int mode = 1) override;
    bool OpenDialog(CommonDlg& dialog) override;
    bool LoadWindow(Window& window, bool modal = false) override;
    void UnloadWindow(Window& window) override;

    std::string RegReadText(RootKey root, const std::string& fullPath, const std::string& def = "") override;
    bool RegWrite(RootKey root, const std::string& fullPath, const std::string& text) override;
    bool RegWrite(RootKey root, const std::string& fullPath, std::int32_t number) override;
    bool RegWrite(RootKey root, const std::string& fullPath, const std::vector<std::uint8_t>& bytes) override;
    bool RegDelete(RootKey root, const std::string& fullPath) override;

    bool PlayAudio(Blob soundBytes, bool loop = false) override;
    bool PlayAudioFile(const std::string& fileName, bool loop = false) override;
    bool PlayMp3(int times, const std::vector<std::string>& files, Blob fallback = {}) override;
    void StopAudio() override;

    bool ShowBalloon(TrayIcon& icon, const std::string& title, const std::string& text, int iconKind,
                     int timeoutMs) override;
    void PopupMenu(Window& owner, MenuItem& menu, std::optional<int> x = std::nullopt,
                   std::optional<int> y = std::nullopt) override;
    void Announce(Label& liveRegion, const std::string& text) override;

    int ScreenWidth() override;
    int ScreenHeight() override;
    bool FileExists(const std::string& path) override;
    std::string ProgramDirectory() override;
    std::string ProgramFileName() override;
    bool ShutdownSystem(int mode, bool force = false) override;
    void TurnOffMonitor() override;
    std::optional<std::vector<std::uint8_t>> RegReadBytes(RootKey root, const std::string& fullPath) override;
    Rect WorkArea() override;
    std::int64_t TickCount64() override;

    bool SetWakeTimer(DateTime localMoment, int leadMs) override;
    bool SetWakeTimerAtTick(std::int32_t tick, int leadMs) override;
    void CancelWakeTimer() override;
    void KeepDisplayOn(bool on) override;
    // WM_TIMECHANGE reached a window of the program.
    void ClockSet() { wake_.ClockSet(); }

    // ---- for the window hosts and the tests
    WindowLifeCycle& windows() { return windows_; }
    HWND HandleOf(const Window& w) const;
    FormHost* HostOf(const Window& w) const;
    // The owner that keeps windows without a taskbar button off the taskbar; also the program's own window the
    // display is turned off through (never disabled, never closed before the end).
    HWND HiddenOwner();
    // Hosts of destroyed windows not deleted yet because a procedure of theirs may still be running.
    std::size_t RetiredHosts() const { return graveyard_.size(); }

private:
    // The native half of the window life cycle.
    bool CreateNative(Window& w) override;
    void ShowNative(Window& w) override;
    void DestroyNative(Window& w) override;
    void ActivateNative(Window& w) override;
    void PostClose(Window& w, std::uint64_t serial) override;
    void RunNestedLoop(Window& modal, const std::function<bool()>& done) override;
    void EndMessageLoop() override;

    // Disables the program's enabled top-level windows natively, as a system dialog without an owner does;
    // Restore gives each its state back.
    std::vector<HWND> DisableOthers(HWND except);
    static void Restore(const std::vector<HWND>& disabled);

    RenditionSource renditions_;
    Win32Sound sound_;
    WakeTimer wake_;
    bool displayHeld_ = false;
    std::map<const Window*, std::unique_ptr<FormHost>> hosts_;
    std::vector<std::unique_ptr<FormHost>> graveyard_;
    int depth_ = 0;        // dispatches and window procedures on the stack
    int systemLoops_ = 0;  // the system's loops running the messages, above the innermost loop of ours
    HWND hiddenOwner_ = nullptr;
    // Last: it takes down the windows still open while everything above still lives.
    WindowLifeCycle windows_{*this};
};

}  // namespace dida::win32
