#include "platform/win32/win32_dpi.h"

namespace dida::win32 {
namespace {

// Windows 10 1607 and later (user32), Windows 8.1 and later (shcore).
using GetDpiForSystemFn = UINT(WINAPI*)();
using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);
using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
constexpr int kEffectiveDpi = 0;  // MDT_EFFECTIVE_DPI

template <class Fn>
Fn Lookup(const wchar_t* module, const char* name) {
    HMODULE m = GetModuleHandleW(module);
    // shell32, which the program links, has already brought shcore wherever it exists.
    return m ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(m, name))) : nullptr;
}

UINT ScreenLogPixels() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : kDesignDpi;
}

}  // namespace

Rect ToDevice(const Rect& design, UINT dpi) {
    return {ToDevice(design.x, dpi), ToDevice(design.y, dpi), ToDevice(design.w, dpi), ToDevice(design.h, dpi)};
}

Rect ToDesign(const Rect& device, UINT dpi) {
    return {ToDesign(device.x, dpi), ToDesign(device.y, dpi), ToDesign(device.w, dpi), ToDesign(device.h, dpi)};
}

UINT SystemDpi() {
    static const auto fn = Lookup<GetDpiForSystemFn>(L"user32.dll", "GetDpiForSystem");
    const UINT dpi = fn ? fn() : 0;
    return dpi ? dpi : ScreenLogPixels();
}

UINT WindowDpi(HWND window) {
    static const auto fn = Lookup<GetDpiForWindowFn>(L"user32.dll", "GetDpiForWindow");
    const UINT dpi = fn && window ? fn(window) : 0;
    return dpi ? dpi : SystemDpi();
}

UINT PrimaryDpi() {
    static const auto fn = Lookup<GetDpiForMonitorFn>(L"shcore.dll", "GetDpiForMonitor");
    UINT x = 0, y = 0;
    if (fn && fn(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), kEffectiveDpi, &x, &y) == S_OK && y) return y;
    return SystemDpi();
}

int MetricForDpi(int index, UINT dpi) {
    static const auto fn = Lookup<GetSystemMetricsForDpiFn>(L"user32.dll", "GetSystemMetricsForDpi");
    if (fn) return fn(index, dpi);
    return MulDiv(GetSystemMetrics(index), static_cast<int>(dpi), static_cast<int>(SystemDpi()));
}

LOGFONTW DefaultGuiFontFor(UINT dpi) {
    // The stock font is made for the system DPI.
    LOGFONTW lf{};
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof lf, &lf);
    lf.lfHeight = MulDiv(lf.lfHeight, static_cast<int>(dpi), static_cast<int>(SystemDpi()));
    return lf;
}

}  // namespace dida::win32
