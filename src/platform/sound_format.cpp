#include "platform/sound_format.h"

#include <algorithm>
#include <cstring>

namespace dida {

namespace {

template <std::size_t N>
bool TagAt(Blob b, std::size_t pos, const char (&tag)[N]) {
    return pos + N - 1 <= b.size() && std::memcmp(b.data() + pos, tag, N - 1) == 0;
}

std::uint32_t Le32(Blob b, std::size_t pos) {
    return std::uint32_t(b[pos]) | std::uint32_t(b[pos + 1]) << 8 | std::uint32_t(b[pos + 2]) << 16 |
           std::uint32_t(b[pos + 3]) << 24;
}

std::uint16_t Le16(Blob b, std::size_t pos) { return std::uint16_t(b[pos] | b[pos + 1] << 8); }

std::uint32_t Be32(Blob b, std::size_t pos) {
    return std::uint32_t(b[pos]) << 24 | std::uint32_t(b[pos + 1]) << 16 | std::uint32_t(b[pos + 2]) << 8 |
           std::uint32_t(b[pos + 3]);
}

std::uint16_t Be16(Blob b, std::size_t pos) { return std::uint16_t(b[pos] << 8 | b[pos + 1]); }

}  // namespace

bool LooksLikeWav(Blob bytes) { return bytes.size() >= 12 && TagAt(bytes, 0, "RIFF") && TagAt(bytes, 8, "WAVE"); }

bool LooksLikeMidi(Blob bytes) { return bytes.size() > 4 && TagAt(bytes, 0, "MThd"); }

std::optional<WavInfo> ParseWav(Blob bytes) {
    if (bytes.size() <= 35 || !LooksLikeWav(bytes)) return std::nullopt;
    // The RIFF size counts from offset 8; chunks that begin beyond it belong to no one and are not read,
    // even when the file goes on (appended junk, a second image glued to the first).
    const std::uint64_t riffEnd = 8 + std::uint64_t(Le32(bytes, 4));
    std::optional<Blob> format, samples;
    std::uint64_t pos = 12;
    while (pos + 8 <= bytes.size() && pos < riffEnd && !(format && samples)) {
        const std::size_t at = std::size_t(pos);
        const std::uint32_t length = Le32(bytes, at + 4);
        const std::size_t body = at + 8;
        const std::size_t available = bytes.size() - body;
        if (!format && TagAt(bytes, at, "fmt ")) {
            // A format cut off by the end of the file cannot be trusted at all.
            if (length < 16 || length > available) return std::nullopt;
            format = bytes.subspan(body, length);
        } else if (!samples && TagAt(bytes, at, "data")) {
            // A data length running past the end is clamped to the bytes that are there: a file cut short
            // (an interrupted copy, a writer that never patched the length) still plays what it holds.
            samples = bytes.subspan(body, std::min<std::size_t>(length, available));
        }
        // Chunk bodies of odd length are followed by one pad byte.
        pos = std::uint64_t(body) + length + (length & 1u);
    }
    if (!format || !samples || samples->empty()) return std::nullopt;
    WavInfo info;
    info.formatTag = Le16(*format, 0);
    info.channels = Le16(*format, 2);
    info.samplesPerSec = Le32(*format, 4);
    info.avgBytesPerSec = Le32(*format, 8);
    info.blockAlign = Le16(*format, 12);
    info.bitsPerSample = Le16(*format, 14);
    info.format = *format;
    info.samples = *samples;
    return info;
}

std::optional<MidiFile> ParseMidi(Blob bytes) {
    if (bytes.size() < 14 || !TagAt(bytes, 0, "MThd") || Be32(bytes, 4) != 6) return std::nullopt;
    MidiFile midi;
    midi.format = Be16(bytes, 8);
    const std::uint16_t trackCount = Be16(bytes, 10);
    midi.division = Be16(bytes, 12);
    // A division of 0 ticks per quarter would make every delta time infinitely short.
    if (midi.division == 0) return std::nullopt;
    std::size_t pos = 14;
    for (std::uint16_t i = 0; i < trackCount; ++i) {
        if (bytes.size() - pos < 8 || !TagAt(bytes, pos, "MTrk")) return std::nullopt;
        const std::uint32_t length = Be32(bytes, pos + 4);
        pos += 8;
        if (length > bytes.size() - pos) return std::nullopt;
        midi.tracks.push_back(bytes.subspan(pos, length));
        pos += length;
    }
    return midi;
}

std::uint32_t MidiEvent::ShortMessage() const {
    return std::uint32_t(status) | std::uint32_t(data1) << 8 | std::uint32_t(data2) << 16;
}

std::optional<std::uint32_t> MidiEvent::Tempo() const {
    if (type != Type::Meta || metaType != 0x51 || payload.size() != 3) return std::nullopt;
    return std::uint32_t(payload[0]) << 16 | std::uint32_t(payload[1]) << 8 | payload[2];
}

namespace {

// A variable-length quantity: at most four bytes of seven bits, the top bit saying "more follows".
bool ReadVarLen(Blob b, std::size_t& pos, std::uint32_t& value) {
    value = 0;
    for (int i = 0; i < 4; ++i) {
        if (pos >= b.size()) return false;
        const std::uint8_t byte = b[pos++];
        value = value << 7 | (byte & 0x7Fu);
        if (!(byte & 0x80u)) return true;
    }
    return false;
}

int ChannelDataBytes(std::uint8_t status) {
    const std::uint8_t kind = status & 0xF0u;
    return kind == 0xC0 || kind == 0xD0 ? 1 : 2;
}

void ReadTrack(Blob track, std::uint16_t index, std::vector<MidiEvent>& out) {
    std::size_t pos = 0;
    std::uint64_t tick = 0;
    std::uint8_t running = 0;
    while (pos < track.size()) {
        std::uint32_t delta = 0;
        if (!ReadVarLen(track, pos, delta) || pos >= track.size()) return;
        tick += delta;
        MidiEvent e;
        e.tick = tick;
        e.track = index;
        std::uint8_t lead = track[pos];
        if (lead == 0xFF) {
            if (track.size() - pos < 2) return;
            e.type = MidiEvent::Type::Meta;
            e.status = 0xFF;
            e.metaType = track[pos + 1];
            pos += 2;
            std::uint32_t length = 0;
            if (!ReadVarLen(track, pos, length) || length > track.size() - pos) return;
            e.payload = track.subspan(pos, length);
            pos += length;
            // Meta and system exclusive events cancel running status.
            running = 0;
            out.push_back(e);
            if (e.metaType == 0x2F) return;  // end of track: whatever follows is not part of it
            continue;
        }
        if (lead == 0xF0 || lead == 0xF7) {
            e.type = MidiEvent::Type::SysEx;
            e.status = lead;
            ++pos;
            std::uint32_t length = 0;
            if (!ReadVarLen(track, pos, length) || length > track.size() - pos) return;
            e.payload = track.subspan(pos, length);
            pos += length;
            running = 0;
            out.push_back(e);
            continue;
        }
        if (lead & 0x80u) {
            // System common and real-time bytes have no place in a file.
            if (lead > 0xEF) return;
            running = lead;
            ++pos;
        } else if (running == 0) {
            return;  // a data byte with no status to run on
        }
        const int n = ChannelDataBytes(running);
        if (track.size() - pos < std::size_t(n)) return;
        e.status = running;
        e.data1 = track[pos] & 0x7Fu;
        if (n == 2) e.data2 = track[pos + 1] & 0x7Fu;
        pos += std::size_t(n);
        out.push_back(e);
    }
}

}  // namespace

std::vector<MidiEvent> MergeMidiTracks(const MidiFile& midi) {
    std::vector<MidiEvent> events;
    for (std::size_t i = 0; i < midi.tracks.size(); ++i) ReadTrack(midi.tracks[i], std::uint16_t(i), events);
    // Tracks were appended in order and each is in file order, so a stable sort on the tick alone keeps
    // equal ticks in track order, then file order.
    std::stable_sort(events.begin(), events.end(),
                     [](const MidiEvent& a, const MidiEvent& b) { return a.tick < b.tick; });
    return events;
}

std::optional<MpegHeader> ParseMpegHeader(std::uint32_t word) {
    if ((word & 0xFFE00000u) != 0xFFE00000u) return std::nullopt;
    const unsigned versionBits = (word >> 19) & 3u;
    const unsigned layerBits = (word >> 17) & 3u;
    const unsigned bitrateIndex = (word >> 12) & 15u;
    const unsigned rateIndex = (word >> 10) & 3u;
    const unsigned emphasis = word & 3u;
    if (versionBits == 1 || layerBits != 1 || bitrateIndex == 0 || bitrateIndex == 15 || rateIndex == 3 ||
        emphasis == 2)
        return std::nullopt;
    static constexpr int kBitrateV1[16] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0};
    static constexpr int kBitrateV2[16] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0};
    static constexpr int kRateV1[3] = {44100, 48000, 32000};
    MpegHeader h;
    h.version = versionBits == 3 ? MpegVersion::Mpeg1 : versionBits == 2 ? MpegVersion::Mpeg2 : MpegVersion::Mpeg25;
    const bool v1 = h.version == MpegVersion::Mpeg1;
    h.bitrateKbps = v1 ? kBitrateV1[bitrateIndex] : kBitrateV2[bitrateIndex];
    // MPEG-2 halves the MPEG-1 rates, the unofficial 2.5 extension halves them again.
    h.sampleRate = kRateV1[rateIndex] >> (v1 ? 0 : h.version == MpegVersion::Mpeg2 ? 1 : 2);
    h.crc = !((word >> 16) & 1u);
    h.padding = (word >> 9) & 1u;
    h.mode = static_cast<ChannelMode>((word >> 6) & 3u);
    h.channels = h.mode == ChannelMode::Mono ? 1 : 2;
    h.samplesPerFrame = v1 ? 1152 : 576;
    // A frame carries samplesPerFrame / 8 bytes per bit per second of rate, in whole bytes, plus the
    // padding byte that keeps the average bitrate exact.
    h.frameLength = h.samplesPerFrame / 8 * h.bitrateKbps * 1000 / h.sampleRate + (h.padding ? 1 : 0);
    return h;
}

