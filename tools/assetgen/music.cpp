#include "music.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <vector>

#include "common.h"

namespace assetgen {
namespace {

// ---------------------------------------------------------------------------------------------
// Harmony.

using Scale = std::array<int, 7>;
const Scale Major{0, 2, 4, 5, 7, 9, 11};
const Scale NaturalMinor{0, 2, 3, 5, 7, 8, 10};
const Scale Dorian{0, 2, 3, 5, 7, 9, 10};

int FloorDiv(int a, int b) {
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}
int Mod7(int d) {
    return ((d % 7) + 7) % 7;
}

struct Key {
    int Tonic;  // MIDI note of degree 0
    Scale Steps;
    int Pitch(int degree) const {
        const int octave = FloorDiv(degree, 7);
        return Tonic + 12 * octave + Steps[degree - 7 * octave];
    }
};

struct Chord {
    int Root;  // scale degree 0..6
    bool Seventh;
};

bool IsChordTone(const Chord& c, int degree) {
    const int d = Mod7(degree - c.Root);
    return d == 0 || d == 2 || d == 4 || (c.Seventh && d == 6);
}

std::vector<int> ChordDegrees(const Chord& c) {
    std::vector<int> d = {c.Root, c.Root + 2, c.Root + 4};
    if (c.Seventh) d.push_back(c.Root + 6);
    return d;
}

// ---------------------------------------------------------------------------------------------
// Melody: bars of notes on a sixteenth grid, pitches as scale degrees.

struct MelodyNote {
    int Step;    // sixteenths from the bar's start
    int Length;  // sixteenths
    int Degree;
    bool Rest;
};
using Bar = std::vector<MelodyNote>;

struct MelodyStyle {
    std::vector<std::vector<int>> Rhythms;   // sixteenth lengths per bar, negative for a rest
    std::vector<std::vector<int>> Cadences;  // rhythms for a phrase's last bar
    int Low, High, Centre;                   // range in degrees
};

double IntervalWeight(int a) {
    static const double w[] = {0.35, 1.0, 0.75, 0.3, 0.25, 0.12, 0.04, 0.1};
    return a < 8 ? w[a] : 0.0;
}

int ChooseDegree(Random& random, int prev, int lastInterval, const Chord& chord, bool strong,
                 int length, const MelodyStyle& style, int centre) {
    std::vector<double> weights;
    double total = 0;
    for (int d = style.Low; d <= style.High; ++d) {
        const int iv = d - prev;
        double w = IntervalWeight(std::abs(iv));
        const bool tone = IsChordTone(chord, d);
        if (strong || length >= 4) {
            w *= tone ? 3.0 : (strong ? 0.02 : 0.1);
        } else {
            w *= tone ? 1.3 : 1.0;
        }
        // After a leap, turn back by step.
        if (std::abs(lastInterval) >= 3 && iv != 0) {
            const bool same = (iv > 0) == (lastInterval > 0);
            w *= same ? 0.25 : (std::abs(iv) <= 2 ? 2.0 : 1.0);
        }
        w *= std::exp(-((d - centre) * (d - centre)) / (2.0 * 3.5 * 3.5));
        weights.push_back(w);
        total += w;
    }
    double pick = random.Unit() * total;
    for (int i = 0; i < static_cast<int>(weights.size()); ++i) {
        pick -= weights[i];
        if (pick <= 0) return style.Low + i;
    }
    return prev;
}

// The chord tone nearest to a degree (ties go up).
int NearestChordTone(const Chord& chord, int degree, int low, int high) {
    for (int dist = 0; dist < 7; ++dist) {
        if (degree + dist <= high && IsChordTone(chord, degree + dist)) return degree + dist;
        if (degree - dist >= low && IsChordTone(chord, degree - dist)) return degree - dist;
    }
    return degree;
}

struct Voice {
    int Prev;
    int LastInterval = 0;
};

Bar ComposeBar(Random& random, const std::vector<int>& rhythm, const Chord& chord, Voice& v,
               const MelodyStyle& style, int centre, int endOn = INT_MIN) {
    Bar bar;
    int step = 0;
    for (size_t i = 0; i < rhythm.size(); ++i) {
        const int len = std::abs(rhythm[i]);
        if (rhythm[i] < 0) {
            bar.push_back({step, len, v.Prev, true});
        } else {
            const bool strong = step % 8 == 0;
            int d;
            const bool last = i + 1 == rhythm.size();
            if (last && endOn != INT_MIN) {
                d = endOn;
            } else {
                d = ChooseDegree(random, v.Prev, v.LastInterval, chord, strong, len, style, centre);
            }
            v.LastInterval = d - v.Prev;
            v.Prev = d;
            bar.push_back({step, len, d, false});
        }
        step += len;
    }
    return bar;
}

// The same rhythm and contour over another chord: shifted so it starts on a chord tone, with
// strong beats nudged onto chord tones.
Bar Refit(const Bar& source, const Chord& chord, const MelodyStyle& style) {
    int first = INT_MIN;
    for (const MelodyNote& n : source) {
        if (!n.Rest) {
            first = n.Degree;
            break;
        }
    }
    if (first == INT_MIN) return source;
    int shift = 0;
    for (int s : {0, 1, -1, 2, -2, 3, -3}) {
        if (IsChordTone(chord, first + s)) {
            shift = s;
            break;
        }
    }
    Bar out = source;
    for (MelodyNote& n : out) {
        n.Degree += shift;
        if (!n.Rest && (n.Step % 8 == 0 || n.Length >= 4) && !IsChordTone(chord, n.Degree)) {
            n.Degree = NearestChordTone(chord, n.Degree, style.Low, style.High);
        }
        while (n.Degree > style.High) n.Degree -= 7;
        while (n.Degree < style.Low) n.Degree += 7;
    }
    return out;
}

int LastDegree(const Bar& bar, int fallback) {
    for (auto it = bar.rbegin(); it != bar.rend(); ++it) {
        if (!it->Rest) return it->Degree;
    }
    return fallback;
}

// An eight-bar theme as two phrases: a motif, its answer over the next chords, a rising middle
// and the motif again closing on the last chord's root.
std::vector<Bar> ComposeTheme(Random& random, const std::vector<Chord>& chords,
                              const MelodyStyle& style) {
    auto pick = [&](const std::vector<std::vector<int>>& from) {
        return from[random.Below(static_cast<int>(from.size()))];
    };
    std::vector<Bar> bars(8);
    Voice v{NearestChordTone(chords[0], style.Centre, style.Low, style.High)};
    const std::vector<int> r0 = pick(style.Rhythms), r1 = pick(style.Rhythms);
    bars[0] = ComposeBar(random, r0, chords[0], v, style, style.Centre);
    // End the first phrase on a chord tone other than the root: it asks a question.
    const int open =
        NearestChordTone(chords[1], v.Prev + (random.Chance(0.5) ? 1 : -1), style.Low, style.High);
    bars[1] = ComposeBar(random, r1, chords[1], v, style, style.Centre, open);
    bars[2] = Refit(bars[0], chords[2], style);
    bars[3] = Refit(bars[1], chords[3], style);
    v.Prev = LastDegree(bars[3], v.Prev);
    v.LastInterval = 0;
    bars[4] = ComposeBar(random, pick(style.Rhythms), chords[4], v, style, style.Centre + 2);
    bars[5] = ComposeBar(random, pick(style.Rhythms), chords[5], v, style, style.Centre + 1);
    bars[6] = Refit(bars[0], chords[6], style);
    v.Prev = LastDegree(bars[6], v.Prev);
    // Close on the root of the last chord, in the octave nearest the line.
    int root = chords[7].Root;
    while (root + 7 <= style.High && std::abs(root + 7 - v.Prev) < std::abs(root - v.Prev))
        root += 7;
    bars[7] = ComposeBar(random, pick(style.Cadences), chords[7], v, style, style.Centre, root);
    return bars;
}

enum class Variant { Plain, OctaveUp, Ornamented, Sparse };

Bar Vary(const Bar& bar, Variant variant, Random& random) {
    Bar out;
    for (size_t i = 0; i < bar.size(); ++i) {
        MelodyNote n = bar[i];
        switch (variant) {
            case Variant::Plain:
                out.push_back(n);
                break;
            case Variant::OctaveUp:
                n.Degree += 7;
                out.push_back(n);
                break;
            case Variant::Ornamented:
                // Long notes get a neighbour note in their second half.
                if (!n.Rest && n.Length >= 4 && i + 1 < bar.size() && random.Chance(0.6)) {
                    const int half = n.Length / 2;
                    MelodyNote a = n, b = n;
                    a.Length = half;
                    b.Step = n.Step + half;
                    b.Length = n.Length - half;
                    b.Degree = n.Degree + (random.Chance(0.5) ? 1 : -1);
                    out.push_back(a);
                    out.push_back(b);
                } else {
                    out.push_back(n);
                }
                break;
            case Variant::Sparse:
                if (n.Step % 8 == 0 && !n.Rest) {
                    n.Length = std::max(n.Length, 8 - n.Step % 8);
                    out.push_back(n);
                }
                break;
        }
    }
    return out;
}

// ---------------------------------------------------------------------------------------------
// Arrangement.

enum Part : unsigned {
    Pad = 1u << 0,
    Bass = 1u << 1,
    Arp = 1u << 2,
    Melody = 1u << 3,
    Counter = 1u << 4,
    DrumsLight = 1u << 5,
    DrumsFull = 1u << 6,
    DrumsHalf = 1u << 7,
    Shaker = 1u << 8,
    Crash = 1u << 9,    // a cymbal on the section's first beat
    Fill = 1u << 10,    // a drum fill in the section's last bar
    Ending = 1u << 11,  // the last bar is one held chord
    BassLong = 1u << 12,
};

struct Section {
    std::vector<int> Roots;  // chord roots per bar (scale degrees)
    unsigned Parts;
    int Theme;  // -1 for none
    Variant Melody;
};

enum class Lead { Bell, Soft, Ocarina };

struct SongPlan {
    uint64_t Seed;
    double Bpm;
    Key Tonality;
    bool Sevenths;
    Lead LeadVoice;
    MelodyStyle Style;
    std::vector<std::vector<int>> ThemeRoots;  // eight chord roots per theme
    std::vector<Section> Sections;
    bool Loops;
    double Tail;             // seconds after the last bar
    int ArpOctave = 12;      // the arpeggio's lift above the chord, in semitones
    double DrumsDb = -22.0;  // the drum stem's loudness in the mix
};

struct Event {
    double Beat, Length;  // in beats
    double Pitch;         // MIDI note
    double Velocity;      // 0..1
    float Pan;
};

// ---------------------------------------------------------------------------------------------
// Instruments.

// A sine table: the same samples everywhere and much cheaper than std::sin per sample.
class SineTable {
  public:
    SineTable() {
        for (int i = 0; i <= Size; ++i) table_[i] = static_cast<float>(std::sin(2 * Pi * i / Size));
    }
    double operator()(double phase) const {  // phase in turns
        phase -= std::floor(phase);
        const double x = phase * Size;
        const int i = static_cast<int>(x);
        const double f = x - i;
        return table_[i] + (table_[i + 1] - table_[i]) * f;
    }

