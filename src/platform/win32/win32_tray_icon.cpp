// The TrayIcon peer: the notification-area entry with its hidden window, the balloons, the shell's restart.
#include "platform/win32/win32_peers.h"

#include <shellapi.h>

#include <utility>

#include "platform/win32/win32_boundary.h"
#include "platform/win32/win32_dpi.h"
#include "platform/win32/win32_form_host.h"
#include "platform/win32/win32_handle.h"
#include "platform/win32/win32_images.h"
#include "platform/win32/win32_names.h"
#include "platform/win32/win32_single_copy.h"
#include "platform/win32/win32_system_calls.h"
#include "platform/win32/win32_text.h"

namespace dida::win32 {
namespace {

constexpr UINT_PTR kTrayRetryTimer = 1;
constexpr UINT kTrayRetryMs = 2000;
constexpr int kTrayRetries = 30;  // a minute of waiting for the shell

// Its own hidden top-level window: it receives the icon's callback and the shell's "TaskbarCreated"
// broadcast (message-only windows get no broadcasts).
class TrayPeer : public ControlPeer {
public:
    TrayPeer(FormHost& h, TrayIcon& t, int id) : ControlPeer(h, t, id), tray_(t) {}
    ~TrayPeer() override { TrayPeer::Release(); }

    void Create() override {
        RegisterClassOnce();
        hwnd_ = CreateWindowExW(0, kTrayWindowClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, Instance(), this);
        // A second copy started without elevation may still reach a running copy that is elevated, and an
        // elevated copy hears the restarted shell, which runs at the user's level.
        if (hwnd_) {
            Sys().ChangeWindowMessageFilterEx(hwnd_, ShowBarMessage(), MSGFLT_ALLOW, nullptr);
            Sys().ChangeWindowMessageFilterEx(hwnd_, TaskbarCreated(), MSGFLT_ALLOW, nullptr);
        }
        Update();
    }
    void Changed(Prop p) override {
        if (p == Prop::Icon) {
            FreeIcon();
            Update();
        } else if (p == Prop::TipText || p == Prop::InTray) {
            Update();
        }
    }
    void Release() override {
        Remove();
        FreeIcon();
        if (hwnd_) {
            SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
            DestroyWindow(hwnd_);
            hwnd_ = nullptr;
        }
    }
    bool TakesFocus() const override { return false; }
    // The notification area may have changed its scale too: the icon is taken again at its size.
    void DpiChanged() override {
        FreeIcon();
        Update();
    }

    bool Balloon(const std::string& title, const std::string& text, int kind, int timeoutMs) {
        NOTIFYICONDATAW nid = Record();
        nid.uVersion = NOTIFYICON_VERSION;
        if (!Sys().Shell_NotifyIconW(NIM_SETVERSION, &nid)) return false;
        nid = Record();
        // A balloon the system cannot show now (quiet hours, a full-screen game) is dropped, not shown late.
        nid.uFlags = NIF_INFO | NIF_REALTIME;
        nid.dwInfoFlags = static_cast<DWORD>(TrayIcon::BalloonIconKind(kind));
        nid.uTimeout = static_cast<UINT>(timeoutMs);
        CopyField(nid.szInfoTitle, title);
        CopyField(nid.szInfo, text);
        return Sys().Shell_NotifyIconW(NIM_MODIFY, &nid) != FALSE;
    }

