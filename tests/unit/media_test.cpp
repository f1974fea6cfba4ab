// The embedded media: every item read back as the file it claims to be (WAV fields, BMP layout, GIF frames
// decoded, ICO directory and PNG chunks), the sounds' fitness for looping, and the committed bytes against a
// fresh build from the generator's code.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "mediagen/formats.h"
#include "mediagen/mediagen.h"
#include "ui/art/picture_files.h"
#include "ui/media/media.h"
#include "ui/renditions.h"

namespace dida {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::uint32_t Le(Blob b, std::size_t at, int n) {
    std::uint32_t v = 0;
    for (int i = n - 1; i >= 0; --i) v = v << 8 | b[at + std::size_t(i)];
    return v;
}

std::uint32_t Be32(Blob b, std::size_t at) {
    return std::uint32_t(b[at]) << 24 | std::uint32_t(b[at + 1]) << 16 | std::uint32_t(b[at + 2]) << 8 | b[at + 3];
}

std::string Text(Blob b, std::size_t at, std::size_t n) { return std::string(b.begin() + at, b.begin() + at + n); }

Bytes ReadFile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

const std::vector<mediagen::MediaItem>& Generated() {
    static const std::vector<mediagen::MediaItem> items = mediagen::AllMedia();
    return items;
}

// ---- the committed media against a fresh build

TEST(MediaRebuild, EveryCommittedFileEqualsAFreshBuild) {
    const std::string folder = std::string(DIDA_SOURCE_DIR) + "/src/ui/media/";
    for (const auto& item : Generated()) {
        SCOPED_TRACE(item.fileName);
        const Bytes committed = ReadFile(folder + item.fileName);
        ASSERT_FALSE(committed.empty());
        EXPECT_EQ(committed.size(), item.bytes.size());
        EXPECT_TRUE(committed == item.bytes);
    }
    const Bytes source = ReadFile(folder + "media_data.cpp");
    const std::string fresh = mediagen::DataSource(Generated());
    EXPECT_TRUE(std::string(source.begin(), source.end()) == fresh) << "media_data.cpp is stale: run mediagen";
}

TEST(MediaRebuild, EveryBlobCarriesItsFile) {
    const std::map<std::string, Blob> blobs = {
        {"kBuiltinSound1", media::kBuiltinSound1},
        {"kBuiltinSound2", media::kBuiltinSound2},
        {"kBuiltinSound3", media::kBuiltinSound3},
        {"kClickSound", media::kClickSound},
        {"kSpeakerWaves", media::kSpeakerWaves},
        {"kSpeakerCrossedOrange", media::kSpeakerCrossedOrange},
        {"kSpeakerCrossed", media::kSpeakerCrossed},
        {"kSpeakerWavesOrange", media::kSpeakerWavesOrange},
        {"kGifIdle", media::kGifIdle},
        {"kGifRunning", media::kGifRunning},
        {"kGifFaster", media::kGifFaster},
        {"kGifSlower", media::kGifSlower},
        {"kGifSame", media::kGifSame},
        {"kAppIcon", media::kAppIcon},
    };
    ASSERT_EQ(Generated().size(), blobs.size());
    for (const auto& item : Generated()) {
        SCOPED_TRACE(item.symbol);
        ASSERT_EQ(blobs.count(item.symbol), 1u);
        EXPECT_TRUE(SameBytes(blobs.at(item.symbol), Blob(item.bytes)));
    }
}

// ---- sounds

struct WavCase {
    const char* name;
    Blob blob;
    std::uint16_t channels;
    std::uint16_t bits;
    std::uint32_t dataBytes;
};

const WavCase kWavs[] = {
    {"tick-tock", media::kBuiltinSound1, 1, 8, 22051},
    {"cuckoo", media::kBuiltinSound2, 1, 8, 22072},
    {"wind chime", media::kBuiltinSound3, 1, 8, 37045},
    {"click", media::kClickSound, 2, 16, 5148},
};

TEST(MediaSounds, AreMinimalPcmWaveFiles) {
    for (const WavCase& c : kWavs) {
        SCOPED_TRACE(c.name);
        const Blob b = c.blob;
        ASSERT_EQ(b.size(), 44u + c.dataBytes + c.dataBytes % 2);
        EXPECT_EQ(Text(b, 0, 4), "RIFF");
        EXPECT_EQ(Le(b, 4, 4), b.size() - 8);
        EXPECT_EQ(Text(b, 8, 4), "WAVE");
        EXPECT_EQ(Text(b, 12, 4), "fmt ");
        EXPECT_EQ(Le(b, 16, 4), 16u);
        EXPECT_EQ(Le(b, 20, 2), 1u);
        EXPECT_EQ(Le(b, 22, 2), c.channels);
        EXPECT_EQ(Le(b, 24, 4), 22050u);
        EXPECT_EQ(Le(b, 28, 4), 22050u * c.channels * c.bits / 8);
        EXPECT_EQ(Le(b, 32, 2), std::uint32_t(c.channels * c.bits / 8));
        EXPECT_EQ(Le(b, 34, 2), c.bits);
        EXPECT_EQ(Text(b, 36, 4), "data");
        EXPECT_EQ(Le(b, 40, 4), c.dataBytes);
        if (c.dataBytes % 2) {
            EXPECT_EQ(b[b.size() - 1], 0);
        }
    }
}

// The chimes loop while a reminder rings: they must not clip, must sit on the middle line, and must start and
// end in silence so that the seam makes no click.
TEST(MediaSounds, ChimesLoopCleanly) {
    for (const WavCase& c : kWavs) {
        if (c.bits != 8) continue;
        SCOPED_TRACE(c.name);
        const Blob s = c.blob.subspan(44, c.dataBytes);
        long sum = 0;
        int low = 255, high = 0;
        for (std::uint8_t v : s) {
            sum += v;
            low = std::min<int>(low, v);
            high = std::max<int>(high, v);
        }
        EXPECT_GT(low, 0);
        EXPECT_LT(high, 255);
        EXPECT_GT(high - low, 120) << "too quiet to hear as a reminder";
        EXPECT_NEAR(double(sum) / double(s.size()), 128.0, 0.5);
        for (std::size_t i = 0; i < 32; ++i) {
            EXPECT_NEAR(s[i], 128, 2) << "sample " << i;
            EXPECT_NEAR(s[s.size() - 1 - i], 128, 2) << "sample " << s.size() - 1 - i;
        }
        // A soft onset: no jump between neighbours in the first few milliseconds larger than the tone can make.
        for (std::size_t i = 1; i < 64; ++i) EXPECT_LE(std::abs(int(s[i]) - int(s[i - 1])), 40) << i;
    }
}

TEST(MediaSounds, ClickIsShortSoftAndSilentAtBothEnds) {
    const Blob s = media::kClickSound.subspan(44, 5148);
    int peak = 0;
    for (std::size_t i = 0; i + 1 < s.size(); i += 2) {
        const int v = std::int16_t(Le(s, i, 2));
        peak = std::max(peak, std::abs(v));
    }
    EXPECT_GT(peak, 3000) << "inaudible";
    EXPECT_LT(peak, 16384) << "a click should stay soft";
    for (std::size_t frame : {std::size_t(0), std::size_t(1), s.size() / 4 - 2, s.size() / 4 - 1})
        for (std::size_t ch = 0; ch < 2; ++ch)
            EXPECT_LT(std::abs(int(std::int16_t(Le(s, frame * 4 + ch * 2, 2)))), 200) << frame;
}

// ---- speaker pictures

struct BmpCase {
    const char* name;
    Blob blob;
    std::uint32_t ink;  // 0xRRGGBB
};

const BmpCase kSpeakers[] = {
    {"black with waves", media::kSpeakerWaves, 0x000000},
    {"orange crossed", media::kSpeakerCrossedOrange, 0xFF8000},
    {"black crossed", media::kSpeakerCrossed, 0x000000},
    {"orange with waves", media::kSpeakerWavesOrange, 0xFF8000},
};

std::uint32_t BmpPixel(Blob b, int x, int y) {  // top row is y 0
    const std::size_t at = 54 + std::size_t(19 - y) * 60 + std::size_t(x) * 3;
    return std::uint32_t(b[at + 2]) << 16 | std::uint32_t(b[at + 1]) << 8 | b[at];
}

TEST(MediaSpeakers, AreTwentyPixelTrueColourBitmapsOnMagenta) {
    for (const BmpCase& c : kSpeakers) {
        SCOPED_TRACE(c.name);
        const Blob b = c.blob;
        ASSERT_EQ(b.size(), 1254u);
        EXPECT_EQ(Text(b, 0, 2), "BM");
        EXPECT_EQ(Le(b, 2, 4), 1254u);
        EXPECT_EQ(Le(b, 10, 4), 54u);
        EXPECT_EQ(Le(b, 14, 4), 40u);
        EXPECT_EQ(Le(b, 18, 4), 20u);
        EXPECT_EQ(Le(b, 22, 4), 20u);
        EXPECT_EQ(Le(b, 28, 2), 24u);
        EXPECT_EQ(Le(b, 30, 4), 0u);
        for (auto [x, y] : {std::pair{0, 0}, {19, 0}, {0, 19}, {19, 19}}) EXPECT_EQ(BmpPixel(b, x, y), 0xFF00FFu);
        // Keyed pictures: nothing but the background and the ink, and enough ink to be seen.
        int inked = 0;
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 20; ++x) {
                const std::uint32_t p = BmpPixel(b, x, y);
                if (p != 0xFF00FFu) {
                    EXPECT_EQ(p, c.ink) << x << "," << y;
                    ++inked;
                }
            }
        EXPECT_GT(inked, 60);
    }
}

