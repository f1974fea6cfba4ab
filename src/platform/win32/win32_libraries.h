#pragma once
// System libraries that one feature alone needs are loaded at that feature's first use, so that start-up
// maps none of them: comdlg32 for the file dialog (under Wine it brings the printing and network stack
// along), GDI+ with ole32's memory stream for the stopwatch's animations, msacm32 for MP3 decoding,
// winmm for every sound (under Wine winmm itself brings msacm32 and ole32), powrprof for the suspend, and
// COM with its apartment for what a screen reader is told (win32_accessibility.h), which only an assistive
// program asks for.
// Each table is resolved whole or not at all. nullptr means the library or one of its entry points is
// missing: the feature goes without (no file chosen, no picture, no sound), the program goes on. The
// members carry the system's names. Libraries stay loaded for the rest of the process, so a table once
// obtained stays valid. Safe from any thread.
#include <windows.h>
#include <commdlg.h>
#include <mmsystem.h>
#include <mmreg.h>
#include <msacm.h>
#include <objidl.h>

#include <gdiplus.h>

namespace dida::win32 {

struct FileDialogApi {
    decltype(&::GetOpenFileNameW) GetOpenFileNameW;
    decltype(&::GetSaveFileNameW) GetSaveFileNameW;
};
const FileDialogApi* FileDialogLibrary();

struct GdiplusApi {
    decltype(&::CreateStreamOnHGlobal) CreateStreamOnHGlobal;  // ole32
    decltype(&Gdiplus::DllExports::GdipLoadImageFromStream) GdipLoadImageFromStream;
    decltype(&Gdiplus::DllExports::GdipDisposeImage) GdipDisposeImage;
    decltype(&Gdiplus::DllExports::GdipImageGetFrameDimensionsCount) GdipImageGetFrameDimensionsCount;
    decltype(&Gdiplus::DllExports::GdipImageGetFrameDimensionsList) GdipImageGetFrameDimensionsList;
    decltype(&Gdiplus::DllExports::GdipImageGetFrameCount) GdipImageGetFrameCount;
    decltype(&Gdiplus::DllExports::GdipGetPropertyItemSize) GdipGetPropertyItemSize;
    decltype(&Gdiplus::DllExports::GdipGetPropertyItem) GdipGetPropertyItem;
    decltype(&Gdiplus::DllExports::GdipImageSelectActiveFrame) GdipImageSelectActiveFrame;
    decltype(&Gdiplus::DllExports::GdipGetImageWidth) GdipGetImageWidth;
    decltype(&Gdiplus::DllExports::GdipGetImageHeight) GdipGetImageHeight;
    decltype(&Gdiplus::DllExports::GdipCreateFromHDC) GdipCreateFromHDC;
    decltype(&Gdiplus::DllExports::GdipDrawImageRectI) GdipDrawImageRectI;
    decltype(&Gdiplus::DllExports::GdipDeleteGraphics) GdipDeleteGraphics;
};
// Loaded and started at the first call.
const GdiplusApi* GdiplusLibrary();
// Ends GDI+ if it was started; every image must be gone. A later use starts it again.
void ShutdownGdiplus();

struct AcmApi {
    decltype(&::acmStreamOpen) acmStreamOpen;
    decltype(&::acmStreamClose) acmStreamClose;
    decltype(&::acmStreamSize) acmStreamSize;
    decltype(&::acmStreamPrepareHeader) acmStreamPrepareHeader;
    decltype(&::acmStreamUnprepareHeader) acmStreamUnprepareHeader;
    decltype(&::acmStreamConvert) acmStreamConvert;
};
const AcmApi* AcmLibrary();

struct WinmmApi {
    decltype(&::PlaySoundW) PlaySoundW;
    decltype(&::waveOutOpen) waveOutOpen;
    decltype(&::waveOutClose) waveOutClose;
    decltype(&::waveOutPrepareHeader) waveOutPrepareHeader;
    decltype(&::waveOutUnprepareHeader) waveOutUnprepareHeader;
    decltype(&::waveOutWrite) waveOutWrite;
    decltype(&::waveOutReset) waveOutReset;
    decltype(&::midiStreamOpen) midiStreamOpen;
    decltype(&::midiStreamClose) midiStreamClose;
    decltype(&::midiStreamOut) midiStreamOut;
    decltype(&::midiStreamProperty) midiStreamProperty;
    decltype(&::midiStreamRestart) midiStreamRestart;
    decltype(&::midiStreamStop) midiStreamStop;
    decltype(&::midiOutPrepareHeader) midiOutPrepareHeader;
    decltype(&::midiOutUnprepareHeader) midiOutUnprepareHeader;
    decltype(&::midiOutReset) midiOutReset;
};
const WinmmApi* WinmmLibrary();

// As powrprof.h declares them (a header without an include guard, so not included).
struct PowerApi {
    BOOLEAN(WINAPI* GetPwrCapabilities)(PSYSTEM_POWER_CAPABILITIES capabilities);
    BOOLEAN(WINAPI* SetSuspendState)(BOOLEAN hibernate, BOOLEAN force, BOOLEAN wakeUpEventsDisabled);
};
const PowerApi* PowerLibrary();

// COM for the accessibility annotations: the apartment of the window thread and the annotation object.
struct ComApi {
    decltype(&::CoInitializeEx) CoInitializeEx;
    decltype(&::CoCreateInstance) CoCreateInstance;
};
const ComApi* ComLibrary();

// For the tests: while `missing` is true, loading `file` (a name as above, e.g. L"gdiplus.dll") asks the
// system for a file of that kind that does not exist, as on a machine without it. Every table is looked
// up afresh after a change.
void SimulateMissingLibrary(const wchar_t* file, bool missing);

}  // namespace dida::win32