  private:
    static constexpr int Size = 4096;
    float table_[Size + 1];
};
const SineTable Sine;

struct Timing {
    double SecondsPerBeat;
    size_t Frame(double beat) const { return ToFrames(beat * SecondsPerBeat); }
};

void RenderBell(Stereo& out, const Timing& tm, const Event& e, double brightness, double decay) {
    const Stereo::Gains pan = Stereo::PanGains(e.Pan);
    const double step = NoteHz(e.Pitch) / SampleRate;
    const double held = e.Length * tm.SecondsPerBeat;
    constexpr double Release = 0.5;
    const size_t start = tm.Frame(e.Beat), n = ToFrames(held + Release);
    // Exponential decays kept as running products: one multiply a sample instead of exp().
    const double kDecay = std::exp(-1.0 / (decay * SampleRate));
    const double kIndex = std::exp(-7.0 / SampleRate), kSparkle = std::exp(-3.0 / SampleRate);
    double body = 1, index = 1, sparkle = 1;
    double pc = 0, pm = 0, p2 = 0;
    for (size_t i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) / SampleRate;
        double env = std::min(1.0, t / 0.004) * body;
        if (t > held) {
            const double x = 1.0 - (t - held) / Release;
            env *= x * x * x;
        }
        const double depth = brightness * (0.4 + 2.2 * index);
        const double v = Sine(pc + depth * Sine(pm) / (2 * Pi)) + 0.18 * Sine(p2) * sparkle;
        out.Add(start + i, static_cast<float>(v * env * e.Velocity), pan);
        pc += step;
        pm += 2.0 * step;
        p2 += 4.0 * step;
        body *= kDecay;
        index *= kIndex;
        sparkle *= kSparkle;
    }
}

void RenderSoftLead(Stereo& out, const Timing& tm, const Event& e) {
    const Stereo::Gains pan = Stereo::PanGains(e.Pan);
    const double held = e.Length * tm.SecondsPerBeat * 0.92;
    const Adsr env{0.012, 0.25, 0.72, 0.14};
    const size_t start = tm.Frame(e.Beat), n = ToFrames(env.Length(held));
    Svf filter;
    const double base = NoteHz(e.Pitch);
    double phase = 0, phase2 = 0;
    for (size_t i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) / SampleRate;
        const double vib = t > 0.18 ? 0.12 * Sine(t * 5.2) * std::min(1.0, (t - 0.18) / 0.3) : 0.0;
        const double f = base * (1.0 + vib * 0.0577623);  // 2^(vib/12) for small vib
        const double dt = f / SampleRate;
        const double raw = 0.6 * Square(phase, dt, 0.32) + 0.4 * Saw(phase2, dt * 1.003);
        if (i % 16 == 0) filter.Set(900 + 2600 * std::exp(-t * 4.0) * e.Velocity, 0.8);
        const double v = filter.Process(raw) * env.At(t, held);
        out.Add(start + i, static_cast<float>(v * e.Velocity), pan);
        phase += dt;
        if (phase >= 1) phase -= 1;
        phase2 += dt * 1.003;
        if (phase2 >= 1) phase2 -= 1;
    }
}

