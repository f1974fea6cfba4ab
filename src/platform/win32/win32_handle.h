#pragma once
// What the backend owns of the system: given back once, by its owner's end, whatever way it ends.
#include <windows.h>

#include <utility>

namespace dida::win32 {

// One owner for every kind of object; a kind names its handle type, which of the values it may be handed
// count as none, and the call that gives it back.
template <class Kind>
class Owned {
public:
    using Type = typename Kind::Type;

    Owned() = default;
    explicit Owned(Type h) : h_(Kind::Valid(h) ? h : nullptr) {}
    ~Owned() { Reset(); }
    Owned(Owned&& o) noexcept : h_(std::exchange(o.h_, nullptr)) {}
    Owned& operator=(Owned&& o) noexcept {
        if (this != &o) {
            Reset();
            h_ = std::exchange(o.h_, nullptr);
        }
        return *this;
    }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;

    Type get() const { return h_; }
    explicit operator bool() const { return h_ != nullptr; }
    void Reset(Type h = nullptr) {
        if (h_) Kind::Close(h_);
        h_ = Kind::Valid(h) ? h : nullptr;
    }
    // For the calls that hand the object out through a pointer. Nothing held is closed here: the one owner
    // asked twice (open the key, else create it) asks again only after a failure, whose answer it overwrites.
    Type* out() { return &h_; }

private:
    Type h_ = nullptr;
};

// The kinds: most calls answer nullptr for no object, and their object goes with one call.
template <class H, auto CloseCall>
struct NullIsNone {
    using Type = H;
    static bool Valid(H h) { return h != nullptr; }
    static void Close(H h) { CloseCall(h); }
};
// Either of the system's two "no handle" values counts as none: CreateFile and FindFirstFile answer
// INVALID_HANDLE_VALUE, most other calls nullptr.
template <auto CloseCall>
struct EitherIsNone {
    using Type = HANDLE;
    static bool Valid(HANDLE h) { return h && h != INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { CloseCall(h); }
};
using KernelObject = EitherIsNone<&CloseHandle>;
using FileSearch = EitherIsNone<&FindClose>;  // a search has a closing call of its own
using RegistryKey = NullIsNone<HKEY, &RegCloseKey>;
template <class H>
using GdiObject = NullIsNone<H, &DeleteObject>;
using Icon = NullIsNone<HICON, &DestroyIcon>;

using UniqueHandle = Owned<KernelObject>;
using UniqueKey = Owned<RegistryKey>;
using UniqueSearch = Owned<FileSearch>;
using UniqueBitmap = Owned<GdiObject<HBITMAP>>;
using UniqueFont = Owned<GdiObject<HFONT>>;
using UniqueBrush = Owned<GdiObject<HBRUSH>>;
using UniqueIcon = Owned<Icon>;

// An unnamed event.
class Event {
public:
    explicit Event(bool manualReset) : h_(CreateEventW(nullptr, manualReset, FALSE, nullptr)) {}
    HANDLE get() const { return h_.get(); }
    void Set() const { SetEvent(h_.get()); }
    bool IsSet() const { return WaitForSingleObject(h_.get(), 0) == WAIT_OBJECT_0; }

private:
    UniqueHandle h_;
};

// Every lock of the sound workers is a critical section: the device notifications may enter one, and the
// MinGW thread library's mutexes were seen corrupted in a program built with a wide-character entry point.
class CriticalLock {
public:
    CriticalLock() { InitializeCriticalSection(&cs_); }
    ~CriticalLock() { DeleteCriticalSection(&cs_); }
    CriticalLock(const CriticalLock&) = delete;
    CriticalLock& operator=(const CriticalLock&) = delete;
    void lock() { EnterCriticalSection(&cs_); }
    void unlock() { LeaveCriticalSection(&cs_); }

private:
    CRITICAL_SECTION cs_;
};

}  // namespace dida::win32
