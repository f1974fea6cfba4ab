#include "gui/lifecycle.h"

#include <algorithm>

#include "platform/fatal.h"

namespace dida {

void WindowLifeCycle::ForgetAll() {
    while (!open_.empty()) Forget(*open_.back());
}

Window* WindowLifeCycle::OpenWith(std::uint64_t serial) const {
    for (Window* w : open_)
        if (w->serial_ == serial) return w;
    return nullptr;
}

bool WindowLifeCycle::Load(Window& w, bool modal) {
    // Loaded but not listed: its about-to-be-destroyed handler is running; it cannot be made anew from there.
    if (w.loaded() && w.lifeCycle_ != this) return false;
    if (w.loaded() && !w.closing()) {
        native_.ActivateNative(w);
        return true;
    }
    if (w.closing()) Destroy(w);

    w.BeginLoad();
    w.serial_ = ++lastSerial_;
    w.lifeCycle_ = this;
    open_.push_back(&w);
    if (!native_.CreateNative(w)) {
        // Nothing was raised and nothing is left: the window reads as never loaded.
        Unlist(w);
        w.FinishDestroy();
        return false;
    }
    const std::uint64_t serial = w.serial_;
    w.RaiseCreated();
    // The handlers may have closed it, or closed it and made it anew (which showed the new one).
    if (OpenWith(serial) == &w && !w.closing()) native_.ShowNative(w);
    if (modal && w.loaded()) RunModal(w);
    return true;
}

void WindowLifeCycle::RunModal(Window& w) {
    // Every other window of the program is disabled in the model, so that disable() reads as it shows;
    // each gets back the state it had, unless it has been closed (or made anew) meanwhile.
    std::vector<Remembered> others;
    for (Window* o : open_)
        if (o != &w) others.push_back(Remembered{o->serial_, o->RawDisabled()});
    for (const Remembered& r : others)
        if (Window* o = OpenWith(r.serial)) o->disable(true);
    const std::uint64_t serial = w.serial_;
    native_.RunNestedLoop(w, [&] { return quitting_ || OpenWith(serial) == nullptr; });
    for (const Remembered& r : others)
        if (Window* o = OpenWith(r.serial)) o->disable(r.disabled);
}

void WindowLifeCycle::Unload(Window& w) {
    if (!w.loaded()) FatalError(kErrNoSuchWindow);
    w.MarkClosing();
    native_.PostClose(w, w.serial_);
}

void WindowLifeCycle::CloseArrived(std::uint64_t serial) {
    Window* w = OpenWith(serial);
    if (w && w->closing()) Destroy(*w);
}

bool WindowLifeCycle::RequestClose(Window& w) {
    if (!w.loaded()) return false;
    const std::uint64_t serial = w.serial_;
    // The handler may itself have closed the window, or closed it and loaded it anew: only the window it was
    // asked about goes.
    if (!w.QueryClose() || OpenWith(serial) != &w) return false;
    Destroy(w);
    return true;
}

bool WindowLifeCycle::EscPressed(Window& w) {
    if (!w.loaded() || !w.EscCloses()) return false;
    RequestClose(w);
    return true;
}

void WindowLifeCycle::DestroyAll() {
    while (!open_.empty()) Destroy(*open_.back());
}

void WindowLifeCycle::Destroy(Window& w) {
    if (!w.loaded() || w.lifeCycle_ != this) return;
    // Out of the list first: a loop waiting for this window ends, a posted close of it finds nothing.
    Unlist(w);
    if (w.onDestroying) w.onDestroying();
    native_.DestroyNative(w);
    w.FinishDestroy();
    if (&w == start_ && !quitting_) {
        quitting_ = true;
        native_.EndMessageLoop();
    }
}

void WindowLifeCycle::Forget(Window& w) {
    if (std::find(open_.begin(), open_.end(), &w) == open_.end()) return;
    Unlist(w);
    native_.DestroyNative(w);
    w.FinishDestroy();
    if (&w == start_) {
        start_ = nullptr;
        if (!quitting_) {
            quitting_ = true;
            native_.EndMessageLoop();
        }
    }
}

void WindowLifeCycle::Unlist(Window& w) {
    std::erase(open_, &w);
    w.lifeCycle_ = nullptr;
}

}  // namespace dida
