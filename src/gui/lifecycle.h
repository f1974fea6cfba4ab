#pragma once
// The life of the program's windows, the same on every desktop: loading, the created / position-changed /
// size-changed events in their order, the queued close with its pending state, modality, destruction. A
// desktop only supplies the native half through NativeWindows; everything the logic can observe is decided
// here, so the simulated desktop of the tests and the real one cannot drift apart.
#include <cstdint>
#include <functional>
#include <vector>

#include "gui/window.h"

namespace dida {

// What a desktop does natively for the life cycle. None of these raises a model event.
class NativeWindows {
public:
    virtual ~NativeWindows() = default;
    // Builds the native window and its controls from the model's state (timers defined running start), not
    // yet shown; peers are attached. False when the system refused: nothing of it is left.
    virtual bool CreateNative(Window& w) = 0;
    // Shows a window just made, as its model says (visible or not), once its created handlers have run: the
    // start-up settings, the placement and the lists are in place before the user first sees it.
    virtual void ShowNative(Window& w) = 0;
    // Destroys the native window with its controls; their timers stop, their peers are no longer used.
    virtual void DestroyNative(Window& w) = 0;
    // Restores the window when minimised, otherwise brings it to the front.
    virtual void ActivateNative(Window& w) = 0;
    // Queues the close behind what is already waiting; when it comes through, the desktop calls
    // WindowLifeCycle::CloseArrived(serial).
    virtual void PostClose(Window& w, std::uint64_t serial) = 0;
    // A nested message loop: runs events (timers, posted messages, the user) until done() is true.
    virtual void RunNestedLoop(Window& modal, const std::function<bool()>& done) = 0;
    // The start window is gone: the top-level message loop is to end.
    virtual void EndMessageLoop() = 0;
};

class WindowLifeCycle {
public:
    explicit WindowLifeCycle(NativeWindows& native) : native_(native) {}
    ~WindowLifeCycle() { ForgetAll(); }
    WindowLifeCycle(const WindowLifeCycle&) = delete;
    WindowLifeCycle& operator=(const WindowLifeCycle&) = delete;

    // An open window with no close pending is only activated. A pending close is carried out at once and the
    // window made anew. Modal: returns when the window has closed; the program's other windows are disabled
    // meanwhile and get their own state back afterwards. False only when the system refused the window.
    bool Load(Window& w, bool modal);
    // Marks the window closing and queues its close; the fatal error when it is not loaded.
    void Unload(Window& w);
    // The queued close of the load with that serial came through the queue.
    void CloseArrived(std::uint64_t serial);
    // The system (close box, Alt+F4, end of session) or the Esc key asks the window to close: the
    // close-query handler decides. Returns whether the window went.
    bool RequestClose(Window& w);
    // Esc on a window: closes it through the close query when its EscCloses says so. Returns whether Esc
    // was the window's (false lets the key go on to the control).
    bool EscPressed(Window& w);
    // At the end of the program, while the windows' objects still live: every open window is destroyed with
    // its about-to-be-destroyed event.
    void DestroyAll();
    // Windows still open are taken down natively, without events, and forget this life cycle: what a desktop
    // does first when it goes.
    void ForgetAll();

    // Destroying this window ends the top-level message loop.
    void SetStartWindow(Window* w) { start_ = w; }
    // The start window has been destroyed.
    bool quitting() const { return quitting_; }
    // The loaded windows, in the order they were loaded.
    const std::vector<Window*>& open() const { return open_; }
    // The open window of that load, or nullptr.
    Window* OpenWith(std::uint64_t serial) const;

private:
    friend class Window;
    struct Remembered {
        std::uint64_t serial;
        bool disabled;
    };
    void Destroy(Window& w);
    void RunModal(Window& w);
    // The window object is going away while it is loaded: native parts gone, no events.
    void Forget(Window& w);
    void Unlist(Window& w);

    NativeWindows& native_;
    std::vector<Window*> open_;
    Window* start_ = nullptr;
    bool quitting_ = false;
    std::uint64_t lastSerial_ = 0;
};

}  // namespace dida
