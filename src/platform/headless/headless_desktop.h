#pragma once
// The simulated desktop: a virtual clock, a timer scheduler and a message queue on it, scripted dialog
// answers, an in-memory typed registry, and a record of every sound, balloon, menu and system call.
// Nested loops (message box, input box, file dialog, modal window, ProcessEvents) run what is due at
// the moment they are entered, exactly as a nested message loop does, so re-entrancy is tested as it
// happens for real.
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "gui/lifecycle.h"
#include "gui/menu_tree.h"
#include "platform/clock_timer.h"
#include "gui/desktop.h"

namespace dida {

// ---- the registry of the simulated machine
enum class RegType { Sz, ExpandSz, Dword, Binary };
struct RegValue {
    RegType type = RegType::Sz;
    std::string text;                 // Sz, ExpandSz
    std::uint32_t dword = 0;          // Dword
    std::vector<std::uint8_t> bytes;  // Binary
    bool operator==(const RegValue&) const = default;
};

class HeadlessRegistry {
public:
    // Key paths are compared case-insensitively for ASCII, as the system does; value names too.
    void SetValue(RootKey root, const std::string& key, const std::string& name, RegValue v);
    std::optional<RegValue> GetValue(RootKey root, const std::string& key, const std::string& name) const;
    bool KeyExists(RootKey root, const std::string& key) const;
    void CreateKey(RootKey root, const std::string& key);  // with every missing parent
    bool DeleteValue(RootKey root, const std::string& key, const std::string& name);
    bool DeleteKey(RootKey root, const std::string& key);  // only without sub-keys
    void SetWriteProtected(RootKey root, bool on);         // writes and deletes under that hive fail
    bool WriteProtected(RootKey root) const;
    // Environment for REG_EXPAND_SZ expansion (%NAME%, case-insensitive).
    void SetEnvironment(const std::string& name, const std::string& value);
    std::string Expand(const std::string& text) const;
    // Convenience for tests: the text under root\key\name if it is REG_SZ, else nullopt.
    std::optional<std::string> Text(RootKey root, const std::string& fullPath) const;

private:
    struct Key {
        std::map<std::string, RegValue> values;    // by folded name
        std::map<std::string, std::string> names;  // folded → as written
    };
    static int Hive(RootKey root);
    static std::string Fold(const std::string& s);
    std::map<std::pair<int, std::string>, Key> keys_;  // (hive, folded key path)
    std::map<int, bool> protected_;
    std::map<std::string, std::string> env_;
};

// ---- what the desktop records
struct SoundCall {
    enum class What { PlayAudio, PlayAudioFile, PlayMp3, StopAudio } what;
    std::int64_t atMs;               // virtual monotonic time
    Blob bytes;                      // PlayAudio: the block played; PlayMp3: the fallback
    std::string fileName;            // PlayAudioFile
    std::vector<std::string> files;  // PlayMp3
    int times = 0;                   // PlayMp3
    bool loop = false;
    bool result = false;  // what the call returned (PlayAudio*, PlayMp3)
};

struct MessageCall {
    std::int64_t atMs;
    std::string text, title;  // title as shown (the default "信息：" applied)
    int style;
    int result;
};

struct InputCall {
    std::int64_t atMs;
    std::string prompt, caption, initial;
    int mode;
    bool confirmed;
    std::string entry;
};

struct DialogCall {
    std::int64_t atMs;
    std::string filter;  // with "||"
    int filterIndex;     // 1-based as the system gets it
    std::string initialName;
    bool confirmed;
};

struct BalloonCall {
    std::int64_t atMs;
    std::string trayName, title, text;
    int iconKind;  // after the 0..3 rule
    int timeout;
};

struct AnnouncementCall {
    std::int64_t atMs;
    std::string label, text;
};

struct PopupCall {
    std::int64_t atMs;
    std::string owner, menu;          // the window's and the top item's names
    std::vector<PopupEntry> entries;  // what the pop-up showed
    std::optional<int> x, y;
};

struct SystemCall {
    enum class What { Shutdown, TurnOffMonitor, Delay } what;
    std::int64_t atMs;
    int mode = 0;  // Shutdown
    bool force = false;
    int ms = 0;  // Delay
};

// What a scripted dialog answer sees and gives.
struct MessageAnswer {
    int result;
};
struct InputAnswer {
    bool confirm;
    std::string text;  // what the user left in the field
};
struct FileAnswer {
    bool confirm;
    std::string path;
};

class HeadlessDesktop : public Desktop, private NativeWindows {
public:
    HeadlessDesktop();
    ~HeadlessDesktop() override;

