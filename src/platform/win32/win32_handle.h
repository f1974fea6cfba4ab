#pragma once
// Kernel objects the backend owns: closed once, by their owner's end, whatever way it ends.
#include <windows.h>

#include <utility>

namespace dida::win32 {

// A kernel handle, closed when it goes. Either of the system's two "no handle" values counts as none:
// CreateFile answers INVALID_HANDLE_VALUE, most other calls nullptr.
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(HANDLE h) : h_(h == INVALID_HANDLE_VALUE ? nullptr : h) {}
    ~UniqueHandle() { Reset(); }
    UniqueHandle(UniqueHandle&& o) noexcept : h_(std::exchange(o.h_, nullptr)) {}
    UniqueHandle& operator=(UniqueHandle&& o) noexcept {
        if (this != &o) {
            Reset();
            h_ = std::exchange(o.h_, nullptr);
        }
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    HANDLE get() const { return h_; }
    explicit operator bool() const { return h_ != nullptr; }
    void Reset(HANDLE h = nullptr) {
        if (h_) CloseHandle(h_);
        h_ = h == INVALID_HANDLE_VALUE ? nullptr : h;
    }

private:
    HANDLE h_ = nullptr;
};

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
