// The kind list: the time fields filled for the kind, and the kind remembered for the next start.
#include <optional>

#include "app/program.h"
#include "platform/convert.h"
#include "reminder/actions.h"
#include "reminder/reminder.h"
#include "reminder/stored.h"

namespace dida {

// Each field write runs that field's content-changed handler, which also takes back the action.
void 组合框类型_SelChange(Program& p) {
    MainForm& m = p.main;
    // Each field write runs that field's content-changed handler, exactly as typing would.
    const std::optional<ReminderKind> kind = SelectedKind(p);
    if (!kind) return;
    auto fill = [&](const std::string& h, const std::string& mi, const std::string& s) {
        m.时1.Content(h);
        m.分1.Content(mi);
        m.秒1.Content(s);
        ShowInputs(p);
        p.desk.RegWrite(kCurrentUser, reg::kDefaultKind, ToText(static_cast<int>(*kind)));
    };
    switch (*kind) {
    case ReminderKind::Countdown: fill("0", "30", "0"); break;
    case ReminderKind::SetTime: {
        m.标签2.visible(false);
        // A minute from now; at minute 59 that is the start of the next hour.
        const DateTime now = p.desk.Now();
        int hour = HourOf(now);
        int minute = MinuteOf(now) + 1;
        if (minute == 60) {
            minute = 0;
            hour = (hour + 1) % 24;
        }
        fill(ToText(hour), ToText(minute), "0");
        break;
    }
    case ReminderKind::Hourly:
        m.标签2.Caption("");
        fill("0", "0", "0");
        break;
    }
}

}  // namespace dida
