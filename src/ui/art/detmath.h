#pragma once
// Sine and exponential from the four basic operations only. The committed media are compared byte for
// byte with a fresh build on every platform the tests run on, and the C libraries' sin and exp differ in
// their last bits between those platforms; one such bit can move a rounded sample or pixel.
#include <cmath>

namespace dida::art {

inline constexpr double kPi = 3.14159265358979323846;

inline double Sin(double x) {
    x -= 2 * kPi * std::floor(x / (2 * kPi) + 0.5);  // now in [-pi, pi]
    if (x > kPi / 2) x = kPi - x;
    if (x < -kPi / 2) x = -kPi - x;
    const double x2 = x * x;
    double term = x, sum = x;
    for (int n = 1; n <= 10; ++n) {
        term *= -x2 / ((2 * n) * (2 * n + 1));
        sum += term;
    }
    return sum;
}

inline double Cos(double x) { return Sin(x + kPi / 2); }

inline double Exp(double x) {
    if (x < -700) return 0;
    const double k = std::floor(x / 0.69314718055994530942 + 0.5);
    const double r = x - k * 0.69314718055994530942;
    double term = 1, sum = 1;
    for (int n = 1; n <= 18; ++n) {
        term *= r / n;
        sum += term;
    }
    return std::ldexp(sum, int(k));
}

// sqrt is exactly rounded everywhere; hypot is not.
inline double Hypot(double x, double y) { return std::sqrt(x * x + y * y); }

inline double Clamp(double v, double lo, double hi) { return v < lo ? lo : (v > hi ? hi : v); }

// Smooth 0..1 ramp between a and b.
inline double SmoothStep(double a, double b, double v) {
    const double t = Clamp((v - a) / (b - a), 0, 1);
    return t * t * (3 - 2 * t);
}

}  // namespace dida::art
