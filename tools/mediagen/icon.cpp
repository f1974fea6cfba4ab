// The program's icon: a silver alarm clock with two bells, a hammer between them, and two feet. The
// same drawing is rendered at every size, with the strokes kept at least a pixel wide and the small
// details left out where they would only blur.
#include <algorithm>
#include <vector>

#include "ui/art/detmath.h"
#include "formats.h"
#include "mediagen.h"
#include "ui/art/raster.h"

namespace dida::mediagen {
namespace {

const Color kOutline = Hex(0x33373D);
const Color kSilverLight = Hex(0xF2F4F7);
const Color kSilverMid = Hex(0xBFC5CD);
const Color kSilverDeep = Hex(0x7D8590);
const Color kDial = Hex(0xFFFFFF);
const Color kHands = Hex(0x1E2228);
const Color kRed = Hex(0xE02A2A);

constexpr double kCx = 50, kCy = 56, kR = 33;

Canvas DrawClock(int size) {
    Canvas canvas(size, size, Color{0, 0, 0, 0});
    const double scale = size / 100.0;
    Painter p(canvas, {{50, 50}, {size / 2.0, size / 2.0}, scale, 1, 0});
    const double px = 1 / scale;  // one pixel in design units
    const auto atLeast = [px](double width, double pixels) { return std::max(width, pixels * px); };
    const bool small = size <= 16, large = size >= 48;
    // Silver shaded from the upper left.
    const auto silver = [](double cx, double cy, double r) {
        return [=](double x, double y) {
            const double t = Clamp(((x - cx) + (y - cy)) / (2 * r) + 0.5, 0, 1);
            return t < 0.5 ? Mix(kSilverLight, kSilverMid, t * 2) : Mix(kSilverMid, kSilverDeep, (t - 0.5) * 2);
        };
    };
    const auto fillShaded = [&](const Sdf& sdf, double cx, double cy, double r) {
        Canvas* c = &canvas;
        const double mx = size / 2.0 + (cx - 50) * scale, my = size / 2.0 + (cy - 50) * scale, reach = r * scale + 2;
        const auto shade = silver(cx, cy, r);
        c->FillShaded(
            [&](double x, double y) {
                return sdf(50 + (x - size / 2.0) / scale, 50 + (y - size / 2.0) / scale) * scale;
            },
            [&](double x, double y) { return shade(50 + (x - size / 2.0) / scale, 50 + (y - size / 2.0) / scale); },
            mx - reach, my - reach, mx + reach, my + reach);
    };
    const double outline = atLeast(2.2, 0.9);

    // Feet.
    for (int side = -1; side <= 1; side += 2) {
        const double ax = kCx + side * 20, ay = kCy + 24, bx = kCx + side * 30, by = 96;
        p.Line(ax, ay, bx, by - 2, atLeast(4.5, 0.8) + outline * 0.6, kOutline);
        p.Line(ax, ay, bx, by - 2, atLeast(4.5, 0.8) - outline * 0.4, kSilverDeep);
    }
    // Hammer and its stem between the bells.
    p.Line(kCx, kCy - kR, kCx, 10, atLeast(2.0, 0.8) + outline * 0.5, kOutline);
    p.Circle(kCx, 9, atLeast(5.0, 1.2) + outline * 0.6, kOutline);
    p.Circle(kCx, 9, atLeast(5.0, 1.2) - outline * 0.4, kSilverMid);
    // Bells: domes leaning out, their rims towards the clock.
    for (int side = -1; side <= 1; side += 2) {
        const double a = side * 0.72;  // radians from straight up
        const double dx = Sin(a), dy = -Cos(a);
        const double bcx = kCx + dx * 33, bcy = kCy + dy * 33, br = small ? 19 : 17;
        const auto dome = [=](double x, double y) {
            return std::max(CircleSdf(x, y, bcx, bcy, br), HalfPlaneSdf(x, y, bcx - dx * 4, bcy - dy * 4, -dx, -dy));
        };
        p.Fill([&](double x, double y) { return dome(x, y) - outline; }, kOutline, bcx, bcy, br + outline);
        fillShaded(dome, bcx, bcy, br);
        // The lip along the rim, which makes the dome read as a bell.
        const double lx = bcx - dx * 4, ly = bcy - dy * 4, half = br + 2.5, lip = atLeast(2.4, 0.6);
        p.Line(lx - dy * half, ly + dx * half, lx + dy * half, ly - dx * half, lip + outline, kOutline);
        p.Line(lx - dy * half, ly + dx * half, lx + dy * half, ly - dx * half, lip, kSilverMid);
        if (!small) p.Circle(bcx + dx * (br + 1), bcy + dy * (br + 1), atLeast(3.2, 0.9), kOutline);
    }
    // Case, rim and dial.
    p.Circle(kCx, kCy, kR + outline, kOutline);
    fillShaded([](double x, double y) { return CircleSdf(x, y, kCx, kCy, kR); }, kCx, kCy, kR);
    const double dial = small ? kR - 4 : kR - 6;
    if (!small) p.Circle(kCx, kCy, dial + atLeast(1.2, 0.6), kSilverDeep);
    p.Circle(kCx, kCy, dial, kDial);
    if (size >= 32) {
        for (int i = 0; i < 12; ++i) {
            const double a = i * kPi / 6;
            const bool quarter = i % 3 == 0;
            if (!large && !quarter) continue;
            const double outer = dial - 2.5, inner = outer - (quarter ? 4.5 : 2.5);
            p.Line(kCx + Sin(a) * inner, kCy - Cos(a) * inner, kCx + Sin(a) * outer, kCy - Cos(a) * outer,
                   atLeast(quarter ? 1.3 : 0.8, 0.5), kSilverDeep);
        }
    }
    // Ten past ten: the hands open like a smile, and read at any size.
    // At 16 pixels the hands are long one-pixel strokes, else they merge into a blot.
    const double hour = -kPi / 3 - kPi / 36, minute = kPi / 3;
    const double hourLength = small ? 0.78 : 0.55, minuteLength = small ? 0.98 : 0.8;
    p.Line(kCx, kCy, kCx + Sin(hour) * dial * hourLength, kCy - Cos(hour) * dial * hourLength,
           small ? 0.55 * px : atLeast(2.6, 0.75), kHands);
    p.Line(kCx, kCy, kCx + Sin(minute) * dial * minuteLength, kCy - Cos(minute) * dial * minuteLength,
           small ? 0.5 * px : atLeast(1.9, 0.6), kHands);
    if (!small) {
        const double second = kPi * 1.05;
        p.Line(kCx - Sin(second) * 6, kCy + Cos(second) * 6, kCx + Sin(second) * dial * 0.85,
               kCy - Cos(second) * dial * 0.85, atLeast(0.9, 0.5), kRed);
    }
    if (!small) p.Circle(kCx, kCy, atLeast(3.0, 0.8), kRed);
    return canvas;
}

// The sixteen colours every display can show.
const std::vector<Rgb> kSixteen = {{0x00, 0x00, 0x00}, {0x80, 0x00, 0x00}, {0x00, 0x80, 0x00}, {0x80, 0x80, 0x00},
                                   {0x00, 0x00, 0x80}, {0x80, 0x00, 0x80}, {0x00, 0x80, 0x80}, {0xC0, 0xC0, 0xC0},
                                   {0x80, 0x80, 0x80}, {0xFF, 0x00, 0x00}, {0x00, 0xFF, 0x00}, {0xFF, 0xFF, 0x00},
                                   {0x00, 0x00, 0xFF}, {0xFF, 0x00, 0xFF}, {0x00, 0xFF, 0xFF}, {0xFF, 0xFF, 0xFF}};

// The sixteen-colour images take only the greys and reds, so that no outline turns navy or teal.
std::vector<std::uint8_t> MapToSixteen(const std::vector<Rgb>& pixels) {
    const std::vector<std::uint8_t> allowed = {0, 1, 7, 8, 9, 15};
    std::vector<Rgb> subset;
    for (std::uint8_t i : allowed) subset.push_back(kSixteen[i]);
    std::vector<std::uint8_t> out = MapToPalette(pixels, subset);
    for (std::uint8_t& i : out) i = allowed[i];
    return out;
}

std::vector<Rgb> Opaque(const std::vector<Rgba8>& pixels) {
    std::vector<Rgb> out;
    for (const Rgba8& p : pixels)
        if (p.a >= 128) out.push_back({p.r, p.g, p.b});
    return out;
}

std::vector<Rgb> Straight(const std::vector<Rgba8>& pixels) {
    std::vector<Rgb> out;
    for (const Rgba8& p : pixels) out.push_back({p.r, p.g, p.b});
    return out;
}

}  // namespace

Bytes AppIcon() {
    std::vector<IconImage> images;
    const int sizes[] = {16, 32, 48};
    std::vector<std::vector<Rgba8>> pictures;
    for (int size : sizes) pictures.push_back(DrawClock(size).Pixels());
    const std::vector<Rgba8> big = DrawClock(256).Pixels();

    for (std::size_t i = 0; i < 3; ++i)
        images.push_back(IconDibIndexed(sizes[i], kSixteen, MapToSixteen(Straight(pictures[i])), pictures[i], 4));
    {
        // Sixteen colours at 256: the magenta nobody draws with becomes the see-through entry.
        std::vector<std::uint8_t> indices = MapToSixteen(Straight(big));
        std::vector<std::uint8_t> alpha(16, 255);
        alpha[13] = 0;
        for (std::size_t i = 0; i < big.size(); ++i)
            if (big[i].a < 128) indices[i] = 13;
        IconImage img{256, 256, 16, 4, PngIndexed(256, 256, kSixteen, alpha, indices)};
        images.push_back(std::move(img));
    }
    for (std::size_t i = 0; i < 3; ++i) {
        const std::vector<Rgb> palette = PopularPalette({Opaque(pictures[i])}, {{0, 0, 0}}, 256);
        images.push_back(
            IconDibIndexed(sizes[i], palette, MapToPalette(Straight(pictures[i]), palette), pictures[i], 8));
    }
    {
        // Entry 0 is the see-through one; the clock's colours follow.
        const std::vector<Rgb> colours = PopularPalette({Opaque(big)}, {}, 255);
        std::vector<Rgb> palette = {{0, 0, 0}};
        palette.insert(palette.end(), colours.begin(), colours.end());
        std::vector<std::uint8_t> indices = MapToPalette(Straight(big), colours);
        std::vector<std::uint8_t> alpha(palette.size(), 255);
        alpha[0] = 0;
        for (std::size_t i = 0; i < big.size(); ++i) indices[i] = big[i].a < 128 ? 0 : std::uint8_t(indices[i] + 1);
        images.push_back({256, 256, 0, 8, PngIndexed(256, 256, palette, alpha, indices)});
    }
    for (std::size_t i = 0; i < 3; ++i) images.push_back(IconDib32(sizes[i], pictures[i]));
    images.push_back({256, 256, 0, 32, PngRgba(256, 256, big)});
    return IcoFile(images);
}

}  // namespace dida::mediagen
