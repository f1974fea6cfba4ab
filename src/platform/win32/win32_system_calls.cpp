#include "platform/win32/win32_system_calls.h"

#include "platform/win32/win32_libraries.h"

namespace dida::win32 {

MMRESULT WINAPI WaveOutOpenThroughLibrary(LPHWAVEOUT device, UINT id, LPCWAVEFORMATEX format, DWORD_PTR callback,
                                          DWORD_PTR instance, DWORD flags) {
    const WinmmApi* mm = WinmmLibrary();
    return mm ? mm->waveOutOpen(device, id, format, callback, instance, flags) : MMSYSERR_NODRIVER;
}

BOOLEAN WINAPI GetPwrCapabilitiesThroughLibrary(PSYSTEM_POWER_CAPABILITIES capabilities) {
    const PowerApi* power = PowerLibrary();
    if (!power) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return FALSE;
    }
    return power->GetPwrCapabilities(capabilities);
}

BOOLEAN WINAPI SetSuspendStateThroughLibrary(BOOLEAN hibernate, BOOLEAN force, BOOLEAN wakeUpEventsDisabled) {
    const PowerApi* power = PowerLibrary();
    if (!power) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return FALSE;
    }
    return power->SetSuspendState(hibernate, force, wakeUpEventsDisabled);
}

SystemCalls& Sys() {
    static SystemCalls calls;
    return calls;
}

}  // namespace dida::win32
