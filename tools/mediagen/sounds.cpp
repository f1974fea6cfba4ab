// The chimes and the click, synthesised from decaying partials. Every sound starts and ends in silence
// and fades in over a few milliseconds, so that looping it while a reminder rings makes no click at the
// seam, and it is scaled to a fixed peak below full scale, so that nothing clips.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "ui/art/detmath.h"
#include "formats.h"
#include "mediagen.h"

namespace dida::mediagen {
namespace {

constexpr int kRate = 22050;

// Raised-cosine ramp from 0 to 1 over [start, start + length) seconds.
double Ramp(double t, double start, double length) {
    if (t <= start) return 0;
    if (t >= start + length) return 1;
    return 0.5 - 0.5 * Cos(kPi * (t - start) / length);
}

struct Partial {
    double ratio;  // of the strike's frequency
    double gain;
    double decay;  // seconds for the partial to fall to 1/e
};

// One struck voice: partials ringing from `start`, with a short soft onset.
void Strike(std::vector<double>& out, double start, double frequency, double gain, double attack,
            const std::vector<Partial>& partials, double decayScale = 1) {
    const int first = int(start * kRate);
    for (int i = std::max(0, first); i < int(out.size()); ++i) {
        const double t = double(i) / kRate - start;
        const double onset = Ramp(t, 0, attack);
        double v = 0;
        bool audible = false;
        for (const Partial& p : partials) {
            // Overtones past the highest frequency the rate can carry would fold back as false notes.
            if (frequency * p.ratio > 0.45 * kRate) continue;
            const double env = Exp(-t / (p.decay * decayScale));
            if (env > 1e-4) audible = true;
            v += p.gain * env * Sin(2 * kPi * frequency * p.ratio * t);
        }
        if (!audible) break;
        out[std::size_t(i)] += gain * onset * v;
    }
}

// Scales to the peak, removes any mean, and quantises to unsigned 8 bits around 128.
Bytes ToUnsigned8(std::vector<double> signal, double peak) {
    double mean = 0, top = 0;
    for (double v : signal) mean += v;
    mean /= double(signal.size());
    for (double& v : signal) {
        v -= mean;
        top = std::max(top, std::abs(v));
    }
    Bytes out;
    out.reserve(signal.size());
    for (double v : signal) out.push_back(std::uint8_t(128 + std::floor(v / top * peak * 127 + 0.5)));
    return out;
}

}  // namespace

Bytes TickTockSound() {
    // "Di" and "da": a bright wooden tick and a lower tock half a second later, each a cluster of
    // quickly damped, slightly inharmonic partials, like a small clock's escapement.
    std::vector<double> s(22051, 0.0);
    const std::vector<Partial> wood = {
        {1.0, 1.0, 0.018}, {1.47, 0.35, 0.012}, {2.32, 0.45, 0.007}, {3.91, 0.20, 0.004}, {0.5, 0.15, 0.030}};
    Strike(s, 0.010, 2350, 1.0, 0.0012, wood);
    Strike(s, 0.510, 1580, 0.95, 0.0012, wood, 1.25);
    return WavFile(1, kRate, 8, ToUnsigned8(std::move(s), 0.62));
}

Bytes CuckooSound() {
    // Two soft hooting notes a major third apart, the higher one short, each sliding a little down into
    // its pitch the way the bird's call does.
    std::vector<double> s(22072, 0.0);
    struct Note {
        double start, length, frequency, gain;
    };
    const Note notes[] = {{0.030, 0.230, 698.5, 1.0}, {0.330, 0.420, 554.4, 0.9}};
    for (const Note& n : notes) {
        double phase = 0;
        for (int i = int(n.start * kRate); i < int(s.size()); ++i) {
            const double t = double(i) / kRate - n.start;
            if (t > n.length + 0.12) break;
            const double glide = 1 + 0.035 * Exp(-t / 0.025);
            phase += 2 * kPi * n.frequency * glide / kRate;
            const double env = Ramp(t, 0, 0.030) * (1 - Ramp(t, n.length - 0.04, 0.16)) * (1 - 0.25 * t / n.length);
            const double tone = Sin(phase) + 0.16 * Sin(2 * phase) + 0.05 * Sin(3 * phase);
            s[std::size_t(i)] += n.gain * env * tone;
        }
    }
    return WavFile(1, kRate, 8, ToUnsigned8(std::move(s), 0.70));
}

Bytes WindChimeSound() {
    // Small tubes on a pentatonic scale struck one after another by the wind; each tube rings with the
    // inharmonic overtones of a free bar and a slightly detuned twin, which makes the shimmer. The last
    // strikes ring shorter and the tail fades out, so the loop starts again from silence.
    std::vector<double> s(37045, 0.0);
    const std::vector<Partial> tube = {
        {1.0, 1.0, 0.42}, {1.0012, 0.35, 0.38}, {2.756, 0.42, 0.17}, {5.404, 0.16, 0.07}, {8.933, 0.06, 0.035}};
    struct Hit {
        double start, frequency, gain, decayScale;
    };
    const Hit hits[] = {{0.005, 1568.0, 0.85, 1.0}, {0.170, 2093.0, 0.60, 0.9}, {0.300, 1760.0, 0.75, 0.9},
                        {0.480, 1318.5, 0.70, 1.0}, {0.650, 2349.3, 0.45, 0.7}, {0.820, 1568.0, 0.55, 0.7},
                        {1.030, 1760.0, 0.35, 0.55}};
    for (const Hit& h : hits) Strike(s, h.start, h.frequency, h.gain, 0.002, tube, h.decayScale);
    const double end = double(s.size()) / kRate;
    for (std::size_t i = 0; i < s.size(); ++i) s[i] *= 1 - Ramp(double(i) / kRate, end - 0.40, 0.40);
    return WavFile(1, kRate, 8, ToUnsigned8(std::move(s), 0.72));
}

Bytes ClickSound() {
    // A soft, short tap: a damped mid tone over a little filtered noise, well below full scale.
    constexpr int kFrames = 5148 / 4;
    std::vector<double> s(kFrames, 0.0);
    std::uint32_t noise = 0x2545F491u;
    double low = 0;
    for (int i = 0; i < kFrames; ++i) {
        const double t = double(i) / kRate;
        noise ^= noise << 13;
        noise ^= noise >> 17;
        noise ^= noise << 5;
        const double white = double(noise) / 4294967295.0 * 2 - 1;
        low += 0.35 * (white - low);
        const double onset = Ramp(t, 0.0005, 0.0008);
        const double v =
            Exp(-t / 0.0035) * (Sin(2 * kPi * 1900 * t) + 0.6 * low) + 0.5 * Exp(-t / 0.007) * Sin(2 * kPi * 620 * t);
        s[std::size_t(i)] = onset * v * (1 - Ramp(t, 0.035, 0.015));
    }
    double top = 0;
    for (double v : s) top = std::max(top, std::abs(v));
    Bytes pcm;
    for (double v : s) {
        const auto sample = std::int16_t(std::floor(v / top * 0.30 * 32767 + 0.5));
        for (int channel = 0; channel < 2; ++channel) PutLe(pcm, std::uint16_t(sample), 2);
    }
    return WavFile(2, kRate, 16, pcm);
}

}  // namespace dida::mediagen
