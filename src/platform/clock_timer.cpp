#include "platform/clock_timer.h"

#include <algorithm>

namespace dida {

ClockTimerSchedule::ClockTimerSchedule(int periodMs, int slackMs)
    : period_(std::max(1, periodMs)), slack_(std::clamp<std::int64_t>(slackMs, 0, period_ - 1)) {}

std::int64_t ClockTimerSchedule::NextMultipleAfter(std::int64_t wallMs) const {
    const std::int64_t floor = wallMs >= 0 ? wallMs / period_ : -((-wallMs + period_ - 1) / period_);
    return (floor + 1) * period_;
}

std::int64_t ClockTimerSchedule::Start(std::int64_t wallMs) {
    target_ = NextMultipleAfter(wallMs);
    return target_ + slack_ - wallMs;
}

ClockTimerSchedule::Step ClockTimerSchedule::Arrived(std::int64_t wallMs) {
    const std::int64_t ahead = target_ - wallMs;
    if (ahead > 0 && ahead <= period_) return Step{false, ahead + slack_};
    target_ = NextMultipleAfter(wallMs);
    return Step{true, target_ + slack_ - wallMs};
}

std::int64_t ClockTimerSchedule::ClockSet(std::int64_t wallMs) {
    if (wallMs >= target_) return 0;
    if (target_ - wallMs > period_) target_ = NextMultipleAfter(wallMs);
    return target_ + slack_ - wallMs;
}

}  // namespace dida