TEST(MediaSpeakers, ShareTheLoudspeakerAndDifferOnlyRightOfIt) {
    const auto shape = [](Blob b, int x, int y) { return BmpPixel(b, x, y) != 0xFF00FFu; };
    for (const BmpCase& c : kSpeakers) {
        SCOPED_TRACE(c.name);
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 10; ++x) EXPECT_EQ(shape(c.blob, x, y), shape(media::kSpeakerWaves, x, y));
    }
    int differing = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 10; x < 20; ++x) {
            EXPECT_EQ(shape(media::kSpeakerWaves, x, y), shape(media::kSpeakerWavesOrange, x, y));
            EXPECT_EQ(shape(media::kSpeakerCrossed, x, y), shape(media::kSpeakerCrossedOrange, x, y));
            differing += shape(media::kSpeakerWaves, x, y) != shape(media::kSpeakerCrossed, x, y);
        }
    EXPECT_GT(differing, 20) << "waves and X must be told apart";
}

// ---- stopwatch animations

// A GIF decoder written for the test: the encoder's output must come back as whole pictures.
std::optional<std::vector<std::uint8_t>> LzwDecode(const Bytes& code, int minCodeSize, std::size_t pixels) {
    const int clear = 1 << minCodeSize, end = clear + 1;
    std::vector<std::vector<std::uint8_t>> table;
    const auto reset = [&] {
        table.assign(std::size_t(end + 1), {});
        for (int i = 0; i < clear; ++i) table[std::size_t(i)] = {std::uint8_t(i)};
    };
    reset();
    int size = minCodeSize + 1;
    std::size_t bit = 0;
    std::vector<std::uint8_t> out;
    int prev = -1;  // the previous code; none after a clear
    while (true) {
        if (bit + std::size_t(size) > code.size() * 8) return std::nullopt;
        int c = 0;
        for (int i = 0; i < size; ++i, ++bit) c |= ((code[bit / 8] >> (bit % 8)) & 1) << i;
        if (c == clear) {
            reset();
            size = minCodeSize + 1;
            prev = -1;
            continue;
        }
        if (c == end) break;
        std::vector<std::uint8_t> entry;
        if (c < int(table.size()) && !table[std::size_t(c)].empty()) {
            entry = table[std::size_t(c)];
            if (prev >= 0 && table.size() < 4096) {
                auto grown = table[std::size_t(prev)];
                grown.push_back(entry[0]);
                table.push_back(grown);
            }
        } else if (prev >= 0 && c == int(table.size())) {
            entry = table[std::size_t(prev)];
            entry.push_back(entry[0]);
            table.push_back(entry);
        } else {
            return std::nullopt;
        }
        out.insert(out.end(), entry.begin(), entry.end());
        if (int(table.size()) == (1 << size) && size < 12) ++size;
        prev = c;
    }
    if (out.size() != pixels) return std::nullopt;
    return out;
}

