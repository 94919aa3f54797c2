#include "effects.h"

#include <algorithm>
#include <cmath>
#include <functional>

#include "common.h"

namespace assetgen {
namespace {

double Sin(double phaseTurns) {
    return std::sin(2 * Pi * phaseTurns);
}
double Noise(Random& r) {
    return r.Unit() * 2 - 1;
}

// ---------------------------------------------------------------------------------------------
// Chime, thud, click.

void AddBell(Samples& out, double at, double midi, double gain, double decay) {
    const double f = NoteHz(midi);
    const size_t start = ToFrames(at);
    for (size_t i = 0; start + i < out.size(); ++i) {
        const double t = static_cast<double>(i) / SampleRate;
        const double env = std::min(1.0, t / 0.002) * std::exp(-t / decay);
        const double index = 0.3 + 1.6 * std::exp(-t * 12);
        const double v = Sin(f * t + index * Sin(3.0 * f * t) / (2 * Pi)) +
                         0.25 * Sin(2.0 * f * t) * std::exp(-t / (decay * 0.5));
        out[start + i] += static_cast<float>(v * env * gain);
    }
}

// A bright two-note glass chime, rising a fifth.
Samples Line() {
    Samples s(ToFrames(0.9));
    AddBell(s, 0.0, 88, 0.8, 0.28);   // E6
    AddBell(s, 0.055, 95, 0.7, 0.3);  // B6
    AddBell(s, 0.055, 100, 0.2, 0.15);
    return s;
}

// A short, soft thud: a falling tone with a muffled wooden knock, pitched high enough to be
// heard on small speakers too.
Samples Drop() {
    Samples s(ToFrames(0.26));
    Random noise(11);
    Svf knock;
    knock.Set(900, 1.2);
    double phase = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        const double t = static_cast<double>(i) / SampleRate;
        phase += (75 + 130 * std::exp(-t * 40)) / SampleRate;
        const double body = Sin(phase) * std::exp(-t * 18);
        knock.Process(Noise(noise));
        const double k = knock.Band() * std::exp(-t * 60) * 2.2;
        s[i] = static_cast<float>(body + k);
    }
    return s;
}

// A short click: a noise tick and a rising blip.
Samples Rotate() {
    Samples s(ToFrames(0.07));
    Random noise(13);
    Svf band;
    band.Set(3200, 1.5);
    double phase = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        const double t = static_cast<double>(i) / SampleRate;
        band.Process(Noise(noise));
        phase += (1700 + 9000 * t) / SampleRate;
        const double v =
            band.Band() * std::exp(-t * 400) * 2.0 + 0.5 * Sin(phase) * std::exp(-t * 90);
        s[i] = static_cast<float>(v);
    }
    return s;
}

// ---------------------------------------------------------------------------------------------
// Voices: a glottal buzz through three vowel formants.

struct Vowel {
    double F1, F2, F3;
};
const Vowel VowelU{320, 800, 2240};    // "oo"
const Vowel VowelO{500, 850, 2450};    // "oh"
const Vowel VowelA{730, 1090, 2440};   // "ah"
const Vowel VowelUh{620, 1180, 2390};  // "uh"
const Vowel VowelE{530, 1840, 2480};   // "eh"

struct VoiceShape {
    double Start = 0, Length = 1;         // seconds
    std::function<double(double)> Pitch;  // f0 at time fraction 0..1
    Vowel From, To;                       // the vowel glides from one to the other
    double FormantScale = 1.0;            // >1 for higher voices
    double Attack = 0.05, Release = 0.25;
    double Breath = 0.06;
    double Gain = 1.0;
    float Pan = 0;
    uint32_t Seed = 1;
};

