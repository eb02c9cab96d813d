#include "engine/MpvEngine.h"
#include "engine/VideoOutputChoice.h"
#include "support/FakeEngine.h"
#include "support/MediaFixtures.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

using namespace quarn;
namespace media = quarn::test::media;

namespace {

// The real engine, without sound or picture devices: it decodes and keeps
// time as it would on a desktop.
class MpvEngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        display.resize(239, 181);
        engine = std::make_unique<MpvEngine>(display.winId(),
                                             MpvOptions{{"ao", "null"}, {"vo", "null"}});
    }

    // Opens the file and waits until it plays.
    bool open(const QString& path) {
        QSignalSpy opened(engine.get(), &MediaEngine::Opened);
        engine->SetFileName(path);
        return QTest::qWaitFor([&] { return opened.count() == 1; });
    }

    // Expects the engine to refuse the path, at once or soon, with code 5 and
    // a reason, and nothing else.
    void expectRefused(const QString& path) {
        QSignalSpy refused(engine.get(), &MediaEngine::Refused);
        QSignalSpy opened(engine.get(), &MediaEngine::Opened);
        try {
            engine->SetFileName(path);
            ASSERT_TRUE(QTest::qWaitFor([&] { return refused.count() == 1; }))
                << path.toStdString();
            EXPECT_EQ(refused.at(0).at(0).toInt(), 5);
            EXPECT_FALSE(refused.at(0).at(1).toString().isEmpty());
        } catch (const EngineError& error) {
            EXPECT_EQ(error.Code(), 5) << path.toStdString();
            EXPECT_FALSE(error.Reason().isEmpty());
        }
        EXPECT_EQ(opened.count(), 0) << path.toStdString();
    }

    QWidget display;
    std::unique_ptr<MpvEngine> engine;
};

constexpr auto kAudio = MediaTrack::Kind::Audio;
constexpr auto kSubtitle = MediaTrack::Kind::Subtitle;

bool near(QRgb a, QRgb b, int tolerance = 24) {
    return std::abs(qRed(a) - qRed(b)) <= tolerance &&
           std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
           std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

} // namespace

TEST(VideoOutputChoice, TheGpuIsTriedOnlyWithHardwareAndTheFirstOutputThatWorksIsKept) {
    VideoOutputChoice software(false);
    EXPECT_EQ(software.Outputs(), "xv,x11");
    EXPECT_EQ(software.HardwareDecoding(), "no");
    EXPECT_FALSE(software.Pinned());
    software.Adopt("");
    EXPECT_FALSE(software.Pinned());
    software.Adopt("x11");
    software.Adopt("xv"); // later outputs change nothing
    EXPECT_EQ(software.Outputs(), "x11");
    EXPECT_TRUE(software.Pinned());

    VideoOutputChoice hardware(true);
    EXPECT_EQ(hardware.Outputs(), "gpu,xv,x11");
    EXPECT_EQ(hardware.HardwareDecoding(), "auto-safe");
    hardware.Adopt("gpu");
    EXPECT_EQ(hardware.Outputs(), "gpu");
}

TEST_F(MpvEngineTest, OpensPlaysPausesAndClosesOnAnEmptyName) {
    QSignalSpy sizes(engine.get(), &MediaEngine::VideoSizeChanged);
    const QString clip = media::VideoClip();
    ASSERT_TRUE(open(clip));
    EXPECT_EQ(engine->FileName(), clip);
    EXPECT_TRUE(engine->Playing());
    EXPECT_TRUE(QTest::qWaitFor([&] { return std::abs(engine->Duration() - 3.0) < 0.1; }));
    ASSERT_TRUE(QTest::qWaitFor([&] { return engine->CurrentPosition() > 0.3; }));
    ASSERT_EQ(sizes.count(), 1);
    EXPECT_EQ(sizes.at(0).at(0).toSize(), QSize(320, 240));

    // Pause held: the frame step below; seeks and Stop: the desktop tests.
    engine->Pause();
    EXPECT_FALSE(engine->Playing());

    // An empty name closes the file.
    engine->SetFileName(QString());
    EXPECT_EQ(engine->FileName(), "");
    QTest::qWait(200);
    EXPECT_EQ(engine->CurrentPosition(), 0);
    EXPECT_EQ(engine->Duration(), 0);
    EXPECT_FALSE(engine->Playing());
}