struct Gif {
    int width = 0, height = 0;
    std::vector<std::uint32_t> palette;
    int loopCount = -1;
    std::vector<int> delays;
    std::vector<std::vector<std::uint8_t>> frames;
    bool wellFormed = false;
};

Gif ReadGif(Blob b) {
    Gif g;
    if (b.size() < 13 || Text(b, 0, 6) != "GIF89a") return g;
    g.width = int(Le(b, 6, 2));
    g.height = int(Le(b, 8, 2));
    std::size_t at = 13;
    if (b[10] & 0x80) {
        const std::size_t n = std::size_t(2) << (b[10] & 7);
        for (std::size_t i = 0; i < n; ++i)
            g.palette.push_back(std::uint32_t(b[at + 3 * i]) << 16 | std::uint32_t(b[at + 3 * i + 1]) << 8 |
                                b[at + 3 * i + 2]);
        at += 3 * n;
    }
    const auto subBlocks = [&](Bytes* into) {
        while (at < b.size() && b[at] != 0) {
            const std::size_t n = b[at];
            if (into) into->insert(into->end(), b.begin() + at + 1, b.begin() + at + 1 + n);
            at += 1 + n;
        }
        ++at;
    };
    while (at < b.size()) {
        const std::uint8_t kind = b[at];
        if (kind == 0x3B) {
            g.wellFormed = at + 1 == b.size();
            break;
        }
        if (kind == 0x21 && b[at + 1] == 0xFF && Text(b, at + 3, 11) == "NETSCAPE2.0") {
            g.loopCount = int(Le(b, at + 16, 2));
            at += 2;
            subBlocks(nullptr);
        } else if (kind == 0x21 && b[at + 1] == 0xF9) {
            g.delays.push_back(int(Le(b, at + 4, 2)));
            at += 2;
            subBlocks(nullptr);
        } else if (kind == 0x21) {
            at += 2;
            subBlocks(nullptr);
        } else if (kind == 0x2C) {
            if (Le(b, at + 1, 2) != 0 || Le(b, at + 3, 2) != 0 || int(Le(b, at + 5, 2)) != g.width ||
                int(Le(b, at + 7, 2)) != g.height || (b[at + 9] & 0x80))
                return g;
            const int minCodeSize = b[at + 10];
            at += 11;
            Bytes code;
            subBlocks(&code);
            auto pixels = LzwDecode(code, minCodeSize, std::size_t(g.width * g.height));
            if (!pixels) return g;
            g.frames.push_back(std::move(*pixels));
        } else {
            return g;
        }
    }
    return g;
}

