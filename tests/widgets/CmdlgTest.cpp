// The file dialog component: over a scripted backend, what it asks for and
// what it gives back; over Qt's own dialog, what the user sees and types.
#include "widgets/Cmdlg.h"
#include "ModalDriver.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QTemporaryDir>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace quarn {
namespace {

using Request = FileDialogBackend::Request;
using namespace test;

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
    const Request& LastRequest() const { return dialogs_->requests.last(); }

    Cmdlg CMDLG;
    ScriptedDialogs* dialogs_ = nullptr;
};

TEST_F(CmdlgTest, FileNameGivesTheLastChosenPathOnceAndACancelOrAFailedDialogWritesNothing) {
    EXPECT_EQ(CMDLG.FileName(), QString());
    OpenChoosing("/home/ann/Videos/a very long folder name/clip.mpeg");
    OpenChoosing("/home/ann/Music/Song.mp3");
    EXPECT_EQ(CMDLG.FileTitle(), QStringLiteral("Song.mp3") + QString(248, QChar(u'\0')));
    EXPECT_EQ(CMDLG.FileName(), "/home/ann/Music/Song.mp3");
    EXPECT_EQ(CMDLG.FileName(), QString());
    OpenChoosing(std::nullopt);
    EXPECT_EQ(CMDLG.FileName(), QString());

    OpenChoosing("/tmp/b.mp3");
    OpenChoosing(std::nullopt);
    EXPECT_EQ(LastRequest().fileName, "/tmp/b.mp3"); // unread: preselected
    OpenChoosing(u'/' + QString(1100, u'x'));        // too long: a failed dialog
    EXPECT_EQ(CMDLG.FileName(), "/tmp/b.mp3");
    // Names set beforehand are cut to leave room for their NUL.
    CMDLG.SetFileTitle(QString(300, u'y'));
    EXPECT_EQ(CMDLG.FileTitle(), QString(255, u'y') + QChar(u'\0'));
    CMDLG.SetFileName(QString(2000, u'x'));
    EXPECT_EQ(CMDLG.FileName(), QString(1023, u'x'));
}

TEST_F(CmdlgTest, TheToolbarsOpenAsksForTwoTypesTheFirstPreselectedAndSaveAsksBeforeReplacing) {
    EXPECT_EQ(CMDLG.Filter(), QString());
    EXPECT_EQ(CMDLG.DefaultExt(), "txt");
    CMDLG.SetDefaultExt(".1");
    CMDLG.SetFilter("Media Files |*.mp*;*.avi;*.asf;*.wmv|All Files (*.*)|*.*|");
    EXPECT_EQ(CMDLG.Filter(), "Media Files |*.mp*;*.avi;*.asf;*.wmv|All Files (*.*)|*.*");
    OpenChoosing(std::nullopt);
    Request expected;
    expected.filters = {{"Media Files ", {"*.mp*", "*.avi", "*.asf", "*.wmv"}},
                        {"All Files (*.*)", {"*.*"}}};
    expected.defaultSuffix = "1";
    expected.anyName = true; // names of files that do not exist too
    EXPECT_EQ(LastRequest(), expected);

    // The title up to any NUL, the start folder, an extension of dots alone.
    CMDLG.SetDialogTitle(QStringLiteral("Pick a clip") + QChar(u'\0') + QStringLiteral("x"));
    CMDLG.SetInitDir("/srv/media");
    CMDLG.SetDefaultExt("...");
    CMDLG.ShowSave();
    expected.mode = Request::Mode::Save;
    expected.title = "Pick a clip";
    expected.startFolder = "/srv/media";
    expected.defaultSuffix.clear();
    EXPECT_EQ(LastRequest(), expected);
    EXPECT_EQ(CMDLG.DialogTitle(), "Pick a clipx");
    EXPECT_EQ(CMDLG.InitDir(), "/srv/media");
}

using ::testing::UnorderedElementsAre;

// The component over Qt's own file dialog, as the toolbar sets it up, in a
// folder of files whose names differ in case.
class CmdlgQtDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"MOVIE.AVI", "clip.mp4", "README", "notes.txt", "take.1"}) {
            ASSERT_TRUE(QFile(Path(name)).open(QIODevice::WriteOnly));
        }
        CMDLG.SetDefaultExt("1");
        CMDLG.SetFilter("Media Files |*.mp*;*.avi;*.asf;*.wmv|All Files (*.*)|*.*|");
        CMDLG.SetInitDir(folder_.path());
    }
    void TearDown() override { EXPECT_FALSE(driver_.TimedOut()); }

    QString Path(const char* name) const { return folder_.filePath(QString::fromLatin1(name)); }

    QTemporaryDir folder_;
    ModalDriver driver_;
    Cmdlg CMDLG;
};

TEST_F(CmdlgQtDialogTest, OpenListsMediaFilesWhateverTheirCaseIsModalToNothingAndTakesAnyName) {
    QStringList media, all, types;
    bool modal = true;
    driver_.Answer<QFileDialog>([&](QFileDialog* dialog) {
        modal = dialog->isModal() || dialog->windowModality() != Qt::NonModal;
        types = FileTypes(dialog);
        media = ListedNames(dialog, folder_.path(), {"MOVIE.AVI", "clip.mp4"});
        dialog->selectNameFilter(dialog->nameFilters().at(1));
        all = ListedNames(dialog, folder_.path(), {"MOVIE.AVI", "README", "notes.txt"});
        dialog->reject();
    });
    CMDLG.ShowOpen();
    EXPECT_FALSE(modal);
    EXPECT_EQ(types, (QStringList{"Media Files", "All Files (*.*)"}));
    EXPECT_THAT(media, UnorderedElementsAre("MOVIE.AVI", "clip.mp4"));
    EXPECT_THAT(all,
                UnorderedElementsAre("MOVIE.AVI", "clip.mp4", "README", "notes.txt", "take.1"));
    EXPECT_EQ(CMDLG.FileName(), QString());
    // A file without a dot despite the default extension, one that does not
    // exist, and a typed name found with the default extension.
    for (const auto& [typed, taken] :
         {std::pair{"README", "README"}, std::pair{"missing.avi", "missing.avi"},
          std::pair{"take", "take.1"}}) {
        driver_.Answer<QFileDialog>([typed](QFileDialog* dialog) {
            TypeFileName(dialog, QString::fromLatin1(typed));
            Accept(dialog);
        });
        CMDLG.ShowOpen();
        EXPECT_EQ(CMDLG.FileName(), Path(taken));
    }
}

TEST_F(CmdlgQtDialogTest, GetFolderNameShowsItsTitleAndGivesTheChosenFolderOrNothingOnCancel) {
    ASSERT_TRUE(QDir(folder_.path()).mkdir("Songs"));
    QString title;
    QString start;
    driver_.Answer<QFileDialog>([&](QFileDialog* dialog) {
        title = dialog->windowTitle();
        start = dialog->directory().absolutePath();
        TypeFileName(dialog, Path("Songs"));
        Accept(dialog);
    });
    EXPECT_EQ(CMDLG.GetFolderName("Pick the songs"), Path("Songs"));
    EXPECT_EQ(title, "Pick the songs");
    EXPECT_EQ(start, QDir::rootPath()) << "the tree starts at its root";
    driver_.Answer<QFileDialog>([](QFileDialog* dialog) { dialog->reject(); });
    EXPECT_EQ(CMDLG.GetFolderName("Songs"), QString());
}

} // namespace
} // namespace quarn
