#include "platform/win32/win32_system_calls.h"

#include "platform/win32/win32_libraries.h"

namespace dida::win32 {

MMRESULT WINAPI WaveOutOpenThroughLibrary(LPHWAVEOUT device, UINT id, LPCWAVEFORMATEX format, DWORD_PTR callback,
                                          DWORD_PTR instance, DWORD flags) {
    const WinmmApi* mm = WinmmLibrary();
    return mm ? mm->waveOutOpen(device, id, format, callback, instance, flags) : MMSYSERR_NODRIVER;
}

SystemCalls& Sys() {
    static SystemCalls calls;
    return calls;
}

}  // namespace dida::win32
