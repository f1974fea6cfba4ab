#include "reminder/actions.h"

#include "app/program.h"
#include "ui/media/media.h"

namespace dida {
namespace {

// Waking the machine to suspend it again or to darken its screen helps nobody; a shutdown it stays up for.
// A system action run late would hit a user who has just come back to the machine.
// One row an action reads better than one line a field.
// clang-format off
const Action kActions[] = {
    {.item = "嘀嗒叫", .sound = &media::kBuiltinSound1, .code = "0", .madeUpLate = true, .wakesTheMachine = true, .rings = true},
    {.item = "布谷鸟", .sound = &media::kBuiltinSound2, .code = "1", .madeUpLate = true, .wakesTheMachine = true, .rings = true},
    {.item = "风铃响", .sound = &media::kBuiltinSound3, .code = "2", .madeUpLate = true, .wakesTheMachine = true, .rings = true},
    {.item = "音乐…", .code = "3", .needsFile = true, .madeUpLate = true, .wakesTheMachine = true, .rings = true},
    {.item = "全屏", .code = "5", .restScreen = true, .madeUpLate = true, .wakesTheMachine = true},
    {.item = "关机", .code = "7", .system = SystemCall::PowerOff, .wakesTheMachine = true},
    {.item = "休眠", .code = "8", .system = SystemCall::Suspend},
    {.item = "关屏", .code = "9", .system = SystemCall::MonitorOff},
};
// clang-format on

}  // namespace

const Action* FindAction(std::string_view item) {
    for (const Action& a : kActions)
        if (item == a.item) return &a;
    return nullptr;
}

const Action* SelectedAction(Program& p) { return FindAction(p.main.组合框声音.Content()); }

std::optional<ReminderKind> SelectedKind(Program& p) {
    const int index = p.main.组合框类型.CurrentIndex();
    if (index < 0 || index > static_cast<int>(ReminderKind::Hourly)) return std::nullopt;
    return static_cast<ReminderKind>(index);
}

}  // namespace dida
