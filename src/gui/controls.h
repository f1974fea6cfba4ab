#pragma once
// The control types. Each carries its definition (what the form declares, restored at every load) and
// its live state; setters check that the window is loaded and tell the peer; User* entry points are
// what a peer calls when the user acted, and they raise the bound event.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "gui/component.h"

namespace dida {

enum class Align { Left, Center, Right };

struct LabelDef {
    std::string caption;
    Color textColor = 0;
    Color backColor = kDefaultColor;
    Font font;
    Align align = Align::Left;
    bool vcenter = true;
    bool border = false;  // thin single-line frame
    // A screen reader speaks what the program announces through it, also while the user works elsewhere.
    bool liveRegion = false;
};

class Label : public Component {
public:
    Label(Window* owner, CommonDef common, LabelDef def);
    const LabelDef& design() const { return design_; }

    std::string Caption() const;
    void Caption(const std::string& v);
    Color TextColor() const;
    void TextColor(Color v);

    void Reset() override;
    std::string RawCaption() const { return caption_; }
    Color RawTextColor() const { return textColor_; }

private:
    LabelDef design_;
    std::string caption_;
    Color textColor_ = 0;
};

struct EditDef {
    std::string content;
    Color textColor = 0;
    Color backColor = kDefaultColor;
    Font font;
    Align align = Align::Left;
    bool border = true;
    bool multiLine = false;
    bool readOnly = false;
    bool integerOnly = false;   // only digits and '-' are accepted as typed characters
    bool hideSelection = true;  // selection hidden while the field has no focus
};

class EditBox : public Component {
public:
    EditBox(Window* owner, CommonDef common, EditDef def);
    const EditDef& design() const { return design_; }

    std::string Content() const;
    // Every write raises the content-changed event, as typing does, also when the text stays the same.
    void Content(const std::string& v);
    Color TextColor() const;
    void TextColor(Color v);

    std::function<void()> onChange;
    std::function<void()> onDblClick;

    // From the peer: the user's typing already changed the native text.
    void UserEdited(const std::string& text);
    void UserDoubleClicked();
    // The typed-character rule of integerOnly fields, shared with the native peer.
    static bool AcceptsTyped(const EditDef& def, char32_t ch);

    void Reset() override;
    std::string RawContent() const { return content_; }
    Color RawTextColor() const { return textColor_; }

private:
    EditDef design_;
    std::string content_;
    Color textColor_ = 0;
};

struct ComboDef {
    std::vector<std::string> items;
    int index = -1;
    int extraRowHeight = 0;  // pixels added to the system's row height
    int totalHeight = 160;   // box plus dropped-down list
};

class ComboBox : public Component {
public:
    ComboBox(Window* owner, CommonDef common, ComboDef def);
    const ComboDef& design() const { return design_; }

    // The shown text: the selected item, empty without a selection.
    std::string Content() const;
    int CurrentIndex() const;
    // Raises nothing. An index past the end selects the last item, a negative one clears the selection.
    void CurrentIndex(int v);
    const std::vector<std::string>& Items() const;

    std::function<void()> onSelChange;
    std::function<void()> onRightUp;

    void UserSelected(int index);
    void UserRightButtonUp();

    void Reset() override;
    int RawIndex() const { return index_; }

private:
    int Clamped(int index) const;
    ComboDef design_;
    int index_ = -1;
};

struct PicBoxDef {
    Color backColor = kDefaultColor;
    bool border = false;
    bool centerShrink = false;  // centred, shrunk proportionally when larger, never enlarged
    bool animate = true;
};

class PicBox : public Component {
public:
    PicBox(Window* owner, CommonDef common, PicBoxDef def);
    const PicBoxDef& design() const { return design_; }

    Blob Picture() const;
    void Picture(Blob v);
    bool PlayAnimation() const;
    void PlayAnimation(bool v);

    void Reset() override;
    Blob RawPicture() const { return picture_; }

private:
    PicBoxDef design_;
    Blob picture_;
    bool playAnimation_ = true;
};

struct ButtonDef {
    std::string caption;
    Font font;
    bool isDefault = false;  // Enter presses it
};

class Button : public Component {
public:
    Button(Window* owner, CommonDef common, ButtonDef def);
    const ButtonDef& design() const { return design_; }

    std::string Caption() const;
    void Caption(const std::string& v);

    std::function<void()> onClick;
    void UserClicked();

    void Reset() override;
    std::string RawCaption() const { return caption_; }

private:
    ButtonDef design_;
    std::string caption_;
};

struct SuperBtnDef {
    std::string caption;
    std::string toolTip;
    Font font;
    Color colorOut = 0, colorOver = 0, colorFocus = 0;  // text colour per state
    Color transparent = 0xFF00FF;                       // magenta in the pictures is not drawn (RGB order)
};

class SuperBtn : public Component {
public:
    SuperBtn(Window* owner, CommonDef common, SuperBtnDef def);
    const SuperBtnDef& design() const { return design_; }