struct GifCase {
    const char* name;
    Blob blob;
    int size;
    int frames;
    int delayMs;
};

const GifCase kAnimations[] = {
    {"idle", media::kGifIdle, 100, 24, 40},    {"running", media::kGifRunning, 130, 5, 60},
    {"faster", media::kGifFaster, 100, 8, 80}, {"slower", media::kGifSlower, 128, 14, 40},
    {"same", media::kGifSame, 128, 19, 40},
};

TEST(MediaAnimations, LoopForeverWithTheirFramesAndDelays) {
    for (const GifCase& c : kAnimations) {
        SCOPED_TRACE(c.name);
        const Gif g = ReadGif(c.blob);
        ASSERT_TRUE(g.wellFormed);
        EXPECT_EQ(g.width, c.size);
        EXPECT_EQ(g.height, c.size);
        EXPECT_EQ(g.loopCount, 0);
        ASSERT_EQ(int(g.frames.size()), c.frames);
        ASSERT_EQ(int(g.delays.size()), c.frames);
        for (int d : g.delays) EXPECT_EQ(d * 10, c.delayMs);
    }
}

TEST(MediaAnimations, DrawOnWhiteAndMove) {
    for (const GifCase& c : kAnimations) {
        SCOPED_TRACE(c.name);
        const Gif g = ReadGif(c.blob);
        ASSERT_EQ(int(g.frames.size()), c.frames);
        const std::size_t n = std::size_t(c.size);
        for (const auto& f : g.frames) {
            for (std::size_t at : {std::size_t(0), n - 1, n * (n - 1), n * n - 1})
                EXPECT_EQ(g.palette[f[at]], 0xFFFFFFu);
            const auto white =
                std::count_if(f.begin(), f.end(), [&](std::uint8_t i) { return g.palette[i] == 0xFFFFFFu; });
            EXPECT_GT(white, long(n * n / 4)) << "the white ground";
            EXPECT_LT(white, long(n * n * 9 / 10)) << "a picture on it";
        }
        for (std::size_t i = 0; i < g.frames.size(); ++i)
            EXPECT_NE(g.frames[i], g.frames[(i + 1) % g.frames.size()]) << "frame " << i << " repeats the next";
    }
}

