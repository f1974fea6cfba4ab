#pragma once
// The settings: where each option lives in the registry, the start-up load that turns the stored copy
// into the live state of the bar and its menu, the reminder-type list, and the option commands.
#include <string>

#include "reminder/stored.h"

namespace dida {
class Program;

namespace reg {
// Full paths (key and value name joined by the last backslash). Options live under the current user, the
// start-with-the-system entry under the local machine or, where that refuses, under the current user.
inline constexpr const char* kRunEntry = "Software\\Microsoft\\Windows\\CurrentVersion\\Run\\TORV";
// Where the startup list (Task Manager, Settings → Startup apps) keeps the user's switch for the Run entry of
// the same hive: a byte block whose first byte, when odd, says the entry is not run.
inline constexpr const char* kRunApproval =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run\\TORV";
inline constexpr const char* kBalloon = "Software\\TORV\\气球提示";
inline constexpr const char* kShutdownWarning = "Software\\TORV\\三十秒提醒";
inline constexpr const char* kLongRing = "Software\\TORV\\长鸣";
inline constexpr const char* kFullScreenEsc = "Software\\TORV\\全屏ESC";
inline constexpr const char* kMute = "Software\\TORV\\软件静音";
inline constexpr const char* kRingSeconds = "Software\\TORV\\闹铃时长";
// What every flag read falls back to: anything but "1" is off.
inline constexpr const char* kFlagDefault = "空";
// A read default no stored text can be: it tells an absent value from any stored one.
inline constexpr const char* kAbsent = "\x01";
}  // namespace reg

// The main window's created handler: every stored option back into the bar, nothing armed.
void StartupLoad(Program& p);

// The program's own path as the Run entry and the start-up comparison use it.
std::string ProgramPath(Program& p);

// Start with the system. Windows runs the entry of the machine and the user's own at logon, unless the user
// switched it off in the startup list.
bool StartsWithSystem(Program& p);
// An entry naming a program file that is no longer there (the program was moved and started from its new
// place) names this program again, in each hive where the program may write it.
void FollowMovedProgram(Program& p);
// Writes the entry to the first hive that takes it and lets it run there; true when Windows will run it.
bool TurnStartWithSystemOn(Program& p);
// Deletes the entry from both hives; false when one that Windows will still run could not be deleted.
bool TurnStartWithSystemOff(Program& p);

// Deletes an option's stored value; true also when there was none.
bool StoreOff(Program& p, RootKey root, const char* path);

// The options submenu.
void 随系统启动_Chosen(Program& p);
void 气泡提醒_Chosen(Program& p);
void 无操作时长鸣_Chosen(Program& p);
void 设置闹铃时长_Chosen(Program& p);
void 自定义闹铃音乐_Chosen(Program& p);
void 软件静音运行_Chosen(Program& p);
void 全屏时屏蔽ESC_Chosen(Program& p);
void 关机前30秒提醒_Chosen(Program& p);

}  // namespace dida
