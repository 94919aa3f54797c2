// Measures what the generator made, for a person to read:
//   zantorvix_assetcheck RUN_DIR                 sizes, and per sound its length, peak and loudness
//   zantorvix_assetcheck RUN_DIR SOUND OUT.png   also draws that sound's waveform and spectrogram
// Reads the MP3s back through libsndfile, so the figures are those of the encoded files.
#include <cairo.h>
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

struct Decoded {
    int Rate = 0, Channels = 0;
    std::vector<float> Frames;  // interleaved
};

bool Decode(const std::string& path, Decoded& out) {
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file) return false;
    out.Rate = info.samplerate;
    out.Channels = info.channels;
    std::vector<float> block(4096 * info.channels);
    sf_count_t got;
    while ((got = sf_readf_float(file, block.data(), 4096)) > 0) {
        out.Frames.insert(out.Frames.end(), block.begin(), block.begin() + got * info.channels);
    }
    sf_close(file);
    return true;
}

double Db(double v) {
    return v > 0 ? 20 * std::log10(v) : -200;
}

std::vector<float> Mid(const Decoded& d) {
    std::vector<float> mid(d.Frames.size() / d.Channels);
    for (size_t i = 0; i < mid.size(); ++i) {
        double s = 0;
        for (int c = 0; c < d.Channels; ++c) s += d.Frames[i * d.Channels + c];
        mid[i] = static_cast<float>(s / d.Channels);
    }
    return mid;
}

void Fft(std::vector<std::complex<double>>& a) {
    const size_t n = a.size();
    for (size_t i = 1, j = 0; i < n; ++i) {
        size_t bit = n >> 1;
        for (; j & bit; bit >>= 1) j ^= bit;
        j ^= bit;
        if (i < j) std::swap(a[i], a[j]);
    }
    for (size_t len = 2; len <= n; len <<= 1) {
        const double angle = -2 * M_PI / len;
        const std::complex<double> w(std::cos(angle), std::sin(angle));
        for (size_t i = 0; i < n; i += len) {
            std::complex<double> wk(1);
            for (size_t k = 0; k < len / 2; ++k) {
                const auto u = a[i + k], v = a[i + k + len / 2] * wk;
                a[i + k] = u + v;
                a[i + k + len / 2] = u - v;
                wk *= w;
            }
        }
    }
}

