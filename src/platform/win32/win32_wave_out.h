#pragma once
// The wave output device and the streams that feed it: one opened device with its ring of buffers, and a
// WAV image playing on a worker thread of its own.
#include <windows.h>
#include <mmsystem.h>

#include <cstddef>
#include <cstdint>
#include <list>
#include <memory>
#include <vector>

#include "platform/sound_format.h"
#include "platform/win32/win32_handle.h"

namespace dida::win32 {

struct WinmmApi;

inline constexpr int kBufferCount = 20;
inline constexpr std::size_t kBufferBytes = 15360;
// A device that has not handed back a single buffer for this long is taken for hung.
inline constexpr DWORD kStallMs = 8888;

// The largest run of bytes a buffer takes without splitting a sample frame.
std::size_t ChunkBytes(std::size_t blockAlign);

// Asked without opening anything: whether an output device would take the format now.
bool OutputTakes(const WAVEFORMATEX& format);

// One opened wave output device with its ring of buffers. The owner fills buffers in order; the
// device hands them back in the same order and the notification only counts them.
class WaveOutput {
public:
    enum class Wait { Ready, Stopped, Stalled };

    WaveOutput();
    ~WaveOutput() { Close(); }
    WaveOutput(const WaveOutput&) = delete;
    WaveOutput& operator=(const WaveOutput&) = delete;

    bool Open(const WAVEFORMATEX* format);
    // Waits until a buffer is free (all is false) or all of them are (all is true).
    Wait WaitFor(HANDLE stop, bool all);
    // Hands the next buffer to the device; the caller has seen one free.
    bool Write(const std::uint8_t* data, std::size_t n);
    void Close();

private:
    int FreeCount();
    static void CALLBACK Notify(HWAVEOUT, UINT msg, DWORD_PTR instance, DWORD_PTR, DWORD_PTR);

    const WinmmApi* mm_ = nullptr;  // set by Open, before the device exists
    HWAVEOUT device_ = nullptr;
    CriticalLock lock_;  // guards free_ against the notification
    int free_ = kBufferCount;
    Event freed_;  // auto-reset: one wake-up per returned buffer
    WAVEHDR headers_[kBufferCount];
    std::vector<std::uint8_t> memory_[kBufferCount];
    int next_ = 0;
};

class WavStream;

// The streams playing, shared with them, so that a stream finishing late still has a list to leave.
struct StreamList {
    CriticalLock lock;
    std::list<std::shared_ptr<WavStream>> streams;
    // Set while the list is empty. An event rather than a condition variable: the MinGW thread
    // library's lazily created condition variables crashed under a first wait racing a first notify.
    Event emptied{true};
    StreamList() { emptied.Set(); }
    // Joins the list and starts the stream's worker.
    void Start(const std::shared_ptr<WavStream>& stream, const std::shared_ptr<StreamList>& self);
};

class WavStream : public std::enable_shared_from_this<WavStream> {
public:
    WavStream(const WavInfo& info, bool loop);
    // Fewer bytes than one sample frame leave nothing to hand the device.
    bool Open();
    void Stop() { stop_.Set(); }

private:
    friend struct StreamList;
    void Run();

    std::vector<std::uint8_t> samples_;
    std::vector<std::uint8_t> format_;
    bool loop_;
    Event stop_;
    std::size_t blockAlign_;
    WaveOutput output_;
    std::shared_ptr<StreamList> list_;
};

}  // namespace dida::win32
