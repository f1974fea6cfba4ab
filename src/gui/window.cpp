#include "gui/window.h"

#include "gui/lifecycle.h"

namespace dida {

Window::Window(WindowDef def)
    : Component(this, Kind::Window, CommonDef{def.name, def.rect, def.visible, false, false}), design_(std::move(def)) {
}

Window::~Window() { Detach(); }

void Window::Detach() {
    if (lifeCycle_) lifeCycle_->Forget(*this);
}

std::vector<MenuItem*> Window::menuItems() const {
    std::vector<MenuItem*> items;
    for (Component* c : components_)
        if (c->kind() == Kind::MenuItem) items.push_back(static_cast<MenuItem*>(c));
    return items;
}

Component* Window::Find(const std::string& name) const {
    for (Component* c : components_)
        if (c->name() == name) return c;
    return nullptr;
}

std::string Window::Caption() const {
    Touch();
    return design_.caption;
}
bool Window::EscCloses() const {
    Touch();
    return escCloses_;
}
void Window::EscCloses(bool v) { Set(escCloses_, v, Prop::EscCloses); }

void Window::BeginLoad() {
    Component::Reset();
    escCloses_ = design_.escCloses;
    for (Component* c : components_) c->Reset();
    state_ = WindowState::Loaded;
}

void Window::MarkClosing() { state_ = WindowState::Closing; }

void Window::FinishDestroy() {
    state_ = WindowState::NotLoaded;
    for (Component* c : components_) c->AttachPeer(nullptr);
    AttachPeer(nullptr);
}

void Window::RaiseCreated() {
    if (loaded() && onCreated) onCreated();
    if (loaded() && onPosChanged) onPosChanged();
    if (loaded() && onSizeChanged) onSizeChanged();
}

void Window::DisplayChanged() {
    if (loaded() && onDisplayChanged) onDisplayChanged();
}

bool Window::QueryClose() {
    if (!loaded()) return true;
    return onCloseQuery ? onCloseQuery() : true;
}

}  // namespace dida
