// Reading WAV chunks, MIDI files and MP3 frames from images built byte by byte here, including the
// damaged shapes that real files come in.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "mp3_image.h"
#include "platform/sound_format.h"

namespace dida {
namespace {

using Bytes = std::vector<std::uint8_t>;

void Put(Bytes& b, const std::string& s) { b.insert(b.end(), s.begin(), s.end()); }
void PutLe(Bytes& b, std::uint32_t v, int n) {
    for (int i = 0; i < n; ++i) b.push_back(std::uint8_t(v >> (8 * i)));
}
void PutBe(Bytes& b, std::uint32_t v, int n) {
    for (int i = n - 1; i >= 0; --i) b.push_back(std::uint8_t(v >> (8 * i)));
}

// A chunk with its pad byte when the body is odd; declared lets a test lie about the length.
void Chunk(Bytes& b, const std::string& tag, const Bytes& body, std::int64_t declared = -1) {
    Put(b, tag);
    PutLe(b, declared < 0 ? std::uint32_t(body.size()) : std::uint32_t(declared), 4);
    b.insert(b.end(), body.begin(), body.end());
    if (body.size() % 2) b.push_back(0);
}

Bytes Fmt(std::uint16_t tag, std::uint16_t channels, std::uint32_t rate, std::uint16_t bits) {
    Bytes f;
    const std::uint16_t align = std::uint16_t(channels * bits / 8);
    PutLe(f, tag, 2);
    PutLe(f, channels, 2);
    PutLe(f, rate, 4);
    PutLe(f, rate * align, 4);
    PutLe(f, align, 2);
    PutLe(f, bits, 2);
    return f;
}

// "RIFF" <size> "WAVE" followed by the chunks; riffSize < 0 writes the honest size.
Bytes Riff(const Bytes& chunks, std::int64_t riffSize = -1) {
    Bytes b;
    Put(b, "RIFF");
    PutLe(b, riffSize < 0 ? std::uint32_t(4 + chunks.size()) : std::uint32_t(riffSize), 4);
    Put(b, "WAVE");
    b.insert(b.end(), chunks.begin(), chunks.end());
    return b;
}

Bytes Samples(std::size_t n, std::uint8_t first = 1) {
    Bytes s(n);
    for (std::size_t i = 0; i < n; ++i) s[i] = std::uint8_t(first + i);
    return s;
}

Bytes AsBytes(Blob b) { return Bytes(b.begin(), b.end()); }

TEST(SoundSniffing, RecognisesFormatsByTheirFirstBytes) {
    struct Row {
        const char* what;
        std::string bytes;
        bool wav, midi;
    };
    const Row rows[] = {
        {"bare RIFF WAVE header", std::string("RIFF\0\0\0\0WAVE", 12), true, false},
        {"eleven bytes are too few", std::string("RIFF\0\0\0\0WAV", 11), false, false},
        {"RIFF of another kind", std::string("RIFF\0\0\0\0AVI ", 12), false, false},
        {"MIDI header tag and one byte", "MThdx", false, true},
        {"MIDI tag alone is too short", "MThd", false, false},
        {"text file", "hello, world", false, false},
        {"empty", "", false, false},
    };
    for (const Row& r : rows) {
        const Blob b(reinterpret_cast<const std::uint8_t*>(r.bytes.data()), r.bytes.size());
        EXPECT_EQ(LooksLikeWav(b), r.wav) << r.what;
        EXPECT_EQ(LooksLikeMidi(b), r.midi) << r.what;
    }
}

TEST(WavParsing, ReadsFormatFieldsAndSamples) {
    Bytes chunks;
    Chunk(chunks, "fmt ", Fmt(1, 2, 44100, 16));
    Chunk(chunks, "data", Samples(40));
    const Bytes wav = Riff(chunks);
    const auto info = ParseWav(wav);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->formatTag, 1);
    EXPECT_EQ(info->channels, 2);
    EXPECT_EQ(info->samplesPerSec, 44100u);
    EXPECT_EQ(info->avgBytesPerSec, 44100u * 4);
    EXPECT_EQ(info->blockAlign, 4);
    EXPECT_EQ(info->bitsPerSample, 16);
    EXPECT_EQ(AsBytes(info->format), Fmt(1, 2, 44100, 16));
    EXPECT_EQ(AsBytes(info->samples), Samples(40));
}

TEST(WavParsing, ChunkLayouts) {
    const Bytes fmt = Fmt(1, 1, 22050, 8);
    const Bytes extFmt = [&] {
        Bytes f = Fmt(2, 1, 22050, 4);
        PutLe(f, 2, 2);  // cbSize
        PutLe(f, 0xBEEF, 2);
        return f;
    }();
    struct Row {
        const char* what;
        Bytes wav;
        Bytes wantSamples;  // empty: rejected
        Bytes wantFormat;
    };
    auto build = [](auto&& fill, std::int64_t riffSize = -1) {
        Bytes c;
        fill(c);
        return Riff(c, riffSize);
    };
    const Row rows[] = {
        {"odd chunk before fmt is padded", build([&](Bytes& c) {
             Chunk(c, "LIST", Samples(5, 0xA0));
             Chunk(c, "fmt ", fmt);
             Chunk(c, "data", Samples(30));
         }),
         Samples(30), fmt},
        {"odd data length keeps its own bytes only", build([&](Bytes& c) {
             Chunk(c, "fmt ", fmt);
             Chunk(c, "data", Samples(31));
         }),
         Samples(31), fmt},
        {"data before fmt", build([&](Bytes& c) {
             Chunk(c, "data", Samples(30));
             Chunk(c, "fmt ", fmt);
         }),
         Samples(30), fmt},
        {"the first of two data chunks wins", build([&](Bytes& c) {
             Chunk(c, "fmt ", fmt);
             Chunk(c, "data", Samples(20, 1));
             Chunk(c, "data", Samples(20, 100));
         }),
         Samples(20, 1), fmt},
        {"format with extra bytes is kept whole", build([&](Bytes& c) {
             Chunk(c, "fmt ", extFmt);
             Chunk(c, "data", Samples(30));
         }),
         Samples(30), extFmt},
        {"data length past the end is clamped", build([&](Bytes& c) {
             Chunk(c, "fmt ", fmt);
             Chunk(c, "data", Samples(30), 100000);
         }),
         Samples(30), fmt},
        {"data chunk beyond a short RIFF size is not read",
         build(
             [&](Bytes& c) {
                 Chunk(c, "fmt ", fmt);
                 Chunk(c, "data", Samples(30));
             },
             4 + 8 + 16),
         {},
         {}},
        {"RIFF size shorter than the file, both chunks inside it",
         build(
             [&](Bytes& c) {
                 Chunk(c, "fmt ", fmt);
                 Chunk(c, "data", Samples(30));
                 Chunk(c, "junk", Samples(64));
             },
             4 + 8 + 16 + 8 + 30),
         Samples(30), fmt},
        {"empty data",
         build([&](Bytes& c) {
             Chunk(c, "fmt ", fmt);
             Chunk(c, "data", {});
             Chunk(c, "pad ", Samples(20));
         }),
         {},
         {}},
        {"no data chunk",
         build([&](Bytes& c) {
             Chunk(c, "fmt ", fmt);
             Chunk(c, "LIST", Samples(30));
         }),
         {},
         {}},
        {"no fmt chunk",
         build([&](Bytes& c) {
             Chunk(c, "data", Samples(30));
             Chunk(c, "LIST", Samples(30));
         }),
         {},
         {}},
        {"fmt chunk shorter than a format",
         build([&](Bytes& c) {
             Chunk(c, "fmt ", Bytes(fmt.begin(), fmt.begin() + 14));
             Chunk(c, "data", Samples(30));
         }),
         {},
         {}},
        {"fmt chunk cut off by the end of the file",
         build([&](Bytes& c) {
             Chunk(c, "data", Samples(30));
             Chunk(c, "fmt ", Bytes(fmt.begin(), fmt.begin() + 12), 16);
         }),
         {},
         {}},
        {"truncated chunk header at the end",
         [&] {
             Bytes c;
             Chunk(c, "fmt ", fmt);
             Put(c, "dat");
             Bytes w = Riff(c);
             w.resize(40, 0);
             return w;
         }(),
         {},
         {}},
    };
    for (const Row& r : rows) {
        const auto info = ParseWav(r.wav);
        if (r.wantSamples.empty()) {
            EXPECT_FALSE(info) << r.what;
            continue;
        }
        ASSERT_TRUE(info) << r.what;
        EXPECT_EQ(AsBytes(info->samples), r.wantSamples) << r.what;
        EXPECT_EQ(AsBytes(info->format), r.wantFormat) << r.what;
    }
}

TEST(WavParsing, NeedsMoreThan35Bytes) {
    // The smallest honest image: 12 + 8 + 16 + 8 + 1 sample (+ pad) = 46 bytes; a 35-byte cut of any
    // image is refused before the chunks are looked at.
    Bytes c;
    Chunk(c, "fmt ", Fmt(1, 1, 8000, 8));
    Chunk(c, "data", Samples(1));
    const Bytes wav = Riff(c);
    EXPECT_TRUE(ParseWav(wav));
    EXPECT_FALSE(ParseWav(Blob(wav).first(35)));
}

// ---- MIDI

Bytes MidiHeader(std::uint16_t format, std::uint16_t tracks, std::uint16_t division, std::uint32_t length = 6) {
    Bytes b;
    Put(b, "MThd");
    PutBe(b, length, 4);
    PutBe(b, format, 2);
    PutBe(b, tracks, 2);
    PutBe(b, division, 2);
    return b;
}

void Track(Bytes& b, const Bytes& body, std::int64_t declared = -1) {
    Put(b, "MTrk");
    PutBe(b, declared < 0 ? std::uint32_t(body.size()) : std::uint32_t(declared), 4);
    b.insert(b.end(), body.begin(), body.end());
}

TEST(MidiParsing, HeaderAndTracks) {
    const Bytes one = {0x00, 0xFF, 0x2F, 0x00};
    const Bytes two = {0x00, 0x90, 0x3C, 0x40, 0x00, 0xFF, 0x2F, 0x00};
    struct Row {
        const char* what;
        Bytes file;
        bool ok;
        std::size_t tracks;
    };
    auto file = [&](Bytes head, std::vector<Bytes> tracks, std::int64_t lastDeclared = -1) {
        for (std::size_t i = 0; i < tracks.size(); ++i)
            Track(head, tracks[i], i + 1 == tracks.size() ? lastDeclared : -1);
        return head;
    };
    const Row rows[] = {
        {"format 1 with two tracks", file(MidiHeader(1, 2, 96), {one, two}), true, 2},
        {"format 0 with one track", file(MidiHeader(0, 1, 480), {two}), true, 1},
        {"extra bytes after the announced tracks are ignored",
         [&] {
             Bytes b = file(MidiHeader(0, 1, 96), {one});
             Put(b, "trailing junk");
             return b;
         }(),
         true, 1},
        {"header length other than 6", file(MidiHeader(0, 1, 96, 8), {one}), false, 0},
        {"fewer tracks than announced", file(MidiHeader(1, 3, 96), {one, two}), false, 0},
        {"track length past the end", file(MidiHeader(1, 2, 96), {one, two}, 9), false, 0},
        {"track without MTrk tag",
         [&] {
             Bytes b = MidiHeader(0, 1, 96);
             Chunk(b, "XTrk", one);
             return b;
         }(),
         false, 0},
        {"header cut short",
         [] {
             Bytes b = MidiHeader(0, 1, 96);
             b.resize(12);
             return b;
         }(),
         false, 0},
        {"division 0", file(MidiHeader(0, 1, 0), {one}), false, 0},
    };
    for (const Row& r : rows) {
        const auto midi = ParseMidi(r.file);
        ASSERT_EQ(bool(midi), r.ok) << r.what;
        if (midi) {
            EXPECT_EQ(midi->tracks.size(), r.tracks) << r.what;
        }
    }
    const Bytes image = file(MidiHeader(1, 2, 0x1E0), {one, two});
    const auto midi = ParseMidi(image);
    ASSERT_TRUE(midi);
    EXPECT_EQ(midi->format, 1);
    EXPECT_EQ(midi->division, 0x1E0);
    EXPECT_EQ(AsBytes(midi->tracks[1]), two);
}

struct Ev {
    std::uint64_t tick;
    std::uint16_t track;
    std::uint8_t status, data1, data2;
    bool operator==(const Ev&) const = default;
};

std::vector<Ev> Merge(std::uint16_t division, const std::vector<Bytes>& tracks) {
    Bytes b = MidiHeader(1, std::uint16_t(tracks.size()), division);
    for (const Bytes& t : tracks) Track(b, t);
    const auto midi = ParseMidi(b);
    EXPECT_TRUE(midi);
    std::vector<Ev> out;
    if (!midi) return out;
    for (const MidiEvent& e : MergeMidiTracks(*midi)) out.push_back({e.tick, e.track, e.status, e.data1, e.data2});
    return out;
}

TEST(MidiMerging, TimeOrderWithTrackOrderOnTies) {
    // Track 0: notes at 0 and 100 (running status), track 1: a note at 50 and one at 100, delta 0x81 0x00
    // being the two-byte form of 128.
    const Bytes t0 = {0x00, 0x90, 0x3C, 0x40, 0x64, 0x3E, 0x41, 0x00, 0xFF, 0x2F, 0x00};
    const Bytes t1 = {0x32, 0xC1, 0x05, 0x32, 0x91, 0x40, 0x42, 0x81, 0x00, 0x81, 0x40, 0x00};
    const std::vector<Ev> want = {
        {0, 0, 0x90, 0x3C, 0x40}, {50, 1, 0xC1, 0x05, 0},     {100, 0, 0x90, 0x3E, 0x41},
        {100, 0, 0xFF, 0, 0},     {100, 1, 0x91, 0x40, 0x42}, {228, 1, 0x81, 0x40, 0x00},
    };
    EXPECT_EQ(Merge(96, {t0, t1}), want);
}

TEST(MidiMerging, EventKinds) {
    struct Row {
        const char* what;
        Bytes track;
        std::vector<Ev> want;
    };
    const Row rows[] = {
        {"running status carries over several events",
         {0x00, 0x90, 0x3C, 0x40, 0x10, 0x3C, 0x00, 0x10, 0x3E, 0x40},
         {{0, 0, 0x90, 0x3C, 0x40}, {16, 0, 0x90, 0x3C, 0x00}, {32, 0, 0x90, 0x3E, 0x40}}},
        {"a meta event cancels running status, the stray data byte ends the track",
         {0x00, 0x90, 0x3C, 0x40, 0x00, 0xFF, 0x01, 0x02, 'h', 'i', 0x00, 0x3C, 0x00},
         {{0, 0, 0x90, 0x3C, 0x40}, {0, 0, 0xFF, 0, 0}}},
        {"sysex is carried with its ticks",
         {0x05, 0xF0, 0x03, 0x7E, 0x09, 0xF7, 0x05, 0xB0, 0x07, 0x64},
         {{5, 0, 0xF0, 0, 0}, {10, 0, 0xB0, 0x07, 0x64}}},
        {"end of track stops reading", {0x00, 0xFF, 0x2F, 0x00, 0x00, 0x90, 0x3C, 0x40}, {{0, 0, 0xFF, 0, 0}}},
        {"a truncated event ends the track, earlier events stay",
         {0x00, 0xE0, 0x00, 0x40, 0x10, 0x90, 0x3C},
         {{0, 0, 0xE0, 0x00, 0x40}}},
        {"a meta length past the end ends the track",
         {0x00, 0xC0, 0x01, 0x00, 0xFF, 0x03, 0x20, 'x'},
         {{0, 0, 0xC0, 0x01, 0}}},
        {"a five-byte delta time is malformed", {0x81, 0x81, 0x81, 0x81, 0x01, 0x90, 0x3C, 0x40}, {}},
        {"a system common byte is malformed", {0x00, 0xF2, 0x00, 0x00}, {}},
        {"a data byte with no status", {0x00, 0x3C, 0x40}, {}},
    };
    for (const Row& r : rows) EXPECT_EQ(Merge(96, {r.track}), r.want) << r.what;
}

TEST(MidiMerging, TempoAndShortMessage) {
    const Bytes t = {0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20, 0x00, 0x92, 0x45, 0x7F, 0x00, 0xFF, 0x51, 0x02, 1, 2};
    Bytes b = MidiHeader(0, 1, 96);
    Track(b, t);
    const auto events = MergeMidiTracks(*ParseMidi(b));
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[0].Tempo(), 500000u);
    EXPECT_EQ(events[1].Tempo(), std::nullopt);
    EXPECT_EQ(events[1].ShortMessage(), 0x7F4592u);
    EXPECT_EQ(events[2].Tempo(), std::nullopt) << "a tempo needs three bytes";
}

