#include "platform/win32/win32_single_copy.h"

#include "platform/win32/win32_system_calls.h"

namespace dida::win32 {

SessionMark::SessionMark(const wchar_t* name) {
    HANDLE mark = Sys().CreateMutexW(nullptr, FALSE, name);
    const DWORD error = GetLastError();
    handle_.Reset(mark);
    if (handle_ && error == ERROR_ALREADY_EXISTS) {
        heldByAnother_ = true;
    } else if (!handle_ && error == ERROR_ACCESS_DENIED) {
        // A copy running elevated made the mark with a security that does not let this one open it: it is
        // held all the same.
        heldByAnother_ = true;
    }
    // Any other failure (no resources for a new object) lets this copy run: two bars are better than none.
}

UINT ShowBarMessage() {
    static const UINT msg = RegisterWindowMessageW(kShowBarMessageName);
    return msg;
}

bool AskRunningCopyToShow(DWORD waitMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (const HWND tray = FindWindowW(kTrayWindowClass, nullptr)) {
            DWORD process = 0;
            GetWindowThreadProcessId(tray, &process);
            // The user started this copy, so it may hand the foreground on; the running copy was not, and
            // without this Windows would keep its bar behind the window the user clicked in.
            AllowSetForegroundWindow(process);
            return PostMessageW(tray, ShowBarMessage(), 0, 0) != FALSE;
        }
        if (GetTickCount() - start >= waitMs) return false;
        // The running copy took its mark and is still making its windows: that takes a fraction of a second.
        Sleep(50);
    }
}

}  // namespace dida::win32
