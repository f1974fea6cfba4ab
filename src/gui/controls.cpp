#include "gui/controls.h"

#include <algorithm>

#include "gui/window.h"

namespace dida {

// ---- Label
Label::Label(Window* owner, CommonDef common, LabelDef def)
    : Component(owner, Kind::Label, std::move(common)), design_(std::move(def)) {
    Label::Reset();
}
std::string Label::Caption() const {
    Touch();
    return caption_;
}
void Label::Caption(const std::string& v) { Set(caption_, v, Prop::Caption); }
Color Label::TextColor() const {
    Touch();
    return textColor_;
}
void Label::TextColor(Color v) { Set(textColor_, v, Prop::TextColor); }
void Label::Reset() {
    Component::Reset();
    caption_ = design_.caption;
    textColor_ = design_.textColor;
}

// ---- EditBox
EditBox::EditBox(Window* owner, CommonDef common, EditDef def)
    : Component(owner, Kind::EditBox, std::move(common)), design_(std::move(def)) {
    EditBox::Reset();
}
std::string EditBox::Content() const {
    Touch();
    return content_;
}
void EditBox::Content(const std::string& v) {
    Touch();
    content_ = v;
    Notify(Prop::Content);
    if (onChange) onChange();
}
Color EditBox::TextColor() const {
    Touch();
    return textColor_;
}
void EditBox::TextColor(Color v) { Set(textColor_, v, Prop::TextColor); }
void EditBox::UserEdited(const std::string& text) {
    if (!window()->loaded()) return;
    content_ = text;
    if (onChange) onChange();
}
void EditBox::UserDoubleClicked() {
    if (window()->loaded() && onDblClick) onDblClick();
}
bool EditBox::AcceptsTyped(const EditDef& def, char32_t ch) {
    if (!def.integerOnly || ch < 32) return true;
    return ch == U'-' || (ch >= U'0' && ch <= U'9');
}
void EditBox::Reset() {
    Component::Reset();
    content_ = design_.content;
    textColor_ = design_.textColor;
}

// ---- ComboBox
ComboBox::ComboBox(Window* owner, CommonDef common, ComboDef def)
    : Component(owner, Kind::ComboBox, std::move(common)), design_(std::move(def)) {
    ComboBox::Reset();
}
std::string ComboBox::Content() const {
    Touch();
    return index_ >= 0 && index_ < static_cast<int>(design_.items.size()) ? design_.items[index_] : std::string();
}
int ComboBox::CurrentIndex() const {
    Touch();
    return index_;
}
int ComboBox::Clamped(int v) const {
    const int count = static_cast<int>(design_.items.size());
    if (v < 0 || count == 0) return -1;
    return v >= count ? count - 1 : v;
}
void ComboBox::CurrentIndex(int v) { Set(index_, Clamped(v), Prop::CurrentIndex); }
const std::vector<std::string>& ComboBox::Items() const {
    Touch();
    return design_.items;
}
void ComboBox::UserSelected(int index) {
    if (!window()->loaded()) return;
    index_ = Clamped(index);
    if (onSelChange) onSelChange();
}
void ComboBox::UserRightButtonUp() {
    if (window()->loaded() && onRightUp) onRightUp();
}
void ComboBox::Reset() {
    Component::Reset();
    index_ = design_.index;
}

// ---- PicBox
PicBox::PicBox(Window* owner, CommonDef common, PicBoxDef def)
    : Component(owner, Kind::PicBox, std::move(common)), design_(def) {
    PicBox::Reset();
}
Blob PicBox::Picture() const {
    Touch();
    return picture_;
}
void PicBox::Picture(Blob v) {
    Touch();
    picture_ = v;  // assigning a picture always replaces what is shown, also the same one again
    Notify(Prop::Picture);
}
bool PicBox::PlayAnimation() const {
    Touch();
    return playAnimation_;
}
void PicBox::PlayAnimation(bool v) {
    Touch();
    playAnimation_ = v;
    Notify(Prop::PlayAnimation);
}
void PicBox::Reset() {
    Component::Reset();
    picture_ = {};
    playAnimation_ = design_.animate;
}

// ---- Button
Button::Button(Window* owner, CommonDef common, ButtonDef def)
    : Component(owner, Kind::Button, std::move(common)), design_(std::move(def)) {
    Button::Reset();
}
std::string Button::Caption() const {
    Touch();
    return caption_;
}
void Button::Caption(const std::string& v) { Set(caption_, v, Prop::Caption); }
void Button::UserClicked() {
    if (window()->loaded() && !RawDisabled() && onClick) onClick();
}
void Button::Reset() {
    Component::Reset();
    caption_ = design_.caption;
}

// ---- SuperBtn
SuperBtn::SuperBtn(Window* owner, CommonDef common, SuperBtnDef def)
    : Component(owner, Kind::SuperBtn, std::move(common)), design_(std::move(def)) {
    SuperBtn::Reset();
}
std::string SuperBtn::Caption() const {
    Touch();
    return design_.caption;
}
Blob SuperBtn::PicOut() const {
    Touch();
    return picOut_;
}
void SuperBtn::PicOut(Blob v) {
    Touch();
    picOut_ = v;
    Notify(Prop::PicOut);
}
Blob SuperBtn::PicIn() const {
    Touch();
    return picIn_;
}
void SuperBtn::PicIn(Blob v) {
    Touch();
    picIn_ = v;
    Notify(Prop::PicIn);
}
std::string SuperBtn::ToolTip() const {
    Touch();
    return toolTip_;
}
void SuperBtn::ToolTip(const std::string& v) { Set(toolTip_, v, Prop::ToolTip); }
void SuperBtn::UserClicked() {
    if (window()->loaded() && !RawDisabled() && onClick) onClick();
}
void SuperBtn::Reset() {
    Component::Reset();
    picOut_ = {};
    picIn_ = {};
    toolTip_ = design_.toolTip;
}

// ---- Timer
Timer::Timer(Window* owner, std::string name, int designInterval)
    : Timer(owner, std::move(name), TimerDef{.interval = designInterval}) {}
Timer::Timer(Window* owner, std::string name, TimerDef def)
    : Component(owner, Kind::Timer, CommonDef{std::move(name), {}, false, false, false}),
      design_(std::max(0, def.interval)), clockAligned_(def.clockAligned) {
    Timer::Reset();
}
int Timer::Interval() const {
    Touch();
    return interval_;
}
void Timer::Interval(int v) { Set(interval_, std::max(0, v), Prop::Interval); }
void Timer::Expired() {
    if (window()->loaded() && interval_ > 0 && onTick) onTick();
}
void Timer::Reset() {
    Component::Reset();
    interval_ = design_;
}

// ---- CommonDlg
CommonDlg::CommonDlg(Window* owner, std::string name, CommonDlgDef def)
    : Component(owner, Kind::CommonDlg, CommonDef{std::move(name), {}, false, false, false}), design_(std::move(def)) {
    CommonDlg::Reset();
}
std::string CommonDlg::FileName() const {
    Touch();
    return fileName_;
}
void CommonDlg::FileName(const std::string& v) { Set(fileName_, v, Prop::FileName); }
int CommonDlg::DialogType() const {
    Touch();
    return std::clamp(design_.dialogType, 0, 3);
}
void CommonDlg::Reset() {
    Component::Reset();
    fileName_ = design_.fileName;
}

// ---- TrayIcon
TrayIcon::TrayIcon(Window* owner, std::string name, TrayIconDef def)
    : Component(owner, Kind::TrayIcon, CommonDef{std::move(name), {}, false, false, false}), design_(std::move(def)) {
    TrayIcon::Reset();
}
Blob TrayIcon::Icon() const {
    Touch();
    return icon_;
}
void TrayIcon::Icon(Blob v) {
    Touch();
    icon_ = v;
    Notify(Prop::Icon);
}
std::string TrayIcon::TipText() const {
    Touch();
    return tipText_;
}
void TrayIcon::TipText(const std::string& v) { Set(tipText_, v, Prop::TipText); }
bool TrayIcon::InTray() const {
    Touch();
    return inTray_;
}
void TrayIcon::InTray(bool v) { Set(inTray_, v, Prop::InTray); }
bool TrayIcon::CanShowBalloon() const {
    Touch();
    return inTray_ && !icon_.empty();
}
int TrayIcon::BalloonIconKind(int kind) { return kind >= 0 && kind <= 3 ? kind : 1; }
void TrayIcon::UserEvent(int event, int x, int y) {
    if (!window()->loaded()) return;
    switch (event) {
    case 0:
        if (onClick) onClick();
        break;
    case 1:
        if (onDblClick) onDblClick();
        break;
    case 2:
        if (onRightUp) onRightUp();
        break;
    case 3:
        if (onMouseMove) onMouseMove(x, y);
        break;
    case 4:
        if (onAnotherStart) onAnotherStart();
        break;
    default: break;
    }
}
void TrayIcon::Reset() {
    Component::Reset();
    icon_ = design_.icon;
    tipText_ = design_.tipText;
    inTray_ = design_.inTray;
}

// ---- MenuItem
MenuItem::MenuItem(Window* owner, std::string name, MenuDef def)
    : Component(owner, Kind::MenuItem, CommonDef{std::move(name), {}, !def.hidden, def.disabled, false}),
      design_(std::move(def)) {
    MenuItem::Reset();
}
std::string MenuItem::Caption() const {
    Touch();
    return caption_;
}
void MenuItem::Caption(const std::string& v) { Set(caption_, v, Prop::Caption); }
bool MenuItem::Checked() const {
    Touch();
    return checked_;
}
void MenuItem::Checked(bool v) { Set(checked_, v, Prop::Checked); }
void MenuItem::UserChose() {
    if (window()->loaded() && !RawDisabled() && onChosen) onChosen();
}
void MenuItem::Reset() {
    Component::Reset();  // visible and disable from the definition's hidden and disabled
    caption_ = design_.caption;
    checked_ = design_.checked;
}

}  // namespace dida
