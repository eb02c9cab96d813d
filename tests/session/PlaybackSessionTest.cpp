// The playback session's decisions, with a fake engine: what plays next, what
// a refusal means, the end of the queue, the sound and the screen saver.
#include "session/PlaybackSession.h"
#include "support/FakeEngine.h"

#include <QSignalSpy>
#include <QTemporaryDir>
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
        session = std::make_unique<PlaybackSession>(std::move(fake), saver,
                                                    folder.filePath(QStringLiteral("s.json")));
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
