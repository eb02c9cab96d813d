#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

class QWidget;

namespace quarn {

// One entry of a file dialog's list of types, e.g. "Media Files " with
// *.mp*, *.avi, *.asf and *.wmv.
struct FileFilterEntry {
    QString description;
    QStringList patterns;

    friend bool operator==(const FileFilterEntry&, const FileFilterEntry&) = default;
};

// What stands between the file dialog component and a real dialog, so that
// the component's text rules can be exercised without one.
class FileDialogBackend {
public:
    struct Request {
        enum class Mode { Open, Save };
        Mode mode = Mode::Open;
        QString title;       // "" = the toolkit's own title
        QString startFolder; // "" = the toolkit chooses
        QList<FileFilterEntry> filters;
        int selectedFilter = 0; // index into filters
        QString fileName;       // preselected name, "" = none
        QString defaultSuffix;  // without the dot, "" = none
        bool overwritePrompt = true;

        friend bool operator==(const Request&, const Request&) = default;
    };

    virtual ~FileDialogBackend() = default;
    // The chosen file's full path; nullopt when the user cancels.
    virtual std::optional<QString> ChooseFile(const Request& request) = 0;
    // The chosen folder's full path; nullopt when the user cancels.
    virtual std::optional<QString> ChooseFolder(const QString& title) = 0;
};

// Qt's file dialogs, modal and tied to no window of the program.
class QtFileDialogBackend : public FileDialogBackend {
public:
    std::optional<QString> ChooseFile(const Request& request) override;
    std::optional<QString> ChooseFolder(const QString& title) override;
};

// Shows one modal QFileDialog for the request, owned by parent (may be null).
std::optional<QString> RunFileDialog(QWidget* parent, const FileDialogBackend::Request& request);

// The entry in QFileDialog's "Description (pattern pattern)" form.
QString QtNameFilter(const FileFilterEntry& entry);

} // namespace quarn