TEST_F(MpvEngineTest, RefusesWhatIsNotPlayableAndThePlayingFileGoesOn) {
    for (const QString& path : {media::MissingFile(), media::EmptyFile(), media::TextFile(),
                                media::TruncatedClip(), media::Folder()}) {
        expectRefused(path);
        EXPECT_EQ(engine->FileName(), "") << path.toStdString();
    }
    // Refused while another file plays, that one goes on: the desktop tests.
    const QString clip = media::VideoClip();
    ASSERT_TRUE(open(clip));
    expectRefused(media::MissingFile());
    EXPECT_EQ(engine->FileName(), clip);
}

TEST_F(MpvEngineTest, AFileThatOpensAndThenFailsOrIsDeletedWhilePlayingIsReportedAsFailed) {
    QSignalSpy failed(engine.get(), &MediaEngine::Failed);
    QSignalSpy ends(engine.get(), &MediaEngine::EndOfStream);
    engine->SetFileName(media::ZeroedMediaData());
    ASSERT_TRUE(QTest::qWaitFor([&] { return failed.count() == 1; }));
    EXPECT_FALSE(failed.at(0).at(0).toString().isEmpty());
    EXPECT_EQ(ends.count(), 0);
    EXPECT_EQ(engine->FileName(), "");
    EXPECT_FALSE(engine->Playing());
    // Deleted while it plays, it fails by the next refusal at the latest.
    const QString copy = media::OddlyNamedCopy("soon gone.mp4");
    ASSERT_TRUE(open(copy));
    ASSERT_TRUE(QTest::qWaitFor([&] { return engine->CurrentPosition() > 0.2; }));
    ASSERT_TRUE(QFile::remove(copy));
    expectRefused(media::TextFile());
    ASSERT_TRUE(QTest::qWaitFor([&] { return failed.count() == 2; }));
    EXPECT_FALSE(failed.at(1).at(0).toString().isEmpty());
    EXPECT_EQ(engine->FileName(), "");
    EXPECT_FALSE(engine->Playing());
}

TEST_F(MpvEngineTest, OddNamesAlsoRelativeOnesThatLookLikeOptionsOrUrlsPlayAsFiles) {
    // Spaces, percent signs, "#", option-like names and names that are no
    // UTF-8, given whole: the desktop tests.
    const char* const names[] = {"quote's \"double\".mp4", "a;b\"c.mp4", "#hash?query.mp4",
                                 "--help", "av://lavfi:testsrc"};
    for (const char* name : names) {
        media::OddlyNamedCopy(QString::fromUtf8(name));
    }
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(QFileInfo(media::OddlyNamedCopy("--help")).path()));
    for (const char* name : names) {
        EXPECT_TRUE(open(QString::fromUtf8(name))) << name;
        // mpv's own "--help" or its test picture would have no such length.
        EXPECT_TRUE(QTest::qWaitFor([&] { return std::abs(engine->Duration() - 3.0) < 0.1; }))
            << name;
    }
    QDir::setCurrent(before);
}

