#pragma once
// What the world outside the process knows the program by: the bar's caption, the tray icon's window class
// and callback message, the private message of the queued close. The end-to-end driver includes this
// header rather than copying the values.
#include <windows.h>

namespace dida::win32 {

inline constexpr UINT kUnloadMessage = 0x8065;
inline constexpr UINT kTrayCallbackMessage = 0x8064;
inline constexpr wchar_t kTrayWindowClass[] = L"DidaTrayWindow";
// The main window's caption as its definition gives it (the backend tests check that the two agree).
inline constexpr wchar_t kBarCaption[] = L"嘀嗒闹钟";

}  // namespace dida::win32
