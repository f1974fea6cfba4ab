// An alarm is judged by the night: the machine must be up when the moment comes, and must stay up with
// its screen on while the alarm wants to be heard or seen. The wake timer only makes the machine be up;
// the reminder still fires from its watching timer, which runs again once the machine is.
#include "app/program.h"
#include "reminder/actions.h"
#include "reminder/reminder.h"

namespace dida {
namespace {

// Waking from sleep takes seconds, more on a slow machine; a minute covers that and leaves the shutdown
// warning its half minute. After waking for a timer the system gives the programs at least two minutes
// before it sleeps again, so the machine is still up at the moment without anything being held meanwhile.
constexpr int kWakeLeadMs = 60000;
constexpr int kUnitDay = 5;

// Worth waking a sleeping machine for: what a person must hear or see, and the shutdown.
bool WakesTheMachine(Program& p) {
    const Action* action = SelectedAction(p);
    return action && action->wakesTheMachine;
}

bool Rings(Program& p) {
    const Action* action = SelectedAction(p);
    return action && action->rings;
}

// The next moment the at-a-set-time tick will fire at: the fields' time today, or tomorrow once that is past.
std::optional<DateTime> NextSetTime(Program& p) {
    const auto h = ClockField(p.main.时1.Content(), 23);
    const auto m = ClockField(p.main.分1.Content(), 59);
    const auto s = ClockField(p.main.秒1.Content(), 59);
    if (!h || !m || !s) return std::nullopt;
    const DateTime now = p.desk.Now();
    DateFields f = SplitDateTime(now);
    f.hour = *h;
    f.minute = *m;
    f.second = *s;
    const DateTime today = MakeDateTime(f);
    return LocalSeconds(today) > LocalSeconds(now) ? today : AddToDateTime(today, kUnitDay, 1);
}

}  // namespace

void FollowArmedMoment(Program& p) {
    MainForm& m = p.main;
    ReminderState& v = p.vars;
    using Aim = ReminderState::WakeAim;
    // The hourly kind sets none: a chime every hour must not wake a sleeping machine all night.
    Aim aim = Aim::None;
    DateTime moment = 0;
    if (WakesTheMachine(p)) {
        if (m.时钟倒计.Interval() > 0) {
            aim = Aim::Tick;
        } else if (m.时钟指定.Interval() > 0) {
            if (const auto next = NextSetTime(p)) {
                aim = Aim::Clock;
                moment = *next;
            }
        }
    }
    if (aim == v.wakeAim &&
        (aim == Aim::None || (aim == Aim::Tick ? v.wakeTick == v.countdownDeadlineTick : v.wakeMoment == moment)))
        return;
    v.wakeAim = aim;
    v.wakeMoment = moment;
    v.wakeTick = v.countdownDeadlineTick;
    if (aim == Aim::None) p.desk.CancelWakeTimer();
    if (aim == Aim::Tick) p.desk.SetWakeTimerAtTick(v.countdownDeadlineTick, kWakeLeadMs);
    if (aim == Aim::Clock) p.desk.SetWakeTimer(moment, kWakeLeadMs);
}

void FollowRing(Program& p) {
    // A timed wake leaves the screen dark and the machine sleeps again within minutes: the ring and the
    // rest screen ask for both to stay on. Never while merely armed: idle sleep stays the user's.
    // (The system actions hold nothing: the display is what "关屏" darkens, and "休眠" and "关机" leave.)
    const bool want = p.vars.ringing || p.main.时钟全屏.Interval() > 0;
    if (want == p.vars.displayHeld) return;
    p.vars.displayHeld = want;
    p.desk.KeepDisplayOn(want);
}

void StartRinging(Program& p) {
    if (Rings(p)) p.vars.ringing = true;
    FollowRing(p);
}

void StopRinging(Program& p) {
    p.vars.ringing = false;
    FollowRing(p);
}

void 主窗口_Destroying(Program& p) {
    if (p.vars.wakeAim != ReminderState::WakeAim::None) p.desk.CancelWakeTimer();
    p.vars.wakeAim = ReminderState::WakeAim::None;
    StopRinging(p);
    if (p.vars.displayHeld) p.desk.KeepDisplayOn(false);
    p.vars.displayHeld = false;
}

}  // namespace dida
