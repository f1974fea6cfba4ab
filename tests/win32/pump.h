#pragma once
// Waiting in the Windows tests: running the program's message handling for a while or until a condition
// holds, and waiting for another thread (the sound players) without handling messages. A test waits for the
// condition it checks, with a limit far above what an idle machine needs, so a loaded machine passes too.
#include <windows.h>

#include <chrono>
#include <functional>
#include <thread>

#include "platform/win32/win32_desktop.h"

namespace dida::win32 {

// Handles what is waiting, then waits at most `ms` for more.
inline void PumpOnce(Win32Desktop& desk, DWORD ms) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) continue;
        desk.Dispatch(msg);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, ms, QS_ALLINPUT);
}

// Runs the program's message handling for about `ms` milliseconds.
inline void Pump(Win32Desktop& desk, DWORD ms) {
    const DWORD end = GetTickCount() + ms;
    while (static_cast<LONG>(end - GetTickCount()) > 0) PumpOnce(desk, 5);
}

// Runs the program's message handling until done() holds or `ms` milliseconds have passed; whether it held.
template <class Pred>
bool PumpUntil(Win32Desktop& desk, Pred done, DWORD ms) {
    const DWORD end = GetTickCount() + ms;
    for (;;) {
        if (done()) return true;
        if (static_cast<LONG>(end - GetTickCount()) <= 0) return false;
        PumpOnce(desk, 2);
    }
}

// Waits, without handling messages, until done() holds or the limit has passed; whether it held.
inline bool WaitUntil(const std::function<bool()>& done,
                      std::chrono::milliseconds limit = std::chrono::milliseconds(15000)) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

}  // namespace dida::win32
