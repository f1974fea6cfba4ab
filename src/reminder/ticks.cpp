// The watching timers. A 1000 ms window timer is not a clock: it comes late, jitters across second
// boundaries and loses expiries while the thread is busy, and none come while the machine sleeps. So
// the countdown derives what is left from a deadline on the monotonic tick count, and the clock-watching
// kinds fire when the moment lies between the previous tick and this one instead of waiting for the
// clock to show it exactly. After a gap (sleep, a hung thread, the clock set forward) that is how a
// moment slept through is made up on waking: an alarm is there to be heard, however late.
#include <algorithm>
#include <cstdint>
#include <limits>
#include <optional>

#include "app/program.h"
#include "platform/convert.h"
#include "reminder/actions.h"
#include "reminder/reminder.h"

namespace dida {
namespace {

constexpr std::int64_t kSecondsPerDay = 86400;
constexpr std::int64_t kSecondsPerHour = 3600;
// A gap longer than this on the clock is not made up: whatever the moment was for is long over.
constexpr std::int64_t kMaxMakeUpSeconds = 12 * kSecondsPerHour;
// Shutting down, suspending or darkening the screen later than this would hit a user who has just come
// back to the machine (a laptop opened in the morning): such a moment is dropped instead.
constexpr std::int64_t kSystemActionGraceMs = 60000;
// The shutdown warning opens this long before the shutdown it announces.
constexpr std::int64_t kWarningLeadMs = 30000;

// The pending events a tick lets through may close the bar (退出软件 from the tray, a rest screen's loop left
// that way): the tick ends there.
bool BarGone(Program& p) { return !p.main.loaded(); }

bool WarningEnabled(Program& p) {
    const Action* action = SelectedAction(p);
    return action && action->system == SystemCall::PowerOff && p.main.关机前30秒提醒.Checked();
}

// A moment of such an action is made up only within its grace, otherwise dropped.
bool OnlyWithinGrace(Program& p) {
    const Action* action = SelectedAction(p);
    return action && !action->madeUpLate;
}

std::int32_t TickDiff(std::int32_t later, std::int32_t earlier) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(later) - static_cast<std::uint32_t>(earlier));
}

std::int64_t FloorMod(std::int64_t a, std::int64_t b) {
    const std::int64_t r = a % b;
    return r < 0 ? r + b : r;
}

// What a clock-watching tick knows of the one before it (or of the arming).
struct TickSpan {
    bool known = false;
    std::int64_t previous = 0;  // its local time, in seconds
    std::int64_t now = 0;
    std::int64_t elapsedMs = 0;  // real time since then, by the tick count
    DateTime nowTime = 0;

    // Whether moments since the previous tick still count: the clock moved forward, by half a day at most.
    bool MakesUp() const { return known && now > previous && now - previous <= kMaxMakeUpSeconds; }

    // How late, in real milliseconds, the moment that repeats every `period` seconds at `offset` is now;
    // nullopt when it did not come since the previous tick.
    std::optional<std::int64_t> Lateness(std::int64_t period, std::int64_t offset) const {
        if (!known || !MomentPassed(previous, now, period, offset)) return std::nullopt;
        const std::int64_t latest = now - FloorMod(now - offset, period);
        // Real time, not the clock: what really went by since the previous tick, less the part of it the
        // clock still had to go to the moment. A clock set forward (or a daylight-saving night) passes
        // moments without time passing, and they are not late at all.
        const std::int64_t beforeMomentMs = (latest - previous) * 1000;
        const std::int64_t afterSetting = elapsedMs > beforeMomentMs ? elapsedMs - beforeMomentMs : 0;
        // But the clock set forward and a sleep between the same two ticks come in an order nobody saw: set
        // first, the moment came during the sleep, as long ago as the clock shows (if not longer ago than
        // the real time gone by). The later reading stands, so a system action is never run past its grace.
        const std::int64_t setFirst = std::min(elapsedMs, (now - latest) * 1000);
        return std::max(afterSetting, setFirst);
    }
};

