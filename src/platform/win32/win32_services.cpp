#include "platform/win32/win32_services.h"

#include "platform/registry_path.h"
#include "platform/win32/win32_dpi.h"
#include "platform/win32/win32_handle.h"
#include "platform/win32/win32_system_calls.h"
#include "platform/win32/win32_text.h"

namespace dida::win32 {
namespace {

bool OpenForWriting(RootKey root, const std::wstring& key, UniqueKey& k) {
    if (Sys().RegOpenKeyExW(HiveOf(root), key.c_str(), 0, KEY_WRITE, k.out()) == ERROR_SUCCESS) return true;
    return Sys().RegCreateKeyExW(HiveOf(root), key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr,
                                 k.out(), nullptr) == ERROR_SUCCESS;
}

bool WriteValue(RootKey root, const std::string& fullPath, DWORD type, const void* data, DWORD size) {
    const RegPath path = SplitFullPath(fullPath);
    UniqueKey k;
    if (!OpenForWriting(root, Wide(path.key), k)) return false;
    return RegSetValueExW(k.get(), Wide(path.value).c_str(), 0, type, static_cast<const BYTE*>(data), size) ==
           ERROR_SUCCESS;
}

std::wstring ExpandEnvironment(const std::wstring& s) {
    std::wstring out(s.size() + 64, L'\0');
    for (;;) {
        const DWORD need = ExpandEnvironmentStringsW(s.c_str(), out.data(), static_cast<DWORD>(out.size()));
        if (need == 0) return s;
        if (need <= out.size()) {
            out.resize(need - 1);  // the count includes the terminating zero
            return out;
        }
        out.resize(need);
    }
}

bool EnableShutdownPrivilege() {
    HANDLE opened = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &opened)) return false;
    const UniqueHandle token(opened);
    TOKEN_PRIVILEGES tp{};
    tp.PrivilegeCount = 1;
    tp.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    bool ok = LookupPrivilegeValueW(nullptr, L"SeShutdownPrivilege", &tp.Privileges[0].Luid) != 0;
    if (ok) {
        SetLastError(ERROR_SUCCESS);
        // The call succeeds even when the privilege was not granted; only the last error tells.
        ok =
            AdjustTokenPrivileges(token.get(), FALSE, &tp, 0, nullptr, nullptr) != 0 && GetLastError() == ERROR_SUCCESS;
    }
    return ok;
}

ProgramLocation ReadProgramLocation() {
    std::wstring buf(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
        if (n == 0) return {};
        // A cut-off name fills the whole buffer; long paths (\\?\ prefixed) can reach 32767 units.
        if (n < buf.size()) {
            buf.resize(n);
            break;
        }
        if (buf.size() >= 32768) return {};
        buf.resize(buf.size() * 2);
    }
    const RegPath parts = SplitFullPath(Narrow(buf));
    return {parts.key, parts.value};
}

}  // namespace

HKEY HiveOf(RootKey root) {
    switch (root) {
    case 1: return HKEY_CLASSES_ROOT;
    case 2: return HKEY_CURRENT_CONFIG;
    case 3: return HKEY_CURRENT_USER;
    case 4: return HKEY_LOCAL_MACHINE;
    case 5: return HKEY_USERS;
    default: return HKEY_CURRENT_USER;
    }
}

std::string RegReadText(RootKey root, const std::string& fullPath, const std::string& def) {
    const RegPath path = SplitFullPath(fullPath);
    UniqueKey k;
    if (Sys().RegOpenKeyExW(HiveOf(root), Wide(path.key).c_str(), 0, KEY_READ, k.out()) != ERROR_SUCCESS) return def;
    const std::wstring name = Wide(path.value);
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExW(k.get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return def;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return def;
    // Room for a zero the writer may have left out; the size is in bytes.
    std::wstring buf(size / sizeof(wchar_t) + 1, L'\0');
    DWORD got = static_cast<DWORD>(buf.size() * sizeof(wchar_t));
    if (RegQueryValueExW(k.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buf.data()), &got) !=
        ERROR_SUCCESS)
        return def;
    buf.resize(got / sizeof(wchar_t));
    const std::size_t zero = buf.find(L'\0');
    if (zero != std::wstring::npos) buf.resize(zero);
    if (type == REG_EXPAND_SZ) buf = ExpandEnvironment(buf);
    return Narrow(buf);
}

bool RegWrite(RootKey root, const std::string& fullPath, const std::string& text) {
    const std::wstring w = Wide(text);
    return WriteValue(root, fullPath, REG_SZ, w.c_str(), static_cast<DWORD>((w.size() + 1) * sizeof(wchar_t)));
}

