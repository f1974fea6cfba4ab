#include "platform/win32/win32_system_calls.h"

namespace dida::win32 {

SystemCalls& Sys() {
    static SystemCalls calls;
    return calls;
}

}  // namespace dida::win32