TEST_F(MpvEngineTest, TracksAreListedWithLanguagesAndTitlesAndChoosingOneSelectsIt) {
    QSignalSpy changed(engine.get(), &MediaEngine::TracksChanged);
    ASSERT_TRUE(open(media::FilmWithTracks()));
    ASSERT_TRUE(QTest::qWaitFor([&] { return engine->Tracks().size() == 4; }));
    EXPECT_EQ(engine->Tracks(), media::FilmTracks());
    EXPECT_GT(changed.count(), 0);
    // Each choice in turn; an id the file has not changes nothing.
    const struct {
        MediaTrack::Kind kind;
        int id;
        int audio, subtitle; // what plays afterwards
    } choices[] = {{kAudio, 2, 2, 1},
                   {kSubtitle, 2, 2, 2},
                   {kAudio, 9, 2, 2},
                   {kSubtitle, 0, 2, 0},
                   {kSubtitle, 1, 2, 1}};
    for (const auto& choice : choices) {
        engine->SelectTrack(choice.kind, choice.id);
        EXPECT_TRUE(QTest::qWaitFor([&] {
            return test::SelectedTrack(engine->Tracks(), kAudio) == choice.audio &&
                   test::SelectedTrack(engine->Tracks(), kSubtitle) == choice.subtitle;
        })) << choice.id;
    }
    // The next file opens with its own default tracks.
    engine->SelectTrack(kAudio, 2);
    ASSERT_TRUE(open(media::FilmWithTracks()));
    EXPECT_TRUE(QTest::qWaitFor([&] { return engine->Tracks() == media::FilmTracks(); }));
}

TEST_F(MpvEngineTest, SubtitlesBesideTheFilmShowOfThemselvesAndAFileChosenIsAddedAndShown) {
    const QString clip = media::ClipWithSidecar();
    ASSERT_TRUE(open(clip));
    // Its sound, and the same-name subtitles beside it.
    ASSERT_TRUE(QTest::qWaitFor([&] { return engine->Tracks().size() == 2; }));
    EXPECT_TRUE(engine->Tracks()[1].external);
    QTemporaryDir folder;
    const QString other = folder.filePath("other words.srt");
    ASSERT_TRUE(QFile::copy(QFileInfo(clip).path() + QStringLiteral("/evening film.srt"), other));
    engine->AddSubtitleFile(other);
    ASSERT_TRUE(QTest::qWaitFor([&] { return engine->Tracks().size() == 3; }));
    // Named as the user reads the file's name, and shown in place of the other.
    EXPECT_EQ(engine->Tracks()[2],
              (MediaTrack{kSubtitle, 2, QString(), "other words.srt", true, true}));
    EXPECT_FALSE(engine->Tracks()[1].selected);
}

TEST_F(MpvEngineTest, BadSubtitleFilesAreRefusedWithAReasonAndTheFilmPlaysOn) {
    QSignalSpy refusals(engine.get(), &MediaEngine::SubtitleRefused);
    QSignalSpy failed(engine.get(), &MediaEngine::Failed);
    engine->AddSubtitleFile(media::JunkSubtitles()); // nothing is open
    EXPECT_EQ(refusals.count(), 1);
    ASSERT_TRUE(open(media::FilmWithTracks()));
    ASSERT_TRUE(QTest::qWaitFor([&] { return engine->Tracks().size() == 4; }));
    for (const QString& path :
         {media::MissingFile(), media::EmptyFile(), media::Folder(), media::TextFile(),
          media::JunkSubtitles(), media::PictureAsSubtitles(),
          QStringLiteral("http://127.0.0.1:9/film.srt")}) {
        const qsizetype before = refusals.count();
        engine->AddSubtitleFile(path);
        ASSERT_TRUE(QTest::qWaitFor([&] { return refusals.count() == before + 1; }))
            << path.toStdString();
        EXPECT_FALSE(refusals.last().at(0).toString().isEmpty());
    }
    const double at = engine->CurrentPosition();
    EXPECT_TRUE(QTest::qWaitFor([&] { return engine->CurrentPosition() > at + 0.3; }));
    EXPECT_EQ(engine->Tracks().size(), 4u);
    EXPECT_EQ(failed.count(), 0);
}

TEST_F(MpvEngineTest, TheSpeedIsSetWithinTheEnginesBoundsAndReported) {
    QSignalSpy speeds(engine.get(), &MediaEngine::SpeedChanged);
    const struct {
        double asked, set;
    } cases[] = {{1.5, 1.5}, {1000, 100}, {0, 100}, {std::nan(""), 100}, {0.5, 0.5}};
    for (const auto& c : cases) {
        engine->SetSpeed(c.asked);
        EXPECT_EQ(engine->Speed(), c.set) << c.asked;
        EXPECT_TRUE(QTest::qWaitFor([&] {
            return !speeds.isEmpty() && speeds.last().at(0).toDouble() == c.set;
        })) << c.asked;
    }
    EXPECT_EQ(speeds.count(), 3);
}

