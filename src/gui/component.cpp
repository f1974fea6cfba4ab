#include "gui/component.h"

#include <algorithm>
#include <cstring>

#include "gui/window.h"
#include "platform/fatal.h"

namespace dida {

Component::Component(Window* owner, Kind kind, CommonDef def)
    : owner_(owner), kind_(kind), def_(std::move(def)), rect_(def_.rect), visible_(def_.visible),
      disabled_(def_.disabled) {
    // A window passes itself: it is not built yet, so only its address is kept, nothing is called on it.
    if (kind_ != Kind::Window) owner_->Register(this);
}

// The controls of a form go before the Window part of it: the first of them to go takes the window's native
// side down while every peer still has its component to hold on to.
Component::~Component() {
    if (kind_ != Kind::Window && owner_ != nullptr) owner_->Detach();
}

void Component::Touch() const {
    if (!owner_->loaded()) FatalError(kErrNotLoaded);
}

void Component::Notify(Prop prop) {
    if (peer_) peer_->Changed(prop);
}

void Component::Reset() {
    rect_ = def_.rect;
    tag_.clear();
    visible_ = def_.visible;
    disabled_ = def_.disabled;
    mousePointer_ = 0;
}

int Component::left() const {
    Touch();
    return rect_.x;
}
void Component::left(int v) { Set(rect_.x, v, Prop::Left); }
int Component::top() const {
    Touch();
    return rect_.y;
}
void Component::top(int v) { Set(rect_.y, v, Prop::Top); }
int Component::width() const {
    Touch();
    return rect_.w;
}
void Component::width(int v) { Set(rect_.w, std::max(0, v), Prop::Width); }
int Component::height() const {
    Touch();
    return rect_.h;
}
void Component::height(int v) { Set(rect_.h, std::max(0, v), Prop::Height); }
std::string Component::tag() const {
    Touch();
    return tag_;
}
void Component::tag(const std::string& v) { Set(tag_, v, Prop::Tag); }
bool Component::visible() const {
    Touch();
    return visible_;
}
void Component::visible(bool v) { Set(visible_, v, Prop::Visible); }
bool Component::disable() const {
    Touch();
    return disabled_;
}
void Component::disable(bool v) { Set(disabled_, v, Prop::Disable); }
int Component::MousePointer() const {
    Touch();
    return mousePointer_;
}
void Component::MousePointer(int v) { Set(mousePointer_, v, Prop::MousePointer); }

int Component::CommonByIndex(int index) const {
    switch (index) {
    case 0: return left();
    case 1: return top();
    case 2: return width();
    case 3: return height();
    case 5: return visible() ? 1 : 0;
    case 6: return disable() ? 1 : 0;
    case 7: return MousePointer();
    default: Touch(); return 0;
    }
}

}  // namespace dida
