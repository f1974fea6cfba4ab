#pragma once
// The parts of the dialogs that are rules rather than windows, shared by both backends.
#include <string>

#include "platform/desktop_types.h"

namespace dida {

// Message box: the Win32 button id → the program's result code (IDOK 1 → 0, IDCANCEL 2 → 1,
// IDABORT 3 → 2, IDRETRY 4 → 3, IDIGNORE 5 → 4, IDYES 6 → 5, IDNO 7 → 6; anything else → 1).
int MessageResultFromButtonId(int buttonId);
// Task-modal is added unless the style is system-modal.
unsigned MessageBoxStyle(int style);
// Empty title → "信息：".
std::string MessageBoxTitle(const std::string& title);

// Input box: mode clamped (≤0 → 1, >4 → 4); caption "请输入：" unless a title is given.
int InputBoxMode(int mode);
std::string InputBoxCaption(const std::string& title);
// The typed-character filter: mode 2 digits and '-', mode 3 digits, '-' and '.', control characters
// (below 32) always pass, modes 1 and 4 everything.
bool InputBoxAccepts(int mode, char32_t ch);
// Stores a confirmed entry into the target by its type.
void StoreInputEntry(const std::string& entry, const InputTarget& target);

// File dialog: "||" appended unless already there; empty stays empty. Returns the filter with '|'
// separators (the backend turns them into NULs).
std::string DialogFilterString(const std::string& filter);
// 1-based filter index for the system (0 with no filter; negative stored index taken as 0).
int DialogFilterIndex(const std::string& filter, int zeroBasedIndex);

}  // namespace dida
