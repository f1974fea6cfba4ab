// The stored options back into the bar when the main window has been created, and the type list.
#include <optional>

#include "app/program.h"
#include "app/shell.h"
#include "platform/convert.h"
#include "platform/registry_path.h"
#include "reminder/actions.h"
#include "reminder/reminder.h"
#include "settings/settings.h"

namespace dida {
namespace {

bool FlagOn(Program& p, const char* path) { return p.desk.RegReadText(kCurrentUser, path, reg::kFlagDefault) == "1"; }

}  // namespace

std::string ProgramPath(Program& p) { return JoinProgramPath(p.desk.ProgramDirectory(), p.desk.ProgramFileName()); }

void StartupLoad(Program& p) {
    MainForm& m = p.main;

    FollowMovedProgram(p);
    m.随系统启动.Checked(StartsWithSystem(p));

    m.气泡提醒.Checked(FlagOn(p, reg::kBalloon));
    m.关机前30秒提醒.Checked(FlagOn(p, reg::kShutdownWarning));
    m.无操作时长鸣.Checked(FlagOn(p, reg::kLongRing));
    m.全屏时屏蔽ESC.Checked(FlagOn(p, reg::kFullScreenEsc));

    const bool muted = FlagOn(p, reg::kMute);
    m.软件静音运行.Checked(muted);
    ShowSpeaker(p, muted ? SpeakerLook::Muted : SpeakerLook::Sounding);

    m.标签闹铃时长.Caption(p.desk.RegReadText(kCurrentUser, reg::kRingSeconds, "180"));

    m.组合框类型.CurrentIndex(ToInteger(ToNumber(p.desk.RegReadText(kCurrentUser, reg::kDefaultKind, "0"))));
    组合框类型_SelChange(p);

    m.组合框声音.CurrentIndex(-1);
    p.desk.ProcessEvents();

    m.height(22);
    DockBar(p);

    m.标签1.Caption(DateTimeToText(p.desk.Now()));
}

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
