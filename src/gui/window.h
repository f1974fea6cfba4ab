#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "gui/controls.h"

namespace dida {

enum class Frame { None, ToolFixed };

struct WindowDef {
    std::string name;     // the window id the logic names it by
    std::string caption;  // the title the system knows it by
    Rect rect;            // design position and size (outer size for a framed window)
    Frame frame = Frame::None;
    bool centered = false;
    bool topMost = false;
    bool inTaskbar = true;
    bool dragAnywhere = false;
    bool movable = true;
    bool escCloses = false;
    // Esc closes it whichever window has the keyboard (a window over the whole screen, in front of everything
    // the user could type in), while EscCloses holds.
    bool escAnywhere = false;
    bool visible = true;
    Blob icon;
};

enum class WindowState { NotLoaded, Loaded, Closing };

class WindowLifeCycle;

// A window: its definition, its components in definition order (the stacking order, bottom first) and
// its state in the life cycle (gui/lifecycle.h). The typed forms of src/ui derive from it and declare their
// controls as members.
class Window : public Component {
public:
    explicit Window(WindowDef def);
    // A window that goes while it is loaded takes its native side with it, without events.
    ~Window() override;
    const WindowDef& design() const { return design_; }

    WindowState state() const { return state_; }
    bool loaded() const { return state_ != WindowState::NotLoaded; }
    bool closing() const { return state_ == WindowState::Closing; }
    // Which load this is, unique in the program: a queued close or a nested loop of an earlier load tells by
    // it that the window it knew has gone.
    std::uint64_t serial() const { return serial_; }

    const std::vector<Component*>& components() const { return components_; }
    std::vector<MenuItem*> menuItems() const;
    Component* Find(const std::string& name) const;

    std::string Caption() const;
    bool EscCloses() const;
    void EscCloses(bool v);

    std::function<void()> onCreated;
    std::function<bool()> onCloseQuery;  // true allows the close; no handler allows it
    std::function<void()> onPosChanged;
    std::function<void()> onSizeChanged;
    std::function<void()> onDestroying;
    // The screen or the part of it the taskbar leaves has changed (another resolution, a monitor, the taskbar
    // moved or resized); the backend raises it through DisplayChanged.
    std::function<void()> onDisplayChanged;
    void DisplayChanged();

private:
    friend class Component;
    friend class WindowLifeCycle;
    void Register(Component* c) { components_.push_back(c); }
    // Driven by the life cycle only.
    void BeginLoad();      // every component back to its definition; loaded
    void MarkClosing();    // UnloadWindow was called, the close is queued
    void FinishDestroy();  // not loaded; every component detached from its peer
    void RaiseCreated();   // created, then position changed, then size changed, while still loaded
    bool QueryClose();     // the close-query handler's answer; no handler allows the close
    void Detach();         // the object goes: out of its life cycle

    WindowDef design_;
    WindowState state_ = WindowState::NotLoaded;
    std::vector<Component*> components_;
    bool escCloses_ = false;
    WindowLifeCycle* lifeCycle_ = nullptr;  // while listed as open
    std::uint64_t serial_ = 0;
};

}  // namespace dida
