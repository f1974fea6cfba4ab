#include "platform/fatal.h"

namespace dida {

std::string FatalBoxText(const std::string& text) { return "运行时出错!\r\n\r\n错误信息：" + text + "\r\n"; }

void FatalError(const std::string& text) { throw FatalErrorRaised(text); }

}  // namespace dida
