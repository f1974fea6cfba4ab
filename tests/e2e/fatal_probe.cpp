// Commits the one misuse the program stops for inside a procedure's boundary, as a handler of the real
// program would: the fatal_error test checks the box it shows and the exit code.
#include <optional>

#include "platform/fatal.h"
#include "platform/win32/win32_boundary.h"

int main() {
    return dida::win32::AtTheBoundary(
        L"probe", []() -> std::optional<int> { dida::FatalError(dida::kErrNoSuchWindow); },
        // Reaching either answer is itself the failure the test looks for.
        [] { return 3; });
}
