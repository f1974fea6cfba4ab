#pragma once
// Display scale. The component model keeps design pixels (the values the windows are defined with) at every
// scale; the backend turns them into device pixels by the DPI of the window they are on, rounded as the
// system rounds (MulDiv), and device pixels back into design ones the same way. The DPI functions of newer
// systems are looked up at run time, so the program still starts where they are missing.
#include <windows.h>

#include "platform/values.h"

namespace dida::win32 {

inline constexpr UINT kDesignDpi = 96;

// The per-monitor DPI messages (Windows 8.1 and 10): the headers for the oldest system this runs on lack
// the second, so both are named here, once.
inline constexpr UINT kDpiChanged = 0x02E0;        // WM_DPICHANGED
inline constexpr UINT kGetDpiScaledSize = 0x02E4;  // WM_GETDPISCALEDSIZE

inline int ToDevice(int design, UINT dpi) { return MulDiv(design, static_cast<int>(dpi), kDesignDpi); }
inline int ToDesign(int device, UINT dpi) { return MulDiv(device, kDesignDpi, static_cast<int>(dpi)); }
Rect ToDevice(const Rect& design, UINT dpi);
Rect ToDesign(const Rect& device, UINT dpi);

// The system DPI: what the process was started with (the primary monitor's scale at sign-in).
UINT SystemDpi();
// The DPI of the monitor a window is on; the system DPI where the system cannot tell.
UINT WindowDpi(HWND window);
// The primary monitor's DPI now: the scale of the screen the bar docks on and of the notification area.
UINT PrimaryDpi();
// A system metric (icon sizes) as it is at that DPI.
int MetricForDpi(int index, UINT dpi);
// The default GUI font's description at that DPI.
LOGFONTW DefaultGuiFontFor(UINT dpi);

}  // namespace dida::win32
