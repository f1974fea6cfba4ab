#pragma once
// File formats written by hand: RIFF WAVE, BMP, GIF89a with its LZW coder, PNG with a deflate coder,
// and the ICO container. Nothing here knows what the pictures show.
#include <cstdint>
#include <string>
#include <vector>

#include "mediagen.h"

namespace dida::mediagen {

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
};

struct Rgba8 {
    std::uint8_t r = 0, g = 0, b = 0, a = 0;
};

// Plain PCM WAVE: one "fmt " chunk of 16 bytes and one "data" chunk, padded to an even length.
Bytes WavFile(int channels, int sampleRate, int bitsPerSample, const Bytes& samples);

// Uncompressed 24-bit bottom-up BMP; pixels top row first.
Bytes Bmp24File(int width, int height, const std::vector<Rgb>& pixels);

// An indexed frame of an animation, top row first.
struct GifFrame {
    std::vector<std::uint8_t> indices;
    int delayCs = 0;  // hundredths of a second
};

// GIF89a with one global palette (up to 256 entries), full-size frames, looping forever.
Bytes GifFile(int width, int height, const std::vector<Rgb>& palette, const std::vector<GifFrame>& frames);

// The variable-length LZW code stream of one image, before it is cut into sub-blocks.
Bytes LzwEncode(const std::vector<std::uint8_t>& indices, int minCodeSize);

std::uint32_t Crc32(const std::uint8_t* data, std::size_t n);
std::uint32_t Adler32(const std::uint8_t* data, std::size_t n);

// zlib stream: LZ77 with the fixed Huffman codes of deflate.
Bytes ZlibCompress(const Bytes& raw);

// PNG, 8 bits per sample: truecolour with alpha, or indexed with an optional per-entry alpha.
Bytes PngRgba(int width, int height, const std::vector<Rgba8>& pixels);
Bytes PngIndexed(int width, int height, const std::vector<Rgb>& palette, const std::vector<std::uint8_t>& alpha,
                 const std::vector<std::uint8_t>& indices);

// One image of an icon file: the directory fields and the stored image (DIB without file header, or PNG).
struct IconImage {
    int width = 0, height = 0;
    int colorCount = 0;  // palette entries when below 256, else 0
    int bitCount = 0;
    Bytes data;
};

// DIB forms of an icon image: colour part (palette of 16 or 256, or 32-bit with alpha) plus the AND mask.
// The mask hides pixels whose alpha is below half.
IconImage IconDibIndexed(int size, const std::vector<Rgb>& palette, const std::vector<std::uint8_t>& indices,
                         const std::vector<Rgba8>& pixels, int bitCount);
IconImage IconDib32(int size, const std::vector<Rgba8>& pixels);

Bytes IcoFile(const std::vector<IconImage>& images);

// Little-endian writers shared by the formats.
void PutLe(Bytes& out, std::uint32_t v, int n);
void PutText(Bytes& out, const std::string& s);

}  // namespace dida::mediagen