std::size_t Id3v2TagLength(Blob bytes) {
    if (bytes.size() < 10 || !TagAt(bytes, 0, "ID3") || bytes[3] == 0xFF || bytes[4] == 0xFF) return 0;
    std::size_t size = 0;
    for (int i = 6; i < 10; ++i) {
        if (bytes[i] & 0x80u) return 0;  // a syncsafe size never has a top bit set
        size = size << 7 | bytes[i];
    }
    const bool footer = bytes[5] & 0x10u;
    return 10 + size + (footer ? 10 : 0);
}

MpegFrameScanner::MpegFrameScanner(Blob bytes) : bytes_(bytes) {
    // Taggers sometimes stack several tags; skip them all, never past the end.
    for (;;) {
        const std::size_t tag = Id3v2TagLength(bytes_.subspan(pos_));
        if (tag == 0) break;
        pos_ = tag > bytes_.size() - pos_ ? bytes_.size() : pos_ + tag;
    }
}

std::optional<MpegFrame> MpegFrameScanner::Next() {
    while (bytes_.size() - pos_ >= 4) {
        const std::optional<MpegHeader> h = ParseMpegHeader(Be32(bytes_, pos_));
        if (!h) {
            synced_ = false;
            ++pos_;
            continue;
        }
        const std::size_t length = std::size_t(h->frameLength);
        if (length > bytes_.size() - pos_) return std::nullopt;  // cut short: the file ends here
        if (!synced_) {
            // Junk can look like a header by chance; a real frame is followed by another of the same
            // stream. When the bytes end right after it, or only an ID3v1 tag follows, there is nothing
            // to compare and it is taken.
            const std::size_t next = pos_ + length;
            const bool tagFollows = bytes_.size() - next == 128 && TagAt(bytes_, next, "TAG");
            if (bytes_.size() - next >= 4 && !tagFollows) {
                const std::optional<MpegHeader> n = ParseMpegHeader(Be32(bytes_, next));
                if (!n || n->version != h->version || n->sampleRate != h->sampleRate) {
                    ++pos_;
                    continue;
                }
            }
            synced_ = true;
        }
        MpegFrame frame{*h, bytes_.subspan(pos_, length), pos_};
        pos_ += length;
        return frame;
    }
    return std::nullopt;
}

namespace {

bool SameStream(const MpegHeader& a, const MpegHeader& b) {
    return a.version == b.version && a.sampleRate == b.sampleRate && a.channels == b.channels;
}

}  // namespace

bool Mp3Playable(Blob bytes, bool whole) {
    if (TagAt(bytes, 0, "RIFF")) return false;
    MpegFrameScanner scanner(bytes);
    std::optional<MpegFrame> frame = scanner.Next();
    while (frame) {
        const std::size_t end = frame->offset + frame->bytes.size();
        std::optional<MpegFrame> next = scanner.Next();
        if (next && next->offset == end && SameStream(frame->header, next->header)) return true;
        const bool audioEnds = end == bytes.size() || (bytes.size() - end == 128 && TagAt(bytes, end, "TAG"));
        if (whole && audioEnds) return true;
        frame = next;
    }
    return false;
}

}  // namespace dida