// The LZW coder around its turning points: the code width growing to twelve bits, the table starting over
// when full, and the smallest alphabets.
TEST(MediaAnimations, LzwRoundTripsAtItsLimits) {
    struct Case {
        const char* name;
        int minCodeSize;
        std::vector<std::uint8_t> input;
    };
    std::vector<std::uint8_t> noise(60000), steps(9000), two(5000);
    std::uint32_t x = 12345;
    for (auto& v : noise) {
        x = x * 1103515245u + 12345u;
        v = std::uint8_t(x >> 16);
    }
    for (std::size_t i = 0; i < steps.size(); ++i) steps[i] = std::uint8_t((i / 7) % 256);
    for (std::size_t i = 0; i < two.size(); ++i) two[i] = std::uint8_t((i * i / 3) % 4);
    const Case cases[] = {
        {"single pixel", 8, {42}},
        {"two equal", 8, {7, 7}},
        {"long run", 8, std::vector<std::uint8_t>(20000, 3)},
        {"noise fills the table many times", 8, noise},
        {"stepped ramp", 8, steps},
        {"four colours", 2, two},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto decoded = LzwDecode(art::LzwEncode(c.input, c.minCodeSize), c.minCodeSize, c.input.size());
        ASSERT_TRUE(decoded.has_value());
        EXPECT_TRUE(*decoded == c.input);
    }
}

// ---- the pictures drawn for display scales above 100 %

int Scaled(int design, int dpi) { return (design * dpi + 48) / 96; }

TEST(MediaRenditions, NoneAtTheDesignScaleNorForOtherPictures) {
    for (int dpi : {72, 96}) {
        for (const BmpCase& c : kSpeakers) EXPECT_TRUE(DrawnForScale(c.blob, dpi).empty()) << c.name << " " << dpi;
        for (const GifCase& c : kAnimations) EXPECT_TRUE(DrawnForScale(c.blob, dpi).empty()) << c.name << " " << dpi;
    }
    // Told apart by the block the logic hands over, not by equal bytes elsewhere.
    const Bytes copy(media::kSpeakerWaves.begin(), media::kSpeakerWaves.end());
    EXPECT_TRUE(DrawnForScale(Blob(copy), 144).empty());
    EXPECT_TRUE(DrawnForScale(media::kAppIcon, 144).empty());
    EXPECT_TRUE(DrawnForScale(Blob(), 144).empty());
}

