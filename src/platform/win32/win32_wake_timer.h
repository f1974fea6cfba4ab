#pragma once
// The program's wake timer: one waitable timer with resume set, aimed at an absolute moment so that a
// machine asleep (S3) or hibernating (S4) is up when it comes. Nobody waits on it, and nothing needs to:
// the system wakes when the timer is signalled, and the program's watching timer does the rest. So it costs
// nothing while the machine is awake: no thread, no wait, no polling.
#include <windows.h>

#include <cstdint>
#include <optional>

#include "platform/datetime.h"
#include "platform/win32/win32_handle.h"

namespace dida::win32 {

class WakeTimer {
public:
    WakeTimer() = default;
    WakeTimer(const WakeTimer&) = delete;
    WakeTimer& operator=(const WakeTimer&) = delete;
    ~WakeTimer() { Cancel(); }

    // `leadMs` before the moment, or at the moment when that is already past. True when the system will
    // wake for it; false when it cannot (it said so), or the timer could not be set.
    bool AimAt(DateTime localMoment, int leadMs);
    bool AimAtTick(std::int32_t tick, int leadMs);
    void Cancel();
    // The clock was set or the time zone changed (WM_TIMECHANGE): the system keeps an absolute timer at its
    // UTC instant, which is right for a local moment only in the zone it was converted in, and no longer
    // right at all for a moment of the tick count. Both are aimed again.
    void ClockSet();

    HANDLE handle() const { return timer_.get(); }

    // The earliest instant (UTC ms since 1970) at which the machine's local clock shows `localMoment`.
    static std::int64_t UtcOfLocal(DateTime localMoment);

private:
    bool Aim();
    enum class Kind { Clock, Tick };
    struct Moment {
        Kind kind;
        DateTime local;
        std::int32_t tick;
        int leadMs;
    };
    std::optional<Moment> moment_;
    UniqueHandle timer_;  // made at the first aim
};

}  // namespace dida::win32
