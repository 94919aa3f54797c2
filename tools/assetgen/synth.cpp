#include "synth.h"

#include <sndfile.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <stdexcept>

namespace assetgen {

void Stereo::Mix(const Stereo& other, float gain, size_t offset) {
    if (offset + other.Frames() > Frames()) Resize(offset + other.Frames());
    for (size_t i = 0; i < other.Frames(); ++i) {
        L[offset + i] += other.L[i] * gain;
        R[offset + i] += other.R[i] * gain;
    }
}

double Adsr::At(double t, double held) const {
    if (t < 0) return 0;
    auto before = [this](double u) {
        if (u < A) return u / A;
        if (u < A + D) {
            const double x = (u - A) / D;
            return S + (1.0 - S) * (1.0 - x) * (1.0 - x);
        }
        return S;
    };
    if (t < held) return before(t);
    const double x = (t - held) / R;
    if (x >= 1) return 0;
    return before(held) * (1.0 - x) * (1.0 - x);
}

double PolyBlep(double t, double dt) {
    if (t < dt) {
        t /= dt;
        return t + t - t * t - 1.0;
    }
    if (t > 1.0 - dt) {
        t = (t - 1.0) / dt;
        return t * t + t + t + 1.0;
    }
    return 0.0;
}

double Square(double phase, double dt, double width) {
    double v = phase < width ? 1.0 : -1.0;
    v += PolyBlep(phase, dt);
    double shifted = phase - width;
    if (shifted < 0) shifted += 1.0;
    v -= PolyBlep(shifted, dt);
    return v;
}

void Svf::Set(double cutoffHz, double q) {
    cutoffHz = std::clamp(cutoffHz, 10.0, SampleRate * 0.45);
    const double g = std::tan(Pi * cutoffHz / SampleRate);
    k_ = 1.0 / q;
    a1_ = 1.0 / (1.0 + g * (g + k_));
    a2_ = g * a1_;
    a3_ = g * a2_;
}

double Svf::Process(double x) {
    const double v3 = x - ic2_;
    const double v1 = a1_ * ic1_ + a2_ * v3;
    const double v2 = ic2_ + a2_ * ic1_ + a3_ * v3;
    ic1_ = 2 * v1 - ic1_;
    ic2_ = 2 * v2 - ic2_;
    band_ = v1;
    high_ = x - k_ * v1 - v2;
    return v2;
}

Reverb::Reverb(double roomSize, double damping, double width)
    : feedback_(static_cast<float>(0.28 + 0.7 * roomSize)),
      damp_(static_cast<float>(0.4 * damping)),
      width_(static_cast<float>(width)) {
    const int combSizes[8] = {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
    const int allPassSizes[4] = {556, 441, 341, 225};
    for (int side = 0; side < 2; ++side) {
        const int spread = side * 23;
        for (int i = 0; i < 8; ++i) combs_[side][i].Buffer.assign(combSizes[i] + spread, 0.0f);
        for (int i = 0; i < 4; ++i) {
            allPasses_[side][i].Buffer.assign(allPassSizes[i] + spread, 0.0f);
        }
    }
}

void Reverb::Process(const Samples& in, Stereo& out, float wet) {
    if (out.Frames() < in.size()) out.Resize(in.size());
    const float wet1 = wet * (width_ / 2 + 0.5f), wet2 = wet * ((1 - width_) / 2);
    for (size_t n = 0; n < in.size(); ++n) {
        const float input = in[n] * 0.03f;
        float side[2];
        for (int s = 0; s < 2; ++s) {
            float acc = 0;
            for (Comb& c : combs_[s]) {
                const float y = c.Buffer[c.Pos];
                c.Store = y * (1 - damp_) + c.Store * damp_;
                c.Buffer[c.Pos] = input + c.Store * feedback_;
                if (++c.Pos == c.Buffer.size()) c.Pos = 0;
                acc += y;
            }
            for (AllPass& a : allPasses_[s]) {
                const float buffered = a.Buffer[a.Pos];
                const float y = buffered - acc;
                a.Buffer[a.Pos] = acc + buffered * 0.5f;
                if (++a.Pos == a.Buffer.size()) a.Pos = 0;
                acc = y;
            }
            side[s] = acc;
        }
        out.L[n] += side[0] * wet1 + side[1] * wet2;
        out.R[n] += side[1] * wet1 + side[0] * wet2;
    }
}

void PingPongDelay(const Samples& in, Stereo& out, double seconds, float feedback, float wet,
                   double toneHz) {
    if (out.Frames() < in.size()) out.Resize(in.size());
    const size_t d = std::max<size_t>(1, ToFrames(seconds));
    std::vector<float> bufL(d, 0.0f), bufR(d, 0.0f);
    OnePole toneL, toneR;
    toneL.LowPass(toneHz);
    toneR.LowPass(toneHz);
    size_t pos = 0;
    for (size_t n = 0; n < in.size(); ++n) {
        const float dl = bufL[pos], dr = bufR[pos];
        // The input enters on the left; each echo crosses to the other side.
        bufL[pos] = static_cast<float>(toneL.Process(in[n] + dr * feedback));
        bufR[pos] = static_cast<float>(toneR.Process(dl * feedback));
        out.L[n] += dl * wet;
        out.R[n] += dr * wet;
        if (++pos == d) pos = 0;
    }
}

namespace {

double Fade(size_t i, size_t n) {
    const double x = (i + 0.5) / n;
    return 0.5 - 0.5 * std::cos(Pi * x);
}

}  // namespace

void FadeEdges(Samples& s, double inSeconds, double outSeconds) {
    const size_t in = std::min(ToFrames(inSeconds), s.size());
    const size_t out = std::min(ToFrames(outSeconds), s.size());
    for (size_t i = 0; i < in; ++i) s[i] *= static_cast<float>(Fade(i, in));
    for (size_t i = 0; i < out; ++i) s[s.size() - 1 - i] *= static_cast<float>(Fade(i, out));
}

void FadeEdges(Stereo& s, double inSeconds, double outSeconds) {
    FadeEdges(s.L, inSeconds, outSeconds);
    FadeEdges(s.R, inSeconds, outSeconds);
}

double Peak(const Samples& s) {
    double p = 0;
    for (float v : s) p = std::max(p, static_cast<double>(std::abs(v)));
    return p;
}

double Peak(const Stereo& s) {
    return std::max(Peak(s.L), Peak(s.R));
}

double Rms(const Samples& s) {
    if (s.empty()) return 0;
    double sum = 0;
    for (float v : s) sum += static_cast<double>(v) * v;
    return std::sqrt(sum / s.size());
}

double LoudestWindowRms(const Samples& s) {
    const size_t window = ToFrames(0.1), hop = window / 4;
    if (s.size() <= window) return Rms(s);
    double best = 0;
    for (size_t start = 0; start + window <= s.size(); start += hop) {
        double sum = 0;
        for (size_t i = start; i < start + window; ++i) sum += static_cast<double>(s[i]) * s[i];
        best = std::max(best, std::sqrt(sum / window));
    }
    return best;
}

namespace {

// A look-ahead peak limiter: the gain needed at each sample is spread smoothly over the 2 ms
// before and after it and recovers over about 80 ms, so no sample ends above the ceiling and
// there is no sudden gain step to click.
std::vector<float> LimiterGain(const std::vector<const Samples*>& channels, double ceiling) {
    const size_t n = channels.front()->size();
    std::vector<float> need(n, 1.0f);
    for (const Samples* c : channels) {
        for (size_t i = 0; i < n; ++i) {
            const double a = std::abs((*c)[i]);
            if (a > ceiling) need[i] = std::min(need[i], static_cast<float>(ceiling / a));
        }
    }
    const size_t look = ToFrames(0.002);
    // Minimum over [i - look, i + look] (a monotonic queue keeps this linear).
    std::vector<float> low(n);
    std::vector<size_t> queue(n + 2 * look + 1);
    size_t head = 0, tail = 0;
    for (size_t j = 0; j < n + look; ++j) {
        if (j < n) {
            while (tail > head && need[queue[tail - 1]] >= need[j]) --tail;
            queue[tail++] = j;
        }
        if (j >= look) {
            const size_t i = j - look;
            while (queue[head] + look < i) ++head;
            low[i] = need[queue[head]];
        }
    }
    // Moving average over [i - look, i + look]: never above need[i], and smooth.
    std::vector<float> gain(n);
    double sum = 0;
    const size_t width = 2 * look + 1;
    for (size_t j = 0; j < n + look; ++j) {
        sum += j < n ? low[j] : 1.0;
        if (j >= width) sum -= low[j - width];
        if (j >= look) {
            const size_t i = j - look;
            const size_t count = std::min(j + 1, width);
            const double padded = sum + static_cast<double>(width - count);  // 1.0 before the start
            gain[i] = static_cast<float>(padded / width);
        }
    }
    const double recover = 1.0 / ToFrames(0.08);
    for (size_t i = 1; i < n; ++i) {
        gain[i] = static_cast<float>(std::min(static_cast<double>(gain[i]), gain[i - 1] + recover));
    }
    return gain;
}

void Limit(std::vector<Samples*> channels, double ceiling) {
    std::vector<const Samples*> view(channels.begin(), channels.end());
    const std::vector<float> gain = LimiterGain(view, ceiling);
    for (Samples* c : channels) {
        for (size_t i = 0; i < c->size(); ++i) (*c)[i] *= gain[i];
    }
}

}  // namespace

void Level(Samples& s, double rmsDb, double peakDb) {
    const double rms = LoudestWindowRms(s);
    if (rms <= 0) return;
    const double gain = DbToGain(rmsDb) / rms;
    for (float& v : s) v = static_cast<float>(v * gain);
    if (Peak(s) > DbToGain(peakDb)) Limit({&s}, DbToGain(peakDb));
}

namespace {

// Both channels scaled by gain, then limited to the peak.
void ScaleAndLimit(Stereo& s, double gain, double peakDb) {
    for (size_t i = 0; i < s.Frames(); ++i) {
        s.L[i] = static_cast<float>(s.L[i] * gain);
        s.R[i] = static_cast<float>(s.R[i] * gain);
    }
    if (Peak(s) > DbToGain(peakDb)) Limit({&s.L, &s.R}, DbToGain(peakDb));
}

}  // namespace

void Level(Stereo& s, double rmsDb, double peakDb) {
    Samples mid(s.Frames());
    for (size_t i = 0; i < mid.size(); ++i) mid[i] = (s.L[i] + s.R[i]) * 0.5f;
    const double rms = LoudestWindowRms(mid);
    if (rms <= 0) return;
    ScaleAndLimit(s, DbToGain(rmsDb) / rms, peakDb);
}

void LevelAverage(Stereo& s, double rmsDb, double peakDb) {
    double sum = 0;
    for (size_t i = 0; i < s.Frames(); ++i) {
        const double m = (s.L[i] + s.R[i]) * 0.5;
        sum += m * m;
    }
    const double rms = s.Frames() ? std::sqrt(sum / s.Frames()) : 0.0;
    if (rms <= 0) return;
    ScaleAndLimit(s, DbToGain(rmsDb) / rms, peakDb);
}

namespace {

// Opens path for writing in the given format; the caller closes it.
SNDFILE* Open(const std::string& path, int format, int channels) {
    SF_INFO info{};
    info.samplerate = SampleRate;
    info.channels = channels;
    info.format = format;
    const bool mp3 = (format & SF_FORMAT_TYPEMASK) == SF_FORMAT_MPEG;
    if (!sf_format_check(&info)) {
        throw std::runtime_error("this libsndfile cannot write " + path +
                                 (mp3 ? " (it needs MP3 support through LAME)" : ""));
    }
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file) throw std::runtime_error("cannot write " + path + ": " + sf_strerror(nullptr));
    if (mp3) {
        // Constant 128 kbit/s: plenty for these soft timbres, and small on disk.
        int mode = SF_BITRATE_MODE_CONSTANT;
        sf_command(file, SFC_SET_BITRATE_MODE, &mode, sizeof mode);
        double compression = (320.0 - 128.0) / (320.0 - 32.0);
        sf_command(file, SFC_SET_COMPRESSION_LEVEL, &compression, sizeof compression);
    }
    return file;
}

void Close(SNDFILE* file, const std::string& path, bool complete) {
    const std::string error = sf_strerror(file);
    if (sf_close(file) != 0 || !complete)
        throw std::runtime_error("cannot write " + path + ": " + error);
}

}  // namespace

void WriteWav(const std::string& path, const Samples& mono) {
    SNDFILE* file = Open(path, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1);
    const sf_count_t count = static_cast<sf_count_t>(mono.size());
    Close(file, path, sf_writef_float(file, mono.data(), count) == count);
}

namespace {

// Writes a stereo signal a block at a time, so it is never interleaved whole in memory.
void WriteStereo(const std::string& path, int format, const Stereo& stereo) {
    SNDFILE* file = Open(path, format, 2);
    constexpr size_t Block = 8192;
    std::vector<float> frames(Block * 2);
    bool complete = true;
    for (size_t start = 0; start < stereo.Frames() && complete; start += Block) {
        const size_t n = std::min(Block, stereo.Frames() - start);
        for (size_t i = 0; i < n; ++i) {
            frames[2 * i] = stereo.L[start + i];
            frames[2 * i + 1] = stereo.R[start + i];
        }
        complete = sf_writef_float(file, frames.data(), static_cast<sf_count_t>(n)) ==
                   static_cast<sf_count_t>(n);
    }
    Close(file, path, complete);
}

}  // namespace

void WriteWav(const std::string& path, const Stereo& stereo) {
    WriteStereo(path, SF_FORMAT_WAV | SF_FORMAT_PCM_16, stereo);
}

void WriteMp3(const std::string& path, const Stereo& stereo) {
    WriteStereo(path, SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, stereo);
}

namespace {

// An Ogg file encoded into memory through libsndfile's virtual I/O.
struct MemoryFile {
    std::vector<unsigned char> Bytes;
    sf_count_t Position = 0;
};

sf_count_t MemoryLength(void* data) {
    return static_cast<sf_count_t>(static_cast<MemoryFile*>(data)->Bytes.size());
}
sf_count_t MemorySeek(sf_count_t offset, int whence, void* data) {
    auto* file = static_cast<MemoryFile*>(data);
    const sf_count_t base = whence == SEEK_SET   ? 0
                            : whence == SEEK_CUR ? file->Position
                                                 : static_cast<sf_count_t>(file->Bytes.size());
    file->Position = std::max<sf_count_t>(0, base + offset);
    return file->Position;
}
sf_count_t MemoryRead(void* out, sf_count_t count, void* data) {
    auto* file = static_cast<MemoryFile*>(data);
    const sf_count_t size = static_cast<sf_count_t>(file->Bytes.size());
    const sf_count_t n = std::max<sf_count_t>(0, std::min(count, size - file->Position));
    if (n > 0) std::memcpy(out, file->Bytes.data() + file->Position, static_cast<size_t>(n));
    file->Position += n;
    return n;
}
sf_count_t MemoryWrite(const void* in, sf_count_t count, void* data) {
    auto* file = static_cast<MemoryFile*>(data);
    const size_t end = static_cast<size_t>(file->Position + count);
    if (end > file->Bytes.size()) file->Bytes.resize(end);
    std::memcpy(file->Bytes.data() + file->Position, in, static_cast<size_t>(count));
    file->Position += count;
    return count;
}
sf_count_t MemoryTell(void* data) {
    return static_cast<MemoryFile*>(data)->Position;
}

// The CRC of an Ogg page: polynomial 0x04C11DB7, not reflected, from 0.
uint32_t OggCrc(const unsigned char* bytes, size_t size) {
    uint32_t crc = 0;
    for (size_t i = 0; i < size; ++i) {
        crc ^= static_cast<uint32_t>(bytes[i]) << 24;
        for (int bit = 0; bit < 8; ++bit)
            crc = crc & 0x80000000u ? crc << 1 ^ 0x04C11DB7u : crc << 1;
    }
    return crc;
}

// libsndfile gives each Ogg stream a serial number drawn from the clock; a fixed one keeps the
// generator's output the same on every run. Every page carries it, under its own CRC.
void FixOggSerial(std::vector<unsigned char>& ogg) {
    constexpr uint32_t Serial = 0x5A54524Bu;
    size_t at = 0;
    while (at + 27 <= ogg.size() && std::memcmp(&ogg[at], "OggS", 4) == 0) {
        const size_t segments = ogg[at + 26];
        size_t size = 27 + segments;
        if (at + size > ogg.size()) break;
        for (size_t i = 0; i < segments; ++i) size += ogg[at + 27 + i];
        if (at + size > ogg.size()) break;
        for (int i = 0; i < 4; ++i) {
            ogg[at + 14 + i] = static_cast<unsigned char>(Serial >> (8 * i));
            ogg[at + 22 + i] = 0;
        }
        const uint32_t crc = OggCrc(&ogg[at], size);
        for (int i = 0; i < 4; ++i) ogg[at + 22 + i] = static_cast<unsigned char>(crc >> (8 * i));
        at += size;
    }
    if (at != ogg.size())
        throw std::runtime_error("libsndfile wrote an Ogg stream this cannot read");
}

}  // namespace

void WriteOggVorbis(const std::string& path, const Stereo& sound, bool mono) {
    SF_INFO info{};
    info.samplerate = SampleRate;
    info.channels = mono ? 1 : 2;
    info.format = SF_FORMAT_OGG | SF_FORMAT_VORBIS;
    if (!sf_format_check(&info)) {
        throw std::runtime_error("this libsndfile cannot write Ogg Vorbis (" + path + ")");
    }
    MemoryFile memory;
    SF_VIRTUAL_IO io{MemoryLength, MemorySeek, MemoryRead, MemoryWrite, MemoryTell};
    SNDFILE* file = sf_open_virtual(&io, SFM_WRITE, &info, &memory);
    if (!file) throw std::runtime_error("cannot write " + path + ": " + sf_strerror(nullptr));
    // Quality 0.6 of 1 (Vorbis's q6): no difference a player can hear in these effects.
    double quality = 0.6;
    sf_command(file, SFC_SET_VBR_ENCODING_QUALITY, &quality, sizeof quality);
    bool complete = true;
    constexpr size_t Block = 8192;
    std::vector<float> frames(Block * 2);
    for (size_t start = 0; start < sound.Frames() && complete; start += Block) {
        const size_t n = std::min(Block, sound.Frames() - start);
        for (size_t i = 0; i < n; ++i) {
            if (mono) {
                frames[i] = sound.L[start + i];
            } else {
                frames[2 * i] = sound.L[start + i];
                frames[2 * i + 1] = sound.R[start + i];
            }
        }
        complete = sf_writef_float(file, frames.data(), static_cast<sf_count_t>(n)) ==
                   static_cast<sf_count_t>(n);
    }
    Close(file, path, complete);
    FixOggSerial(memory.Bytes);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(memory.Bytes.data()),
              static_cast<std::streamsize>(memory.Bytes.size()));
    if (!out.flush()) throw std::runtime_error("cannot write " + path);
}

}  // namespace assetgen
