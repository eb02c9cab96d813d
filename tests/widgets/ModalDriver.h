#pragma once

#include "widgets/FileDialogBackend.h"

#include <QElapsedTimer>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <deque>
#include <functional>
#include <ostream>

class QDialog;
class QFileDialog;

namespace quarn::test {

// Answers the modal dialogs that the code under test opens (Qt's own, not the
// desktop's), from inside their event loops. Each Answer<Dialog>() takes the
// next modal dialog of that type; the answer must close it. A dialog still
// open past the time limit is closed and reported, so a test fails, not hangs.
class ModalDriver {
public:
    explicit ModalDriver(int limitMs = 15000);

    template <class Dialog> void Answer(std::function<void(Dialog*)> answer) {
        pending_.push_back([answer](QWidget* widget) {
            auto* dialog = qobject_cast<Dialog*>(widget);
            if (dialog != nullptr) {
                // Queued, so that a dialog the answer opens in turn is seen too.
                QMetaObject::invokeMethod(
                    dialog, [answer, dialog] { answer(dialog); }, Qt::QueuedConnection);
            }
            return dialog != nullptr;
        });
    }

    bool TimedOut() const { return timedOut_; }

private:
    void Poll();

    std::deque<std::function<bool(QWidget*)>> pending_;
    QTimer poll_;
    QElapsedTimer clock_;
    int limitMs_;
    bool timedOut_ = false;
};

// Answers file dialogs from a script (a cancel once it runs out) and keeps
// what it was asked.
class ScriptedDialogs : public FileDialogBackend {
public:
    std::optional<QString> ChooseFile(const Request& request) override {
        requests << request;
        std::optional<QString> answer;
        if (!answers.empty()) {
            answer = answers.front();
            answers.pop_front();
        }
        return answer;
    }
    std::optional<QString> ChooseFolder(const QString&) override { return std::nullopt; }

    std::deque<std::optional<QString>> answers;
    QList<Request> requests;
};

// Confirms a dialog as its OK button would (QFileDialog hides accept()).
void Accept(QDialog* dialog);
// Puts the name into a file dialog's name field, as typing would.
void TypeFileName(QFileDialog* dialog, const QString& name);
// The entries of a file dialog's list of types, as shown.
QStringList FileTypes(QFileDialog* dialog);
// What a file dialog lists in the folder, once the expected names are there.
QStringList ListedNames(QFileDialog* dialog, const QString& folder, const QStringList& expected);

} // namespace quarn::test
