#include "engine/MpvEngine.h"
#include "support/MediaFixtures.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>
#include <cmath>
#include <cstring>
#include <functional>
#include <gtest/gtest.h>

using namespace quarn;
namespace media = quarn::test::media;

namespace {

// A tone of 440 Hz at 44.1 kHz, for these many seconds and with these options.
QString tone(const QString& name, const QString& arguments) {
    return media::Made(name, "-f lavfi -i sine=f=440:sample_rate=44100:duration=" + arguments);
}

// A clip of 10 s with a chapter every 2 s, "One" to "Five".
QString chaptered() {
    QString chapters = QStringLiteral(";FFMETADATA1\n");
    const char* const titles[] = {"One", "Two", "Three", "Four", "Five"};
    for (int i = 0; i < 5; ++i) {
        chapters += QStringLiteral("[CHAPTER]\nTIMEBASE=1/1000\nSTART=%1\nEND=%2\ntitle=%3\n")
                        .arg(i * 2000)
                        .arg(i * 2000 + 2000)
                        .arg(QLatin1String(titles[i]));
    }
    return media::Made("chaptered-10s.mka", "-f lavfi -i sine=d=10 -i \"" +
                                                media::Written("chapters.txt", chapters.toUtf8()) +
                                                "\" -map 0 -map_chapters 1 -c:a libvorbis");
}

class MpvEngineFeaturesTest : public ::testing::Test {
protected:
    void SetUp() override { engine = make({{"ao", "null"}, {"vo", "null"}}); }

    std::unique_ptr<MpvEngine> make(const MpvOptions& options) {
        return std::make_unique<MpvEngine>(display.winId(), options);
    }

    bool open(const MediaSegment& what, double startAt = 0) {
        QSignalSpy opened(engine.get(), &MediaEngine::Opened);
        engine->OpenSegment(what, startAt);
        return QTest::qWaitFor([&] { return opened.count() == 1; });
    }

    double property(const char* name) { return engine->PropertyText(name).toDouble(); }

    // The sound an engine plays, as mono 16-bit samples written by mpv's
    // "pcm" output (faster than real time, and afresh whenever the device is
    // opened); `play` opens what is to play and returns once it has ended.
    std::vector<qint16> played(const std::function<void(MpvEngine&)>& play) {
        const QTemporaryDir folder;
        const QString out = folder.filePath("sound.raw");
        MpvOptions options{{"ao-pcm-file", out}};
        for (const QString& option : QStringLiteral("vo=null ao=pcm ao-pcm-waveheader=no "
                                                    "audio-format=s16 audio-channels=mono "
                                                    "audio-samplerate=44100")
                                         .split(' ')) {
            options.emplace_back(option.section('=', 0, 0), option.section('=', 1));
        }
        play(*make(options));
        const QByteArray bytes = media::Bytes(out);
        std::vector<qint16> samples(std::size_t(bytes.size()) / 2);
        std::memcpy(samples.data(), bytes.constData(), samples.size() * 2);
        return samples;
    }

    QWidget display;
    std::unique_ptr<MpvEngine> engine;
};

// The longest run of samples near silence; the sound's level (RMS).
std::size_t longestQuiet(const std::vector<qint16>& samples) {
    std::size_t longest = 0;
    for (std::size_t run = 0; const qint16 sample : samples) {
        run = std::abs(sample) < 100 ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    return longest;
}

double rms(const std::vector<qint16>& samples) {
    double sum = 0;
    for (const qint16 sample : samples) {
        sum += double(sample) * sample;
    }
    return std::sqrt(sum / double(std::max<std::size_t>(samples.size(), 1)));
}

void playToEnd(MpvEngine& engine, const QString& path) {
    QSignalSpy ends(&engine, &MediaEngine::EndOfStream);
    engine.SetFileName(path);
    ASSERT_TRUE(QTest::qWaitFor([&] { return ends.count() == 1; }));
}

} // namespace

TEST_F(MpvEngineFeaturesTest, ChaptersAreListedGoneToAndToldAsPlaybackCrossesThem) {
    QSignalSpy crossed(engine.get(), &MediaEngine::ChapterChanged);
    ASSERT_TRUE(open({chaptered()}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return engine->Chapters().size() == 5; }));
    EXPECT_EQ(engine->Chapters()[3], (MediaChapter{6, "Four"}));
    EXPECT_EQ(engine->CurrentChapter(), 0);
    engine->SetChapter(2);
    ASSERT_TRUE(QTest::qWaitFor([&] { return engine->CurrentChapter() == 2; }));
    EXPECT_NEAR(engine->CurrentPosition(), 4.0, 0.25);
    EXPECT_TRUE(QTest::qWaitFor([&] { return crossed.last().at(0).toInt() == 3; }, 4000));
    EXPECT_NEAR(engine->CurrentPosition(), 6.0, 0.4);

