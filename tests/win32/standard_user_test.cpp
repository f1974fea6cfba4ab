// The program as a standard user meets Windows 10/11, under Wine: the calls whose answer Wine gives more freely
// get a stand-in in the backend's table that answers as Windows documents it does.
#include <windows.h>
#include <mmsystem.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "app/program.h"
#include "platform/win32/win32_desktop.h"
#include "platform/win32/win32_dpi.h"
#include "platform/win32/win32_sound.h"
#include "platform/win32/win32_system_calls.h"
#include "platform/win32/win32_text.h"
#include "reminder/reminder.h"
#include "fixtures.h"
#include "pump.h"

namespace dida::win32 {
namespace {

const wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const wchar_t kApprovalKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";

// ---------------------------------------------------------------- the registry of an unelevated process

// An unelevated process with a manifest, 64-bit, has no write access under the machine's hive and no
// registry virtualisation to redirect it: opening or creating a key there for writing, and deleting one, is
// refused. Reading stays allowed.
bool AsksToWrite(REGSAM sam) { return (sam & ~(KEY_READ | KEY_WOW64_64KEY | KEY_WOW64_32KEY)) != 0; }

LSTATUS WINAPI MachineOpen(HKEY hive, LPCWSTR key, DWORD options, REGSAM sam, PHKEY out) {
    if (hive == HKEY_LOCAL_MACHINE && AsksToWrite(sam)) return ERROR_ACCESS_DENIED;
    return ::RegOpenKeyExW(hive, key, options, sam, out);
}
LSTATUS WINAPI MachineCreate(HKEY hive, LPCWSTR key, DWORD reserved, LPWSTR cls, DWORD options, REGSAM sam,
                             LPSECURITY_ATTRIBUTES security, PHKEY out, LPDWORD disposition) {
    if (hive == HKEY_LOCAL_MACHINE && AsksToWrite(sam)) return ERROR_ACCESS_DENIED;
    return ::RegCreateKeyExW(hive, key, reserved, cls, options, sam, security, out, disposition);
}
LSTATUS WINAPI MachineDelete(HKEY hive, LPCWSTR key) {
    if (hive == HKEY_LOCAL_MACHINE) return ERROR_ACCESS_DENIED;
    return ::RegDeleteKeyW(hive, key);
}

struct StandardUserRegistry {
    StandIn<decltype(SystemCalls::RegOpenKeyExW)> open{Sys().RegOpenKeyExW, &MachineOpen};
    StandIn<decltype(SystemCalls::RegCreateKeyExW)> create{Sys().RegCreateKeyExW, &MachineCreate};
    StandIn<decltype(SystemCalls::RegDeleteKeyW)> remove{Sys().RegDeleteKeyW, &MachineDelete};
};

// What an elevated run or the user's Task Manager left behind, written around the program.
void PutText(HKEY hive, const std::wstring& text) {
    ASSERT_EQ(RegSetKeyValueW(hive, kRunKey, L"TORV", REG_SZ, text.c_str(),
                              static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
}
void PutApproval(HKEY hive, BYTE first) {
    BYTE block[12] = {first};
    ASSERT_EQ(RegSetKeyValueW(hive, kApprovalKey, L"TORV", REG_BINARY, block, sizeof block), ERROR_SUCCESS);
}
std::optional<std::wstring> EntryOf(HKEY hive) {
    wchar_t buf[1024];
    DWORD size = sizeof buf;
    if (RegGetValueW(hive, kRunKey, L"TORV", RRF_RT_REG_SZ, nullptr, buf, &size) != ERROR_SUCCESS) return std::nullopt;
    return std::wstring(buf);
}
std::optional<BYTE> FirstApprovalByte(HKEY hive) {
    BYTE block[64];
    DWORD size = sizeof block;
    if (RegGetValueW(hive, kApprovalKey, L"TORV", RRF_RT_REG_BINARY, nullptr, block, &size) != ERROR_SUCCESS ||
        size == 0)
        return std::nullopt;
    return block[0];
}

std::wstring QuotedSelf() {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    return L"\"" + std::wstring(self) + L"\"";
}

// Every test starts from a first start's settings and leaves the two hives without the program's entries.
struct StartWithTheSystem : ::testing::Test {
    const CleanSettings settings;
    void SetUp() override { Clean(); }
    void TearDown() override { Clean(); }
    static void Clean() {
        for (HKEY hive : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
            RegDeleteKeyValueW(hive, kRunKey, L"TORV");
            RegDeleteKeyValueW(hive, kApprovalKey, L"TORV");
        }
    }
};

// Answers the next message box of this thread with OK and keeps its text.
struct MessageBoxReader {
    static inline std::vector<std::wstring> texts;
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) {
            wchar_t cls[16] = {};
            GetClassNameW(w, cls, 16);
            if (std::wstring(cls) != L"#32770" || GetWindowThreadProcessId(w, nullptr) != GetCurrentThreadId() ||
                !IsWindowVisible(w))
                continue;
            wchar_t text[512] = {};
            GetDlgItemTextW(w, 0xFFFF, text, 512);
            texts.push_back(text);
            PostMessageW(w, WM_COMMAND, IDOK, 0);
            return;
        }
    }
    MessageBoxReader() {
        texts.clear();
        timer_ = SetTimer(nullptr, 0, 30, &Tick);
    }
    ~MessageBoxReader() { KillTimer(nullptr, timer_); }
    MessageBoxReader(const MessageBoxReader&) = delete;
    MessageBoxReader& operator=(const MessageBoxReader&) = delete;

private:
    UINT_PTR timer_;
};

TEST_F(StartWithTheSystem, TheUsersOwnEntryWhereTheMachineRefusesAndAMachineEntryThatCannotGoIsSaid) {
    const StandardUserRegistry standardUser;
    Win32Desktop desk;
    Program p(desk);
    p.Start();
    MenuItem& item = p.main.随系统启动;
    ASSERT_FALSE(item.Checked());

    item.UserChose();
    EXPECT_TRUE(item.Checked());
    EXPECT_EQ(EntryOf(HKEY_CURRENT_USER), QuotedSelf());
    EXPECT_FALSE(EntryOf(HKEY_LOCAL_MACHINE));

    // An entry for every user of the machine, made by a run as administrator: this user cannot delete it.
    PutText(HKEY_LOCAL_MACHINE, QuotedSelf());
    {
        const MessageBoxReader reader;
        item.UserChose();
        ASSERT_EQ(MessageBoxReader::texts.size(), 1u);
        EXPECT_EQ(MessageBoxReader::texts[0],
                  L"开机启动项是以管理员身份为本机所有用户设置的，请以管理员身份运行本软件后再取消！");
    }
    EXPECT_TRUE(item.Checked());
    EXPECT_FALSE(EntryOf(HKEY_CURRENT_USER));
    EXPECT_EQ(EntryOf(HKEY_LOCAL_MACHINE), QuotedSelf());
    desk.DestroyAll();
}

TEST_F(StartWithTheSystem, AtStartTheStartupListCountsAndAMovedProgramIsFollowedWhereItMayWrite) {
    const StandardUserRegistry standardUser;
    const std::wstring gone = L"\"C:\\已移走\\DidaMiniClock.exe\"";
    {
        // Switched off in Task Manager: off, until the user turns it on again.
        PutText(HKEY_CURRENT_USER, QuotedSelf());
        PutApproval(HKEY_CURRENT_USER, 0x03);
        Win32Desktop desk;
        Program p(desk);
        p.Start();
        EXPECT_FALSE(p.main.随系统启动.Checked());
        p.main.随系统启动.UserChose();
        EXPECT_TRUE(p.main.随系统启动.Checked());
        EXPECT_EQ(FirstApprovalByte(HKEY_CURRENT_USER), BYTE{0x02});
        desk.DestroyAll();
    }
    {
        // Both entries name where the program was; only the user's may be written.
        PutText(HKEY_CURRENT_USER, gone);
        PutText(HKEY_LOCAL_MACHINE, gone);
        Win32Desktop desk;
        Program p(desk);
        p.Start();
        EXPECT_TRUE(p.main.随系统启动.Checked());
        EXPECT_EQ(EntryOf(HKEY_CURRENT_USER), QuotedSelf());
        EXPECT_EQ(EntryOf(HKEY_LOCAL_MACHINE), gone);
        desk.DestroyAll();
    }
}

// ---------------------------------------------------------------- the work area

// The work area is set inside this process: Wine keeps it per process. Windows announces a change to every
// top-level window (WM_SETTINGCHANGE with SPI_SETWORKAREA when the taskbar moves, WM_DISPLAYCHANGE for a new
// screen); Wine sends the first only now and then, so the test announces it as Windows does.
struct WorkAreaKept {
    RECT saved{};
    WorkAreaKept() { SystemParametersInfoW(SPI_GETWORKAREA, 0, &saved, 0); }
    ~WorkAreaKept() { SystemParametersInfoW(SPI_SETWORKAREA, 0, &saved, 0); }
    WorkAreaKept(const WorkAreaKept&) = delete;
    WorkAreaKept& operator=(const WorkAreaKept&) = delete;
    static void Set(RECT r) { ASSERT_TRUE(SystemParametersInfoW(SPI_SETWORKAREA, 0, &r, 0)); }
    static void Announce(UINT msg, WPARAM wp, LPARAM lp = 0) {
        DWORD_PTR result = 0;
        SendMessageTimeoutW(HWND_BROADCAST, msg, wp, lp, SMTO_ABORTIFHUNG, 1000, &result);
    }
};

RECT WindowRect(HWND h) {
    RECT r{};
    GetWindowRect(h, &r);
    return r;
}

TEST(WorkArea, TheBarDocksOnItAndFollowsItUntilTheUserDragsItAway) {
    const CleanSettings settings;
    const WorkAreaKept kept;
    const int cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN);
    const int inset = MulDiv(140, static_cast<int>(SystemDpi()), 96);
    WorkAreaKept::Set(RECT{0, 40, cx, cy});  // the taskbar at the top
    Win32Desktop desk;
    Program p(desk);
    int changes = 0;
    const auto dock = p.main.onDisplayChanged;
    p.main.onDisplayChanged = [&] {
        ++changes;
        dock();
    };
    p.Start();
    HWND bar = desk.HandleOf(p.main);
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(WindowRect(bar).top, 40);
    EXPECT_EQ(WindowRect(bar).right, cx - inset);