// ---- MPEG audio

TEST(MpegHeaderParsing, KnownHeaders) {
    struct Row {
        const char* what;
        std::uint32_t word;
        MpegVersion version;
        int bitrate, rate, channels, samples, length;
        bool padding;
    };
    const Row rows[] = {
        {"MPEG-1 128k 44.1k joint stereo", 0xFFFB9044, MpegVersion::Mpeg1, 128, 44100, 2, 1152, 417, false},
        {"same with padding", 0xFFFB9244, MpegVersion::Mpeg1, 128, 44100, 2, 1152, 418, true},
        {"MPEG-1 320k 48k stereo", 0xFFFBE400, MpegVersion::Mpeg1, 320, 48000, 2, 1152, 960, false},
        {"MPEG-1 32k 32k mono with CRC", 0xFFFA18C0, MpegVersion::Mpeg1, 32, 32000, 1, 1152, 144, false},
        {"MPEG-2 64k 22.05k mono", 0xFFF380C0, MpegVersion::Mpeg2, 64, 22050, 1, 576, 208, false},
        {"MPEG-2 8k 16k with padding", 0xFFF31A40, MpegVersion::Mpeg2, 8, 16000, 2, 576, 37, true},
        {"MPEG-2.5 32k 11.025k", 0xFFE34040, MpegVersion::Mpeg25, 32, 11025, 2, 576, 208, false},
        {"MPEG-2.5 8k 8k mono", 0xFFE318C0, MpegVersion::Mpeg25, 8, 8000, 1, 576, 72, false},
    };
    for (const Row& r : rows) {
        const auto h = ParseMpegHeader(r.word);
        ASSERT_TRUE(h) << r.what;
        EXPECT_EQ(h->version, r.version) << r.what;
        EXPECT_EQ(h->bitrateKbps, r.bitrate) << r.what;
        EXPECT_EQ(h->sampleRate, r.rate) << r.what;
        EXPECT_EQ(h->channels, r.channels) << r.what;
        EXPECT_EQ(h->samplesPerFrame, r.samples) << r.what;
        EXPECT_EQ(h->frameLength, r.length) << r.what;
        EXPECT_EQ(h->padding, r.padding) << r.what;
    }
    EXPECT_TRUE(ParseMpegHeader(0xFFFA18C0)->crc);
    EXPECT_FALSE(ParseMpegHeader(0xFFFB9044)->crc);
    EXPECT_EQ(ParseMpegHeader(0xFFFB9044)->mode, ChannelMode::JointStereo);
    EXPECT_EQ(ParseMpegHeader(0xFFFB9084)->mode, ChannelMode::DualChannel);
}