TEST_F(MpvEngineTest, AFrameStepMovesThePositionByOneFrameAndStaysPaused) {
    ASSERT_TRUE(open(media::VideoClip())); // 30 frames a second
    ASSERT_TRUE(QTest::qWaitFor([&] { return engine->CurrentPosition() > 0.5; }));
    engine->Pause();
    QTest::qWait(200);
    const double from = engine->CurrentPosition();
    engine->StepFrame(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return engine->CurrentPosition() != from; }));
    QTest::qWait(200);
    EXPECT_NEAR(engine->CurrentPosition() - from, 1.0 / 30, 0.01);
    EXPECT_FALSE(engine->Playing());
    engine->StepFrame(false);
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return std::abs(engine->CurrentPosition() - from) < 0.005; }));
}

TEST_F(MpvEngineTest, AScreenshotIsThePictureAtTheVideosOwnSizeOrAReasonWhyNotSuchAsSoundAlone) {
    QSignalSpy taken(engine.get(), &MediaEngine::ScreenshotTaken);
    QSignalSpy failed(engine.get(), &MediaEngine::ScreenshotFailed);
    QSignalSpy sizes(engine.get(), &MediaEngine::VideoSizeChanged);
    engine->TakeScreenshot(); // nothing is open
    EXPECT_EQ(failed.count(), 1);
    ASSERT_TRUE(open(media::AudioClip()));
    engine->TakeScreenshot();
    EXPECT_TRUE(QTest::qWaitFor([&] { return failed.count() == 2; }));
    EXPECT_FALSE(failed.last().at(0).toString().isEmpty());
    EXPECT_EQ(sizes.count(), 0) << "sound alone has no picture";

    ASSERT_TRUE(open(media::VideoClip()));
    ASSERT_TRUE(QTest::qWaitFor([&] { return engine->CurrentPosition() > 0.2; }));
    engine->TakeScreenshot();
    ASSERT_TRUE(QTest::qWaitFor([&] { return taken.count() == 1; }));
    const auto frame = taken.at(0).at(0).value<QImage>();
    EXPECT_EQ(frame.size(), QSize(320, 240)); // not the display's 239 x 181
    EXPECT_TRUE(near(frame.pixel(160, 60), media::kTopColour)) << std::hex << frame.pixel(160, 60);
    EXPECT_TRUE(near(frame.pixel(160, 180), media::kBottomColour));
    EXPECT_EQ(failed.count(), 2);
}

// A place kept from an earlier run is where the file starts only where it
// leaves at least 10 s to play: a file replaced by a shorter one, or a kept
// number that is no time at all, starts from the beginning.
TEST_F(MpvEngineTest, AStartThatLeavesLessThanTenSecondsOrIsNoTimePlaysFromTheBeginning) {
    const QString song =
        media::Made("tone-90s.ogg", "-f lavfi -i sine=duration=90:sample_rate=8000 -c:a libvorbis");
    for (const double at : {500.0, 1e308, -5.0, std::nan(""), 85.0, 40.0}) {
        SCOPED_TRACE(at);
        QSignalSpy opened(engine.get(), &MediaEngine::Opened);
        engine->SetFileName(song, at);
        ASSERT_TRUE(QTest::qWaitFor([&] { return opened.count() == 1; }));
        ASSERT_TRUE(QTest::qWaitFor([&] { return engine->CurrentPosition() > 0; }));
        EXPECT_NEAR(engine->CurrentPosition(), at == 40.0 ? 40.0 : 0.0, 1.5);
        EXPECT_TRUE(engine->Playing());
        EXPECT_NEAR(engine->Duration(), 90.0, 0.5);
    }
}
