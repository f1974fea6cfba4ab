// Program entry on the real desktop.
#include <windows.h>

#include <cfloat>

#include "app/program.h"
#include "ui/renditions.h"
#include "platform/win32/win32_boundary.h"
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
    dida::win32::InitProgramLocation();
    dida::win32::GdiplusSession gdiplus;  // GDI+ starts with the first picture; this ends it

    dida::win32::Win32Desktop desk(&dida::DrawnForScale);
    dida::Program program(desk);
    desk.SetStartWindow(&program.main);
    // The logic entered from here rather than from a procedure: the start-up, and the keyboard rules of the
    // loop. Its fatal error shows its box while everything it names still stands.
    try {
        program.Start();
        // Runs until the main window is destroyed (its destruction posts the quit message).
        if (program.main.loaded()) desk.RunMessageLoop();
        // A stopwatch or warning window may still be open: it goes before the objects it shows.
        desk.DestroyAll();
    } catch (const dida::FatalErrorRaised& error) {
        dida::win32::StopForFatalError(error);
    }
    return 0;
}
