#include "platform/win32/win32_sound.h"

#include <windows.h>
#include <mmsystem.h>
#include <mmreg.h>
#include <msacm.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <list>
#include <mutex>
#include <optional>
#include <thread>

#include "platform/sound_format.h"
#include "platform/win32/win32_libraries.h"
#include "platform/win32/win32_system_calls.h"
#include "platform/win32/win32_text.h"

namespace dida::win32 {

namespace {

constexpr int kBufferCount = 20;
constexpr std::size_t kBufferBytes = 15360;
// A device that has not handed back a single buffer for this long is taken for hung.
constexpr DWORD kStallMs = 8888;

class Event {
public:
    explicit Event(bool manualReset) : h_(CreateEventW(nullptr, manualReset, FALSE, nullptr)) {}
    ~Event() {
        if (h_) CloseHandle(h_);
    }
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;
    HANDLE get() const { return h_; }
    void Set() const { SetEvent(h_); }
    bool IsSet() const { return WaitForSingleObject(h_, 0) == WAIT_OBJECT_0; }

private:
    HANDLE h_;
};

// The program only reads its sounds, and only for a moment: the user may rename, move or delete the music
// while it rings (Explorer must not answer "in use"); the next pass then finds it gone.
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::string& utf8Name) {
    if (utf8Name.empty()) return std::nullopt;
    HANDLE f = CreateFileW(Wide(utf8Name).c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return std::nullopt;
    std::optional<std::vector<std::uint8_t>> result;
    LARGE_INTEGER size{};
    // Sound files are small; anything beyond 1 GiB is not one the program could hold anyway.
    if (GetFileSizeEx(f, &size) && size.QuadPart >= 0 && size.QuadPart < (LONGLONG(1) << 30)) {
        std::vector<std::uint8_t> bytes(std::size_t(size.QuadPart));
        std::size_t got = 0;
        while (got < bytes.size()) {
            DWORD n = 0;
            const DWORD want = DWORD(std::min<std::size_t>(bytes.size() - got, 1u << 20));
            if (!ReadFile(f, bytes.data() + got, want, &n, nullptr) || n == 0) break;
            got += n;
        }
        if (got == bytes.size()) result = std::move(bytes);
    }
    CloseHandle(f);
    return result;
}

std::vector<std::uint8_t> ReadAt(HANDLE f, std::uint64_t pos, std::size_t n) {
    std::vector<std::uint8_t> bytes(n);
    LARGE_INTEGER at{};
    at.QuadPart = LONGLONG(pos);
    if (!SetFilePointerEx(f, at, nullptr, FILE_BEGIN)) return {};
    std::size_t got = 0;
    while (got < n) {
        DWORD read = 0;
        if (!ReadFile(f, bytes.data() + got, DWORD(n - got), &read, nullptr) || read == 0) break;
        got += read;
    }
    bytes.resize(got);
    return bytes;
}

// Enough audio to find the first frames of any real file; the rest is the player's business.
constexpr std::size_t kProbeBytes = std::size_t(1) << 20;

// Whether the named file can produce sound, judged on the GUI thread before anything starts: ID3v2 tags
// (pictures make them megabytes long) are stepped over by seeking, then at most kProbeBytes of audio are
// read. A directory or a wildcard does not open as a file, so it cannot sound. The first frame's header tells
// what the file decodes to.
std::optional<MpegHeader> PlayableMp3(const std::string& utf8Name) {
    if (utf8Name.empty()) return std::nullopt;
    HANDLE f = CreateFileW(Wide(utf8Name).c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return std::nullopt;
    std::optional<MpegHeader> playable;
    LARGE_INTEGER size{};
    if (GetFileSizeEx(f, &size) && size.QuadPart > 0) {
        const std::uint64_t total = std::uint64_t(size.QuadPart);
        std::uint64_t pos = 0;
        while (pos < total) {
            const std::size_t tag = Id3v2TagLength(ReadAt(f, pos, 10));
            if (tag == 0) break;
            pos += tag;
        }
        if (pos < total) {
            const std::size_t want = std::size_t(std::min<std::uint64_t>(total - pos, kProbeBytes));
            const std::vector<std::uint8_t> audio = ReadAt(f, pos, want);
            if (audio.size() == want && Mp3Playable(audio, pos + want == total))
                if (const auto frame = MpegFrameScanner(audio).Next()) playable = frame->header;
        }
    }
    CloseHandle(f);
    return playable;
}

// What the decoder makes of a stream: 16-bit PCM at its rate and channels.
WAVEFORMATEX PcmOf(const MpegHeader& first) {
    WAVEFORMATEX pcm{};
    pcm.wFormatTag = WAVE_FORMAT_PCM;
    pcm.nChannels = WORD(first.channels);
    pcm.nSamplesPerSec = DWORD(first.sampleRate);
    pcm.wBitsPerSample = 16;
    pcm.nBlockAlign = WORD(pcm.nChannels * 2);
    pcm.nAvgBytesPerSec = pcm.nSamplesPerSec * pcm.nBlockAlign;
    return pcm;
}

// Asked without opening anything: whether an output device would take the format now.
bool OutputTakes(const WAVEFORMATEX& format) {
    return Sys().waveOutOpen(nullptr, WAVE_MAPPER, &format, 0, 0, WAVE_FORMAT_QUERY) == MMSYSERR_NOERROR;
}

// One opened wave output device with its ring of buffers. The owner fills buffers in order; the
// device hands them back in the same order and the notification only counts them.
class WaveOutput {
public:
    enum class Wait { Ready, Stopped, Stalled };

    WaveOutput() : freed_(false) {
        for (int i = 0; i < kBufferCount; ++i) memory_[i].resize(kBufferBytes);
        std::memset(headers_, 0, sizeof headers_);
    }
    ~WaveOutput() { Close(); }
    WaveOutput(const WaveOutput&) = delete;
    WaveOutput& operator=(const WaveOutput&) = delete;

    bool Open(const WAVEFORMATEX* format) {
        // Without the sound library nothing plays: the same as a machine without a device.
        mm_ = WinmmLibrary();
        if (!freed_.get() || !mm_) return false;
        return Sys().waveOutOpen(&device_, WAVE_MAPPER, format, reinterpret_cast<DWORD_PTR>(&Notify),
                                 reinterpret_cast<DWORD_PTR>(this), CALLBACK_FUNCTION) == MMSYSERR_NOERROR;
    }

    // Waits until a buffer is free (all is false) or all of them are (all is true).
    Wait WaitFor(HANDLE stop, bool all) {
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

    // Hands the next buffer to the device; the caller has seen one free.
    bool Write(const std::uint8_t* data, std::size_t n) {
        WAVEHDR& h = headers_[next_];
        if (h.dwFlags & WHDR_PREPARED) mm_->waveOutUnprepareHeader(device_, &h, sizeof h);
        std::memcpy(memory_[next_].data(), data, n);
        std::memset(&h, 0, sizeof h);
        h.lpData = reinterpret_cast<LPSTR>(memory_[next_].data());
        h.dwBufferLength = DWORD(n);
        if (mm_->waveOutPrepareHeader(device_, &h, sizeof h) != MMSYSERR_NOERROR) return false;
        {
            std::lock_guard<Win32Sound::Lock> g(lock_);
            --free_;
        }
        if (mm_->waveOutWrite(device_, &h, sizeof h) != MMSYSERR_NOERROR) {
            std::lock_guard<Win32Sound::Lock> g(lock_);
            ++free_;
            return false;
        }
        next_ = (next_ + 1) % kBufferCount;
        return true;
    }

    // Drops whatever is queued: the device stops now instead of playing the queue out.
    void Reset() {
        if (device_) mm_->waveOutReset(device_);
    }

    void Close() {
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

private:
    int FreeCount() {
        std::lock_guard<Win32Sound::Lock> g(lock_);
        return free_;
    }

    static void CALLBACK Notify(HWAVEOUT, UINT msg, DWORD_PTR instance, DWORD_PTR, DWORD_PTR) {
        if (msg != WOM_DONE) return;
        auto* self = reinterpret_cast<WaveOutput*>(instance);
        {
            std::lock_guard<Win32Sound::Lock> g(self->lock_);
            ++self->free_;
        }
        self->freed_.Set();
    }

    const WinmmApi* mm_ = nullptr;  // set by Open, before the device exists
    HWAVEOUT device_ = nullptr;
    Win32Sound::Lock lock_;  // guards free_ against the notification
    int free_ = kBufferCount;
    Event freed_;  // auto-reset: one wake-up per returned buffer
    WAVEHDR headers_[kBufferCount];
    std::vector<std::uint8_t> memory_[kBufferCount];
    int next_ = 0;
};

// The largest run of bytes a buffer takes without splitting a sample frame.
std::size_t ChunkBytes(std::size_t blockAlign) {
    return blockAlign > 1 ? kBufferBytes - kBufferBytes % blockAlign : kBufferBytes;
}

}  // namespace

// ---- WAV streams

struct Win32Sound::StreamList {
    Lock lock;
    std::list<std::shared_ptr<WavStream>> streams;
    // Set while the list is empty. An event rather than a condition variable: the MinGW thread
    // library's lazily created condition variables crashed under a first wait racing a first notify.
    Event emptied{true};
    StreamList() { emptied.Set(); }
};

class Win32Sound::WavStream : public std::enable_shared_from_this<WavStream> {
public:
    WavStream(const WavInfo& info, bool loop)
        : samples_(info.samples.begin(), info.samples.end()), loop_(loop), stop_(true),
          blockAlign_(std::max<std::size_t>(info.blockAlign, 1)) {
        // The format chunk is the start of a WAVEFORMATEX; a plain 16-byte PCM chunk lacks cbSize.
        format_.assign(std::max<std::size_t>(info.format.size(), sizeof(WAVEFORMATEX)), 0);
        std::memcpy(format_.data(), info.format.data(), info.format.size());
        auto* wf = reinterpret_cast<WAVEFORMATEX*>(format_.data());
        const std::size_t extra = format_.size() - sizeof(WAVEFORMATEX);
        if (info.format.size() < sizeof(WAVEFORMATEX) || wf->cbSize > extra) wf->cbSize = WORD(extra);
    }

    // Fewer bytes than one sample frame leave nothing to hand the device.
    bool Open() {
        return samples_.size() >= blockAlign_ && stop_.get() &&
               output_.Open(reinterpret_cast<const WAVEFORMATEX*>(format_.data()));
    }

    void Start(std::shared_ptr<StreamList> list) {
        list_ = std::move(list);
        // The worker holds the stream alive until it has left the list and closed its device.
        std::thread([self = shared_from_this()] { self->Run(); }).detach();
    }

    void Stop() { stop_.Set(); }

private:
    void Run() {
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
        std::lock_guard<Win32Sound::Lock> g(list_->lock);
        list_->streams.remove(shared_from_this());
        if (list_->streams.empty()) list_->emptied.Set();
    }

    std::vector<std::uint8_t> samples_;
    std::vector<std::uint8_t> format_;
    bool loop_;
    Event stop_;
    std::size_t blockAlign_;
    WaveOutput output_;
    std::shared_ptr<StreamList> list_;
};

// ---- MIDI

class Win32Sound::MidiPlayer {
public:
    MidiPlayer(const MidiFile& midi, bool loop) : loop_(loop), stop_(true), done_(false), division_(midi.division) {
        BuildBuffers(MergeMidiTracks(midi));
    }

    ~MidiPlayer() {
        stop_.Set();
        if (thread_.joinable()) thread_.join();
        CloseDevice();
    }

    bool Start() {
        mm_ = WinmmLibrary();
        if (!stop_.get() || !done_.get() || !mm_) return false;
        UINT device = MIDI_MAPPER;
        if (mm_->midiStreamOpen(&stream_, &device, 1, reinterpret_cast<DWORD_PTR>(&Notify),
                                reinterpret_cast<DWORD_PTR>(this), CALLBACK_FUNCTION) != MMSYSERR_NOERROR) {
            stream_ = nullptr;
            return false;
        }
        MIDIPROPTIMEDIV div{sizeof(MIDIPROPTIMEDIV), division_};
        mm_->midiStreamProperty(stream_, reinterpret_cast<LPBYTE>(&div), MIDIPROP_SET | MIDIPROP_TIMEDIV);
        headers_.resize(chunks_.size());
        for (std::size_t i = 0; i < chunks_.size(); ++i) {
            MIDIHDR& h = headers_[i];
            std::memset(&h, 0, sizeof h);
            h.lpData = reinterpret_cast<LPSTR>(chunks_[i].data());
            h.dwBufferLength = h.dwBytesRecorded = DWORD(chunks_[i].size() * sizeof(DWORD));
            if (mm_->midiOutPrepareHeader(reinterpret_cast<HMIDIOUT>(stream_), &h, sizeof h) != MMSYSERR_NOERROR) {
                CloseDevice();
                return false;
            }
            prepared_ = i + 1;
        }
        running_ = true;
        thread_ = std::thread([this] { Run(); });
        return true;
    }

    bool Playing() const { return running_; }

private:
    void BuildBuffers(const std::vector<MidiEvent>& events) {
        // The device takes buffers below 64 KiB; a piece is cut into several at event boundaries.
        constexpr std::size_t kMaxWords = 15000;
        std::vector<DWORD> words;
        std::uint64_t last = 0;
        auto flush = [&] {
            if (!words.empty()) chunks_.push_back(std::move(words));
            words.clear();
        };
        for (const MidiEvent& e : events) {
            std::vector<DWORD> ev;
            if (e.type == MidiEvent::Type::Channel) {
                ev = {0, 0, DWORD(MEVT_SHORTMSG) << 24 | (e.ShortMessage() & 0xFFFFFFu)};
            } else if (const auto tempo = e.Tempo()) {
                ev = {0, 0, DWORD(MEVT_TEMPO) << 24 | (*tempo & 0xFFFFFFu)};
            } else if (e.type == MidiEvent::Type::SysEx) {
                // An 0xF0 event is the message without its leading byte; 0xF7 escapes carry raw bytes.
                std::vector<std::uint8_t> msg;
                if (e.status == 0xF0) msg.push_back(0xF0);
                msg.insert(msg.end(), e.payload.begin(), e.payload.end());
                if (msg.empty() || msg.size() > 0xFFFFFF) continue;
                ev = {0, 0, DWORD(MEVT_F_LONG) | DWORD(MEVT_LONGMSG) << 24 | DWORD(msg.size())};
                const std::size_t first = ev.size();
                ev.resize(first + (msg.size() + 3) / 4, 0);
                std::memcpy(ev.data() + first, msg.data(), msg.size());
            } else if (e.metaType == 0x2F) {
                // The end of a track marks the end of the piece's last bar, which a loop must wait for.
                ev = {0, 0, DWORD(MEVT_NOP) << 24};
            } else {
                continue;  // other meta events carry no sound; their time goes to the next event
            }
            const std::uint64_t delta = e.tick - last;
            ev[0] = DWORD(std::min<std::uint64_t>(delta, 0x7FFFFFFF));
            last = e.tick;
            if (words.size() + ev.size() > kMaxWords) flush();
            words.insert(words.end(), ev.begin(), ev.end());
        }
        flush();
    }

    void Run() {
        const HANDLE handles[2] = {stop_.get(), done_.get()};
        bool ok = QueueAll() && mm_->midiStreamRestart(stream_) == MMSYSERR_NOERROR;
        while (ok) {
            const DWORD r = WaitForMultipleObjects(2, handles, FALSE, INFINITE);
            if (r != WAIT_OBJECT_0 + 1) break;
            if (returned_.load() < headers_.size()) continue;
            // Every buffer is back: the piece is over.
            if (!loop_) break;
            ok = QueueAll();
        }
        CloseDevice();
        running_ = false;
    }

    bool QueueAll() {
        if (headers_.empty()) return false;
        returned_ = 0;
        for (MIDIHDR& h : headers_) {
            h.dwFlags &= ~DWORD(MHDR_DONE);
            if (mm_->midiStreamOut(stream_, &h, sizeof h) != MMSYSERR_NOERROR) return false;
        }
        return true;
    }

    void CloseDevice() {
        if (!stream_) return;
        // Stopping hands every queued buffer back; the reset silences notes still sounding.
        mm_->midiStreamStop(stream_);
        mm_->midiOutReset(reinterpret_cast<HMIDIOUT>(stream_));
        for (std::size_t i = 0; i < prepared_; ++i)
            mm_->midiOutUnprepareHeader(reinterpret_cast<HMIDIOUT>(stream_), &headers_[i], sizeof(MIDIHDR));
        mm_->midiStreamClose(stream_);
        stream_ = nullptr;
        prepared_ = 0;
    }

    static void CALLBACK Notify(HMIDIOUT, UINT msg, DWORD_PTR instance, DWORD_PTR, DWORD_PTR) {
        if (msg != MOM_DONE) return;
        auto* self = reinterpret_cast<MidiPlayer*>(instance);
        ++self->returned_;
        self->done_.Set();
    }

    bool loop_;
    Event stop_;
    Event done_;
    DWORD division_;
    std::vector<std::vector<DWORD>> chunks_;
    std::vector<MIDIHDR> headers_;
    std::size_t prepared_ = 0;
    std::atomic<std::size_t> returned_{0};
    std::atomic<bool> running_{false};
    const WinmmApi* mm_ = nullptr;  // set by Start, before the stream exists
    HMIDISTRM stream_ = nullptr;
    std::thread thread_;
};

// ---- MP3

class Win32Sound::Mp3Player {
public:
    Mp3Player(std::vector<std::string> files, int passes, Blob fallback)
        : files_(std::move(files)), passes_(passes), fallback_(fallback.begin(), fallback.end()), stop_(true) {
        running_ = true;
        thread_ = std::thread([this] { Run(); });
    }

    ~Mp3Player() {
        stop_.Set();
        thread_.join();
    }

    bool Playing() const { return running_; }

private:
    enum class Outcome { Played, Silent, Stopped };

    void Run() {
        bool stopped = false, silentPass = false;
        for (int pass = 0; !stopped && (passes_ == 0 || pass < passes_); ++pass) {
            bool heard = false;
            for (const std::string& name : files_) {
                const Outcome o = PlayFile(name);
                if (o == Outcome::Stopped) {
                    stopped = true;
                    break;
                }
                heard = heard || o == Outcome::Played;
            }
            // A list of which nothing decodes would otherwise spin without end.
            if (!heard && !stopped) {
                silentPass = true;
                break;
            }
        }
        // Let the last file play out; a stop drops the queue instead.
        if (output_ && !stopped) output_->WaitFor(stop_.get(), true);
        output_.reset();
        if (silentPass && !stop_.IsSet()) RingFallback();
        running_ = false;
    }

    // Nothing of the list could be heard in a whole pass (a file removed or changed since it was checked,
    // a decoder that gave nothing): the fallback rings in its place until the player is stopped or
    // replaced. Its stream is the player's own, so whatever ends the player ends it too.
    void RingFallback() {
        const std::optional<WavInfo> info = ParseWav(fallback_);
        if (!info) return;
        auto list = std::make_shared<StreamList>();
        auto stream = std::make_shared<WavStream>(*info, true);
        if (!stream->Open()) return;
        {
            std::lock_guard<Win32Sound::Lock> g(list->lock);
            list->streams.push_back(stream);
            ResetEvent(list->emptied.get());
        }
        stream->Start(list);
        // The stream ends by itself only when its device stalls.
        const HANDLE handles[2] = {stop_.get(), list->emptied.get()};
        WaitForMultipleObjects(2, handles, FALSE, INFINITE);
        stream->Stop();
        WaitForSingleObject(list->emptied.get(), kStallMs);
    }

    // The device stays open from file to file while the decoded format stays the same, so a list or a
    // repeat plays without a gap; another format waits for the queue to play out and reopens.
    WaveOutput* OutputFor(const WAVEFORMATEX& pcm) {
        if (output_ && std::memcmp(&format_, &pcm, sizeof pcm) == 0) return output_.get();
        if (output_) {
            if (output_->WaitFor(stop_.get(), true) == WaveOutput::Wait::Stopped) return nullptr;
            output_.reset();
        }
        auto output = std::make_unique<WaveOutput>();
        if (!output->Open(&pcm)) return nullptr;
        output_ = std::move(output);
        format_ = pcm;
        return output_.get();
    }

    Outcome PlayFile(const std::string& name) {
        const auto bytes = ReadWholeFile(name);
        if (!bytes || !Mp3Playable(*bytes)) return Outcome::Silent;
        MpegFrameScanner scanner(*bytes);
        std::optional<MpegFrame> frame = scanner.Next();
        if (!frame) return Outcome::Silent;
        const MpegHeader first = frame->header;

        MPEGLAYER3WAVEFORMAT mp3{};
        mp3.wfx.wFormatTag = WAVE_FORMAT_MPEGLAYER3;
        mp3.wfx.nChannels = WORD(first.channels);
        mp3.wfx.nSamplesPerSec = DWORD(first.sampleRate);
        mp3.wfx.nAvgBytesPerSec = DWORD(first.bitrateKbps * 1000 / 8);
        mp3.wfx.nBlockAlign = 1;
        mp3.wfx.wBitsPerSample = 0;
        mp3.wfx.cbSize = MPEGLAYER3_WFX_EXTRA_BYTES;
        mp3.wID = MPEGLAYER3_ID_MPEG;
        mp3.fdwFlags = MPEGLAYER3_FLAG_PADDING_OFF;
        mp3.nBlockSize = WORD(first.frameLength);
        mp3.nFramesPerBlock = 1;
        mp3.nCodecDelay = 0;

        WAVEFORMATEX pcm = PcmOf(first);

        // Without the decoder's library no file decodes: the same as a file that is not an MP3.
        const AcmApi* api = AcmLibrary();
        if (!api) return Outcome::Silent;
        HACMSTREAM acm = nullptr;
        if (api->acmStreamOpen(&acm, nullptr, &mp3.wfx, &pcm, nullptr, 0, 0, 0) != MMSYSERR_NOERROR)
            return Outcome::Silent;
        Outcome outcome = Decode(*api, acm, scanner, *frame, first, pcm);
        api->acmStreamClose(acm, 0);
        return outcome;
    }

    Outcome Decode(const AcmApi& api, HACMSTREAM acm, MpegFrameScanner& scanner, MpegFrame frame,
                   const MpegHeader& first, const WAVEFORMATEX& pcm) {
        // Whole frames go in, a few dozen at a time: enough to keep the converter busy, small enough
        // that a stop is heard at once.
        constexpr DWORD kSourceBytes = 16 * 1024;
        DWORD targetBytes = 0;
        if (api.acmStreamSize(acm, kSourceBytes, &targetBytes, ACM_STREAMSIZEF_SOURCE) != MMSYSERR_NOERROR ||
            targetBytes == 0)
            return Outcome::Silent;
        std::vector<std::uint8_t> source(kSourceBytes), target(targetBytes);
        ACMSTREAMHEADER h{};
        h.cbStruct = sizeof h;
        h.pbSrc = source.data();
        h.cbSrcLength = kSourceBytes;
        h.pbDst = target.data();
        h.cbDstLength = targetBytes;
        if (api.acmStreamPrepareHeader(acm, &h, 0) != MMSYSERR_NOERROR) return Outcome::Silent;

        WaveOutput* output = OutputFor(pcm);
        const bool opened = output != nullptr;
        std::vector<std::uint8_t> pending;
        bool heard = false, stopped = false, more = true;
        std::size_t filled = 0;
        DWORD flags = ACM_STREAMCONVERTF_START | ACM_STREAMCONVERTF_BLOCKALIGN;
        std::optional<MpegFrame> next = frame;
        const std::size_t chunk = ChunkBytes(pcm.nBlockAlign);

        auto sendPending = [&](bool all) {
            std::size_t sent = 0;
            while (pending.size() - sent >= (all ? pcm.nBlockAlign : chunk)) {
                if (output->WaitFor(stop_.get(), false) != WaveOutput::Wait::Ready) return false;
                std::size_t n = std::min(chunk, pending.size() - sent);
                n -= n % pcm.nBlockAlign;
                if (!output->Write(pending.data() + sent, n)) return false;
                sent += n;
                heard = true;
            }
            pending.erase(pending.begin(), pending.begin() + std::ptrdiff_t(sent));
            return true;
        };

        while (opened && more && !stopped) {
            // A frame of another stream (rate, version, channels) is where this file stops decoding.
            while (next && next->header.version == first.version && next->header.sampleRate == first.sampleRate &&
                   next->header.channels == first.channels && filled + next->bytes.size() <= kSourceBytes) {
                std::memcpy(source.data() + filled, next->bytes.data(), next->bytes.size());
                filled += next->bytes.size();
                next = scanner.Next();
            }
            const bool last = !next || next->header.version != first.version ||
                              next->header.sampleRate != first.sampleRate || next->header.channels != first.channels;
            if (filled == 0) break;
            h.cbSrcLength = DWORD(filled);
            h.cbDstLength = targetBytes;
            if (api.acmStreamConvert(acm, &h, flags | (last ? ACM_STREAMCONVERTF_END : 0)) != MMSYSERR_NOERROR) break;
            flags &= ~DWORD(ACM_STREAMCONVERTF_START);
            pending.insert(pending.end(), target.begin(), target.begin() + h.cbDstLengthUsed);
            // What the converter left over stays for the next round.
            const std::size_t used = std::min<std::size_t>(h.cbSrcLengthUsed, filled);
            std::memmove(source.data(), source.data() + used, filled - used);
            filled -= used;
            if (last && (used == 0 || filled == 0)) more = false;
            // A converter that takes nothing while frames are waiting will not take them later either.
            if (!last && used == 0) break;
            if (!sendPending(false)) stopped = true;
        }
        if (opened && !stopped) stopped = !sendPending(true);
        api.acmStreamUnprepareHeader(acm, &h, 0);
        if (stop_.IsSet()) return Outcome::Stopped;
        // A device that stalled or refused a buffer is not used again.
        if (stopped) output_.reset();
        return heard ? Outcome::Played : Outcome::Silent;
    }

    std::vector<std::string> files_;
    int passes_;  // 0: without end
    std::vector<std::uint8_t> fallback_;
    Event stop_;
    std::unique_ptr<WaveOutput> output_;
    WAVEFORMATEX format_{};
    std::atomic<bool> running_{false};
    std::thread thread_;
};

// ---- the façade

Win32Sound::Win32Sound() : streams_(std::make_shared<StreamList>()) {}

Win32Sound::~Win32Sound() {
    StopAudio();
    // Streams reset their device as soon as they see the signal; the bound only keeps a broken driver
    // from holding the program's exit for ever (the list is shared, so a late stream is still safe).
    WaitForSingleObject(streams_->emptied.get(), kStallMs);
}

bool Win32Sound::PlayAudio(Blob bytes, bool loop) {
    if (LooksLikeWav(bytes)) {
        const auto info = ParseWav(bytes);
        if (!info) return false;
        auto stream = std::make_shared<WavStream>(*info, loop);
        if (!stream->Open()) return false;
        {
            std::lock_guard<Win32Sound::Lock> g(streams_->lock);
            streams_->streams.push_back(stream);
            ResetEvent(streams_->emptied.get());
        }
        stream->Start(streams_);
        return true;
    }
    if (LooksLikeMidi(bytes)) {
        std::lock_guard<Win32Sound::Lock> g(playersLock_);
        midi_.reset();
        const auto midi = ParseMidi(bytes);
        // A damaged MIDI image still counts as played: the player stays silent.
        if (!midi) return true;
        auto player = std::make_unique<MidiPlayer>(*midi, loop);
        if (!player->Start()) return false;
        midi_ = std::move(player);
        return true;
    }
    return false;
}

bool Win32Sound::PlayAudioFile(const std::string& utf8Name, bool loop) {
    const auto bytes = ReadWholeFile(utf8Name);
    return bytes && PlayAudio(*bytes, loop);
}

bool Win32Sound::PlayMp3(int times, const std::vector<std::string>& files, Blob fallback) {
    std::lock_guard<Win32Sound::Lock> g(playersLock_);
    mp3_.reset();
    if (times == 0) return false;
    std::vector<std::string> names;
    for (const std::string& f : files)
        if (!f.empty()) names.push_back(f);
    // Decided before anything starts, so that the caller can ring something else at once, or try again later
    // when it is the device that is missing.
    std::optional<MpegHeader> first;
    for (const std::string& name : names)
        if ((first = PlayableMp3(name))) break;
    if (!first || !OutputTakes(PcmOf(*first))) return false;
    mp3_ = std::make_unique<Mp3Player>(std::move(names), times < 0 ? 0 : times, fallback);
    return true;
}

void Win32Sound::StopAudio() {
    {
        std::lock_guard<Win32Sound::Lock> g(playersLock_);
        mp3_.reset();
        midi_.reset();
    }
    std::lock_guard<Win32Sound::Lock> g(streams_->lock);
    for (const auto& s : streams_->streams) s->Stop();
}

std::size_t Win32Sound::ActiveWavStreams() const {
    std::lock_guard<Win32Sound::Lock> g(streams_->lock);
    return streams_->streams.size();
}

bool Win32Sound::Mp3Playing() const {
    std::lock_guard<Win32Sound::Lock> g(playersLock_);
    return mp3_ && mp3_->Playing();
}

bool Win32Sound::MidiPlaying() const {
    std::lock_guard<Win32Sound::Lock> g(playersLock_);
    return midi_ && midi_->Playing();
}

}  // namespace dida::win32
