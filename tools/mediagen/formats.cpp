#include "formats.h"

#include <algorithm>
#include <array>
#include <cstdlib>

namespace dida::mediagen {

namespace {

void PutBe(Bytes& out, std::uint32_t v) {
    for (int i = 3; i >= 0; --i) out.push_back(std::uint8_t(v >> (8 * i)));
}

}  // namespace

Bytes WavFile(int channels, int sampleRate, int bitsPerSample, const Bytes& samples) {
    const std::uint32_t align = std::uint32_t(channels * bitsPerSample / 8);
    const std::uint32_t padded = std::uint32_t(samples.size() + samples.size() % 2);
    Bytes out;
    PutText(out, "RIFF");
    PutLe(out, 4 + (8 + 16) + (8 + padded), 4);
    PutText(out, "WAVE");
    PutText(out, "fmt ");
    PutLe(out, 16, 4);
    PutLe(out, 1, 2);
    PutLe(out, std::uint32_t(channels), 2);
    PutLe(out, std::uint32_t(sampleRate), 4);
    PutLe(out, std::uint32_t(sampleRate) * align, 4);
    PutLe(out, align, 2);
    PutLe(out, std::uint32_t(bitsPerSample), 2);
    PutText(out, "data");
    PutLe(out, std::uint32_t(samples.size()), 4);
    out.insert(out.end(), samples.begin(), samples.end());
    if (samples.size() % 2) out.push_back(0);
    return out;
}

std::uint32_t Crc32(const std::uint8_t* data, std::size_t n) {
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t c = i;
            for (int k = 0; k < 8; ++k) c = (c & 1u) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    std::uint32_t c = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < n; ++i) c = table[(c ^ data[i]) & 0xFFu] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

std::uint32_t Adler32(const std::uint8_t* data, std::size_t n) {
    std::uint32_t a = 1, b = 0;
    for (std::size_t i = 0; i < n; ++i) {
        a = (a + data[i]) % 65521u;
        b = (b + a) % 65521u;
    }
    return (b << 16) | a;
}

namespace {

constexpr std::array<int, 29> kLengthBase = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                             31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr std::array<int, 29> kLengthExtra = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                              2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr std::array<int, 30> kDistBase = {1,    2,    3,    4,    5,    7,    9,    13,    17,    25,
                                           33,   49,   65,   97,   129,  193,  257,  385,   513,   769,
                                           1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr std::array<int, 30> kDistExtra = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                            6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

void PutLiteralLength(BitWriter& bits, int v) {
    if (v < 144)
        bits.PutCode(std::uint32_t(0x30 + v), 8);
    else if (v < 256)
        bits.PutCode(std::uint32_t(0x190 + v - 144), 9);
    else if (v < 280)
        bits.PutCode(std::uint32_t(v - 256), 7);
    else
        bits.PutCode(std::uint32_t(0xC0 + v - 280), 8);
}

void PutMatch(BitWriter& bits, int length, int distance) {
    int li = 28;
    while (kLengthBase[std::size_t(li)] > length) --li;
    PutLiteralLength(bits, 257 + li);
    bits.Put(std::uint32_t(length - kLengthBase[std::size_t(li)]), kLengthExtra[std::size_t(li)]);
    int di = 29;
    while (kDistBase[std::size_t(di)] > distance) --di;
    bits.PutCode(std::uint32_t(di), 5);
    bits.Put(std::uint32_t(distance - kDistBase[std::size_t(di)]), kDistExtra[std::size_t(di)]);
}

}  // namespace

Bytes ZlibCompress(const Bytes& raw) {
    constexpr int kWindow = 32768, kMaxMatch = 258, kMaxChain = 256;
    constexpr std::size_t kHashSize = 1 << 15;
    std::vector<int> head(kHashSize, -1);
    std::vector<int> prev(raw.size(), -1);
    const auto hashAt = [&](std::size_t i) {
        return ((std::size_t(raw[i]) << 10) ^ (std::size_t(raw[i + 1]) << 5) ^ raw[i + 2]) & (kHashSize - 1);
    };
    const auto insert = [&](std::size_t i) {
        if (i + 2 >= raw.size()) return;
        const std::size_t h = hashAt(i);
        prev[i] = head[h];
        head[h] = int(i);
    };
    BitWriter bits;
    bits.Put(1, 1);  // the only block, and the last
    bits.Put(1, 2);  // fixed codes
    std::size_t i = 0;
    while (i < raw.size()) {
        int bestLength = 0, bestDistance = 0;
        if (i + 2 < raw.size()) {
            int candidate = head[hashAt(i)];
            const int limit = int(std::min<std::size_t>(kMaxMatch, raw.size() - i));
            for (int chain = 0; candidate >= 0 && chain < kMaxChain; ++chain) {
                const int distance = int(i) - candidate;
                if (distance > kWindow) break;
                int n = 0;
                while (n < limit && raw[std::size_t(candidate + n)] == raw[i + std::size_t(n)]) ++n;
                if (n > bestLength) {
                    bestLength = n;
                    bestDistance = distance;
                    if (n == limit) break;
                }
                candidate = prev[std::size_t(candidate)];
            }
        }
        if (bestLength >= 3) {
            PutMatch(bits, bestLength, bestDistance);
            for (int k = 0; k < bestLength; ++k) insert(i + std::size_t(k));
            i += std::size_t(bestLength);
        } else {
            PutLiteralLength(bits, raw[i]);
            insert(i);
            ++i;
        }
    }
    PutLiteralLength(bits, 256);
    Bytes out = {0x78, 0x01};  // deflate, 32 KiB window, fastest-level hint; 0x7801 % 31 == 0
    const Bytes body = bits.Take();
    out.insert(out.end(), body.begin(), body.end());
    PutBe(out, Adler32(raw.data(), raw.size()));
    return out;
}

namespace {

void PngChunk(Bytes& out, const char* type, const Bytes& body) {
    PutBe(out, std::uint32_t(body.size()));
    const std::size_t start = out.size();
    PutText(out, type);
    out.insert(out.end(), body.begin(), body.end());
    PutBe(out, Crc32(out.data() + start, out.size() - start));
}

// Each row with the filter that leaves the smallest sum of magnitudes, the usual cheap guess.
Bytes FilterRows(const Bytes& raw, int rowBytes, int bpp) {
    const int rows = int(raw.size()) / rowBytes;
    Bytes out;
    std::vector<std::uint8_t> best;
    std::vector<std::uint8_t> trial(static_cast<std::size_t>(rowBytes));
    for (int y = 0; y < rows; ++y) {
        const std::uint8_t* cur = raw.data() + std::size_t(y) * std::size_t(rowBytes);
        const std::uint8_t* up = y > 0 ? cur - rowBytes : nullptr;
        long bestScore = -1;
        int bestType = 0;
        for (int type = 0; type < 5; ++type) {
            long score = 0;
            for (int x = 0; x < rowBytes; ++x) {
                const int a = x >= bpp ? cur[x - bpp] : 0;
                const int b = up ? up[x] : 0;
                const int c = (up && x >= bpp) ? up[x - bpp] : 0;
                int predictor = 0;
                if (type == 1)
                    predictor = a;
                else if (type == 2)
                    predictor = b;
                else if (type == 3)
                    predictor = (a + b) / 2;
                else if (type == 4) {
                    const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
                    predictor = (pa <= pb && pa <= pc) ? a : (pb <= pc ? b : c);
                }
                const std::uint8_t v = std::uint8_t(cur[x] - predictor);
                trial[std::size_t(x)] = v;
                score += v < 128 ? v : 256 - v;
            }
            if (bestScore < 0 || score < bestScore) {
                bestScore = score;
                bestType = type;
                best = trial;
            }
        }
        out.push_back(std::uint8_t(bestType));
        out.insert(out.end(), best.begin(), best.end());
    }
    return out;
}

Bytes PngFile(int width, int height, int colorType, const Bytes& raw, int bpp, const std::vector<Rgb>* palette,
              const std::vector<std::uint8_t>* alpha) {
    Bytes out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    Bytes ihdr;
    PutBe(ihdr, std::uint32_t(width));
    PutBe(ihdr, std::uint32_t(height));
    ihdr.push_back(8);
    ihdr.push_back(std::uint8_t(colorType));
    ihdr.push_back(0);
    ihdr.push_back(0);
    ihdr.push_back(0);
    PngChunk(out, "IHDR", ihdr);
    if (palette) {
        Bytes plte;
        for (const Rgb& p : *palette) {
            plte.push_back(p.r);
            plte.push_back(p.g);
            plte.push_back(p.b);
        }
        PngChunk(out, "PLTE", plte);
        if (alpha && !alpha->empty()) PngChunk(out, "tRNS", Bytes(alpha->begin(), alpha->end()));
    }
    PngChunk(out, "IDAT", ZlibCompress(FilterRows(raw, width * bpp, bpp)));
    PngChunk(out, "IEND", {});
    return out;
}

}  // namespace

Bytes PngRgba(int width, int height, const std::vector<Rgba8>& pixels) {
    Bytes raw;
    raw.reserve(pixels.size() * 4);
    for (const Rgba8& p : pixels) {
        raw.push_back(p.r);
        raw.push_back(p.g);
        raw.push_back(p.b);
        raw.push_back(p.a);
    }
    return PngFile(width, height, 6, raw, 4, nullptr, nullptr);
}

Bytes PngIndexed(int width, int height, const std::vector<Rgb>& palette, const std::vector<std::uint8_t>& alpha,
                 const std::vector<std::uint8_t>& indices) {
    return PngFile(width, height, 3, Bytes(indices.begin(), indices.end()), 1, &palette, &alpha);
}

namespace {

void DibHeader(Bytes& out, int size, int bitCount, std::uint32_t imageSize) {
    PutLe(out, 40, 4);
    PutLe(out, std::uint32_t(size), 4);
    PutLe(out, std::uint32_t(size * 2), 4);  // colour rows and mask rows
    PutLe(out, 1, 2);
    PutLe(out, std::uint32_t(bitCount), 2);
    PutLe(out, 0, 4);
    PutLe(out, imageSize, 4);
    PutLe(out, 0, 4);
    PutLe(out, 0, 4);
    PutLe(out, 0, 4);
    PutLe(out, 0, 4);
}

Bytes AndMask(int size, const std::vector<Rgba8>& pixels) {
    const int stride = (size + 31) / 32 * 4;
    Bytes mask(std::size_t(stride * size), 0);
    for (int y = 0; y < size; ++y) {
        const int row = size - 1 - y;
        for (int x = 0; x < size; ++x)
            if (pixels[std::size_t(y * size + x)].a < 128)
                mask[std::size_t(row * stride + x / 8)] |= std::uint8_t(0x80 >> (x % 8));
    }
    return mask;
}

}  // namespace

IconImage IconDibIndexed(int size, const std::vector<Rgb>& palette, const std::vector<std::uint8_t>& indices,
                         const std::vector<Rgba8>& pixels, int bitCount) {
    const int entries = 1 << bitCount;
    const int stride = (size * bitCount + 31) / 32 * 4;
    const Bytes mask = AndMask(size, pixels);
    IconImage img{size, size, entries < 256 ? entries : 0, bitCount, {}};
    DibHeader(img.data, size, bitCount, std::uint32_t(stride * size) + std::uint32_t(mask.size()));
    for (int i = 0; i < entries; ++i) {
        const Rgb p = i < int(palette.size()) ? palette[std::size_t(i)] : Rgb{};
        img.data.push_back(p.b);
        img.data.push_back(p.g);
        img.data.push_back(p.r);
        img.data.push_back(0);
    }
    for (int y = size - 1; y >= 0; --y) {
        Bytes row(std::size_t(stride), 0);
        for (int x = 0; x < size; ++x) {
            const std::size_t at = std::size_t(y * size + x);
            // Hidden pixels stay black so that the mask's screen-XOR leaves the background untouched.
            const std::uint8_t index = pixels[at].a < 128 ? 0 : indices[at];
            if (bitCount == 4)
                row[std::size_t(x / 2)] |= std::uint8_t(x % 2 ? index : index << 4);
            else
                row[std::size_t(x)] = index;
        }
        img.data.insert(img.data.end(), row.begin(), row.end());
    }
    img.data.insert(img.data.end(), mask.begin(), mask.end());
    return img;
}

IconImage IconDib32(int size, const std::vector<Rgba8>& pixels) {
    const Bytes mask = AndMask(size, pixels);
    IconImage img{size, size, 0, 32, {}};
    DibHeader(img.data, size, 32, std::uint32_t(size * size * 4) + std::uint32_t(mask.size()));
    for (int y = size - 1; y >= 0; --y)
        for (int x = 0; x < size; ++x) {
            const Rgba8& p = pixels[std::size_t(y * size + x)];
            img.data.push_back(p.b);
            img.data.push_back(p.g);
            img.data.push_back(p.r);
            img.data.push_back(p.a);
        }
    img.data.insert(img.data.end(), mask.begin(), mask.end());
    return img;
}

Bytes IcoFile(const std::vector<IconImage>& images) {
    Bytes out;
    PutLe(out, 0, 2);
    PutLe(out, 1, 2);
    PutLe(out, std::uint32_t(images.size()), 2);
    std::uint32_t offset = 6 + 16 * std::uint32_t(images.size());
    for (const IconImage& img : images) {
        out.push_back(std::uint8_t(img.width >= 256 ? 0 : img.width));
        out.push_back(std::uint8_t(img.height >= 256 ? 0 : img.height));
        out.push_back(std::uint8_t(img.colorCount));
        out.push_back(0);
        PutLe(out, 1, 2);
        PutLe(out, std::uint32_t(img.bitCount), 2);
        PutLe(out, std::uint32_t(img.data.size()), 4);
        PutLe(out, offset, 4);
        offset += std::uint32_t(img.data.size());
    }
    for (const IconImage& img : images) out.insert(out.end(), img.data.begin(), img.data.end());
    return out;
}

}  // namespace dida::mediagen
