// The life-cycle tests on the real desktop: real windows, window timers and the message queue, in real time.
#include <windows.h>

#include "platform/win32/win32_desktop.h"
#include "harness.h"

namespace dida::lifecycle {
namespace {

class Win32Harness : public Harness {
public:
    ~Win32Harness() override {
        // A quit message left by a test that destroyed its start window would end the next test's loops.
        MSG msg;
        while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
    }
    Desktop& desk() override { return desk_; }
    bool RunUntil(const std::function<bool()>& pred, int limitMs) override {
        const DWORD end = GetTickCount() + static_cast<DWORD>(limitMs);
        for (;;) {
            if (pred()) return true;
            if (static_cast<LONG>(end - GetTickCount()) <= 0) return false;
            PumpOnce(10);
        }
    }
    void Run(int ms) override {
        const DWORD end = GetTickCount() + static_cast<DWORD>(ms);
        while (static_cast<LONG>(end - GetTickCount()) > 0) PumpOnce(5);
    }
    void RequestClose(Window& w) override { SendMessageW(desk_.HandleOf(w), WM_CLOSE, 0, 0); }
    void PressEsc(Window& w) override {
        MSG msg{desk_.HandleOf(w), WM_KEYDOWN, VK_ESCAPE, 0, 0, {}};
        desk_.Dispatch(msg);
    }
    void SetStartWindow(Window* w) override { desk_.SetStartWindow(w); }
    bool Quit() override { return desk_.windows().quitting(); }

private:
    // What is waiting now, then a wait of at most `ms` for more.
    void PumpOnce(DWORD ms) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) continue;
            desk_.Dispatch(msg);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, ms, QS_ALLINPUT);
    }

    win32::Win32Desktop desk_;
};

}  // namespace

std::unique_ptr<Harness> MakeHarness() { return std::make_unique<Win32Harness>(); }

}  // namespace dida::lifecycle
