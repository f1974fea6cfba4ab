#include "platform/win32/win32_images.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "platform/win32/win32_handle.h"

namespace dida::win32 {
namespace {

std::uint32_t Le32(const std::uint8_t* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
std::uint16_t Le16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }

constexpr std::size_t kIcoHeader = 6;
constexpr std::size_t kIcoEntry = 16;
constexpr std::size_t kBmpFileHeader = 14;
constexpr std::size_t kBmpInfoHeader = 40;

}  // namespace

std::vector<IcoEntry> ParseIcoDirectory(Blob ico) {
    std::vector<IcoEntry> entries;
    if (ico.size() < kIcoHeader) return entries;
    const std::uint8_t* p = ico.data();
    if (Le16(p) != 0 || Le16(p + 2) != 1) return entries;
    const std::size_t count = Le16(p + 4);
    if (count == 0 || ico.size() < kIcoHeader + count * kIcoEntry) return entries;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t* e = p + kIcoHeader + i * kIcoEntry;
        IcoEntry entry;
        entry.width = e[0] ? e[0] : 256;
        entry.height = e[1] ? e[1] : 256;
        entry.bitCount = Le16(e + 6);
        entry.size = Le32(e + 8);
        entry.offset = Le32(e + 12);
        if (entry.size == 0 || entry.offset > ico.size() || entry.size > ico.size() - entry.offset) return {};
        entries.push_back(entry);
    }
    return entries;
}

int PickIcoEntry(const std::vector<IcoEntry>& entries, int cx, int cy) {
    int exact = -1, larger = -1, largest = -1;
    for (int i = 0; i < static_cast<int>(entries.size()); ++i) {
        const IcoEntry& e = entries[i];
        if (e.width == cx && e.height == cy) {
            if (exact < 0 || e.bitCount > entries[exact].bitCount) exact = i;
        } else if (e.width >= cx && e.height >= cy) {
            if (larger < 0 || e.width < entries[larger].width ||
                (e.width == entries[larger].width && e.bitCount > entries[larger].bitCount))
                larger = i;
        }
        if (largest < 0 || e.width > entries[largest].width ||
            (e.width == entries[largest].width && e.bitCount > entries[largest].bitCount))
            largest = i;
    }
    return exact >= 0 ? exact : larger >= 0 ? larger : largest;
}

namespace {

// Among the 32-bit images larger than `size`, the one to scale down from: the smallest whole multiple of it
// (every target pixel then covers whole source pixels), else the smallest.
int PickScaleDownSource(Blob ico, const std::vector<IcoEntry>& entries, int size) {
    int multiple = -1, larger = -1;
    for (int i = 0; i < static_cast<int>(entries.size()); ++i) {
        const IcoEntry& e = entries[i];
        if (e.width != e.height || e.width <= size || IcoEntryPixels(ico, e).empty()) continue;
        if (e.width % size == 0 && (multiple < 0 || e.width < entries[multiple].width)) multiple = i;
        if (larger < 0 || e.width < entries[larger].width) larger = i;
    }
    return multiple >= 0 ? multiple : larger;
}

HICON IconFromPixels(const Argb& pixels, int size) {
    BITMAPV5HEADER h{};
    h.bV5Size = sizeof h;
    h.bV5Width = size;
    h.bV5Height = -size;  // top row first
    h.bV5Planes = 1;
    h.bV5BitCount = 32;
    h.bV5Compression = BI_BITFIELDS;
    h.bV5RedMask = 0x00FF0000;
    h.bV5GreenMask = 0x0000FF00;
    h.bV5BlueMask = 0x000000FF;
    h.bV5AlphaMask = 0xFF000000;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    const UniqueBitmap color(
        CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&h), DIB_RGB_COLORS, &bits, nullptr, 0));
    ReleaseDC(nullptr, screen);
    if (!color) return nullptr;
    std::memcpy(bits, pixels.data(), pixels.size() * sizeof(std::uint32_t));
    // The mask, for drawing without alpha: set where the picture is mostly transparent; rows of whole words.
    const int maskStride = (size + 15) / 16 * 2;
    std::vector<BYTE> mask(static_cast<std::size_t>(maskStride) * size, 0);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            if ((pixels[static_cast<std::size_t>(y) * size + x] >> 24) < 128)
                mask[static_cast<std::size_t>(y) * maskStride + x / 8] |= static_cast<BYTE>(0x80 >> (x % 8));
    // The icon is made of copies of the two bitmaps.
    const UniqueBitmap monochrome(CreateBitmap(size, size, 1, 1, mask.data()));
    ICONINFO info{TRUE, 0, 0, monochrome.get(), color.get()};
    return monochrome ? CreateIconIndirect(&info) : nullptr;
}

}  // namespace

Argb IcoEntryPixels(Blob ico, const IcoEntry& entry) {
    if (entry.bitCount != 32 || entry.size < kBmpInfoHeader) return {};
    const std::uint8_t* p = ico.data() + entry.offset;
    const std::uint32_t header = Le32(p);  // a PNG begins with its signature instead
    if (header != kBmpInfoHeader && header != sizeof(BITMAPV4HEADER) && header != sizeof(BITMAPV5HEADER)) return {};
    const auto width = static_cast<std::int32_t>(Le32(p + 4));
    const auto height = static_cast<std::int32_t>(Le32(p + 8));  // colour and mask
    if (width != entry.width || height != 2 * entry.height || Le16(p + 14) != 32 || Le32(p + 16) != BI_RGB) return {};
    const std::size_t n = static_cast<std::size_t>(width) * width;
    const std::size_t bitsAt = header;
    if (bitsAt + n * 4 > entry.size) return {};
    Argb pixels(n);
    bool anyAlpha = false;
    for (std::int32_t y = 0; y < width; ++y)  // bottom row first in the file
        for (std::int32_t x = 0; x < width; ++x) {
            const std::uint32_t v = Le32(p + bitsAt + (static_cast<std::size_t>(width - 1 - y) * width + x) * 4);
            pixels[static_cast<std::size_t>(y) * width + x] = v;
            anyAlpha |= (v >> 24) != 0;
        }
    if (!anyAlpha) return {};  // an old image that relies on its mask alone
    return pixels;
}