void RenderOcarina(Stereo& out, const Timing& tm, const Event& e, uint32_t seed) {
    const Stereo::Gains pan = Stereo::PanGains(e.Pan);
    const double held = e.Length * tm.SecondsPerBeat * 0.94;
    const Adsr env{0.035, 0.2, 0.85, 0.12};
    const size_t start = tm.Frame(e.Beat), n = ToFrames(env.Length(held));
    Random noise(seed);
    Svf breath;
    const double base = NoteHz(e.Pitch);
    breath.Set(base * 2.0, 2.0);
    double phase = 0;
    for (size_t i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) / SampleRate;
        const double vib = t > 0.22 ? 0.14 * Sine(t * 5.0) * std::min(1.0, (t - 0.22) / 0.35) : 0.0;
        const double f = base * (1.0 + vib * 0.0577623);
        const double tone = Sine(phase) + 0.22 * Sine(2 * phase) + 0.07 * Sine(3 * phase);
        breath.Process(noise.Unit() * 2 - 1);
        const double chiff = 0.25 * std::exp(-t * 30.0) + 0.05;
        const double v = (tone + chiff * breath.Band() * 3.0) * env.At(t, held);
        out.Add(start + i, static_cast<float>(v * e.Velocity), pan);
        phase += f / SampleRate;
        if (phase >= 1) phase -= 1;
    }
}