    static LRESULT CALLBACK Proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) noexcept {
        if (msg == WM_NCCREATE) {
            auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
            SetWindowLongPtrW(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
        }
        auto* self = reinterpret_cast<TrayPeer*>(GetWindowLongPtrW(h, GWLP_USERDATA));
        return AtTheBoundary(
            L"tray icon",
            [&]() -> std::optional<LRESULT> {
                if (self) {
                    if (msg == kTrayCallbackMessage) {
                        self->Callback(static_cast<UINT>(LOWORD(lp)));
                        return 0;
                    }
                    if (msg == ShowBarMessage()) {
                        if (!self->host_.destroying()) self->tray_.UserEvent(4);
                        return 0;
                    }
                    if (msg == TaskbarCreated()) {
                        self->ReAdd();
                        return 0;
                    }
                    if (msg == WM_TIMER && wp == kTrayRetryTimer) {
                        self->Retry();
                        return 0;
                    }
                    if (msg == kDpiChanged) {  // to the hidden window, on the primary monitor
                        self->DpiChanged();
                        return 0;
                    }
                }
                if (msg == WM_QUERYENDSESSION) return TRUE;
                return std::nullopt;
            },
            [&] { return DefWindowProcW(h, msg, wp, lp); });
    }

    static UINT TaskbarCreated() {
        static const UINT msg = RegisterWindowMessageW(L"TaskbarCreated");
        return msg;
    }

private:
    static void RegisterClassOnce() {
        static const bool registered = [] {
            WNDCLASSEXW wc{};
            wc.cbSize = sizeof wc;
            wc.hInstance = Instance();
            wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
            wc.lpfnWndProc = &TrayPeer::Proc;
            wc.lpszClassName = kTrayWindowClass;
            return RegisterClassExW(&wc) != 0;
        }();
        (void)registered;
    }
    NOTIFYICONDATAW Record() const {
        NOTIFYICONDATAW nid{};
        nid.cbSize = sizeof nid;
        nid.hWnd = hwnd_;
        nid.uID = kTrayIconId;
        return nid;
    }
    bool Wanted() const { return tray_.RawInTray() && !tray_.RawIcon().empty(); }
    void Update() {
        if (!Wanted()) {
            Remove();
            return;
        }
        // The notification area is on the primary monitor and shows small icons of its scale.
        if (!icon_) {
            const UINT dpi = PrimaryDpi();
            icon_.Reset(IconFromIco(tray_.RawIcon(), MetricForDpi(SM_CXSMICON, dpi), MetricForDpi(SM_CYSMICON, dpi)));
        }
        NOTIFYICONDATAW nid = Record();
        nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
        nid.uCallbackMessage = kTrayCallbackMessage;
        nid.hIcon = icon_.get();
        CopyField(nid.szTip, tray_.RawTipText());
        if (added_) {
            Sys().Shell_NotifyIconW(NIM_MODIFY, &nid);
            return;
        }
        addTried_ = true;
        added_ = Sys().Shell_NotifyIconW(NIM_ADD, &nid) != FALSE;
        // A busy shell (at logon) can report a failed add for an icon it did add: then it takes the change.
        if (!added_) added_ = Sys().Shell_NotifyIconW(NIM_MODIFY, &nid) != FALSE;
        if (added_) {
            // The version does not outlive the entry: every add sets it again, for the keyboard's notifications.
            nid.uVersion = NOTIFYICON_VERSION;
            Sys().Shell_NotifyIconW(NIM_SETVERSION, &nid);
        } else if (hwnd_) {
            retries_ = 0;
            SetTimer(hwnd_, kTrayRetryTimer, kTrayRetryMs, nullptr);
        }
    }
    // Also an entry every add of which reported a failure may be there: it goes too, no ghost is left.
    void Remove() {
        if (hwnd_) KillTimer(hwnd_, kTrayRetryTimer);
        if (!added_ && !addTried_) return;
        NOTIFYICONDATAW nid = Record();
        Sys().Shell_NotifyIconW(NIM_DELETE, &nid);
        added_ = addTried_ = false;
    }
    void FreeIcon() { icon_.Reset(); }
    // A restarted shell has lost every icon; one that is still there is replaced, never doubled.
    void ReAdd() {
        if (!Wanted()) return;
        NOTIFYICONDATAW nid = Record();
        Sys().Shell_NotifyIconW(NIM_DELETE, &nid);
        added_ = addTried_ = false;
        Update();
    }
    void Retry() {
        if (added_ || !Wanted() || ++retries_ > kTrayRetries) {
            KillTimer(hwnd_, kTrayRetryTimer);
            return;
        }
        Update();
        if (added_) KillTimer(hwnd_, kTrayRetryTimer);
    }
    void Callback(UINT mouse) {
        if (host_.destroying()) return;
        // After a right button's release the shell sends the context menu message too: one menu per click.
        // Without that release it is the keyboard's (the menu key, Shift+F10).
        const bool afterRightUp = std::exchange(rightUp_, mouse == WM_RBUTTONUP);
        switch (mouse) {
        case WM_LBUTTONUP: tray_.UserEvent(0); break;
        case WM_LBUTTONDBLCLK: tray_.UserEvent(1); break;
        case WM_RBUTTONUP: tray_.UserEvent(2); break;
        case WM_CONTEXTMENU:
            if (!afterRightUp) tray_.UserEvent(2);
            break;
        case NIN_KEYSELECT:
            // Enter or Space on the focused icon; a bar it shows gets the keyboard, whose user came from there.
            tray_.UserEvent(1);
            if (!host_.destroying()) host_.FocusFromKeyboard();
            break;
        case WM_MOUSEMOVE: {
            POINT pt{};
            GetCursorPos(&pt);
            tray_.UserEvent(3, pt.x, pt.y);
            break;
        }
        default: break;
        }
    }

    TrayIcon& tray_;
    UniqueIcon icon_;
    bool added_ = false;
    bool addTried_ = false;  // since the last delete
    bool rightUp_ = false;   // the last notification was a right button's release
    int retries_ = 0;
};

}  // namespace

std::unique_ptr<ControlPeer> MakeTrayPeer(FormHost& host, Component& c, int id) {
    return std::make_unique<TrayPeer>(host, static_cast<TrayIcon&>(c), id);
}

bool ShowTrayBalloon(TrayIcon& icon, const std::string& title, const std::string& text, int kind, int timeoutMs) {
    auto* peer = dynamic_cast<TrayPeer*>(icon.peer());
    return peer && peer->Balloon(title, text, kind, timeoutMs);
}

HWND TrayWindowOf(const TrayIcon& icon) {
    auto* peer = dynamic_cast<TrayPeer*>(icon.peer());
    return peer ? peer->hwnd() : nullptr;
}

}  // namespace dida::win32
