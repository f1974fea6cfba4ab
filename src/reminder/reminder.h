#pragma once
// The reminder engine: arming from the action list, the watching timers, firing and ringing, the
// rest screen and the shutdown warning. Handlers take the program and read the state from the
// controls at the moment they need it.
#include <cstdint>
#include <optional>
#include <string>

namespace dida {
class Program;
class EditBox;

// "h小时m分s秒" of a non-negative millisecond count.
std::string RemainingTimeText(std::int32_t ms);

// Procedures shared by several handlers.
void HideInputs(Program& p);
void ShowInputs(Program& p);
void ResetFlashing(Program& p);
bool Muted(Program& p);
// The speaker button's looks, pictures, tip and whether it can be pressed set together: the sound can be
// heard and pressing stops it; muted, where it cannot be pressed; muting just taken off.
enum class SpeakerLook { Sounding, Muted, Unmuted };
void ShowSpeaker(Program& p, SpeakerLook look);
void Fire(Program& p);
// Every sound stops, and a ring waiting for an output device stops waiting.
void StopSound(Program& p);
void Balloon(Program& p);
void OpenShutdownWarning(Program& p);

// The kind list: fills the time fields for the kind and remembers it for the next start.
void 组合框类型_SelChange(Program& p);

// Arming and disarming.
void 时间框_Change(Program& p, EditBox& field);
void 时间框_DblClick(Program& p, EditBox& field);
void 组合框声音_SelChange(Program& p);
void 组合框声音_RightButtonUp(Program& p);
void 停止_Chosen(Program& p);
// What "停止" does: the action list cleared, then the disarm branch of the action-changed handler.
void ClearActionAndDisarm(Program& p);

// The watching timers and the flashing.
void 时钟倒计_Tick(Program& p);
void 时钟指定_Tick(Program& p);
void 时钟整点_Tick(Program& p);
void 时钟闪烁_Tick(Program& p);

// Ringing.
void 时钟监视变量_Tick(Program& p);
void 超级按钮开始_Click(Program& p);

// The rest screen.
void 时钟全屏_Tick(Program& p);
void 全屏窗口_Created(Program& p);
void 全屏窗口_SizeChanged(Program& p);
void 全屏窗口_Destroying(Program& p);
void 时钟更新文本_Tick(Program& p);

// The shutdown warning.
void 时钟三十秒_Tick(Program& p);
void 提醒窗口按钮1_Click(Program& p);

// The machine across sleep: the wake timer follows the one-time moment armed now (or is cancelled), the
// display is held on while a ring or the rest screen wants to be seen. Each call compares with what was
// asked before, so every handler that may change the armed moment or the ring can call them.
void FollowArmedMoment(Program& p);
void FollowRing(Program& p);
// A ring that wants to be heard begins (at the firing) or ends (by itself, by the user, by disarming).
void StartRinging(Program& p);
void StopRinging(Program& p);
// At exit: nothing armed any more, nothing held.
void 主窗口_Destroying(Program& p);

// A time field as the clock writes it: decimal digits without a leading zero, at most `max`.
std::optional<int> ClockField(const std::string& text, int max);
// Whole seconds since 1899-12-30 of a local date-time, for comparing clock moments.
std::int64_t LocalSeconds(double dateTime);
// Whether a moment that repeats every `period` seconds at `offset` seconds into the period lies in
// (previous, now], both in local seconds.
bool MomentPassed(std::int64_t previous, std::int64_t now, std::int64_t period, std::int64_t offset);

}  // namespace dida