// A chord held by detuned saws through a soft low-pass: the aurora's glow in sound.
void RenderPad(Stereo& out, const Timing& tm, const Event& e, double brightness) {
    const double held = e.Length * tm.SecondsPerBeat;
    const Adsr env{0.5, 0.6, 0.8, 1.1};
    const size_t start = tm.Frame(e.Beat), n = ToFrames(env.Length(held));
    const double detune[3] = {-0.09, 0.0, 0.08};  // semitones
    double phase[3] = {0.13, 0.57, 0.81};
    double step[3];
    for (int k = 0; k < 3; ++k) step[k] = NoteHz(e.Pitch + detune[k]) / SampleRate;
    Svf left, right;
    left.Set(700 * brightness, 0.7);
    right.Set(760 * brightness, 0.7);
    for (size_t i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) / SampleRate;
        double l = 0, r = 0;
        for (int k = 0; k < 3; ++k) {
            const double s = Saw(phase[k], step[k]);
            phase[k] += step[k];
            if (phase[k] >= 1) phase[k] -= 1;
            l += s * (k == 0 ? 0.7 : (k == 1 ? 0.5 : 0.3));
            r += s * (k == 2 ? 0.7 : (k == 1 ? 0.5 : 0.3));
        }
        if (start + i >= out.Frames()) break;
        const double a = env.At(t, held) * e.Velocity;
        out.L[start + i] += static_cast<float>(left.Process(l) * a);
        out.R[start + i] += static_cast<float>(right.Process(r) * a);
    }
}

void RenderBass(Stereo& out, const Timing& tm, const Event& e) {
    const Stereo::Gains pan = Stereo::PanGains(e.Pan);
    const double held = e.Length * tm.SecondsPerBeat * 0.9;
    const Adsr env{0.006, 0.3, 0.65, 0.07};
    const size_t start = tm.Frame(e.Beat), n = ToFrames(env.Length(held));
    const double f = NoteHz(e.Pitch), dt = f / SampleRate;
    Svf filter;
    double phase = 0;
    for (size_t i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) / SampleRate;
        if (i % 16 == 0) filter.Set(260 + 900 * std::exp(-t * 9.0) * e.Velocity, 0.9);
        const double v = 0.8 * Sine(phase) + 0.45 * filter.Process(Saw(phase, dt));
        out.Add(start + i, static_cast<float>(v * env.At(t, held) * e.Velocity), pan);
        phase += dt;
        if (phase >= 1) phase -= 1;
    }
}

// Drum sounds, rendered once per tune and copied onto the beat.
Samples Kick() {
    Samples s(ToFrames(0.4));
    double phase = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        const double t = static_cast<double>(i) / SampleRate;
        const double f = 46 + 120 * std::exp(-t * 32);
        phase += f / SampleRate;
        const double click = std::exp(-t * 400) * 0.3;
        s[i] = static_cast<float>((Sine(phase) * std::exp(-t * 7.5) + click) * 0.9);
    }
    FadeEdges(s, 0, 0.02);
    return s;
}

Samples Snare(uint32_t seed) {
    Samples s(ToFrames(0.3));
    Random noise(seed);
    Svf band;
    band.Set(1900, 0.8);
    double phase = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        const double t = static_cast<double>(i) / SampleRate;
        phase += (180 + 40 * std::exp(-t * 40)) / SampleRate;
        band.Process(noise.Unit() * 2 - 1);
        const double v = 0.55 * Sine(phase) * std::exp(-t * 28) +
                         (0.9 * band.Band() + 0.25 * band.High()) * std::exp(-t * 16);
        s[i] = static_cast<float>(v);
    }
    FadeEdges(s, 0, 0.03);
    return s;
}

Samples Hat(uint32_t seed, double decay) {
    Samples s(ToFrames(decay * 6));
    Random noise(seed);
    Svf high;
    high.Set(7800, 0.7);
    for (size_t i = 0; i < s.size(); ++i) {
        const double t = static_cast<double>(i) / SampleRate;
        high.Process(noise.Unit() * 2 - 1);
        s[i] = static_cast<float>(high.High() * std::exp(-t / decay) * 0.6);
    }
    FadeEdges(s, 0.0005, 0.01);
    return s;
}

Samples ShakerSound(uint32_t seed) {
    Samples s(ToFrames(0.12));
    Random noise(seed);
    Svf band;
    band.Set(6500, 1.2);
    for (size_t i = 0; i < s.size(); ++i) {
        const double t = static_cast<double>(i) / SampleRate;
        band.Process(noise.Unit() * 2 - 1);
        const double env = std::min(1.0, t / 0.025) * std::exp(-std::max(0.0, t - 0.025) * 45);
        s[i] = static_cast<float>(band.Band() * env * 0.8);
    }
    FadeEdges(s, 0, 0.01);
    return s;
}

Samples Cymbal(uint32_t seed) {
    // Six detuned square partials, high-passed, plus noise: a soft metallic wash.
    Samples s(ToFrames(2.2));
    Random noise(seed);
    const double partials[6] = {205.3, 304.4, 369.6, 522.7, 540.0, 800.0};
    double phase[6] = {0, 0, 0, 0, 0, 0};
    Svf high;
    high.Set(6000, 0.7);
    for (size_t i = 0; i < s.size(); ++i) {
        const double t = static_cast<double>(i) / SampleRate;
        double metal = 0;
        for (int k = 0; k < 6; ++k) {
            phase[k] += partials[k] * 1.7 / SampleRate;
            if (phase[k] >= 1) phase[k] -= 1;
            metal += phase[k] < 0.5 ? 1 : -1;
        }
        high.Process(metal * 0.15 + (noise.Unit() * 2 - 1) * 0.6);
        s[i] = static_cast<float>(high.High() * std::exp(-t * 1.9) * 0.5);
    }
    FadeEdges(s, 0.001, 0.2);
    return s;
}

Samples Tom(double hz) {
    Samples s(ToFrames(0.35));
    double phase = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        const double t = static_cast<double>(i) / SampleRate;
        phase += hz * (1.0 + 0.5 * std::exp(-t * 20)) / SampleRate;
        s[i] = static_cast<float>(Sine(phase) * std::exp(-t * 9) * 0.8);
    }
    FadeEdges(s, 0, 0.03);
    return s;
}

