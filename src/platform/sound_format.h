#pragma once
// Reading the sound images the program plays: WAV (RIFF) chunks, Standard MIDI Files and MPEG audio
// layer III frames. Pure byte work, no device: the Windows backend feeds what these return to waveOut,
// midiStream and ACM. Every span returned points into the caller's bytes; copy before they go away.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/values.h"

namespace dida {

// The cheap checks that decide which player a sound image goes to.
bool LooksLikeWav(Blob bytes);   // at least 12 bytes, "RIFF" at 0 and "WAVE" at 8
bool LooksLikeMidi(Blob bytes);  // more than 4 bytes starting with "MThd"

struct WavInfo {
    std::uint16_t formatTag = 0;
    std::uint16_t channels = 0;
    std::uint32_t samplesPerSec = 0;
    std::uint32_t avgBytesPerSec = 0;
    std::uint16_t blockAlign = 0;
    std::uint16_t bitsPerSample = 0;
    Blob format;   // the whole "fmt " chunk: the leading bytes of a WAVEFORMATEX, extra bytes included
    Blob samples;  // the "data" chunk's bytes
};

// The first "fmt " and the first "data" chunk of a WAV image; nullopt when either is missing, the
// format chunk is too short or cut off, or there are no samples.
std::optional<WavInfo> ParseWav(Blob bytes);

struct MidiFile {
    std::uint16_t format = 0;    // 0 one track, 1 simultaneous tracks, 2 independent sequences
    std::uint16_t division = 0;  // ticks per quarter note, or SMPTE frames/ticks when the top bit is set
    std::vector<Blob> tracks;    // each "MTrk" chunk's body, in file order
};

// Header "MThd" of length 6, then as many "MTrk" chunks as the header announces, all within the bytes.
std::optional<MidiFile> ParseMidi(Blob bytes);

struct MidiEvent {
    enum class Type { Channel, SysEx, Meta };
    std::uint64_t tick = 0;  // absolute, from the start of the piece
    Type type = Type::Channel;
    std::uint8_t status = 0;  // channel status byte; 0xF0 / 0xF7 for system exclusive; 0xFF for meta
    std::uint8_t data1 = 0;   // channel messages: the data bytes (data2 unused by one-byte messages)
    std::uint8_t data2 = 0;
    std::uint8_t metaType = 0;  // meta events only
    Blob payload;               // system exclusive and meta events: the bytes after the length
    std::uint16_t track = 0;

    // The packed form a MIDI output takes: status | data1 << 8 | data2 << 16.
    std::uint32_t ShortMessage() const;
    // Microseconds per quarter note when this is a tempo meta event.
    std::optional<std::uint32_t> Tempo() const;
};

// All tracks as one list ordered by absolute tick; events of equal tick keep track order, then file
// order. A track that turns malformed ends where the damage starts; what came before it still plays.
std::vector<MidiEvent> MergeMidiTracks(const MidiFile& midi);

enum class MpegVersion { Mpeg1, Mpeg2, Mpeg25 };
enum class ChannelMode { Stereo, JointStereo, DualChannel, Mono };

struct MpegHeader {
    MpegVersion version = MpegVersion::Mpeg1;
    int bitrateKbps = 0;
    int sampleRate = 0;
    bool padding = false;
    bool crc = false;
    ChannelMode mode = ChannelMode::Stereo;
    int channels = 0;
    int samplesPerFrame = 0;
    int frameLength = 0;  // bytes, header included
};

// A big-endian frame header word. Only layer III with a table bitrate is accepted: free format and the
// forbidden bitrate or sample-rate codes give nullopt, and so does the reserved emphasis code, which no
// encoder writes and which thins out false syncs in junk.
std::optional<MpegHeader> ParseMpegHeader(std::uint32_t word);

struct MpegFrame {
    MpegHeader header;
    Blob bytes;              // the whole frame, header included
    std::size_t offset = 0;  // where it starts in the scanned bytes
};

// Walks an MP3 file image frame by frame: skips ID3v2 tags at the start, skips junk up to the next
// believable frame, and stops at the first frame that the bytes cut short.
class MpegFrameScanner {
public:
    explicit MpegFrameScanner(Blob bytes);
    std::optional<MpegFrame> Next();

private:
    Blob bytes_;
    std::size_t pos_ = 0;
    bool synced_ = false;
};

// Length of an ID3v2 tag at the start of bytes (header, body and footer), or 0 when there is none.
std::size_t Id3v2TagLength(Blob bytes);

// Whether an MP3 image can produce sound: it holds at least one whole frame that is believably part of
// an MPEG audio stream. The one rule both desktops play by. Junk passes a single header check now and
// then, so a frame counts only when the next frame of the same stream follows right after it, or when
// it ends exactly where the audio ends: at the end of the file, or where an ID3v1 tag fills the last
// 128 bytes. A RIFF image (a WAV renamed .mp3) is no MP3, whatever its samples look like. `whole` is
// false when the bytes are only the start of a longer file: then no frame can be known to end the audio.
bool Mp3Playable(Blob bytes, bool whole = true);

}  // namespace dida