// Waveform on top, log-frequency spectrogram (50 Hz to 12 kHz) below.
void Draw(const Decoded& d, const std::string& out) {
    const std::vector<float> mid = Mid(d);
    const int w = 1600, wave = 120, spectrum = 400, h = wave + spectrum;
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h);
    cairo_t* cr = cairo_create(surface);
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_paint(cr);
    const size_t per = std::max<size_t>(1, mid.size() / w);
    cairo_set_source_rgb(cr, 0.4, 0.9, 1.0);
    for (int x = 0; x < w; ++x) {
        float lo = 0, hi = 0;
        for (size_t i = x * per; i < std::min(mid.size(), (x + 1) * per); ++i) {
            lo = std::min(lo, mid[i]);
            hi = std::max(hi, mid[i]);
        }
        cairo_rectangle(cr, x, wave / 2 - hi * wave / 2, 1, std::max(1.0f, (hi - lo) * wave / 2));
    }
    cairo_fill(cr);
    cairo_surface_flush(surface);
    unsigned char* px = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    const size_t n = 4096;
    for (int x = 0; x < w; ++x) {
        const size_t centre = static_cast<size_t>(x) * mid.size() / w;
        std::vector<std::complex<double>> a(n);
        for (size_t i = 0; i < n; ++i) {
            const size_t k = centre + i;
            const double hann = 0.5 - 0.5 * std::cos(2 * M_PI * i / n);
            a[i] = k < mid.size() ? mid[k] * hann : 0.0;
        }
        Fft(a);
        for (int y = 0; y < spectrum; ++y) {
            const double f = 50 * std::pow(12000.0 / 50, 1.0 - static_cast<double>(y) / spectrum);
            const size_t bin = std::min(n / 2 - 1, static_cast<size_t>(f * n / d.Rate));
            const double level = (Db(std::abs(a[bin]) / n * 4) + 90) / 80;  // -90..-10 dB
            const double v = std::clamp(level, 0.0, 1.0);
            unsigned char* p = px + (wave + y) * stride + x * 4;
            p[2] = static_cast<unsigned char>(255 * std::min(1.0, v * 1.6));
            p[1] = static_cast<unsigned char>(255 * std::clamp(v * 1.6 - 0.5, 0.0, 1.0));
            p[0] = static_cast<unsigned char>(255 * std::clamp(v * 2 - 1.2, 0.0, 1.0) + 60 * v);
        }
    }
    cairo_surface_mark_dirty(surface);
    cairo_surface_write_to_png(surface, out.c_str());
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 && argc != 4) {
        std::fprintf(stderr, "usage: %s RUN_DIR [SOUND OUT.png]\n", argv[0]);
        return 2;
    }
    const std::string run = argv[1];
    namespace fs = std::filesystem;
    if (!fs::is_directory(run + "/gfx") || !fs::is_directory(run + "/sfx")) {
        std::fprintf(stderr, "%s: no gfx/ and sfx/ under %s\n", argv[0], run.c_str());
        return 1;
    }
    if (argc == 4) {
        Decoded d;
        if (!Decode(run + "/sfx/" + argv[2], d)) {
            std::fprintf(stderr, "%s: cannot read sfx/%s\n", argv[0], argv[2]);
            return 1;
        }
        Draw(d, argv[3]);
        return 0;
    }
    uintmax_t pictures = 0, sounds = 0;
    for (const auto& e : fs::recursive_directory_iterator(run + "/gfx")) {
        if (e.is_regular_file()) pictures += e.file_size();
    }
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(run + "/sfx")) {
        if (e.is_regular_file()) {
            sounds += e.file_size();
            names.push_back(e.path().filename().string());
        }
    }
    std::sort(names.begin(), names.end());
    std::printf("%-15s %7s %4s %8s %9s %9s %9s %9s\n", "sound", "seconds", "ch", "kB", "peak dB",
                "rms dB", "loud dB", "edge dB");
    int failures = 0;
    for (const std::string& name : names) {
        Decoded d;
        if (!Decode(run + "/sfx/" + name, d) || d.Frames.empty()) {
            std::printf("%-15s cannot be read\n", name.c_str());
            ++failures;
            continue;
        }
        const std::vector<float> mid = Mid(d);
        double peak = 0, sum = 0;
        for (float v : d.Frames) peak = std::max(peak, static_cast<double>(std::abs(v)));
        for (float v : mid) sum += static_cast<double>(v) * v;
        const double rms = std::sqrt(sum / mid.size());
        // Loudest 100 ms window (the whole sound if shorter), and the loudest of the ten samples
        // at either end: a sound that starts or stops away from zero clicks.
        const size_t win = d.Rate / 10;
        double loud = mid.size() < win ? rms : 0;
        for (size_t s = 0; s + win <= mid.size(); s += win / 4) {
            double ws = 0;
            for (size_t i = s; i < s + win; ++i) ws += static_cast<double>(mid[i]) * mid[i];
            loud = std::max(loud, std::sqrt(ws / win));
        }
        const size_t edge = 10;
        double edges = 0;
        for (size_t i = 0; i < std::min(edge, mid.size()); ++i) {
            edges = std::max({edges, static_cast<double>(std::abs(mid[i])),
                              static_cast<double>(std::abs(mid[mid.size() - 1 - i]))});
        }
        std::printf("%-15s %7.2f %4d %8.1f %9.2f %9.2f %9.2f %9.1f\n", name.c_str(),
                    static_cast<double>(mid.size()) / d.Rate, d.Channels,
                    fs::file_size(run + "/sfx/" + name) / 1024.0, Db(peak), Db(rms), Db(loud),
                    Db(edges));
    }
    std::printf("pictures %.2f MB, sounds %.2f MB, together %.2f MB\n", pictures / 1048576.0,
                sounds / 1048576.0, (pictures + sounds) / 1048576.0);
    return failures == 0 ? 0 : 1;
}
