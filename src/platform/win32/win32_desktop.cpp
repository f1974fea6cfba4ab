#include "platform/win32/win32_desktop.h"

#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>
#include <utility>

#include "platform/dialog_rules.h"
#include "platform/fatal.h"
#include "platform/win32/win32_dpi.h"
#include "platform/win32/win32_form_host.h"
#include "platform/win32/win32_input_box.h"
#include "platform/win32/win32_libraries.h"
#include "platform/win32/win32_menu.h"
#include "platform/win32/win32_services.h"
#include "platform/win32/win32_system_calls.h"
#include "platform/win32/win32_text.h"

namespace dida::win32 {
namespace {

constexpr wchar_t kOwnerClass[] = L"DidaOwnerWindow";

LRESULT CALLBACK OwnerProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_QUERYENDSESSION) return TRUE;
    return DefWindowProcW(h, msg, wp, lp);
}

}  // namespace

Win32Desktop::Win32Desktop(RenditionSource renditions) : renditions_(std::move(renditions)) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
}

Blob Win32Desktop::RenditionOf(Blob design, int dpi) const {
    if (design.empty() || !renditions_) return {};
    return renditions_(design, dpi);
}

Win32Desktop::~Win32Desktop() {
    if (displayHeld_) KeepDisplayOn(false);
    windows_.ForgetAll();
    graveyard_.clear();
    if (hiddenOwner_) DestroyWindow(hiddenOwner_);
}

Win32Desktop::Busy::~Busy() {
    if (--desk_.depth_ == 0) desk_.graveyard_.clear();
}

void Win32Desktop::DestroyAll() {
    windows_.DestroyAll();
    if (depth_ == 0) graveyard_.clear();
}

// ---------------------------------------------------------------- message loop

void Win32Desktop::Dispatch(MSG& msg) {
    // Counted before the keyboard rules too: Esc and Enter can close the window whose host handles them.
    const Busy busy(*this);
    if (msg.message == WM_KEYDOWN) {
        HWND root = GetAncestor(msg.hwnd, GA_ROOT);
        for (auto& [w, host] : hosts_)
            if (host->hwnd() == root) {
                if (host->PreTranslate(msg)) return;
                break;
            }
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}

int Win32Desktop::RunMessageLoop() {
    MSG msg;
    for (;;) {
        const BOOL r = GetMessageW(&msg, nullptr, 0, 0);
        if (r == 0) return static_cast<int>(msg.wParam);
        if (r < 0) return -1;
        Dispatch(msg);
    }
}

// ---------------------------------------------------------------- clock

DateTime Win32Desktop::Now() {
    SYSTEMTIME st;
    GetLocalTime(&st);
    return MakeDateTime(DateFields{st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond});
}

std::int32_t Win32Desktop::TickCount() { return static_cast<std::int32_t>(GetTickCount()); }

void Win32Desktop::Delay(int ms) { Sleep(static_cast<DWORD>(std::max(0, ms))); }

void Win32Desktop::ProcessEvents() {
    // Inside the system's loop (a timer of the logic ticking while a menu is open) that loop goes on with the
    // messages as soon as the handler returns; taking them here would lose the menu's keys and clicks.
    if (systemLoops_ > 0) return;
    MSG msg;
    // Look first, so that a quit message stays in the queue for the loop that owns it.
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
        if (msg.message == WM_QUIT) return;
        if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) return;
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        Dispatch(msg);
    }
}

// ---------------------------------------------------------------- dialogs

int Win32Desktop::ShowMessage(const std::string& text, int style, const std::string& title) {
    const SystemLoop loop(*this);
    const int id =
        MessageBoxW(nullptr, Wide(text).c_str(), Wide(MessageBoxTitle(title)).c_str(), MessageBoxStyle(style));
    return MessageResultFromButtonId(id);
}

bool Win32Desktop::InputBox(const std::string& prompt, const std::string& title, const std::string& initial,
                            InputTarget target, int mode) {
    InputDialogState state;
    state.prompt = prompt;
    state.caption = InputBoxCaption(title);
    state.initial = initial;
    state.mode = InputBoxMode(mode);
    // Like the message box without an owner: the program's windows wait until the box is closed.
    const std::vector<HWND> disabled = DisableOthers(nullptr);
    const SystemLoop loop(*this);
    const bool confirmed = RunInputDialog(state, nullptr);
    Restore(disabled);
    if (confirmed) StoreInputEntry(state.entry, target);
    return confirmed;
}

