#pragma once
// The few system calls whose answer differs between Wine and Windows 10/11 for a standard user. The backend
// makes them through this table, so a Windows test under Wine can put a stand-in in an entry that answers as
// Windows documents it does (a machine-wide key that refuses an unelevated writer, a refused foreground, a
// tray that times out), and the backend's own code meets that answer. The entries hold the real calls unless
// a test says otherwise; the members carry the system's names.
#include <windows.h>
#include <shellapi.h>

namespace dida::win32 {

struct SystemCalls {
    decltype(&::RegOpenKeyExW) RegOpenKeyExW = ::RegOpenKeyExW;
    decltype(&::RegCreateKeyExW) RegCreateKeyExW = ::RegCreateKeyExW;
    decltype(&::RegDeleteKeyW) RegDeleteKeyW = ::RegDeleteKeyW;
    decltype(&::Shell_NotifyIconW) Shell_NotifyIconW = ::Shell_NotifyIconW;
    decltype(&::SetForegroundWindow) SetForegroundWindow = ::SetForegroundWindow;
    decltype(&::CreateMutexW) CreateMutexW = ::CreateMutexW;
};

// The table the backend calls through; one for the process, used from the GUI thread.
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
