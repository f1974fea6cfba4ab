// Choosing an action arms the reminder; clearing the action list disarms it. The time fields rebuild
// the target times on every change.
#include <algorithm>
#include <cmath>
#include <optional>

#include "app/program.h"
#include "platform/convert.h"
#include "reminder/actions.h"
#include "reminder/reminder.h"
#include "reminder/stored.h"
#include "ui/media/media.h"

namespace dida {
namespace {

constexpr int kUnitSecond = 8;

const char* const kMuteNotice = "软件已设置静音运行，所设置的声音将被忽略！（软件设置里可取消静音运行）";

// A box's or the file dialog's loop runs the tray's events too: the bar may have been closed from its menu
// meanwhile (退出软件), and then the handler that asked ends there.
bool BarGone(Program& p) { return !p.main.loaded(); }

void ShowMuteNotice(Program& p) { p.desk.ShowMessage(kMuteNotice, kOkInformation, "重要提醒："); }

// The dialog's answer is not looked at: after a cancel its file name is still the last confirmed one
// (empty if none ever was), and that is what gets stored.
void AskForMusicFile(Program& p) {
    p.desk.OpenDialog(p.main.通用对话框1);
    if (BarGone(p)) return;
    p.vars.mp3FileName = p.main.通用对话框1.FileName();
    p.desk.RegWrite(kCurrentUser, reg::kMusicPath, p.vars.mp3FileName);
}

// An item that is no action (a separator) is not kept selected.
void ClearIfSeparator(Program& p) {
    if (!p.main.组合框声音.Content().empty() && !SelectedAction(p)) p.main.组合框声音.CurrentIndex(-1);
}

// A ring that would end almost at once is most likely a slip; only while the sound can be heard.
bool ConfirmShortRing(Program& p) {
    const bool sounding = SameBytes(p.main.超级按钮开始.PicOut(), media::kSpeakerWaves);
    if (!sounding || ToNumber(p.main.标签闹铃时长.Caption()) - 3 > 0.0000001) return true;
    const std::string text =
        "你的闹钟响铃时间太短，只有 " + p.main.标签闹铃时长.Caption() + " 秒，点“是”继续，点“否”返回操作。";
    p.vars.askingShortRing = true;
    const bool yes = p.desk.ShowMessage(text, kYesNoQuestion, "响铃时间过短") != kNo;
    p.vars.askingShortRing = false;
    return yes;
}

// The clock-watching kinds compare each tick with the one before; arming is the first "tick".
void RememberArmingMoment(Program& p, bool& have, std::int32_t& tick, DateTime& now) {
    have = true;
    tick = p.desk.TickCount();
    now = p.desk.Now();
}

void Arm(Program& p) {
    MainForm& m = p.main;
    if (!ConfirmShortRing(p)) {
        // Nothing is armed: the arming the new choice replaced must not carry it out at its old moment.
        if (BarGone(p)) return;
        m.时钟倒计.Interval(0);
        m.时钟指定.Interval(0);
        m.时钟整点.Interval(0);
        return;
    }
    if (BarGone(p)) return;
    const std::optional<ReminderKind> kind = SelectedKind(p);
    if (!kind) return;
    switch (*kind) {
    case ReminderKind::Countdown: {
        const double h = ToInteger(m.时1.Content());
        const double mi = ToInteger(m.分1.Content());
        const double s = ToInteger(m.秒1.Content());
        p.vars.countdownMsLeft = ToInteger(std::trunc(std::trunc(h * 3600000 + mi * 60000) + s * 1000));
        // The end is kept on the monotonic clock: ticks come late and get lost, the deadline does not. A count
        // below zero ends now, not in the past: its first tick is its moment.
        p.vars.countdownDeadlineTick =
            static_cast<std::int32_t>(static_cast<std::uint32_t>(p.desk.TickCount()) +
                                      static_cast<std::uint32_t>(std::max(p.vars.countdownMsLeft, 0)));
        m.标签2.Caption("剩余：" + RemainingTimeText(p.vars.countdownMsLeft));
        m.时钟指定.Interval(0);
        m.时钟整点.Interval(0);
        m.时钟倒计.Interval(1000);
        HideInputs(p);
        // Once, as it starts; the second-by-second count after it is not spoken.
        p.desk.Announce(m.标签2, m.标签2.Caption());
        break;
    }
    case ReminderKind::SetTime:
        m.时钟倒计.Interval(0);
        m.时钟整点.Interval(0);
        RememberArmingMoment(p, p.vars.haveLastSetTimeTick, p.vars.lastSetTimeTick, p.vars.lastSetTimeNow);
        m.时钟指定.Interval(1000);
        break;
    case ReminderKind::Hourly:
        m.时钟倒计.Interval(0);
        m.时钟指定.Interval(0);
        RememberArmingMoment(p, p.vars.haveLastHourlyTick, p.vars.lastHourlyTick, p.vars.lastHourlyNow);
        m.时钟整点.Interval(1000);
        HideInputs(p);
        break;
    }
}

void Disarm(Program& p) {
    p.main.时钟指定.Interval(0);
    p.main.时钟整点.Interval(0);
    p.main.时钟倒计.Interval(0);
    ShowInputs(p);
    StopSound(p);
    ResetFlashing(p);
    StopRinging(p);
}

}  // namespace

std::string RemainingTimeText(std::int32_t ms) {
    const double v = ms;
    const std::int32_t hours = ToInteger(v / 3600000);
    const std::int32_t minutes = ToInteger(Remainder(v, 3600000) / 60000);
    const std::int32_t seconds = ToInteger(Remainder(v, {3600000, 60000}) / 1000);
    return ToText(hours) + "小时" + ToText(minutes) + "分" + ToText(seconds) + "秒";
}

namespace {
// The time fields and their frame share one spot with the status label: one of the two shows.
void ShowInputsOrStatus(Program& p, bool inputs) {
    p.main.标签设定.visible(inputs);
    p.main.时1.visible(inputs);
    p.main.分1.visible(inputs);
    p.main.秒1.visible(inputs);
    p.main.标签2.visible(!inputs);
}
}  // namespace

void HideInputs(Program& p) { ShowInputsOrStatus(p, false); }

void ShowInputs(Program& p) { ShowInputsOrStatus(p, true); }

void ResetFlashing(Program& p) {
    p.main.时钟闪烁.Interval(0);
    p.main.标签2.TextColor(0);
    p.main.标签设定.TextColor(0);
    p.main.时1.TextColor(0);
    p.main.分1.TextColor(0);
    p.main.秒1.TextColor(0);
}

bool Muted(Program& p) { return p.main.超级按钮开始.disable(); }

void ShowSpeaker(Program& p, SpeakerLook look) {
    SuperBtn& speaker = p.main.超级按钮开始;
    switch (look) {
    case SpeakerLook::Sounding:
        speaker.ToolTip("停止当前音乐");
        speaker.PicOut(media::kSpeakerWaves);
        speaker.PicIn(media::kSpeakerCrossedOrange);
        speaker.disable(false);
        break;
    case SpeakerLook::Muted:
        speaker.ToolTip("已设置为静音");
        speaker.PicOut(media::kSpeakerCrossed);
        speaker.PicIn(media::kSpeakerCrossedOrange);
        speaker.disable(true);
        break;
    case SpeakerLook::Unmuted:
        speaker.ToolTip("点击关闭声音");
        speaker.PicOut(media::kSpeakerWaves);
        speaker.PicIn(media::kSpeakerWavesOrange);
        speaker.disable(false);
        break;
    }
}

void 时间框_Change(Program& p, EditBox& field) {
    const std::string text = field.Content();
    // "00".."09" lose the leading zero; writing the digit runs this handler once more.
    if (text.size() == 2 && text[0] == '0' && text[1] >= '0' && text[1] <= '9') field.Content(text.substr(1));
    p.main.组合框声音.CurrentIndex(-1);
    const DateTime now = p.desk.Now();
    p.vars.todayYearText = ToText(YearOf(now));
    p.vars.todayMonthText = ToText(MonthOf(now));
    p.vars.todayDayText = ToText(DayOf(now));
    p.vars.targetTime =
        ToDateTime(p.vars.todayYearText + "年" + p.vars.todayMonthText + "月" + p.vars.todayDayText + "日" +
                   p.main.时1.Content() + "时" + p.main.分1.Content() + "分" + p.main.秒1.Content() + "秒");
    p.vars.warningTime = AddToDateTime(p.vars.targetTime, kUnitSecond, -30);
    FollowArmedMoment(p);
}

void 时间框_DblClick(Program& /*p*/, EditBox& field) { field.Content("0"); }

void 组合框声音_SelChange(Program& p) {
    MainForm& m = p.main;
    // Without a kind there is nothing to arm: an action left selected would claim an alarm that never
    // comes (the close button would even ask about it), so the choice is taken back at once.
    if (m.组合框类型.Content().empty() && !m.组合框声音.Content().empty()) {
        m.组合框声音.CurrentIndex(-1);
        return;
    }
    const std::string storedPath = p.desk.RegReadText(kCurrentUser, reg::kMusicPath, "");

    // The choice is looked up once: a box's loop below may run other handlers, and what it armed is theirs.
    const Action* action = SelectedAction(p);
    if (action && action->sound) {
        if (Muted(p)) {
            ShowMuteNotice(p);
            if (BarGone(p)) return;
        } else {
            // One sound at a time: the preview takes the place of whatever plays (another preview, a ring).
            p.desk.StopAudio();
            p.desk.PlayAudio(*action->sound, false);
            p.desk.RegWrite(kCurrentUser, reg::kDefaultAction, action->code);
        }
    } else if (action && action->needsFile) {
        p.desk.RegWrite(kCurrentUser, reg::kDefaultAction, action->code);
        if (Muted(p)) {
            ShowMuteNotice(p);
        } else if (storedPath.empty()) {
            AskForMusicFile(p);
        } else if (!p.desk.FileExists(storedPath)) {
            p.desk.ShowMessage("“" + storedPath + "” 文件不存在，请重新指定！", kOkStop, "错误：");
            if (BarGone(p)) return;
            p.desk.RegDelete(kCurrentUser, reg::kMusicPath);
            AskForMusicFile(p);
        }
        if (BarGone(p)) return;
    }

    ClearIfSeparator(p);
    if (action && !action->sound && !action->needsFile)
        p.desk.RegWrite(kCurrentUser, reg::kDefaultAction, action->code);

    if (!m.组合框声音.Content().empty())
        Arm(p);
    else
        Disarm(p);
    if (BarGone(p)) return;
    FollowArmedMoment(p);
}

// Takes back the visible choice only: a running watcher keeps going and later fires into nothing, for
// which nothing wakes the machine.
void 组合框声音_RightButtonUp(Program& p) {
    p.main.组合框声音.CurrentIndex(-1);
    FollowArmedMoment(p);
}

void ClearActionAndDisarm(Program& p) {
    p.main.组合框声音.CurrentIndex(-1);
    组合框声音_SelChange(p);
}

void 停止_Chosen(Program& p) { ClearActionAndDisarm(p); }

}  // namespace dida
