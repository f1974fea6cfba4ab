#include "platform/win32/win32_sound.h"

#include <mutex>
#include <optional>

#include "platform/sound_format.h"
#include "platform/win32/win32_midi.h"
#include "platform/win32/win32_mp3.h"
#include "platform/win32/win32_sound_files.h"
#include "platform/win32/win32_wave_out.h"

namespace dida::win32 {

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
        streams_->Start(stream, streams_);
        return true;
    }
    if (LooksLikeMidi(bytes)) {
        std::lock_guard<CriticalLock> g(playersLock_);
        midi_.reset();
        const auto midi = ParseMidi(bytes);
        // A damaged MIDI image still counts as played: the player stays silent.
        if (!midi) return true;
        midi_ = PlayMidi(*midi, loop);
        return midi_ != nullptr;
    }
    return false;
}

bool Win32Sound::PlayAudioFile(const std::string& utf8Name, bool loop) {
    const auto bytes = ReadWholeFile(utf8Name);
    return bytes && PlayAudio(*bytes, loop);
}

bool Win32Sound::PlayMp3(int times, const std::vector<std::string>& files, Blob fallback) {
    std::lock_guard<CriticalLock> g(playersLock_);
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
    if (!first || !OutputTakesMp3(*first)) return false;
    mp3_ = PlayMp3List(std::move(names), times < 0 ? 0 : times, fallback);
    return true;
}

void Win32Sound::StopAudio() {
    {
        std::lock_guard<CriticalLock> g(playersLock_);
        mp3_.reset();
        midi_.reset();
    }
    std::lock_guard<CriticalLock> g(streams_->lock);
    for (const auto& s : streams_->streams) s->Stop();
}

std::size_t Win32Sound::ActiveWavStreams() const {
    std::lock_guard<CriticalLock> g(streams_->lock);
    return streams_->streams.size();
}

bool Win32Sound::Mp3Playing() const {
    std::lock_guard<CriticalLock> g(playersLock_);
    return mp3_ && mp3_->Playing();
}

bool Win32Sound::MidiPlaying() const {
    std::lock_guard<CriticalLock> g(playersLock_);
    return midi_ && midi_->Playing();
}

}  // namespace dida::win32
