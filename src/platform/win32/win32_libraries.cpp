#include "platform/win32/win32_libraries.h"

#include <set>
#include <string>

namespace dida::win32 {
namespace {

// Guards every table and the simulated failures; taken only at a feature's use, never on a hot path.
SRWLOCK g_lock = SRWLOCK_INIT;
std::set<std::wstring> g_missing;
unsigned g_generation = 0;  // moves on with every change of g_missing, so tables are looked up afresh

// From the system folder by full path: a library of that name next to the program or in the current
// folder is never picked up instead.
HMODULE LoadSystemLibrary(const wchar_t* file) {
    std::wstring name = file;
    if (g_missing.count(name)) name = L"dida-missing-" + name;
    wchar_t dir[MAX_PATH];
    const UINT n = GetSystemDirectoryW(dir, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return nullptr;
    const std::wstring path = std::wstring(dir, n) + L"\\" + name;
    return LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

template <class F>
bool Resolve(HMODULE module, const char* name, F& f) {
    f = module ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
    return f != nullptr;
}

// One table, looked up at its first use (and again after the simulated failures changed). Once filled it
// is never written again: a caller may keep the pointer while its library stays loaded.
template <class Api>
class Lazy {
public:
    using Lookup = bool (*)(Api&);
    constexpr explicit Lazy(Lookup lookup) : lookup_(lookup) {}
    const Api* Get() {
        AcquireSRWLockExclusive(&g_lock);
        if (!tried_ || generation_ != g_generation) {
            tried_ = true;
            generation_ = g_generation;
            Api found{};
            ok_ = lookup_(found);
            if (ok_ && !filled_) api_ = found;
            filled_ = filled_ || ok_;
        }
        const Api* result = ok_ ? &api_ : nullptr;
        ReleaseSRWLockExclusive(&g_lock);
        return result;
    }
    void Forget() {
        AcquireSRWLockExclusive(&g_lock);
        tried_ = false;
        ReleaseSRWLockExclusive(&g_lock);
    }

private:
    Lookup lookup_;
    Api api_{};
    bool tried_ = false, ok_ = false, filled_ = false;
    unsigned generation_ = 0;
};

// Each entry point under the name it is declared with in the table.
#define DIDA_RESOLVE(module, api, name) Resolve(module, #name, (api).name)

bool LookUpFileDialogs(FileDialogApi& a) {
    HMODULE m = LoadSystemLibrary(L"comdlg32.dll");
    return DIDA_RESOLVE(m, a, GetOpenFileNameW) && DIDA_RESOLVE(m, a, GetSaveFileNameW);
}

// GDI+ is started once per process and ended by ShutdownGdiplus; a table looked up again while it runs
// (after a simulated failure) uses the same session.
ULONG_PTR g_gdiplusToken = 0;
decltype(&Gdiplus::GdiplusShutdown) g_gdiplusShutdown = nullptr;

bool LookUpGdiplus(GdiplusApi& a) {
    HMODULE ole = LoadSystemLibrary(L"ole32.dll");
    HMODULE m = LoadSystemLibrary(L"gdiplus.dll");
    decltype(&Gdiplus::GdiplusStartup) startup = nullptr;
    decltype(&Gdiplus::GdiplusShutdown) shutdown = nullptr;
    const bool found = DIDA_RESOLVE(ole, a, CreateStreamOnHGlobal) && Resolve(m, "GdiplusStartup", startup) &&
                       Resolve(m, "GdiplusShutdown", shutdown) && DIDA_RESOLVE(m, a, GdipLoadImageFromStream) &&
                       DIDA_RESOLVE(m, a, GdipDisposeImage) && DIDA_RESOLVE(m, a, GdipImageGetFrameDimensionsCount) &&
                       DIDA_RESOLVE(m, a, GdipImageGetFrameDimensionsList) &&
                       DIDA_RESOLVE(m, a, GdipImageGetFrameCount) && DIDA_RESOLVE(m, a, GdipGetPropertyItemSize) &&
                       DIDA_RESOLVE(m, a, GdipGetPropertyItem) && DIDA_RESOLVE(m, a, GdipImageSelectActiveFrame) &&
                       DIDA_RESOLVE(m, a, GdipGetImageWidth) && DIDA_RESOLVE(m, a, GdipGetImageHeight) &&
                       DIDA_RESOLVE(m, a, GdipCreateFromHDC) && DIDA_RESOLVE(m, a, GdipDrawImageRectI) &&
                       DIDA_RESOLVE(m, a, GdipDeleteGraphics);
    if (!found) return false;
    if (g_gdiplusToken) return true;
    Gdiplus::GdiplusStartupInput input;
    if (startup(&g_gdiplusToken, &input, nullptr) != Gdiplus::Ok) g_gdiplusToken = 0;
    g_gdiplusShutdown = shutdown;
    return g_gdiplusToken != 0;
}

bool LookUpAcm(AcmApi& a) {
    HMODULE m = LoadSystemLibrary(L"msacm32.dll");
    return DIDA_RESOLVE(m, a, acmStreamOpen) && DIDA_RESOLVE(m, a, acmStreamClose) &&
           DIDA_RESOLVE(m, a, acmStreamSize) && DIDA_RESOLVE(m, a, acmStreamPrepareHeader) &&
           DIDA_RESOLVE(m, a, acmStreamUnprepareHeader) && DIDA_RESOLVE(m, a, acmStreamConvert);
}

bool LookUpWinmm(WinmmApi& a) {
    HMODULE m = LoadSystemLibrary(L"winmm.dll");
    return DIDA_RESOLVE(m, a, PlaySoundW) && DIDA_RESOLVE(m, a, waveOutOpen) && DIDA_RESOLVE(m, a, waveOutClose) &&
           DIDA_RESOLVE(m, a, waveOutPrepareHeader) && DIDA_RESOLVE(m, a, waveOutUnprepareHeader) &&
           DIDA_RESOLVE(m, a, waveOutWrite) && DIDA_RESOLVE(m, a, waveOutReset) && DIDA_RESOLVE(m, a, midiStreamOpen) &&
           DIDA_RESOLVE(m, a, midiStreamClose) && DIDA_RESOLVE(m, a, midiStreamOut) &&
           DIDA_RESOLVE(m, a, midiStreamProperty) && DIDA_RESOLVE(m, a, midiStreamRestart) &&
           DIDA_RESOLVE(m, a, midiStreamStop) && DIDA_RESOLVE(m, a, midiOutPrepareHeader) &&
           DIDA_RESOLVE(m, a, midiOutUnprepareHeader) && DIDA_RESOLVE(m, a, midiOutReset);
}

bool LookUpPower(PowerApi& a) {
    HMODULE m = LoadSystemLibrary(L"powrprof.dll");
    return DIDA_RESOLVE(m, a, GetPwrCapabilities) && DIDA_RESOLVE(m, a, SetSuspendState);
}

bool LookUpCom(ComApi& a) {
    HMODULE m = LoadSystemLibrary(L"ole32.dll");
    return DIDA_RESOLVE(m, a, CoInitializeEx) && DIDA_RESOLVE(m, a, CoCreateInstance);
}

#undef DIDA_RESOLVE

Lazy<FileDialogApi> g_fileDialogs(&LookUpFileDialogs);
Lazy<GdiplusApi> g_gdiplus(&LookUpGdiplus);
Lazy<AcmApi> g_acm(&LookUpAcm);
Lazy<WinmmApi> g_winmm(&LookUpWinmm);
Lazy<PowerApi> g_power(&LookUpPower);
Lazy<ComApi> g_com(&LookUpCom);

}  // namespace

const FileDialogApi* FileDialogLibrary() { return g_fileDialogs.Get(); }
const GdiplusApi* GdiplusLibrary() { return g_gdiplus.Get(); }
const AcmApi* AcmLibrary() { return g_acm.Get(); }
const WinmmApi* WinmmLibrary() { return g_winmm.Get(); }
const PowerApi* PowerLibrary() { return g_power.Get(); }
const ComApi* ComLibrary() { return g_com.Get(); }

void ShutdownGdiplus() {
    AcquireSRWLockExclusive(&g_lock);
    if (g_gdiplusToken && g_gdiplusShutdown) g_gdiplusShutdown(g_gdiplusToken);
    g_gdiplusToken = 0;
    ReleaseSRWLockExclusive(&g_lock);
    g_gdiplus.Forget();
}

void SimulateMissingLibrary(const wchar_t* file, bool missing) {
    AcquireSRWLockExclusive(&g_lock);
    if (missing)
        g_missing.insert(file);
    else
        g_missing.erase(file);
    ++g_generation;
    ReleaseSRWLockExclusive(&g_lock);
}

}  // namespace dida::win32
