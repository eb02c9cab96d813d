// The intro chime generator: a short, quiet-edged stereo WAV that never clips.

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace {

struct Wav {
    int channels = 0, sampleRate = 0, bits = 0;
    std::vector<std::int16_t> samples; // interleaved
};

int le(const QByteArray& bytes, int at, int size) {
    int value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = value << 8 | quint8(bytes[at + i]);
    return value;
}

Wav synthesise() {
    QTemporaryDir dir;
    const QString path = dir.filePath("intro.wav");
    QProcess::execute(QStringLiteral(QUARN_INTROGEN_PATH), {path});
    QFile file(path);
    Wav wav;
    if (!file.open(QIODevice::ReadOnly))
        return wav;
    const QByteArray bytes = file.readAll();
    if (bytes.size() < 44 || !bytes.startsWith("RIFF") || bytes.mid(36, 4) != "data")
        return wav;
    wav.channels = le(bytes, 22, 2);
    wav.sampleRate = le(bytes, 24, 4);
    wav.bits = le(bytes, 34, 2);
    for (int at = 44; at + 1 < bytes.size(); at += 2)
        wav.samples.push_back(std::int16_t(le(bytes, at, 2)));
    return wav;
}

// Root mean square of `seconds` of audio starting at `from`.
double level(const Wav& wav, double from, double seconds) {
    const size_t begin = size_t(from * wav.sampleRate) * 2;
    const size_t end = std::min(wav.samples.size(), begin + size_t(seconds * wav.sampleRate) * 2);
    double sum = 0;
    for (size_t i = begin; i < end; ++i)
        sum += double(wav.samples[i]) * wav.samples[i];
    return end > begin ? std::sqrt(sum / double(end - begin)) : 0;
}

TEST(IntroChime, IsAShortCdQualityStereoSoundThatNeverClipsAndStartsAndEndsQuietly) {
    const Wav wav = synthesise();
    EXPECT_EQ(wav.channels, 2);
    EXPECT_EQ(wav.sampleRate, 44100);
    EXPECT_EQ(wav.bits, 16);
    ASSERT_FALSE(wav.samples.empty());
    const double seconds = double(wav.samples.size()) / 2 / wav.sampleRate;
    EXPECT_GE(seconds, 2.0);
    EXPECT_LE(seconds, 4.0);

    const auto [low, high] = std::minmax_element(wav.samples.begin(), wav.samples.end());
    const int peak = std::max(-int(*low), int(*high));
    EXPECT_LT(peak, 32767 * 0.9);  // headroom for the MP3 encoder
    EXPECT_GT(peak, 32767 * 0.25); // and still clearly audible

    // No click at either end.
    EXPECT_LT(std::abs(wav.samples.front()), 50);
    EXPECT_LT(level(wav, 0, 0.002), level(wav, 0.05, 0.05) / 4);
    EXPECT_LT(level(wav, seconds - 0.02, 0.02), 20);
    EXPECT_GT(level(wav, 0.3, 0.5), level(wav, seconds - 0.5, 0.5));
}

} // namespace