void AddVoice(Stereo& out, const VoiceShape& v) {
    Random noise(v.Seed);
    Svf f1, f2, f3;
    OnePole tilt;
    tilt.LowPass(1100);
    double phase = noise.Unit(), jitter = 0;
    const size_t start = ToFrames(v.Start), n = ToFrames(v.Length);
    for (size_t i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) / SampleRate;
        const double x = t / v.Length;
        if (i % 64 == 0) {
            jitter += (Noise(noise) * 0.004 - jitter * 0.05);
            const double g = SmoothStep(0.0, 1.0, x);
            const double s = v.FormantScale;
            f1.Set((v.From.F1 + (v.To.F1 - v.From.F1) * g) * s, 7);
            f2.Set((v.From.F2 + (v.To.F2 - v.From.F2) * g) * s, 10);
            f3.Set((v.From.F3 + (v.To.F3 - v.From.F3) * g) * s, 14);
        }
        const double f0 = v.Pitch(x) * (1 + jitter);
        const double dt = f0 / SampleRate;
        phase += dt;
        if (phase >= 1) phase -= 1;
        // Saw minus its own low-passed copy: a buzz rich in harmonics with a falling tilt.
        const double buzz = tilt.Process(Saw(phase, dt)) * 2.0;
        const double source = buzz + Noise(noise) * v.Breath;
        f1.Process(source);
        f2.Process(source);
        f3.Process(source);
        const double voiced = f1.Band() * 1.0 + f2.Band() * 0.55 + f3.Band() * 0.25;
        const double env =
            std::min(1.0, t / v.Attack) * std::min(1.0, std::max(0.0, (v.Length - t) / v.Release));
        out.Add(start + i, static_cast<float>(voiced * env * v.Gain), v.Pan);
    }
}

std::function<double(double)> Glide(double from, double peak, double to, double peakAt) {
    return [=](double x) {
        if (x < peakAt) return from + (peak - from) * SmoothStep(0, 1, x / peakAt);
        return peak + (to - peak) * SmoothStep(0, 1, (x - peakAt) / (1 - peakAt));
    };
}

// A crowd booing: low voices on "oo", starting one after another.
Stereo Boo() {
    Stereo s(ToFrames(1.7));
    Random r(21);
    for (int k = 0; k < 8; ++k) {
        VoiceShape v;
        v.Start = r.Range(0.0, 0.18);
        v.Length = r.Range(1.1, 1.45);
        const double f = r.Range(100, 150) * (k % 3 == 0 ? 1.6 : 1.0);
        v.Pitch = Glide(f * 0.94, f, f * 0.8, 0.25);
        v.From = VowelU;
        v.To = VowelO;
        v.FormantScale = k % 3 == 0 ? 1.12 : r.Range(0.95, 1.05);
        v.Attack = 0.08;
        v.Release = 0.4;
        v.Gain = r.Range(0.7, 1.0);
        v.Pan = static_cast<float>(r.Range(-0.7, 0.7));
        v.Seed = 100 + k;
        AddVoice(s, v);
    }
    return s;
}

// One voice groaning "uhh", sinking.
Stereo Groan() {
    Stereo s(ToFrames(1.2));
    VoiceShape v;
    v.Start = 0.0;
    v.Length = 1.15;
    v.Pitch = Glide(128, 138, 88, 0.15);
    v.From = VowelO;
    v.To = VowelUh;
    v.Attack = 0.06;
    v.Release = 0.35;
    v.Breath = 0.12;
    v.Seed = 31;
    AddVoice(s, v);
    return s;
}

// A small crowd's disappointed "aww", high and low voices together.
Stereo Groan2() {
    Stereo s(ToFrames(1.5));
    Random r(41);
    for (int k = 0; k < 6; ++k) {
        VoiceShape v;
        v.Start = r.Range(0.0, 0.12);
        v.Length = r.Range(1.1, 1.35);
        const bool high = k % 2 == 0;
        const double f = high ? r.Range(210, 260) : r.Range(115, 145);
        v.Pitch = Glide(f, f * 1.05, f * 0.78, 0.2);
        v.From = VowelA;
        v.To = VowelO;
        v.FormantScale = high ? 1.15 : 1.0;
        v.Attack = 0.07;
        v.Release = 0.45;
        v.Gain = r.Range(0.7, 1.0);
        v.Pan = static_cast<float>(r.Range(-0.6, 0.6));
        v.Seed = 200 + k;
        AddVoice(s, v);
    }
    return s;
}

// A single surprised "oh!": a quick rise and fall.
Stereo Oh() {
    Stereo s(ToFrames(0.6));
    VoiceShape v;
    v.Length = 0.55;
    v.Pitch = Glide(175, 245, 165, 0.3);
    v.From = VowelO;
    v.To = VowelU;
    v.Attack = 0.015;
    v.Release = 0.25;
    v.Breath = 0.05;
    v.Seed = 51;
    AddVoice(s, v);
    return s;
}

