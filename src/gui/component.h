#pragma once
// The component model: every window is a list of named components whose properties the logic reads and
// writes. The model holds the state; a peer (native control, or a recorder on the simulated desktop)
// mirrors it and reports native events back through the User* entry points.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/values.h"

namespace dida {

class Window;

// A font of its own: face, character height, weight, italic / underline / strike-out. Empty face and
// height 0 mean the system's default GUI font.
struct Font {
    std::string face;
    int height = 0;
    int weight = 400;
    bool italic = false, underline = false, strikeOut = false;
    bool IsDefault() const { return face.empty() && height == 0 && weight == 400; }
};

enum class Kind { Window, Label, EditBox, PicBox, Button, ComboBox, CommonDlg, Timer, SuperBtn, TrayIcon, MenuItem };

// Properties a peer is told about when they change.
enum class Prop {
    Left,
    Top,
    Width,
    Height,
    Tag,
    Visible,
    Disable,
    MousePointer,  // common, indices 0..7
    Caption,
    TextColor,
    Content,
    CurrentIndex,
    Items,
    Interval,
    Picture,
    PlayAnimation,
    PicOut,
    PicIn,
    ToolTip,
    FileName,
    Icon,
    TipText,
    InTray,
    Checked,
    EscCloses
};

class ComponentPeer {
public:
    virtual ~ComponentPeer() = default;
    virtual void Changed(Prop prop) = 0;
};

// What every component is defined with.
struct CommonDef {
    std::string name;
    Rect rect;
    bool visible = true;
    bool disabled = false;
    bool tabStop = false;
    // What a screen reader calls the control where its own text does not say it (a field, a list, a
    // picture); empty: the text the system's accessibility proxy finds for it.
    std::string accessibleName;
    // Storage or decoration the user never sees: kept out of a screen reader's view.
    bool accessibleHidden = false;
};

class Component {
public:
    Component(Window* owner, Kind kind, CommonDef def);
    Component(const Component&) = delete;
    Component& operator=(const Component&) = delete;
    virtual ~Component();

    const std::string& name() const { return def_.name; }
    Kind kind() const { return kind_; }
    Window* window() const { return owner_; }
    const CommonDef& def() const { return def_; }
    bool tabStop() const { return def_.tabStop; }

    int left() const;
    void left(int v);
    int top() const;
    void top(int v);
    int width() const;
    void width(int v);
    int height() const;
    void height(int v);
    std::string tag() const;
    void tag(const std::string& v);
    bool visible() const;
    void visible(bool v);
    bool disable() const;
    void disable(bool v);
    int MousePointer() const;
    void MousePointer(int v);

    // Common properties by index (0 left … 7 MousePointer), as numbers; tag reads as 0.
    int CommonByIndex(int index) const;

    // Back to the definition; run by the window each time it is loaded.
    virtual void Reset();

    void AttachPeer(ComponentPeer* peer) { peer_ = peer; }
    ComponentPeer* peer() const { return peer_; }

    // For peers and tests: the state without the loaded check.
    Rect RawRect() const { return rect_; }
    bool RawVisible() const { return visible_; }
    bool RawDisabled() const { return disabled_; }
    // A native move or resize (drag, system) updates the model without echoing to the peer.
    void UserMoved(Rect r) { rect_ = r; }

protected:
    // Touching a control of a window that is not loaded is the fatal platform error.
    void Touch() const;
    void Notify(Prop prop);
    template <class T>
    void Set(T& field, const T& value, Prop prop) {
        Touch();
        if (field == value) return;
        field = value;
        Notify(prop);
    }

private:
    Window* owner_;
    Kind kind_;
    CommonDef def_;
    Rect rect_;
    std::string tag_;
    bool visible_ = true;
    bool disabled_ = false;
    int mousePointer_ = 0;
    ComponentPeer* peer_ = nullptr;
};

}  // namespace dida