TickSpan TakeTick(Program& p, bool& have, std::int32_t& lastTick, DateTime& lastNow) {
    TickSpan span;
    span.nowTime = p.desk.Now();
    const std::int32_t tick = p.desk.TickCount();
    const std::int32_t gap = TickDiff(tick, lastTick);
    span.known = have;
    span.previous = LocalSeconds(lastNow);
    span.now = LocalSeconds(span.nowTime);
    // A count that went backwards wrapped past half its range: far longer ago than anything made up.
    span.elapsedMs = gap >= 0 ? gap : std::numeric_limits<std::int64_t>::max();
    have = true;
    lastTick = tick;
    lastNow = span.nowTime;
    return span;
}

enum class Due { No, Fire, Dropped };

// Whether the moment of a clock kind calls for firing at this tick. The sounds and the rest screen are
// made up for however late; a system action only within its grace, otherwise it is dropped.
Due MomentDue(Program& p, const TickSpan& span, std::int64_t period, std::int64_t offset) {
    const std::optional<std::int64_t> late = span.Lateness(period, offset);
    if (!late) return Due::No;
    if (OnlyWithinGrace(p)) return span.MakesUp() && *late <= kSystemActionGraceMs ? Due::Fire : Due::Dropped;
    return span.MakesUp() ? Due::Fire : Due::No;
}

// The warning only announces a shutdown that will still happen: one not yet due, or one made up now.
bool WarningDue(const TickSpan& span, std::int64_t period, std::int64_t offset) {
    const std::optional<std::int64_t> late = span.Lateness(period, offset);
    return late && span.MakesUp() && *late <= kSystemActionGraceMs + kWarningLeadMs;
}

void StartFlashingAndFire(Program& p) {
    p.main.时钟闪烁.Interval(250);
    Fire(p);
}

// A shutdown that will not come takes its warning with it (one left open by a sleep that began in it).
void CloseWarning(Program& p) {
    if (p.warning.loaded() && !p.warning.closing()) p.desk.UnloadWindow(p.warning);
}

}  // namespace

std::optional<int> ClockField(const std::string& text, int max) {
    if (text.empty() || text.size() > 2 || (text.size() == 2 && text[0] == '0')) return std::nullopt;
    int v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        v = v * 10 + (c - '0');
    }
    if (v > max) return std::nullopt;
    return v;
}

std::int64_t LocalSeconds(double dateTime) {
    const double s = dateTime * static_cast<double>(kSecondsPerDay);
    return static_cast<std::int64_t>(s < 0 ? s - 0.5 : s + 0.5);
}

bool MomentPassed(std::int64_t previous, std::int64_t now, std::int64_t period, std::int64_t offset) {
    const std::int64_t latest = now - FloorMod(now - offset, period);
    return latest > previous;
}

void 时钟倒计_Tick(Program& p) {
    ReminderState& v = p.vars;
    const std::int32_t before = v.countdownMsLeft;
    const std::int64_t left = TickDiff(v.countdownDeadlineTick, p.desk.TickCount());
    // The tick count runs on while the machine sleeps, so a deadline slept through is late on waking by
    // the whole sleep: the same rule as the clock kinds, and the same end as theirs (nothing looks armed).
    if (OnlyWithinGrace(p) && -left > kSystemActionGraceMs) {
        CloseWarning(p);
        ClearActionAndDisarm(p);
        return;
    }
    if (left <= 0) {
        v.countdownMsLeft = 0;
    } else {
        // To the nearest second, but never 0 before the deadline: a bar showing nothing left must ring.
        const std::int64_t rounded = (left + 500) / 1000 * 1000;
        v.countdownMsLeft = static_cast<std::int32_t>(rounded < 1000 ? 1000 : rounded);
    }
    p.main.标签2.Caption("剩余：" + RemainingTimeText(v.countdownMsLeft));
    if (WarningEnabled(p) && before > 30000 && v.countdownMsLeft <= 30000) OpenShutdownWarning(p);
    p.desk.ProcessEvents();
    if (BarGone(p) || v.countdownMsLeft != 0) return;
    StartFlashingAndFire(p);
    p.main.时钟倒计.Interval(0);
    FollowArmedMoment(p);
}

