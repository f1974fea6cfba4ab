#pragma once
#include <stdexcept>
#include <string>

namespace dida {

// The one way the program stops on its own: a misuse of the platform that the logic must never commit.
// It throws FatalErrorRaised, which nothing in the logic catches: the Windows backend meets it where the
// system called in and shows the box FatalBoxText gives, then exits with -1; on the simulated desktop it
// reaches the test, which asserts the misuse.
[[noreturn]] void FatalError(const std::string& text);

// "运行时出错!\r\n\r\n错误信息：" + text + "\r\n"
std::string FatalBoxText(const std::string& text);

struct FatalErrorRaised : std::runtime_error {
    explicit FatalErrorRaised(const std::string& errorText) : std::runtime_error(errorText) {}
};

inline constexpr const char* kErrNotLoaded = "未载入欲访问窗口组件所在的窗口";
inline constexpr const char* kErrNoSuchWindow = "指定窗口或窗口组件不存在或尚未载入";
inline constexpr const char* kErrRemainderByZero = "不能求余数于零";

}  // namespace dida