// ---------------------------------------------------------------------------------------------
// Crowds: clappers, cheering voices, whistles.

void AddClap(Stereo& out, double at, double centre, double gain, float pan, Random& r) {
    Svf band;
    band.Set(centre, 1.4);
    const size_t start = ToFrames(at), n = ToFrames(0.08);
    const double decay = r.Range(0.008, 0.016);
    for (size_t i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) / SampleRate;
        band.Process(Noise(r));
        const double env = std::min(1.0, t / 0.0008) * std::exp(-t / decay);
        out.Add(start + i, static_cast<float>((band.Band() * 1.5 + band.High() * 0.3) * env * gain),
                pan);
    }
}

// Applause that swells in over `grow` seconds, holds, and dies away at the end.
void AddApplause(Stereo& out, int clappers, double length, double grow, uint32_t seed) {
    Random r(seed);
    for (int k = 0; k < clappers; ++k) {
        const double rate = r.Range(3.8, 6.2);  // claps per second
        const double centre = r.Range(900, 2600);
        const float pan = static_cast<float>(r.Range(-0.9, 0.9));
        double t = r.Range(0.0, grow);  // each joins in at their own moment
        const double stop = length - r.Range(0.1, 0.7);
        while (t < stop) {
            const double swell =
                SmoothStep(0.0, grow, t) * (1.0 - SmoothStep(stop - 0.5, stop, t) * 0.7);
            AddClap(out, t, centre * r.Range(0.93, 1.07), 0.5 * swell * r.Range(0.7, 1.0), pan, r);
            t += (1.0 / rate) * r.Range(0.85, 1.15);
        }
    }
}

void AddWhistle(Stereo& out, double at, double length, double hz, float pan, double gain) {
    const size_t start = ToFrames(at), n = ToFrames(length);
    double phase = 0;
    for (size_t i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) / SampleRate;
        const double x = t / length;
        // A wolf whistle's rise and fall.
        const double f = hz * (x < 0.35 ? 0.75 + 0.35 * SmoothStep(0, 1, x / 0.35)
                                        : 1.1 - 0.45 * SmoothStep(0, 1, (x - 0.35) / 0.65));
        phase += f / SampleRate;
        const double env = std::min(1.0, t / 0.03) * std::min(1.0, (length - t) / 0.08);
        out.Add(start + i, static_cast<float>(Sin(phase) * env * gain), pan);
    }
}

Stereo Applause1() {
    Stereo s(ToFrames(1.7));
    AddApplause(s, 14, 1.7, 0.5, 61);
    return s;
}

Stereo Applause2() {
    Stereo s(ToFrames(2.2));
    AddApplause(s, 26, 2.2, 0.45, 71);
    AddWhistle(s, 0.5, 0.6, 2300, 0.5f, 0.08);
    return s;
}

// A crowd cheering "yeah!", with applause and whistles.
Stereo Cheer() {
    Stereo s(ToFrames(2.4));
    Random r(81);
    AddApplause(s, 30, 2.4, 0.35, 83);
    for (int k = 0; k < 10; ++k) {
        VoiceShape v;
        v.Start = r.Range(0.0, 0.25);
        v.Length = r.Range(1.0, 1.6);
        const bool high = k % 2 == 1;
        const double f = high ? r.Range(230, 300) : r.Range(130, 175);
        v.Pitch = Glide(f * 0.85, f * 1.3, f * 1.05, 0.3);
        v.From = VowelE;
        v.To = VowelA;
        v.FormantScale = high ? 1.15 : 1.0;
        v.Attack = 0.04;
        v.Release = 0.5;
        v.Breath = 0.15;
        v.Gain = r.Range(0.35, 0.55);
        v.Pan = static_cast<float>(r.Range(-0.8, 0.8));
        v.Seed = 300 + k;
        AddVoice(s, v);
    }
    AddWhistle(s, 0.3, 0.55, 2500, -0.5f, 0.07);
    AddWhistle(s, 0.9, 0.6, 2200, 0.6f, 0.06);
    return s;
}

