#include "toolbar/Toolbar.h"
#include "player/FrmMain.h"
#include "support/WindowsFixture.h"
#include "toolbar/SongName.h"

#include <gtest/gtest.h>
#include <optional>

using namespace quarn;

namespace {

// Answers the Open dialog with a prepared path, or cancels it.
class FakeDialog : public FileDialogBackend {
public:
    explicit FakeDialog(std::optional<QString>& answer, std::vector<Request>& requests)
        : answer_(answer), requests_(requests) {}
    std::optional<QString> ChooseFile(const Request& request) override {
        requests_.push_back(request);
        return answer_;
    }
    std::optional<QString> ChooseFolder(const QString&) override { return std::nullopt; }

private:
    std::optional<QString>& answer_;
    std::vector<Request>& requests_;
};

class ToolbarTest : public test::WindowsFixture {
protected:
    void SetUp() override {
        WindowsFixture::SetUp();
        frmMain().CMDLG.SetBackend(std::make_unique<FakeDialog>(answer, requests));
    }

    // Clicks Open and answers the dialog with the path (nullopt: cancel).
    void open(std::optional<QString> path) {
        answer = std::move(path);
        toolbar().mOpen_Click();
    }

    std::optional<QString> answer;
    std::vector<FileDialogBackend::Request> requests;
};

} // namespace

