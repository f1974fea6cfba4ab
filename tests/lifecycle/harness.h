#pragma once
// The life-cycle tests run from one source on both desktops: on the simulated one in virtual time (in
// dida_tests) and on the real one under Wine (in dida_win32_tests). Each test binary links the harness of its
// own desktop; the tests see only the Desktop interface and what a user or the system does to a window.
#include <functional>
#include <memory>

#include "gui/desktop.h"

namespace dida::lifecycle {

class Harness {
public:
    virtual ~Harness() = default;
    virtual Desktop& desk() = 0;
    // Runs the desktop's events until pred() holds or `limitMs` of the desktop's time have passed.
    virtual bool RunUntil(const std::function<bool()>& pred, int limitMs) = 0;
    // Runs the desktop's events for that long.
    virtual void Run(int ms) = 0;
    // The system asks the window to close (its close box, Alt+F4).
    virtual void RequestClose(Window& w) = 0;
    // The Esc key pressed in the window.
    virtual void PressEsc(Window& w) = 0;
    // Destroying this window ends the program's message loop; Quit tells whether it has.
    virtual void SetStartWindow(Window* w) = 0;
    virtual bool Quit() = 0;
};

std::unique_ptr<Harness> MakeHarness();

}  // namespace dida::lifecycle
