// Dynamic Annotation of the controls and the live region's event.
#include <initguid.h>

#include "platform/win32/win32_accessibility.h"

#include "platform/win32/win32_libraries.h"

namespace dida::win32 {

// {C12BCD8E-2A8E-4950-8AE7-3625111D58EB}, LiveSetting_Property_GUID of uiautomationclient.h.
const GUID kLiveSettingProperty = {0xc12bcd8e, 0x2a8e, 0x4950, {0x8a, 0xe7, 0x36, 0x25, 0x11, 0x1d, 0x58, 0xeb}};

HRESULT WINAPI CreateAccPropServicesThroughCom(IAccPropServices** services) {
    *services = nullptr;
    const ComApi* com = ComLibrary();
    if (!com) return REGDB_E_CLASSNOTREG;
    // The window thread's apartment, entered at the first annotation and kept for the thread's life (the
    // file dialog enters the same kind of apartment on its own). A thread already in another kind keeps it.
    thread_local const bool entered = [com] {
        const HRESULT hr = com->CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        return SUCCEEDED(hr) || hr == RPC_E_CHANGED_MODE;
    }();
    if (!entered) return CO_E_NOTINITIALIZED;
    return com->CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER, IID_IAccPropServices,
                                 reinterpret_cast<void**>(services));
}

namespace {

void SetLong(IAccPropServices& s, HWND hwnd, const GUID& prop, const std::optional<LONG>& v) {
    if (v) {
        VARIANT var{};  // zeroed as VariantInit leaves it, without loading oleaut32 for it
        var.vt = VT_I4;
        var.lVal = *v;
        s.SetHwndProp(hwnd, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, prop, var);
    } else {
        s.ClearHwndProps(hwnd, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, &prop, 1);
    }
}

}  // namespace

void Annotate(IAccPropServices& s, HWND hwnd, const Annotation& a) {
    if (!hwnd) return;
    if (a.name)
        s.SetHwndPropStr(hwnd, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, PROPID_ACC_NAME, a.name->c_str());
    else
        s.ClearHwndProps(hwnd, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, &PROPID_ACC_NAME, 1);
    SetLong(s, hwnd, PROPID_ACC_ROLE, a.role);
    SetLong(s, hwnd, PROPID_ACC_STATE, a.state);
    SetLong(s, hwnd, kLiveSettingProperty,
            a.liveSetting ? std::optional<LONG>(static_cast<LONG>(*a.liveSetting)) : std::nullopt);
}

void ClearAnnotation(IAccPropServices& s, HWND hwnd) {
    if (!hwnd) return;
    const GUID props[] = {PROPID_ACC_NAME, PROPID_ACC_ROLE, PROPID_ACC_STATE, kLiveSettingProperty};
    s.ClearHwndProps(hwnd, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, props, 4);
}

void RaiseLiveRegionChanged(HWND hwnd) {
    if (hwnd) NotifyWinEvent(kEventLiveRegionChanged, hwnd, OBJID_CLIENT, CHILDID_SELF);
}

}  // namespace dida::win32
