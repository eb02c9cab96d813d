#include "widgets/DLGs.h"
#include "ModalDriver.h"

#include <QColorDialog>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFontDialog>
#include <QFontInfo>
#include <QIntValidator>
#include <QLineEdit>
#include <QListView>
#include <QPageSetupDialog>
#include <QPrinterInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace quarn {
namespace {

using namespace test;

class DLGsTest : public ::testing::Test {
protected:
    void TearDown() override { EXPECT_FALSE(driver_.TimedOut()); }

    ModalDriver driver_;
    QWidget parent_;
    DLGs DLGs1;
};

TEST_F(DLGsTest, CustomColoursLastFromOneConfirmedColourDialogToTheNextWhichStartsAtBlack) {
    driver_.Answer<QColorDialog>([](QColorDialog* dialog) {
        dialog->setCurrentColor(QColor(10, 20, 30));
        QColorDialog::setCustomColor(0, QColor(10, 20, 30)); // as its Add button does
        Accept(dialog);
    });
    EXPECT_EQ(DLGs1.ShowColor(&parent_), 0x001E140A); // red in the low byte

    QColorDialog::setCustomColor(0, Qt::red); // Qt's table is shared by every colour dialog
    driver_.Answer<QColorDialog>([](QColorDialog* dialog) {
        QColorDialog::setCustomColor(1, QColor(200, 100, 50));
        dialog->reject();
    });
    EXPECT_EQ(DLGs1.ShowColor(&parent_), -1);

    QColor first, second;
    driver_.Answer<QColorDialog>([&](QColorDialog* dialog) {
        first = QColorDialog::customColor(0);
        second = QColorDialog::customColor(1);
        Accept(dialog);
    });
    EXPECT_EQ(DLGs1.ShowColor(&parent_), 0) << "no colour is preselected";
    EXPECT_EQ(first, QColor(10, 20, 30));
    EXPECT_EQ(second, QColor(Qt::black));
}

// The sizes the font dialog's size list shows.
QList<int> OfferedSizes(QFontDialog* dialog) {
    for (QListView* list : dialog->findChildren<QListView*>()) {
        QList<int> sizes;
        bool allSizes = list->model()->rowCount() > 0;
        for (int row = 0; row < list->model()->rowCount() && allSizes; ++row) {
            const int size = list->model()->index(row, 0).data().toString().toInt(&allSizes);
            if (!list->isRowHidden(row)) {
                sizes << size;
            }
        }
        if (allSizes) {
            return sizes;
        }
    }
    return {};
}

TEST_F(DLGsTest, TheFontDialogStartsFromTimesNewRomanRegular12WithSizes10To72AndGivesTheFace) {
    QFont start;
    QList<QList<int>> sizes;
    QPair<int, int> typedRange;
    driver_.Answer<QFontDialog>([&](QFontDialog* dialog) {
        start = dialog->currentFont();
        sizes << OfferedSizes(dialog);
        for (QLineEdit* edit : dialog->findChildren<QLineEdit*>()) {
            if (auto* validator = qobject_cast<const QIntValidator*>(edit->validator())) {
                typedRange = {validator->bottom(), validator->top()};
            }
        }
        dialog->setCurrentFont(QFont("DejaVu Sans", 12)); // refills the list
        sizes << OfferedSizes(dialog);
        Accept(dialog);
    });
    EXPECT_EQ(DLGs1.ShowFont(&parent_), "DejaVu Sans");
    const QString timesHere = QFontInfo(QFont("Times New Roman")).family();
    EXPECT_EQ(QFontInfo(start).family(), timesHere);
    EXPECT_TRUE(QFontDatabase::families().contains(start.family()));
    EXPECT_EQ(start.pointSize(), 12);
    EXPECT_EQ(start.weight(), QFont::Normal);
    EXPECT_FALSE(start.italic());
    EXPECT_EQ(typedRange, qMakePair(10, 72));
    for (const QList<int>& offered : sizes) {
        ASSERT_FALSE(offered.isEmpty());
        EXPECT_EQ(offered.first(), 10);
        EXPECT_EQ(offered.last(), 72);
        EXPECT_TRUE(offered.contains(12));
    }

    // Times New Roman's stand-in comes from two foundries here: "Nimbus Roman
    // [urw]"; the face is named without its foundry.
    driver_.Answer<QFontDialog>([](QFontDialog* dialog) { Accept(dialog); });
    const QString face = DLGs1.ShowFont(&parent_);
    EXPECT_FALSE(face.isEmpty() || face.contains(u'[')) << face.toStdString();
    EXPECT_TRUE(timesHere.startsWith(face));
    driver_.Answer<QFontDialog>([](QFontDialog* dialog) { dialog->reject(); });
    EXPECT_EQ(DLGs1.ShowFont(&parent_), QString());
}

TEST_F(DLGsTest, PageSetupGivesZeroOrMinusOneAndWithoutAPrinterThePrinterDialogChangesNothing) {
    driver_.Answer<QPageSetupDialog>([](QPageSetupDialog* dialog) { Accept(dialog); });
    EXPECT_EQ(DLGs1.ShowPageSetup(&parent_), 0);
    driver_.Answer<QPageSetupDialog>([](QPageSetupDialog* dialog) { dialog->reject(); });
    EXPECT_EQ(DLGs1.ShowPageSetup(&parent_), -1);
    if (!QPrinterInfo::availablePrinterNames().isEmpty()) {
        GTEST_SKIP() << "this machine has a printer";
    }
    const PrintSettings before = ReadPrintSettings(CurrentPrinter());
    // A printer dialog, unanswered, would be closed at the driver's time limit
    // and fail the test.
    DLGs1.ShowPrinter(&parent_, 0);
    DLGs1.ShowPrinter(&parent_, DLGs::kPrintSelection | DLGs::kPrintCollate);
    EXPECT_EQ(ReadPrintSettings(CurrentPrinter()), before);
}

TEST(PrintSettingsTest, SettingsThePrinterLacksStayAsTheyWereAndFlagsBecomeTheDialogsChoices) {
    const PrintSettings kept{
        1,   QPrinter::DuplexNone, QPageLayout::Portrait, QPageSize(QPageSize::A4),
        300, QPrinter::GrayScale,  QPrinter::Auto};
    const PrintSettings chosen{
        3,    QPrinter::DuplexLongSide, QPageLayout::Landscape, QPageSize(QPageSize::Letter),
        1200, QPrinter::Color,          QPrinter::Auto};
    PrinterCapabilities printer;
    printer.duplexModes = {QPrinter::DuplexNone};
    printer.pageSizes = {QPageSize(QPageSize::A4), QPageSize(QPageSize::Letter)};
    printer.resolutions = {300, 600};
    printer.colorModes = {QPrinter::GrayScale};
    const PrintSettings expected{
        3,   QPrinter::DuplexNone, QPageLayout::Landscape, QPageSize(QPageSize::Letter),
        300, QPrinter::GrayScale,  QPrinter::Auto};
    EXPECT_EQ(MergePrintSettings(kept, chosen, printer), expected);

    using Dialog = QAbstractPrintDialog;
    EXPECT_EQ(PrintDialogOptionsFromFlags(0), Dialog::PrintSelection | Dialog::PrintPageRange |
                                                  Dialog::PrintToFile | Dialog::PrintShowPageSize |
                                                  Dialog::PrintCollateCopies);
    EXPECT_EQ(PrintDialogOptionsFromFlags(DLGs::kPrintNoSelection | DLGs::kPrintNoPageNums |
                                          DLGs::kPrintHideToFile | DLGs::kPrintCurrentPage),
              Dialog::PrintCurrentPage | Dialog::PrintShowPageSize | Dialog::PrintCollateCopies);
}

TEST_F(DLGsTest, TheFileDialogsShowTheirTitlesAndTypesAndGiveThePathOrNothingWhenCancelled) {
    QTemporaryDir folder;
    const QString notes = folder.filePath("notes.txt");
    ASSERT_TRUE(QFile(notes).open(QIODevice::WriteOnly));
    // Open takes the name of a file that does not exist too.
    const struct {
        bool save;
        QString name;
        const char* title;
    } cases[] = {{false, notes, "Open File - Pellam-Team 1998"},
                 {true, folder.filePath("letter.txt"), "Save File - Pellam-Team 1998"},
                 {false, folder.filePath("draft.txt"), "Open File - Pellam-Team 1998"}};
    for (const auto& c : cases) {
        driver_.Answer<QFileDialog>([&](QFileDialog* dialog) {
            EXPECT_TRUE(dialog->parentWidget() == &parent_ && dialog->isModal());
            EXPECT_EQ(dialog->windowTitle(), c.title);
            EXPECT_EQ(FileTypes(dialog), (QStringList{"Text Files (*.txt)", "All Files (*.*)"}));
            EXPECT_EQ(dialog->directory().absolutePath(), QDir::rootPath());
            TypeFileName(dialog, c.name);
            Accept(dialog);
        });
        EXPECT_EQ(c.save ? DLGs1.ShowFileSave(&parent_) : DLGs1.ShowFileOpen(&parent_), c.name);
    }
    for (int i = 0; i < 2; ++i) {
        driver_.Answer<QFileDialog>([](QFileDialog* dialog) { dialog->reject(); });
    }
    EXPECT_EQ(DLGs1.ShowFileOpen(&parent_), QString());
    EXPECT_EQ(DLGs1.ShowFileSave(&parent_), QString());
}

} // namespace
} // namespace quarn
