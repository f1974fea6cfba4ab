#pragma once
// Where the system calls into the program (window, subclass and dialog procedures) no exception may cross
// back into it. One that got that far is stopped there and reported to the debugger, nothing written to disk.
namespace dida::win32 {

// Call only inside a catch block: reports the exception being handled and where it was stopped.
void ReportStoppedException(const wchar_t* where) noexcept;

}  // namespace dida::win32
