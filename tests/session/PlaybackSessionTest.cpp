// The playback session's decisions, with a fake engine: what plays next, what
// a refusal means, the end of the queue, the sound and the screen saver.
#include "session/PlaybackSession.h"
#include "support/FakeEngine.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <cmath>
#include <gtest/gtest.h>

using namespace quarn;
using test::FakeEngine;

namespace {

class Saver : public platform::ScreenSaverSwitch {
public:
    void SetActive(bool active) override { record << (active ? "on" : "off"); }
    QStringList record;
};

class PlaybackSessionTest : public ::testing::Test {
protected:
    void SetUp() override { make(); }
    void make() {
        auto fake = std::make_unique<FakeEngine>();
        engine = fake.get();
        session = std::make_unique<PlaybackSession>(
            std::move(fake), saver,
            SessionPaths{folder.filePath(QStringLiteral("s.json")), folder.path(),
                         folder.filePath(QStringLiteral("pictures"))});
        problems.clear();
        connect();
    }
    void connect() {
        QObject::connect(
            session.get(), &PlaybackSession::ProblemFound, [this](const PlaybackProblem& p) {
                problems << QStringLiteral("%1 %2: %3")
                                .arg(p.origin == OpenOrigin::Queue ? "queue" : "single", p.entry,
                                     p.reason);
            });
    }

    QTemporaryDir folder;
    Saver saver;
    FakeEngine* engine = nullptr;
    std::unique_ptr<PlaybackSession> session;
    QStringList problems;
};

} // namespace

TEST_F(PlaybackSessionTest, TheQueuePlaysInOrderAndMovesWithNextAndPreviousWithinItsEnds) {
    QSignalSpy ended(session.get(), &PlaybackSession::PlaybackEnded);
    session->PlayEntries({"/m/a.mp4", "/m/b.mp4", "/m/c.mp4"});
    EXPECT_EQ(engine->FileName(), "/m/a.mp4");
    session->Previous(); // at the start: stays
    EXPECT_EQ(engine->FileName(), "/m/a.mp4");
    engine->End();
    EXPECT_EQ(engine->FileName(), "/m/b.mp4");
    session->Next();
    EXPECT_EQ(engine->FileName(), "/m/c.mp4");
    session->Next(); // at the end: stays
    session->Previous();
    EXPECT_EQ(engine->FileName(), "/m/b.mp4");
    EXPECT_EQ(ended.count(), 0);
    EXPECT_EQ(saver.record.filter("on").size(), 0) << "no reset between files";
    session->Next();
    engine->End();
    EXPECT_EQ(ended.count(), 1);
    EXPECT_EQ(saver.record.last(), "on");
    // Play after the end plays the last file again.
    engine->calls.clear();
    session->Play();
    EXPECT_EQ(engine->calls, QStringList{"Play"});
    EXPECT_EQ(saver.record.last(), "off");
    // Looping the queue, its end goes round to its start; looping the file,
    // the engine plays it round.
    session->SetLoop(PlaybackSession::Loop::Queue);
    engine->End();
    EXPECT_EQ(engine->FileName(), "/m/a.mp4");
    session->CycleLoop();
    EXPECT_EQ(session->LoopMode(), PlaybackSession::Loop::Off);
    session->SetLoop(PlaybackSession::Loop::File);
    EXPECT_EQ(engine->calls.last(), "Loop=1");
    // Added entries go to the end; what plays goes on.
    session->AddEntries({"/m/d.mp4"});
    EXPECT_EQ(session->Queue().Size(), 4);
    EXPECT_EQ(engine->FileName(), "/m/a.mp4");
}

TEST_F(PlaybackSessionTest, ARefusedEntryOfTheQueueIsReportedAndTheNextPlaysAtOnce) {
    engine->refuse = true;
    session->PlayEntries({"/m/bad.mp4", "/m/worse.mp4"});
    EXPECT_EQ(problems, (QStringList{"queue /m/bad.mp4: refused by the test",
                                     "queue /m/worse.mp4: refused by the test"}));
    EXPECT_EQ(engine->calls, (QStringList{"FileName=/m/bad.mp4", "FileName=/m/worse.mp4"}));
    // A file that fails after it opened also moves the queue on.
    engine->refuse = false;
    session->PlayEntries({"/m/a.mp4", "/m/b.mp4"});
    emit engine->Failed(QStringLiteral("broken"));
    EXPECT_EQ(problems.last(), "queue /m/a.mp4: broken");
    EXPECT_EQ(engine->FileName(), "/m/b.mp4");
}

