#include "widgets/Cmdlg.h"

#include <QFileInfo>

namespace quarn {

namespace {

constexpr QChar kNul(u'\0');

QString upToNul(const QString& text) {
    const qsizetype end = text.indexOf(kNul);
    return end < 0 ? text : text.left(end);
}

QString withoutNuls(QString text) {
    return text.remove(kNul);
}

// The text at the start of a buffer of `size` characters, cut to leave room
// for its terminating NUL, the rest NULs.
QString buffer(const QString& text, int size) {
    QString buffer = text.left(size - 1);
    buffer.append(QString(size - buffer.size(), kNul));
    return buffer;
}

// Reads the stored filter as the platform list it stands for: description,
// patterns, description, patterns, ... up to the first empty description.
QList<FileFilterEntry> filterEntries(const QString& stored) {
    QList<FileFilterEntry> entries;
    const QStringList parts = stored.split(kNul);
    for (qsizetype i = 0; i < parts.size() && !parts[i].isEmpty(); i += 2) {
        FileFilterEntry entry;
        entry.description = parts[i];
        for (const QString& pattern : parts.value(i + 1).split(u';')) {
            if (!pattern.trimmed().isEmpty()) {
                entry.patterns << pattern.trimmed();
            }
        }
        entries << entry;
    }
    return entries;
}

} // namespace

Cmdlg::Cmdlg(QObject* parent)
    : QObject(parent), backend_(std::make_unique<QtFileDialogBackend>()),
      fileName_(kFileNameSize, kNul), fileTitle_(kFileTitleSize, kNul),
      defaultExt_(QStringLiteral("txt")),
      surface_(kDesignWidth, kDesignHeight, QStringLiteral(":/skins/cmdlg.gif")) {}

Cmdlg::~Cmdlg() = default;

QString Cmdlg::FileName() {
    // Up to the first NUL only: a shorter path written over a longer unread
    // one must not come back with the longer one's tail.
    const QString name = upToNul(fileName_);
    fileName_.fill(kNul);
    return name;
}

void Cmdlg::SetFileName(const QString& value) {
    fileName_ = buffer(value, kFileNameSize);
}

QString Cmdlg::Filter() const {
    QString text = filter_;
    while (text.endsWith(kNul)) {
        text.chop(1);
    }
    return text.replace(kNul, u'|');
}

void Cmdlg::SetFilter(const QString& value) {
    filter_ = value;
    filter_.replace(u'|', kNul);
    filter_.append(kNul).append(kNul);
}

QString Cmdlg::FileTitle() const {
    return fileTitle_;
}

void Cmdlg::SetFileTitle(const QString& value) {
    fileTitle_ = buffer(value, kFileTitleSize);
}

QString Cmdlg::DialogTitle() const {
    return withoutNuls(dialogTitle_);
}

void Cmdlg::SetDialogTitle(const QString& value) {
    dialogTitle_ = value;
}

QString Cmdlg::InitDir() const {
    return withoutNuls(initDir_);
}

void Cmdlg::SetInitDir(const QString& value) {
    initDir_ = value + kNul;
}

QString Cmdlg::DefaultExt() const {
    return defaultExt_;
}

void Cmdlg::SetDefaultExt(const QString& value) {
    defaultExt_ = value;
    defaultExt_.remove(u'.');
}

void Cmdlg::ShowOpen() {
    show(FileDialogBackend::Request::Mode::Open);
}

void Cmdlg::ShowSave() {
    show(FileDialogBackend::Request::Mode::Save);
}

void Cmdlg::show(FileDialogBackend::Request::Mode mode) {
    // The first pair of the filter is preselected in every dialog.
    filterIndex_ = 1;

    FileDialogBackend::Request request;
    request.mode = mode;
    request.title = upToNul(dialogTitle_);
    request.startFolder = upToNul(initDir_);
    request.filters = filterEntries(filter_);
    request.selectedFilter = filterIndex_ - 1;
    request.fileName = upToNul(fileName_);
    request.defaultSuffix = upToNul(defaultExt_);
    request.overwritePrompt = true;
    // Only the overwrite prompt is asked for: Open takes any name, even of a
    // file that does not exist (whoever reads FileName decides about it).
    request.anyName = true;

    const std::optional<QString> chosen = backend_->ChooseFile(request);
    // A path too long for the buffer fails the dialog, which looks like a
    // cancel: nothing is written.
    if (!chosen || chosen->size() >= kFileNameSize) {
        return;
    }
    fileName_ = buffer(*chosen, kFileNameSize);
    fileTitle_ = buffer(QFileInfo(*chosen).fileName(), kFileTitleSize);
}

QString Cmdlg::GetFolderName(const QString& title) {
    return backend_->ChooseFolder(title).value_or(QString());
}

void Cmdlg::SetBackend(std::unique_ptr<FileDialogBackend> backend) {
    if (backend) {
        backend_ = std::move(backend);
    }
}

} // namespace quarn
