#include "ModalDriver.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QTest>
#include <algorithm>

namespace quarn::test {

namespace {

// Qt's dialogs keep state (last folder, custom colours) in the user's
// settings; the tests keep theirs in the build folder. Set before main, ahead
// of Qt's first look at the settings.
[[maybe_unused]] const bool kPrivateSettings = [] {
    qputenv("XDG_CONFIG_HOME", QUARN_BINARY_DIR "/tests/dialogs/settings");
    return true;
}();

} // namespace

ModalDriver::ModalDriver(int limitMs) : limitMs_(limitMs) {
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    clock_.start();
    poll_.setInterval(10);
    QObject::connect(&poll_, &QTimer::timeout, [this] { Poll(); });
    poll_.start();
}

void ModalDriver::Poll() {
    // The modal dialog, or else a dialog that is modal to nothing.
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr) {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (qobject_cast<QDialog*>(window) != nullptr && window->isVisible() &&
                !window->property("answered").toBool()) {
                modal = window;
            }
        }
    }
    if (modal == nullptr || !modal->isVisible()) {
        return;
    }
    if (clock_.hasExpired(limitMs_)) {
        timedOut_ = true;
        modal->close();
        return;
    }
    // A dialog is taken once, even while its queued answer is still to run.
    if (!pending_.empty() && !modal->property("answered").toBool() && pending_.front()(modal)) {
        modal->setProperty("answered", true);
        pending_.pop_front();
    }
}

void Accept(QDialog* dialog) {
    dialog->accept();
}

void TypeFileName(QFileDialog* dialog, const QString& name) {
    if (auto* edit = dialog->findChild<QLineEdit*>("fileNameEdit")) {
        edit->setText(name);
    }
}

QStringList FileTypes(QFileDialog* dialog) {
    QStringList types;
    if (auto* combo = dialog->findChild<QComboBox*>("fileTypeCombo")) {
        for (int i = 0; i < combo->count(); ++i) {
            types << combo->itemText(i);
        }
    }
    return types;
}

QStringList ListedNames(QFileDialog* dialog, const QString& folder, const QStringList& expected) {
    auto* model = dialog->findChild<QFileSystemModel*>();
    const auto listed = [&] {
        QStringList names;
        const QModelIndex root = model->index(folder);
        for (int row = 0; row < model->rowCount(root); ++row) {
            names << model->index(row, 0, root).data().toString();
        }
        return names;
    };
    // The model reads the folder in the background.
    (void)QTest::qWaitFor([&] {
        return model == nullptr || std::ranges::all_of(expected, [&](const QString& name) {
                   return listed().contains(name);
               });
    });
    return model != nullptr ? listed() : QStringList();
}

} // namespace quarn::test
