#include "ui/art/raster.h"

#include <algorithm>
#include <map>

namespace dida::art {

Color Hex(unsigned rgb, double alpha) {
    return {((rgb >> 16) & 0xFFu) / 255.0, ((rgb >> 8) & 0xFFu) / 255.0, (rgb & 0xFFu) / 255.0, alpha};
}

Color Mix(const Color& a, const Color& b, double t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t, a.a + (b.a - a.a) * t};
}

double CircleSdf(double x, double y, double cx, double cy, double r) { return Hypot(x - cx, y - cy) - r; }

double SegmentSdf(double x, double y, double ax, double ay, double bx, double by, double r) {
    const double px = x - ax, py = y - ay, dx = bx - ax, dy = by - ay;
    const double len2 = dx * dx + dy * dy;
    const double t = len2 > 0 ? Clamp((px * dx + py * dy) / len2, 0, 1) : 0;
    return Hypot(px - dx * t, py - dy * t) - r;
}

double BoxSdf(double x, double y, double cx, double cy, double hw, double hh, double radius) {
    const double qx = std::abs(x - cx) - hw + radius, qy = std::abs(y - cy) - hh + radius;
    return Hypot(std::max(qx, 0.0), std::max(qy, 0.0)) + std::min(std::max(qx, qy), 0.0) - radius;
}

double EllipseSdf(double x, double y, double cx, double cy, double rx, double ry) {
    // Scaled circle distance, corrected by the local stretch: good enough for edge smoothing.
    const double nx = (x - cx) / rx, ny = (y - cy) / ry;
    const double k = Hypot(nx, ny);
    if (k == 0) return -std::min(rx, ry);
    const double gx = nx / rx, gy = ny / ry;
    return (k - 1) * k / Hypot(gx, gy);
}

double HalfPlaneSdf(double x, double y, double px, double py, double nx, double ny) {
    const double len = Hypot(nx, ny);
    return ((x - px) * nx + (y - py) * ny) / len;
}

Canvas::Canvas(int width, int height, Color fill) : w_(width), h_(height), px_(std::size_t(width * height), fill) {}

void Canvas::Blend(int x, int y, const Color& c, double coverage) {
    Color& d = px_[std::size_t(y * w_ + x)];
    const double sa = c.a * coverage;
    const double oa = sa + d.a * (1 - sa);
    if (oa <= 0) {
        d = {0, 0, 0, 0};
        return;
    }
    d.r = (c.r * sa + d.r * d.a * (1 - sa)) / oa;
    d.g = (c.g * sa + d.g * d.a * (1 - sa)) / oa;
    d.b = (c.b * sa + d.b * d.a * (1 - sa)) / oa;
    d.a = oa;
}

void Canvas::Fill(const Sdf& sdf, const Color& color, double x0, double y0, double x1, double y1) {
    FillShaded(
        sdf, [&](double, double) { return color; }, x0, y0, x1, y1);
}

void Canvas::FillShaded(const Sdf& sdf, const std::function<Color(double, double)>& shade, double x0, double y0,
                        double x1, double y1) {
    const int ix0 = std::max(0, int(std::floor(x0)) - 1), iy0 = std::max(0, int(std::floor(y0)) - 1);
    const int ix1 = std::min(w_, int(std::ceil(x1)) + 1), iy1 = std::min(h_, int(std::ceil(y1)) + 1);
    for (int y = iy0; y < iy1; ++y)
        for (int x = ix0; x < ix1; ++x) {
            const double cx = x + 0.5, cy = y + 0.5;
            const double coverage = Clamp(0.5 - sdf(cx, cy), 0, 1);
            if (coverage > 0) Blend(x, y, shade(cx, cy), coverage);
        }
}

namespace {

std::uint8_t To8(double v) { return std::uint8_t(std::floor(Clamp(v, 0, 1) * 255 + 0.5)); }

}  // namespace

std::vector<Rgba8> Canvas::Pixels() const {
    std::vector<Rgba8> out;
    out.reserve(px_.size());
    for (const Color& c : px_) out.push_back({To8(c.r), To8(c.g), To8(c.b), To8(c.a)});
    return out;
}

std::vector<Rgb> Canvas::PixelsOn(const Color& background) const {
    std::vector<Rgb> out;
    out.reserve(px_.size());
    for (const Color& c : px_) {
        const Color m = Mix(background, Color{c.r, c.g, c.b, 1}, c.a);
        out.push_back({To8(m.r), To8(m.g), To8(m.b)});
    }
    return out;
}

