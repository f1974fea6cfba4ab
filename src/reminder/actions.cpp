#include "reminder/actions.h"

#include "app/program.h"
#include "ui/media/media.h"

namespace dida {
namespace {

// Waking the machine to suspend it again or to darken its screen helps nobody; a shutdown it stays up for.
// A system action run late would hit a user who has just come back to the machine.
const Action kActions[] = {
    {"嘀嗒叫", &media::kBuiltinSound1, "0", SystemCall::None, false, false, true, true, true},
    {"布谷鸟", &media::kBuiltinSound2, "1", SystemCall::None, false, false, true, true, true},
    {"风铃响", &media::kBuiltinSound3, "2", SystemCall::None, false, false, true, true, true},
    {"音乐…", nullptr, "3", SystemCall::None, true, false, true, true, true},
    {"全屏", nullptr, "5", SystemCall::None, false, true, true, true, false},
    {"关机", nullptr, "7", SystemCall::PowerOff, false, false, false, true, false},
    {"休眠", nullptr, "8", SystemCall::Suspend, false, false, false, false, false},
    {"关屏", nullptr, "9", SystemCall::MonitorOff, false, false, false, false, false},
};

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
