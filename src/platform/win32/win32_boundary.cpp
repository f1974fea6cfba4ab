#include "platform/win32/win32_boundary.h"

#include <windows.h>

#include <exception>
#include <string>

#include "platform/win32/win32_text.h"

namespace dida::win32 {

void ReportStoppedException(const wchar_t* where) noexcept {
    try {
        std::wstring what;
        try {
            throw;
        } catch (const std::exception& e) {
            what = Wide(e.what());
        } catch (...) {
            what = L"not a std::exception";
        }
        const std::wstring line =
            L"DidaMiniClock: exception stopped in the " + std::wstring(where) + L": " + what + L"\n";
        OutputDebugStringW(line.c_str());
    } catch (...) {
        OutputDebugStringW(L"DidaMiniClock: exception stopped (no memory left to describe it)\n");
    }
}

void StopForFatalError(const FatalErrorRaised& error) noexcept {
    try {
        MessageBoxW(nullptr, Wide(FatalBoxText(error.what())).c_str(), L"", MB_OK);
    } catch (...) {
        // No memory left for the text: the exit code still tells.
    }
    ExitProcess(static_cast<UINT>(-1));
}

}  // namespace dida::win32