TEST(MediaRenditions, SpeakersKeepTheirShapeAndColoursAtEveryScale) {
    const auto pixel = [](Blob b, int n, int x, int y) {
        const std::size_t at = 54 + std::size_t(n - 1 - y) * std::size_t((n * 3 + 3) / 4 * 4) + std::size_t(x) * 3;
        return std::uint32_t(b[at + 2]) << 16 | std::uint32_t(b[at + 1]) << 8 | b[at];
    };
    for (int dpi : {120, 144, 168, 192}) {
        const int n = Scaled(20, dpi);
        for (const BmpCase& c : kSpeakers) {
            SCOPED_TRACE(std::string(c.name) + " at " + std::to_string(dpi));
            const Blob b = DrawnForScale(c.blob, dpi);
            ASSERT_GE(b.size(), 54u);
            EXPECT_EQ(Text(b, 0, 2), "BM");
            EXPECT_EQ(int(Le(b, 18, 4)), n);
            EXPECT_EQ(int(Le(b, 22, 4)), n);
            EXPECT_EQ(Le(b, 28, 2), 24u);
            ASSERT_EQ(b.size(), 54u + std::size_t((n * 3 + 3) / 4 * 4 * n));
            // Drawn once per scale and kept: the same block again.
            EXPECT_EQ(DrawnForScale(c.blob, dpi).data(), b.data());
            int inked = 0, designInked = 0, agree = 0;
            for (int y = 0; y < n; ++y)
                for (int x = 0; x < n; ++x) {
                    const std::uint32_t p = pixel(b, n, x, y);
                    const bool ink = p != 0xFF00FFu;
                    if (ink) {
                        EXPECT_EQ(p, c.ink) << x << "," << y;
                    }
                    inked += ink;
                    // The design pixel under this one.
                    const bool designInk = BmpPixel(c.blob, x * 20 / n, y * 20 / n) != 0xFF00FFu;
                    designInked += designInk;
                    agree += ink == designInk;
                }
            EXPECT_EQ(pixel(b, n, 0, 0), 0xFF00FFu);
            EXPECT_EQ(pixel(b, n, n - 1, n - 1), 0xFF00FFu);
            EXPECT_GE(agree * 100, n * n * 85) << "the same shapes as the design picture";
            EXPECT_NEAR(double(inked) / designInked, 1.0, 0.15) << "as much ink";
        }
    }
}

TEST(MediaRenditions, AnimationsKeepTheirFramesDelaysAndPicture) {
    for (int dpi : {144, 192}) {
        for (const GifCase& c : kAnimations) {
            if (dpi == 144 && c.frames != 8) continue;  // the others at 200 % only: they take their time
            SCOPED_TRACE(std::string(c.name) + " at " + std::to_string(dpi));
            const Gif design = ReadGif(c.blob);
            const Gif g = ReadGif(DrawnForScale(c.blob, dpi));
            ASSERT_TRUE(g.wellFormed);
            const int n = Scaled(c.size, dpi);
            EXPECT_EQ(g.width, n);
            EXPECT_EQ(g.height, n);
            EXPECT_EQ(g.loopCount, 0);
            EXPECT_EQ(g.delays, design.delays);
            ASSERT_EQ(g.frames.size(), design.frames.size());
            if (dpi != 192) continue;
            // Each 2 x 2 block of the first frame averages to about the design pixel it covers.
            const auto channel = [](std::uint32_t rgb, int shift) { return int((rgb >> shift) & 0xFF); };
            double difference = 0;
            for (int y = 0; y < c.size; ++y)
                for (int x = 0; x < c.size; ++x)
                    for (int shift : {16, 8, 0}) {
                        int sum = 0;
                        for (int k = 0; k < 4; ++k)
                            sum += channel(g.palette[g.frames[0][std::size_t((2 * y + k / 2) * n + 2 * x + k % 2)]],
                                           shift);
                        difference += std::abs(
                            sum / 4.0 - channel(design.palette[design.frames[0][std::size_t(y * c.size + x)]], shift));
                    }
            EXPECT_LT(difference / (c.size * c.size * 3), 6.0) << "mean difference per channel";
        }
    }
}

// ---- the icon

std::uint32_t TestCrc(const std::uint8_t* p, std::size_t n) {
    std::uint32_t c = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < n; ++i) {
        c ^= p[i];
        for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1u)));
    }
    return ~c;
}

struct Chunk {
    std::string type;
    Blob body;
    bool crcOk;
};

