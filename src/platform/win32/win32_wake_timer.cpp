#include "platform/win32/win32_wake_timer.h"

#include "platform/local_time.h"
#include "platform/win32/win32_system_calls.h"

namespace dida::win32 {
namespace {

constexpr std::int64_t kFileTimeOf1970 = 116444736000000000LL;  // in 100 ns units since 1601

std::int64_t MsOf(const FILETIME& ft) {
    const std::int64_t units = (static_cast<std::int64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
    return (units - kFileTimeOf1970) / 10000;
}

FILETIME FileTimeOf(std::int64_t ms) {
    const std::int64_t units = ms * 10000 + kFileTimeOf1970;
    return FILETIME{static_cast<DWORD>(units), static_cast<DWORD>(units >> 32)};
}

std::int64_t UtcNowMs() {
    FILETIME ft;
    GetSystemTimeAsFileTime(&ft);
    return MsOf(ft);
}

}  // namespace

std::int64_t WakeTimer::UtcOfLocal(DateTime localMoment) {
    // The machine's zone with the rules of the year in question, as the local clock (GetLocalTime) has them.
    auto localOf = [](std::int64_t utcMs) -> std::int64_t {
        const FILETIME utcFt = FileTimeOf(utcMs);
        SYSTEMTIME utc, local;
        TIME_ZONE_INFORMATION zone;
        FILETIME localFt;
        if (!FileTimeToSystemTime(&utcFt, &utc) || !GetTimeZoneInformationForYear(utc.wYear, nullptr, &zone) ||
            !Sys().SystemTimeToTzSpecificLocalTime(&zone, &utc, &local) || !SystemTimeToFileTime(&local, &localFt))
            return utcMs;
        return MsOf(localFt);
    };
    return FirstInstantShowing(UnixSecondsOf(localMoment) * 1000, localOf);
}

bool WakeTimer::AimAt(DateTime localMoment, int leadMs) {
    moment_ = Moment{Kind::Clock, localMoment, 0, leadMs};
    return Aim();
}

bool WakeTimer::AimAtTick(std::int32_t tick, int leadMs) {
    moment_ = Moment{Kind::Tick, 0, tick, leadMs};
    return Aim();
}

void WakeTimer::Cancel() {
    moment_.reset();
    if (timer_) CancelWaitableTimer(timer_.get());
}

void WakeTimer::ClockSet() {
    if (moment_) Aim();
}

bool WakeTimer::Aim() {
    const std::int64_t now = UtcNowMs();
    std::int64_t moment = 0;
    if (moment_->kind == Kind::Clock) {
        moment = UtcOfLocal(moment_->local);
    } else {
        const auto left = static_cast<std::int32_t>(static_cast<std::uint32_t>(moment_->tick) - GetTickCount());
        moment = now + left;
    }
    const std::int64_t early = moment - (moment_->leadMs > 0 ? moment_->leadMs : 0);
    // Absolute: a relative due time leaves out the time spent asleep, the very time that counts here.
    LARGE_INTEGER due;
    const FILETIME ft = FileTimeOf(early > now ? early : moment);
    due.LowPart = ft.dwLowDateTime;
    due.HighPart = static_cast<LONG>(ft.dwHighDateTime);
    if (!timer_)
        timer_.Reset(CreateWaitableTimerExW(nullptr, nullptr, CREATE_WAITABLE_TIMER_MANUAL_RESET,
                                            TIMER_MODIFY_STATE | SYNCHRONIZE));
    if (!timer_) return false;
    // Without support for waking the call succeeds all the same; only the last error tells.
    SetLastError(ERROR_SUCCESS);
    const BOOL set = Sys().SetWaitableTimer(timer_.get(), &due, 0, nullptr, nullptr, TRUE);
    return set && GetLastError() != ERROR_NOT_SUPPORTED;
}

}  // namespace dida::win32
