#pragma once
// What a screen reader is told about a control where the system's standard accessibility proxy would tell it
// otherwise: the name of a field or a list (the proxy takes a label before it in the window's order), the
// role of a button drawn by the program or of a picture, a storage label kept out of view, the status label
// as a live region. Told through Dynamic Annotation (IAccPropServices), the documented way for standard
// controls; everything else a reader asks comes from the proxy itself.
#include <windows.h>
#include <oleacc.h>

#include <optional>
#include <string>

namespace dida::win32 {

// UI Automation's LiveSetting property (uiautomationclient.h), annotated like the MSAA properties.
extern const GUID kLiveSettingProperty;
inline constexpr int kLiveAssertive = 2;  // LiveSetting: Off 0, Polite 1, Assertive 2
// EVENT_OBJECT_LIVEREGIONCHANGED, from Windows 8 on (the headers give it only to programs that require it).
inline constexpr DWORD kEventLiveRegionChanged = 0x8019;

// The properties of one control that differ from the proxy's; an empty one is the proxy's own.
struct Annotation {
    std::optional<std::wstring> name;
    std::optional<LONG> role;   // ROLE_SYSTEM_…
    std::optional<LONG> state;  // STATE_SYSTEM_…
    std::optional<int> liveSetting;
};

// The default entry of the system-call table: the annotation object of oleacc, made through COM on the
// calling thread (its apartment entered once). ole32 is loaded at the first call.
HRESULT WINAPI CreateAccPropServicesThroughCom(IAccPropServices** services);

// Gives `hwnd` (its client object) exactly the annotated properties of `a`, clearing the others.
void Annotate(IAccPropServices& services, HWND hwnd, const Annotation& a);
// Takes every annotation off `hwnd`, before the window goes.
void ClearAnnotation(IAccPropServices& services, HWND hwnd);

// Tells assistive programs that the live region `hwnd` has something to say: they read its name.
void RaiseLiveRegionChanged(HWND hwnd);

}  // namespace dida::win32
