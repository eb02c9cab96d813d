// The playback session's decisions, with a fake engine: what plays next, what
// a refusal means, the end of the queue, the sound and the screen saver.
#include "session/PlaybackSession.h"
#include "common/QueueRoles.h"
#include "platform/UserFiles.h"
#include "session/QueueModel.h"
#include "support/FakeEngine.h"
#include "support/MediaFixtures.h"

#include <QDir>
#include <QFile>
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
    session->SetLoop(LoopMode::Queue);
    engine->End();
    EXPECT_EQ(engine->FileName(), "/m/a.mp4");
    session->CycleLoop();
    EXPECT_EQ(session->Loop(), LoopMode::Off);
    session->SetLoop(LoopMode::File);
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
    EXPECT_EQ(readouts.last().at(0).value<Readout>(), (Readout{"0:00:00/1:10:00", 4200, 0}));
    EXPECT_EQ(session->State(), PlaybackState::Stopped);
}

TEST_F(PlaybackSessionTest, VolumeMuteAndReplayGainStayInRangeAreShownAndKeptForTheNextRun) {
    EXPECT_EQ(session->ReplayGainMode(), ReplayGain::Off);
    session->SetReplayGain(ReplayGain::Album);
    EXPECT_EQ(engine->replayGain, ReplayGain::Album);
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
    EXPECT_EQ(engine->replayGain, ReplayGain::Album);
    EXPECT_EQ(session->ReplayGainMode(), ReplayGain::Album);
}

