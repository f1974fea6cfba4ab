#include "platform/win32/win32_images.h"

#include <cstdint>
#include <cstring>
#include <cstdlib>

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

HICON IconFromIco(Blob ico, int cx, int cy) {
    const std::vector<IcoEntry> entries = ParseIcoDirectory(ico);
    const int pick = PickIcoEntry(entries, cx, cy);
    if (pick < 0) return nullptr;
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