TEST(MpegHeaderParsing, RejectedHeaders) {
    struct Row {
        const char* what;
        std::uint32_t word;
    };
    const Row rows[] = {
        {"free format", 0xFFFB0044},
        {"bad bitrate", 0xFFFBF044},
        {"reserved sample rate", 0xFFFB9C44},
        {"reserved version", 0xFFEB9044},
        {"layer II", 0xFFFD9044},
        {"layer I", 0xFFFF9044},
        {"reserved layer", 0xFFF99044},
        {"no sync", 0xFFDB9044},
        {"reserved emphasis", 0xFFFB9046},
        {"ID3 tag bytes", 0x49443303},
        {"zero", 0},
    };
    for (const Row& r : rows) EXPECT_FALSE(ParseMpegHeader(r.word)) << r.what;
}

using test::AppendMpegFrame;
using test::Mp3Image;

Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes b;
    for (const Bytes& p : parts) b.insert(b.end(), p.begin(), p.end());
    return b;
}

Bytes Id3(std::size_t bodySize, bool footer) {
    Bytes b;
    Put(b, "ID3");
    b.push_back(4);
    b.push_back(0);
    b.push_back(footer ? 0x10 : 0);
    for (int shift = 21; shift >= 0; shift -= 7) b.push_back(std::uint8_t((bodySize >> shift) & 0x7F));
    // A body of 0xFF bytes right before the audio: every offset in it would pass as a sync.
    b.insert(b.end(), bodySize, 0xFF);
    if (footer) {
        Put(b, "3DI");
        b.insert(b.end(), 7, 0);
    }
    return b;
}

