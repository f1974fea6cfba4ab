#pragma once
#include <stdexcept>
#include <string>

namespace dida {

// The one way the program stops on its own: a misuse of the platform that the logic must never commit.
// The box text is "运行时出错!\r\n\r\n错误信息：" + text + "\r\n"; the backend shows it and exits with -1.
[[noreturn]] void FatalError(const std::string& text);

std::string FatalBoxText(const std::string& text);

// Installed by the backend at start. It must not return: the Windows one shows the box and exits the
// process, the simulated desktop throws FatalErrorRaised so that tests can assert the misuse.
using FatalHandler = void (*)(const std::string& boxText, const std::string& errorText);
void SetFatalHandler(FatalHandler handler);

struct FatalErrorRaised : std::runtime_error {
    explicit FatalErrorRaised(const std::string& errorText) : std::runtime_error(errorText) {}
};

inline constexpr const char* kErrNotLoaded = "未载入欲访问窗口组件所在的窗口";
inline constexpr const char* kErrNoSuchWindow = "指定窗口或窗口组件不存在或尚未载入";
inline constexpr const char* kErrRemainderByZero = "不能求余数于零";

}  // namespace dida
