#pragma once
// What the world outside the process knows the program by: the bar's caption, the window classes of its windows
// and of the tray icon, the tray icon's identifier and callback message, the private message of the queued
// close, the mark of the running copy and the message a second copy sends it. The end-to-end driver includes
// this header rather than copying the values.
#include <windows.h>

namespace dida::win32 {

inline constexpr UINT kUnloadMessage = 0x8065;
inline constexpr UINT kTrayCallbackMessage = 0x8064;
inline constexpr wchar_t kTrayWindowClass[] = L"DidaTrayWindow";
// The same at every start: Windows keeps the user's choice to show the icon by program and identifier.
inline constexpr UINT kTrayIconId = 1;
// Each window kind's class is this prefix and the window's name as its definition gives it ("Dida.秒表窗口").
inline constexpr wchar_t kFormClassPrefix[] = L"Dida.";
// The main window's caption as its definition gives it (the backend tests check that the two agree).
inline constexpr wchar_t kBarCaption[] = L"嘀嗒闹钟";
// Held by the running copy for its whole life, one per user session (the Local namespace).
inline constexpr wchar_t kSessionMarkName[] = L"Local\\DidaMiniClock";
// A second copy posts this registered message to the running copy's tray window: show your bar.
inline constexpr wchar_t kShowBarMessageName[] = L"DidaMiniClock.ShowBar";

}  // namespace dida::win32
