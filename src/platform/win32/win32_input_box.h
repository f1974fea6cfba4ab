#pragma once
// The input box: a dialog built from an in-memory template in one of two layouts (with or without a
// prompt), an edit field with the mode's typed-character filter, confirm and cancel buttons.
#include <windows.h>

#include <string>
#include <vector>

namespace dida::win32 {

inline constexpr int kInputFrameId = 100;
inline constexpr int kInputPromptId = 101;
inline constexpr int kInputEditId = 102;

struct InputDialogState {
    std::string prompt, caption, initial;  // caption as shown (the default already applied)
    int mode = 1;                          // already clamped to 1..4
    std::string entry;                     // the field's text when confirmed
    bool confirmed = false;
    bool modal = true;  // a modeless one (the tests) destroys itself instead
};

// The DLGTEMPLATE with its items, ready for DialogBoxIndirectParamW / CreateDialogIndirectParamW.
std::vector<WORD> InputDialogTemplate(const InputDialogState& state);

// Runs the dialog modally; true when it was confirmed (state.entry holds the text).
bool RunInputDialog(InputDialogState& state, HWND owner);
// The same dialog, modeless; the state must outlive the window.
HWND CreateInputDialog(InputDialogState& state, HWND owner);

}  // namespace dida::win32
