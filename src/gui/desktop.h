#pragma once
// Everything the logic needs from outside itself. The logic calls only this; the Windows backend
// (platform/win32) and the simulated desktop of the tests (platform/headless) implement it. It hands windows
// and their components about, so it stands beside the window model, above the portable services.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "gui/window.h"
#include "platform/datetime.h"
#include "platform/desktop_types.h"

namespace dida {

class Desktop {
public:
    virtual ~Desktop() = default;

    // Clock.
    virtual DateTime Now() = 0;            // local time, whole seconds
    virtual std::int32_t TickCount() = 0;  // ms since the system started, wraps
    virtual void Delay(int ms) = 0;        // blocks; no events run
    virtual void ProcessEvents() = 0;      // runs what is waiting, leaves a quit queued

    // Dialogs and windows.
    virtual int ShowMessage(const std::string& text, int style = 0, const std::string& title = "") = 0;
    virtual bool InputBox(const std::string& prompt, const std::string& title, const std::string& initial,
                          InputTarget target, int mode = 1) = 0;
    virtual bool OpenDialog(CommonDlg& dialog) = 0;
    virtual bool LoadWindow(Window& window, bool modal = false) = 0;
    virtual void UnloadWindow(Window& window) = 0;

    // Registry; the full path is key path and value name joined by the last backslash.
    virtual std::string RegReadText(RootKey root, const std::string& fullPath, const std::string& def = "") = 0;
    virtual bool RegWrite(RootKey root, const std::string& fullPath, const std::string& text) = 0;
    virtual bool RegWrite(RootKey root, const std::string& fullPath, std::int32_t number) = 0;
    virtual bool RegWrite(RootKey root, const std::string& fullPath, const std::vector<std::uint8_t>& bytes) = 0;
    virtual bool RegDelete(RootKey root, const std::string& fullPath) = 0;

    // Sound: all return at once, the sound runs in the background. False, and nothing plays, without an
    // output device.
    virtual bool PlayAudio(Blob soundBytes, bool loop = false) = 0;
    virtual bool PlayAudioFile(const std::string& fileName, bool loop = false) = 0;
    // times: 1 once, 0 nothing (the old player is removed all the same), below 0 without end. False, and
    // nothing plays, when no file of the list can produce sound (Mp3Playable on what it holds: a missing
    // file, a directory, a wildcard, an empty file, a WAV, junk) or no output device takes it. fallback: a
    // WAV image the player loops instead, until stopped, once a whole pass over the list has produced no sound.
    virtual bool PlayMp3(int times, const std::vector<std::string>& files, Blob fallback = {}) = 0;
    virtual void StopAudio() = 0;

    // Tray and menus.
    virtual bool ShowBalloon(TrayIcon& icon, const std::string& title, const std::string& text, int iconKind,
                             int timeoutMs) = 0;
    virtual void PopupMenu(Window& owner, MenuItem& menu, std::optional<int> x = std::nullopt,
                           std::optional<int> y = std::nullopt) = 0;
    // Screen readers speak `text` from the live-region label, whatever program has the focus; the label
    // shows what it showed.
    virtual void Announce(Label& liveRegion, const std::string& text) = 0;

    // System.
    virtual int ScreenWidth() = 0;
    virtual int ScreenHeight() = 0;
    virtual bool FileExists(const std::string& path) = 0;
    virtual std::string ProgramDirectory() = 0;  // no trailing backslash
    virtual std::string ProgramFileName() = 0;
    virtual bool ShutdownSystem(int mode, bool force = false) = 0;  // 1 power off … 5 hibernate
    virtual void TurnOffMonitor() = 0;

    // What a standard user's session on Windows 10/11 adds to the picture.
    // REG_BINARY as stored; nothing for a missing key or value and for every other type.
    virtual std::optional<std::vector<std::uint8_t>> RegReadBytes(RootKey root, const std::string& fullPath) = 0;
    // The primary monitor less the taskbar and the toolbars docked at its edges, in design pixels. A change
    // reaches every loaded window as its display-changed event.
    virtual Rect WorkArea() = 0;
    // ms since the system started, on 64 bits: past 49.7 days it goes on where TickCount wraps.
    virtual std::int64_t TickCount64() = 0;

    // Waking the machine for a reminder. The program has one wake timer: aiming it again replaces the
    // moment, and it raises no event of its own; it only makes a sleeping machine be up `leadMs` before the
    // moment (or at the moment, when that lead is already past). True when the system will wake for it;
    // false where it cannot (no support for waking by timer). A machine whose power plan allows no wake
    // timers, or that never leaves its standby for a timer, sleeps on all the same.
    virtual bool SetWakeTimer(DateTime localMoment, int leadMs) = 0;     // a moment of the local clock
    virtual bool SetWakeTimerAtTick(std::int32_t tick, int leadMs) = 0;  // a moment of TickCount
    virtual void CancelWakeTimer() = 0;
    // While on, the system stays in the working state with the display on, whatever its idle timers say;
    // off gives them back. The user can still put the machine to sleep.
    virtual void KeepDisplayOn(bool on) = 0;
};

}  // namespace dida
