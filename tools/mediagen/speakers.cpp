// The speaker button's four 20 x 20 pictures. The button keys out magenta, so there is no edge
// smoothing: every pixel is either the background or the speaker's colour, and the shapes are placed on
// whole pixels to stay crisp at their own size.
#include <cmath>
#include <vector>

#include "detmath.h"
#include "formats.h"
#include "mediagen.h"

namespace dida::mediagen {
namespace {

constexpr int kSize = 20;

// Magnet and cone, symmetric about the picture's middle line (between rows 9 and 10).
bool SpeakerPixel(int x, int y) {
    if (x >= 2 && x <= 5 && y >= 7 && y <= 12) return true;
    if (x >= 6 && x <= 9) {
        const int spread = x - 5;
        return y >= 7 - spread && y <= 12 + spread;
    }
    return false;
}

// Three arcs around a point just inside the cone's mouth, each inside a cone of directions.
bool WavePixel(int x, int y) {
    const double cx = 8.0, cy = 10.0;
    const double dx = x + 0.5 - cx, dy = y + 0.5 - cy;
    if (dx <= 0) return false;
    const double r = Hypot(dx, dy);
    const double radii[] = {4.2, 6.9, 9.6};
    const double spans[] = {0.95, 0.85, 0.80};  // |dy| / r allowed
    for (int i = 0; i < 3; ++i)
        if (std::abs(r - radii[i]) <= 0.62 && std::abs(dy) / r <= spans[i]) return true;
    return false;
}

// An X of two-pixel strokes in the 8 x 8 square right of the cone; each stroke thickens towards the
// middle, so the X is the same mirrored either way.
bool CrossPixel(int x, int y) {
    if (y < 6 || y > 13 || x < 11 || x > 18) return false;
    const int k = y - 6, inward = k < 4 ? 1 : -1;
    return x == 11 + k || x == 11 + k + inward || x == 18 - k || x == 18 - k - inward;
}

}  // namespace

Bytes SpeakerPicture(bool waves, bool orange) {
    const Rgb background{0xFF, 0x00, 0xFF};
    const Rgb ink = orange ? Rgb{0xFF, 0x80, 0x00} : Rgb{0x00, 0x00, 0x00};
    std::vector<Rgb> pixels(kSize * kSize, background);
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) {
            const bool on = SpeakerPixel(x, y) || (waves ? WavePixel(x, y) : CrossPixel(x, y));
            if (on) pixels[std::size_t(y * kSize + x)] = ink;
        }
    return Bmp24File(kSize, kSize, pixels);
}

}  // namespace dida::mediagen
