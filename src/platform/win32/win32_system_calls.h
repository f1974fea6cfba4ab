#pragma once
// The few system calls whose answer differs between Wine and Windows 10/11 for a standard user. The backend
// makes them through this table, so a Windows test under Wine can put a stand-in in an entry that answers as
// Windows documents it does (a machine-wide key that refuses an unelevated writer, a refused foreground, a
// tray that times out), and the backend's own code meets that answer. The entries hold the real calls unless
// a test says otherwise; the members carry the system's names.
#include <windows.h>
#include <mmsystem.h>
#include <shellapi.h>

#include "platform/win32/win32_accessibility.h"

namespace dida::win32 {

// winmm is loaded at the first sound (win32_libraries.h): the entry's default opens through the library
// loaded there, and answers MMSYSERR_NODRIVER, as a machine without a device driver does, where it cannot load.
MMRESULT WINAPI WaveOutOpenThroughLibrary(LPHWAVEOUT device, UINT id, LPCWAVEFORMATEX format, DWORD_PTR callback,
                                          DWORD_PTR instance, DWORD flags);
// The defaults of the power entries: powrprof's own functions, the library loaded at the first call.
BOOLEAN WINAPI GetPwrCapabilitiesThroughLibrary(PSYSTEM_POWER_CAPABILITIES capabilities);
BOOLEAN WINAPI SetSuspendStateThroughLibrary(BOOLEAN hibernate, BOOLEAN force, BOOLEAN wakeUpEventsDisabled);

struct SystemCalls {
    decltype(&::RegOpenKeyExW) RegOpenKeyExW = ::RegOpenKeyExW;
    decltype(&::RegCreateKeyExW) RegCreateKeyExW = ::RegCreateKeyExW;
    decltype(&::RegDeleteKeyW) RegDeleteKeyW = ::RegDeleteKeyW;
    decltype(&::Shell_NotifyIconW) Shell_NotifyIconW = ::Shell_NotifyIconW;
    decltype(&::SetForegroundWindow) SetForegroundWindow = ::SetForegroundWindow;
    decltype(&::CreateMutexW) CreateMutexW = ::CreateMutexW;
    // No output device (HDMI sound with the monitor asleep, a headset unplugged), a machine up for 50 days.
    decltype(&::waveOutOpen) waveOutOpen = WaveOutOpenThroughLibrary;
    decltype(&::GetTickCount64) GetTickCount64 = ::GetTickCount64;
    // Waking the machine and keeping it up; the machine's time zone.
    decltype(&::SetWaitableTimer) SetWaitableTimer = ::SetWaitableTimer;
    decltype(&::SystemTimeToTzSpecificLocalTime) SystemTimeToTzSpecificLocalTime = ::SystemTimeToTzSpecificLocalTime;
    decltype(&::SetThreadExecutionState) SetThreadExecutionState = ::SetThreadExecutionState;
    // The tray window lets "TaskbarCreated" through to an elevated copy.
    decltype(&::ChangeWindowMessageFilterEx) ChangeWindowMessageFilterEx = ::ChangeWindowMessageFilterEx;
    // Power: powrprof's two are loaded at the first use (win32_libraries.h) and fail without the library.
    decltype(&::ExitWindowsEx) ExitWindowsEx = ::ExitWindowsEx;
    decltype(&GetPwrCapabilitiesThroughLibrary) GetPwrCapabilities = GetPwrCapabilitiesThroughLibrary;
    decltype(&SetSuspendStateThroughLibrary) SetSuspendState = SetSuspendStateThroughLibrary;
    // The high-contrast setting and the colours of its theme: Wine cannot turn high contrast on.
    decltype(&::SystemParametersInfoW) SystemParametersInfoW = ::SystemParametersInfoW;
    decltype(&::GetSysColor) GetSysColor = ::GetSysColor;
    // Dynamic Annotation: oleacc's object (Wine's answers E_NOTIMPL to every annotation).
    decltype(&CreateAccPropServicesThroughCom) CreateAccPropServices = CreateAccPropServicesThroughCom;
};

// The table the backend calls through; one for the process. Sound opens its devices from worker threads too,
// so a test changes an entry only while nothing makes that call.
SystemCalls& Sys();

// A test's stand-in for one entry, for the test's scope: the entry holds the call it held before again
// afterwards, whatever road leaves the scope.
template <class F>
class StandIn {
public:
    StandIn(F& entry, F standIn) : entry_(entry), saved_(entry) { entry_ = standIn; }
    StandIn(const StandIn&) = delete;
    StandIn& operator=(const StandIn&) = delete;
    ~StandIn() { entry_ = saved_; }

private:
    F& entry_;
    F saved_;
};

}  // namespace dida::win32