    // ---- clocks
    // The wall clock is local time; it starts at the given date-time. The tick count starts at
    // `tickStart` (ms). Both move together unless a test moves them apart.
    void SetNow(DateTime localStart);
    void SetTickStart(std::int32_t tick);
    std::int64_t Monotonic() const { return mono_; }  // virtual ms since the desktop was made
    // Runs every due timer expiry and posted message in time order up to now + ms (the top-level
    // message loop). Inside a nested loop (a scripted answer) it does the same: that is the nested loop.
    void Advance(std::int64_t ms);
    // Runs until pred() is true or `limitMs` of virtual time passed; returns pred().
    bool RunUntil(const std::function<bool()>& pred, std::int64_t limitMs);
    // Runs what is due now (posted messages, due timers) without moving the clock.
    void RunPending();
    // The user sets the clock / a DST change: the wall clock jumps, the tick count does not. Timers
    // aligned to the clock aim at it afresh, as the system's time-change notice lets them.
    void JumpWallClock(std::int64_t ms);
    // The machine sleeps: both clocks jump, nothing runs meanwhile; due timers fire once afterwards.
    void Suspend(std::int64_t ms);
    // Time zone: the UTC offset in minutes as a function of UTC time (ms since 1970-01-01); with it Now()
    // follows DST changes. The default is a fixed offset of 0. Set it before SetNow.
    void SetUtcOffsetRule(std::function<int(std::int64_t utcMs)> offsetMinutes);
    std::int64_t UtcMs() const { return startUtcMs_ + mono_ + wallOffsetMs_; }
    // Timer delivery faults: lateness in ms of the expiry due at `dueMs` (applied per expiry) and
    // whether that expiry is lost entirely (the thread was busy; the next one comes a period later).
    void SetTimerLateness(std::function<int(std::int64_t dueMs)> late);
    void SetTimerDrop(std::function<bool(std::int64_t dueMs)> drop);
    // Scales every timer's period (1.015 = ticks 1.5 % slow); for a clock-aligned timer each wait.
    void SetTimerSlowdown(double factor);

    // ---- scripted dialogs: each call takes the next answer of its kind; an answer function may
    // itself Advance() time first (the nested loop runs meanwhile). Without a scripted answer the
    // call fails the test (it throws UnexpectedDialog).
    using MessageScript = std::function<MessageAnswer(const MessageCall&)>;
    using InputScript = std::function<InputAnswer(const InputCall&)>;
    using FileScript = std::function<FileAnswer(const DialogCall&)>;
    void AnswerMessage(MessageScript s);
    void AnswerMessage(int result);
    void AnswerInput(InputScript s);
    void AnswerInput(bool confirm, const std::string& text);
    void AnswerFile(FileScript s);
    void AnswerFile(bool confirm, const std::string& path);
    // Runs inside a modal LoadWindow's loop before each event it dispatches (the user acting meanwhile).
    void OnModalLoop(std::function<void(Window&)> hook);
    struct UnexpectedDialog : std::runtime_error {
        using std::runtime_error::runtime_error;
    };

    // ---- the simulated user acting on native controls
    void PressEsc(Window& w);      // Esc on a window: closes it when EscCloses, via the close query
    void RequestClose(Window& w);  // the system asks the window to close (close box, Alt+F4)
    void TypeInto(EditBox& e, const std::string& text);  // each character through the field's filter
    void Select(ComboBox& c, int index);                 // the user picks a list row
    void Click(SuperBtn& b);
    void Click(Button& b);
    void Choose(MenuItem& item);
    void TrayEvent(TrayIcon& icon, int event);

