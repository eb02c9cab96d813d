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
        // An Open dialog that takes names of files that do not exist.
        bool anyName = false;

        friend bool operator==(const Request&, const Request&) = default;
    };

    virtual ~FileDialogBackend() = default;
    // The chosen file's full path; nullopt when the user cancels.
    virtual std::optional<QString> ChooseFile(const Request& request) = 0;
    // The chosen folder's full path; nullopt when the user cancels.
    virtual std::optional<QString> ChooseFolder(const QString& title) = 0;
    // Several existing files chosen at once; none when the user cancels.
    virtual QStringList ChooseFiles(const Request& request) {
        const std::optional<QString> one = ChooseFile(request);
        return one ? QStringList{*one} : QStringList();
    }
    // Brings a dialog that is up to the front; false when none is.
    virtual bool RaiseDialog() { return false; }
};

// Qt's file dialogs, tied to no window of the program and modal to none:
// they return once the user closes them, while the program's windows go on
// working meanwhile.
class QtFileDialogBackend : public FileDialogBackend {
public:
    std::optional<QString> ChooseFile(const Request& request) override;
    std::optional<QString> ChooseFolder(const QString& title) override;
    QStringList ChooseFiles(const Request& request) override;
    bool RaiseDialog() override;
};

// Shows one QFileDialog for the request and returns when it closes: modal to
// the parent when there is one, modal to nothing otherwise.
std::optional<QString> RunFileDialog(QWidget* parent, const FileDialogBackend::Request& request);

// The entry in QFileDialog's "Description (pattern pattern)" form.
QString QtNameFilter(const FileFilterEntry& entry);

} // namespace quarn
