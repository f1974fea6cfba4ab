#pragma once
// Where the system calls into the program (window, subclass and dialog procedures) no exception may cross
// back into it. One that got that far is stopped there and reported to the debugger, nothing written to disk;
// the one misuse the program stops for (FatalErrorRaised) shows its box there and ends the process.
#include <optional>

#include "platform/fatal.h"

namespace dida::win32 {

// Call only inside a catch block: reports the exception being handled and where it was stopped.
void ReportStoppedException(const wchar_t* where) noexcept;

// The box of the fatal error, then the exit code -1. Every place the logic is entered from the system ends
// here when the logic commits the misuse: the procedures below and the start of the program.
[[noreturn]] void StopForFatalError(const FatalErrorRaised& error) noexcept;

// A procedure's work for the system: `work` gives the answer, or nothing when the procedure is to answer as
// the system's default does, which `otherwise` gives. A handler that threw has done what it could: the
// procedure answers `otherwise` then too.
template <class Work, class Otherwise>
auto AtTheBoundary(const wchar_t* where, Work&& work, Otherwise&& otherwise) noexcept -> decltype(otherwise()) {
    try {
        if (const auto answer = work()) return *answer;
    } catch (const FatalErrorRaised& error) {
        StopForFatalError(error);
    } catch (...) {
        ReportStoppedException(where);
    }
    return otherwise();
}

}  // namespace dida::win32