    // ---- the machine
    void SetScreen(int width, int height);
    void SetProgramPath(const std::string& directory, const std::string& fileName);
    void AddFile(const std::string& path, std::vector<std::uint8_t> content = {});
    void RemoveFile(const std::string& path);
    HeadlessRegistry& registry() { return registry_; }
    // Whether the program's start window has been destroyed (the message loop ends).
    bool Quit() const { return windows_.quitting(); }
    void SetStartWindow(Window* w) { windows_.SetStartWindow(w); }
    // What the program's entry does once its message loop has ended: every window still open is destroyed
    // with its about-to-be-destroyed event, as on the real desktop.
    void DestroyAll() { windows_.DestroyAll(); }
    // What the life cycle holds open, and the timers the scheduler runs, for checks from outside.
    const std::vector<Window*>& OpenWindows() const { return windows_.open(); }
    std::vector<const Timer*> ScheduledTimers() const;

    // ---- a standard user's Windows 10/11
    // Where the taskbar is: the work area, the screen less a 40-pixel taskbar at the bottom until set. A
    // change while windows are loaded reaches each as its display-changed event, as a new screen size does.
    void SetWorkArea(Rect r);
    // The machine has been up this long: TickCount64 from here, TickCount its low 32 bits.
    void SetUptime(std::int64_t ms);
    // Without an output device no waveOut stream opens: WAV images and files and MP3 lists give false and
    // nothing sounds, until a device is there again.
    void SetAudioOutput(bool present) { audioOutput_ = present; }

    // ---- records
    const std::vector<SoundCall>& sounds() const { return sounds_; }
    const std::vector<MessageCall>& messages() const { return messages_; }
    const std::vector<InputCall>& inputs() const { return inputs_; }
    const std::vector<DialogCall>& fileDialogs() const { return fileDialogs_; }
    const std::vector<BalloonCall>& balloons() const { return balloons_; }
    const std::vector<AnnouncementCall>& announcements() const { return announcements_; }
    const std::vector<SystemCall>& systemCalls() const { return systemCalls_; }
    const std::vector<PopupCall>& popups() const { return popups_; }
    int popupCount() const { return static_cast<int>(popups_.size()); }
    // Sounds the simulated device is still playing at this moment (looping chimes, the MP3 player, or the
    // fallback the MP3 player rings after a pass in which nothing could sound).
    struct Playing {
        Blob bytes;                    // a WAV / MIDI block
        std::vector<std::string> mp3;  // or the MP3 list
        bool loop = false;
        std::int64_t sinceMs = 0;
    };
    std::vector<Playing> playing() const;

    // ---- Desktop (defaults repeat the interface's, so tests can call the desktop directly)
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
    int ScreenWidth() override { return screenW_; }
    int ScreenHeight() override { return screenH_; }
    bool FileExists(const std::string& path) override;
    std::string ProgramDirectory() override { return programDir_; }
    std::string ProgramFileName() override { return programFile_; }
    bool ShutdownSystem(int mode, bool force = false) override;
    void TurnOffMonitor() override;
    std::optional<std::vector<std::uint8_t>> RegReadBytes(RootKey root, const std::string& fullPath) override;
    Rect WorkArea() override;
    std::int64_t TickCount64() override;

    // ---- waking the machine: the program's wake timer and its request to keep the display on
    // Off: the power plan allows no wake timers, or the machine never leaves its standby for one (Modern
    // Standby); a sleep then lasts as long as it was going to.
    void SetWakeTimersAllowed(bool allowed) { wakeAllowed_ = allowed; }
    // The virtual moment a sleep would end at for the wake timer armed now, or nullopt.
    std::optional<std::int64_t> WakeDue() const;
    struct WakeCall {
        std::int64_t atMs;
        std::optional<std::int64_t> wakesAt;  // the virtual moment it was aimed at (lead applied); none: cancelled
    };
    const std::vector<WakeCall>& wakeCalls() const { return wakeCalls_; }
    struct DisplayCall {
        std::int64_t atMs;
        bool on;
    };
    const std::vector<DisplayCall>& displayCalls() const { return displayCalls_; }
    bool SetWakeTimer(DateTime localMoment, int leadMs) override;
    bool SetWakeTimerAtTick(std::int32_t tick, int leadMs) override;
    void CancelWakeTimer() override;
    void KeepDisplayOn(bool on) override;

