// The yardstick of scripts/bench.sh: the least a program needs to show a bar of the same shape as the
// clock's — a 316 × 22 always-on-top pop-up docked at the top edge, owned by a hidden window so that it
// has no taskbar button, the same standard controls at the same places, visual styles, a tray icon —
// and then wait for messages. No logic, no timers, no sound, no pictures. Built by the same toolchain
// with the same flags as the program, so the difference between the two is what the program adds.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <initializer_list>

namespace {

constexpr UINT kTrayMessage = WM_APP + 1;
constexpr int kWidth = 316, kHeight = 22, kDockGap = 140;

struct Child {
    const wchar_t* cls;
    const wchar_t* text;
    DWORD style;
    DWORD exStyle;
    int x, y, w, h;
};

LRESULT CALLBACK BarProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    if (msg == WM_NCHITTEST) {
        const LRESULT hit = DefWindowProcW(h, msg, wp, lp);
        return hit == HTCLIENT ? HTCAPTION : hit;
    }
    return DefWindowProcW(h, msg, wp, lp);
}

LRESULT CALLBACK TrayProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == kTrayMessage && LOWORD(lp) == WM_LBUTTONDBLCLK) {
        HWND bar = reinterpret_cast<HWND>(GetWindowLongPtrW(h, GWLP_USERDATA));
        ShowWindow(bar, IsWindowVisible(bar) ? SW_HIDE : SW_SHOW);
        return 0;
    }
    return DefWindowProcW(h, msg, wp, lp);
}

HWND MakeWindow(const wchar_t* cls, WNDPROC proc, DWORD ex, const wchar_t* title, DWORD style, int x, int y, int w,
                int h, HWND owner) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    wc.lpszClassName = cls;
    RegisterClassExW(&wc);
    return CreateWindowExW(ex, cls, title, style, x, y, w, h, owner, nullptr, wc.hInstance, nullptr);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);

    HWND owner = MakeWindow(L"BareBarOwner", DefWindowProcW, 0, L"", WS_POPUP, 0, 0, 0, 0, nullptr);
    const int left = GetSystemMetrics(SM_CXSCREEN) - kWidth - kDockGap;
    HWND bar = MakeWindow(L"BareBar", BarProc, WS_EX_TOPMOST, L"嘀嗒闹钟", WS_POPUP | WS_CLIPCHILDREN, left, 0, kWidth,
                          kHeight, owner);
    const Child children[] = {
        {L"COMBOBOX", L"", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 0, 1, 1, 47, 160},
        {L"STATIC", L"     时    分    秒", SS_CENTERIMAGE | WS_BORDER, 0, 52, 1, 128, 20},
        {L"EDIT", L"0", ES_CENTER | ES_AUTOHSCROLL | WS_TABSTOP, 0, 62, 2, 20, 18},
        {L"EDIT", L"30", ES_CENTER | ES_AUTOHSCROLL | WS_TABSTOP, 0, 98, 2, 20, 18},
        {L"EDIT", L"0", ES_CENTER | ES_AUTOHSCROLL | WS_TABSTOP, 0, 134, 2, 20, 18},
        {L"COMBOBOX", L"", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 0, 184, 1, 59, 160},
        {L"BUTTON", L"", BS_PUSHBUTTON | WS_TABSTOP, 0, 251, 1, 20, 20},
        {L"BUTTON", L"-", BS_PUSHBUTTON, 0, 274, 2, 20, 20},
        {L"BUTTON", L"×", BS_PUSHBUTTON, 0, 292, 2, 20, 20},
    };
    HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    HWND first = nullptr;
    for (const Child& c : children) {
        HWND h = CreateWindowExW(c.exStyle, c.cls, c.text, WS_CHILD | WS_VISIBLE | c.style, c.x, c.y, c.w, c.h, bar,
                                 nullptr, GetModuleHandleW(nullptr), nullptr);
        SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        if (!first) first = h;
        if (c.x == 1) {
            for (const wchar_t* item : {L"倒计", L"指定", L"整点"})
                SendMessageW(h, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
            SendMessageW(h, CB_SETCURSEL, 0, 0);
        }
    }

    HWND tray = MakeWindow(L"BareBarTray", TrayProc, 0, L"", WS_POPUP, 0, 0, 0, 0, nullptr);
    SetWindowLongPtrW(tray, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(bar));
    NOTIFYICONDATAW nid{};
    nid.cbSize = sizeof nid;
    nid.hWnd = tray;
    nid.uID = 1;
    nid.uFlags = NIF_ICON | NIF_TIP | NIF_MESSAGE;
    nid.uCallbackMessage = kTrayMessage;
    nid.hIcon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1));
    lstrcpynW(nid.szTip, L"嘀嗒闹钟", ARRAYSIZE(nid.szTip));
    Shell_NotifyIconW(NIM_ADD, &nid);

    // Shown active with the focus on its first control, as the clock starts.
    ShowWindow(bar, SW_SHOW);
    UpdateWindow(bar);
    SetFocus(first);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    Shell_NotifyIconW(NIM_DELETE, &nid);
    return 0;
}
