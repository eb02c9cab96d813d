// Synthesises the intro chime: a rising C major arpeggio of soft bell tones
// spread across the stereo field, about three seconds long, written as a
// 16-bit 44.1 kHz stereo WAV. tools/make-intro encodes it to intro.mp3.
// Everything is computed, nothing is random, so every run writes the same file.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <numbers>
#include <vector>

namespace {

constexpr int kSampleRate = 44100;
constexpr double kLength = 3.2;    // seconds
constexpr double kFadeOut = 0.6;   // seconds at the end brought down to silence
constexpr double kPeakLevel = 0.7; // about -3 dBFS, well clear of clipping

struct Partial {
    double ratio; // to the note's pitch; not all whole, which gives the bell its shimmer
    double level;
    double lifetime; // seconds for the level to fall to 1/e
};

constexpr Partial kBell[] = {
    {1.0, 1.0, 1.1}, {2.0, 0.32, 0.6}, {3.01, 0.12, 0.35}, {4.16, 0.05, 0.2}, {5.43, 0.025, 0.12}};

struct Note {
    double start; // seconds
    double pitch; // Hz
    double pan;   // -1 left .. 1 right
    double level;
};

constexpr Note kChime[] = {{0.00, 261.63, 0.0, 0.45},
                           {0.00, 523.25, -0.45, 0.8},
                           {0.12, 659.26, 0.35, 0.7},
                           {0.24, 783.99, -0.2, 0.65},
                           {0.36, 1046.50, 0.5, 0.55}};

// A raised-cosine rise, so that no note starts with a click.
double attack(double t) {
    constexpr double kRise = 0.012;
    return t >= kRise ? 1.0 : 0.5 - 0.5 * std::cos(std::numbers::pi * t / kRise);
}

double bellTone(double t, double pitch) {
    double sum = 0;
    for (const Partial& partial : kBell)
        sum += partial.level * std::exp(-t / partial.lifetime) *
               std::sin(2 * std::numbers::pi * pitch * partial.ratio * t);
    return sum * attack(t);
}

double fade(double t) {
    const double left = kLength - t;
    return left >= kFadeOut ? 1.0 : 0.5 - 0.5 * std::cos(std::numbers::pi * left / kFadeOut);
}

// Left and right channels, interleaved, before scaling.
std::vector<double> render() {
    const int frames = int(kLength * kSampleRate);
    std::vector<double> mix(static_cast<size_t>(frames) * 2, 0.0);
    for (const Note& note : kChime) {
        // Equal-power panning keeps the loudness steady across the field.
        const double angle = (note.pan + 1) * std::numbers::pi / 4;
        const double left = std::cos(angle) * note.level, right = std::sin(angle) * note.level;
        for (int i = int(note.start * kSampleRate); i < frames; ++i) {
            const double t = double(i) / kSampleRate;
            const double v = bellTone(t - note.start, note.pitch) * fade(t);
            mix[static_cast<size_t>(i) * 2] += v * left;
            mix[static_cast<size_t>(i) * 2 + 1] += v * right;
        }
    }
    return mix;
}

std::vector<std::int16_t> toPcm(const std::vector<double>& mix) {
    double peak = 0;
    for (double v : mix)
        peak = std::max(peak, std::abs(v));
    const double scale = kPeakLevel * 32767 / peak;
    std::vector<std::int16_t> pcm;
    pcm.reserve(mix.size());
    for (double v : mix)
        pcm.push_back(static_cast<std::int16_t>(std::lround(v * scale)));
    return pcm;
}

void put(std::ofstream& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.put(char((value >> (8 * i)) & 0xff));
}

bool writeWav(const char* path, const std::vector<std::int16_t>& pcm) {
    std::ofstream out(path, std::ios::binary);
    const std::uint32_t dataBytes = std::uint32_t(pcm.size() * 2);
    out.write("RIFF", 4);
    put(out, 36 + dataBytes, 4);
    out.write("WAVEfmt ", 8);
    put(out, 16, 4);
    put(out, 1, 2); // PCM
    put(out, 2, 2); // stereo
    put(out, kSampleRate, 4);
    put(out, kSampleRate * 4, 4);
    put(out, 4, 2);
    put(out, 16, 2);
    out.write("data", 4);
    put(out, dataBytes, 4);
    for (std::int16_t sample : pcm)
        put(out, std::uint16_t(sample), 2);
    return bool(out);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: quarn-introgen <output.wav>\n");
        return 2;
    }
    if (!writeWav(argv[1], toPcm(render()))) {
        std::fprintf(stderr, "quarn-introgen: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