    // Timer peers call these.
    void TimerChanged(Timer& t);
    void PostMessage(std::function<void()> fn);

private:
    struct TimerEntry {
        Timer* timer;
        std::int64_t nextDue;  // monotonic ms
        int period;
        std::optional<ClockTimerSchedule> clock;  // for a clock-aligned timer
    };
    struct Posted {
        std::uint64_t seq;
        std::function<void()> fn;
    };
    class Peer;
    friend class Peer;
    // The native half of the window life cycle: peers that record, timers on the virtual clock.
    bool CreateNative(Window& w) override;
    void ShowNative(Window&) override {}
    void DestroyNative(Window& w) override;
    void ActivateNative(Window& w) override;
    void PostClose(Window& w, std::uint64_t serial) override;
    void RunNestedLoop(Window& modal, const std::function<bool()>& done) override;
    // The program ends with its top-level loop, and its process takes every sound with it, as the real
    // program's does: from here on the device is silent.
    void EndMessageLoop() override;
    bool RunOne(std::int64_t upTo);  // runs the earliest due item ≤ upTo; false when none
    std::optional<std::int64_t> NextEventTime();
    std::int64_t DeliveryTime(const TimerEntry& e) const;
    std::int64_t PeriodOf(int interval) const;
    std::int64_t Scaled(std::int64_t waitMs) const;

    std::int64_t mono_ = 0;
    std::int64_t wallOffsetMs_ = 0;     // jumps of the wall clock
    std::int64_t startUtcMs_ = 0;       // UTC ms since 1970 of mono 0
    std::int64_t tickStart_ = 1000000;  // the 64-bit count at mono 0
    std::function<int(std::int64_t)> utcOffset_;
    std::function<int(std::int64_t)> lateness_;
    std::function<bool(std::int64_t)> drop_;
    double slowdown_ = 1.0;
    // By component: a window that goes while loaded takes its timers out after their Timer parts have gone.
    std::map<const Component*, TimerEntry> timers_;
    std::deque<Posted> posted_;
    std::uint64_t seq_ = 0;
    std::vector<std::unique_ptr<ComponentPeer>> peers_;
    std::map<Window*, std::vector<ComponentPeer*>> peersOf_;

    std::deque<MessageScript> messageScripts_;
    std::deque<InputScript> inputScripts_;
    std::deque<FileScript> fileScripts_;
    std::function<void(Window&)> modalHook_;

    HeadlessRegistry registry_;
    int screenW_ = 1920, screenH_ = 1080;
    std::optional<Rect> workArea_;  // set by a test; else the default taskbar's
    bool audioOutput_ = true;
    void RaiseDisplayChanged();
    std::string programDir_ = "C:\\Program Files\\嘀嗒", programFile_ = "DidaMiniClock.exe";
    std::map<std::string, std::vector<std::uint8_t>> files_;

    std::vector<SoundCall> sounds_;
    std::vector<MessageCall> messages_;
    std::vector<InputCall> inputs_;
    std::vector<DialogCall> fileDialogs_;
    std::vector<BalloonCall> balloons_;
    std::vector<AnnouncementCall> announcements_;
    std::vector<SystemCall> systemCalls_;
    std::vector<PopupCall> popups_;
    std::optional<Playing> midi_;
    struct WavStream {
        Blob bytes;
        bool loop;
        std::int64_t since, endsAt;  // endsAt < 0 for a loop
    };
    std::vector<WavStream> streams_;
    bool ended_ = false;
    struct Mp3Player {
        std::vector<std::string> files;
        int passesLeft;  // 0: without end
        Blob fallback;
        std::int64_t since;     // start of the pass under way, or of the fallback
        std::int64_t passEnds;  // end of the pass under way
        bool onFallback;
    };
    // Mutable: the player is brought up to the present lazily, also when it is only looked at.
    mutable std::optional<Mp3Player> mp3_;
    void CatchUpMp3() const;
    std::int64_t Mp3PassMs(const std::vector<std::string>& files) const;
    // The wake timer as the system keeps it: an absolute instant (a local moment, converted when it was
    // aimed, so a later change of the clock moves it with the clock), or a moment of the tick count (which
    // the backend aims afresh when the clock is set, so it stays where it was in real time).
    struct Wake {
        bool onTheClock;
        std::int64_t at;  // UTC ms, or virtual monotonic ms
    };
    std::optional<Wake> wake_;
    bool wakeAllowed_ = true;
    std::vector<WakeCall> wakeCalls_;
    std::vector<DisplayCall> displayCalls_;
    // Last: it takes down the windows still open while everything above still lives.
    WindowLifeCycle windows_{*this};
};

}  // namespace dida
