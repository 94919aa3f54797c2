// A small synthesiser: oscillators, envelopes, filters, a reverb, and the level tools that
// keep every sound within bounds.
#pragma once

#include <cmath>
#include <cstddef>
#include <string>
#include <vector>

#include "common.h"

namespace assetgen {

constexpr int SampleRate = 44100;

using Samples = std::vector<float>;

struct Stereo {
    explicit Stereo(size_t frames = 0) : L(frames), R(frames) {}
    size_t Frames() const { return L.size(); }
    void Resize(size_t frames) {
        L.resize(frames);
        R.resize(frames);
    }
    // Adds a mono sample with equal-power panning, pan -1 (left) to 1 (right); unity in the
    // middle.
    void Add(size_t i, float v, float pan) { Add(i, v, PanGains(pan)); }
    struct Gains {
        float Left, Right;
    };
    static Gains PanGains(float pan) {
        const double a = (pan + 1.0) * Pi / 4.0;
        return {static_cast<float>(std::cos(a) * 1.41421356),
                static_cast<float>(std::sin(a) * 1.41421356)};
    }
    void Add(size_t i, float v, Gains g) {
        if (i >= L.size()) return;
        L[i] += v * g.Left;
        R[i] += v * g.Right;
    }
    void Mix(const Stereo& other, float gain, size_t offset = 0);
    Samples L, R;
};

inline double NoteHz(double midiNote) {
    return 440.0 * std::pow(2.0, (midiNote - 69.0) / 12.0);
}
inline size_t ToFrames(double seconds) {
    return seconds <= 0 ? 0 : static_cast<size_t>(seconds * SampleRate + 0.5);
}
inline double DbToGain(double db) {
    return std::pow(10.0, db / 20.0);
}

// Attack, decay, sustain level and release, in seconds; the note is held for `held` seconds.
struct Adsr {
    double A = 0.005, D = 0.1, S = 0.7, R = 0.1;
    double At(double t, double held) const;
    double Length(double held) const { return held + R; }
};

// Band-limited saw and square (polyBLEP): soft enough for long listening, no aliasing whine.
double PolyBlep(double t, double dt);
inline double Saw(double phase, double dt) {
    return 2.0 * phase - 1.0 - PolyBlep(phase, dt);
}
double Square(double phase, double dt, double width);

// Topology-preserving state-variable filter: stable under fast cutoff changes.
class Svf {
  public:
    void Set(double cutoffHz, double q);
    // Returns low-pass; band and high are kept for callers who want them.
    double Process(double x);
    double Band() const { return band_; }
    double High() const { return high_; }

  private:
    double a1_ = 0, a2_ = 0, a3_ = 0, k_ = 1, ic1_ = 0, ic2_ = 0, band_ = 0, high_ = 0;
};

// One-pole smoothing filters.
class OnePole {
  public:
    void LowPass(double cutoffHz) { a_ = 1.0 - std::exp(-2.0 * Pi * cutoffHz / SampleRate); }
    double Process(double x) { return y_ += a_ * (x - y_); }

  private:
    double a_ = 1, y_ = 0;
};

// A plate-like reverb (parallel combs into series all-passes, per side).
class Reverb {
  public:
    Reverb(double roomSize, double damping, double width);
    // Adds the reverberation of a mono input to out.
    void Process(const Samples& in, Stereo& out, float wet);

  private:
    struct Comb {
        std::vector<float> Buffer;
        size_t Pos = 0;
        float Store = 0;
    };
    struct AllPass {
        std::vector<float> Buffer;
        size_t Pos = 0;
    };
    Comb combs_[2][8];
    AllPass allPasses_[2][4];
    float feedback_, damp_, width_;
};

// A feedback delay of a mono input, the echoes crossing from left to right (ping-pong); adds
// them to out.
void PingPongDelay(const Samples& in, Stereo& out, double seconds, float feedback, float wet,
                   double toneHz);

// Raised-cosine fades at both ends, so a sound never starts or stops with a click.
void FadeEdges(Samples& s, double inSeconds, double outSeconds);
void FadeEdges(Stereo& s, double inSeconds, double outSeconds);

double Peak(const Samples& s);
double Peak(const Stereo& s);
// Root mean square over the whole signal, and the loudest 100 ms window of it.
double Rms(const Samples& s);
double LoudestWindowRms(const Samples& s);

// Scales so the loudest 100 ms window sits at rmsDb (for effects), or the whole signal
// averages rmsDb (for music), then a look-ahead limiter holds every peak at or below peakDb.
void Level(Samples& s, double rmsDb, double peakDb);
void Level(Stereo& s, double rmsDb, double peakDb);
void LevelAverage(Stereo& s, double rmsDb, double peakDb);

// Writes a 16-bit PCM WAV (mono or stereo) or a 44.1 kHz stereo MP3 through libsndfile.
// Throws std::runtime_error naming the file.
void WriteWav(const std::string& path, const Samples& mono);
void WriteWav(const std::string& path, const Stereo& stereo);
void WriteMp3(const std::string& path, const Stereo& stereo);
// Writes Ogg Vorbis (mono, or stereo), whatever the path's ending, with the same bytes every run.
void WriteOggVorbis(const std::string& path, const Stereo& sound, bool mono);

}  // namespace assetgen
