#include "platform/win32/win32_midi.h"

#include <windows.h>
#include <mmsystem.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

#include "platform/win32/win32_handle.h"
#include "platform/win32/win32_libraries.h"

namespace dida::win32 {

namespace {

class StreamPlayer final : public MidiPlayer {
public:
    StreamPlayer(const MidiFile& midi, bool loop) : loop_(loop), stop_(true), done_(false), division_(midi.division) {
        BuildBuffers(MergeMidiTracks(midi));
    }

    ~StreamPlayer() override {
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

    bool Playing() const override { return running_; }

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
        auto* self = reinterpret_cast<StreamPlayer*>(instance);
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

}  // namespace

std::unique_ptr<MidiPlayer> PlayMidi(const MidiFile& midi, bool loop) {
    auto player = std::make_unique<StreamPlayer>(midi, loop);
    if (!player->Start()) return nullptr;
    return player;
}

}  // namespace dida::win32