std::vector<Chunk> PngChunks(Blob png) {
    std::vector<Chunk> out;
    const std::uint8_t sig[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (png.size() < 8 || !std::equal(sig, sig + 8, png.begin())) return out;
    for (std::size_t at = 8; at + 12 <= png.size();) {
        const std::size_t n = Be32(png, at);
        if (at + 12 + n > png.size()) break;
        out.push_back({Text(png, at + 4, 4), png.subspan(at + 8, n),
                       TestCrc(png.data() + at + 4, n + 4) == Be32(png, at + 8 + n)});
        at += 12 + n;
    }
    return out;
}

TEST(MediaIcon, HoldsTwelveImagesAtEveryDepth) {
    const Blob ico = media::kAppIcon;
    ASSERT_GE(ico.size(), 6u + 12 * 16);
    EXPECT_EQ(Le(ico, 0, 2), 0u);
    EXPECT_EQ(Le(ico, 2, 2), 1u);
    ASSERT_EQ(Le(ico, 4, 2), 12u);
    // (size, bit count) pairs, each exactly once.
    std::map<std::pair<int, int>, int> seen;
    std::size_t end = 6 + 12 * 16;
    for (std::size_t i = 0; i < 12; ++i) {
        const std::size_t e = 6 + 16 * i;
        const int size = ico[e] == 0 ? 256 : ico[e];
        const int bits = int(Le(ico, e + 6, 2));
        SCOPED_TRACE(std::to_string(size) + "x" + std::to_string(bits));
        EXPECT_EQ(ico[e + 1], ico[e]);
        EXPECT_EQ(ico[e + 2], bits == 4 ? 16 : 0);
        EXPECT_EQ(Le(ico, e + 4, 2), 1u);
        const std::size_t length = Le(ico, e + 8, 4), offset = Le(ico, e + 12, 4);
        ASSERT_LE(offset + length, ico.size());
        EXPECT_GE(offset, 6u + 12 * 16);
        end = std::max(end, offset + length);
        ++seen[{size, bits}];
        const Blob img = ico.subspan(offset, length);
        if (size == 256) {
            const auto chunks = PngChunks(img);
            ASSERT_GE(chunks.size(), 3u);
            EXPECT_EQ(chunks.front().type, "IHDR");
            EXPECT_EQ(chunks.back().type, "IEND");
            for (const Chunk& c : chunks) EXPECT_TRUE(c.crcOk) << c.type;
            const Blob ihdr = chunks.front().body;
            EXPECT_EQ(Be32(ihdr, 0), 256u);
            EXPECT_EQ(Be32(ihdr, 4), 256u);
            EXPECT_EQ(ihdr[8], 8);  // bits per sample or index
            EXPECT_EQ(ihdr[9], bits == 32 ? 6 : 3);
            if (bits != 32) {
                const auto plte =
                    std::find_if(chunks.begin(), chunks.end(), [](const Chunk& c) { return c.type == "PLTE"; });
                ASSERT_NE(plte, chunks.end());
                EXPECT_LE(plte->body.size() / 3, std::size_t(1) << bits);
                const auto trns =
                    std::find_if(chunks.begin(), chunks.end(), [](const Chunk& c) { return c.type == "tRNS"; });
                ASSERT_NE(trns, chunks.end()) << "the corners must be see-through";
            }
        } else {
            const std::size_t stride = std::size_t((size * bits + 31) / 32 * 4);
            const std::size_t mask = std::size_t((size + 31) / 32 * 4) * std::size_t(size);
            const std::size_t palette = bits <= 8 ? (std::size_t(4) << bits) : 0;
            EXPECT_EQ(Le(img, 0, 4), 40u);
            EXPECT_EQ(Le(img, 4, 4), std::uint32_t(size));
            EXPECT_EQ(Le(img, 8, 4), std::uint32_t(size * 2));
            EXPECT_EQ(Le(img, 14, 2), std::uint32_t(bits));
            EXPECT_EQ(length, 40 + palette + stride * std::size_t(size) + mask);
            // The mask's first byte is the bottom row's left corner: hidden, as the clock is round.
            EXPECT_EQ(img[length - mask] & 0x80, 0x80);
            if (bits == 32) {
                EXPECT_EQ(img[40 + 3], 0) << "bottom left corner transparent";
                const std::size_t middle = 40 + (std::size_t(size / 2) * std::size_t(size) + std::size_t(size / 2)) * 4;
                EXPECT_EQ(img[middle + 3], 255) << "dial opaque";
            }
        }
    }
    EXPECT_EQ(end, ico.size());
    for (int size : {16, 32, 48, 256})
        for (int bits : {4, 8, 32}) EXPECT_EQ((seen[{size, bits}]), 1) << size << "x" << bits;
}

}  // namespace
}  // namespace dida
