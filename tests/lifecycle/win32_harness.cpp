// The life-cycle tests on the real desktop: real windows, window timers and the message queue, in real time.
#include <windows.h>

#include "platform/win32/win32_desktop.h"
#include "../win32/pump.h"
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
        return win32::PumpUntil(desk_, pred, static_cast<DWORD>(limitMs));
    }
    void Run(int ms) override { win32::Pump(desk_, static_cast<DWORD>(ms)); }
    void RequestClose(Window& w) override { SendMessageW(desk_.HandleOf(w), WM_CLOSE, 0, 0); }
    void PressEsc(Window& w) override {
        MSG msg{desk_.HandleOf(w), WM_KEYDOWN, VK_ESCAPE, 0, 0, {}};
        desk_.Dispatch(msg);
    }
    void SetStartWindow(Window* w) override { desk_.SetStartWindow(w); }
    bool Quit() override { return desk_.windows().quitting(); }

private:
    win32::Win32Desktop desk_;
};

}  // namespace

std::unique_ptr<Harness> MakeHarness() { return std::make_unique<Win32Harness>(); }

}  // namespace dida::lifecycle
