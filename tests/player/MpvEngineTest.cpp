#include "player/MpvEngine.h"
#include "support/MediaFixtures.h"

#include <QElapsedTimer>
#include <QSignalSpy>
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
        engine = std::make_unique<MpvEngine>(
            &display, MpvOptions{{QStringLiteral("ao"), QStringLiteral("null")},
                                 {QStringLiteral("vo"), QStringLiteral("null")}});
    }

    // Processes events until the condition holds or the time is up.
    bool waitFor(const std::function<bool()>& condition, int timeoutMs) {
        QElapsedTimer timer;
        timer.start();
        while (!condition()) {
            if (timer.elapsed() > timeoutMs) {
                return false;
            }
            QTest::qWait(10);
        }
        return true;
    }

    // Expects the engine to refuse the path quickly, with code 5 and a reason.
    void expectRefused(const QString& path) {
        QElapsedTimer timer;
        timer.start();
        try {
            engine->SetFileName(path);
            ADD_FAILURE() << "accepted " << path.toStdString();
        } catch (const EngineError& error) {
            EXPECT_EQ(error.code(), 5) << path.toStdString();
            EXPECT_FALSE(error.reason().isEmpty());
        }
        EXPECT_LT(timer.elapsed(), 3000) << path.toStdString();
    }

    QWidget display;
    std::unique_ptr<MpvEngine> engine;
};

} // namespace

TEST_F(MpvEngineTest, OpensAndPlaysAtOnce) {
    EXPECT_EQ(engine->FileName(), "");
    const QString clip = media::VideoClip();
    engine->SetFileName(clip);
    EXPECT_EQ(engine->FileName(), clip);
    EXPECT_NEAR(engine->Duration(), 3.0, 0.1);
    ASSERT_TRUE(waitFor([&] { return engine->CurrentPosition() > 0.3; }, 3000));
}

TEST_F(MpvEngineTest, TakesTheVideosSizeInTwips) {
    engine->SetFileName(media::VideoClip());
    ASSERT_TRUE(waitFor([&] { return engine->Width() == 4800; }, 3000));
    EXPECT_EQ(engine->Height(), 3600);
    EXPECT_EQ(display.size(), QSize(320, 240));
}

TEST_F(MpvEngineTest, KeepsTheDisplaySizeForSoundOnly) {
    engine->SetFileName(media::AudioClip());
    ASSERT_TRUE(waitFor([&] { return engine->CurrentPosition() > 0.2; }, 3000));
    EXPECT_EQ(engine->Width(), 3585);
    EXPECT_EQ(engine->Height(), 2715);
}

TEST_F(MpvEngineTest, SeeksWhenThePositionIsSet) {
    engine->SetFileName(media::VideoClip());
    engine->Pause();
    engine->SetCurrentPosition(2.0);
    ASSERT_TRUE(waitFor([&] { return engine->CurrentPosition() >= 1.9; }, 3000));
    EXPECT_LT(engine->CurrentPosition(), 2.5);
}

TEST_F(MpvEngineTest, PauseHoldsAndPlayResumes) {
    engine->SetFileName(media::VideoClip());
    ASSERT_TRUE(waitFor([&] { return engine->CurrentPosition() > 0.2; }, 3000));
    engine->Pause();
    QTest::qWait(100);
    const double held = engine->CurrentPosition();
    QTest::qWait(300);
    EXPECT_NEAR(engine->CurrentPosition(), held, 0.05);
    engine->Play();
    ASSERT_TRUE(waitFor([&] { return engine->CurrentPosition() > held + 0.2; }, 3000));
}

TEST_F(MpvEngineTest, StopRewindsAndReadsZeroUntilPlayedAgain) {
    engine->SetFileName(media::VideoClip());
    ASSERT_TRUE(waitFor([&] { return engine->CurrentPosition() > 0.3; }, 3000));
    engine->Stop();
    QTest::qWait(300);
    EXPECT_EQ(engine->CurrentPosition(), 0);
    engine->Play();
    ASSERT_TRUE(waitFor([&] { return engine->CurrentPosition() > 0; }, 3000));
    EXPECT_LT(engine->CurrentPosition(), 1.0);
}

