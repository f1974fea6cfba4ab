#pragma once
// The registry and the system services of the real desktop, on the W entry points. Texts are UTF-8 here
// and UTF-16 only inside the functions. Every failure comes back as a result, never as an exception.
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/desktop_types.h"
#include "platform/values.h"

namespace dida::win32 {

// Hive codes 1 classes root, 2 current config, 3 current user, 4 local machine, 5 users; any other
// code is the current user.
HKEY HiveOf(RootKey root);

// REG_SZ as stored, REG_EXPAND_SZ with its %NAME% references expanded; a missing key or value and
// every other type give def.
std::string RegReadText(RootKey root, const std::string& fullPath, const std::string& def = "");

// The key is created with every missing parent. A text is REG_SZ with its terminating zero, a number
// REG_DWORD, a byte block REG_BINARY.
bool RegWrite(RootKey root, const std::string& fullPath, const std::string& text);
bool RegWrite(RootKey root, const std::string& fullPath, std::int32_t number);
bool RegWrite(RootKey root, const std::string& fullPath, const std::vector<std::uint8_t>& bytes);

// Deletes the named value; when there is none, the whole path as a key without sub-keys.
bool RegDelete(RootKey root, const std::string& fullPath);

// REG_BINARY as stored; nothing for a missing key or value and for every other type.
std::optional<std::vector<std::uint8_t>> RegReadBytes(RootKey root, const std::string& fullPath);

struct ProgramLocation {
    std::string directory;  // without a trailing backslash
    std::string fileName;
};
// Where the running executable is; taken once, the first time it is asked for.
const ProgramLocation& GetProgramLocation();
// At start: fixes the location and makes its directory the current one.
void InitProgramLocation();

// The primary screen in design pixels.
int ScreenWidth();
int ScreenHeight();
// The primary monitor's work area (the screen less the taskbar and docked toolbars) in design pixels.
Rect WorkArea();

// True when a directory search finds anything: files, directories, wildcard matches.
bool FileExists(const std::string& path);

// The capabilities' Modern Standby flag (S0 low-power idle): AoAc in Microsoft's headers; older MinGW headers
// keep the same byte as the last of spare2, after Hiberboot and WakeAlarmPresent.
template <class Capabilities = SYSTEM_POWER_CAPABILITIES>
BOOLEAN& AoAcOf(Capabilities& c) {
    if constexpr (requires { c.AoAc; })
        return c.AoAc;
    else
        return c.spare2[2];
}

// 1 power off, 2 restart, 3 log off, 4 suspend, 5 hibernate; any other mode gives false. With force, the
// programs that do not answer are ended; none is closed without being asked. `own` is the program's window,
// through which a Modern Standby machine's suspend turns the display off. False when the system refused:
// nothing else has changed then.
bool ShutdownSystem(int mode, bool force = false, HWND own = nullptr);

// The display off, through the program's own window.
void TurnOffMonitor(HWND own);

}  // namespace dida::win32
