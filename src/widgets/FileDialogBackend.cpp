#include "widgets/FileDialogBackend.h"

#include <QDir>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QPointer>

namespace quarn {

namespace {

// Qt appends a default suffix to every selected name without a dot, which in
// an Open dialog would make files such as "README" impossible to open. Here an
// Open dialog takes a typed name as it is when that file exists, and with the
// default extension when only that one exists.
//
// Deliberately without Q_OBJECT: Qt offers its native dialogs only to objects
// whose class name is QFileDialog.
class FileDialog : public QFileDialog {
public:
    using QFileDialog::QFileDialog;

    QString openExtension;
    QString resolved;

    void accept() override {
        resolved.clear();
        if (acceptMode() == AcceptOpen && !openExtension.isEmpty()) {
            const QStringList files = selectedFiles();
            if (files.size() == 1) {
                const QFileInfo typed(files.first());
                const QString withExtension = files.first() + u'.' + openExtension;
                if (!typed.exists() && !typed.fileName().contains(u'.') &&
                    QFileInfo(withExtension).isFile()) {
                    resolved = withExtension;
                    // That file exists, so QFileDialog's own check of the
                    // typed name, which would refuse it, is passed over.
                    QDialog::accept();
                    return;
                }
            }
        }
        QFileDialog::accept();
    }
};

// The dialog the program's Open shows, while it is up.
QPointer<QFileDialog> shown;

// Runs the dialog until the user closes it. Without a parent it is modal to
// nothing: the rest of the program goes on working meanwhile.
int runDialog(QFileDialog& dialog, bool toNothing) {
    if (!toNothing) {
        return dialog.exec();
    }
    dialog.setWindowModality(Qt::NonModal);
    QEventLoop loop;
    QObject::connect(&dialog, &QDialog::finished, &loop, &QEventLoop::quit);
    const QPointer<QFileDialog> previous = shown;
    shown = &dialog;
    dialog.show();
    loop.exec();
    shown = previous;
    return dialog.result();
}

} // namespace

QString QtNameFilter(const FileFilterEntry& entry) {
    QStringList patterns;
    for (const QString& pattern : entry.patterns) {
        // "*.*" means every file, also one without a dot in its name.
        patterns << (pattern == u"*.*" ? QStringLiteral("*") : pattern);
    }
    return entry.description.trimmed() + QStringLiteral(" (") + patterns.join(u' ') + u')';
}

namespace {

// Every file chosen; none when the user cancels.
QStringList runFileDialog(QWidget* parent, const FileDialogBackend::Request& request, bool many) {
    using Mode = FileDialogBackend::Request::Mode;
    const bool open = request.mode == Mode::Open;

    FileDialog dialog(parent);
    dialog.setAcceptMode(open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dialog.setFileMode(open && many               ? QFileDialog::ExistingFiles
                       : open && !request.anyName ? QFileDialog::ExistingFile
                                                  : QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.overwritePrompt);
    // The list of types shows the caller's descriptions only, as the
    // descriptions often carry their patterns already ("All Files (*.*)").
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    // Patterns match whatever the case of a name: MOVIE.AVI is a media file.
    dialog.setFilter(dialog.filter() & ~QDir::CaseSensitive);
    if (!request.title.isEmpty()) {
        dialog.setWindowTitle(request.title);
    }
    if (!request.startFolder.isEmpty()) {
        dialog.setDirectory(request.startFolder);
    }

    QStringList nameFilters;
    for (const FileFilterEntry& entry : request.filters) {
        nameFilters << QtNameFilter(entry);
    }
    if (!nameFilters.isEmpty()) {
        dialog.setNameFilters(nameFilters);
        dialog.selectNameFilter(nameFilters.value(request.selectedFilter, nameFilters.first()));
    }

    if (open) {
        dialog.openExtension = request.defaultSuffix;
    } else {
        dialog.setDefaultSuffix(request.defaultSuffix);
    }
    if (!request.fileName.isEmpty()) {
        dialog.selectFile(request.fileName);
    }

    if (runDialog(dialog, parent == nullptr) != QDialog::Accepted) {
        return {};
    }
    if (!dialog.resolved.isEmpty()) {
        return {dialog.resolved};
    }
    return dialog.selectedFiles();
}

} // namespace

std::optional<QString> RunFileDialog(QWidget* parent, const FileDialogBackend::Request& request) {
    const QStringList files = runFileDialog(parent, request, false);
    return files.isEmpty() ? std::nullopt : std::optional(files.first());
}

QStringList QtFileDialogBackend::ChooseFiles(const Request& request) {
    return runFileDialog(nullptr, request, true);
}

std::optional<QString> QtFileDialogBackend::ChooseFile(const Request& request) {
    return RunFileDialog(nullptr, request);
}

bool QtFileDialogBackend::RaiseDialog() {
    if (shown.isNull()) {
        return false;
    }
    shown->raise();
    shown->activateWindow();
    return true;
}

std::optional<QString> QtFileDialogBackend::ChooseFolder(const QString& title) {
    QFileDialog dialog;
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    // The tree starts at its root.
    dialog.setDirectory(QDir::rootPath());
    if (!title.isEmpty()) {
        dialog.setWindowTitle(title);
    }
    if (runDialog(dialog, true) != QDialog::Accepted) {
        return std::nullopt;
    }
    const QStringList folders = dialog.selectedFiles();
    if (folders.isEmpty()) {
        return std::nullopt;
    }
    return folders.first();
}

} // namespace quarn
