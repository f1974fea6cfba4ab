#pragma once
// The message pump the Windows tests run the program's handling with, between their steps.
#include <windows.h>

#include "platform/win32/win32_desktop.h"

namespace dida::win32 {

// Runs the program's message handling for about `ms` milliseconds.
inline void Pump(Win32Desktop& desk, DWORD ms) {
    const DWORD end = GetTickCount() + ms;
    MSG msg;
    while (static_cast<LONG>(end - GetTickCount()) > 0) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) continue;
            desk.Dispatch(msg);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
}

}  // namespace dida::win32
