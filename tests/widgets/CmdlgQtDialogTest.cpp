#include "ModalDriver.h"
#include "widgets/Cmdlg.h"
#include "widgets/Label.h"
#include "widgets/MessageBox.h"
#include "widgets/PictureBox.h"
#include "widgets/Pictures.h"
#include "widgets/WindowLook.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace quarn {
namespace {

using ::testing::UnorderedElementsAre;
using namespace test;

// The component over Qt's own file dialog, as the toolbar sets it up, in a
// folder of files whose names differ in case.
class CmdlgQtDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"MOVIE.AVI", "clip.mp4", "README", "notes.txt", "take.1"}) {
            ASSERT_TRUE(QFile(Path(name)).open(QIODevice::WriteOnly));
        }
        CMDLG.SetDefaultExt(QStringLiteral("1"));
        CMDLG.SetFilter(
            QStringLiteral("Media Files |*.mp*;*.avi;*.asf;*.wmv|All Files (*.*)|*.*|"));
        CMDLG.SetInitDir(folder_.path());
    }
    void TearDown() override { EXPECT_FALSE(driver_.TimedOut()); }

    QString Path(const char* name) const { return folder_.filePath(QString::fromLatin1(name)); }
    // Answers the next file dialog by typing the name and confirming.
    void Choose(const QString& name) {
        driver_.Answer<QFileDialog>([name](QFileDialog* dialog) {
            TypeFileName(dialog, name);
            Accept(dialog);
        });
    }

    QTemporaryDir folder_;
    ModalDriver driver_;
    Cmdlg CMDLG;
};

TEST_F(CmdlgQtDialogTest, MediaFilesAreListedWhateverTheCaseOfTheirNames) {
    QStringList media, all, types;
    driver_.Answer<QFileDialog>([&](QFileDialog* dialog) {
        types = FileTypes(dialog);
        media = ListedNames(dialog, folder_.path(), {"MOVIE.AVI", "clip.mp4"});
        dialog->selectNameFilter(dialog->nameFilters().at(1));
        all = ListedNames(dialog, folder_.path(), {"MOVIE.AVI", "README", "notes.txt"});
        dialog->reject();
    });
    CMDLG.ShowOpen();

    EXPECT_EQ(types, (QStringList{"Media Files", "All Files (*.*)"}));
    EXPECT_THAT(media, UnorderedElementsAre("MOVIE.AVI", "clip.mp4"));
    EXPECT_THAT(all,
                UnorderedElementsAre("MOVIE.AVI", "clip.mp4", "README", "notes.txt", "take.1"));
    EXPECT_EQ(CMDLG.FileName(), QString());
}

TEST_F(CmdlgQtDialogTest, OpenTakesAFileWithoutADotDespiteTheDefaultExtension) {
    Choose(QStringLiteral("README"));
    CMDLG.ShowOpen();
    EXPECT_EQ(CMDLG.FileName(), Path("README"));
}

TEST_F(CmdlgQtDialogTest, OpenIsModalToNothingAndTakesTheNameOfAFileThatDoesNotExist) {
    bool modal = true;
    driver_.Answer<QFileDialog>([&](QFileDialog* dialog) {
        modal = dialog->isModal() || dialog->windowModality() != Qt::NonModal;
        TypeFileName(dialog, QStringLiteral("missing.avi"));
        Accept(dialog);
    });
    CMDLG.ShowOpen();
    EXPECT_FALSE(modal);
    EXPECT_EQ(CMDLG.FileName(), Path("missing.avi"));
}

TEST_F(CmdlgQtDialogTest, OpenFindsATypedNameWithTheDefaultExtension) {
    Choose(QStringLiteral("take"));
    CMDLG.ShowOpen();
    EXPECT_EQ(CMDLG.FileName(), Path("take.1"));
}

TEST_F(CmdlgQtDialogTest, SaveAppendsTheDefaultExtensionAndAsksBeforeReplacing) {
    Choose(QStringLiteral("mix"));
    CMDLG.ShowSave();
    EXPECT_EQ(CMDLG.FileName(), Path("mix.1"));

    bool asked = false;
    Choose(QStringLiteral("clip.mp4"));
    driver_.Answer<QMessageBox>([&](QMessageBox* box) {
        asked = true;
        box->button(QMessageBox::Yes)->click();
    });
    CMDLG.ShowSave();
    EXPECT_TRUE(asked);
    EXPECT_EQ(CMDLG.FileName(), Path("clip.mp4"));
}

TEST_F(CmdlgQtDialogTest, GetFolderNameShowsItsTitleAndGivesTheChosenFolderOrNothingOnCancel) {
    ASSERT_TRUE(QDir(folder_.path()).mkdir(QStringLiteral("Songs")));
    QString title;
    QString start;
    driver_.Answer<QFileDialog>([&](QFileDialog* dialog) {
        title = dialog->windowTitle();
        start = dialog->directory().absolutePath();
        TypeFileName(dialog, Path("Songs"));
        Accept(dialog);
    });
    EXPECT_EQ(CMDLG.GetFolderName(QStringLiteral("Pick the songs")), Path("Songs"));
    EXPECT_EQ(title, QStringLiteral("Pick the songs"));
    EXPECT_EQ(start, QDir::rootPath()) << "the tree starts at its root";
    driver_.Answer<QFileDialog>([](QFileDialog* dialog) { dialog->reject(); });
    EXPECT_EQ(CMDLG.GetFolderName(QStringLiteral("Songs")), QString());
}

} // namespace
} // namespace quarn