// What the arrangement plays, collected first and rendered stem by stem afterwards, so that
// only one stem's audio is in memory at a time.
enum class Sound { Bell, ArpBell, CounterBell, SoftLead, Ocarina, Pad, Bass };
struct Played {
    Sound Kind;
    Event Note;
    uint32_t Seed;
};
struct Hit {
    const Samples* Sample;
    size_t Frame;
    double Gain;
    float Pan;
};
enum Stem { LeadStem, CounterStem, PadStem, BassStem, ArpStem, StemCount };
struct Score {
    std::vector<Played> Notes[StemCount];
    std::vector<Hit> Drums;
};

void Place(std::vector<Hit>& out, const Samples& sound, size_t at, double gain, float pan) {
    out.push_back({&sound, at, gain, pan});
}

// Closest voicing of a chord to the previous one, within a middle register.
std::vector<int> Voice(const Key& key, const Chord& chord, const std::vector<int>& previous) {
    std::vector<int> best;
    double bestCost = 1e9;
    const std::vector<int> degrees = ChordDegrees(chord);
    for (int inversion = 0; inversion < static_cast<int>(degrees.size()); ++inversion) {
        for (int octave = -2; octave <= 1; ++octave) {
            std::vector<int> pitches;
            for (size_t k = 0; k < degrees.size(); ++k) {
                int d = degrees[(inversion + k) % degrees.size()];
                if (static_cast<int>(k) + inversion >= static_cast<int>(degrees.size())) d += 7;
                pitches.push_back(key.Pitch(d + 7 * octave));
            }
            const int low = pitches.front(), high = pitches.back();
            if (low < 52 || high > 74) continue;
            double cost = 0;
            if (previous.empty()) {
                cost = std::abs((low + high) / 2.0 - 62);
            } else {
                for (size_t k = 0; k < std::min(pitches.size(), previous.size()); ++k) {
                    cost += std::abs(pitches[k] - previous[k]);
                }
            }
            if (cost < bestCost) {
                bestCost = cost;
                best = pitches;
            }
        }
    }
    return best;
}

int BassPitch(const Key& key, int root) {
    int p = key.Pitch(root) - 24;
    while (p > 45) p -= 12;
    while (p < 33) p += 12;
    return p;
}

struct DrumKit {
    explicit DrumKit(uint32_t seed)
        : KickSound(Kick()),
          SnareSound(Snare(seed + 1)),
          ClosedHat(Hat(seed + 2, 0.018)),
          OpenHat(Hat(seed + 3, 0.09)),
          ShakeSound(ShakerSound(seed + 4)),
          CymbalSound(Cymbal(seed + 5)),
          HighTom(Tom(180)),
          LowTom(Tom(120)) {}
    Samples KickSound, SnareSound, ClosedHat, OpenHat, ShakeSound, CymbalSound, HighTom, LowTom;
};

void PlayDrums(std::vector<Hit>& out, const Timing& tm, const DrumKit& kit, unsigned parts,
               int barIndex, bool lastBar, double barBeat, Random& humanise) {
    auto at = [&](int step) {
        const double jitter = (humanise.Unit() - 0.5) * 0.006;
        return ToFrames(std::max(0.0, (barBeat + step / 4.0) * tm.SecondsPerBeat + jitter));
    };
    auto vel = [&](double v) { return v * (0.9 + 0.2 * humanise.Unit()); };
    const bool fill = lastBar && (parts & Fill);
    const int fillFrom = fill ? 8 : 16;
    if (parts & DrumsFull) {
        const bool alt = barIndex % 2 == 1;
        for (int step : alt ? std::vector<int>{0, 7, 10} : std::vector<int>{0, 8, 10}) {
            if (step < fillFrom) Place(out, kit.KickSound, at(step), vel(1.0), 0.0f);
        }
        for (int step : {4, 12}) {
            if (step < fillFrom) Place(out, kit.SnareSound, at(step), vel(0.8), 0.05f);
        }
        for (int step = 0; step < std::min(16, fillFrom); step += 2) {
            const bool open = step == 14 && alt;
            Place(out, open ? kit.OpenHat : kit.ClosedHat, at(step), vel(step % 4 == 2 ? 0.5 : 0.3),
                  0.3f);
        }
    } else if (parts & DrumsHalf) {
        for (int step : {0, 11}) {
            if (step < fillFrom) Place(out, kit.KickSound, at(step), vel(0.95), 0.0f);
        }
        if (8 < fillFrom) Place(out, kit.SnareSound, at(8), vel(0.75), 0.05f);
        for (int step = 0; step < std::min(16, fillFrom); step += 2) {
            Place(out, kit.ClosedHat, at(step), vel(step % 4 == 2 ? 0.4 : 0.25), 0.3f);
        }
    } else if (parts & DrumsLight) {
        for (int step : {0, 8}) {
            if (step < fillFrom) Place(out, kit.KickSound, at(step), vel(0.75), 0.0f);
        }
        for (int step = 2; step < std::min(16, fillFrom); step += 4) {
            Place(out, kit.ClosedHat, at(step), vel(0.3), 0.3f);
        }
    }
    if (parts & Shaker) {
        for (int step = 0; step < 16; step += 2) {
            Place(out, kit.ShakeSound, at(step), vel(step % 4 == 2 ? 0.3 : 0.18), -0.25f);
        }
    }
    if (fill) {
        // Toms falling in pitch, snare at the end, growing louder.
        for (int step = 8; step < 16; ++step) {
            const double rise = 0.5 + 0.5 * (step - 8) / 7.0;
            const Samples& sound =
                step < 11 ? kit.HighTom : (step < 14 ? kit.LowTom : kit.SnareSound);
            if (step % 2 == 0 || step >= 12) {
                Place(out, sound, at(step), vel(0.75 * rise), step < 11 ? 0.25f : -0.2f);
            }
        }
    }
}

