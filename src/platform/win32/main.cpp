// Program entry on the real desktop.
#include <windows.h>
#include <commctrl.h>

#include <cfloat>

#include "app/program.h"
#include "platform/win32/win32_desktop.h"
#include "platform/win32/win32_form_host.h"
#include "platform/win32/win32_services.h"
#include "platform/win32/win32_single_copy.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    _fpreset();  // the default floating-point control word, whatever a loaded DLL left behind
    // Held until the process ends. A second start makes no window, icon or registry write of its own.
    dida::win32::SessionMark mark;
    if (mark.heldByAnother() && dida::win32::AskRunningCopyToShow(mark, 5000) != dida::win32::SecondStart::RunInstead)
        return 0;
    dida::win32::InstallFatalHandler();
    dida::win32::InitProgramLocation();
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    dida::win32::GdiplusSession gdiplus;  // GDI+ starts with the first picture; this ends it

    dida::win32::Win32Desktop desk;
    dida::Program program(desk);
    desk.SetStartWindow(&program.main);
    program.Start();
    // Runs until the main window is destroyed (its destruction posts the quit message).
    if (program.main.loaded()) desk.RunMessageLoop();
    // A stopwatch or warning window may still be open: it goes before the objects it shows.
    desk.DestroyAll();
    return 0;
}
