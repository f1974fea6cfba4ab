#include "ui/art/picture_files.h"

#include <algorithm>

namespace dida::art {

void PutLe(Bytes& out, std::uint32_t v, int n) {
    for (int i = 0; i < n; ++i) out.push_back(std::uint8_t(v >> (8 * i)));
}

void PutText(Bytes& out, const std::string& s) { out.insert(out.end(), s.begin(), s.end()); }

Bytes Bmp24File(int width, int height, const std::vector<Rgb>& pixels) {
    const int stride = (width * 3 + 3) / 4 * 4;
    const std::uint32_t imageSize = std::uint32_t(stride * height);
    Bytes out;
    PutText(out, "BM");
    PutLe(out, 54 + imageSize, 4);
    PutLe(out, 0, 4);
    PutLe(out, 54, 4);
    PutLe(out, 40, 4);
    PutLe(out, std::uint32_t(width), 4);
    PutLe(out, std::uint32_t(height), 4);
    PutLe(out, 1, 2);
    PutLe(out, 24, 2);
    PutLe(out, 0, 4);
    PutLe(out, imageSize, 4);
    PutLe(out, 2835, 4);  // 72 dpi
    PutLe(out, 2835, 4);
    PutLe(out, 0, 4);
    PutLe(out, 0, 4);
    for (int y = height - 1; y >= 0; --y) {
        for (int x = 0; x < width; ++x) {
            const Rgb& p = pixels[std::size_t(y * width + x)];
            out.push_back(p.b);
            out.push_back(p.g);
            out.push_back(p.r);
        }
        for (int i = width * 3; i < stride; ++i) out.push_back(0);
    }
    return out;
}

Bytes LzwEncode(const std::vector<std::uint8_t>& indices, int minCodeSize) {
    const int clearCode = 1 << minCodeSize;
    const int endCode = clearCode + 1;
    // Child table: code * 256 + next index -> code of the longer string, 0 when absent (0 is never a child).
    std::vector<std::uint16_t> child(4096 * 256, 0);
    int codeSize = minCodeSize + 1;
    int nextCode = endCode + 1;
    BitWriter bits;
    bits.Put(std::uint32_t(clearCode), codeSize);
    if (indices.empty()) {
        bits.Put(std::uint32_t(endCode), codeSize);
        return bits.Take();
    }
    int prefix = indices[0];
    for (std::size_t i = 1; i < indices.size(); ++i) {
        const int c = indices[i];
        const int known = child[std::size_t(prefix) * 256 + std::size_t(c)];
        if (known != 0) {
            prefix = known;
            continue;
        }
        bits.Put(std::uint32_t(prefix), codeSize);
        // The decoder adds each entry one code later than we do, so the width grows once the entry just
        // made needs the wider code, and the table starts over when it is full.
        const int added = nextCode++;
        child[std::size_t(prefix) * 256 + std::size_t(c)] = std::uint16_t(added);
        if (added == (1 << codeSize) && codeSize < 12) ++codeSize;
        if (nextCode == 4096) {
            bits.Put(std::uint32_t(clearCode), codeSize);
            std::fill(child.begin(), child.end(), 0);
            codeSize = minCodeSize + 1;
            nextCode = endCode + 1;
        }
        prefix = c;
    }
    bits.Put(std::uint32_t(prefix), codeSize);
    bits.Put(std::uint32_t(endCode), codeSize);
    return bits.Take();
}

Bytes GifFile(int width, int height, const std::vector<Rgb>& palette, const std::vector<GifFrame>& frames) {
    int tableBits = 1;
    while ((1 << tableBits) < int(palette.size())) ++tableBits;
    Bytes out;
    PutText(out, "GIF89a");
    PutLe(out, std::uint32_t(width), 2);
    PutLe(out, std::uint32_t(height), 2);
    out.push_back(std::uint8_t(0x80 | 0x70 | (tableBits - 1)));  // global table, 8-bit colour resolution
    out.push_back(0);                                            // background: entry 0
    out.push_back(0);
    for (int i = 0; i < (1 << tableBits); ++i) {
        const Rgb p = i < int(palette.size()) ? palette[std::size_t(i)] : Rgb{};
        out.push_back(p.r);
        out.push_back(p.g);
        out.push_back(p.b);
    }
    // Loop forever.
    out.push_back(0x21);
    out.push_back(0xFF);
    out.push_back(11);
    PutText(out, "NETSCAPE2.0");
    out.push_back(3);
    out.push_back(1);
    PutLe(out, 0, 2);
    out.push_back(0);
    const int minCodeSize = std::max(2, tableBits);
    for (const GifFrame& f : frames) {
        out.push_back(0x21);
        out.push_back(0xF9);
        out.push_back(4);
        out.push_back(1 << 2);  // each frame covers the whole picture: leave it in place
        PutLe(out, std::uint32_t(f.delayCs), 2);
        out.push_back(0);
        out.push_back(0);
        out.push_back(0x2C);
        PutLe(out, 0, 2);
        PutLe(out, 0, 2);
        PutLe(out, std::uint32_t(width), 2);
        PutLe(out, std::uint32_t(height), 2);
        out.push_back(0);
        out.push_back(std::uint8_t(minCodeSize));
        const Bytes code = LzwEncode(f.indices, minCodeSize);
        for (std::size_t at = 0; at < code.size(); at += 255) {
            const std::size_t n = std::min<std::size_t>(255, code.size() - at);
            out.push_back(std::uint8_t(n));
            out.insert(out.end(), code.begin() + std::ptrdiff_t(at), code.begin() + std::ptrdiff_t(at + n));
        }
        out.push_back(0);
    }
    out.push_back(0x3B);
    return out;
}

}  // namespace dida::art