Stereo Perform(const SongPlan& plan) {
    Random random(plan.Seed);
    const Timing tm{60.0 / plan.Bpm};
    int totalBars = 0;
    for (const Section& s : plan.Sections) totalBars += static_cast<int>(s.Roots.size());
    const double songSeconds = totalBars * 4 * tm.SecondsPerBeat;
    const size_t frames = ToFrames(songSeconds + plan.Tail + 2.0);
    DrumKit kit(static_cast<uint32_t>(plan.Seed));
    Random humanise(plan.Seed * 3 + 1);
    Score score;

    // The themes, composed once; sections then quote them.
    std::vector<std::vector<Bar>> themes;
    for (const std::vector<int>& roots : plan.ThemeRoots) {
        std::vector<Chord> chords;
        for (int r : roots) chords.push_back({r, plan.Sevenths});
        themes.push_back(ComposeTheme(random, chords, plan.Style));
    }

    std::vector<int> voicing;
    int bar = 0;
    uint32_t noteSeed = static_cast<uint32_t>(plan.Seed) * 7;
    for (const Section& section : plan.Sections) {
        const int bars = static_cast<int>(section.Roots.size());
        for (int b = 0; b < bars; ++b, ++bar) {
            const double beat = bar * 4.0;
            const Chord chord{section.Roots[b], plan.Sevenths};
            const bool last = b + 1 == bars;
            const bool ending = last && (section.Parts & Ending);
            const double chordBeats = ending ? 4.0 + plan.Tail / tm.SecondsPerBeat * 0.5 : 4.0;

            if (section.Parts & Pad) {
                voicing = Voice(plan.Tonality, chord, voicing);
                for (size_t k = 0; k < voicing.size(); ++k) {
                    score.Notes[PadStem].push_back(
                        {Sound::Pad, {beat, chordBeats, double(voicing[k]), 0.5, 0.0f}, 0});
                }
            }
            if (section.Parts & Bass) {
                const int root = BassPitch(plan.Tonality, chord.Root);
                const int fifth = BassPitch(plan.Tonality, chord.Root + 4);
                if ((section.Parts & BassLong) || ending) {
                    score.Notes[BassStem].push_back(
                        {Sound::Bass, {beat, ending ? chordBeats : 2.0, double(root), 0.9, 0}, 0});
                    if (!ending) {
                        score.Notes[BassStem].push_back(
                            {Sound::Bass, {beat + 2, 2.0, double(fifth), 0.75, 0}, 0});
                    }
                } else {
                    // A syncopated eighth-note line with an octave leap and a fifth to lead on.
                    const struct {
                        int Step, Len, Pitch;
                        double Vel;
                    } line[] = {{0, 3, root, 1.0},  {3, 3, root, 0.7},  {6, 2, root + 12, 0.75},
                                {8, 3, root, 0.95}, {11, 3, root, 0.7}, {14, 2, fifth, 0.8}};
                    for (const auto& n : line) {
                        score.Notes[BassStem].push_back(
                            {Sound::Bass,
                             {beat + n.Step / 4.0, n.Len / 4.0, double(n.Pitch), n.Vel, 0},
                             0});
                    }
                }
            }
            if ((section.Parts & Arp) && !ending) {
                const std::vector<int> degrees = ChordDegrees(chord);
                const int pattern[8] = {0, 1, 2, 3, 4, 3, 2, 1};
                for (int step = 0; step < 16; ++step) {
                    const int idx = pattern[step % 8];
                    const int d = degrees[idx % degrees.size()] +
                                  7 * (idx / static_cast<int>(degrees.size()));
                    const double pitch = plan.Tonality.Pitch(d) + plan.ArpOctave;
                    score.Notes[ArpStem].push_back(
                        {Sound::ArpBell,
                         {beat + step / 4.0, 0.2, pitch, step % 4 == 0 ? 0.8 : 0.55,
                          step % 2 ? 0.45f : -0.45f},
                         0});
                }
            }
            if (section.Theme >= 0 && (section.Parts & (Melody | Counter))) {
                const std::vector<Bar>& theme = themes[section.Theme];
                Bar notes = theme[b % theme.size()];
                const int themeRoot = plan.ThemeRoots[section.Theme][b % theme.size()];
                if (themeRoot != chord.Root) notes = Refit(notes, chord, plan.Style);
                if (ending) notes = {{0, 16, NearestChordTone(chord, 7, 0, 9), false}};
                notes = Vary(notes, ending ? Variant::Plain : section.Melody, random);
                for (const MelodyNote& n : notes) {
                    if (n.Rest) continue;
                    const double len = ending ? chordBeats * 0.8 : n.Length / 4.0;
                    const double start = beat + n.Step / 4.0;
                    const double pitch = plan.Tonality.Pitch(n.Degree) + 12;
                    const double v = (n.Step % 8 == 0 ? 0.95 : (n.Step % 4 == 0 ? 0.85 : 0.75));
                    if (section.Parts & Melody) {
                        const Sound kind = plan.LeadVoice == Lead::Bell   ? Sound::Bell
                                           : plan.LeadVoice == Lead::Soft ? Sound::SoftLead
                                                                          : Sound::Ocarina;
                        score.Notes[LeadStem].push_back(
                            {kind, {start, len, pitch, v, -0.05f}, noteSeed++});
                    }
                    if (section.Parts & Counter) {
                        // A third below, on a bell, only on the longer notes.
                        if (n.Length >= 4) {
                            const double below = plan.Tonality.Pitch(n.Degree - 2) + 12;
                            score.Notes[CounterStem].push_back(
                                {Sound::CounterBell, {start, len, below, v * 0.8, 0.35f}, 0});
                        }
                    }
                }
            }
            PlayDrums(score.Drums, tm, kit, section.Parts, bar, last, beat, humanise);
            if ((section.Parts & Crash) && b == 0) {
                Place(score.Drums, kit.CymbalSound, tm.Frame(beat), 0.55, -0.3f);
            }
            if (ending) Place(score.Drums, kit.CymbalSound, tm.Frame(beat), 0.4, -0.3f);
        }
    }

    // Each stem is rendered alone, balanced by its loudness, and sent to the rooms: reverb on
    // everything soft, echoes on the bells.
    struct Mix {
        double Db, ReverbSend, DelaySend;
    };
    const Mix mixes[StemCount + 1] = {{plan.LeadVoice == Lead::Bell ? -19.0 : -20.0, 0.3, 0.18},
                                      {-27, 0.35, 0.0},
                                      {-25, 0.45, 0.0},
                                      {plan.LeadVoice == Lead::Bell ? -24.0 : -21.0, 0.05, 0.0},
                                      {-28, 0.35, 0.35},
                                      {plan.DrumsDb, 0.08, 0.0}};
    const double padBrightness = plan.LeadVoice == Lead::Bell ? 1.3 : 1.0;
    // Both rooms take a mono feed, so their inputs are kept mono.
    Stereo dry(frames), stem(frames);
    Samples reverbIn(frames), delayIn(frames);
    {
        for (int k = 0; k <= StemCount; ++k) {
            std::fill(stem.L.begin(), stem.L.end(), 0.0f);
            std::fill(stem.R.begin(), stem.R.end(), 0.0f);
            if (k == StemCount) {
                for (const Hit& h : score.Drums) {
                    const Stereo::Gains pan = Stereo::PanGains(h.Pan);
                    for (size_t i = 0; i < h.Sample->size(); ++i) {
                        stem.Add(h.Frame + i, static_cast<float>((*h.Sample)[i] * h.Gain), pan);
                    }
                }
            } else {
                for (const Played& p : score.Notes[k]) {
                    switch (p.Kind) {
                        case Sound::Bell:
                            RenderBell(stem, tm, p.Note, 1.0, 0.9);
                            break;
                        case Sound::ArpBell:
                            RenderBell(stem, tm, p.Note, 0.8, 0.22);
                            break;
                        case Sound::CounterBell:
                            RenderBell(stem, tm, p.Note, 0.7, 0.8);
                            break;
                        case Sound::SoftLead:
                            RenderSoftLead(stem, tm, p.Note);
                            break;
                        case Sound::Ocarina:
                            RenderOcarina(stem, tm, p.Note, p.Seed);
                            break;
                        case Sound::Pad:
                            RenderPad(stem, tm, p.Note, padBrightness);
                            break;
                        case Sound::Bass:
                            RenderBass(stem, tm, p.Note);
                            break;
                    }
                }
            }
            double sum = 0;
            for (size_t i = 0; i < frames; ++i) {
                const double m = (stem.L[i] + stem.R[i]) * 0.5;
                sum += m * m;
            }
            const double rms = std::sqrt(sum / frames);
            if (rms <= 0) continue;
            const Mix& m = mixes[k];
            const float g = static_cast<float>(DbToGain(m.Db) / rms);
            dry.Mix(stem, g);
            const float toReverb = static_cast<float>(g * m.ReverbSend * 0.5);
            const float toDelay = static_cast<float>(g * m.DelaySend * 0.5);
            for (size_t i = 0; i < frames; ++i) {
                const float sum = stem.L[i] + stem.R[i];
                reverbIn[i] += sum * toReverb;
                delayIn[i] += sum * toDelay;
            }
        }
    }
    {
        Stereo& echoes = stem;  // the stems are done: its room is reused
        std::fill(echoes.L.begin(), echoes.L.end(), 0.0f);
        std::fill(echoes.R.begin(), echoes.R.end(), 0.0f);
        PingPongDelay(delayIn, echoes, tm.SecondsPerBeat * 0.75, 0.38f, 1.0f, 3500);
        for (size_t i = 0; i < frames; ++i) reverbIn[i] += (echoes.L[i] + echoes.R[i]) * 0.25f;
        dry.Mix(echoes, 1.0f);
    }
    Reverb room(0.82, 0.45, 1.0);
    room.Process(reverbIn, dry, 1.0f);

    // A looping tune folds what rings past its last bar back onto its start, so the seam is
    // seamless; the others keep their tail and end in silence.
    const size_t songFrames = ToFrames(songSeconds);
    if (plan.Loops) {
        for (size_t i = songFrames; i < frames; ++i) {
            dry.L[i - songFrames] += dry.L[i];
            dry.R[i - songFrames] += dry.R[i];
        }
        dry.Resize(songFrames);
        FadeEdges(dry, 0.004, 0.004);
    } else {
        dry.Resize(songFrames + ToFrames(plan.Tail));
        FadeEdges(dry, 0.004, plan.Tail * 0.8);
    }
    return dry;
}

