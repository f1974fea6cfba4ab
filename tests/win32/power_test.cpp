// The power actions as Windows 10/11 answers a standard user: the suspend of a machine with a sleep state and
// of a Modern Standby one, a suspend the system refuses, the shutdown that asks every program first, the display
// turned off through the program's own window. The power calls answer through stand-ins: the real ones would
// end the Wine session the tests run in.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "platform/win32/win32_desktop.h"
#include "platform/win32/win32_services.h"
#include "platform/win32/win32_system_calls.h"

namespace dida::win32 {
namespace {

// The machine the stand-ins answer for, and what they were asked.
struct Machine {
    bool capabilitiesRead = true;
    bool modernStandby = false;
    bool suspendGranted = true;
};
struct SuspendCall {
    BOOLEAN hibernate, force, wakeUpEventsDisabled;
    bool operator==(const SuspendCall&) const = default;
};
Machine g_machine;
std::vector<SuspendCall> g_suspends;
std::vector<LPARAM> g_displayCommands;  // SC_MONITORPOWER's argument, as the program's own window received it

BOOLEAN WINAPI Capabilities(PSYSTEM_POWER_CAPABILITIES c) {
    if (!g_machine.capabilitiesRead) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    *c = {};
    c->PowerButtonPresent = TRUE;
    c->SystemS4 = c->SystemS5 = c->HiberFilePresent = TRUE;
    // Modern Standby (S0 low-power idle) and the S3 sleep state exclude each other.
    c->SystemS3 = !g_machine.modernStandby;
    AoAcOf(*c) = g_machine.modernStandby;
    return TRUE;
}

BOOLEAN WINAPI Suspend(BOOLEAN hibernate, BOOLEAN force, BOOLEAN wakeUpEventsDisabled) {
    g_suspends.push_back({hibernate, force, wakeUpEventsDisabled});
    if (g_machine.suspendGranted) return TRUE;  // the call returns when the machine is up again
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
}

LRESULT CALLBACK RecordDisplayCommand(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR) {
    if (msg == WM_SYSCOMMAND && (wp & 0xFFF0) == SC_MONITORPOWER) {
        g_displayCommands.push_back(lp);
        return 0;
    }
    return DefSubclassProc(h, msg, wp, lp);
}

class Power : public ::testing::Test {
protected:
    void SetUp() override {
        g_machine = {};
        g_suspends.clear();
        g_displayCommands.clear();
        SetWindowSubclass(desk.HiddenOwner(), &RecordDisplayCommand, 1, 0);
    }
    void TearDown() override { RemoveWindowSubclass(desk.HiddenOwner(), &RecordDisplayCommand, 1); }

    Win32Desktop desk;
    StandIn<decltype(SystemCalls::GetPwrCapabilities)> capabilities{Sys().GetPwrCapabilities, &Capabilities};
    StandIn<decltype(SystemCalls::SetSuspendState)> suspend{Sys().SetSuspendState, &Suspend};
};

TEST_F(Power, SuspendEntersTheStandbyTheMachineHasAndARefusalChangesNothing) {
    constexpr int kSuspend = 4, kHibernate = 5;
    const SuspendCall sleep{FALSE, FALSE, FALSE}, hibernate{TRUE, FALSE, FALSE};
    struct Row {
        const char* what;
        Machine machine;
        int mode;
        bool result;
        std::vector<SuspendCall> suspends;
        std::vector<LPARAM> display;
    } rows[] = {
        {"a machine with a sleep state", {}, kSuspend, true, {sleep}, {}},
        {"a Modern Standby machine: the display goes off, as at its power button",
         {.modernStandby = true},
         kSuspend,
         true,
         {},
         {2}},
        {"a sleep the system refuses", {.suspendGranted = false}, kSuspend, false, {sleep}, {}},
        {"capabilities that cannot be read", {.capabilitiesRead = false}, kSuspend, true, {sleep}, {}},
        {"hibernation on a Modern Standby machine", {.modernStandby = true}, kHibernate, true, {hibernate}, {}},
    };
    for (const Row& r : rows) {
        g_machine = r.machine;
        g_suspends.clear();
        g_displayCommands.clear();
        EXPECT_EQ(desk.ShutdownSystem(r.mode, true), r.result) << r.what;
        EXPECT_EQ(g_suspends, r.suspends) << r.what;
        EXPECT_EQ(g_displayCommands, r.display) << r.what;
    }
}

// What the shutdown was asked for; the stand-in answers that it has started, as the call does.
UINT g_exitFlags = 0;
DWORD g_exitReason = 0;
BOOL WINAPI Exit(UINT flags, DWORD reason) {
    g_exitFlags = flags;
    g_exitReason = reason;
    return TRUE;
}

TEST_F(Power, TheShutdownAsksEveryProgramAndEndsOnlyTheHungOnes) {
    const StandIn<decltype(SystemCalls::ExitWindowsEx)> exit{Sys().ExitWindowsEx, &Exit};
    const struct {
        int mode;
        UINT kind;
    } rows[] = {{1, EWX_POWEROFF}, {2, EWX_REBOOT}, {3, EWX_LOGOFF}};
    for (const auto& r : rows) {
        g_exitFlags = 0xFFFF;
        ASSERT_TRUE(desk.ShutdownSystem(r.mode, true)) << r.mode;
        // EWX_FORCE would close programs without asking them, their unsaved documents lost.
        EXPECT_EQ(g_exitFlags, r.kind | EWX_FORCEIFHUNG) << r.mode;
        EXPECT_EQ(g_exitReason & SHTDN_REASON_FLAG_PLANNED, static_cast<DWORD>(SHTDN_REASON_FLAG_PLANNED)) << r.mode;
    }
    EXPECT_TRUE(g_suspends.empty());
}

// A top-level window on a thread of its own that counts the display commands it receives.
std::atomic<int> g_othersCommands{0};
LRESULT CALLBACK OtherProgramProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_SYSCOMMAND && (wp & 0xFFF0) == SC_MONITORPOWER) {
        ++g_othersCommands;
        return 0;
    }
    return DefWindowProcW(h, msg, wp, lp);
}

TEST_F(Power, TheDisplayGoesOffThroughTheProgramsOwnWindowAndNoOtherProgramIsAsked) {
    std::atomic<bool> ready{false}, stop{false};
    std::thread other([&] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = OtherProgramProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"DidaOtherProgram";
        RegisterClassW(&wc);
        HWND w =
            CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, wc.hInstance, nullptr);
        ready = true;
        MSG m;
        while (!stop) {
            while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        }
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
        DestroyWindow(w);
    });
    while (!ready) Sleep(5);
    g_othersCommands = 0;
    desk.TurnOffMonitor();
    stop = true;
    other.join();
    EXPECT_EQ(g_displayCommands, std::vector<LPARAM>{2});
    EXPECT_EQ(g_othersCommands.load(), 0);
}

}  // namespace
}  // namespace dida::win32
