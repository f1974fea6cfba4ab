// The moment of a reminder: the action, the ring that ends by itself, by the user or never.
#include <algorithm>
#include <cstdint>
#include <limits>
#include <optional>

#include "app/program.h"
#include "platform/convert.h"
#include "reminder/actions.h"
#include "reminder/reminder.h"
#include "reminder/stored.h"
#include "ui/media/media.h"

namespace dida {
namespace {

constexpr int kShutdownPowerOff = 1;
constexpr int kShutdownSuspend = 4;
constexpr int kBalloonInformation = 1;
constexpr char kDueText[] = "注意，到时间了！！！";

// The ring's sound for the action; false when it has one and no output device took it.
bool StartRingSound(Program& p, const Action& action, const std::string& storedPath) {
    // One sound at a time: a firing takes the place of the ring before it, whatever its action (or muted,
    // with no sound of its own), and of a preview.
    p.desk.StopAudio();
    if (Muted(p)) return true;
    if (action.sound) return p.desk.PlayAudio(*action.sound, true);
    if (action.needsFile) {
        // An alarm must never stay silent by surprise: music that cannot sound (no file, a directory, a
        // wildcard, an empty or broken file) rings the first chime instead, and so does the player by
        // itself if a whole pass later gives no sound. No message: the user may be away; the chime is it.
        return (!storedPath.empty() && p.desk.PlayMp3(-1, {storedPath}, media::kBuiltinSound1)) ||
               p.desk.PlayAudio(media::kBuiltinSound1, true);
    }
    return true;
}

}  // namespace

void Fire(Program& p) {
    MainForm& m = p.main;
    const std::string storedPath = p.desk.RegReadText(kCurrentUser, reg::kMusicPath, "");
    const Action* action = SelectedAction(p);
    if (!action) return;
    // Before the action: suspend and shutdown leave no moment after it, and a blind user hears the words of
    // the balloon whether or not it is shown.
    p.desk.Announce(m.标签2, kDueText);

    // No output device (HDMI sound with the monitor asleep, a headset unplugged): the ring watcher tries
    // again every second while the ring lasts.
    p.vars.ringSoundWaiting = StartRingSound(p, *action, storedPath) ? nullptr : action;
    if (action->restScreen) m.时钟全屏.Interval(1000);
    // A choice the short-ring question is still asking about is not armed: the moment of the arming it
    // replaces does not shut down, suspend or darken the screen for it.
    const bool confirmed = !p.vars.askingShortRing;
    if (confirmed) {
        switch (action->system) {
        case SystemCall::None: break;
        case SystemCall::PowerOff: p.desk.ShutdownSystem(kShutdownPowerOff, true); break;
        case SystemCall::Suspend: p.desk.ShutdownSystem(kShutdownSuspend, true); break;
        case SystemCall::MonitorOff:
            p.desk.TurnOffMonitor();
            p.desk.Delay(1000);
            break;
        }
    }
    p.vars.ringSecondsLeft = ToInteger(ToNumber(m.标签闹铃时长.Caption()));
    p.vars.ringLastTick = p.desk.TickCount();
    p.vars.ringMsCounted = 0;
    m.时钟监视变量.Interval(1000);
    if (m.气泡提醒.Checked()) Balloon(p);
    StartRinging(p);
}

void StopSound(Program& p) {
    p.desk.StopAudio();
    p.vars.ringSoundWaiting = nullptr;
}

void Balloon(Program& p) {
    if (const Action* action = SelectedAction(p); action && action->restScreen) return;
    p.desk.ShowBalloon(p.main.托盘图标1, "嘀嗒提醒：", kDueText, kBalloonInformation, 0);
}

void OpenShutdownWarning(Program& p) { p.desk.LoadWindow(p.warning, false); }

// A timer's ticks come slow, late or not at all while the thread is busy: the ring's seconds are the
// seconds the tick count went on, so that a ring lasts its duration. A gap of more than a few seconds (the
// machine asleep, the thread held up) counts as one tick: a ring nobody could hear is not cut short by it.
constexpr std::int32_t kRingGapMs = 5000;

void 时钟监视变量_Tick(Program& p) {
    MainForm& m = p.main;
    ReminderState& v = p.vars;
    const std::int32_t tick = p.desk.TickCount();
    std::int32_t gap =
        static_cast<std::int32_t>(static_cast<std::uint32_t>(tick) - static_cast<std::uint32_t>(v.ringLastTick));
    if (gap < 0 || gap > kRingGapMs) gap = 1000;
    v.ringLastTick = tick;
    v.ringMsCounted += gap;
    const std::int32_t seconds = v.ringMsCounted / 1000;
    v.ringMsCounted %= 1000;
    // The duration is the user's number saturated to 32 bits: at its floor it stays there rather than
    // wrap to the top and ring for 68 years.
    v.ringSecondsLeft = static_cast<std::int32_t>(
        std::max<std::int64_t>(std::numeric_limits<std::int32_t>::min(), std::int64_t{v.ringSecondsLeft} - seconds));
    if (m.无操作时长鸣.Checked() || p.vars.ringSecondsLeft > 0) {
        const Action* waiting = p.vars.ringSoundWaiting;
        if (waiting && StartRingSound(p, *waiting, p.desk.RegReadText(kCurrentUser, reg::kMusicPath, "")))
            p.vars.ringSoundWaiting = nullptr;
        return;
    }
    StopSound(p);
    ResetFlashing(p);
    m.时钟监视变量.Interval(0);
    StopRinging(p);
    // The hourly kind goes on by itself: its timer is not stopped by firing. Starting it here would only
    // bring back an hourly reminder disarmed while it rang.
}

void 超级按钮开始_Click(Program& p) {
    MainForm& m = p.main;
    const std::optional<ReminderKind> kind = SelectedKind(p);
    // The hourly reminder stays armed: only this ring is silenced.
    if (kind == ReminderKind::Countdown || kind == ReminderKind::SetTime) m.组合框声音.CurrentIndex(-1);
    StopSound(p);
    // Only a button that can be pressed gets here: muting is not taken off by it.
    ShowSpeaker(p, SpeakerLook::Sounding);
    ResetFlashing(p);
    ShowInputs(p);
    StopRinging(p);
    FollowArmedMoment(p);
}

}  // namespace dida