bool Win32Desktop::OpenDialog(CommonDlg& dialog) {
    const std::string current = dialog.FileName();  // also the loaded check
    const int type = dialog.DialogType();
    if (type > 1) return false;
    const CommonDlgDef& d = dialog.design();
    std::wstring filter = Wide(DialogFilterString(d.filter));
    std::replace(filter.begin(), filter.end(), L'|', L'\0');
    const std::wstring title = Wide(d.title), dir = Wide(d.initDir), ext = Wide(d.defaultExt);
    std::vector<wchar_t> file(32768, L'\0');
    const std::wstring initial = Wide(current);
    std::copy_n(initial.begin(), std::min(initial.size(), file.size() - 1), file.begin());

    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.lpstrFilter = filter.empty() ? nullptr : filter.c_str();
    ofn.nFilterIndex = static_cast<DWORD>(DialogFilterIndex(d.filter, d.filterIndex));
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrTitle = title.empty() ? nullptr : title.c_str();
    ofn.lpstrInitialDir = dir.empty() ? nullptr : dir.c_str();
    ofn.lpstrDefExt = ext.empty() ? nullptr : ext.c_str();
    ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY;
    if (d.promptCreate) ofn.Flags |= OFN_CREATEPROMPT;
    if (d.fileMustExist) ofn.Flags |= OFN_FILEMUSTEXIST;
    if (d.overwritePrompt) ofn.Flags |= OFN_OVERWRITEPROMPT;
    if (d.pathMustExist) ofn.Flags |= OFN_PATHMUSTEXIST;
    if (d.noChangeDir) ofn.Flags |= OFN_NOCHANGEDIR;

    // Without the dialog's library the user can choose nothing: the same as a cancel.
    const FileDialogApi* dialogs = FileDialogLibrary();
    if (!dialogs) return false;
    const std::vector<HWND> disabled = DisableOthers(nullptr);
    const SystemLoop loop(*this);
    const bool confirmed =
        type == 0 ? dialogs->GetOpenFileNameW(&ofn) != FALSE : dialogs->GetSaveFileNameW(&ofn) != FALSE;
    Restore(disabled);
    if (confirmed) dialog.FileName(Narrow(file.data()));
    return confirmed;
}

// ---------------------------------------------------------------- windows

bool Win32Desktop::LoadWindow(Window& w, bool modal) { return windows_.Load(w, modal); }

void Win32Desktop::UnloadWindow(Window& w) { windows_.Unload(w); }

bool Win32Desktop::CreateNative(Window& w) {
    auto host = std::make_unique<FormHost>(*this, w);
    FormHost* raw = host.get();
    hosts_[&w] = std::move(host);
    if (raw->Create()) return true;
    raw->Destroy();
    hosts_.erase(&w);
    return false;
}

void Win32Desktop::DestroyNative(Window& w) {
    auto it = hosts_.find(&w);
    if (it == hosts_.end()) return;
    std::unique_ptr<FormHost> host = std::move(it->second);
    hosts_.erase(it);
    host->Destroy();
    graveyard_.push_back(std::move(host));
    if (depth_ == 0) graveyard_.clear();
}

void Win32Desktop::ShowNative(Window& w) {
    if (FormHost* host = HostOf(w)) host->ShowFirst();
}

void Win32Desktop::ActivateNative(Window& w) {
    if (FormHost* host = HostOf(w)) host->Activate();
}

void Win32Desktop::PostClose(Window& w, std::uint64_t serial) {
    // Queued: the window goes after the running handler and whatever is already waiting.
    if (HWND h = HandleOf(w)) PostMessageW(h, kUnloadMessage, static_cast<WPARAM>(serial), 0);
}

void Win32Desktop::RunNestedLoop(Window&, const std::function<bool()>& done) {
    // A loop of ours, also when a window opens from a handler inside the system's loop: its messages are ours.
    const int outer = std::exchange(systemLoops_, 0);
    struct Back {
        int& loops;
        int outer;
        ~Back() { loops = outer; }
    } back{systemLoops_, outer};
    MSG msg;
    while (!done()) {
        const BOOL r = GetMessageW(&msg, nullptr, 0, 0);
        if (r == 0) {
            PostQuitMessage(static_cast<int>(msg.wParam));  // for the loop that owns it
            break;
        }
        if (r < 0) break;
        Dispatch(msg);
    }
}

void Win32Desktop::EndMessageLoop() { PostQuitMessage(0); }

HWND Win32Desktop::HandleOf(const Window& w) const {
    const FormHost* host = HostOf(w);
    return host ? host->hwnd() : nullptr;
}

FormHost* Win32Desktop::HostOf(const Window& w) const {
    auto it = hosts_.find(&w);
    return it == hosts_.end() ? nullptr : it->second.get();
}

HWND Win32Desktop::HiddenOwner() {
    if (!hiddenOwner_) {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = OwnerProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = kOwnerClass;
        RegisterClassExW(&wc);
        hiddenOwner_ = CreateWindowExW(0, kOwnerClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                       GetModuleHandleW(nullptr), nullptr);
    }
    return hiddenOwner_;
}

std::vector<HWND> Win32Desktop::DisableOthers(HWND except) {
    std::vector<HWND> disabled;
    for (auto& [w, host] : hosts_) {
        HWND h = host->hwnd();
        if (h && h != except && IsWindowEnabled(h)) {
            EnableWindow(h, FALSE);
            disabled.push_back(h);
        }
    }
    return disabled;
}

void Win32Desktop::Restore(const std::vector<HWND>& disabled) {
    for (HWND h : disabled)
        if (IsWindow(h)) EnableWindow(h, TRUE);
}

// ---------------------------------------------------------------- registry, sound, system

