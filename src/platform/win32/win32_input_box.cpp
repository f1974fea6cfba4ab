#include "platform/win32/win32_input_box.h"

#include <commctrl.h>

#include "platform/dialog_rules.h"
#include "platform/win32/win32_boundary.h"
#include "platform/win32/win32_text.h"

namespace dida::win32 {
namespace {

constexpr WORD kButtonClass = 0x0080;
constexpr WORD kEditClass = 0x0081;
constexpr WORD kStaticClass = 0x0082;
constexpr UINT_PTR kFilterSubclass = 1;

struct Item {
    DWORD style;
    short x, y, cx, cy;
    WORD id;
    WORD cls;
    std::wstring text;
};

void PutText(std::vector<WORD>& t, const std::wstring& s) {
    for (wchar_t c : s) t.push_back(static_cast<WORD>(c));
    t.push_back(0);
}
void PutDword(std::vector<WORD>& t, DWORD v) {
    t.push_back(LOWORD(v));
    t.push_back(HIWORD(v));
}
void AlignDword(std::vector<WORD>& t) {
    if (t.size() % 2) t.push_back(0);
}

// Typed characters only: pasted text is not filtered, and control characters always pass.
LRESULT CALLBACK FilterProc(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR ref) {
    if (msg == WM_CHAR && !InputBoxAccepts(static_cast<int>(ref), static_cast<char32_t>(wp))) return 0;
    if (msg == WM_NCDESTROY) RemoveWindowSubclass(h, FilterProc, kFilterSubclass);
    return DefSubclassProc(h, msg, wp, lp);
}

INT_PTR CALLBACK InputDialogProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) noexcept {
    return AtTheBoundary(
        L"input box",
        [&]() -> std::optional<INT_PTR> {
            auto* state = reinterpret_cast<InputDialogState*>(GetWindowLongPtrW(dlg, DWLP_USER));
            switch (msg) {
            case WM_INITDIALOG: {
                SetWindowLongPtrW(dlg, DWLP_USER, lp);
                state = reinterpret_cast<InputDialogState*>(lp);
                HWND edit = GetDlgItem(dlg, kInputEditId);
                SetWindowSubclass(edit, FilterProc, kFilterSubclass, static_cast<DWORD_PTR>(state->mode));
                SetFocus(edit);
                SendMessageW(edit, EM_SETSEL, 0, -1);
                SendMessageW(edit, EM_SCROLLCARET, 0, 0);
                return FALSE;  // the focus is set
            }
            case WM_COMMAND: {
                const int id = LOWORD(wp);
                if (id != IDOK && id != IDCANCEL) return FALSE;
                if (id == IDOK && state) {
                    state->entry = Narrow(TextOf(GetDlgItem(dlg, kInputEditId)));
                    state->confirmed = true;
                }
                if (!state || state->modal)
                    EndDialog(dlg, id);
                else
                    DestroyWindow(dlg);
                return TRUE;
            }
            default: return FALSE;
            }
        },
        [] { return INT_PTR{FALSE}; });
}

}  // namespace

std::vector<WORD> InputDialogTemplate(const InputDialogState& state) {
    const bool withPrompt = !state.prompt.empty();
    const DWORD editStyle =
        WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL | ES_LEFT | (state.mode == 4 ? ES_PASSWORD : 0);
    const DWORD okStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON;
    const DWORD cancelStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON;
    std::vector<Item> items;
    short cx, cy;
    if (withPrompt) {
        cx = 252;
        cy = 92;
        items.push_back({WS_CHILD | WS_VISIBLE | BS_GROUPBOX, 7, 7, 238, 35, kInputFrameId, kButtonClass, L""});
        items.push_back({WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 12, 11, 229, 27, kInputPromptId, kStaticClass,
                         Wide(state.prompt)});
        items.push_back({editStyle, 7, 45, 238, 12, kInputEditId, kEditClass, Wide(state.initial)});
        items.push_back({okStyle, 63, 66, 55, 19, IDOK, kButtonClass, L"确认输入(&O)"});
        items.push_back({cancelStyle, 134, 66, 55, 19, IDCANCEL, kButtonClass, L"取消(&C)"});
    } else {
        cx = 214;
        cy = 56;
        items.push_back({editStyle, 7, 7, 200, 12, kInputEditId, kEditClass, Wide(state.initial)});
        items.push_back({okStyle, 82, 30, 55, 19, IDOK, kButtonClass, L"确认输入(&O)"});
        items.push_back({cancelStyle, 151, 30, 55, 19, IDCANCEL, kButtonClass, L"取消(&C)"});
    }

    std::vector<WORD> t;
    PutDword(t, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_CENTER);
    PutDword(t, 0);
    t.push_back(static_cast<WORD>(items.size()));
    for (short v : {short(0), short(0), cx, cy}) t.push_back(static_cast<WORD>(v));
    t.push_back(0);  // no menu
    t.push_back(0);  // the standard dialog class
    PutText(t, Wide(state.caption));
    t.push_back(9);
    PutText(t, L"宋体");
    for (const Item& item : items) {
        AlignDword(t);
        PutDword(t, item.style);
        PutDword(t, 0);
        for (short v : {item.x, item.y, item.cx, item.cy}) t.push_back(static_cast<WORD>(v));
        t.push_back(item.id);
        t.push_back(0xFFFF);
        t.push_back(item.cls);
        PutText(t, item.text);
        t.push_back(0);  // no creation data
    }
    return t;
}

bool RunInputDialog(InputDialogState& state, HWND owner) {
    state.modal = true;
    state.confirmed = false;
    const std::vector<WORD> t = InputDialogTemplate(state);
    const INT_PTR r = DialogBoxIndirectParamW(GetModuleHandleW(nullptr), reinterpret_cast<LPCDLGTEMPLATEW>(t.data()),
                                              owner, InputDialogProc, reinterpret_cast<LPARAM>(&state));
    return r == IDOK && state.confirmed;
}

HWND CreateInputDialog(InputDialogState& state, HWND owner) {
    state.modal = false;
    state.confirmed = false;
    const std::vector<WORD> t = InputDialogTemplate(state);
    return CreateDialogIndirectParamW(GetModuleHandleW(nullptr), reinterpret_cast<LPCDLGTEMPLATEW>(t.data()), owner,
                                      InputDialogProc, reinterpret_cast<LPARAM>(&state));
}

}  // namespace dida::win32
