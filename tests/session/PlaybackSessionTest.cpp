// The playback session's decisions, with a fake engine: what plays next, what
// a refusal means, the end of the queue, the sound and the screen saver.
#include "session/PlaybackSession.h"
#include "common/QueueRoles.h"
#include "platform/UserFiles.h"
#include "session/QueueModel.h"
#include "support/FakeEngine.h"

#include <QDir>
#include <QImage>
#include <QMimeData>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QUrl>
#include <cmath>
#include <gtest/gtest.h>

using namespace quarn;
using test::FakeEngine;

namespace {

class PlaybackSessionTest : public ::testing::Test {
protected:
    void SetUp() override { make(folder.filePath("pictures")); }
    // A session (the one before it ended) over a new fake engine.
    void make(const QString& pictures) {
        session.reset();
        auto fake = std::make_unique<FakeEngine>();
        engine = fake.get();
        session = std::make_unique<PlaybackSession>(
            std::move(fake), saver,
            SessionPaths{folder.filePath("s.json"), folder.path(), pictures});
        QObject::connect(session.get(), &PlaybackSession::ProblemFound,
                         [this](const PlaybackProblem& p) {
                             problems << (p.origin == OpenOrigin::Queue ? "queue " : "single ") +
                                             p.entry + ": " + p.reason;
                         });
        notices = std::make_unique<QSignalSpy>(session.get(), &PlaybackSession::Notice);
    }
    QString lastNotice() const { return notices->last().at(0).toString(); }

    QTemporaryDir folder;
    test::RecordingSaver saver;
    FakeEngine* engine = nullptr;
    std::unique_ptr<PlaybackSession> session;
    std::unique_ptr<QSignalSpy> notices;
    QStringList problems;
};

} // namespace

TEST_F(PlaybackSessionTest, TheQueuePlaysInOrderToItsEndAgainOnPlayAndRoundWhenLooped) {
    QSignalSpy ended(session.get(), &PlaybackSession::PlaybackEnded);
    session->PlayEntries({"/m/a.mp4", "/m/b.mp4", "/m/c.mp4"});
    EXPECT_EQ(engine->FileName(), "/m/a.mp4");
    engine->End();
    EXPECT_EQ(engine->FileName(), "/m/b.mp4");
    EXPECT_EQ(saver.record.filter("on").size(), 0) << "no reset between files";
    session->Next(); // Next and Previous from the keys: the desktop tests
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
    emit engine->Failed("broken");
    EXPECT_EQ(problems.last(), "queue /m/a.mp4: broken");
    EXPECT_EQ(engine->FileName(), "/m/b.mp4");
    // A file opened by itself that is refused leaves what plays alone.
    engine->refuse = true;
    session->Open("/m/bad.mp4", OpenOrigin::Single);
    EXPECT_EQ(problems.last(), "single /m/bad.mp4: refused by the test");
    EXPECT_EQ(engine->FileName(), "/m/b.mp4");
    EXPECT_EQ(session->Queue().Current(), "/m/b.mp4");
    // A folder without media is said so.
    session->PlayEntries({folder.path()});
    EXPECT_EQ(problems.last(), "single " + folder.path() + ": No media files were found there.");
}

// Play, Pause and Stop without a file: PlayerTest.
TEST_F(PlaybackSessionTest, SeeksStayWithinTheFileAndStopShowsItsStart) {
    QSignalSpy readouts(session.get(), &PlaybackSession::ReadoutChanged);
    session->Open("/m/a.mp4", OpenOrigin::Single);
    engine->Report(31, 70 * 60);
    engine->calls.clear();
    session->SeekBy(-60);
    session->SeekBy(5000);
    session->SeekTo(40);
    EXPECT_EQ(engine->calls, (QStringList{"Seek=0", "Seek=4200", "Seek=40"}));
    session->Stop();
    EXPECT_EQ(readouts.last().at(0).value<Readout>(), (Readout{"0:00/1:10:00", 4200, 0}));
    EXPECT_EQ(session->PlaybackStatus(), PlaybackSession::Status::Stopped);
}

TEST_F(PlaybackSessionTest, VolumeAndMuteStayInRangeAreShownAndKeptForTheNextRun) {
    session->SetVolume(250);
    EXPECT_EQ(engine->Volume(), 100);
    session->ChangeVolume(-130);
    EXPECT_EQ(engine->Volume(), 0);
    session->ChangeVolume(35);
    EXPECT_EQ(lastNotice(), "Vol 35%");
    session->ToggleMute();
    EXPECT_EQ(lastNotice(), "Muted");
    make({}); // the settings are written as the session ends
    EXPECT_EQ(engine->Volume(), 35);
    EXPECT_TRUE(engine->Muted());
}

