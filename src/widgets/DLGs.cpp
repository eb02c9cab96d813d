#include "widgets/DLGs.h"

#include "widgets/FileDialogBackend.h"

#include <QAbstractItemModel>
#include <QColorDialog>
#include <QCoreApplication>
#include <QDir>
#include <QFontDatabase>
#include <QFontDialog>
#include <QFontInfo>
#include <QIntValidator>
#include <QLineEdit>
#include <QListView>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinterInfo>
#include <QRegularExpression>
#include <algorithm>

namespace quarn {

namespace {

QPrinter* currentPrinter = nullptr;

void dropCurrentPrinter() {
    delete currentPrinter;
    currentPrinter = nullptr;
}

bool listsFontSizes(const QListView& list) {
    const QAbstractItemModel* model = list.model();
    if (model == nullptr || model->rowCount() == 0) {
        return false;
    }
    for (int row = 0; row < model->rowCount(); ++row) {
        bool number = false;
        model->index(row, 0).data().toString().toInt(&number);
        if (!number) {
            return false;
        }
    }
    return true;
}

// Qt's font dialog has no size limits of its own: its size field accepts, and
// its size list shows, only the sizes from smallest to largest. The dialog
// refills the list whenever another family or style is picked.
void limitFontSizes(QFontDialog& dialog, int smallest, int largest) {
    for (QLineEdit* edit : dialog.findChildren<QLineEdit*>()) {
        if (qobject_cast<const QIntValidator*>(edit->validator()) != nullptr) {
            edit->setValidator(new QIntValidator(smallest, largest, edit));
        }
    }
    for (QListView* list : dialog.findChildren<QListView*>()) {
        if (!listsFontSizes(*list)) {
            continue;
        }
        const auto hideOutside = [list, smallest, largest] {
            const QAbstractItemModel* model = list->model();
            for (int row = 0; row < model->rowCount(); ++row) {
                const int size = model->index(row, 0).data().toString().toInt();
                list->setRowHidden(row, size < smallest || size > largest);
            }
        };
        hideOutside();
        QObject::connect(list->model(), &QAbstractItemModel::modelReset, list, hideOutside);
    }
}

void writePrintSettings(const PrintSettings& settings, QPrinter& printer) {
    printer.setCopyCount(settings.copies);
    printer.setDuplex(settings.duplex);
    printer.setPageOrientation(settings.orientation);
    if (settings.pageSize.isValid()) {
        printer.setPageSize(settings.pageSize);
    }
    if (settings.resolution > 0) {
        printer.setResolution(settings.resolution);
    }
    printer.setColorMode(settings.colorMode);
    printer.setPaperSource(settings.paperSource);
}

// Makes the printer chosen in the dialog the current one, unless it is the
// current one already.
void switchPrinter(const QPrinter& chosen, QPrinter& current) {
    if (chosen.outputFormat() == QPrinter::PdfFormat) {
        // "Print to file": the file takes the printer's place.
        current.setOutputFileName(chosen.outputFileName());
        return;
    }
    if (current.outputFormat() == QPrinter::NativeFormat &&
        chosen.printerName().compare(current.printerName(), Qt::CaseInsensitive) == 0) {
        return;
    }
    for (const QString& name : QPrinterInfo::availablePrinterNames()) {
        if (name.compare(chosen.printerName(), Qt::CaseInsensitive) == 0) {
            current.setOutputFileName(QString());
            current.setOutputFormat(QPrinter::NativeFormat);
            current.setPrinterName(name);
            return;
        }
    }
}

} // namespace

QPrinter& CurrentPrinter() {
    if (currentPrinter == nullptr) {
        // Created on first use, as a printer needs the application object,
        // and gone with it.
        currentPrinter = new QPrinter(QPrinter::HighResolution);
        qAddPostRoutine(dropCurrentPrinter);
    }
    return *currentPrinter;
}

PrintSettings ReadPrintSettings(const QPrinter& printer) {
    PrintSettings settings;
    settings.copies = printer.copyCount();
    settings.duplex = printer.duplex();
    settings.orientation = printer.pageLayout().orientation();
    settings.pageSize = printer.pageLayout().pageSize();
    settings.resolution = printer.resolution();
    settings.colorMode = printer.colorMode();
    settings.paperSource = printer.paperSource();
    return settings;
}

PrinterCapabilities CapabilitiesOf(const QPrinter& printer) {
    PrinterCapabilities capabilities;
    capabilities.resolutions = printer.supportedResolutions();
#ifdef Q_OS_WIN
    capabilities.paperSources = printer.supportedPaperSources();
#else
    // Elsewhere Qt names no paper sources; the printer keeps the one it has
    // (Qt's own dialog chooses trays through the printer's options instead).
    capabilities.paperSources = {printer.paperSource()};
#endif
    const QPrinterInfo info(printer);
    if (printer.outputFormat() == QPrinter::PdfFormat || info.isNull()) {
        // A file takes every page size and both colour modes, and has no sides.
        capabilities.duplexModes = {QPrinter::DuplexNone};
        capabilities.anyPageSize = true;
        capabilities.colorModes = {QPrinter::Color, QPrinter::GrayScale};
    } else {
        capabilities.duplexModes = info.supportedDuplexModes();
        capabilities.pageSizes = info.supportedPageSizes();
        capabilities.colorModes = info.supportedColorModes();
    }
    return capabilities;
}

PrintSettings MergePrintSettings(const PrintSettings& kept, const PrintSettings& chosen,
                                 const PrinterCapabilities& printer) {
    PrintSettings merged = kept;
    if (chosen.copies > 0) {
        merged.copies = chosen.copies;
    }
    merged.orientation = chosen.orientation;
    if (printer.duplexModes.contains(chosen.duplex)) {
        merged.duplex = chosen.duplex;
    }
    const bool pageSizeOffered =
        printer.anyPageSize ||
        std::any_of(printer.pageSizes.begin(), printer.pageSizes.end(),
                    [&](const QPageSize& size) { return size.isEquivalentTo(chosen.pageSize); });
    if (chosen.pageSize.isValid() && pageSizeOffered) {
        merged.pageSize = chosen.pageSize;
    }
    if (printer.resolutions.contains(chosen.resolution)) {
        merged.resolution = chosen.resolution;
    }
    if (printer.colorModes.contains(chosen.colorMode)) {
        merged.colorMode = chosen.colorMode;
    }
    if (printer.paperSources.contains(chosen.paperSource)) {
        merged.paperSource = chosen.paperSource;
    }
    return merged;
}

QAbstractPrintDialog::PrintDialogOptions PrintDialogOptionsFromFlags(std::int32_t flags) {
    using Dialog = QAbstractPrintDialog;
    Dialog::PrintDialogOptions options = Dialog::PrintShowPageSize | Dialog::PrintCollateCopies;
    if ((flags & DLGs::kPrintNoSelection) == 0) {
        options |= Dialog::PrintSelection;
    }
    if ((flags & DLGs::kPrintNoPageNums) == 0) {
        options |= Dialog::PrintPageRange;
    }
    if ((flags & (DLGs::kPrintDisableToFile | DLGs::kPrintHideToFile)) == 0) {
        options |= Dialog::PrintToFile;
    }
    if ((flags & DLGs::kPrintCurrentPage) != 0 && (flags & DLGs::kPrintNoCurrentPage) == 0) {
        options |= Dialog::PrintCurrentPage;
    }
    return options;
}

DLGs::DLGs(QObject* parent)
    : QObject(parent), surface_(kDesignWidth, kDesignHeight, QStringLiteral(":/skins/dlgs.gif")) {}

DLGs::~DLGs() = default;

std::int32_t DLGs::ShowColor(QWidget* parent) {
    // Qt keeps one table of custom colours for all its colour dialogs; each
    // dialog of this component starts from the component's own table.
    for (int i = 0; i < kCustomColourCount; ++i) {
        QColorDialog::setCustomColor(i, ToQColor(customColors_[i]));
    }
    QColorDialog dialog(parent);
    // No colour preselected: the dialog starts from black.
    dialog.setCurrentColor(QColor(0, 0, 0));
    if (dialog.exec() != QDialog::Accepted) {
        return -1;
    }
    for (int i = 0; i < kCustomColourCount; ++i) {
        customColors_[i] = ColourWordFromQColor(QColorDialog::customColor(i));
    }
    return static_cast<std::int32_t>(ColourWordFromQColor(dialog.selectedColor()));
}

QString DLGs::ShowFont(QWidget* parent) {
    QFont start(QStringLiteral("Times New Roman"));
    start.setPointSize(12);
    start.setWeight(QFont::Normal);
    start.setItalic(false);
    // The dialog offers installed families only; where Times New Roman is not
    // installed it starts from the family that stands in for it. (No serif
    // style hint: with one, fontconfig passes over the metric-compatible
    // stand-in.)
    if (!QFontDatabase::families().contains(start.family())) {
        start.setFamily(QFontInfo(start).family());
    }
    // The dialog looks the style up by its name, which differs from family to
    // family ("Regular", "Book", ...): name the family's own regular style.
    for (const QString& style : QFontDatabase::styles(start.family())) {
        if (!QFontDatabase::italic(start.family(), style) &&
            QFontDatabase::weight(start.family(), style) == QFont::Normal) {
            start.setStyleName(style);
            break;
        }
    }

    QFontDialog dialog(start, parent);
    limitFontSizes(dialog, kSmallestFontSize, kLargestFontSize);
    if (dialog.exec() != QDialog::Accepted) {
        return QString();
    }
    // Only the face is kept; size, style and effects are dropped. A family
    // found at several foundries reads "Nimbus Roman [urw]": the face alone.
    static const QRegularExpression foundry(QStringLiteral("\\s*\\[[^\\]]*\\]$"));
    return dialog.selectedFont().family().remove(foundry);
}

void DLGs::ShowPrinter(QWidget* parent, std::int32_t flags) {
    // With no printer installed there is nothing to choose from, and the
    // current printer stays as it is.
    if (QPrinterInfo::availablePrinterNames().isEmpty()) {
        return;
    }
    QPrinter& current = CurrentPrinter();

    // The dialog works on a copy of the current printer, so that a cancel
    // leaves the current one untouched.
    QPrinter chosen(QPrinter::HighResolution);
    if (current.outputFormat() == QPrinter::PdfFormat && !current.outputFileName().isEmpty()) {
        chosen.setOutputFileName(current.outputFileName());
    } else if (!current.printerName().isEmpty()) {
        chosen.setPrinterName(current.printerName());
    }
    writePrintSettings(MergePrintSettings(ReadPrintSettings(chosen), ReadPrintSettings(current),
                                          CapabilitiesOf(chosen)),
                       chosen);
    if ((flags & kPrintCollate) != 0) {
        chosen.setCollateCopies(true);
    }

    QPrintDialog dialog(&chosen, parent);
    const QAbstractPrintDialog::PrintDialogOptions options = PrintDialogOptionsFromFlags(flags);
    dialog.setOptions(options);
    if ((flags & kPrintSelection) != 0 && options.testFlag(QAbstractPrintDialog::PrintSelection)) {
        dialog.setPrintRange(QAbstractPrintDialog::Selection);
    } else if ((flags & kPrintPageNums) != 0 &&
               options.testFlag(QAbstractPrintDialog::PrintPageRange)) {
        dialog.setPrintRange(QAbstractPrintDialog::PageRange);
    } else if (options.testFlag(QAbstractPrintDialog::PrintCurrentPage)) {
        dialog.setPrintRange(QAbstractPrintDialog::CurrentPage);
    }
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }

    switchPrinter(chosen, current);
    writePrintSettings(MergePrintSettings(ReadPrintSettings(current), ReadPrintSettings(chosen),
                                          CapabilitiesOf(current)),
                       current);
}

std::int32_t DLGs::ShowPageSetup(QWidget* parent) {
    // On a printer of its own (the system's default), so nothing is kept.
    QPageSetupDialog dialog(parent);
    return dialog.exec() == QDialog::Accepted ? 0 : -1;
}

QString DLGs::ShowFileOpen(QWidget* parent) {
    return showFile(parent, false);
}

QString DLGs::ShowFileSave(QWidget* parent) {
    return showFile(parent, true);
}

QString DLGs::showFile(QWidget* parent, bool save) {
    using Request = FileDialogBackend::Request;
    Request request;
    request.mode = save ? Request::Mode::Save : Request::Mode::Open;
    request.title = save ? QStringLiteral("Save File - Pellam-Team 1998")
                         : QStringLiteral("Open File - Pellam-Team 1998");
    // The root of the drive; a single tree's root elsewhere.
    request.startFolder = QDir::rootPath();
    // Flags 0: Open takes names of files that do not exist as well.
    request.anyName = true;
    request.filters = {{QStringLiteral("Text Files (*.txt)"), {QStringLiteral("*.txt")}},
                       {QStringLiteral("All Files (*.*)"), {QStringLiteral("*.*")}}};
    request.selectedFilter = 0;
    request.defaultSuffix.clear();
    // These dialogs ask nothing before an existing file is chosen for saving.
    request.overwritePrompt = false;
    return RunFileDialog(parent, request).value_or(QString());
}

} // namespace quarn