void 时钟指定_Tick(Program& p) {
    ReminderState& v = p.vars;
    const TickSpan span = TakeTick(p, v.haveLastSetTimeTick, v.lastSetTimeTick, v.lastSetTimeNow);
    // The warning follows the time of day of warningTime, so a reminder for tomorrow still warns.
    const bool targetValid = v.targetTime != kMinDateTime;
    if (targetValid && WarningEnabled(p) &&
        WarningDue(span, kSecondsPerDay, FloorMod(LocalSeconds(v.warningTime), kSecondsPerDay)))
        OpenShutdownWarning(p);
    p.desk.ProcessEvents();
    if (BarGone(p)) return;
    const auto h = ClockField(p.main.时1.Content(), 23);
    const auto m = ClockField(p.main.分1.Content(), 59);
    const auto s = ClockField(p.main.秒1.Content(), 59);
    if (!h || !m || !s) return;
    switch (MomentDue(p, span, kSecondsPerDay, *h * 3600 + *m * 60 + *s)) {
    case Due::No: break;
    case Due::Fire:
        StartFlashingAndFire(p);
        p.main.时钟指定.Interval(0);
        break;
    case Due::Dropped:
        // Its moment is over as surely as if it had fired: the bar must not go on looking armed.
        CloseWarning(p);
        ClearActionAndDisarm(p);
        break;
    }
    // After firing nothing is left to wake for; after a clock set, a daylight-saving change or a moment
    // slept through too long ago, the next one may lie on another day.
    FollowArmedMoment(p);
}

void 时钟整点_Tick(Program& p) {
    ReminderState& v = p.vars;
    const TickSpan span = TakeTick(p, v.haveLastHourlyTick, v.lastHourlyTick, v.lastHourlyNow);
    const std::string h = ToText(HourOf(span.nowTime));
    const std::string m = ToText(MinuteOf(span.nowTime));
    const std::string s = ToText(SecondOf(span.nowTime));
    // Half a minute before the hourly moment itself, wrapping from minute 0 back to 59.
    if (const auto minute = ClockField(p.main.分1.Content(), 59); minute && WarningEnabled(p)) {
        const std::int64_t warnAt = (*minute + 59) % 60 * 60 + 30;
        if (WarningDue(span, kSecondsPerHour, warnAt)) OpenShutdownWarning(p);
    }
    p.desk.ProcessEvents();
    if (BarGone(p)) return;
    p.main.标签2.Caption(h + "时" + m + "分" + s + "秒");
    const auto minute = ClockField(p.main.分1.Content(), 59);
    if (!minute) return;
    // However many hours a gap held, one firing makes up for them; after a dropped one the next hour comes.
    switch (MomentDue(p, span, kSecondsPerHour, *minute * 60)) {
    case Due::No: return;
    case Due::Fire: StartFlashingAndFire(p); return;
    case Due::Dropped: CloseWarning(p); return;
    }
}

void 时钟闪烁_Tick(Program& p) {
    MainForm& m = p.main;
    if (m.组合框声音.Content().empty()) return;
    auto toggle = [](auto& control) { control.TextColor(control.TextColor() == 0 ? 255 : 0); };
    toggle(m.标签2);
    if (!m.visible()) m.visible(true);
    if (SelectedKind(p) != ReminderKind::SetTime) return;
    toggle(m.标签设定);
    toggle(m.时1);
    toggle(m.分1);
    toggle(m.秒1);
}

}  // namespace dida
