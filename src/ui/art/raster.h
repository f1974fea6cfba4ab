#pragma once
// A small vector painter: shapes are signed distance functions in pixels (negative inside), painted
// with one-pixel analytic edge smoothing and "over" compositing, plus the palette work that turns the
// result into indexed pictures.
#include <cmath>
#include <functional>
#include <vector>

#include "ui/art/detmath.h"
#include "ui/art/picture_files.h"

namespace dida::art {

struct Color {
    double r = 0, g = 0, b = 0, a = 1;  // 0..1, not premultiplied
};

Color Hex(unsigned rgb, double alpha = 1);
Color Mix(const Color& a, const Color& b, double t);

struct Vec {
    double x = 0, y = 0;
};

using Sdf = std::function<double(double x, double y)>;

// Distance functions, in the units of their arguments.
double CircleSdf(double x, double y, double cx, double cy, double r);
double SegmentSdf(double x, double y, double ax, double ay, double bx, double by, double r);
double BoxSdf(double x, double y, double cx, double cy, double hw, double hh, double radius);
double EllipseSdf(double x, double y, double cx, double cy, double rx, double ry);
// Half plane on the side the normal (nx, ny) points away from, through (px, py).
double HalfPlaneSdf(double x, double y, double px, double py, double nx, double ny);

class Canvas {
public:
    Canvas(int width, int height, Color fill);

    int Width() const { return w_; }
    int Height() const { return h_; }

    // Paints where sdf < 0 within the box [x0, x1) x [y0, y1) of pixels (clipped to the canvas).
    void Fill(const Sdf& sdf, const Color& color, double x0, double y0, double x1, double y1);
    void Fill(const Sdf& sdf, const Color& color) { Fill(sdf, color, 0, 0, w_, h_); }
    // Paints with a colour that varies over the picture.
    void FillShaded(const Sdf& sdf, const std::function<Color(double x, double y)>& shade, double x0, double y0,
                    double x1, double y1);

    Color At(int x, int y) const { return px_[std::size_t(y * w_ + x)]; }
    std::vector<Rgba8> Pixels() const;
    std::vector<Rgb> PixelsOn(const Color& background) const;

private:
    void Blend(int x, int y, const Color& c, double coverage);
    int w_, h_;
    std::vector<Color> px_;
};

// The most used colours of the pictures (counted at 5 bits per channel), up to maxColors, with the given
// colours first; then each pixel mapped to its nearest palette entry.
std::vector<Rgb> PopularPalette(const std::vector<std::vector<Rgb>>& pictures, const std::vector<Rgb>& first,
                                std::size_t maxColors);
std::vector<std::uint8_t> MapToPalette(const std::vector<Rgb>& pixels, const std::vector<Rgb>& palette);

}  // namespace dida::art

namespace dida::art {

// Distance to a closed polygon (any simple outline), negative inside.
double PolygonSdf(double x, double y, const std::vector<Vec>& outline);

// Draws in a design space of its own, placed on the canvas by a move, a scale (with a separate vertical
// squash) and a turn about the design point `pivot`.
class Painter {
public:
    struct Placement {
        Vec pivot{50, 50};  // design point placed at `at`
        Vec at{50, 50};     // canvas point
        double scale = 1;   // canvas pixels per design unit
        double squash = 1;  // extra vertical scale
        double turn = 0;    // radians, clockwise on screen
    };

    Painter(Canvas& canvas, Placement placement) : canvas_(canvas), p_(placement) {}

    // Paints a design-space shape whose points all lie within `reach` of (cx, cy).
    void Fill(const Sdf& sdf, const Color& color, double cx, double cy, double reach);
    void Circle(double cx, double cy, double r, const Color& color);
    void Ellipse(double cx, double cy, double rx, double ry, const Color& color);
    void Line(double ax, double ay, double bx, double by, double r, const Color& color);
    void Polygon(const std::vector<Vec>& outline, const Color& color);
    // A polyline of round-capped strokes.
    void Stroke(const std::vector<Vec>& points, double r, const Color& color);

private:
    Canvas& canvas_;
    Placement p_;
};

}  // namespace dida::art