struct Scanned {
    std::size_t offset;
    int length;
    std::uint8_t fill;
    bool operator==(const Scanned&) const = default;
};

std::vector<Scanned> Scan(const Bytes& file) {
    std::vector<Scanned> out;
    MpegFrameScanner scanner(file);
    while (auto f = scanner.Next()) out.push_back({f->offset, int(f->bytes.size()), f->bytes.back()});
    return out;
}

TEST(MpegFrameScanning, Layouts) {
    constexpr std::uint32_t k128 = 0xFFFB9044;     // 417 bytes
    constexpr std::uint32_t k128p = 0xFFFB9244;    // 418 bytes
    constexpr std::uint32_t kMono22 = 0xFFF380C0;  // 208 bytes, another sample rate
    struct Row {
        const char* what;
        Bytes file;
        std::vector<Scanned> want;
    };
    auto frames = [](std::initializer_list<std::pair<std::uint32_t, std::uint8_t>> list) {
        Bytes b;
        for (auto [w, f] : list) AppendMpegFrame(b, w, f);
        return b;
    };
    const Row rows[] = {
        {"plain frames, padding respected",
         frames({{k128, 1}, {k128p, 2}, {k128, 3}}),
         {{0, 417, 1}, {417, 418, 2}, {835, 417, 3}}},
        {"ID3v2 tag skipped", Cat({Id3(300, false), frames({{k128, 1}, {k128, 2}})}), {{310, 417, 1}, {727, 417, 2}}},
        {"ID3v2 tag with footer skipped",
         Cat({Id3(20, true), frames({{k128, 1}, {k128, 2}})}),
         {{40, 417, 1}, {457, 417, 2}}},
        {"two stacked tags", Cat({Id3(5, false), Id3(7, false), frames({{k128, 1}})}), {{32, 417, 1}}},
        {"junk before the first frame",
         Cat({Bytes{0, 1, 2, 3, 4}, frames({{k128, 1}, {k128, 2}})}),
         {{5, 417, 1}, {422, 417, 2}}},
        {"a false sync whose follower is no frame is skipped",
         Cat({Bytes{0xFF, 0xFB, 0x90, 0x44, 9, 9, 9}, frames({{k128, 1}, {k128, 2}})}),
         {{7, 417, 1}, {424, 417, 2}}},
        {"a false sync followed by a frame of another rate is skipped",
         [&] {
             // 208 bytes of junk starting like an MPEG-2 header, then a 44.1 kHz stream.
             Bytes b;
             PutBe(b, kMono22, 4);
             b.resize(208, 0x11);
             return Cat({b, frames({{k128, 1}, {k128, 2}})});
         }(),
         {{208, 417, 1}, {625, 417, 2}}},
        {"junk between frames: resync",
         Cat({frames({{k128, 1}, {k128, 2}}), Bytes(50, 0x00), frames({{k128, 3}, {k128, 4}})}),
         {{0, 417, 1}, {417, 417, 2}, {884, 417, 3}, {1301, 417, 4}}},
        {"a first frame followed by junk is taken for junk",
         Cat({frames({{k128, 1}}), Bytes(50, 0x00), frames({{k128, 2}, {k128, 3}})}),
         {{467, 417, 2}, {884, 417, 3}}},
        {"truncated last frame is dropped",
         [&] {
             Bytes b = frames({{k128, 1}, {k128, 2}});
             b.resize(b.size() - 1);
             return b;
         }(),
         {{0, 417, 1}}},
        {"a lone frame filling the file is taken", frames({{kMono22, 7}}), {{0, 208, 7}}},
        {"tag claiming more than the file",
         Cat({Bytes{'I', 'D', '3', 4, 0, 0, 0x7F, 0x7F, 0, 0}, frames({{k128, 1}})}),
         {}},
        {"empty", {}, {}},
    };
    for (const Row& r : rows) EXPECT_EQ(Scan(r.file), r.want) << r.what;
}