TEST_F(PlaybackSessionTest,
       AFileLeftBeforeItsEndResumesThereAfterARestartAndARecentOneThatIsGoneGoes) {
    session->Open("/m/film.mkv", OpenOrigin::Single);
    engine->Report(40, 120);
    make({}); // the player ends with the film at 0:40
    session->Open("/m/film.mkv", OpenOrigin::Single);
    EXPECT_EQ(engine->calls.last(), "FileName=/m/film.mkv@40");
    EXPECT_EQ(lastNotice(), "Resumed at 0:40 — Home starts over");
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
    // A link that leads nowhere holds its name as a file does.
    const QDir pictures(folder.filePath("pictures"));
    ASSERT_TRUE(pictures.mkpath("."));
    ASSERT_TRUE(QFile::link("/nowhere/at/all.png", pictures.filePath("My Film 1-02-05.png")));
    emit engine->ScreenshotTaken(frame);
    emit engine->ScreenshotTaken(frame);
    EXPECT_EQ(
        pictures.entryList(QDir::Files | QDir::System),
        (QStringList{"My Film 1-02-05 (2).png", "My Film 1-02-05 (3).png", "My Film 1-02-05.png"}));
    EXPECT_EQ(QImage(pictures.filePath("My Film 1-02-05 (2).png")).size(), QSize(320, 240));
    EXPECT_EQ(QFile::symLinkTarget(pictures.filePath("My Film 1-02-05.png")),
              "/nowhere/at/all.png");
    EXPECT_EQ(lastNotice(), "Saved My Film 1-02-05 (3).png");
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

// Tags are read once the first file is on its way; what the engine learnt of
// the file that plays stays, and a saved playlist has the rest.
TEST_F(PlaybackSessionTest, TagsReadAfterTheFirstOpenFillTheQueueAndASavedPlaylist) {
    QDir(folder.path()).mkpath("music");
    QFile::copy(test::media::TaggedSong(), folder.filePath("music/1 song.mp3"));
    QFile::copy(test::media::AudioClip(), folder.filePath("music/2 clip.mp3"));
    QSignalSpy changed(session.get(), &PlaybackSession::QueueEntryChanged);
    int changedAtOpen = -1;
    QObject::connect(engine, &MediaEngine::Opened, [&] { changedAtOpen = int(changed.count()); });
    session->PlayEntries({folder.filePath("music")});
    EXPECT_EQ(changedAtOpen, 0);
    engine->Report(0, 9); // the engine's length of the file playing
    const PlayQueue& queue = session->Queue();
    ASSERT_TRUE(QTest::qWaitFor([&] { return queue.At(1).length > 0; }, 10000));
    EXPECT_EQ(queue.At(0).title, "Evening Tide");
    EXPECT_EQ(queue.At(0).artist, "The Quarn Trio");
    EXPECT_EQ(queue.At(0).length, 9);
    ASSERT_TRUE(session->SaveQueueAs(folder.filePath("saved.m3u8")).written);
    EXPECT_EQ(test::media::Bytes(folder.filePath("saved.m3u8")),
              "#EXTM3U\n#EXTINF:9,The Quarn Trio - Evening Tide\nmusic/1 song.mp3\n"
              "#EXTINF:3,\nmusic/2 clip.mp3\n");
}

// What plays next is handed to the engine as soon as it is known, and takes
// over as if it had been opened, without opening anything (cue sheets: MusicE2ETest).
TEST_F(PlaybackSessionTest, TheNextEntryIsHandedToTheEngineAndTakesOverAsIfOpened) {
    session->PlayEntries({"/m/a.mp3", "/m/b.mp3", "/m/c.mp3"});
    EXPECT_EQ(engine->next, (MediaSegment{"/m/b.mp3", 0, -1}));
    session->MoveRows({2}, 1);
    EXPECT_EQ(engine->next.path, "/m/c.mp3");
    session->SetLoop(LoopMode::File);
    EXPECT_EQ(engine->next.path, "");
    session->SetLoop(LoopMode::Off);
    QSignalSpy opened(session.get(), &PlaybackSession::FileOpened);
    engine->calls.clear();
    engine->MoveToNext();
    EXPECT_EQ(session->Queue().CurrentRow(), 1);
    EXPECT_EQ(opened.last().at(0).toString(), "c    ");
    EXPECT_EQ(engine->calls.size() + saver.record.size(), 1) << "nothing opened again";
    EXPECT_EQ(engine->next.path, "/m/b.mp3");
    engine->MoveToNext();
    EXPECT_EQ(engine->next.path, "") << "the queue's end";
    session->SetLoop(LoopMode::Queue);
    EXPECT_EQ(engine->next.path, "/m/a.mp3");
}

// Taken out while it plays, an entry plays on, and what followed it plays
// after it, however the queue is edited meanwhile.
TEST_F(PlaybackSessionTest, EditsAroundThePlayingEntryNeverChangeWhatPlaysNext) {
    session->PlayEntries({"/m/a.mp3", "/m/b.mp3", "/m/c.mp3", "/m/d.mp3"});
    session->PlayRow(1);
    QueueModel model(*session);
    session->RemoveRows({1});
    EXPECT_EQ(engine->FileName(), "/m/b.mp3");
    EXPECT_FALSE(model.index(1).data(CurrentRole).toBool());
    EXPECT_EQ(engine->next.path, "/m/c.mp3");
    session->UndoRemoval();
    EXPECT_TRUE(model.index(1).data(CurrentRole).toBool());
    session->RemoveRows({1});
    session->RemoveRows({1}); // c, which was to follow, too
    session->MoveRows({0}, -1);
    EXPECT_EQ(engine->next.path, "/m/d.mp3");
    engine->End();
    EXPECT_EQ(engine->FileName(), "/m/d.mp3");
    // The last but one taken out as it plays: the last follows it.
    session->PlayEntries({"/m/a.mp3", "/m/b.mp3", "/m/c.mp3"});
    session->Next();
    session->RemoveRows({1});
    engine->MoveToNext();
    EXPECT_EQ(engine->FileName(), "/m/c.mp3");
    EXPECT_EQ(session->Queue().CurrentRow(), 1);
}

// Restarted, the kept entry shows with where it was left, and any Play opens it there.
TEST_F(PlaybackSessionTest, TheKeptEntryIsCurrentAfterARestartAndPlayOpensItWhereItWasLeft) {
    session->PlayEntries({"/m/a.mkv", "/m/b.mkv"});
    session->Next();
    engine->Report(70, 300);
    make({});
    QSignalSpy ready(session.get(), &PlaybackSession::EntryReady);
    QSignalSpy readouts(session.get(), &PlaybackSession::ReadoutChanged);
    session->RestoreQueue();
    EXPECT_EQ(ready.last().at(0).toString(), "b    ");
    EXPECT_EQ(readouts.last().at(0).value<Readout>().caption, "1:10/5:00");
    EXPECT_EQ(session->CurrentEntry(), "/m/b.mkv");
    EXPECT_EQ(session->State(), PlaybackState::Stopped);
    EXPECT_EQ(engine->calls, QStringList{}) << "nothing plays until asked";
    session->PlayPause();
    EXPECT_EQ(engine->calls.last(), "FileName=/m/b.mkv@70");
}

// Left with its second sound track, the subtitles beside it, a delay and a
// speed, a film opens with them again (its tracks once the engine lists them);
// started over, it opens at its start with them still; a subtitle file loaded
// from elsewhere is loaded again.
TEST_F(PlaybackSessionTest, AFilmOpensAgainWithTheTracksTimingAndSpeedItWasLeftWith) {
    using Kind = MediaTrack::Kind;
    const QString film = folder.filePath("film.mkv");
    const QString extra = folder.filePath("subs/extra.srt");
    for (const QString& file : {folder.filePath("film.srt"), extra}) {
        ASSERT_TRUE(platform::WriteUserFile(file, "1\n").written);
    }
    const std::vector<MediaTrack> fresh{{Kind::Audio, 1, "eng", "", true, false},
                                        {Kind::Audio, 2, "deu", "", false, false},
                                        {Kind::Subtitle, 1, "eng", "", true, false},
                                        {Kind::Subtitle, 2, "", "film.srt", false, true}};
    const auto shown = [&](Kind kind) { return test::SelectedTrack(engine->tracks, kind); };
    engine->tracks = fresh;
    session->Open(film, OpenOrigin::Single);
    session->SelectTrack(Kind::Audio, 2);
    session->SelectTrack(Kind::Subtitle, 2);
    for (int i = 0; i < 3; ++i) {
        session->ChangeSubtitleDelay(0.1);
    }
    EXPECT_EQ(lastNotice(), "Subtitle delay +300 ms");
    session->SetSpeed(1.25);
    engine->Report(754, 7200);
    make({});
    session->Open(film, OpenOrigin::Single);
    EXPECT_EQ(engine->calls.last(), "FileName=" + film + "@754");
    EXPECT_EQ(notices->last(), (QVariantList{"Resumed at 12:34 — Home starts over", 4000}));
    EXPECT_DOUBLE_EQ(engine->speed, 1.25);
    EXPECT_DOUBLE_EQ(engine->subtitleDelay, 0.3);
    engine->tracks = fresh; // listed after the file opened
    emit engine->TracksChanged();
    EXPECT_EQ(shown(Kind::Audio), 2);
    EXPECT_EQ(shown(Kind::Subtitle), 2);

    session->StartOver();
    EXPECT_EQ(engine->calls.last(), "Seek=0");
    make({});
    engine->tracks = fresh; // listed as the file opens
    session->Open(film, OpenOrigin::Single);
    EXPECT_EQ(engine->calls.last(), "FileName=" + film);
    EXPECT_EQ(shown(Kind::Audio), 2);
    EXPECT_EQ(shown(Kind::Subtitle), 2);
    EXPECT_DOUBLE_EQ(engine->subtitleDelay, 0.3);
    session->AddSubtitleFile(extra);
    engine->tracks.push_back({Kind::Subtitle, 3, "", "extra.srt", false, true});
    engine->SelectTrack(Kind::Subtitle, 3);
    make({});
    session->Open(film, OpenOrigin::Single);
    EXPECT_EQ(engine->calls.last(), "Subtitle=" + extra);
}

// Next and previous go as on a disc: previous goes back to the start of the
// chapter playing when more than 3 s into it, else to the one before. Each
// chapter played into is named; the one the file opens in is not.
TEST_F(PlaybackSessionTest, ChaptersGoOnAndBackAsOnADiscAndEachOnePlayedIntoIsNamed) {
    engine->chapters = {{0, "Opening"}, {300, ""}, {900, "The Storm"}};
    session->Open("/m/film.mkv", OpenOrigin::Single);
    engine->Report(10, 3600);
    EXPECT_EQ(notices->count(), 0);
    engine->Report(301, 3600);
    EXPECT_EQ(lastNotice(), "Chapter 2");
    engine->calls.clear();
    session->NextChapter();
    EXPECT_EQ(lastNotice(), "Chapter 3: The Storm");
    session->NextChapter();
    EXPECT_EQ(lastNotice(), "Last chapter");
    engine->Report(904, 3600);
    session->PreviousChapter(); // 4 s in: its start
    session->PreviousChapter(); // at once: the one before
    engine->Report(302, 3600);
    session->PreviousChapter(); // 2 s in: the one before
    session->PreviousChapter(); // the first: its start
    EXPECT_EQ(engine->calls.filter("Chapter=").join(' '),
              "Chapter=2 Chapter=2 Chapter=1 Chapter=0 Chapter=0");
    EXPECT_EQ(lastNotice(), "Chapter 1: Opening");
}

TEST_F(PlaybackSessionTest, TimingAndPictureGoInStepsWithinTheirBoundsAndAspectRatiosGoRound) {
    session->Open("/m/film.mkv", OpenOrigin::Single);
    session->ChangeAudioDelay(-0.1);
    EXPECT_EQ(lastNotice(), "Audio delay -100 ms");
    session->ResetTimings();
    EXPECT_EQ(engine->audioDelay, 0);
    session->ChangeSubtitleSize(0.2);
    EXPECT_EQ(lastNotice(), "Subtitle size 120%");
    session->MoveSubtitles(-5);
    EXPECT_EQ(lastNotice(), "Subtitles higher 95%");
    for (int i = 0; i < 25; ++i) {
        session->ChangeAdjustment(PictureAdjustment::Brightness, 5);
    }
    EXPECT_EQ(lastNotice(), "Brightness +100");
    session->ChangeAdjustment(PictureAdjustment::Gamma, -10);
    EXPECT_EQ(lastNotice(), "Gamma -10");
    session->ResetPicture();
    EXPECT_EQ(engine->adjustments[0] | engine->adjustments[3], 0);

    QStringList names;
    for (const auto& [name, ratio] : PlaybackSession::AspectRatios()) {
        names << name;
        session->NextAspectRatio();
    }
    EXPECT_EQ(names.join(' '), "Automatic 4:3 16:9 1.85:1 2.35:1");
    EXPECT_EQ(lastNotice(), "Aspect ratio Automatic") << "round to the file's own";
    session->SetAspectRatio(16.0 / 9);
    EXPECT_EQ(lastNotice(), "Aspect ratio 16:9");
}

// The Open dialog starts in the folder of the file playing, else in the one a
// file was opened from by itself last (kept for the next run).
TEST_F(PlaybackSessionTest, TheOpenDialogStartsBesideTheFilePlayingElseWhereOneWasOpenedLast) {
    EXPECT_EQ(session->OpenFolder(), "");
    for (const char* name : {"films", "music"}) {
        ASSERT_TRUE(QDir(folder.path()).mkpath(name));
    }
    session->Open(folder.filePath("films/a.mkv"), OpenOrigin::Single);
    EXPECT_EQ(session->OpenFolder(), folder.filePath("films"));
    session->PlayEntries({folder.filePath("music/1.mp3"), folder.filePath("music/2.mp3")});
    EXPECT_EQ(session->OpenFolder(), folder.filePath("music"));
    session->Open("http://127.0.0.1:9/live", OpenOrigin::Single);
    EXPECT_EQ(session->OpenFolder(), folder.filePath("films"));
    make({});
    EXPECT_EQ(session->OpenFolder(), folder.filePath("films"));
}
