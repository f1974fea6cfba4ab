// The stopwatch game's five animations: one cartoon stopwatch with a face, drawn on white, whose pose,
// face and extras tell the mood at a glance. Every animation is a whole cycle, so its last frame leads
// smoothly back into its first.
#include <algorithm>
#include <vector>

#include "ui/art/detmath.h"
#include "ui/art/picture_files.h"
#include "ui/art/art.h"
#include "ui/art/raster.h"

namespace dida::art {
namespace {

// The face and pose of one frame, in the 100 x 100 design space.
struct Pose {
    Color body = Hex(0x4A90D9);
    double lift = 0;    // design units up
    double shiftX = 0;  // design units right
    double turn = 0;    // radians
    double squash = 1;  // vertical scale of the watch
    double hand = 0;    // radians from twelve o'clock, clockwise
    double lookX = 0;   // pupils, -1 .. 1
    double lookY = 0;
    double eyeOpen = 1;  // 0 closed
    bool happyEyes = false;
    bool wideEyes = false;
    double browTilt = 0;  // > 0: inner ends down (effort); < 0: inner ends up (worry)
    double browLift = 0;
    double smile = 0;      // mouth curve: > 0 smile, < 0 frown
    double mouthOpen = 0;  // 0 closed line; otherwise height of an open mouth
    bool roundMouth = false;
    bool cheeks = false;
};

const Color kInk = Hex(0x2B2B33);
const Color kDial = Hex(0xFFFFFF);
const Color kSilver = Hex(0xC9CED6);
const Color kSilverDark = Hex(0x8A929E);
const Color kMouth = Hex(0xB8323C);
const Color kCheek = Hex(0xFF8FA3, 0.75);

constexpr double kCx = 50, kCy = 56, kR = 31;

Color Darker(const Color& c, double f) { return {c.r * f, c.g * f, c.b * f, c.a}; }

void DrawShadow(Canvas& canvas, double scale, double lift) {
    const double w = (26 - lift * 0.5) * scale;
    Painter shadow(canvas, {{50, 50}, {canvas.Width() / 2.0, canvas.Height() / 2.0}, scale, 1, 0});
    const double k = Clamp(1 - lift / 30, 0.3, 1);
    shadow.Ellipse(50, 93.5, w / scale, 3.2, Hex(0x000000, 0.13 * k));
}

void DrawMouth(Painter& p, const Pose& pose) {
    const double my = kCy + 12;
    if (pose.roundMouth) {
        const double h = 3 + pose.mouthOpen;
        p.Ellipse(kCx, my + 1, h * 0.8 + 1.2, h + 1.2, kInk);
        p.Ellipse(kCx, my + 1, h * 0.8, h, kMouth);
        return;
    }
    if (pose.mouthOpen > 0) {
        // A wide open mouth: straight top, round bottom when smiling.
        const double w = 9, h = pose.mouthOpen;
        const auto sdf = [=](double x, double y) {
            const double e = EllipseSdf(x, y, kCx, my - 1, w, h);
            return std::max(e, HalfPlaneSdf(x, y, kCx, my - 1, 0, -1));
        };
        p.Fill([=](double x, double y) { return sdf(x, y) - 1.4; }, kInk, kCx, my, w + 2);
        p.Fill(sdf, kMouth, kCx, my, w + 1);
        p.Fill([=](double x, double y) { return std::max(sdf(x, y), -EllipseSdf(x, y, kCx, my + h - 1, 5, 3)); },
               kMouth, kCx, my, w + 1);
        p.Ellipse(kCx, my + h - 2.2, 4.5, 2.2, Hex(0xF27A86));
        return;
    }
    std::vector<Vec> curve;
    for (int i = 0; i <= 10; ++i) {
        const double u = -1 + i * 0.2;
        curve.push_back({kCx + u * 7, my + pose.smile * 4 * (1 - u * u) - pose.smile * 2});
    }
    p.Stroke(curve, 1.5, kInk);
}

void DrawEyes(Painter& p, const Pose& pose) {
    for (int side = -1; side <= 1; side += 2) {
        const double ex = kCx + side * 10, ey = kCy - 2;
        // Brows: the inner end is the one towards the middle.
        if (pose.browTilt != 0 || pose.browLift != 0) {
            const double by = ey - 9 - pose.browLift;
            p.Line(ex + side * 4.5, by - pose.browTilt * 1.2, ex - side * 4.5, by + pose.browTilt * 1.2, 1.3, kInk);
        }
        if (pose.happyEyes) {
            p.Stroke({{ex - 4.5, ey + 1.5}, {ex, ey - 3}, {ex + 4.5, ey + 1.5}}, 1.6, kInk);
            continue;
        }
        const double rx = pose.wideEyes ? 5.2 : 3.6, ry = (pose.wideEyes ? 5.8 : 4.8) * std::max(0.12, pose.eyeOpen);
        if (pose.wideEyes) {
            p.Ellipse(ex, ey, rx + 1.3, ry + 1.3, kInk);
            p.Ellipse(ex, ey, rx, ry, kDial);
            p.Circle(ex + pose.lookX * 1.5, ey + pose.lookY * 1.5, 2.2, kInk);
            continue;
        }
        p.Ellipse(ex + pose.lookX * 1.2, ey + pose.lookY * 1.0, rx, ry, kInk);
        if (pose.eyeOpen > 0.5) p.Circle(ex + pose.lookX * 1.2 + 1.2, ey + pose.lookY - 1.8, 1.2, kDial);
    }
}

void DrawWatch(Canvas& canvas, double scale, const Pose& pose) {
    Painter p(canvas,
              {{kCx, kCy},
               {canvas.Width() / 2.0 + pose.shiftX * scale, canvas.Height() / 2.0 + (kCy - 50 - pose.lift) * scale},
               scale,
               pose.squash,
               pose.turn});
    // Crown and the side button.
    p.Line(kCx, kCy - kR - 1, kCx, kCy - kR - 6, 3.2, kSilverDark);
    p.Fill([](double x, double y) { return BoxSdf(x, y, kCx, kCy - kR - 8.5, 8, 3.2, 2.5); }, kSilverDark, kCx,
           kCy - kR - 8.5, 9);
    p.Fill([](double x, double y) { return BoxSdf(x, y, kCx, kCy - kR - 8.5, 6.8, 2.0, 1.8); }, kSilver, kCx,
           kCy - kR - 8.5, 8);
    const double bx = kCx + Sin(0.8) * (kR + 1), by = kCy - Cos(0.8) * (kR + 1);
    p.Line(bx, by, kCx + Sin(0.8) * (kR + 6), kCy - Cos(0.8) * (kR + 6), 3.0, kSilverDark);
    // Case, rim and dial.
    p.Circle(kCx, kCy, kR + 1.6, Darker(pose.body, 0.62));
    p.Circle(kCx, kCy, kR, pose.body);
    p.Fill([](double x, double y) { return CircleSdf(x, y, kCx - 5, kCy - 6, kR - 4); },
           Mix(pose.body, Hex(0xFFFFFF), 0.25), kCx, kCy, kR);
    p.Circle(kCx, kCy, kR - 5.5, Darker(pose.body, 0.7));
    p.Circle(kCx, kCy, kR - 6.5, kDial);
    for (int i = 0; i < 12; ++i) {
        const double a = i * kPi / 6, inner = i % 3 == 0 ? kR - 12 : kR - 10;
        p.Line(kCx + Sin(a) * inner, kCy - Cos(a) * inner, kCx + Sin(a) * (kR - 9), kCy - Cos(a) * (kR - 9),
               i % 3 == 0 ? 1.2 : 0.7, Hex(0xB4BAC4));
    }
    // Only the hand's outer end sweeps round, along the rim, and leaves the face free.
    const double inner = kR - 17, outer = kR - 8.5;
    p.Line(kCx + Sin(pose.hand) * inner, kCy - Cos(pose.hand) * inner, kCx + Sin(pose.hand) * outer,
           kCy - Cos(pose.hand) * outer, 1.5, Hex(0xE0443A));
    if (pose.cheeks) {
        p.Ellipse(kCx - 15, kCy + 6, 4, 2.6, kCheek);
        p.Ellipse(kCx + 15, kCy + 6, 4, 2.6, kCheek);
    }
    DrawEyes(p, pose);
    DrawMouth(p, pose);
}

// A drop of sweat with its point upwards.
void Drop(Painter& p, double x, double y, double r) {
    const Color water = Hex(0x5BB8F5);
    p.Fill(
        [=](double u, double v) {
            const double body = CircleSdf(u, v, x, y, r);
            const double tip =
                PolygonSdf(u, v, {{x - r * 0.92, y - r * 0.35}, {x, y - r * 2.3}, {x + r * 0.92, y - r * 0.35}});
            return std::min(body, tip);
        },
        water, x, y - r * 0.6, r * 2);
    p.Circle(x - r * 0.35, y - r * 0.1, r * 0.3, Hex(0xFFFFFF, 0.8));
}

void Sparkle(Painter& p, double x, double y, double size, const Color& color) {
    if (size <= 0.2) return;
    const double w = size * 0.28;
    p.Polygon({{x, y - size},
               {x + w, y - w},
               {x + size, y},
               {x + w, y + w},
               {x, y + size},
               {x - w, y + w},
               {x - size, y},
               {x - w, y - w}},
              color);
}

std::vector<Rgb> Render(int size, double scale, const Pose& pose, const std::function<void(Painter&)>& extras) {
    Canvas canvas(size, size, Hex(0xFFFFFF));
    DrawShadow(canvas, scale, pose.lift);
    DrawWatch(canvas, scale, pose);
    Painter p(canvas, {{50, 50}, {size / 2.0, size / 2.0}, scale, 1, 0});
    if (extras) extras(p);
    return canvas.PixelsOn(Hex(0xFFFFFF));
}

struct Frames {
    int size;
    int frames;
    int delayCs;
};

Frames FramesOf(Mood mood) {
    switch (mood) {
    case Mood::Idle: return {100, 24, 4};
    case Mood::Running: return {130, 5, 6};
    case Mood::Faster: return {100, 8, 8};
    case Mood::Slower: return {128, 14, 4};
    case Mood::Same: return {128, 19, 4};
    }
    return {100, 1, 4};
}

std::vector<Rgb> Frame(Mood mood, int size, int frame, int frames) {
    const double phase = double(frame) / frames;  // 0 .. 1 over the cycle
    const double wave = Sin(2 * kPi * phase);
    const double scale = size / 100.0;
    Pose pose;
    std::function<void(Painter&)> extras;
    switch (mood) {
    case Mood::Idle:
        // Waiting: breathing slowly, the hand going round, eyes wandering, one blink.
        pose.body = Hex(0x4A90D9);
        pose.lift = 1.2 + 1.2 * wave;
        pose.squash = 1 + 0.012 * Cos(2 * kPi * phase);
        pose.hand = 2 * kPi * phase;
        pose.lookX = Sin(2 * kPi * phase);
        pose.eyeOpen = (frame == 17 || frame == 19) ? 0.45 : (frame == 18 ? 0.1 : 1);
        pose.smile = 0.25;
        break;
    case Mood::Running:
        // Hurry: shaking, the hand spinning, panting, speed lines and flying sweat.
        pose.body = Hex(0xF0642D);
        pose.shiftX = (frame % 2 ? 1.6 : -1.6);
        pose.turn = (frame % 2 ? 0.06 : -0.06);
        pose.lift = 1 + (frame % 2) * 1.2;
        pose.hand = 2 * kPi * phase;
        pose.browTilt = 1;
        pose.lookX = 0.6;
        pose.mouthOpen = 3.5 + 1.5 * wave;
        pose.roundMouth = true;
        extras = [frame](Painter& p) {
            const Color line = Hex(0x9AA4B0);
            for (int i = 0; i < 3; ++i) {
                const double y = 40 + i * 13, x = 5 + ((frame + i * 2) % 5) * 1.6;
                p.Line(x, y, x + 9 - i * 2, y, 1.3, line);
            }
            Drop(p, 86 - frame * 0.6, 27 + frame * 1.6, 2.6);
            Drop(p, 15 + frame * 0.5, 22 + frame * 1.2, 2.0);
        };
        break;
    case Mood::Faster:
        // Joy: jumping, happy eyes, a big smile, sparkles twinkling around.
        pose.body = Hex(0x34B35A);
        pose.lift = 9 * std::abs(Sin(kPi * phase));
        pose.squash = frame == 0 ? 0.94 : 1;
        pose.hand = 2 * kPi * phase;
        pose.happyEyes = true;
        pose.mouthOpen = 6;
        pose.cheeks = true;
        extras = [phase](Painter& p) {
            const Color gold = Hex(0xF7C51E);
            Sparkle(p, 13, 26, 6 * std::abs(Sin(2 * kPi * phase)), gold);
            Sparkle(p, 87, 20, 7 * std::abs(Cos(2 * kPi * phase)), gold);
            Sparkle(p, 88, 62, 4.5 * std::abs(Sin(2 * kPi * phase + 1.1)), gold);
            Sparkle(p, 11, 66, 4 * std::abs(Cos(2 * kPi * phase + 0.6)), gold);
        };
        break;
    case Mood::Slower:
        // Try harder: straining and squashing, worried brows, a frown, sweat running down.
        pose.body = Hex(0x7A6BD0);
        pose.squash = 1 - 0.035 * (0.5 + 0.5 * wave);
        pose.shiftX = 0.8 * Sin(4 * kPi * phase);
        pose.hand = 2 * kPi * phase;
        pose.browTilt = -1;
        pose.browLift = 1;
        pose.lookY = 0.5;
        pose.smile = -0.8;
        extras = [phase](Painter& p) {
            const double t = phase;
            Drop(p, 80, 30 + t * 22, 3.0 * (1 - 0.3 * t));
            // Effort puffs by the sides, swelling and fading with the strain.
            const double puff = 0.5 + 0.5 * Sin(2 * kPi * t);
            const Color steam = Hex(0xB8C2CE, 0.5 + 0.4 * puff);
            p.Circle(13, 80, 2.5 + 2 * puff, steam);
            p.Circle(87, 80, 2.5 + 2 * puff, steam);
        };
        break;
    case Mood::Same:
        // Surprise: a start, wide eyes, a round mouth, an exclamation mark popping.
        pose.body = Hex(0xF2B327);
        pose.lift = 6 * Exp(-phase * 8) * std::abs(Cos(kPi * phase * 3)) + 0.8 * (1 - Cos(2 * kPi * phase)) / 2;
        pose.hand = 2 * kPi * phase;
        pose.wideEyes = true;
        pose.browLift = 3;
        pose.roundMouth = true;
        pose.mouthOpen = 1.5 + 0.8 * wave;
        extras = [phase](Painter& p) {
            const double pop = 1 + 0.25 * Sin(2 * kPi * phase);
            const Color mark = Hex(0xE8403A);
            const double x = 84, y = 16;
            p.Fill([=](double u, double v) { return BoxSdf(u, v, x, y, 2.6 * pop, 7 * pop, 2.4 * pop); }, mark, x, y,
                   9);
            p.Circle(x, y + 12 * pop, 2.7 * pop, mark);
            const Color shock = Hex(0x9AA4B0);
            for (int i = 0; i < 3; ++i) {
                const double a = -0.9 + i * 0.45;
                const double r0 = 45 + 2 * pop, r1 = r0 + 5;
                p.Line(50 - Sin(a + 0.9) * r0 * 0.8, 52 - Cos(a + 0.9) * r0 * 0.75, 50 - Sin(a + 0.9) * r1 * 0.8,
                       52 - Cos(a + 0.9) * r1 * 0.75, 1.2, shock);
            }
        };
        break;
    }
    return Render(size, scale, pose, extras);
}

}  // namespace

Bytes StopwatchAnimation(Mood mood, int dpi) {
    const Frames format = FramesOf(mood);
    const int size = ScaledLength(format.size, dpi);
    std::vector<std::vector<Rgb>> pictures;
    for (int f = 0; f < format.frames; ++f) pictures.push_back(Frame(mood, size, f, format.frames));
    const std::vector<Rgb> palette = PopularPalette(pictures, {{255, 255, 255}}, 256);
    std::vector<GifFrame> frames;
    for (const auto& picture : pictures) frames.push_back({MapToPalette(picture, palette), format.delayCs});
    return GifFile(size, size, palette, frames);
}

}  // namespace dida::art
