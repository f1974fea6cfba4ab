// The options submenu: each command changes the live state at once and the stored copy with it.
#include "app/program.h"
#include "reminder/reminder.h"
#include "settings/settings.h"

namespace dida {
namespace {

// The stored copy goes first; a switch whose copy could not be changed keeps its old state, so the
// check mark never shows what the next start will not find.
bool StoreOn(Program& p, RootKey root, const char* path, const std::string& text) {
    return p.desk.RegWrite(root, path, text);
}

// The plain switches: nothing changes but the stored flag and the check mark.
void ToggleFlag(Program& p, MenuItem& item, const char* path) {
    if (!item.Checked()) {
        if (StoreOn(p, kCurrentUser, path, "1")) item.Checked(true);
    } else {
        if (StoreOff(p, kCurrentUser, path)) item.Checked(false);
    }
}

}  // namespace

bool StoreOff(Program& p, RootKey root, const char* path) {
    if (p.desk.RegDelete(root, path)) return true;
    // Deleting what is already gone is no failure.
    return p.desk.RegReadText(root, path, reg::kAbsent) == reg::kAbsent;
}

// The check mark shows what the next logon will do. An entry that cannot be deleted is one an elevated run
// made for every user of the machine: only such a run can take it away, and the user is told so.
void 随系统启动_Chosen(Program& p) {
    MenuItem& item = p.main.随系统启动;
    if (!item.Checked()) {
        item.Checked(TurnStartWithSystemOn(p));
    } else if (TurnStartWithSystemOff(p)) {
        item.Checked(false);
    } else {
        item.Checked(true);
        p.desk.ShowMessage("开机启动项是以管理员身份为本机所有用户设置的，请以管理员身份运行本软件后再取消！",
                           kOkExclamation, "重要提示：");
    }
}

void 气泡提醒_Chosen(Program& p) { ToggleFlag(p, p.main.气泡提醒, reg::kBalloon); }

void 无操作时长鸣_Chosen(Program& p) {
    MainForm& m = p.main;
    if (!m.无操作时长鸣.Checked()) {
        if (!StoreOn(p, kCurrentUser, reg::kLongRing, "1")) return;
        m.无操作时长鸣.Checked(true);
        m.设置闹铃时长.Disabled(true);
    } else {
        if (!StoreOff(p, kCurrentUser, reg::kLongRing)) return;
        m.无操作时长鸣.Checked(false);
        m.设置闹铃时长.Disabled(false);
    }
}

// A cancelled box changes nothing: the duration and its stored copy stay as they were.
void 设置闹铃时长_Chosen(Program& p) {
    MainForm& m = p.main;
    const std::string current = m.标签闹铃时长.Caption();
    std::string entry;
    if (p.desk.InputBox("请输入闹铃的时长，单位为“秒”", "输入时间：", current, InputTarget::Of(entry), 2)) {
        m.标签闹铃时长.Caption(entry);
        p.desk.RegWrite(kCurrentUser, reg::kRingSeconds, entry);
    }
    p.desk.ProcessEvents();
}

// A cancelled dialog changes nothing: nothing is played and the stored music stays.
void 自定义闹铃音乐_Chosen(Program& p) {
    if (!p.desk.OpenDialog(p.main.通用对话框1)) return;
    p.vars.mp3FileName = p.main.通用对话框1.FileName();
    // One sound at a time: the music just chosen is heard alone.
    p.desk.StopAudio();
    p.desk.PlayMp3(1, {p.vars.mp3FileName});
    p.desk.RegWrite(kCurrentUser, reg::kMusicPath, p.vars.mp3FileName);
}

// Muting only keeps later sounds from starting; a sound already ringing rings on.
void 软件静音运行_Chosen(Program& p) {
    MainForm& m = p.main;
    if (!m.软件静音运行.Checked()) {
        if (!StoreOn(p, kCurrentUser, reg::kMute, "1")) return;
        ShowSpeaker(p, SpeakerLook::Muted);
        m.软件静音运行.Checked(true);
    } else {
        if (!StoreOff(p, kCurrentUser, reg::kMute)) return;
        ShowSpeaker(p, SpeakerLook::Unmuted);
        m.软件静音运行.Checked(false);
    }
}

void 全屏时屏蔽ESC_Chosen(Program& p) { ToggleFlag(p, p.main.全屏时屏蔽ESC, reg::kFullScreenEsc); }

void 关机前30秒提醒_Chosen(Program& p) { ToggleFlag(p, p.main.关机前30秒提醒, reg::kShutdownWarning); }

}  // namespace dida
