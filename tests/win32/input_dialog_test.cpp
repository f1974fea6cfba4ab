// The input dialog's template under Wine: its layout with and without a prompt, the characters each mode
// keeps, and what confirming and cancelling hand back.
#include <windows.h>

#include <gtest/gtest.h>

#include "platform/win32/win32_input_box.h"
#include "platform/win32/win32_text.h"
#include "backend_fixture.h"

namespace dida::win32 {
namespace {

struct DialogUnits {
    int x, y, w, h;
};

void ExpectAt(HWND dlg, int id, DialogUnits du, const char* what) {
    // The dialog manager converts position and size each on its own.
    RECT mapped{du.x, du.y, du.w, du.h};
    MapDialogRect(dlg, &mapped);
    const RECT want{mapped.left, mapped.top, mapped.left + mapped.right, mapped.top + mapped.bottom};
    HWND item = GetDlgItem(dlg, id);
    ASSERT_NE(item, nullptr) << what;
    const RECT got = ClientRectIn(item, dlg);
    EXPECT_EQ(got.left, want.left) << what;
    EXPECT_EQ(got.top, want.top) << what;
    EXPECT_EQ(got.right, want.right) << what;
    EXPECT_EQ(got.bottom, want.bottom) << what;
}

TEST(InputDialog, LayoutWithAPrompt) {
    InputDialogState st;
    st.prompt = "请输入闹铃时长";
    st.caption = "设置";
    st.initial = "180";
    st.mode = 2;
    HWND dlg = CreateInputDialog(st, nullptr);
    ASSERT_NE(dlg, nullptr);
    RECT client;
    GetClientRect(dlg, &client);
    RECT want{0, 0, 252, 92};
    MapDialogRect(dlg, &want);
    EXPECT_EQ(client.right, want.right);
    EXPECT_EQ(client.bottom, want.bottom);
    ExpectAt(dlg, kInputFrameId, {7, 7, 238, 35}, "frame");
    ExpectAt(dlg, kInputPromptId, {12, 11, 229, 27}, "prompt");
    ExpectAt(dlg, kInputEditId, {7, 45, 238, 12}, "edit");
    ExpectAt(dlg, IDOK, {63, 66, 55, 19}, "confirm");
    ExpectAt(dlg, IDCANCEL, {134, 66, 55, 19}, "cancel");
    EXPECT_EQ(TextOf(dlg), L"设置");
    EXPECT_EQ(TextOf(GetDlgItem(dlg, kInputPromptId)), L"请输入闹铃时长");
    EXPECT_EQ(TextOf(GetDlgItem(dlg, IDOK)), L"确认输入(&O)");
    EXPECT_EQ(TextOf(GetDlgItem(dlg, IDCANCEL)), L"取消(&C)");
    EXPECT_TRUE(GetWindowLongW(GetDlgItem(dlg, IDOK), GWL_STYLE) & BS_DEFPUSHBUTTON);
    HWND edit = GetDlgItem(dlg, kInputEditId);
    EXPECT_EQ(TextOf(edit), L"180");
    DWORD from = 1, to = 0;
    SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
    EXPECT_EQ(from, 0u);
    EXPECT_EQ(to, 3u);
    DestroyWindow(dlg);
}

TEST(InputDialog, LayoutWithoutAPrompt) {
    InputDialogState st;
    st.caption = "请输入：";
    HWND dlg = CreateInputDialog(st, nullptr);
    ASSERT_NE(dlg, nullptr);
    RECT client;
    GetClientRect(dlg, &client);
    RECT want{0, 0, 214, 56};
    MapDialogRect(dlg, &want);
    EXPECT_EQ(client.right, want.right);
    EXPECT_EQ(client.bottom, want.bottom);
    EXPECT_EQ(GetDlgItem(dlg, kInputPromptId), nullptr);
    EXPECT_EQ(GetDlgItem(dlg, kInputFrameId), nullptr);
    ExpectAt(dlg, kInputEditId, {7, 7, 200, 12}, "edit");
    ExpectAt(dlg, IDOK, {82, 30, 55, 19}, "confirm");
    ExpectAt(dlg, IDCANCEL, {151, 30, 55, 19}, "cancel");
    DestroyWindow(dlg);
}

TEST(InputDialog, FiltersTypedCharactersByMode) {
    struct Row {
        int mode;
        const wchar_t* typed;
        const wchar_t* kept;
        bool password;
    } rows[] = {
        {1, L"a1-.中", L"a1-.中", false}, {2, L"a1-.2x", L"1-2", false},
        {3, L"a1-.2x", L"1-.2", false},   {2, L"12\b3", L"13", false},  // Backspace still works
        {4, L"pw1!", L"pw1!", true},
    };
    for (const Row& r : rows) {
        InputDialogState st;
        st.prompt = "p";
        st.caption = "c";
        st.mode = r.mode;
        HWND dlg = CreateInputDialog(st, nullptr);
        ASSERT_NE(dlg, nullptr);
        HWND edit = GetDlgItem(dlg, kInputEditId);
        for (const wchar_t* c = r.typed; *c; ++c) SendMessageW(edit, WM_CHAR, *c, 0);
        EXPECT_EQ(TextOf(edit), r.kept) << "mode " << r.mode;
        EXPECT_EQ((GetWindowLongW(edit, GWL_STYLE) & ES_PASSWORD) != 0, r.password) << "mode " << r.mode;
        // Confirming hands over the text and closes the box.
        SendMessageW(dlg, WM_COMMAND, IDOK, 0);
        EXPECT_TRUE(st.confirmed);
        EXPECT_EQ(Wide(st.entry), r.kept);
        EXPECT_FALSE(IsWindow(dlg));
    }
}

TEST(InputDialog, CancelLeavesNothing) {
    InputDialogState st;
    st.caption = "c";
    st.initial = "keep";
    HWND dlg = CreateInputDialog(st, nullptr);
    ASSERT_NE(dlg, nullptr);
    SendMessageW(dlg, WM_COMMAND, IDCANCEL, 0);
    EXPECT_FALSE(st.confirmed);
    EXPECT_TRUE(st.entry.empty());
    EXPECT_FALSE(IsWindow(dlg));
}

}  // namespace
}  // namespace dida::win32