TEST_F(PlaybackSessionTest, AFileOpenedByItselfThatIsRefusedLeavesWhatPlaysAlone) {
    session->Open("/m/a.mp4", OpenOrigin::Single);
    engine->refuse = true;
    session->Open("/m/bad.mp4", OpenOrigin::Single);
    EXPECT_EQ(problems, QStringList{"single /m/bad.mp4: refused by the test"});
    EXPECT_EQ(engine->FileName(), "/m/a.mp4");
    EXPECT_EQ(session->Queue().Current(), "/m/a.mp4");
    // A folder without media is said so.
    session->PlayEntries({folder.path()});
    EXPECT_EQ(problems.last(), "single " + folder.path() + ": No media files were found there.");
}

TEST_F(PlaybackSessionTest, PlayAndPauseNeedAFileStopAlwaysStopsAndShowsTheStart) {
    session->Play();
    session->Pause();
    EXPECT_TRUE(engine->calls.isEmpty());
    session->Stop();
    EXPECT_EQ(engine->calls, QStringList{"Stop"});
    EXPECT_EQ(saver.record, QStringList{"on"});

    QSignalSpy readouts(session.get(), &PlaybackSession::ReadoutChanged);
    session->Open("/m/a.mp4", OpenOrigin::Single);
    engine->Report(31, 70 * 60);
    EXPECT_EQ(readouts.last().at(0).value<Readout>().caption, "0:31/1:10:00");
    session->Stop();
    EXPECT_EQ(readouts.last().at(0).value<Readout>(), (Readout{"0:00/1:10:00", 4200, 0}));
    EXPECT_EQ(session->PlaybackStatus(), PlaybackSession::Status::Stopped);
}

TEST_F(PlaybackSessionTest, SeeksStayWithinTheFile) {
    session->Open("/m/a.mp4", OpenOrigin::Single);
    engine->Report(30, 100);
    session->SeekBy(-60);
    session->SeekBy(500);
    session->SeekTo(40);
    EXPECT_EQ(engine->calls.mid(1), (QStringList{"Seek=0", "Seek=100", "Seek=40"}));
}

TEST_F(PlaybackSessionTest, VolumeAndMuteStayInRangeAreShownAndKeptForTheNextRun) {
    QSignalSpy notices(session.get(), &PlaybackSession::Notice);
    session->SetVolume(250);
    EXPECT_EQ(engine->Volume(), 100);
    session->ChangeVolume(-130);
    EXPECT_EQ(engine->Volume(), 0);
    session->ChangeVolume(35);
    session->ToggleMute();
    EXPECT_EQ(notices.at(2).at(0).toString(), "Vol 35%");
    EXPECT_EQ(notices.last().at(0).toString(), "Muted");
    session.reset(); // written as the session ends
    make();
    EXPECT_EQ(engine->Volume(), 35);
    EXPECT_TRUE(engine->Muted());
}

TEST_F(PlaybackSessionTest,
       AFileLeftBeforeItsEndResumesThereAfterARestartAndARecentOneThatIsGoneGoes) {
    QSignalSpy notices(session.get(), &PlaybackSession::Notice);
    session->Open("/m/film.mkv", OpenOrigin::Single);
    engine->Report(40, 120);
    session.reset(); // the player ends with the film at 0:40
    make();
    QSignalSpy resumed(session.get(), &PlaybackSession::Notice);
    session->Open("/m/film.mkv", OpenOrigin::Single);
    EXPECT_EQ(engine->calls.last(), "FileName=/m/film.mkv@40");
    EXPECT_EQ(resumed.last().at(0).toString(), "Resumed at 0:40");
    // Watched to the end, it starts from the top next time.
    engine->End();
    session->Open("/m/film.mkv", OpenOrigin::Single);
    EXPECT_EQ(engine->calls.last(), "FileName=/m/film.mkv");
    EXPECT_EQ(session->RecentEntries(), QStringList{"/m/film.mkv"});
    session->OpenRecent("/m/film.mkv"); // not on this disk
    EXPECT_TRUE(session->RecentEntries().isEmpty());
    EXPECT_EQ(problems.last(), "single /m/film.mkv: The file does not exist.");
}

