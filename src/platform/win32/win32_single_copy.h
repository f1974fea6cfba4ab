#pragma once
// One copy of the program a user session. The first copy holds a named mark for its whole life; a copy
// started while it runs shows the running copy's bar instead of making a second bar and a second icon,
// which would ring beneath the first with no visible way to stop them.
#include <windows.h>

#include "platform/win32/win32_handle.h"
#include "platform/win32/win32_names.h"

namespace dida::win32 {

class SessionMark {
public:
    // Takes the mark, or finds it held. The system closes the handle when the process ends, even when it is
    // killed, so a copy started after that runs normally.
    explicit SessionMark(const wchar_t* name = kSessionMarkName);
    SessionMark(const SessionMark&) = delete;
    SessionMark& operator=(const SessionMark&) = delete;
    bool heldByAnother() const { return heldByAnother_; }

private:
    UniqueHandle handle_;
    bool heldByAnother_ = false;
};

// The registered message a second copy posts to the running copy's tray window: show the bar.
UINT ShowBarMessage();

// From a second copy: finds the running copy's tray window (waiting up to waitMs while that copy is still
// starting), lets its process take the foreground and posts it ShowBarMessage. False when none came.
bool AskRunningCopyToShow(DWORD waitMs);

}  // namespace dida::win32