Argb ScaleDown(const Argb& source, int sourceSize, int size) {
    if (size <= 0 || sourceSize < size || source.size() != static_cast<std::size_t>(sourceSize) * sourceSize) return {};
    // For each target row (or column), the source rows it covers with the share of each, summing to 1.
    struct Share {
        int at;
        double weight;
    };
    std::vector<std::vector<Share>> spans(static_cast<std::size_t>(size));
    const double step = double(sourceSize) / size;
    for (int t = 0; t < size; ++t) {
        const double from = t * step, to = from + step;
        for (int s = static_cast<int>(from); s < sourceSize && s < to; ++s) {
            const double cover = std::min<double>(s + 1, to) - std::max<double>(s, from);
            if (cover > 0) spans[static_cast<std::size_t>(t)].push_back({s, cover / step});
        }
    }
    Argb out(static_cast<std::size_t>(size) * size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            double a = 0, r = 0, g = 0, b = 0;
            for (const Share& sy : spans[static_cast<std::size_t>(y)])
                for (const Share& sx : spans[static_cast<std::size_t>(x)]) {
                    const std::uint32_t v = source[static_cast<std::size_t>(sy.at) * sourceSize + sx.at];
                    const double w = sy.weight * sx.weight, alpha = (v >> 24) / 255.0 * w;
                    a += alpha;
                    r += alpha * ((v >> 16) & 0xFF);
                    g += alpha * ((v >> 8) & 0xFF);
                    b += alpha * (v & 0xFF);
                }
            const auto channel = [a](double sum) { return a > 0 ? static_cast<std::uint32_t>(sum / a + 0.5) : 0u; };
            const auto alpha = static_cast<std::uint32_t>(a * 255 + 0.5);
            out[static_cast<std::size_t>(y) * size + x] =
                std::min(alpha, 255u) << 24 | channel(r) << 16 | channel(g) << 8 | channel(b);
        }
    return out;
}

HICON IconFromIco(Blob ico, int cx, int cy) {
    const std::vector<IcoEntry> entries = ParseIcoDirectory(ico);
    const int pick = PickIcoEntry(entries, cx, cy);
    if (pick < 0) return nullptr;
    if ((entries[pick].width != cx || entries[pick].height != cy) && cx == cy) {
        // The system would stretch the nearest image pixel by pixel; an average of the larger one stays smooth.
        const int source = PickScaleDownSource(ico, entries, cx);
        if (source >= 0) {
            const Argb scaled = ScaleDown(IcoEntryPixels(ico, entries[source]), entries[source].width, cx);
            if (HICON icon = IconFromPixels(scaled, cx)) return icon;
        }
    }
    const IcoEntry& e = entries[pick];
    // The resource form wants a writable, aligned copy of the image data (a DIB or a PNG).
    std::vector<BYTE> bits(ico.begin() + e.offset, ico.begin() + e.offset + e.size);
    return CreateIconFromResourceEx(bits.data(), static_cast<DWORD>(bits.size()), TRUE, 0x00030000, cx, cy,
                                    LR_DEFAULTCOLOR);
}

std::optional<BmpLayout> ParseBmp(Blob bmp) {
    if (bmp.size() < kBmpFileHeader + kBmpInfoHeader) return std::nullopt;
    const std::uint8_t* p = bmp.data();
    if (p[0] != 'B' || p[1] != 'M') return std::nullopt;
    const std::uint32_t bitsOffset = Le32(p + 10);
    const std::uint8_t* info = p + kBmpFileHeader;
    if (Le32(info) < kBmpInfoHeader) return std::nullopt;
    BmpLayout layout;
    layout.width = static_cast<std::int32_t>(Le32(info + 4));
    const std::int32_t height = static_cast<std::int32_t>(Le32(info + 8));
    layout.height = std::abs(height);
    layout.bitCount = Le16(info + 14);
    const std::uint32_t compression = Le32(info + 16);
    layout.infoOffset = kBmpFileHeader;
    layout.bitsOffset = bitsOffset;
    if (layout.width <= 0 || layout.height <= 0 || layout.width > 4096 || layout.height > 4096) return std::nullopt;
    if (compression != BI_RGB) return std::nullopt;
    if (layout.bitCount != 24 && layout.bitCount != 32) return std::nullopt;
    const std::size_t stride = ((static_cast<std::size_t>(layout.width) * layout.bitCount + 31) / 32) * 4;
    if (bitsOffset < kBmpFileHeader + kBmpInfoHeader || bitsOffset > bmp.size() ||
        stride * layout.height > bmp.size() - bitsOffset)
        return std::nullopt;
    return layout;
}

HBITMAP BitmapFromBmp(Blob bmp) {
    const std::optional<BmpLayout> layout = ParseBmp(bmp);
    if (!layout) return nullptr;
    // Copies keep the system's reads aligned whatever the embedding did.
    BITMAPINFOHEADER header;
    std::memcpy(&header, bmp.data() + layout->infoOffset, sizeof header);
    header.biSize = sizeof header;
    std::vector<BYTE> bits(bmp.begin() + layout->bitsOffset, bmp.end());
    BITMAPINFO info{};
    info.bmiHeader = header;
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateDIBitmap(screen, &header, CBM_INIT, bits.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    return bitmap;
}

}  // namespace dida::win32