    std::string Caption() const;
    Blob PicOut() const;
    void PicOut(Blob v);
    Blob PicIn() const;
    void PicIn(Blob v);
    std::string ToolTip() const;
    void ToolTip(const std::string& v);

    std::function<void()> onClick;
    void UserClicked();

    void Reset() override;
    Blob RawPicOut() const { return picOut_; }
    Blob RawPicIn() const { return picIn_; }
    std::string RawToolTip() const { return toolTip_; }

private:
    SuperBtnDef design_;
    Blob picOut_, picIn_;
    std::string toolTip_;
};

struct TimerDef {
    int interval = 0;  // above 0: running from the window's creation
    // Expiries come just after the wall clock passes each multiple of the period (each whole second for
    // 1000 ms) instead of a period after the interval was written.
    bool clockAligned = false;
};

class Timer : public Component {
public:
    Timer(Window* owner, std::string name, int designInterval = 0);
    Timer(Window* owner, std::string name, TimerDef def);

    int Interval() const;
    // Negative → 0; the same value → nothing (a running period is not restarted); a new value restarts
    // the period now (0 stops); a clock-aligned timer restarts at the clock's next multiple of it.
    void Interval(int v);
    int designInterval() const { return design_; }
    bool clockAligned() const { return clockAligned_; }

    std::function<void()> onTick;
    // From the backend: one expiry (missed ones already collapsed).
    void Expired();

    void Reset() override;
    int RawInterval() const { return interval_; }

private:
    int design_;
    bool clockAligned_ = false;
    int interval_ = 0;
};

struct CommonDlgDef {
    int dialogType = 0;  // 0 open, 1 save (2 font, 3 help are not built)
    std::string title, fileName, filter, initDir, defaultExt;
    int filterIndex = 0;  // 0-based
    bool promptCreate = false, fileMustExist = false, overwritePrompt = false, pathMustExist = false,
         noChangeDir = false;
};

class CommonDlg : public Component {
public:
    CommonDlg(Window* owner, std::string name, CommonDlgDef def);
    const CommonDlgDef& design() const { return design_; }

    std::string FileName() const;
    void FileName(const std::string& v);
    int DialogType() const;  // clamped to 0..3

    void Reset() override;

private:
    CommonDlgDef design_;
    std::string fileName_;
};

struct TrayIconDef {
    Blob icon;
    std::string tipText;
    bool inTray = true;
};

class TrayIcon : public Component {
public:
    TrayIcon(Window* owner, std::string name, TrayIconDef def);

    Blob Icon() const;
    void Icon(Blob v);
    std::string TipText() const;
    void TipText(const std::string& v);
    bool InTray() const;
    void InTray(bool v);
    // A balloon comes from an icon that is in the notification area; asking on a window that is not loaded
    // is the fatal error, as for every operation of a control.
    bool CanShowBalloon() const;
    // Balloon icon kinds: 0 none, 1 information, 2 warning, 3 error; any other is taken as 1.
    static int BalloonIconKind(int kind);

    std::function<void()> onClick;
    std::function<void()> onDblClick;
    std::function<void()> onRightUp;
    std::function<void(int x, int y)> onMouseMove;
    // The program was started again: the new copy asks this one, through its tray window, to show itself.
    std::function<void()> onAnotherStart;
    // Event numbers of the notification callback: 0 click, 1 double-click, 2 right-click, 3 mouse move;
    // and 4 another start.
    void UserEvent(int event, int x = 0, int y = 0);

    void Reset() override;
    Blob RawIcon() const { return icon_; }
    std::string RawTipText() const { return tipText_; }
    bool RawInTray() const { return inTray_; }

private:
    TrayIconDef design_;
    Blob icon_;
    std::string tipText_;
    bool inTray_ = true;
};

struct MenuDef {
    std::string caption;  // "-" is a separator
    int level = 1;
    bool hidden = false, disabled = false, checked = false;
};

class MenuItem : public Component {
public:
    MenuItem(Window* owner, std::string name, MenuDef def);
    const MenuDef& design() const { return design_; }
    int level() const { return design_.level; }
    bool IsSeparator() const { return design_.caption == "-"; }

    std::string Caption() const;
    void Caption(const std::string& v);
    bool Checked() const;
    void Checked(bool v);
    // The item's own names for the common visible / disable flags: one state, whichever name is used.
    bool Disabled() const { return disable(); }
    void Disabled(bool v) { disable(v); }
    bool Visible() const { return visible(); }
    void Visible(bool v) { visible(v); }

    std::function<void()> onChosen;
    void UserChose();

    void Reset() override;
    std::string RawCaption() const { return caption_; }
    bool RawChecked() const { return checked_; }

private:
    MenuDef design_;
    std::string caption_;
    bool checked_ = false;
};

}  // namespace dida