TEST_F(ToolbarTest, OpenPlaysTheChosenFileAndShowsItsTitle) {
    open(QStringLiteral("/media/song.mp3"));
    EXPECT_EQ(theShow().FileName(), "/media/song.mp3");
    EXPECT_EQ(songName().Label1().text(), "song    ");
    EXPECT_TRUE(frmMain().HScroll1().isEnabled());
    EXPECT_TRUE(frmMain().Timer2.isActive());
    EXPECT_EQ(screenSaver, QStringList{"off"});
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(ToolbarTest, OpenOffersTheMediaFilterWithTheFirstEntryChosen) {
    open(QStringLiteral("/media/song.mp3"));
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(frmMain().CMDLG.Filter(), "Media Files |*.mp*;*.avi;*.asf;*.wmv|All Files (*.*)|*.*");
    EXPECT_EQ(frmMain().CMDLG.DefaultExt(), "1");
}

TEST_F(ToolbarTest, TitleDropsTheLastFourCharactersWhateverTheyAre) {
    open(QStringLiteral("/media/clip.avi"));
    EXPECT_EQ(songName().Label1().text(), "clip    ");
    open(QStringLiteral("/media/a.mp"));
    EXPECT_EQ(songName().Label1().text(), "    ");
    open(QStringLiteral("/media/film.mpeg"));
    EXPECT_EQ(songName().Label1().text(), "film.    ");
    // Only "/" separates names here; a backslash belongs to the name.
    open(QStringLiteral("C:\\Media\\song.mp3"));
    EXPECT_EQ(songName().Label1().text(), "C:\\Media\\song    ");
}

TEST_F(ToolbarTest, AShortNamePlaysWithItsWholeNameAsTitle) {
    open(QStringLiteral("/media/ab"));
    EXPECT_EQ(theShow().FileName(), "/media/ab");
    EXPECT_EQ(songName().Label1().text(), "ab    ");
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_EQ(screenSaver, QStringList{"off"});
}

TEST_F(ToolbarTest, CancellingTheDialogChangesNothing) {
    open(QStringLiteral("/media/song.mp3"));
    screenSaver.clear();
    theShow().calls.clear();
    open(std::nullopt);
    EXPECT_EQ(theShow().FileName(), "/media/song.mp3");
    EXPECT_TRUE(theShow().calls.isEmpty());
    EXPECT_EQ(songName().Label1().text(), "song    ");
    EXPECT_TRUE(frmMain().HScroll1().isEnabled());
    EXPECT_TRUE(frmMain().Timer2.isActive());
    EXPECT_TRUE(screenSaver.isEmpty());
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(ToolbarTest, ARefusedFileIsReportedAndNothingElseChanges) {
    open(QStringLiteral("/media/song.mp3"));
    screenSaver.clear();
    theShow().refuse = true;
    open(QStringLiteral("/media/broken.avi"));
    EXPECT_EQ(messages, QStringList{"Playback Error: Movie is invalid or you need a codec"});
    EXPECT_EQ(songName().Label1().text(), "song    ");
    EXPECT_TRUE(screenSaver.isEmpty());
}

TEST_F(ToolbarTest, AnotherEngineFailureShowsItsCode) {
    theShow().refuse = true;
    theShow().refuseCode = 7;
    open(QStringLiteral("/media/song.mp3"));
    EXPECT_EQ(messages, QStringList{"QUARN Media Player: 7"});
}

TEST_F(ToolbarTest, OpenDocksBothCompanionsToTheMainWindow) {
    frmMain().move(300, 400);
    songName().move(0, 0);
    toolbar().move(0, 0);
    open(QStringLiteral("/media/song.mp3"));
    ASSERT_EQ(frmMain().geometry(), QRect(300, 400, 254, 214));
    // 1850 twips left of the main window's middle: (300 + 127) * 15 - 1850 =
    // 4555 twips, 303.67 pixels; 40 pixels above it and 2 below it.
    EXPECT_EQ(songName().pos(), QPoint(304, 360));
    EXPECT_EQ(toolbar().pos(), QPoint(304, 616));
}

TEST_F(ToolbarTest, PlayAndPauseNeedAnOpenFile) {
    toolbar().Play_Click();
    toolbar().Pause_Click();
    EXPECT_TRUE(theShow().calls.isEmpty());
    EXPECT_TRUE(screenSaver.isEmpty());
    open(QStringLiteral("/media/song.mp3"));
    screenSaver.clear();
    toolbar().Pause_Click();
    EXPECT_TRUE(screenSaver.isEmpty()); // pausing keeps the screen saver off
    toolbar().Play_Click();
    EXPECT_EQ(theShow().calls.mid(1), (QStringList{"Pause", "Play"}));
    EXPECT_EQ(screenSaver, QStringList{"off"});
}

TEST_F(ToolbarTest, StopAlwaysStopsAndSwitchesTheScreenSaverOn) {
    toolbar().mStop_Click();
    EXPECT_EQ(theShow().calls, QStringList{"Stop"});
    EXPECT_EQ(screenSaver, QStringList{"on"});
}

TEST_F(ToolbarTest, TheEndOfTheMediaSwitchesTheScreenSaverOnAndResets) {
    open(QStringLiteral("/media/song.mp3"));
    theShow().EmitEndOfStream();
    EXPECT_EQ(screenSaver, (QStringList{"off", "on"}));
    EXPECT_EQ(songName().Label1().text(), "");
    EXPECT_FALSE(frmMain().Timer2.isActive());
    EXPECT_FALSE(frmMain().HScroll1().isEnabled());
}

TEST_F(ToolbarTest, LoadShapesTheButtonsAndColoursTheTime) {
    Toolbar& bar = toolbar();
    EXPECT_EQ(bar.size(), QSize(244, 46));
    EXPECT_FALSE(bar.mask().isEmpty());
    for (PictureBox* button : {&bar.Play(), &bar.Pause(), &bar.mStop(), &bar.mOpen(),
                               &bar.ScreenSavers(), &bar.Options()}) {
        EXPECT_EQ(button->size(), QSize(17, 21)) << button->objectName().toStdString();
        EXPECT_FALSE(button->mask().isEmpty()) << button->objectName().toStdString();
    }
    EXPECT_EQ(bar.Time().ForeColour(), colourWord(88, 149, 193));
    EXPECT_EQ(bar.Time().text(), "00:00/00:00");
}
