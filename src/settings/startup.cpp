// The stored options back into the bar when the main window has been created.
#include "app/program.h"
#include "shell/shell.h"
#include "platform/convert.h"
#include "platform/registry_path.h"
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

}  // namespace dida