std::vector<Rgb> PopularPalette(const std::vector<std::vector<Rgb>>& pictures, const std::vector<Rgb>& first,
                                std::size_t maxColors) {
    // Per 5-bit cell: how often, and the sums to average the cell's real colours.
    struct Cell {
        long count = 0;
        long r = 0, g = 0, b = 0;
    };
    std::map<unsigned, Cell> cells;
    for (const auto& picture : pictures)
        for (const Rgb& p : picture) {
            Cell& c = cells[unsigned(p.r >> 3) << 10 | unsigned(p.g >> 3) << 5 | unsigned(p.b >> 3)];
            ++c.count;
            c.r += p.r;
            c.g += p.g;
            c.b += p.b;
        }
    std::vector<std::pair<long, unsigned>> ranked;
    for (const auto& [key, cell] : cells) ranked.push_back({cell.count, key});
    std::stable_sort(ranked.begin(), ranked.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    std::vector<Rgb> palette = first;
    for (const auto& [count, key] : ranked) {
        if (palette.size() >= maxColors) break;
        const Cell& c = cells[key];
        const Rgb mean{std::uint8_t((c.r + count / 2) / count), std::uint8_t((c.g + count / 2) / count),
                       std::uint8_t((c.b + count / 2) / count)};
        if (std::find(palette.begin(), palette.end(), mean) == palette.end()) palette.push_back(mean);
    }
    return palette;
}

std::vector<std::uint8_t> MapToPalette(const std::vector<Rgb>& pixels, const std::vector<Rgb>& palette) {
    std::vector<std::uint8_t> out;
    out.reserve(pixels.size());
    std::map<unsigned, std::uint8_t> memo;
    for (const Rgb& p : pixels) {
        const unsigned key = unsigned(p.r) << 16 | unsigned(p.g) << 8 | p.b;
        auto it = memo.find(key);
        if (it == memo.end()) {
            long best = -1;
            std::uint8_t bestIndex = 0;
            for (std::size_t i = 0; i < palette.size(); ++i) {
                // Weighted the way the eye weighs the primaries.
                const long dr = long(p.r) - palette[i].r, dg = long(p.g) - palette[i].g, db = long(p.b) - palette[i].b;
                const long d = 3 * dr * dr + 4 * dg * dg + 2 * db * db;
                if (best < 0 || d < best) {
                    best = d;
                    bestIndex = std::uint8_t(i);
                }
            }
            it = memo.emplace(key, bestIndex).first;
        }
        out.push_back(it->second);
    }
    return out;
}

}  // namespace dida::art

namespace dida::art {

double PolygonSdf(double x, double y, const std::vector<Vec>& v) {
    const std::size_t n = v.size();
    double d = (x - v[0].x) * (x - v[0].x) + (y - v[0].y) * (y - v[0].y);
    double sign = 1;
    for (std::size_t i = 0, j = n - 1; i < n; j = i++) {
        const double ex = v[j].x - v[i].x, ey = v[j].y - v[i].y;
        const double wx = x - v[i].x, wy = y - v[i].y;
        const double t = Clamp((wx * ex + wy * ey) / (ex * ex + ey * ey), 0, 1);
        const double bx = wx - ex * t, by = wy - ey * t;
        d = std::min(d, bx * bx + by * by);
        const bool c1 = y >= v[i].y, c2 = y<v[j].y, c3 = ex * wy> ey * wx;
        if ((c1 && c2 && c3) || (!c1 && !c2 && !c3)) sign = -sign;
    }
    return sign * std::sqrt(d);
}

void Painter::Fill(const Sdf& sdf, const Color& color, double cx, double cy, double reach) {
    const double c = Cos(p_.turn), s = Sin(p_.turn);
    const double sx = p_.scale, sy = p_.scale * p_.squash;
    const auto toDesign = [&, c, s, sx, sy](double x, double y) {
        const double dx = x - p_.at.x, dy = y - p_.at.y;
        return Vec{p_.pivot.x + (dx * c + dy * s) / sx, p_.pivot.y + (-dx * s + dy * c) / sy};
    };
    // Where the shape's centre lands, and how far its reach goes on the canvas.
    const double ux = (cx - p_.pivot.x) * sx, uy = (cy - p_.pivot.y) * sy;
    const double mx = p_.at.x + ux * c - uy * s, my = p_.at.y + ux * s + uy * c;
    const double r = reach * std::max(sx, sy) + 1.5;
    const double unit = std::min(sx, sy);
    canvas_.Fill(
        [&](double x, double y) {
            const Vec q = toDesign(x, y);
            return sdf(q.x, q.y) * unit;
        },
        color, mx - r, my - r, mx + r, my + r);
}

void Painter::Circle(double cx, double cy, double r, const Color& color) {
    Fill([=](double x, double y) { return CircleSdf(x, y, cx, cy, r); }, color, cx, cy, r);
}

void Painter::Ellipse(double cx, double cy, double rx, double ry, const Color& color) {
    Fill([=](double x, double y) { return EllipseSdf(x, y, cx, cy, rx, ry); }, color, cx, cy, std::max(rx, ry));
}

void Painter::Line(double ax, double ay, double bx, double by, double r, const Color& color) {
    Fill([=](double x, double y) { return SegmentSdf(x, y, ax, ay, bx, by, r); }, color, (ax + bx) / 2, (ay + by) / 2,
         Hypot(bx - ax, by - ay) / 2 + r);
}

void Painter::Polygon(const std::vector<Vec>& outline, const Color& color) {
    double cx = 0, cy = 0, reach = 0;
    for (const Vec& v : outline) {
        cx += v.x / double(outline.size());
        cy += v.y / double(outline.size());
    }
    for (const Vec& v : outline) reach = std::max(reach, Hypot(v.x - cx, v.y - cy));
    Fill([&outline](double x, double y) { return PolygonSdf(x, y, outline); }, color, cx, cy, reach);
}

void Painter::Stroke(const std::vector<Vec>& points, double r, const Color& color) {
    double cx = 0, cy = 0, reach = 0;
    for (const Vec& v : points) {
        cx += v.x / double(points.size());
        cy += v.y / double(points.size());
    }
    for (const Vec& v : points) reach = std::max(reach, Hypot(v.x - cx, v.y - cy) + r);
    Fill(
        [&points, r](double x, double y) {
            double d = 1e9;
            for (std::size_t i = 1; i < points.size(); ++i)
                d = std::min(d, SegmentSdf(x, y, points[i - 1].x, points[i - 1].y, points[i].x, points[i].y, r));
            return d;
        },
        color, cx, cy, reach);
}

}  // namespace dida::art