    // A segment lists the chapters that play in it, on its own time.
    ASSERT_TRUE(open({chaptered(), 3, 7}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return engine->Chapters().size() == 3; }));
    EXPECT_EQ(engine->Chapters()[0], (MediaChapter{0, "Two"}));
    EXPECT_EQ(engine->Chapters()[2], (MediaChapter{3, "Four"}));
    EXPECT_EQ(engine->CurrentChapter(), 0);
}

TEST_F(MpvEngineFeaturesTest,
       SubtitleAndPictureSettingsReachMpvWithinBoundsAndDelaysAreTheFilesOwn) {
    ASSERT_TRUE(open({media::VideoClip()}));
    engine->SetSubtitleDelay(0.5);
    engine->SetAudioDelay(-0.25);
    engine->SetSubtitleScale(10);
    engine->SetSubtitlePosition(-4);
    engine->SetSubtitleMargin(80);
    engine->SetAspectRatio(16.0 / 9);
    engine->SetDeinterlace(Deinterlace::On);
    engine->SetAdjustment(PictureAdjustment::Contrast, 300);
    engine->SetAdjustment(PictureAdjustment::Gamma, -20);
    engine->SetReplayGain(ReplayGain::Album);
    const struct {
        const char* name;
        double value;
    } expected[] = {{"sub-delay", 0.5},
                    {"audio-delay", -0.25},
                    {"sub-scale", 3},
                    {"sub-pos", 0},
                    {"video-aspect-override", 16.0 / 9},
                    {"contrast", 100},
                    {"gamma", -20},
                    {"brightness", 0}};
    for (const auto& e : expected) {
        EXPECT_TRUE(QTest::qWaitFor([&] { return std::abs(property(e.name) - e.value) < 1e-3; }))
            << e.name << " " << engine->PropertyText(e.name).toStdString();
    }
    // Set asynchronously, as the numbers are.
    EXPECT_TRUE(QTest::qWaitFor([&] { return engine->PropertyText("deinterlace") == "yes"; }));
    EXPECT_TRUE(QTest::qWaitFor([&] { return engine->PropertyText("replaygain") == "album"; }));
    EXPECT_EQ(engine->Adjustment(PictureAdjustment::Contrast), 100);

    // The next file opens without the delays and the ratio; the rest holds.
    ASSERT_TRUE(open({media::VideoClip()}));
    EXPECT_EQ(engine->SubtitleDelay(), 0);
    EXPECT_EQ(engine->AspectRatio(), 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return property("sub-delay") == 0; }));
    EXPECT_EQ(engine->PropertyText("video-aspect-override"), "-1.000000");
    EXPECT_EQ(property("sub-scale"), 3);
}

TEST_F(MpvEngineFeaturesTest,
       ASubtitleDelayShowsTheLineLaterAndAutomaticDeinterlacingFollowsTheFile) {
    const QString words =
        media::Written("line-at-1s.srt", "1\n00:00:01,000 --> 00:00:02,000\nHello\n");
    // Where the line first shows, with each delay.
    for (const double delay : {0.0, 0.5}) {
        ASSERT_TRUE(open({media::VideoClip()}));
        engine->AddSubtitleFile(words);
        engine->SetSubtitleDelay(delay);
        ASSERT_TRUE(QTest::qWaitFor([&] { return engine->PropertyText("sub-text") == "Hello"; }));
        EXPECT_NEAR(engine->CurrentPosition(), 1.0 + delay, 0.15) << delay;
    }
    const QString interlaced = media::Made(
        "interlaced.mkv", "-f lavfi -i testsrc=s=320x240:r=25:d=2 -c:v mpeg2video -flags "
                          "+ilme+ildct -top 1");
    ASSERT_TRUE(open({interlaced}));
    EXPECT_TRUE(QTest::qWaitFor([&] { return engine->PropertyText("deinterlace") == "yes"; }));
    ASSERT_TRUE(open({media::VideoClip()}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return engine->CurrentPosition() > 0.5; }));
    EXPECT_EQ(engine->PropertyText("deinterlace"), "no");
}

