#pragma once

#include "common/ColourWord.h"
#include "widgets/DesignSurface.h"

#include <QAbstractPrintDialog>
#include <QList>
#include <QObject>
#include <QPageLayout>
#include <QPageSize>
#include <QPixmap>
#include <QPrinter>
#include <QString>
#include <array>
#include <cstdint>

class QWidget;

namespace quarn {

// The colour, font, printer, page-setup and file dialog component. Every
// member shows one modal dialog owned by the given parent window and returns
// when the user closes it.
class DLGs : public QObject {
    Q_OBJECT
public:
    static constexpr int kDesignWidth = 720;
    static constexpr int kDesignHeight = 720;
    static constexpr int kCustomColourCount = 16;
    static constexpr int kSmallestFontSize = 10;
    static constexpr int kLargestFontSize = 72;

    // The flags of ShowPrinter are the Win32 PrintDlg flags that Qt's print
    // dialog can honour: with none set it offers "Selection", a page range and
    // printing to a file. The hooks, templates, help button, device-context
    // requests and the rest have no counterpart and are ignored.
    static constexpr std::int32_t kPrintSelection = 0x1;          // preselects "Selection"
    static constexpr std::int32_t kPrintPageNums = 0x2;           // preselects the page range
    static constexpr std::int32_t kPrintNoSelection = 0x4;        // no "Selection"
    static constexpr std::int32_t kPrintNoPageNums = 0x8;         // no page range
    static constexpr std::int32_t kPrintCollate = 0x10;           // "Collate" ticked
    static constexpr std::int32_t kPrintDisableToFile = 0x80000;  // no printing to a file
    static constexpr std::int32_t kPrintHideToFile = 0x100000;    // no printing to a file
    static constexpr std::int32_t kPrintCurrentPage = 0x400000;   // offers, preselects the page
    static constexpr std::int32_t kPrintNoCurrentPage = 0x800000; // no "Current Page"

    explicit DLGs(QObject* parent = nullptr);
    ~DLGs() override;

    // The chosen colour as a colour word, -1 on cancel.
    std::int32_t ShowColor(QWidget* parent);
    // The chosen font's face name, "" on cancel.
    QString ShowFont(QWidget* parent);
    // On confirmation the chosen printer and its settings become the current
    // printer's; flags are the k* values above.
    void ShowPrinter(QWidget* parent, std::int32_t flags);
    // 0 on confirmation, -1 on cancel; the choices are not kept.
    std::int32_t ShowPageSetup(QWidget* parent);
    // The chosen path, "" on cancel.
    QString ShowFileOpen(QWidget* parent);
    QString ShowFileSave(QWidget* parent);

    // Kept from one colour dialog to the next; black at first.
    const std::array<ColourWord, kCustomColourCount>& CustomColors() const { return customColors_; }

    int Width() const { return surface_.Width(); }
    int Height() const { return surface_.Height(); }
    void Resize(int widthTwips, int heightTwips) { surface_.Resize(widthTwips, heightTwips); }
    QPixmap Picture() const { return surface_.Picture(); }

private:
    QString showFile(QWidget* parent, bool save);

    std::array<ColourWord, kCustomColourCount> customColors_{};
    DesignSurface surface_;
};

// The program's one current printer.
QPrinter& CurrentPrinter();

// The printer settings that the printer dialog hands on to the current printer.
struct PrintSettings {
    int copies = 1;
    QPrinter::DuplexMode duplex = QPrinter::DuplexNone;
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    QPageSize pageSize;
    int resolution = 0;
    QPrinter::ColorMode colorMode = QPrinter::Color;
    QPrinter::PaperSource paperSource = QPrinter::Auto;

    friend bool operator==(const PrintSettings&, const PrintSettings&) = default;
};

// What a printer offers; an empty list offers nothing, except that
// anyPageSize offers every page size.
struct PrinterCapabilities {
    QList<QPrinter::DuplexMode> duplexModes;
    bool anyPageSize = false;
    QList<QPageSize> pageSizes;
    QList<int> resolutions;
    QList<QPrinter::ColorMode> colorModes;
    QList<QPrinter::PaperSource> paperSources;
};

PrintSettings ReadPrintSettings(const QPrinter& printer);
PrinterCapabilities CapabilitiesOf(const QPrinter& printer);
// The chosen settings where the printer supports them, the kept ones elsewhere.
PrintSettings MergePrintSettings(const PrintSettings& kept, const PrintSettings& chosen,
                                 const PrinterCapabilities& printer);
// The options of Qt's print dialog that stand for the Win32 PrintDlg flags.
QAbstractPrintDialog::PrintDialogOptions PrintDialogOptionsFromFlags(std::int32_t flags);

} // namespace quarn
