#pragma once
// The picture formats the program embeds, turned into GDI objects: ICO file images (window, tray and
// program icon) and 24-bit BMP file images (the speaker pictures).
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/values.h"

namespace dida::win32 {

struct IcoEntry {
    int width = 0, height = 0;  // 0 in the file means 256
    int bitCount = 0;
    std::size_t offset = 0, size = 0;
};

// The directory of an ICO file image; empty when the image is not an icon file or an entry points
// outside it.
std::vector<IcoEntry> ParseIcoDirectory(Blob ico);
// The entry to use for an icon of cx × cy: the exact size with the most colours, else the smallest
// larger one, else the largest; -1 for an empty directory.
int PickIcoEntry(const std::vector<IcoEntry>& entries, int cx, int cy);
// A new icon of that size from the best entry; nullptr when there is none. The caller destroys it. A size
// the file does not hold (the small icon at 125 % or 150 %) is scaled down from a larger 32-bit image.
HICON IconFromIco(Blob ico, int cx, int cy);

// Square pictures as 0xAARRGGBB, top row first, alpha not premultiplied.
using Argb = std::vector<std::uint32_t>;
// The 32-bit colour image of an icon entry that holds one (not a PNG, not a palette image); empty otherwise.
Argb IcoEntryPixels(Blob ico, const IcoEntry& entry);
// A smaller picture whose every pixel is the average of the source area it covers, weighted by alpha so that
// transparent pixels lend no colour.
Argb ScaleDown(const Argb& source, int sourceSize, int size);

struct BmpLayout {
    int width = 0, height = 0;  // height positive whether the rows run bottom-up or top-down
    int bitCount = 0;
    std::size_t infoOffset = 0;  // the BITMAPINFOHEADER
    std::size_t bitsOffset = 0;
};
// Checks a BMP file image: the file header, an info header, pixel rows that fit in the image.
std::optional<BmpLayout> ParseBmp(Blob bmp);
// A device-dependent bitmap compatible with the screen; nullptr for a broken image. The caller deletes it.
HBITMAP BitmapFromBmp(Blob bmp);

}  // namespace dida::win32