TEST_F(MpvEngineFeaturesTest, ASegmentPlaysOnItsOwnTimeFromItsStartOrAKeptPlaceToItsEnd) {
    QSignalSpy states(engine.get(), &MediaEngine::StateChanged);
    QSignalSpy ends(engine.get(), &MediaEngine::EndOfStream);
    ASSERT_TRUE(open({tone("tone-6s.ogg", "6 -c:a libvorbis"), 2, 4}));
    EXPECT_TRUE(QTest::qWaitFor([&] { return std::abs(engine->Duration() - 2) < 0.05; }));
    EXPECT_LT(engine->CurrentPosition(), 0.5);
    ASSERT_TRUE(QTest::qWaitFor([&] { return ends.count() == 1; }, 4000));
    EXPECT_EQ(engine->State(), PlaybackState::Ended);
    EXPECT_TRUE(engine->Stopped());
    const auto state = [&](qsizetype i) { return states.at(i).at(0).value<PlaybackState>(); };
    EXPECT_EQ(state(0), PlaybackState::Opening);
    EXPECT_EQ(state(1), PlaybackState::Playing);

    // A kept place is on the segment's time, and kept only where 10 s are left.
    const QString long_ = tone("tone-90s.ogg", "90 -c:a libvorbis");
    for (const double at : {20.0, 35.0}) {
        ASSERT_TRUE(open({long_, 10, 50}, at));
        ASSERT_TRUE(QTest::qWaitFor([&] { return engine->CurrentPosition() > 0; }));
        EXPECT_NEAR(engine->CurrentPosition(), at == 20 ? 20 : 0, 1) << at;
        EXPECT_NEAR(property("time-pos"), at == 20 ? 30 : 10, 1) << at;
        EXPECT_NEAR(engine->Duration(), 40, 0.1);
    }
    engine->Pause();
    EXPECT_EQ(engine->State(), PlaybackState::Paused);
    engine->Stop();
    EXPECT_EQ(state(states.size() - 1), PlaybackState::Stopped);
}

// Two halves of one tone: set as the next file, the second follows the first
// on the sound device left open, without a sample lost or a moment of silence;
// opened after the first has ended, it starts on a device opened afresh.
TEST_F(MpvEngineFeaturesTest, ANextFileFollowsWithoutAGapWhereOpeningItAtTheEndDoesNot) {
    const QString whole = tone("tone-4s.wav", "4 -c:a pcm_s16le");
    const QString first = media::Made("tone-first.wav", "-i \"" + whole + "\" -t 2");
    const QString second = media::Made("tone-second.wav", "-ss 2 -i \"" + whole + "\"");
    int moved = 0;
    const auto gapless = played([&](MpvEngine& sound) {
        QSignalSpy next(&sound, &MediaEngine::MovedToNext);
        QSignalSpy ends(&sound, &MediaEngine::EndOfStream);
        sound.SetFileName(first);
        sound.SetNextFile({second});
        ASSERT_TRUE(QTest::qWaitFor([&] { return ends.count() == 1; }));
        moved = int(next.count());
        EXPECT_EQ(sound.FileName(), second);
    });
    EXPECT_EQ(moved, 1);
    EXPECT_NEAR(double(gapless.size()), 4 * 44100, 441);
    EXPECT_LT(longestQuiet(gapless), 44100 * 5 / 1000u);

    // A cue sheet's tracks: two parts of one file.
    const auto parts = played([&](MpvEngine& sound) {
        QSignalSpy ends(&sound, &MediaEngine::EndOfStream);
        sound.OpenSegment({whole, 0, 2});
        sound.SetNextFile({whole, 2});
        ASSERT_TRUE(QTest::qWaitFor([&] { return ends.count() == 1; }));
    });
    EXPECT_NEAR(double(parts.size()), 4 * 44100, 441);
    EXPECT_LT(longestQuiet(parts), 44100 * 5 / 1000u);

    const auto reopened = played([&](MpvEngine& sound) {
        playToEnd(sound, first);
        playToEnd(sound, second);
    });
    EXPECT_LT(double(reopened.size()), 3 * 44100) << "the device was not opened afresh";
}

