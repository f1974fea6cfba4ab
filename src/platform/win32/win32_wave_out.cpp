#include "platform/win32/win32_wave_out.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <thread>

#include "platform/win32/win32_libraries.h"
#include "platform/win32/win32_system_calls.h"

namespace dida::win32 {

std::size_t ChunkBytes(std::size_t blockAlign) {
    return blockAlign > 1 ? kBufferBytes - kBufferBytes % blockAlign : kBufferBytes;
}

bool OutputTakes(const WAVEFORMATEX& format) {
    return Sys().waveOutOpen(nullptr, WAVE_MAPPER, &format, 0, 0, WAVE_FORMAT_QUERY) == MMSYSERR_NOERROR;
}

// ---- the device

WaveOutput::WaveOutput() : freed_(false) {
    for (int i = 0; i < kBufferCount; ++i) memory_[i].resize(kBufferBytes);
    std::memset(headers_, 0, sizeof headers_);
}

bool WaveOutput::Open(const WAVEFORMATEX* format) {
    // Without the sound library nothing plays: the same as a machine without a device.
    mm_ = WinmmLibrary();
    if (!freed_.get() || !mm_) return false;
    return Sys().waveOutOpen(&device_, WAVE_MAPPER, format, reinterpret_cast<DWORD_PTR>(&Notify),
                             reinterpret_cast<DWORD_PTR>(this), CALLBACK_FUNCTION) == MMSYSERR_NOERROR;
}

WaveOutput::Wait WaveOutput::WaitFor(HANDLE stop, bool all) {
    for (;;) {
        if (WaitForSingleObject(stop, 0) == WAIT_OBJECT_0) return Wait::Stopped;
        const int free = FreeCount();
        if (all ? free == kBufferCount : free > 0) return Wait::Ready;
        const HANDLE handles[2] = {stop, freed_.get()};
        const DWORD r = WaitForMultipleObjects(2, handles, FALSE, kStallMs);
        if (r == WAIT_OBJECT_0) return Wait::Stopped;
        if (r != WAIT_OBJECT_0 + 1) return Wait::Stalled;
    }
}

bool WaveOutput::Write(const std::uint8_t* data, std::size_t n) {
    WAVEHDR& h = headers_[next_];
    if (h.dwFlags & WHDR_PREPARED) mm_->waveOutUnprepareHeader(device_, &h, sizeof h);
    std::memcpy(memory_[next_].data(), data, n);
    std::memset(&h, 0, sizeof h);
    h.lpData = reinterpret_cast<LPSTR>(memory_[next_].data());
    h.dwBufferLength = DWORD(n);
    if (mm_->waveOutPrepareHeader(device_, &h, sizeof h) != MMSYSERR_NOERROR) return false;
    {
        std::lock_guard<CriticalLock> g(lock_);
        --free_;
    }
    if (mm_->waveOutWrite(device_, &h, sizeof h) != MMSYSERR_NOERROR) {
        std::lock_guard<CriticalLock> g(lock_);
        ++free_;
        return false;
    }
    next_ = (next_ + 1) % kBufferCount;
    return true;
}

void WaveOutput::Close() {
    if (!device_) return;
    mm_->waveOutReset(device_);
    // The reset hands the buffers back through the notification, possibly a little later; closing
    // before the last one is back would leave the device writing into a freed counter.
    for (;;) {
        if (FreeCount() == kBufferCount) break;
        if (WaitForSingleObject(freed_.get(), kStallMs) != WAIT_OBJECT_0) break;
    }
    for (WAVEHDR& h : headers_)
        if (h.dwFlags & WHDR_PREPARED) mm_->waveOutUnprepareHeader(device_, &h, sizeof h);
    for (int attempt = 0; attempt < 100 && mm_->waveOutClose(device_) == WAVERR_STILLPLAYING; ++attempt) {
        mm_->waveOutReset(device_);
        Sleep(10);
    }
    device_ = nullptr;
}

int WaveOutput::FreeCount() {
    std::lock_guard<CriticalLock> g(lock_);
    return free_;
}

void CALLBACK WaveOutput::Notify(HWAVEOUT, UINT msg, DWORD_PTR instance, DWORD_PTR, DWORD_PTR) {
    if (msg != WOM_DONE) return;
    auto* self = reinterpret_cast<WaveOutput*>(instance);
    {
        std::lock_guard<CriticalLock> g(self->lock_);
        ++self->free_;
    }
    self->freed_.Set();
}

// ---- WAV streams

void StreamList::Start(const std::shared_ptr<WavStream>& stream, const std::shared_ptr<StreamList>& self) {
    {
        std::lock_guard<CriticalLock> g(lock);
        streams.push_back(stream);
        ResetEvent(emptied.get());
    }
    stream->list_ = self;
    // The worker holds the stream alive until it has left the list and closed its device.
    std::thread([stream] { stream->Run(); }).detach();
}

WavStream::WavStream(const WavInfo& info, bool loop)
    : samples_(info.samples.begin(), info.samples.end()), loop_(loop), stop_(true),
      blockAlign_(std::max<std::size_t>(info.blockAlign, 1)) {
    // The format chunk is the start of a WAVEFORMATEX; a plain 16-byte PCM chunk lacks cbSize.
    format_.assign(std::max<std::size_t>(info.format.size(), sizeof(WAVEFORMATEX)), 0);
    std::memcpy(format_.data(), info.format.data(), info.format.size());
    auto* wf = reinterpret_cast<WAVEFORMATEX*>(format_.data());
    const std::size_t extra = format_.size() - sizeof(WAVEFORMATEX);
    if (info.format.size() < sizeof(WAVEFORMATEX) || wf->cbSize > extra) wf->cbSize = WORD(extra);
}

bool WavStream::Open() {
    return samples_.size() >= blockAlign_ && stop_.get() &&
           output_.Open(reinterpret_cast<const WAVEFORMATEX*>(format_.data()));
}

void WavStream::Run() {
    const std::size_t chunk = ChunkBytes(blockAlign_);
    std::size_t pos = 0;
    for (;;) {
        const bool dataLeft = samples_.size() - pos >= blockAlign_;
        if (output_.WaitFor(stop_.get(), !dataLeft) != WaveOutput::Wait::Ready) break;
        if (dataLeft) {
            std::size_t n = std::min(chunk, samples_.size() - pos);
            n -= n % blockAlign_;
            if (!output_.Write(samples_.data() + pos, n)) break;
            pos += n;
        } else if (loop_) {
            pos = 0;
        } else {
            break;
        }
    }
    output_.Close();
    std::lock_guard<CriticalLock> g(list_->lock);
    list_->streams.remove(shared_from_this());
    if (list_->streams.empty()) list_->emptied.Set();
}

}  // namespace dida::win32