TEST_F(PlaybackSessionTest,
       AFileLeftBeforeItsEndResumesThereAfterARestartAndARecentOneThatIsGoneGoes) {
    session->Open("/m/film.mkv", OpenOrigin::Single);
    engine->Report(40, 120);
    make({}); // the player ends with the film at 0:40
    session->Open("/m/film.mkv", OpenOrigin::Single);
    EXPECT_EQ(engine->calls.last(), "FileName=/m/film.mkv@40");
    EXPECT_EQ(lastNotice(), "Resumed at 0:40");
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
    session->Open("/m/film.mkv", OpenOrigin::Single);
    session->ChangeSpeed(-0.1); // "[": the desktop tests
    EXPECT_EQ(lastNotice(), "Speed 0.9x");
    for (const double asked : {100.0, std::nan("")}) {
        session->SetSpeed(asked);
        EXPECT_DOUBLE_EQ(engine->speed, PlaybackSession::kFastest);
    }
    session->SetSpeed(1);
    EXPECT_EQ(lastNotice(), "Speed normal");

    using Kind = MediaTrack::Kind;
    engine->tracks = {{Kind::Audio, 1, "eng", "Main", true, false},
                      {Kind::Audio, 2, "deu", "", false, false},
                      {Kind::Subtitle, 1, "eng", "", true, false},
                      {Kind::Subtitle, 2, "", "", false, true}};
    const auto shown = [&](Kind kind) { return test::SelectedTrack(engine->tracks, kind); };
    session->NextTrack(Kind::Subtitle);
    EXPECT_EQ(shown(Kind::Subtitle), 2);
    EXPECT_EQ(lastNotice(), "Subtitles: Track 2");
    session->NextTrack(Kind::Subtitle);
    EXPECT_EQ(shown(Kind::Subtitle), 0);
    session->ToggleSubtitles(); // back on, the one shown last
    EXPECT_EQ(shown(Kind::Subtitle), 2);
    session->ToggleSubtitles();
    EXPECT_EQ(shown(Kind::Subtitle), 0);
    EXPECT_EQ(lastNotice(), "Subtitles off");
    session->NextTrack(Kind::Audio);
    EXPECT_EQ(shown(Kind::Audio), 2);
    EXPECT_EQ(lastNotice(), "Audio: deu");
    EXPECT_EQ(PlaybackSession::TrackLabel(engine->tracks[0]), "Main (eng)");
}

TEST_F(PlaybackSessionTest, AScreenshotIsSavedUnderTheFilesNameAndPlaceNeverOverAnother) {
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
    EXPECT_EQ(lastNotice(), "Saved My Film 1-02-05 (2).png");
    // A folder that cannot be written to: a notice, and nothing else.
    ASSERT_TRUE(platform::WriteUserFile(folder.filePath("pictures-file"), {}).written);
    make(folder.filePath("pictures-file"));
    session->Open("/m/x.mkv", OpenOrigin::Single);
    emit engine->ScreenshotTaken(frame);
    EXPECT_TRUE(lastNotice().startsWith("Could not save")) << lastNotice().toStdString();
}

// A playlist opened by itself (the Open dialog) is its entries; the list model
// shows the queue, moves rows dropped within it and adds files and streams
// dropped on it where they fall (anything else dropped is left out).
TEST_F(PlaybackSessionTest,
       AListOpenedAloneIsTheQueueWhichTheListShowsAndEditsWhereThingsAreDropped) {
    for (const char* name : {"a.mp4", "b.mp4", "c.mp4", "d e.mp4"}) {
        platform::WriteUserFile(folder.filePath(name), "");
    }
    const QString list = folder.filePath("evening.m3u");
    ASSERT_TRUE(platform::WriteUserFile(list, "a.mp4\nb.mp4\nc.mp4\n").written);
    session->Open(list, OpenOrigin::Single);
    EXPECT_EQ(engine->FileName(), folder.filePath("a.mp4"));
    QueueModel model(*session);
    auto column = [&](int role) {
        QStringList values;
        for (int row = 0; row < model.rowCount(); ++row) {
            values << model.index(row).data(role).toString();
        }
        return values.join(' ');
    };
    EXPECT_EQ(column(Qt::DisplayRole), "a.mp4 b.mp4 c.mp4");
    EXPECT_EQ(column(CurrentRole), "true false false");
    std::unique_ptr<QMimeData> rows(model.mimeData({model.index(2)}));
    EXPECT_FALSE(model.dropMimeData(rows.get(), Qt::MoveAction, 0, 0, {}));
    EXPECT_EQ(column(Qt::DisplayRole), "c.mp4 a.mp4 b.mp4");
    EXPECT_EQ(column(NumberRole), "1 2 3");
    QMimeData dropped;
    dropped.setUrls({QUrl::fromLocalFile(folder.filePath("d e.mp4")),
                     QUrl("http://127.0.0.1:9/live"), QUrl("ftp://example.org/x.mp4")});
    EXPECT_TRUE(model.dropMimeData(&dropped, Qt::CopyAction, -1, 0, model.index(1)));
    EXPECT_EQ(column(Qt::DisplayRole), "c.mp4 d e.mp4 http://127.0.0.1:9/live a.mp4 b.mp4");
    EXPECT_EQ(column(StreamRole), "false false true false false");
    EXPECT_EQ(column(CurrentRole), "false false false true false");
}