TEST(MpegFrameScanning, Id3v2TagLength) {
    struct Row {
        const char* what;
        Bytes head;
        std::size_t want;
    };
    const Row rows[] = {
        {"syncsafe size 0x0201 = 257", {'I', 'D', '3', 3, 0, 0, 0, 0, 0x02, 0x01}, 10 + 257},
        {"all four size bytes",
         {'I', 'D', '3', 4, 0, 0, 0x01, 0x02, 0x03, 0x04},
         10 + (1u << 21 | 2u << 14 | 3u << 7 | 4u)},
        {"footer adds ten bytes", {'I', 'D', '3', 4, 0, 0x10, 0, 0, 0, 5}, 25},
        {"a size byte with its top bit set is no tag", {'I', 'D', '3', 3, 0, 0, 0, 0, 0x80, 0}, 0},
        {"version 0xFF is no tag", {'I', 'D', '3', 0xFF, 0, 0, 0, 0, 0, 1}, 0},
        {"too short", {'I', 'D', '3', 3, 0, 0, 0, 0, 1}, 0},
        {"other tag", {'T', 'A', 'G', 3, 0, 0, 0, 0, 0, 1}, 0},
    };
    for (const Row& r : rows) EXPECT_EQ(Id3v2TagLength(r.head), r.want) << r.what;
}