std::string Win32Desktop::RegReadText(RootKey root, const std::string& fullPath, const std::string& def) {
    return win32::RegReadText(root, fullPath, def);
}
bool Win32Desktop::RegWrite(RootKey root, const std::string& fullPath, const std::string& text) {
    return win32::RegWrite(root, fullPath, text);
}
bool Win32Desktop::RegWrite(RootKey root, const std::string& fullPath, std::int32_t number) {
    return win32::RegWrite(root, fullPath, number);
}
bool Win32Desktop::RegWrite(RootKey root, const std::string& fullPath, const std::vector<std::uint8_t>& bytes) {
    return win32::RegWrite(root, fullPath, bytes);
}
bool Win32Desktop::RegDelete(RootKey root, const std::string& fullPath) { return win32::RegDelete(root, fullPath); }

bool Win32Desktop::PlayAudio(Blob soundBytes, bool loop) { return sound_.PlayAudio(soundBytes, loop); }
bool Win32Desktop::PlayAudioFile(const std::string& fileName, bool loop) {
    return sound_.PlayAudioFile(fileName, loop);
}
bool Win32Desktop::PlayMp3(int times, const std::vector<std::string>& files, Blob fallback) {
    return sound_.PlayMp3(times, files, fallback);
}
void Win32Desktop::StopAudio() { sound_.StopAudio(); }

int Win32Desktop::ScreenWidth() { return win32::ScreenWidth(); }
int Win32Desktop::ScreenHeight() { return win32::ScreenHeight(); }
bool Win32Desktop::FileExists(const std::string& path) { return win32::FileExists(path); }
std::string Win32Desktop::ProgramDirectory() { return GetProgramLocation().directory; }
std::string Win32Desktop::ProgramFileName() { return GetProgramLocation().fileName; }
bool Win32Desktop::ShutdownSystem(int mode, bool force) { return win32::ShutdownSystem(mode, force, HiddenOwner()); }
void Win32Desktop::TurnOffMonitor() { win32::TurnOffMonitor(HiddenOwner()); }
std::optional<std::vector<std::uint8_t>> Win32Desktop::RegReadBytes(RootKey root, const std::string& fullPath) {
    return win32::RegReadBytes(root, fullPath);
}
Rect Win32Desktop::WorkArea() { return win32::WorkArea(); }
std::int64_t Win32Desktop::TickCount64() { return static_cast<std::int64_t>(Sys().GetTickCount64()); }

// ---------------------------------------------------------------- waking and staying up

bool Win32Desktop::SetWakeTimer(DateTime localMoment, int leadMs) { return wake_.AimAt(localMoment, leadMs); }
bool Win32Desktop::SetWakeTimerAtTick(std::int32_t tick, int leadMs) { return wake_.AimAtTick(tick, leadMs); }
void Win32Desktop::CancelWakeTimer() { wake_.Cancel(); }

void Win32Desktop::KeepDisplayOn(bool on) {
    // Held by this thread, the one thread of the program's logic, until it asks again.
    const EXECUTION_STATE state = on ? ES_CONTINUOUS | ES_SYSTEM_REQUIRED | ES_DISPLAY_REQUIRED : ES_CONTINUOUS;
    if (Sys().SetThreadExecutionState(state) != 0) displayHeld_ = on;
}

// ---------------------------------------------------------------- tray and menus

bool Win32Desktop::ShowBalloon(TrayIcon& icon, const std::string& title, const std::string& text, int iconKind,
                               int timeoutMs) {
    if (!icon.CanShowBalloon()) return false;
    return ShowTrayBalloon(icon, title, text, TrayIcon::BalloonIconKind(iconKind), timeoutMs);
}

void Win32Desktop::Announce(Label& liveRegion, const std::string& text) {
    liveRegion.Caption();  // a control of a window that is not loaded is the fatal error
    if (FormHost* host = HostOf(*liveRegion.window()))
        if (ControlPeer* peer = host->PeerOf(liveRegion)) peer->Announce(text);
}

void Win32Desktop::PopupMenu(Window& owner, MenuItem& menu, std::optional<int> x, std::optional<int> y) {
    const std::vector<PopupEntry> entries = PopupOf(owner, menu);
    HWND h = HandleOf(owner);
    if (!h) return;
    HMENU popup = BuildPopupMenu(entries);
    POINT pt{};
    GetCursorPos(&pt);
    // The logic's positions and offset are design pixels of the owner's scale.
    const UINT dpi = HostOf(owner) ? HostOf(owner)->dpi() : kDesignDpi;
    const int px = x ? ToDevice(*x, dpi) : pt.x + ToDevice(3, dpi);
    const int py = y ? ToDevice(*y, dpi) : pt.y + ToDevice(3, dpi);
    // Without the foreground the menu would not close on a click elsewhere; the WM_NULL after it lets
    // the next click reach the menu's owner normally.
    Sys().SetForegroundWindow(h);
    {
        const SystemLoop loop(*this);
        TrackPopupMenu(popup, TPM_RIGHTBUTTON, px, py, 0, h, nullptr);
    }
    PostMessageW(h, WM_NULL, 0, 0);
    DestroyMenu(popup);
}

}  // namespace dida::win32
