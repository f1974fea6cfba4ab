#pragma once
// File formats written by hand: RIFF WAVE, PNG with a deflate coder and the ICO container (BMP and GIF come
// from the program's own drawing code in src/ui/art). Nothing here knows what the pictures show.
#include <cstdint>
#include <string>
#include <vector>

#include "mediagen.h"

namespace dida::mediagen {

// Plain PCM WAVE: one "fmt " chunk of 16 bytes and one "data" chunk, padded to an even length.
Bytes WavFile(int channels, int sampleRate, int bitsPerSample, const Bytes& samples);

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

}  // namespace dida::mediagen
