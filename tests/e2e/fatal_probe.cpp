// Commits the one misuse the program stops for, with the real backend's handler installed: the
// fatal_error test checks the box it shows and the exit code.
#include "platform/fatal.h"
#include "platform/win32/win32_desktop.h"

int main() {
    dida::win32::InstallFatalHandler();
    dida::FatalError(dida::kErrNoSuchWindow);
    // Reaching this line is itself the failure the test looks for.
    return 3;
}
