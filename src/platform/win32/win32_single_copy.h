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
    // Takes the mark, or finds it held. The mark is owned by the thread that took it; the system gives it up
    // when that process ends, even when it is killed, so a copy started after that runs normally.
    explicit SessionMark(const wchar_t* name = kSessionMarkName);
    ~SessionMark();
    SessionMark(const SessionMark&) = delete;
    SessionMark& operator=(const SessionMark&) = delete;
    bool heldByAnother() const { return heldByAnother_; }
    // Found held: true, and this copy holds it from now on, when its holder has ended meanwhile (a copy that
    // was still on its way out when this one started).
    bool TakeOverFromAnEndedHolder();

private:
    UniqueHandle handle_;
    bool heldByAnother_ = false;
    bool owned_ = false;
};

// The registered message a second copy posts to the running copy's tray window: show the bar.
UINT ShowBarMessage();

enum class SecondStart {
    Shown,       // the running copy was asked to show its bar: this copy ends
    RunInstead,  // the holder ended meanwhile: this copy holds the mark and runs
    NoAnswer,    // no window of the running copy came within the wait
};

// From a second copy: finds the running copy's tray window (waiting up to waitMs while that copy is still
// starting), lets its process take the foreground and posts it ShowBarMessage — unless, while it waits, the
// holder of the mark ends: a copy quit just before this one started must not leave the user with none.
SecondStart AskRunningCopyToShow(SessionMark& mark, DWORD waitMs);

}  // namespace dida::win32
