#include "widgets/Cmdlg.h"
#include "ModalDriver.h"

#include <QFile>
#include <QSize>
#include <deque>
#include <gtest/gtest.h>

namespace quarn {
namespace {

// Answers file dialogs from a script and remembers what it was asked.
class ScriptedDialogs : public FileDialogBackend {
public:
    std::deque<std::optional<QString>> answers; // a cancel once they run out
    QList<Request> requests;

    std::optional<QString> ChooseFile(const Request& request) override {
        requests << request;
        std::optional<QString> answer;
        if (!answers.empty()) {
            answer = answers.front();
            answers.pop_front();
        }
        return answer;
    }
    std::optional<QString> ChooseFolder(const QString&) override { return std::nullopt; }
};

class CmdlgTest : public ::testing::Test {
protected:
    CmdlgTest() {
        auto dialogs = std::make_unique<ScriptedDialogs>();
        dialogs_ = dialogs.get();
        CMDLG.SetBackend(std::move(dialogs));
    }
    void OpenChoosing(const std::optional<QString>& answer) {
        dialogs_->answers.push_back(answer);
        CMDLG.ShowOpen();
    }
    const FileDialogBackend::Request& LastRequest() const { return dialogs_->requests.last(); }

    Cmdlg CMDLG;
    ScriptedDialogs* dialogs_ = nullptr;
};

TEST_F(CmdlgTest, FileNameGivesTheChosenPathOnceAndNothingBeforeOrAfter) {
    EXPECT_EQ(CMDLG.FileName(), QString());
    OpenChoosing(QStringLiteral("/home/ann/Videos/clip.mp4"));
    EXPECT_EQ(CMDLG.FileName(), QStringLiteral("/home/ann/Videos/clip.mp4"));
    EXPECT_EQ(CMDLG.FileName(), QString());
}

TEST_F(CmdlgTest, TwoDialogsWithoutAReadGiveTheSecondPathAlone) {
    OpenChoosing(QStringLiteral("/home/ann/Videos/a very long folder name/clip.mpeg"));
    OpenChoosing(QStringLiteral("/tmp/a.mp3"));
    EXPECT_EQ(CMDLG.FileName(), QStringLiteral("/tmp/a.mp3"));
}

TEST_F(CmdlgTest, CancelWritesNothing) {
    OpenChoosing(QStringLiteral("/tmp/a.mp3"));
    CMDLG.FileName();
    OpenChoosing(std::nullopt);
    EXPECT_EQ(CMDLG.FileName(), QString());

    OpenChoosing(QStringLiteral("/tmp/b.mp3"));
    OpenChoosing(std::nullopt);
    EXPECT_EQ(LastRequest().fileName, QStringLiteral("/tmp/b.mp3")); // unread: preselected
    OpenChoosing(u'/' + QString(1100, u'x'));                        // too long: a failed dialog
    EXPECT_EQ(CMDLG.FileName(), QStringLiteral("/tmp/b.mp3"));
}

TEST_F(CmdlgTest, FilterReadsBackWithoutATrailingBar) {
    EXPECT_EQ(CMDLG.Filter(), QString());
    CMDLG.SetFilter(QStringLiteral("Media Files |*.mp*;*.avi;*.asf;*.wmv|All Files (*.*)|*.*|"));
    EXPECT_EQ(CMDLG.Filter(),
              QStringLiteral("Media Files |*.mp*;*.avi;*.asf;*.wmv|All Files (*.*)|*.*"));
    CMDLG.SetFilter(QStringLiteral("Text|*.txt"));
    EXPECT_EQ(CMDLG.Filter(), QStringLiteral("Text|*.txt"));
}

TEST_F(CmdlgTest, TheToolbarsOpenAsksForTwoTypesTheFirstPreselected) {
    CMDLG.SetDefaultExt(QStringLiteral("1"));
    CMDLG.SetFilter(QStringLiteral("Media Files |*.mp*;*.avi;*.asf;*.wmv|All Files (*.*)|*.*|"));
    OpenChoosing(std::nullopt);

    FileDialogBackend::Request expected;
    expected.filters = {{QStringLiteral("Media Files "),
                         {QStringLiteral("*.mp*"), QStringLiteral("*.avi"), QStringLiteral("*.asf"),
                          QStringLiteral("*.wmv")}},
                        {QStringLiteral("All Files (*.*)"), {QStringLiteral("*.*")}}};
    expected.selectedFilter = 0;
    expected.defaultSuffix = QStringLiteral("1");
    expected.overwritePrompt = true;
    expected.anyName = true; // names of files that do not exist too
    EXPECT_EQ(LastRequest(), expected);

    CMDLG.ShowSave();
    EXPECT_EQ(LastRequest().mode, FileDialogBackend::Request::Mode::Save);
    EXPECT_TRUE(LastRequest().overwritePrompt);
}

TEST_F(CmdlgTest, DefaultExtIsTxtAtFirstAndLosesEveryDot) {
    EXPECT_EQ(CMDLG.DefaultExt(), QStringLiteral("txt"));
    CMDLG.SetDefaultExt(QStringLiteral(".mp3"));
    EXPECT_EQ(CMDLG.DefaultExt(), QStringLiteral("mp3"));
    CMDLG.SetDefaultExt(QStringLiteral("..."));
    CMDLG.ShowOpen();
    EXPECT_EQ(LastRequest().defaultSuffix, QString());
}

TEST_F(CmdlgTest, TitleAndStartFolderReachTheDialogUpToAnyNul) {
    CMDLG.SetDialogTitle(QStringLiteral("Pick a clip") + QChar(u'\0') + QStringLiteral("x"));
    CMDLG.SetInitDir(QStringLiteral("/srv/media"));
    CMDLG.ShowOpen();
    EXPECT_EQ(LastRequest().title, QStringLiteral("Pick a clip"));
    EXPECT_EQ(LastRequest().startFolder, QStringLiteral("/srv/media"));
    EXPECT_EQ(CMDLG.DialogTitle(), QStringLiteral("Pick a clipx"));
    EXPECT_EQ(CMDLG.InitDir(), QStringLiteral("/srv/media"));
}

TEST_F(CmdlgTest, FileTitleIsTheBareNamePaddedWithNulsTo256) {
    OpenChoosing(QStringLiteral("/home/ann/Music/Song.mp3"));
    EXPECT_EQ(CMDLG.FileTitle(), QStringLiteral("Song.mp3") + QString(248, QChar(u'\0')));
}

TEST_F(CmdlgTest, PresetNamesAreCutToLeaveRoomForTheirNul) {
    CMDLG.SetFileTitle(QString(300, u'y'));
    EXPECT_EQ(CMDLG.FileTitle(), QString(255, u'y') + QChar(u'\0'));
    CMDLG.SetFileName(QString(2000, u'x'));
    EXPECT_EQ(CMDLG.FileName(), QString(1023, u'x'));
}

} // namespace
} // namespace quarn