// ---------------------------------------------------------------------------------------------
// The three plans.

MelodyStyle CalmStyle() {
    return {
        {{8, 8}, {4, 4, 8}, {6, 2, 8}, {4, 4, 4, 4}, {12, 4}, {4, 8, 4}, {2, 2, 4, 8}, {-4, 4, 8}},
        {{8, 8}, {4, 12}, {16}, {2, 2, 12}},
        -2,
        9,
        3};
}

MelodyStyle LivelyStyle() {
    return {{{4, 4, 4, 4},
             {2, 2, 4, 4, 4},
             {3, 3, 2, 4, 4},
             {4, 2, 2, 8},
             {2, 2, 2, 2, 4, 4},
             {6, 2, 4, 4},
             {3, 3, 4, 2, 2, 2},
             {-2, 2, 4, 2, 2, 4},
             {4, 4, 2, 2, 4},
             {2, 4, 2, 8}},
            {{4, 12}, {2, 2, 12}, {8, 8}, {4, 4, 8}},
            -2,
            9,
            3};
}

SongPlan TitlePlan() {
    SongPlan p;
    p.Seed = 0x5EED0003;
    p.Bpm = 84;
    p.Tonality = {62, Major};  // D major
    p.Sevenths = true;
    p.LeadVoice = Lead::Bell;
    p.Style = CalmStyle();
    const std::vector<int> a = {0, 5, 3, 4, 0, 2, 3, 4};
    const std::vector<int> b = {3, 4, 2, 5, 1, 4, 0, 0};
    p.ThemeRoots = {a, b};
    p.Sections = {
        {{0, 5, 3, 4}, Pad | Arp | BassLong | Bass, -1, Variant::Plain},
        {a, Pad | Bass | BassLong | Melody | Shaker, 0, Variant::Plain},
        {b, Pad | Bass | BassLong | Melody | Arp | Shaker | DrumsLight | Crash, 1, Variant::Plain},
        {{3, 4, 0, 0}, Pad | Bass | BassLong | Melody | Ending, 0, Variant::Sparse},
    };
    p.Loops = false;
    p.Tail = 4.0;
    // Under a bell melody the arpeggio keeps below it, and the shaker stays in the background.
    p.ArpOctave = 0;
    p.DrumsDb = -29.0;
    return p;
}

