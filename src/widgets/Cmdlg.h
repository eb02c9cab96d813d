#pragma once

#include "widgets/DesignSurface.h"
#include "widgets/FileDialogBackend.h"

#include <QObject>
#include <QPixmap>
#include <QString>
#include <memory>

namespace quarn {

// The file and folder dialog component. Callers set plain-text properties,
// call ShowOpen, ShowSave or GetFolderName, and read the chosen path from
// FileName. The properties keep the text conventions of the NUL-terminated
// buffers they started as: a 1024-character file-name buffer and a
// 256-character file-title buffer.
class Cmdlg : public QObject {
    Q_OBJECT
public:
    static constexpr int kFileNameSize = 1024;
    static constexpr int kFileTitleSize = 256;
    static constexpr int kDesignWidth = 720;
    static constexpr int kDesignHeight = 705;

    explicit Cmdlg(QObject* parent = nullptr);
    ~Cmdlg() override;

    // Reading returns the name chosen in the last dialog once and empties the
    // buffer, so later reads give "" until the next dialog.
    QString FileName();
    // The name preselected in the next dialog.
    void SetFileName(const QString& value);

    // Description and pattern pairs separated by "|", e.g.
    // "Text Files|*.txt|All Files (*.*)|*.*|".
    QString Filter() const;
    void SetFilter(const QString& value);

    // The whole 256-character buffer, trailing NULs included.
    QString FileTitle() const;
    void SetFileTitle(const QString& value);

    QString DialogTitle() const;
    void SetDialogTitle(const QString& value);

    QString InitDir() const;
    void SetInitDir(const QString& value);

    // Appended, after a dot, to a typed name that has no extension.
    QString DefaultExt() const;
    void SetDefaultExt(const QString& value);

    void ShowOpen();
    void ShowSave();
    // The chosen folder's full path, or "".
    QString GetFolderName(const QString& title);

    void SetBackend(std::unique_ptr<FileDialogBackend> backend);
    // The dialogs themselves, for what the component does not offer (choosing
    // several files at once).
    FileDialogBackend& Backend() { return *backend_; }
    // Brings the component's dialog to the front while it is up; false when
    // none is.
    bool RaiseDialog() { return backend_->RaiseDialog(); }

    int Width() const { return surface_.Width(); }
    int Height() const { return surface_.Height(); }
    void Resize(int widthTwips, int heightTwips) { surface_.Resize(widthTwips, heightTwips); }
    QPixmap Picture() const { return surface_.Picture(); }

private:
    void show(FileDialogBackend::Request::Mode mode);

    std::unique_ptr<FileDialogBackend> backend_;
    QString fileName_;  // kFileNameSize characters
    QString fileTitle_; // kFileTitleSize characters
    QString filter_;    // pairs separated by NULs, ended by two more; "" until set
    QString dialogTitle_;
    QString initDir_; // followed by one NUL; "" until set
    QString defaultExt_;
    int filterIndex_ = 1; // one-based
    DesignSurface surface_;
};

} // namespace quarn