bool RegWrite(RootKey root, const std::string& fullPath, std::int32_t number) {
    const DWORD v = static_cast<DWORD>(number);
    return WriteValue(root, fullPath, REG_DWORD, &v, sizeof v);
}

bool RegWrite(RootKey root, const std::string& fullPath, const std::vector<std::uint8_t>& bytes) {
    return WriteValue(root, fullPath, REG_BINARY, bytes.data(), static_cast<DWORD>(bytes.size()));
}

bool RegDelete(RootKey root, const std::string& fullPath) {
    const RegPath path = SplitFullPath(fullPath);
    {
        UniqueKey k;
        if (Sys().RegOpenKeyExW(HiveOf(root), Wide(path.key).c_str(), 0, KEY_WRITE, k.out()) == ERROR_SUCCESS &&
            RegDeleteValueW(k.get(), Wide(path.value).c_str()) == ERROR_SUCCESS)
            return true;
    }
    // An empty name would mean the hive itself.
    if (fullPath.empty()) return false;
    return Sys().RegDeleteKeyW(HiveOf(root), Wide(fullPath).c_str()) == ERROR_SUCCESS;
}

std::optional<std::vector<std::uint8_t>> RegReadBytes(RootKey root, const std::string& fullPath) {
    const RegPath path = SplitFullPath(fullPath);
    UniqueKey k;
    if (Sys().RegOpenKeyExW(HiveOf(root), Wide(path.key).c_str(), 0, KEY_READ, k.out()) != ERROR_SUCCESS)
        return std::nullopt;
    const std::wstring name = Wide(path.value);
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExW(k.get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS || type != REG_BINARY)
        return std::nullopt;
    std::vector<std::uint8_t> bytes(size);
    if (RegQueryValueExW(k.get(), name.c_str(), nullptr, &type, bytes.data(), &size) != ERROR_SUCCESS ||
        type != REG_BINARY)
        return std::nullopt;
    bytes.resize(size);
    return bytes;
}

const ProgramLocation& GetProgramLocation() {
    static const ProgramLocation location = ReadProgramLocation();
    return location;
}

void InitProgramLocation() {
    const ProgramLocation& location = GetProgramLocation();
    // A drive root ("C:") needs its backslash to name the root rather than the drive's current directory.
    std::wstring dir = Wide(location.directory);
    if (dir.size() == 2 && dir[1] == L':') dir += L'\\';
    if (!dir.empty()) SetCurrentDirectoryW(dir.c_str());
}

// In the design pixels of the primary monitor's scale, the one the windows placed on it are scaled by.
int ScreenWidth() { return ToDesign(GetSystemMetrics(SM_CXSCREEN), PrimaryDpi()); }

int ScreenHeight() { return ToDesign(GetSystemMetrics(SM_CYSCREEN), PrimaryDpi()); }

// In physical pixels whatever the caller's awareness, like the screen metrics of this process.
Rect WorkArea() {
    RECT r{};
    if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0))
        r = RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    return ToDesign(Rect{r.left, r.top, r.right - r.left, r.bottom - r.top}, PrimaryDpi());
}

bool FileExists(const std::string& path) {
    if (path.empty()) return false;
    WIN32_FIND_DATAW data;
    return static_cast<bool>(UniqueSearch(FindFirstFileW(Wide(path).c_str(), &data)));
}

bool ShutdownSystem(int mode, bool force, HWND own) {
    if (mode < 1 || mode > 5) return false;
    if (!EnableShutdownPrivilege()) return false;
    if (mode <= 3) {
        const UINT how = mode == 1 ? EWX_POWEROFF : mode == 2 ? EWX_REBOOT : EWX_LOGOFF;
        // Forcing every program closed would throw away the user's unsaved documents; programs are asked
        // and only those that do not answer are ended, and one that asks its user to save holds it up.
        return Sys().ExitWindowsEx(how | (force ? EWX_FORCEIFHUNG : 0),
                                   SHTDN_REASON_MAJOR_OTHER | SHTDN_REASON_FLAG_PLANNED) != 0;
    }
    // A Modern Standby machine has no sleep state of its own to enter: it goes to standby the way its power
    // button takes it there, by turning the display off.
    SYSTEM_POWER_CAPABILITIES power{};
    if (mode == 4 && Sys().GetPwrCapabilities(&power) && AoAcOf(power)) {
        if (!own) return false;
        TurnOffMonitor(own);
        return true;
    }
    return Sys().SetSuspendState(mode == 5, FALSE, FALSE) != 0;
}

void TurnOffMonitor(HWND own) {
    // The window's default handling turns the display off; no other program's window is asked, so none
    // that is slow or hung can hold the bar up.
    if (own) SendMessageW(own, WM_SYSCOMMAND, SC_MONITORPOWER, 2);
}

}  // namespace dida::win32