// ---------------------------------------------------------------------------------------------
// Explosions.

// A sharp crack, a falling roar and a sub-bass thump.
Stereo Explode() {
    Stereo s(ToFrames(1.7));
    Random r(91);
    Svf roarL, roarR;
    double phase = 0;
    for (size_t i = 0; i < s.Frames(); ++i) {
        const double t = static_cast<double>(i) / SampleRate;
        const double cutoff = 150 + 3800 * std::exp(-t * 5.0);
        roarL.Set(cutoff, 0.8);
        roarR.Set(cutoff * 1.05, 0.8);
        const double env = std::min(1.0, t / 0.004) * std::exp(-t * 2.6);
        const double crack = Noise(r) * std::exp(-t * 60) * 0.8;
        phase += (30 + 60 * std::exp(-t * 12)) / SampleRate;
        const double thump = Sin(phase) * std::exp(-t * 5) * 0.9;
        s.L[i] = static_cast<float>(roarL.Process(Noise(r)) * env * 1.6 + crack + thump);
        s.R[i] = static_cast<float>(roarR.Process(Noise(r)) * env * 1.6 + crack + thump);
    }
    return s;
}

// A deep boom with debris crackling down after it.
Stereo Explode2() {
    Stereo s(ToFrames(2.0));
    Random r(93);
    Svf rumble;
    Svf crackle;
    crackle.Set(4200, 1.2);
    double phase = 0;
    for (size_t i = 0; i < s.Frames(); ++i) {
        const double t = static_cast<double>(i) / SampleRate;
        rumble.Set(90 + 900 * std::exp(-t * 3.0), 1.1);
        const double env = std::min(1.0, t / 0.015) * std::exp(-t * 1.9);
        phase += (26 + 55 * std::exp(-t * 6)) / SampleRate;
        const double boom = Sin(phase) * std::exp(-t * 3.2) * 1.1;
        const double body = rumble.Process(Noise(r)) * env * 2.2;
        // Debris: sparse impulses, thinning out.
        const double density =
            0.004 * std::exp(-std::max(0.0, t - 0.25) * 2.5) * (t > 0.15 ? 1 : 0);
        const double impulse = r.Unit() < density ? Noise(r) * 4.0 : 0.0;
        crackle.Process(impulse);
        const double debris = crackle.Band() * 0.8;
        const float pan = static_cast<float>(Sin(t * 0.7) * 0.5);
        s.Add(i, static_cast<float>(boom + body), 0.0f);
        s.Add(i, static_cast<float>(debris), pan);
    }
    return s;
}

Stereo ToStereo(const Samples& mono) {
    Stereo s(mono.size());
    s.L = mono;
    s.R = mono;
    return s;
}

}  // namespace

std::vector<Effect> MakeEffects() {
    struct Recipe {
        SoundSlot Slot;
        double RmsDb;  // loudest 100 ms
        bool Mono;
        std::function<Stereo()> Make;
    };
    const Recipe recipes[] = {
        {SoundLine, -16, true, [] { return ToStereo(Line()); }},
        {SoundDrop, -15, true, [] { return ToStereo(Drop()); }},
        {SoundRotate, -22, true, [] { return ToStereo(Rotate()); }},
        {SoundBoo, -17, false, Boo},
        {SoundGroan, -17, true, Groan},
        {SoundGroan2, -17, false, Groan2},
        {SoundOh, -17, true, Oh},
        {SoundApplause1, -18, false, Applause1},
        {SoundApplause2, -17, false, Applause2},
        {SoundCheer, -16, false, Cheer},
        {SoundExplode, -13, false, Explode},
        {SoundExplode2, -13, false, Explode2},
    };
    std::vector<Effect> effects;
    for (const Recipe& recipe : recipes) {
        Stereo sound = recipe.Make();
        // Fades first, so that levelling measures what will be heard.
        FadeEdges(sound, 0.002, std::min(0.25, sound.Frames() / 4.0 / SampleRate));
        Level(sound, recipe.RmsDb, -1.0);
        effects.push_back({recipe.Slot, std::move(sound), recipe.Mono});
    }
    return effects;
}

}  // namespace assetgen
