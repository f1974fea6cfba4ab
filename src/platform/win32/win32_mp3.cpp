#include "platform/win32/win32_mp3.h"

#include <windows.h>
#include <mmsystem.h>
#include <mmreg.h>
#include <msacm.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <mutex>
#include <thread>

#include "platform/win32/win32_handle.h"
#include "platform/win32/win32_libraries.h"
#include "platform/win32/win32_sound_files.h"
#include "platform/win32/win32_wave_out.h"

namespace dida::win32 {

namespace {

// A stream is only opened once the library is there, so its closing call is too.
void CloseStream(HACMSTREAM h) { AcmLibrary()->acmStreamClose(h, 0); }
using AcmStream = NullIsNone<HACMSTREAM, &CloseStream>;

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

class DecodingPlayer final : public Mp3Player {
public:
    DecodingPlayer(std::vector<std::string> files, int passes, Blob fallback)
        : files_(std::move(files)), passes_(passes), fallback_(fallback.begin(), fallback.end()), stop_(true) {
        running_ = true;
        thread_ = std::thread([this] { Run(); });
    }

    ~DecodingPlayer() override {
        stop_.Set();
        thread_.join();
    }

    bool Playing() const override { return running_; }

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
        list->Start(stream, list);
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
        HACMSTREAM opened = nullptr;
        if (api->acmStreamOpen(&opened, nullptr, &mp3.wfx, &pcm, nullptr, 0, 0, 0) != MMSYSERR_NOERROR)
            return Outcome::Silent;
        const Owned<AcmStream> acm(opened);
        return Decode(*api, acm.get(), scanner, *frame, first, pcm);
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

}  // namespace

bool OutputTakesMp3(const MpegHeader& first) { return OutputTakes(PcmOf(first)); }

std::unique_ptr<Mp3Player> PlayMp3List(std::vector<std::string> files, int passes, Blob fallback) {
    return std::make_unique<DecodingPlayer>(std::move(files), passes, fallback);
}

}  // namespace dida::win32