// Whether a file can produce sound decides between the music and the first chime at an alarm's moment:
// real files must pass, and so must their usual wrappings; what cannot sound must not, junk included.
TEST(Mp3Playable, TheRuleBothDesktopsPlayBy) {
    constexpr std::uint32_t k128 = 0xFFFB9044;     // MPEG-1 44.1 kHz, 417 bytes
    constexpr std::uint32_t kMono22 = 0xFFF380C0;  // MPEG-2 22.05 kHz mono, 208 bytes
    Bytes id3v1;
    Put(id3v1, "TAG");
    id3v1.resize(128, ' ');
    Bytes wavOfFrames;  // a WAV whose samples happen to be a perfect frame chain
    Put(wavOfFrames, "RIFF");
    PutLe(wavOfFrames, 4 + 8 + 16 + 8 + 417 * 3, 4);
    Put(wavOfFrames, "WAVE");
    Chunk(wavOfFrames, "fmt ", Fmt(1, 1, 22050, 8));
    Chunk(wavOfFrames, "data", Mp3Image(3, k128));
    Bytes text;
    Put(text, "这不是声音 / not a sound at all, just a text file renamed to .mp3\r\n");

    struct Row {
        const char* what;
        Bytes bytes;
        bool whole, playable;
    };
    const std::vector<Row> rows = {
        {"two frames of one stream", Mp3Image(2, k128), true, true},
        {"a long MPEG-2 mono file", Mp3Image(300, kMono22), true, true},
        {"a tag first", Cat({Id3(2000, false), Mp3Image(3, k128)}), true, true},
        {"junk before the frames", Cat({Bytes(700, 0x55), Mp3Image(2, k128)}), true, true},
        {"one frame that ends the file", Mp3Image(1, kMono22), true, true},
        {"one frame, then an ID3v1 tag", Cat({Mp3Image(1, kMono22), id3v1}), true, true},
        {"the start of a longer file", Mp3Image(2, k128), false, true},
        {"one frame at the end of only the start of a file", Mp3Image(1, kMono22), false, false},
        {"one frame, then a byte", Cat({Mp3Image(1, kMono22), Bytes{0}}), true, false},
        {"one whole frame and one cut short",
         [&] {
             Bytes b = Mp3Image(2, k128);
             b.pop_back();
             return b;
         }(),
         true, false},
        {"frames of two streams back to back, the first cut off by the second",
         Cat({Bytes{0xFF, 0xFB, 0x90, 0x44}, Mp3Image(1, kMono22), Bytes(3, 0)}), true, false},
        {"a WAV renamed", wavOfFrames, true, false},
        {"a text file", text, true, false},
        {"only a tag", Id3(5000, false), true, false},
        {"a tag claiming more than the file", Cat({Bytes{'I', 'D', '3', 4, 0, 0, 0x7F, 0x7F, 0, 0}, Mp3Image(2, k128)}),
         true, false},
        {"zeros", Bytes(100000, 0), true, false},
        {"0xFF bytes", Bytes(100000, 0xFF), true, false},
        {"empty", {}, true, false},
    };
    for (const Row& r : rows) EXPECT_EQ(Mp3Playable(r.bytes, r.whole), r.playable) << r.what;
}

TEST(Mp3Playable, RandomBytesAreNoMusic) {
    // A single believable header turns up every few dozen kilobytes of noise; a chain of two does not.
    for (std::uint32_t run = 1; run <= 32; ++run) {
        Bytes noise(256 * 1024);
        std::uint32_t state = run;
        for (auto& b : noise) {
            state = state * 1664525u + 1013904223u;
            b = std::uint8_t(state >> 24);
        }
        EXPECT_FALSE(Mp3Playable(noise)) << "run " << run;
    }
}

}  // namespace
}  // namespace dida
