#pragma once
// Sound on the real desktop: every WAV image plays as its own waveOut stream on a worker thread, one
// MIDI player drives midiStream, one MP3 player decodes through ACM into waveOut. All calls return at
// once and are safe from any thread; the workers never call back into the program.
#include <windows.h>

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "platform/values.h"
#include "platform/win32/win32_handle.h"

namespace dida::win32 {

struct StreamList;
class MidiPlayer;
class Mp3Player;

class Win32Sound {
public:
    Win32Sound();
    ~Win32Sound();  // stops every sound and waits for the workers
    Win32Sound(const Win32Sound&) = delete;
    Win32Sound& operator=(const Win32Sound&) = delete;

    // A WAV image starts a new stream next to those playing; a MIDI image replaces the MIDI player.
    // False when the bytes are neither, the WAV cannot be read or no output device opens.
    bool PlayAudio(Blob bytes, bool loop);
    bool PlayAudioFile(const std::string& utf8Name, bool loop);
    // times: the number of passes over the whole list, below 0 without end, 0 only removes the old player.
    // False, with nothing playing, when no file of the list can produce sound by the MP3 rule or no output
    // device takes the first one's sound. fallback: a WAV image the player loops instead, until stopped or
    // replaced, after a pass that produced no sound.
    bool PlayMp3(int times, const std::vector<std::string>& files, Blob fallback = {});
    void StopAudio();

    // What is still producing sound, for the tests that watch a stream end by itself.
    std::size_t ActiveWavStreams() const;
    bool Mp3Playing() const;
    bool MidiPlaying() const;

private:
    // Shared with the streams, so that a stream finishing late still has a list to leave.
    std::shared_ptr<StreamList> streams_;
    mutable CriticalLock playersLock_;
    std::unique_ptr<MidiPlayer> midi_;
    std::unique_ptr<Mp3Player> mp3_;
};

}  // namespace dida::win32
