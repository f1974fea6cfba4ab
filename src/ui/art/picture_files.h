#pragma once
// The picture files the program's own drawings are written as: 24-bit BMP and GIF89a with its LZW coder.
// Shared by the media generator and the program, which draws its pictures again at other display scales.
#include <cstdint>
#include <string>
#include <vector>

namespace dida::art {

using Bytes = std::vector<std::uint8_t>;

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
};

struct Rgba8 {
    std::uint8_t r = 0, g = 0, b = 0, a = 0;
};

// Little-endian and text writers shared by the formats.
void PutLe(Bytes& out, std::uint32_t v, int n);
void PutText(Bytes& out, const std::string& s);

// Bits packed least significant first, as both LZW in GIF and deflate want them.
class BitWriter {
public:
    void Put(std::uint32_t value, int bits) {
        for (int i = 0; i < bits; ++i) {
            if (fill_ == 0) out_.push_back(0);
            if ((value >> i) & 1u) out_.back() |= std::uint8_t(1u << fill_);
            fill_ = (fill_ + 1) % 8;
        }
    }
    // Huffman codes go out from their most significant bit.
    void PutCode(std::uint32_t code, int bits) {
        std::uint32_t reversed = 0;
        for (int i = 0; i < bits; ++i) reversed |= ((code >> i) & 1u) << (bits - 1 - i);
        Put(reversed, bits);
    }
    Bytes Take() { return std::move(out_); }

private:
    Bytes out_;
    int fill_ = 0;
};

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

}  // namespace dida::art
