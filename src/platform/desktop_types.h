#pragma once
// The words of the desktop's interface that need no window: registry hives, message boxes and their
// answers, where an input box puts what was typed. The dialog rules below the window model use them too.
#include <cstdint>
#include <string>

namespace dida {

// Registry hive codes: 1 classes root, 2 current config, 3 current user, 4 local machine, 5 users;
// any other code means the current user.
enum RootKey : int { kClassesRoot = 1, kCurrentConfig = 2, kCurrentUser = 3, kLocalMachine = 4, kUsers = 5 };

// The message boxes the program shows: buttons and icon together, as the system's style codes.
// The backend makes every box task-modal unless the style asks for system-modal.
inline constexpr int kOkPlain = 0;
inline constexpr int kOkInformation = 0x40;
inline constexpr int kOkExclamation = 0x30;
inline constexpr int kOkStop = 0x10;
inline constexpr int kYesNoQuestion = 0x24;
inline constexpr int kYesNoExclamation = 0x34;
// Whom a box keeps waiting: every window of the program, or the whole session.
inline constexpr int kTaskModal = 0x2000;
inline constexpr int kSystemModal = 0x1000;

// Message-box result codes the logic tests.
enum MsgResult : int { kOk = 0, kCancel = 1, kAbort = 2, kRetry = 3, kIgnore = 4, kYes = 5, kNo = 6 };

// Where an input box stores a confirmed entry; its type decides the conversion.
struct InputTarget {
    enum class Type { Text, Int32, Int64, Double } type = Type::Text;
    std::string* text = nullptr;
    std::int32_t* i32 = nullptr;
    std::int64_t* i64 = nullptr;
    double* dbl = nullptr;
    static InputTarget Of(std::string& v) {
        InputTarget t;
        t.type = Type::Text;
        t.text = &v;
        return t;
    }
    static InputTarget Of(std::int32_t& v) {
        InputTarget t;
        t.type = Type::Int32;
        t.i32 = &v;
        return t;
    }
    static InputTarget Of(std::int64_t& v) {
        InputTarget t;
        t.type = Type::Int64;
        t.i64 = &v;
        return t;
    }
    static InputTarget Of(double& v) {
        InputTarget t;
        t.type = Type::Double;
        t.dbl = &v;
        return t;
    }
};

}  // namespace dida
