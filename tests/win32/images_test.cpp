// The ICO and BMP readers: which entry of an icon file serves each size, every pixel of a bitmap in its place,
// and broken file images refused.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/win32/win32_images.h"
#include "backend_fixture.h"

namespace dida::win32 {
namespace {

// A 24-bit BMP file image, bottom-up, rows padded to four bytes; pixels given top row first as 0xRRGGBB.
std::vector<std::uint8_t> MakeBmp(int w, int h, const std::vector<std::uint32_t>& rgbTopDown) {
    const int stride = ((w * 24 + 31) / 32) * 4;
    std::vector<std::uint8_t> b{'B', 'M'};
    Put32(b, static_cast<std::uint32_t>(54 + stride * h));
    Put32(b, 0);
    Put32(b, 54);
    Put32(b, 40);
    Put32(b, w);
    Put32(b, h);
    Put16(b, 1);
    Put16(b, 24);
    for (int i = 0; i < 6; ++i) Put32(b, 0);
    for (int row = h - 1; row >= 0; --row) {
        for (int x = 0; x < w; ++x) {
            const std::uint32_t c = rgbTopDown[row * w + x];
            b.push_back(c & 0xFF);
            b.push_back((c >> 8) & 0xFF);
            b.push_back((c >> 16) & 0xFF);
        }
        for (int p = w * 3; p < stride; ++p) b.push_back(0);
    }
    return b;
}

TEST(IcoReader, PicksTheEntryForEachSize) {
    const std::vector<std::uint8_t> ico = MakeIco({{32, 8}, {16, 8}, {16, 32}, {48, 32}, {32, 32}});
    const std::vector<IcoEntry> entries = ParseIcoDirectory(AsBlob(ico));
    ASSERT_EQ(entries.size(), 5u);
    struct Row {
        int cx;
        int want;
    } rows[] = {
        {16, 2},                    // exact size, the deeper of two
        {32, 4}, {48, 3}, {24, 4},  // no exact one: the smallest larger, deepest
        {64, 3},                    // none larger: the largest
    };
    for (const Row& r : rows) EXPECT_EQ(PickIcoEntry(entries, r.cx, r.cx), r.want) << "size " << r.cx;
    EXPECT_EQ(PickIcoEntry({}, 16, 16), -1);
}

TEST(IcoReader, MakesIconsOfTheAskedSize) {
    const std::vector<std::uint8_t> ico = MakeIco({{16, 32}, {32, 32}});
    for (int size : {16, 32}) {
        HICON icon = IconFromIco(AsBlob(ico), size, size);
        ASSERT_NE(icon, nullptr) << size;
        ICONINFO info{};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        BITMAP bm{};
        GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bm, &bm);
        EXPECT_EQ(bm.bmWidth, size);
        if (info.hbmColor) DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(icon);
    }
}

TEST(IcoReader, RejectsBrokenImages) {
    const std::vector<std::uint8_t> good = MakeIco({{16, 32}});
    struct Row {
        const char* what;
        std::vector<std::uint8_t> bytes;
    };
    std::vector<Row> rows;
    rows.push_back({"empty", {}});
    rows.push_back({"header only", std::vector<std::uint8_t>(good.begin(), good.begin() + 6)});
    std::vector<std::uint8_t> cursor = good;
    cursor[2] = 2;  // a cursor file, not an icon
    rows.push_back({"cursor type", cursor});
    std::vector<std::uint8_t> cut = good;
    cut.resize(good.size() - 10);  // the image runs past the end
    rows.push_back({"truncated image", cut});
    std::vector<std::uint8_t> none = good;
    none[4] = 0;
    rows.push_back({"no entries", none});
    for (const Row& r : rows) {
        EXPECT_TRUE(ParseIcoDirectory(AsBlob(r.bytes)).empty()) << r.what;
        EXPECT_EQ(IconFromIco(AsBlob(r.bytes), 16, 16), nullptr) << r.what;
    }
}

TEST(BmpReader, KeepsEveryPixelAndTheRowOrder) {
    // Three pixels wide: each row carries three padding bytes.
    const std::vector<std::uint32_t> px = {0xFF0000, 0x00FF00, 0x0000FF, 0xFF00FF, 0x000000, 0xFFFFFF};
    const std::vector<std::uint8_t> bmp = MakeBmp(3, 2, px);
    const auto layout = ParseBmp(AsBlob(bmp));
    ASSERT_TRUE(layout.has_value());
    EXPECT_EQ(layout->width, 3);
    EXPECT_EQ(layout->height, 2);
    HBITMAP bitmap = BitmapFromBmp(AsBlob(bmp));
    ASSERT_NE(bitmap, nullptr);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) {
            const std::uint32_t rgb = px[y * 3 + x];
            EXPECT_EQ(GetPixel(dc, x, y), RGB(rgb >> 16, (rgb >> 8) & 0xFF, rgb & 0xFF)) << x << "," << y;
        }
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bitmap);
}

TEST(BmpReader, RejectsBrokenImages) {
    const std::vector<std::uint8_t> good = MakeBmp(2, 2, {0, 0, 0, 0});
    auto with = [&](std::size_t at, std::uint8_t v) {
        std::vector<std::uint8_t> b = good;
        b[at] = v;
        return b;
    };
    struct Row {
        const char* what;
        std::vector<std::uint8_t> bytes;
    } rows[] = {
        {"not BM", with(0, 'X')},
        {"rows cut short", std::vector<std::uint8_t>(good.begin(), good.end() - 4)},
        {"8 bits per pixel", with(28, 8)},
        {"compressed", with(30, 1)},
        {"pixels before the headers", with(10, 20)},
    };
    for (const Row& r : rows) {
        EXPECT_FALSE(ParseBmp(AsBlob(r.bytes)).has_value()) << r.what;
        EXPECT_EQ(BitmapFromBmp(AsBlob(r.bytes)), nullptr) << r.what;
    }
}

}  // namespace
}  // namespace dida::win32
