// The Timer peer.
#include "platform/win32/win32_peers.h"

#include <algorithm>
#include <cstdint>
#include <optional>

#include "platform/clock_timer.h"
#include "platform/win32/win32_form_host.h"

namespace dida::win32 {
namespace {

// The system clock as a clock-aligned timer reads it: the same clock GetLocalTime, and so Now(), shows.
std::int64_t WallClockMs() {
    FILETIME ft;
    GetSystemTimeAsFileTime(&ft);
    const std::int64_t hundredNs = (static_cast<std::int64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
    return (hundredNs - 116444736000000000LL) / 10000;
}

// A window timer and the handler's clock do not tick together: a few ms past the second the handler
// surely reads the new one.
constexpr int kClockTimerSlackMs = 3;

// A window timer on the form, under the control's id. The model has already dropped writes of the
// value it holds, so every change here restarts the period. A clock-aligned one is re-armed at each
// expiry for what is left to the clock's next second.
class TimerPeer : public ControlPeer {
public:
    TimerPeer(FormHost& h, Timer& t, int id) : ControlPeer(h, t, id), timer_(t) {}
    void Create() override { Start(); }
    void Changed(Prop p) override {
        if (p == Prop::Interval) Start();
    }
    void Release() override { KillTimer(host_.hwnd(), static_cast<UINT_PTR>(id_)); }
    bool TakesFocus() const override { return false; }
    void OnTimer() override {
        if (clock_ && timer_.RawInterval() > 0) {
            const ClockTimerSchedule::Step step = clock_->Arrived(WallClockMs());
            Arm(step.waitMs);
            if (!step.due) return;
        }
        timer_.Expired();
    }
    void OnClockSet() override {
        if (clock_ && timer_.RawInterval() > 0) Arm(clock_->ClockSet(WallClockMs()));
    }

private:
    void Start() {
        KillTimer(host_.hwnd(), static_cast<UINT_PTR>(id_));
        clock_.reset();
        const int interval = timer_.RawInterval();
        if (interval <= 0) return;
        if (!timer_.clockAligned()) {
            SetTimer(host_.hwnd(), static_cast<UINT_PTR>(id_), static_cast<UINT>(interval), nullptr);
            return;
        }
        clock_.emplace(interval, kClockTimerSlackMs);
        Arm(clock_->Start(WallClockMs()));
    }
    void Arm(std::int64_t waitMs) {
        SetTimer(host_.hwnd(), static_cast<UINT_PTR>(id_), static_cast<UINT>(std::max<std::int64_t>(waitMs, 0)),
                 nullptr);
    }
    Timer& timer_;
    std::optional<ClockTimerSchedule> clock_;
};

}  // namespace

std::unique_ptr<ControlPeer> MakeTimerPeer(FormHost& host, Component& c, int id) {
    return std::make_unique<TimerPeer>(host, static_cast<Timer&>(c), id);
}

}  // namespace dida::win32