TEST_F(MpvEngineFeaturesTest, ReplayGainLowersATaggedFileByItsTrackGainWithoutEverClipping) {
    const auto tagged = [](const QString& gain, const QString& peak) {
        return tone("gain" + gain + ".ogg", "2 -c:a libvorbis -metadata REPLAYGAIN_TRACK_GAIN=\"" +
                                                gain +
                                                " dB\" -metadata REPLAYGAIN_TRACK_PEAK=" + peak);
    };
    const QString quiet = tagged("-12.00", "0.125");
    const QString loud = tagged("+12.00", "0.5");
    const auto level = [&](const QString& path, ReplayGain mode) {
        return rms(played([&](MpvEngine& sound) {
            sound.SetReplayGain(mode);
            playToEnd(sound, path);
        }));
    };
    const double off = level(quiet, ReplayGain::Off);
    ASSERT_GT(off, 1000);
    EXPECT_NEAR(level(quiet, ReplayGain::Track) / off, 0.251, 0.02);
    // No album gain in the file: the track's stands in for it.
    EXPECT_NEAR(level(quiet, ReplayGain::Album) / off, 0.251, 0.02);
    // +12 dB would clip a peak of 0.5: lowered to twice as loud.
    EXPECT_NEAR(level(loud, ReplayGain::Track) / off, 2.0, 0.1);
}

TEST_F(MpvEngineFeaturesTest, AStreamThatCannotBeHadOrBreaksOffIsToldOfInPlainWords) {
    // The server closes at once, or answers with this and closes.
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
    QByteArray answer;
    QObject::connect(&server, &QTcpServer::newConnection, [&] {
        QTcpSocket* client = server.nextPendingConnection();
        if (answer.isEmpty()) {
            client->abort();
        }
        QObject::connect(client, &QTcpSocket::readyRead, client, [client, answer] {
            client->write(answer);
            client->disconnectFromHost();
        });
    });
    QTcpServer unused;
    ASSERT_TRUE(unused.listen(QHostAddress::LocalHost));
    const auto url = [](const QTcpServer& at) {
        return QStringLiteral("http://127.0.0.1:%1/song.wav").arg(at.serverPort());
    };
    const QString nobody = url(unused);
    unused.close();
    const struct {
        QString url;
        QByteArray answer;
        const char* reason;
    } cases[] = {{nobody, {}, "The address could not be reached."},
                 {url(server), {}, "The server closed the connection."},
                 {url(server), "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n",
                  "The server refused the file (HTTP 404)."}};
    for (const auto& c : cases) {
        answer = c.answer;
        QSignalSpy refused(engine.get(), &MediaEngine::Refused);
        engine->SetFileName(c.url);
        ASSERT_TRUE(QTest::qWaitFor([&] { return refused.count() == 1; }, 10000)) << c.reason;
        EXPECT_EQ(refused[0][1].toString(), c.reason);
    }
    // A third of a sound, where the server promised all of it.
    const QByteArray sound = media::Bytes(tone("tone-4s.wav", "4 -c:a pcm_s16le"));
    answer = "HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(sound.size()) + "\r\n\r\n" +
             sound.left(sound.size() / 3);
    QSignalSpy failed(engine.get(), &MediaEngine::Failed);
    ASSERT_TRUE(open({url(server)}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return failed.count() == 1; }, 10000));
    EXPECT_EQ(failed[0][0].toString(), "The server closed the connection.");
}
