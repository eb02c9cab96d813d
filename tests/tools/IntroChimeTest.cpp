// The intro chime generator: a short, quiet-edged stereo WAV that never clips.

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

TEST(IntroChime, IsAShortCdQualityStereoSoundThatNeverClipsAndStartsAndEndsQuietly) {
    QTemporaryDir dir;
    QFile file(dir.filePath("intro.wav"));
    ASSERT_EQ(QProcess::execute(QStringLiteral(QUARN_INTROGEN_PATH), {file.fileName()}), 0);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    ASSERT_TRUE(bytes.size() > 44 && bytes.startsWith("RIFF") && bytes.mid(36, 4) == "data");
    const auto* header = reinterpret_cast<const uchar*>(bytes.constData());
    EXPECT_EQ(qFromLittleEndian<quint16>(header + 22), 2); // channels
    const int rate = qFromLittleEndian<qint32>(header + 24);
    EXPECT_EQ(rate, 44100);
    EXPECT_EQ(qFromLittleEndian<quint16>(header + 34), 16); // bits a sample
    std::vector<qint16> samples((bytes.size() - 44) / 2);   // interleaved
    qFromLittleEndian<qint16>(header + 44, qsizetype(samples.size()), samples.data());
    const double seconds = double(samples.size()) / 2 / rate;
    EXPECT_GE(seconds, 2.0);
    EXPECT_LE(seconds, 4.0);

    const auto [low, high] = std::minmax_element(samples.begin(), samples.end());
    const int peak = std::max(-int(*low), int(*high));
    EXPECT_LT(peak, 32767 * 0.9);  // headroom for the MP3 encoder
    EXPECT_GT(peak, 32767 * 0.25); // and still clearly audible

    // No click at either end.
    EXPECT_LT(std::abs(samples.front()), 50);
    EXPECT_LT(std::abs(samples.back()), 50);
}
