#pragma once
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
    bool visible = true;
    Blob icon;
};

enum class WindowState { NotLoaded, Loaded, Closing };

class WindowPeer : public ComponentPeer {
public:
    // Every control now has its model state: build the native controls.
    virtual void Activate() = 0;  // restore when minimised, otherwise bring to the front
};

// A window: its definition, its components in definition order (the stacking order, bottom first) and
// its life cycle. The typed forms of src/ui derive from it and declare their controls as members.
class Window : public Component {
public:
    explicit Window(WindowDef def);
    const WindowDef& design() const { return design_; }

    WindowState state() const { return state_; }
    bool loaded() const { return state_ != WindowState::NotLoaded; }
    bool closing() const { return state_ == WindowState::Closing; }

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

    // Life cycle, driven by the desktop's LoadWindow / UnloadWindow.
    void BeginLoad();      // every component back to its definition; loaded
    void MarkClosing();    // UnloadWindow was called, the close is queued
    void FinishDestroy();  // about-to-be-destroyed ran; components detached from their peers
    void RaiseCreated();   // created, then position changed, then size changed, while still loaded
    // A close request from the system or Esc: asks the close-query handler.
    bool QueryClose();

    WindowPeer* windowPeer() const { return static_cast<WindowPeer*>(peer()); }

private:
    friend class Component;
    void Register(Component* c) { components_.push_back(c); }
    WindowDef design_;
    WindowState state_ = WindowState::NotLoaded;
    std::vector<Component*> components_;
    bool escCloses_ = false;
};

}  // namespace dida