SongPlan GameFirstPlan() {
    SongPlan p;
    p.Seed = 0x5EED0001;
    p.Bpm = 124;
    p.Tonality = {57, NaturalMinor};  // A minor
    p.Sevenths = false;
    p.LeadVoice = Lead::Soft;
    p.Style = LivelyStyle();
    const std::vector<int> a = {0, 5, 2, 6, 0, 5, 2, 6};
    const std::vector<int> b = {3, 0, 3, 4, 5, 6, 4, 4};
    p.ThemeRoots = {a, b};
    p.Sections = {
        {{0, 5, 2, 6}, Bass | Arp | DrumsLight | Fill, -1, Variant::Plain},
        {a, Pad | Bass | Melody | DrumsFull | Crash, 0, Variant::Plain},
        {a, Pad | Bass | Melody | Arp | DrumsFull | Crash | Fill, 0, Variant::Ornamented},
        {b, Pad | Bass | Melody | DrumsHalf | Crash, 1, Variant::Plain},
        {a, Pad | Bass | Melody | Counter | Arp | DrumsFull | Crash, 0, Variant::Ornamented},
        {{5, 6, 0, 0}, Pad | Bass | Melody | DrumsLight | Ending, 0, Variant::Plain},
    };
    p.Loops = false;
    p.Tail = 3.0;
    return p;
}

SongPlan GameLoopPlan() {
    SongPlan p;
    p.Seed = 0x5EED0002;
    p.Bpm = 118;
    p.Tonality = {52, Dorian};  // E dorian
    p.Sevenths = false;
    p.LeadVoice = Lead::Ocarina;
    p.Style = LivelyStyle();
    const std::vector<int> a = {0, 3, 6, 0, 2, 3, 6, 6};
    const std::vector<int> b = {2, 6, 3, 0, 2, 6, 4, 4};
    p.ThemeRoots = {a, b};
    p.Sections = {
        {a, Pad | Bass | Melody | DrumsFull | Crash, 0, Variant::Plain},
        {b, Pad | Bass | Melody | Arp | DrumsFull | Crash | Fill, 1, Variant::Plain},
        {a, Pad | Bass | Melody | Counter | DrumsHalf | Crash, 0, Variant::Ornamented},
        {a, Pad | Bass | BassLong | Arp | DrumsLight, 0, Variant::Sparse},
        {{2, 3, 4, 4}, Pad | Bass | Arp | Melody | DrumsFull | Fill, 1, Variant::Plain},
    };
    p.Loops = true;
    p.Tail = 4.0;
    return p;
}

}  // namespace

Stereo ComposeTune(Tune tune) {
    const SongPlan plan = tune == Tune::Title       ? TitlePlan()
                          : tune == Tune::GameFirst ? GameFirstPlan()
                                                    : GameLoopPlan();
    Stereo song = Perform(plan);
    // Music sits under the effects: about -18 dBFS on average, peaks under -1.5 dBFS (the
    // encoder's rounding adds a little).
    LevelAverage(song, -18.0, -1.5);
    return song;
}

}  // namespace assetgen