TEST_F(MpvEngineTest, RaisesEndOfStreamOnceAtTheNaturalEnd) {
    QSignalSpy ends(engine.get(), &MediaEngine::EndOfStream);
    engine->SetFileName(media::AudioClip());
    ASSERT_TRUE(waitFor([&] { return ends.count() > 0; }, 6000));
    QTest::qWait(300);
    EXPECT_EQ(ends.count(), 1);
    EXPECT_EQ(engine->CurrentPosition(), 0);
    EXPECT_EQ(engine->FileName(), media::AudioClip());
    // Play after the end plays the file again from its start.
    engine->Play();
    ASSERT_TRUE(waitFor([&] { return engine->CurrentPosition() > 0.1; }, 3000));
}

TEST_F(MpvEngineTest, DoesNotRaiseEndOfStreamOnStopOrReplace) {
    QSignalSpy ends(engine.get(), &MediaEngine::EndOfStream);
    engine->SetFileName(media::OneFrameClip());
    engine->SetFileName(media::AudioClip()); // replaces the first before its end
    engine->Stop();
    QTest::qWait(3600);
    EXPECT_EQ(ends.count(), 0);
}

TEST_F(MpvEngineTest, PlaysASingleFrameToItsEnd) {
    QSignalSpy ends(engine.get(), &MediaEngine::EndOfStream);
    engine->SetFileName(media::OneFrameClip());
    ASSERT_TRUE(waitFor([&] { return ends.count() == 1; }, 3000));
}

TEST_F(MpvEngineTest, RefusesWhatIsNotPlayableAndStaysUsable) {
    QSignalSpy ends(engine.get(), &MediaEngine::EndOfStream);
    for (const QString& path : {media::MissingFile(), media::EmptyFile(), media::TextFile(),
                                media::TruncatedClip(), media::Folder()}) {
        expectRefused(path);
        EXPECT_EQ(engine->FileName(), "") << path.toStdString();
    }
    EXPECT_EQ(ends.count(), 0);
    engine->SetFileName(media::VideoClip());
    ASSERT_TRUE(waitFor([&] { return engine->CurrentPosition() > 0.2; }, 3000));
}

TEST_F(MpvEngineTest, ARefusedFileLeavesThePlayingOneGoing) {
    const QString clip = media::VideoClip();
    engine->SetFileName(clip);
    ASSERT_TRUE(waitFor([&] { return engine->CurrentPosition() > 0.5; }, 3000));
    const double before = engine->CurrentPosition();
    expectRefused(media::TextFile());
    EXPECT_EQ(engine->FileName(), clip);
    ASSERT_TRUE(waitFor([&] { return engine->CurrentPosition() > before + 0.2; }, 3000));
    expectRefused(media::MissingFile());
    EXPECT_EQ(engine->FileName(), clip);
}

TEST_F(MpvEngineTest, PlaysOddlyNamedFilesAsFiles) {
    for (const char* name : {"with spaces.mp4", "quote's \"double\".mp4", "a;b\"c.mp4", "--help",
                             "-leading.mp4", "100%25 done.mp4", "av://lavfi:testsrc",
                             "f\xC3\xBCr \xC3\xA9t\xC3\xA9 \xE2\x98\x83.mp4", "#hash?query.mp4"}) {
        const QString path = media::OddlyNamedCopy(QString::fromUtf8(name));
        try {
            engine->SetFileName(path);
        } catch (const EngineError& error) {
            ADD_FAILURE() << name << ": " << error.reason().toStdString();
            continue;
        }
        EXPECT_NEAR(engine->Duration(), 3.0, 0.1) << name;
    }
}

TEST_F(MpvEngineTest, AnEmptyNameClosesTheFile) {
    engine->SetFileName(media::VideoClip());
    engine->SetFileName(QString());
    EXPECT_EQ(engine->FileName(), "");
    QTest::qWait(200);
    EXPECT_EQ(engine->CurrentPosition(), 0);
    EXPECT_EQ(engine->Duration(), 0);
}

TEST_F(MpvEngineTest, SpeedChangesHowFastTimePasses) {
    engine->SetFileName(media::VideoClip());
    engine->SetSpeed(2.0);
    QElapsedTimer timer;
    timer.start();
    ASSERT_TRUE(waitFor([&] { return engine->CurrentPosition() > 1.5; }, 3000));
    EXPECT_LT(timer.elapsed(), 1400);
}