TEST_F(PlaybackSessionTest, SpeedStaysWithinItsBoundsAndTracksGoRoundWithSubtitlesOff) {
    QSignalSpy notices(session.get(), &PlaybackSession::Notice);
    session->Open("/m/film.mkv", OpenOrigin::Single);
    session->ChangeSpeed(0.1);
    EXPECT_DOUBLE_EQ(engine->speed, 1.1);
    EXPECT_EQ(notices.last().at(0).toString(), "Speed 1.1x");
    session->SetSpeed(100);
    EXPECT_DOUBLE_EQ(engine->speed, PlaybackSession::kFastest);
    session->SetSpeed(std::nan(""));
    EXPECT_DOUBLE_EQ(engine->speed, PlaybackSession::kFastest);
    session->SetSpeed(1);
    EXPECT_EQ(notices.last().at(0).toString(), "Speed normal");

    using Kind = MediaTrack::Kind;
    engine->tracks = {{Kind::Audio, 1, "eng", "Main", true, false},
                      {Kind::Audio, 2, "deu", "", false, false},
                      {Kind::Subtitle, 1, "eng", "", true, false},
                      {Kind::Subtitle, 2, "", "", false, true}};
    auto shown = [&](Kind kind) {
        for (const MediaTrack& track : engine->Tracks()) {
            if (track.kind == kind && track.selected) {
                return track.id;
            }
        }
        return 0;
    };
    session->NextTrack(Kind::Subtitle);
    EXPECT_EQ(shown(Kind::Subtitle), 2);
    EXPECT_EQ(notices.last().at(0).toString(), "Subtitles: Track 2");
    session->NextTrack(Kind::Subtitle);
    EXPECT_EQ(shown(Kind::Subtitle), 0);
    session->ToggleSubtitles(); // back on, the one shown last
    EXPECT_EQ(shown(Kind::Subtitle), 2);
    session->ToggleSubtitles();
    EXPECT_EQ(shown(Kind::Subtitle), 0);
    EXPECT_EQ(notices.last().at(0).toString(), "Subtitles off");
    session->NextTrack(Kind::Audio);
    EXPECT_EQ(shown(Kind::Audio), 2);
    EXPECT_EQ(notices.last().at(0).toString(), "Audio: deu");
    EXPECT_EQ(PlaybackSession::TrackLabel(engine->tracks[0]), "Main (eng)");
}

TEST_F(PlaybackSessionTest, AScreenshotIsSavedUnderTheFilesNameAndPlaceNeverOverAnother) {
    QSignalSpy notices(session.get(), &PlaybackSession::Notice);
    session->Open("/m/My Film.mkv", OpenOrigin::Single);
    engine->Report(3725, 4200);
    QImage frame(320, 240, QImage::Format_RGB32);
    frame.fill(Qt::darkCyan);
    emit engine->ScreenshotTaken(frame);
    emit engine->ScreenshotTaken(frame);
    const QDir pictures(folder.filePath("pictures"));
    EXPECT_EQ(pictures.entryList(QDir::Files),
              (QStringList{"My Film 1-02-05 (2).png", "My Film 1-02-05.png"}));
    EXPECT_EQ(QImage(pictures.filePath("My Film 1-02-05.png")).size(), QSize(320, 240));
    EXPECT_EQ(notices.last().at(0).toString(), "Saved My Film 1-02-05 (2).png");
    // A folder that cannot be written to: a notice, and nothing else.
    QFile blocker(folder.filePath("pictures-file"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    session.reset();
    auto fake = std::make_unique<FakeEngine>();
    engine = fake.get();
    session = std::make_unique<PlaybackSession>(
        std::move(fake), saver, SessionPaths{{}, {}, folder.filePath("pictures-file")});
    QSignalSpy refused(session.get(), &PlaybackSession::Notice);
    session->Open("/m/x.mkv", OpenOrigin::Single);
    emit engine->ScreenshotTaken(frame);
    EXPECT_TRUE(refused.last().at(0).toString().startsWith("Could not save"))
        << refused.last().at(0).toString().toStdString();
}
