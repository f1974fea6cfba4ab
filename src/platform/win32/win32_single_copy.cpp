#include "platform/win32/win32_single_copy.h"

#include "platform/win32/win32_system_calls.h"

namespace dida::win32 {

SessionMark::SessionMark(const wchar_t* name) {
    // Owned from the start when this copy makes it; for an existing mark the system ignores the wish.
    HANDLE mark = Sys().CreateMutexW(nullptr, TRUE, name);
    const DWORD error = GetLastError();
    handle_.Reset(mark);
    owned_ = handle_ && error != ERROR_ALREADY_EXISTS;
    if (handle_ && error == ERROR_ALREADY_EXISTS) {
        heldByAnother_ = true;
    } else if (!handle_ && error == ERROR_ACCESS_DENIED) {
        // A copy running elevated made the mark with a security that does not let this one open it: it is
        // held all the same.
        heldByAnother_ = true;
    }
    // Any other failure (no resources for a new object) lets this copy run: two bars are better than none.
}

SessionMark::~SessionMark() {
    if (owned_) ReleaseMutex(handle_.get());
}

bool SessionMark::TakeOverFromAnEndedHolder() {
    if (!heldByAnother_ || !handle_) return false;
    // A mark whose holder ended is handed to the first that waits for it (abandoned, when the holder was
    // killed or left without giving it up).
    const DWORD r = WaitForSingleObject(handle_.get(), 0);
    if (r != WAIT_OBJECT_0 && r != WAIT_ABANDONED) return false;
    owned_ = true;
    heldByAnother_ = false;
    return true;
}

UINT ShowBarMessage() {
    static const UINT msg = RegisterWindowMessageW(kShowBarMessageName);
    return msg;
}

SecondStart AskRunningCopyToShow(SessionMark& mark, DWORD waitMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (mark.TakeOverFromAnEndedHolder()) return SecondStart::RunInstead;
        if (const HWND tray = FindWindowW(kTrayWindowClass, nullptr)) {
            DWORD process = 0;
            GetWindowThreadProcessId(tray, &process);
            // The user started this copy, so it may hand the foreground on; the running copy was not, and
            // without this Windows would keep its bar behind the window the user clicked in.
            AllowSetForegroundWindow(process);
            if (PostMessageW(tray, ShowBarMessage(), 0, 0)) return SecondStart::Shown;
        }
        if (GetTickCount() - start >= waitMs) return SecondStart::NoAnswer;
        // The running copy took its mark and is still making its windows: that takes a fraction of a second.
        Sleep(50);
    }
}

}  // namespace dida::win32
