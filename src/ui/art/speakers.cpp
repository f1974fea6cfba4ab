// The speaker button's pictures, 20 x 20 at the design scale. The button keys out magenta, so there is no
// edge smoothing: every pixel is either the background or the speaker's colour. The shapes are described
// in the 20-unit design square and each pixel is tested at its centre; the edges lie half-way between
// pixel centres of the design size, so the design picture keeps its whole-pixel shapes and a larger one
// follows the same outlines with finer steps.
#include <cmath>
#include <vector>

#include "ui/art/art.h"
#include "ui/art/detmath.h"
#include "ui/art/picture_files.h"

namespace dida::art {
namespace {

constexpr int kSize = 20;

// Magnet and cone, symmetric about the picture's middle line (v = 10).
bool SpeakerAt(double u, double v) {
    if (u >= 2 && u < 6 && v >= 7 && v < 13) return true;
    // The cone widens by one unit per unit to the right: its edges are the diagonals through the magnet's
    // corners.
    return u >= 6 && u < 10 && u + v >= 12.5 && v - u <= 7.5;
}

// Three arcs around a point just inside the cone's mouth, each inside a cone of directions.
bool WavesAt(double u, double v) {
    const double dx = u - 8.0, dy = v - 10.0;
    if (dx <= 0) return false;
    const double r = Hypot(dx, dy);
    const double radii[] = {4.2, 6.9, 9.6};
    const double spans[] = {0.95, 0.85, 0.80};  // |dy| / r allowed
    for (int i = 0; i < 3; ++i)
        if (std::abs(r - radii[i]) <= 0.62 && std::abs(dy) / r <= spans[i]) return true;
    return false;
}

// An X of strokes two units wide (measured across a row) in the 8 x 8 square right of the cone (u 11..19,
// v 6..14). Each stroke runs half a unit off its diagonal towards the middle line, so the X is the same
// mirrored either way.
bool CrossAt(double u, double v) {
    if (v < 6 || v >= 14 || u < 11 || u >= 19) return false;
    const double inward = v < 10 ? 0.5 : -0.5;
    const double down = u - v - 5 - inward;  // 0 on the stroke from the top left
    const double up = u + v - 25 + inward;   // 0 on the stroke from the bottom left
    // Half-open, so a stroke covers exactly two units of every row at any scale.
    return (down >= -1 && down < 1) || (up >= -1 && up < 1);
}

}  // namespace

Bytes SpeakerPicture(bool waves, bool orange, int dpi) {
    const int size = ScaledLength(kSize, dpi);
    const double unit = double(kSize) / size;  // design units per pixel
    const Rgb background{0xFF, 0x00, 0xFF};
    const Rgb ink = orange ? Rgb{0xFF, 0x80, 0x00} : Rgb{0x00, 0x00, 0x00};
    std::vector<Rgb> pixels(std::size_t(size * size), background);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const double u = (x + 0.5) * unit, v = (y + 0.5) * unit;
            const bool on = SpeakerAt(u, v) || (waves ? WavesAt(u, v) : CrossAt(u, v));
            if (on) pixels[std::size_t(y * size + x)] = ink;
        }
    return Bmp24File(size, size, pixels);
}

}  // namespace dida::art
