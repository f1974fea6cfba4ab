#pragma once
// The real desktop: windows and controls as native Win32 windows, the message loop and its nested
// loops, the system dialogs, tray balloons and pop-up menus, the registry and system calls of
// win32_services and the sound of Win32Sound.
#include <windows.h>

#include <map>
#include <memory>
#include <vector>

#include "platform/desktop.h"
#include "platform/win32/win32_sound.h"

namespace dida::win32 {

class FormHost;

class Win32Desktop : public Desktop {
public:
    Win32Desktop();
    ~Win32Desktop() override;
    Win32Desktop(const Win32Desktop&) = delete;
    Win32Desktop& operator=(const Win32Desktop&) = delete;

    // Destroying this window ends the message loop (WM_QUIT).
    void SetStartWindow(Window* w) { startWindow_ = w; }
    // The top-level loop: until WM_QUIT; returns its exit code.
    int RunMessageLoop();
    // At the end, while the windows' objects still live: every window still open is destroyed.
    void DestroyAll();
    // One message through the program's keyboard rules, then to its window.
    void Dispatch(MSG& msg);

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

    std::string RegReadText(int root, const std::string& fullPath, const std::string& def = "") override;
    bool RegWrite(int root, const std::string& fullPath, const std::string& text) override;
    bool RegWrite(int root, const std::string& fullPath, std::int32_t number) override;
    bool RegWrite(int root, const std::string& fullPath, const std::vector<std::uint8_t>& bytes) override;
    bool RegDelete(int root, const std::string& fullPath) override;

    bool PlayAudio(Blob soundBytes, bool loop = false) override;
    bool PlayAudioFile(const std::string& fileName, bool loop = false) override;
    bool PlayMp3(int times, const std::vector<std::string>& files, Blob fallback = {}) override;
    void StopAudio() override;

    bool ShowBalloon(TrayIcon& icon, const std::string& title, const std::string& text, int iconKind,
                     int timeoutMs) override;
    void PopupMenu(Window& owner, MenuItem& menu, std::optional<int> x = std::nullopt,
                   std::optional<int> y = std::nullopt) override;

    int ScreenWidth() override;
    int ScreenHeight() override;
    bool FileExists(const std::string& path) override;
    std::string ProgramDirectory() override;
    std::string ProgramFileName() override;
    bool ShutdownSystem(int mode, bool force = false) override;
    void TurnOffMonitor() override;

    // ---- for the window peers and the tests
    HWND HandleOf(const Window& w) const;
    FormHost* HostOf(const Window& w) const;
    // A close request from the system or the Esc key: the close-query handler decides.
    void RequestClose(Window& w);
    // The posted close of UnloadWindow arrived.
    void UnloadArrived(Window& w);
    // The owner that keeps windows without a taskbar button off the taskbar.
    HWND HiddenOwner();

private:
    void DestroyNow(Window& w);
    // Disables the program's enabled top-level windows but `except`; Restore gives each its state back.
    std::vector<HWND> DisableOthers(HWND except);
    static void Restore(const std::vector<HWND>& disabled);

    Win32Sound sound_;
    Window* startWindow_ = nullptr;
    std::map<const Window*, std::unique_ptr<FormHost>> hosts_;
    std::vector<std::unique_ptr<FormHost>> graveyard_;
    int depth_ = 0;                                 // dispatches on the stack
    std::map<const Window*, unsigned> generation_;  // counts destructions, so a loop can tell its window went
    HWND hiddenOwner_ = nullptr;
};

// Shows the fatal box and ends the process with -1; installed at start.
void InstallFatalHandler();

}  // namespace dida::win32
