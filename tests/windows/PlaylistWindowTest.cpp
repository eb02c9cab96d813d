// The playlist window over the real queue model, with a fake engine: keys,
// what stays selected through edits, the summary.
#include "windows/PlaylistWindow.h"
#include "session/QueueModel.h"
#include "support/FakeEngine.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace quarn;

namespace {

class NoSaver : public platform::ScreenSaverSwitch {
public:
    void SetActive(bool) override {}
};

} // namespace

TEST(PlaylistWindowTest, KeysPlayRemoveAndUndoAndTheSelectionStaysWithItsEntryThroughEdits) {
    NoSaver saver;
    auto fake = std::make_unique<test::FakeEngine>();
    PlaybackSession session(std::move(fake), saver, {});
    QueueModel model(session);
    PlaylistWindow window(model);
    QObject::connect(&window, &PlaylistWindow::RemoveRequested, &session,
                     &PlaybackSession::RemoveRows);
    QObject::connect(&window, &PlaylistWindow::UndoRequested, &session,
                     &PlaybackSession::UndoRemoval);
    QSignalSpy plays(&window, &PlaylistWindow::PlayRequested);
    session.PlayEntries({"/m/1.mp4", "/m/2.mp4", "/m/3.mp4", "/m/4.mp4", "/m/5.mp4"});
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QListView& list = window.List();
    list.setFocus();
    list.setCurrentIndex(model.index(0, 0));
    auto names = [&] {
        QStringList shown;
        for (int row = 0; row < model.rowCount(); ++row) {
            shown << model.index(row, 0).data().toString();
        }
        return shown.join(' ');
    };
    QTest::keyClick(&list, Qt::Key_Down);
    QTest::keyClick(&list, Qt::Key_Down);
    QTest::keyClick(&list, Qt::Key_Return);
    ASSERT_EQ(plays.count(), 1);
    EXPECT_EQ(plays.at(0).at(0).toInt(), 2);
    QTest::keyClick(&list, Qt::Key_Delete);
    EXPECT_EQ(names(), "1.mp4 2.mp4 4.mp4 5.mp4");
    EXPECT_EQ(list.currentIndex().row(), 2) << "the next entry takes the removed one's place";

    QTest::keyClick(&list, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(names(), "1.mp4 2.mp4 3.mp4 4.mp4 5.mp4");
    EXPECT_EQ(list.currentIndex().data().toString(), "4.mp4");
    QTest::keyClick(&list, Qt::Key_Up);
    QTest::keyClick(&list, Qt::Key_Delete);
    EXPECT_EQ(names(), "1.mp4 2.mp4 4.mp4 5.mp4");
}