    WorkAreaKept::Set(RECT{0, 0, cx - 60, cy});  // moved to the right
    WorkAreaKept::Announce(WM_SETTINGCHANGE, SPI_SETWORKAREA);
    EXPECT_TRUE(PumpUntil(
        desk, [&] { return WindowRect(bar).top == 0 && WindowRect(bar).right == cx - 60 - inset; }, 2000));

    // Dragged away by the user: a new screen leaves it where it was put.
    SetWindowPos(bar, nullptr, 300, 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    const int before = changes;
    WorkAreaKept::Set(RECT{0, 0, cx, cy - 40});
    WorkAreaKept::Announce(WM_DISPLAYCHANGE, 32, MAKELPARAM(cx, cy));  // bits per pixel, size
    ASSERT_TRUE(PumpUntil(
        desk, [&] { return changes > before; }, 2000));
    EXPECT_EQ(WindowRect(bar).left, 300);
    EXPECT_EQ(WindowRect(bar).top, 200);
    desk.DestroyAll();
}

// ---------------------------------------------------------------- no output device

// waveOutOpen on a machine without a device driver for sound, as documented.
int refusedOpens = 0;
int soundingOpens = 0;
MMRESULT WINAPI NoOutputDevice(LPHWAVEOUT, UINT, LPCWAVEFORMATEX, DWORD_PTR, DWORD_PTR, DWORD) {
    ++refusedOpens;
    return MMSYSERR_NODRIVER;
}
// The device is back: the real open, counted.
MMRESULT WINAPI CountedOpen(LPHWAVEOUT device, UINT id, LPCWAVEFORMATEX format, DWORD_PTR callback, DWORD_PTR instance,
                            DWORD flags) {
    const MMRESULT r = WaveOutOpenThroughLibrary(device, id, format, callback, instance, flags);
    if (r == MMSYSERR_NOERROR && !(flags & WAVE_FORMAT_QUERY)) ++soundingOpens;
    return r;
}

TEST(NoOutputDevice, TheRingTriesEverySecondAndSoundsOnceADeviceIsThere) {
    const CleanSettings settings;
    Win32Desktop desk;
    Program p(desk);
    p.Start();
    const auto& items = p.main.组合框声音.Items();
    p.main.组合框声音.CurrentIndex(static_cast<int>(std::find(items.begin(), items.end(), "布谷鸟") - items.begin()));
    refusedOpens = soundingOpens = 0;
    {
        const StandIn<decltype(SystemCalls::waveOutOpen)> none(Sys().waveOutOpen, &NoOutputDevice);
        Fire(p);
        EXPECT_EQ(refusedOpens, 1);
        EXPECT_TRUE(PumpUntil(
            desk, [] { return refusedOpens >= 3; }, 4000))
            << "tried again every second";
    }
    {
        const StandIn<decltype(SystemCalls::waveOutOpen)> back(Sys().waveOutOpen, &CountedOpen);
        EXPECT_TRUE(PumpUntil(
            desk, [] { return soundingOpens == 1; }, 3000))
            << "the ring sounds";
        StopSound(p);
    }
    desk.DestroyAll();
}

TEST(NoOutputDevice, MusicIsRefusedAtOnceSoThatTheCallerCanTryAgain) {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring mp3 = self;
    mp3 = mp3.substr(0, mp3.rfind(L'\\')) + L"\\sound_media\\tone44.mp3";
    ASSERT_NE(GetFileAttributesW(mp3.c_str()), INVALID_FILE_ATTRIBUTES);
    Win32Sound sound;
    {
        const StandIn<decltype(SystemCalls::waveOutOpen)> none(Sys().waveOutOpen, &NoOutputDevice);
        EXPECT_FALSE(sound.PlayMp3(-1, {Narrow(mp3)}));
        EXPECT_FALSE(sound.Mp3Playing());
    }
    EXPECT_TRUE(sound.PlayMp3(1, {Narrow(mp3)}));
    sound.StopAudio();
}

// ---------------------------------------------------------------- uptime

// A machine up for 50 days and 3725 seconds; fast start-up keeps the count through a shutdown.
ULONGLONG WINAPI FiftyDaysUp() { return 50ull * 86400000 + 3725000; }

TEST(Uptime, ShowsTheCountPastFortyNinePointSevenDays) {
    const CleanSettings settings;
    const StandIn<decltype(SystemCalls::GetTickCount64)> up(Sys().GetTickCount64, &FiftyDaysUp);
    Win32Desktop desk;
    Program p(desk);
    p.Start();
    {
        const MessageBoxReader reader;
        p.main.开机时长.UserChose();
        ASSERT_EQ(MessageBoxReader::texts.size(), 1u);
        EXPECT_EQ(MessageBoxReader::texts[0], L"您的电脑目前已开机：1201小时2分5秒");
    }
    desk.DestroyAll();
}

}  // namespace
}  // namespace dida::win32
