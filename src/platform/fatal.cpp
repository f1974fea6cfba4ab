#include "platform/fatal.h"

#include <cstdlib>

namespace dida {
namespace {
FatalHandler g_handler = nullptr;
}

std::string FatalBoxText(const std::string& text) { return "运行时出错!\r\n\r\n错误信息：" + text + "\r\n"; }

void SetFatalHandler(FatalHandler handler) { g_handler = handler; }

void FatalError(const std::string& text) {
    if (g_handler) g_handler(FatalBoxText(text), text);
    // No backend installed (a tool or a test without a desktop): still never return into the logic.
    throw FatalErrorRaised(text);
}

}  // namespace dida
