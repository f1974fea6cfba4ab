// The watching timers. A 1000 ms window timer is not a clock: it comes late, jitters across second
// boundaries and loses expiries while the thread is busy. So the countdown derives what is left from
// a deadline on the monotonic tick count, and the clock-watching kinds fire when the moment lies
// between the previous tick and this one instead of waiting for the clock to show it exactly.
#include <cstdint>
#include <optional>

#include "app/program.h"
#include "platform/convert.h"
#include "reminder/reminder.h"

namespace dida {
namespace {

constexpr std::int64_t kSecondsPerDay = 86400;
constexpr std::int64_t kSecondsPerHour = 3600;
// A previous tick further back than this means the machine slept or the thread hung: the moments
// missed meanwhile are not made up for.
constexpr std::int32_t kMaxTickGapMs = 60000;

bool WarningEnabled(Program& p) { return p.main.组合框声音.Content() == "关机" && p.main.关机前30秒提醒.Checked(); }

// A time field as the clock writes it: decimal digits without a leading zero, within range.
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

std::int32_t TickDiff(std::int32_t later, std::int32_t earlier) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(later) - static_cast<std::uint32_t>(earlier));
}

// What a clock-watching tick knows of the one before it.
struct TickSpan {
    bool fresh = false;         // the previous tick came at most a minute earlier
    std::int64_t previous = 0;  // its local time, in seconds
    std::int64_t now = 0;
    DateTime nowTime = 0;
};

TickSpan TakeTick(Program& p, bool& have, std::int32_t& lastTick, DateTime& lastNow) {
    TickSpan span;
    span.nowTime = p.desk.Now();
    const std::int32_t tick = p.desk.TickCount();
    const std::int32_t gap = TickDiff(tick, lastTick);
    span.fresh = have && gap >= 0 && gap <= kMaxTickGapMs;
    span.previous = LocalSeconds(lastNow);
    span.now = LocalSeconds(span.nowTime);
    have = true;
    lastTick = tick;
    lastNow = span.nowTime;
    return span;
}

std::int64_t FloorMod(std::int64_t a, std::int64_t b) {
    const std::int64_t r = a % b;
    return r < 0 ? r + b : r;
}

void StartFlashingAndFire(Program& p) {
    p.main.时钟闪烁.Interval(250);
    Fire(p);
}

}  // namespace

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
    if (v.countdownMsLeft != 0) return;
    StartFlashingAndFire(p);
    p.main.时钟倒计.Interval(0);
}

void 时钟指定_Tick(Program& p) {
    ReminderState& v = p.vars;
    const TickSpan span = TakeTick(p, v.haveLastSetTimeTick, v.lastSetTimeTick, v.lastSetTimeNow);
    // The warning follows the time of day of warningTime, so a reminder for tomorrow still warns.
    const bool targetValid = v.targetTime != kMinDateTime;
    if (span.fresh && targetValid && WarningEnabled(p) &&
        MomentPassed(span.previous, span.now, kSecondsPerDay, FloorMod(LocalSeconds(v.warningTime), kSecondsPerDay)))
        OpenShutdownWarning(p);
    p.desk.ProcessEvents();
    const auto h = ClockField(p.main.时1.Content(), 23);
    const auto m = ClockField(p.main.分1.Content(), 59);
    const auto s = ClockField(p.main.秒1.Content(), 59);
    if (!span.fresh || !h || !m || !s) return;
    if (!MomentPassed(span.previous, span.now, kSecondsPerDay, *h * 3600 + *m * 60 + *s)) return;
    StartFlashingAndFire(p);
    p.main.时钟指定.Interval(0);
}

void 时钟整点_Tick(Program& p) {
    ReminderState& v = p.vars;
    const TickSpan span = TakeTick(p, v.haveLastHourlyTick, v.lastHourlyTick, v.lastHourlyNow);
    const std::string h = ToText(HourOf(span.nowTime));
    const std::string m = ToText(MinuteOf(span.nowTime));
    const std::string s = ToText(SecondOf(span.nowTime));
    // Half a minute before the hourly moment itself, wrapping from minute 0 back to 59.
    if (const auto minute = ClockField(p.main.分1.Content(), 59); span.fresh && minute && WarningEnabled(p)) {
        const std::int64_t warnAt = (*minute + 59) % 60 * 60 + 30;
        if (MomentPassed(span.previous, span.now, kSecondsPerHour, warnAt)) OpenShutdownWarning(p);
    }
    p.desk.ProcessEvents();
    p.main.标签2.Caption(h + "时" + m + "分" + s + "秒");
    const auto minute = ClockField(p.main.分1.Content(), 59);
    if (!span.fresh || !minute) return;
    if (!MomentPassed(span.previous, span.now, kSecondsPerHour, *minute * 60)) return;
    StartFlashingAndFire(p);
}

void 时钟闪烁_Tick(Program& p) {
    MainForm& m = p.main;
    if (m.组合框声音.Content().empty()) return;
    auto toggle = [](auto& control) { control.TextColor(control.TextColor() == 0 ? 255 : 0); };
    toggle(m.标签2);
    if (!m.visible()) m.visible(true);
    if (m.组合框类型.CurrentIndex() != 1) return;
    toggle(m.标签设定);
    toggle(m.时1);
    toggle(m.分1);
    toggle(m.秒1);
}

}  // namespace dida
