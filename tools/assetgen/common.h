// Small shared pieces of the generator: a seeded random source, smooth noise and colours.
#pragma once

#include <cmath>
#include <cstdint>
#include <string>

namespace assetgen {

constexpr double Pi = 3.14159265358979323846;

// SplitMix64: the same numbers on every machine and every run, unlike std::random's
// distributions, whose results the standard leaves to the library.
class Random {
  public:
    explicit Random(uint64_t seed) : state_(seed) {}
    uint64_t Next() {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    double Unit() { return static_cast<double>(Next() >> 11) * (1.0 / 9007199254740992.0); }
    double Range(double lo, double hi) { return lo + (hi - lo) * Unit(); }
    int Below(int n) { return static_cast<int>(Next() % static_cast<uint64_t>(n)); }
    bool Chance(double p) { return Unit() < p; }
    // Roughly normal, mean 0 and deviation 1 (sum of uniforms: bounded, cheap, reproducible).
    double Gauss() {
        double s = 0;
        for (int i = 0; i < 6; ++i) s += Unit();
        return (s - 3.0) * 1.41421356;
    }

  private:
    uint64_t state_;
};

// Value noise on an integer lattice, smoothly interpolated; Fbm sums octaves of it.
inline double LatticeValue(int x, int y, uint32_t seed) {
    uint32_t h = static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u +
                 seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return (h & 0xFFFFFF) / static_cast<double>(0xFFFFFF);
}

inline double SmoothNoise(double x, double y, uint32_t seed) {
    const int xi = static_cast<int>(std::floor(x));
    const int yi = static_cast<int>(std::floor(y));
    const double fx = x - xi, fy = y - yi;
    const double sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
    const double a = LatticeValue(xi, yi, seed), b = LatticeValue(xi + 1, yi, seed);
    const double c = LatticeValue(xi, yi + 1, seed), d = LatticeValue(xi + 1, yi + 1, seed);
    return (a + (b - a) * sx) * (1 - sy) + (c + (d - c) * sx) * sy;
}

inline double Fbm(double x, double y, int octaves, uint32_t seed) {
    double sum = 0, amp = 0.5, norm = 0;
    for (int i = 0; i < octaves; ++i) {
        sum += amp * SmoothNoise(x, y, seed + 101u * i);
        norm += amp;
        x *= 2.03;
        y *= 2.03;
        amp *= 0.5;
    }
    return sum / norm;
}

struct Rgb {
    double R = 0, G = 0, B = 0;
};

inline Rgb Hex(uint32_t rgb) {
    return {((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0};
}
inline Rgb Mix(Rgb a, Rgb b, double t) {
    return {a.R + (b.R - a.R) * t, a.G + (b.G - a.G) * t, a.B + (b.B - a.B) * t};
}
inline Rgb Scale(Rgb a, double k) {
    return {a.R * k, a.G * k, a.B * k};
}
inline double Clamp01(double v) {
    return v < 0 ? 0 : (v > 1 ? 1 : v);
}
inline double SmoothStep(double e0, double e1, double x) {
    const double t = Clamp01((x - e0) / (e1 - e0));
    return t * t * (3 - 2 * t);
}

}  // namespace assetgen
