// An exception a handler throws stops where the system calls the program (window procedure, subclassed
// controls, the tray window) and is reported to the debugger; the program goes on.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/win32/win32_desktop.h"
#include "platform/win32/win32_form_host.h"
#include "platform/win32/win32_names.h"
#include "platform/win32/win32_peers.h"
#include "platform/win32/win32_text.h"
#include "backend_fixture.h"
#include "pump.h"

namespace dida::win32 {
namespace {

// What the program told the debugger. OutputDebugString raises a debug-print exception for a debugger to
// show; a vectored handler sees it before anyone and lets it go on.
std::vector<std::wstring> g_debugLines;

LONG CALLBACK SeeDebugPrint(EXCEPTION_POINTERS* info) {
    constexpr DWORD kPrint = 0x40010006;      // DBG_PRINTEXCEPTION_C: length, ANSI text
    constexpr DWORD kPrintWide = 0x4001000A;  // DBG_PRINTEXCEPTION_WIDE_C: length, UTF-16 text
    const EXCEPTION_RECORD& r = *info->ExceptionRecord;
    if (r.NumberParameters >= 2 && r.ExceptionCode == kPrintWide) {
        g_debugLines.emplace_back(reinterpret_cast<const wchar_t*>(r.ExceptionInformation[1]));
    } else if (r.NumberParameters >= 2 && r.ExceptionCode == kPrint) {
        const char* text = reinterpret_cast<const char*>(r.ExceptionInformation[1]);
        wchar_t wide[1024] = {};
        MultiByteToWideChar(CP_ACP, 0, text, -1, wide, 1023);
        g_debugLines.emplace_back(wide);
    }
    return EXCEPTION_CONTINUE_SEARCH;
}

struct BoundaryForm : Window {
    explicit BoundaryForm(Blob icon)
        : Window(WindowDef{
              .name = "边界测试", .caption = "边界测试", .rect = {0, 0, 200, 60}, .visible = false, .icon = {}}),
          button(this, CommonDef{"button", {0, 0, 60, 20}}, ButtonDef{.caption = "按"}),
          edit(this, CommonDef{"edit", {60, 0, 60, 20}}, EditDef{.content = "1"}),
          combo(this, CommonDef{"combo", {120, 0, 60, 20}}, ComboDef{.items = {"甲", "乙"}, .index = 0}),
          tray(this, "tray", TrayIconDef{.icon = icon, .tipText = "边界", .inTray = true}) {}
    Button button;
    EditBox edit;
    ComboBox combo;
    TrayIcon tray;
};

TEST_F(Backend, AnExceptionStoppedAtTheBoundaryIsReportedToTheDebugger) {
    const std::vector<std::uint8_t> ico = MakeIco({{16, 32}});
    BoundaryForm f(AsBlob(ico));
    auto thrower = [](const char* what) { return [what] { throw std::runtime_error(what); }; };
    f.button.onClick = thrower("button handler failed");
    f.edit.onDblClick = thrower("double-click handler failed");
    f.combo.onRightUp = thrower("right-button handler failed");
    f.tray.onDblClick = thrower("tray handler failed");
    ASSERT_TRUE(desk.LoadWindow(f));
    FormHost* host = desk.HostOf(f);
    HWND button = host->HandleOf(f.button);
    struct Row {
        const char* what;
        std::function<void()> act;
        const wchar_t* want;
    } rows[] = {
        {"window procedure",
         [&] {
             SendMessageW(desk.HandleOf(f), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                          reinterpret_cast<LPARAM>(button));
         },
         L"window procedure: button handler failed"},
        {"edit subclass", [&] { SendMessageW(host->HandleOf(f.edit), WM_LBUTTONDBLCLK, 0, 0); },
         L"edit box: double-click handler failed"},
        {"combo subclass", [&] { SendMessageW(host->HandleOf(f.combo), WM_RBUTTONUP, 0, 0); },
         L"combo box: right-button handler failed"},
        {"tray window", [&] { SendMessageW(TrayWindowOf(f.tray), kTrayCallbackMessage, 0, WM_LBUTTONDBLCLK); },
         L"tray icon: tray handler failed"},
    };
    PVOID watcher = AddVectoredExceptionHandler(1, SeeDebugPrint);
    ASSERT_NE(watcher, nullptr);
    for (const Row& r : rows) {
        g_debugLines.clear();
        r.act();
        bool reported = false;
        for (const std::wstring& line : g_debugLines) reported |= line.find(r.want) != std::wstring::npos;
        EXPECT_TRUE(reported) << r.what << ": " << (g_debugLines.empty() ? "nothing" : Narrow(g_debugLines[0]));
    }
    RemoveVectoredExceptionHandler(watcher);
    EXPECT_TRUE(f.loaded());  // the program goes on
    desk.UnloadWindow(f);
    Pump(desk, 30);
}

}  // namespace
}  // namespace dida::win32
